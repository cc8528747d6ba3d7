#pragma once

#include "platform/Result.h"
#include "platform/WorkProgress.h"
#include "store/Opportunities.h"
#include "store/OpportunityFields.h"

#include <QList>
#include <QPair>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Where the records of one sales database are kept, and the only way to them: every engine call
// of the application lives behind this interface. The first implementation is a sales database
// file (SalesFileStore); a team database on a server is the second (SalesServerStore). A store asks
// no one anything: it reads and writes and reports failures as messages that name the database and
// the cause.
class SalesStore {
public:
    enum class Access { ReadWrite, ReadOnly };

    // What a store wrote for a new record: its number, its place in the store and its creation
    // time (as an open would show it).
    struct NewRecord {
        qint32 recordNumber = 0;
        std::optional<qint64> rowId;
        QString dateCreated;
    };
    // Names an item of a bulk insert in a failure message, such as "line 7" or "record 12".
    using Describe = std::function<QString(size_t index)>;
    // Hands out the items of a bulk insert one at a time, as they are read: the next item (valid
    // until the following call), nullptr after the last one, or a failure that abandons the
    // whole insert.
    using Source = std::function<ResultValue<const Opportunity*>()>;
    // The stored texts of one record, indexed by field, as the store holds them.
    using StoredTexts = std::array<QString, OpportunityFields::Count>;
    // Conditions "field equals text", all of which a record must meet.
    using Conditions = QList<QPair<int, QString>>;

    virtual ~SalesStore() = default;

    // The store of the database at `location` (a file path, or a postgresql:// URI for a team
    // database on a server); nothing is read or locked yet.
    // ReadOnly stores never write, lock only while they read, and read files on read-only media.
    static std::unique_ptr<SalesStore> forLocation(const QString& location,
                                                   Access access = Access::ReadWrite);
    // Creates a new, empty database at `location` (on a server: the team tables in an empty
    // database, see SalesServerStore::setUp). Without `replace` an existing file there is
    // never touched; with it the new database is built beside the old one and takes its place only
    // when complete, so a failure leaves the old file as it was.
    static ResultValue<std::unique_ptr<SalesStore>> create(const QString& location, bool replace);
    // The database engine and its version, for the about box.
    static QString engineVersion();

    // The location that names the database.
    virtual QString location() const = 0;
    // A short name of the database for titles, the Window menu and messages.
    virtual QString description() const = 0;
    // Why the database cannot be read, in plain words ("The file is in use by another
    // program."); "" when it can.
    virtual QString unreadableCause() = 0;

    // Every record that has a usable record number (the first of each number), in stored order.
    // A damaged store fails as a whole.
    virtual ResultValue<Opportunities> readAll() = 0;
    // The fields of every record as copies to be added elsewhere (a merge): the same records as
    // readAll(), without their creation times.
    virtual ResultValue<std::vector<Opportunity>> readCopies() = 0;
    // The stored texts of the records that meet `conditions`, in stored order, each record
    // number once, without the records that have none.
    virtual ResultValue<std::vector<StoredTexts>> readStoredTexts(const Conditions& conditions) = 0;

