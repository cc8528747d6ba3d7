#pragma once

#include "store/SalesStore.h"

class SalesFile;

// A sales database file (SQLite, "*.mdb"): table Sales with the nineteen fields of the field
// table and its unique index RecordNumber. Every operation opens the file defensively (files
// arrive by mail and by drag and drop), takes its lock, does its one piece of work and closes the
// file again, so other programs can use it between operations.
class SalesFileStore : public SalesStore {
public:
    SalesFileStore(const QString& path, Access access);

    // Creates the file at `path` with an empty table Sales and its index; fails when anything
    // is at `path` already.
    static Result createFile(const QString& path);

    QString location() const override { return m_path; }
    // The file name.
    QString description() const override;
    QString unreadableCause() override;
    ResultValue<Opportunities> readAll() override;
    ResultValue<std::vector<Opportunity>> readCopies() override;
    ResultValue<std::vector<StoredTexts>> readStoredTexts(const Conditions& conditions) override;
    ResultValue<NewRecord> add(const Opportunity& opportunity, qint32 highestKnown) override;
    using SalesStore::addAll;
    ResultValue<std::vector<NewRecord>> addAll(const Source& next, qint32 highestKnown,
                                               const Describe& describe) override;
    ResultValue<std::optional<qint64>> update(const Opportunity& opportunity) override;
    Result remove(const Opportunity& opportunity) override;
    ResultValue<NewRecord> restore(const Opportunity& opportunity) override;
    Result removeAll(const std::vector<const Opportunity*>& items) override;
    ResultValue<std::vector<NewRecord>>
    restoreAll(const std::vector<const Opportunity*>& items) override;
    ResultValue<std::vector<NewRecord>> changeAll(const Changes& changes, qint32 highestKnown,
                                                  const Describe& describe,
                                                  const ProgressCallback& progress) override;
    using SalesStore::backupTo;
    Result backupTo(const QString& target, const ProgressCallback& progress) override;

private:
    // Inserts the record of `opportunity` (its record number, `storedCreated` as DateCreated)
    // inside the open transaction; the new row's identity.
    static ResultValue<qint64> insertOne(SalesFile& file, const Opportunity& opportunity,
                                         const QString& storedCreated);
    // Inserts the record of a removed opportunity as it was, with `storedCreated` as its
    // DateCreated, inside the open transaction of `file` (no commit); fails when its record
    // number is taken. The new row's identity.
    static ResultValue<qint64> insertRemoved(SalesFile& file, const Opportunity& opportunity,
                                             const QString& storedCreated);
    enum class Change { Update, Remove };
    // Updates or deletes the one record `opportunity` was read from, in one transaction; fails
    // (and changes nothing) unless exactly that record changed.
    Result changeOne(const Opportunity& opportunity, Change change, const QString& where);
    // The highest record number of the file that fits 32 bits (0 when there is none), read inside
    // the exclusive transaction so that no other program can take the number that follows.
    static ResultValue<qint64> highestRecordNumber(SalesFile& file);

    QString m_path;
    Access m_access;
};
