#pragma once

#include "platform/Result.h"
#include "store/Opportunities.h"
#include "store/SalesStore.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

// One open sales database: its store, the opportunities read from it and its Window index. Every
// change is written to the store first and reaches the collection only when it was written, so
// the collection always shows what the store holds.
class SalesDatabase {
public:
    explicit SalesDatabase(std::unique_ptr<SalesStore> store);
    SalesDatabase(const SalesDatabase&) = delete;
    SalesDatabase& operator=(const SalesDatabase&) = delete;

    // Reads every record of the database at `location`; fails with "Could not open " and the
    // location.
    static ResultValue<std::unique_ptr<SalesDatabase>> open(const QString& location);
    // The same with a store made by the caller (a team database with its password); the
    // failure also says why.
    static ResultValue<std::unique_ptr<SalesDatabase>> open(std::unique_ptr<SalesStore> store);
    // Creates a new, empty database at `location` (see SalesStore::create).
    static ResultValue<std::unique_ptr<SalesDatabase>> create(const QString& location,
                                                              bool replace = false);

    QString location() const { return m_store->location(); }
    // The store's short name (the file name), for titles and the Window menu.
    const QString& name() const { return m_name; }
    qint32 window() const { return m_window; }
    void setWindow(qint32 window) { m_window = window; }
    ::Opportunities& opportunities() { return m_opportunities; }
    const ::Opportunities& opportunities() const { return m_opportunities; }
    SalesStore& store() const { return *m_store; }

    // Adds a copy of `opportunity`, numbered one above the highest record number of the store and
    // of the collection (the store may have gained records from another program since the open),
    // and returns its key. An OrderMonth too long for its field is stored as the month's short
    // name.
    ResultValue<QString> add(const Opportunity& opportunity);
    // Writes the fields of `edited` to the opportunity under `key` (its record number and row
    // stay); the collection takes them only when the store has.
    Result update(const QString& key, const Opportunity& edited);
    // Deletes the opportunity under `key` from the store and then from the collection;
    // `beforeLeaving` runs in between, while the opportunity can still be read.
    Result remove(const QString& key, const std::function<void()>& beforeLeaving = {});
    // Puts back a removed opportunity as it was (record number and creation time included) and
    // returns its key.
    ResultValue<QString> restore(const Opportunity& removed);
    // Deletes the opportunities under `keys` from the store in one transaction, all or nothing,
    // and then from the collection; `beforeLeaving` runs in between, while they can still be
    // read.
    Result removeAll(const QStringList& keys, const std::function<void()>& beforeLeaving = {});
    // Puts back removed opportunities as they were, in one transaction, all or nothing; their
    // keys.
    ResultValue<QStringList> restoreAll(const std::vector<Opportunity>& removed);
    // Adds copies of `items` in one transaction, all or nothing, numbered in order; the keys of
    // the added opportunities.
    ResultValue<QStringList> addAll(const std::vector<const Opportunity*>& items,
                                    const SalesStore::Describe& describe);
    // The same for the items that `next` hands out as they are read (see SalesStore::addAll):
    // the copies join the collection only when the store has committed them all.
    ResultValue<QStringList> addAll(const SalesStore::Source& next,
                                    const SalesStore::Describe& describe);

    // Many changes as one (an import, its undo and redo): written to the store in one
    // transaction, all or nothing (SalesStore::changeAll), and then to the collection. The
    // opportunities under `removals` are deleted, those under the keys of `updates` take the
    // fields given (record number, row and creation time stay), `restorations` are put back as
    // they were and `additions` are added with new record numbers. The keys of the restored and
    // then of the added opportunities.
    struct Changes {
        QStringList removals;
        std::vector<std::pair<QString, Opportunity>> updates;
        std::vector<Opportunity> restorations;
        std::vector<Opportunity> additions;
    };
    // `beforeLeaving` runs once the store has written, while the removed opportunities can
    // still be read.
    ResultValue<QStringList> changeAll(Changes changes, const SalesStore::Describe& describe,
                                       const ProgressCallback& progress = {},
                                       const std::function<void()>& beforeLeaving = {});

private:
    qint32 highestKnown() const;
    QString append(const Opportunity& fields, const SalesStore::NewRecord& record);
    QString append(std::unique_ptr<Opportunity> copy, const SalesStore::NewRecord& record);

    std::unique_ptr<SalesStore> m_store;
    ::Opportunities m_opportunities;
    QString m_name;
    qint32 m_window = 0;
};