    // Whether the store numbers new records by itself, whatever its caller knows (a server's
    // sequence): add(), addAll() and changeAll() then ignore `highestKnown`, and callers need not
    // work it out.
    virtual bool numbersRecords() const { return false; }
    // Adds a record with the fields of `opportunity`, numbered one above the highest of the store
    // and of `highestKnown`, with the current time as its creation time.
    virtual ResultValue<NewRecord> add(const Opportunity& opportunity, qint32 highestKnown) = 0;
    // Adds records with the fields of the items that `next` hands out, in one transaction, all or
    // nothing, numbered in the given order after the highest of the store and of `highestKnown`.
    // The items are pulled while the transaction is open, so no more than one of them needs to
    // be in memory at a time. `describe` names the item last handed out; a failure of `next`
    // comes back as it is.
    virtual ResultValue<std::vector<NewRecord>> addAll(const Source& next, qint32 highestKnown,
                                                       const Describe& describe) = 0;
    // The same for items already in memory.
    ResultValue<std::vector<NewRecord>> addAll(const std::vector<const Opportunity*>& items,
                                               qint32 highestKnown, const Describe& describe);
    // Writes the fields of `opportunity` to the record it was read from (its record number and
    // row); DateCreated is kept. The record's row identity after the write (a server's row
    // version changes with every write).
    virtual ResultValue<std::optional<qint64>> update(const Opportunity& opportunity) = 0;
    // Deletes the record of `opportunity`.
    virtual Result remove(const Opportunity& opportunity) = 0;
    // Puts back a record as it was, its record number and creation time included (after it was
    // removed); fails when another record took the number meanwhile. Sets nothing on failure.
    virtual ResultValue<NewRecord> restore(const Opportunity& opportunity) = 0;
    // Deletes the records of `items` in one transaction, all or nothing: fails, naming the
    // record, when any of them is no longer in the store as it was read.
    virtual Result removeAll(const std::vector<const Opportunity*>& items) = 0;
    // Puts back records that were removed, as they were, in one transaction, all or nothing:
    // fails, naming the record, when another record took one of their numbers meanwhile.
    virtual ResultValue<std::vector<NewRecord>>
    restoreAll(const std::vector<const Opportunity*>& items) = 0;

    // Many changes as one, in one transaction, all or nothing (an import, its undo and redo):
    // the records of `removals` are deleted and those of `updates` written (their record number
    // and row; DateCreated kept), each failing unless exactly that record is in the store as it
    // was read; `restorations` are put back as they were (record number and creation time),
    // failing when their number is taken; `additions` are added with the current time, numbered
    // in order after the highest of the store and of `highestKnown`. `describe` names an item by
    // its index counted over updates, restorations and additions, in that order. `progress`
    // hears of the items written and may cancel, which writes nothing. The new records of the
    // restorations, then of the additions.
    struct Changes {
        std::vector<const Opportunity*> removals;
        std::vector<const Opportunity*> updates;
        std::vector<const Opportunity*> restorations;
        std::vector<const Opportunity*> additions;
    };
    virtual ResultValue<std::vector<NewRecord>> changeAll(const Changes& changes,
                                                          qint32 highestKnown,
                                                          const Describe& describe,
                                                          const ProgressCallback& progress) = 0;

    // A consistent copy of the whole database as a new file at `target`, made under a temporary
    // name beside it and renamed when complete (an existing regular file there is replaced).
    // `progress` hears of the pages copied; when it returns false the temporary file is removed,
    // the target stays as it was, and the result is cancelled.
    virtual Result backupTo(const QString& target, const ProgressCallback& progress) = 0;
    Result backupTo(const QString& target) { return backupTo(target, {}); }

    // A change of one record that the store heard of (made by any client, this one included):
    // the record and its row identity after the change. Lost: the store lost its connection and
    // refuses every call until it is back. Resync: the connection is back (or was never made
    // when watching began); the store may have missed changes and every record should be read
    // anew.
    struct Change {
        enum class Kind { Added, Changed, Removed, Lost, Resync };
        Kind kind = Kind::Changed;
        qint32 recordNumber = 0;
        qint64 rowId = 0;
    };
    using ChangeHandler = std::function<void(const std::vector<Change>&)>;
    // Hands every change of the database that the store hears of to `handler`, from the event
    // loop, until the store is destroyed; false when the store hears of none (a file).
    virtual bool watch(const ChangeHandler& handler) {
        Q_UNUSED(handler);
        return false;
    }
    // The record with this record number as it is now (with its row identity and creation
    // time); nothing when there is none.
    virtual ResultValue<std::optional<Opportunity>> readRecord(qint32 recordNumber) {
        Q_UNUSED(recordNumber);
        return Result::failure(QStringLiteral("the database cannot read single records"));
    }
};
