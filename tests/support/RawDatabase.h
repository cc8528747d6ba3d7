#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct sqlite3;

// A connection of the test's own to a database file, for making files as another program would
// (plain SQL, any types, no index) and for reading back what the store wrote.
class RawDatabase {
public:
    explicit RawDatabase(const QString& path);
    ~RawDatabase();
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;

    // Runs statements; a failure fails the running test (and returns false).
    bool exec(const QString& sql);
    // The first column of the first row as text: "<no row>" without a row, "<null>" for NULL.
    QString text(const QString& sql);
    int count(const QString& where = QString());
    sqlite3* handle() const { return m_db; }

    // Table Sales as another program could have made it: no index, no size checks, and the
    // record number with the given declared type ("" stores numbers and texts as given).
    static QString plainTable(const QString& tableName = QStringLiteral("Sales"),
                              const QString& recordNumberType = QStringLiteral("INTEGER"));
    // A record with the given record number and company (SQL literals) and otherwise fixed texts.
    static QString insertRow(const QString& number,
                             const QString& company = QStringLiteral("'Acme'"),
                             const QString& created = QStringLiteral("'2024-03-07 14:05:09'"));

    // Makes a sales database file (the table Sales with its size checks and index) with the
    // records numbered `numbers`, in that order, with the description "Deal <number>" and the
    // company "Company <number>". False on failure.
    static bool makeSalesFile(const QString& path, const QList<int>& numbers);
    // Plain file helpers: the bytes of a file ("<unreadable>" when it cannot be read), and
    // writing bytes to one.
    static QByteArray readFile(const QString& path);
    static bool writeFile(const QString& path, const QByteArray& bytes);
    // Makes a database file read-only for every user, the superuser included: the file's header
    // says so.
    static bool makeReadOnly(const QString& path);

private:
    sqlite3* m_db = nullptr;
};
