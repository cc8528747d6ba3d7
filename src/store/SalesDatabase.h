#pragma once

#include "store/Opportunities.h"
#include "store/StoreResult.h"

#include <QString>

class SalesFile;

// One sales database file: its location and display name, the opportunities read from it, and
// the outcome of its last open or create. Every change is written to the file at once; each
// file operation opens the file exclusively, does its one piece of work and closes it again.
class SalesDatabase {
public:
    SalesDatabase() = default;
    SalesDatabase(const SalesDatabase&) = delete;
    SalesDatabase& operator=(const SalesDatabase&) = delete;

    bool databaseError() const { return m_DatabaseError; }
    const QString& databaseErrorMessage() const { return m_DatabaseErrorMessage; }
    qint32 window() const { return m_Window; }
    void setWindow(qint32 window) { m_Window = window; }
    const QString& databaseLocation() const { return m_DatabaseLocation; }
    void setDatabaseLocation(const QString& location) { m_DatabaseLocation = location; }
    const QString& name() const { return m_Name; }
    void setName(const QString& name) { m_Name = name; }
    ::Opportunities& opportunities() { return m_Opportunities; }
    const ::Opportunities& opportunities() const { return m_Opportunities; }

    // Writes the opportunity stored under `thekey` to the record it was read from (or written
    // to): the record of that row with that record number, even where another program stored
    // the number as text or left duplicate numbers in the file. fails (and writes nothing) when
    // the key is unknown, that record is no longer in the file, a text is too long for its
    // field or the file cannot be written. An OrderMonth too long for its field is first
    // replaced by the month's short name.
    StoreResult updateDBOpportunity(const QString& thekey);
    // Numbers `x` one above the highest record number of the file and of the collection (the
    // file may have gained records from another program since the open), adds its record to
    // the file (with the current time as DateCreated) and then a copy of it to the collection.
    // On failure neither the file nor the collection changes.
    StoreResult addOpportunity(Opportunity& x);
    // Deletes the record of the opportunity under `theRecordKey` from the file and then the
    // opportunity from the collection. Fails, and changes neither, when the file no longer has
    // that record.
    StoreResult removeOpportunity(const QString& theRecordKey);
    // Creates the file at DatabaseLocation with an empty table Sales and its index.
    void newDatabase();
    // Reads every record of the file into the collection; asks for the file first when there
    // is no location (or it is the program's directory). True when the file was read.
    bool openDatabase();

    // The directory the application runs from: the stored marker of "no database".
    static QString programDirectory();
    // The file name part of a location, after the last path separator.
    static QString nameOf(const QString& location);

private:
    bool fail(const QString& message);
    static ResultValue<qint64> highestRecordNumber(SalesFile& file);

    ::Opportunities m_Opportunities;
    QString m_Name;
    QString m_DatabaseLocation;
    qint32 m_Window = 0;
    bool m_DatabaseError = false;
    QString m_DatabaseErrorMessage;
};
