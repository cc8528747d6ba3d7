#include "store/SalesDatabase.h"

#include <algorithm>
#include <limits>

SalesDatabase::SalesDatabase(std::unique_ptr<SalesStore> store)
    : m_store(std::move(store)), m_name(m_store->description()) {}

ResultValue<std::unique_ptr<SalesDatabase>> SalesDatabase::open(const QString& location) {
    auto database = std::make_unique<SalesDatabase>(SalesStore::forLocation(location));
    auto read = database->store().readAll();
    if (!read)
        return Result::failure(QStringLiteral("Could not open ") + database->location());
    database->m_opportunities = std::move(*read);
    return database;
}

ResultValue<std::unique_ptr<SalesDatabase>> SalesDatabase::open(std::unique_ptr<SalesStore> store) {
    auto database = std::make_unique<SalesDatabase>(std::move(store));
    auto read = database->store().readAll();
    if (!read)
        return Result::failure(
            QStringLiteral("Could not open %1: %2").arg(database->location(), read.message()));
    database->m_opportunities = std::move(*read);
    return database;
}

ResultValue<std::unique_ptr<SalesDatabase>> SalesDatabase::create(const QString& location,
                                                                  bool replace) {
    auto store = SalesStore::create(location, replace);
    if (!store)
        return store.result();
    return std::make_unique<SalesDatabase>(std::move(*store));
}

qint32 SalesDatabase::highestKnown() const {
    // Looking through every record costs more than a server's add itself.
    if (m_store->numbersRecords())
        return 0;
    const auto next = m_opportunities.nextRecordNumber();
    return next ? *next - 1 : std::numeric_limits<qint32>::max();
}

QString SalesDatabase::append(const Opportunity& fields, const SalesStore::NewRecord& record) {
    auto copy = std::make_unique<Opportunity>(Opportunity::Blank{});
    copy->copyFieldsFrom(fields);
    return append(std::move(copy), record);
}

QString SalesDatabase::append(std::unique_ptr<Opportunity> copy,
                              const SalesStore::NewRecord& record) {
    copy->setRecordNumber(record.recordNumber);
    copy->setDateCreated(record.dateCreated);
    copy->setRowId(record.rowId);
    const QString key = Opportunities::keyFor(record.recordNumber);
    m_opportunities.add(std::move(copy), key);
    return key;
}

ResultValue<QString> SalesDatabase::add(const Opportunity& opportunity) {
    Opportunity fitted(opportunity);
    fitted.fitOrderMonth();
    const auto added = m_store->add(fitted, highestKnown());
    if (!added)
        return added.result();
    return append(fitted, *added);
}

Result SalesDatabase::update(const QString& key, const Opportunity& edited) {
    Opportunity* item = m_opportunities.item(key);
    if (!item)
        return Result::failure(QStringLiteral("Could not save the opportunity in %1: it is not in "
                                              "the list (%2)")
                                   .arg(location(), key));
    Opportunity written(*item);
    written.copyFieldsFrom(edited);
    // The creation time is the store's, whatever the edited copy says.
    written.setDateCreated(item->dateCreated());
    written.fitOrderMonth();
    const auto stored = m_store->update(written);
    if (!stored)
        return stored.result();
    item->copyFieldsFrom(written);
    item->setRowId(*stored);
    return {};
}

Result SalesDatabase::remove(const QString& key, const std::function<void()>& beforeLeaving) {
    const Opportunity* item = m_opportunities.item(key);
    if (!item)
        return Result::failure(QStringLiteral("Could not delete the opportunity from %1: it is "
                                              "not in the list (%2)")
                                   .arg(location(), key));
    if (const Result removed = m_store->remove(*item); !removed)
        return removed;
    if (beforeLeaving)
        beforeLeaving();
    m_opportunities.remove(key);
    return {};
}

ResultValue<QString> SalesDatabase::restore(const Opportunity& removed) {
    const QString key = Opportunities::keyFor(removed.recordNumber());
    if (m_opportunities.contains(key))
        return Result::failure(QStringLiteral("Could not put the opportunity back into %1: record "
                                              "number %2 is in use")
                                   .arg(location())
                                   .arg(removed.recordNumber()));
    const auto restored = m_store->restore(removed);
    if (!restored)
        return restored.result();
    return append(removed, *restored);
}

Result SalesDatabase::removeAll(const QStringList& keys,
                                const std::function<void()>& beforeLeaving) {
    std::vector<const Opportunity*> items;
    items.reserve(static_cast<size_t>(keys.size()));
    for (const QString& key : keys) {
        const Opportunity* item = m_opportunities.item(key);
        if (!item)
            return Result::failure(QStringLiteral("Could not delete the opportunities from %1: "
                                                  "record %2 is not in the list")
                                       .arg(location(), key));
        items.push_back(item);
    }
    if (const Result removed = m_store->removeAll(items); !removed)
        return removed;
    if (beforeLeaving)
        beforeLeaving();
    m_opportunities.removeAll(keys);
    return {};
}

ResultValue<QStringList> SalesDatabase::restoreAll(const std::vector<Opportunity>& removed) {
    std::vector<const Opportunity*> items;
    items.reserve(removed.size());
    for (const Opportunity& item : removed) {
        if (m_opportunities.contains(Opportunities::keyFor(item.recordNumber())))
            return Result::failure(QStringLiteral("Could not put the opportunities back into %1: "
                                                  "record number %2 is in use")
                                       .arg(location())
                                       .arg(item.recordNumber()));
        items.push_back(&item);
    }
    const auto restored = m_store->restoreAll(items);
    if (!restored)
        return restored.result();
    m_opportunities.reserve(m_opportunities.count() + static_cast<qint32>(restored->size()));
    QStringList keys;
    keys.reserve(static_cast<qsizetype>(restored->size()));
    for (size_t i = 0; i < restored->size(); ++i)
        keys.append(append(removed[i], (*restored)[i]));
    return keys;
}

ResultValue<QStringList> SalesDatabase::addAll(const std::vector<const Opportunity*>& items,
                                               const SalesStore::Describe& describe) {
    size_t next = 0;
    return addAll(
        [&]() -> ResultValue<const Opportunity*> {
            return next < items.size() ? items[next++] : nullptr;
        },
        describe);
}

ResultValue<QStringList> SalesDatabase::addAll(const SalesStore::Source& next,
                                               const SalesStore::Describe& describe) {
    // The copies wait here until the store has committed them.
    std::vector<std::unique_ptr<Opportunity>> copies;
    const auto copying = [&]() -> ResultValue<const Opportunity*> {
        auto item = next();
        if (item && *item) {
            copies.push_back(std::make_unique<Opportunity>(Opportunity::Blank{}));
            copies.back()->copyFieldsFrom(**item);
        }
        return item;
    };
    const auto added = m_store->addAll(copying, highestKnown(), describe);
    if (!added)
        return added.result();
    m_opportunities.reserve(m_opportunities.count() + static_cast<qint32>(added->size()));
    QStringList keys;
    keys.reserve(static_cast<qsizetype>(added->size()));
    for (size_t i = 0; i < added->size(); ++i)
        keys.append(append(std::move(copies[i]), (*added)[i]));
    return keys;
}

ResultValue<QStringList> SalesDatabase::changeAll(Changes changes,
                                                  const SalesStore::Describe& describe,
                                                  const ProgressCallback& progress,
                                                  const std::function<void()>& beforeLeaving) {
    const QString notInList = QStringLiteral("Could not write the changes to %1: record %2 is "
                                             "not in the list. Nothing was changed.");
    SalesStore::Changes written;
    written.removals.reserve(static_cast<size_t>(changes.removals.size()));
    for (const QString& key : std::as_const(changes.removals)) {
        const Opportunity* item = m_opportunities.item(key);
        if (!item)
            return Result::failure(notInList.arg(location(), key));
        written.removals.push_back(item);
    }
    // The updated records as they will be stored: their number, row and creation time stay.
    std::vector<Opportunity> updated;
    updated.reserve(changes.updates.size());
    for (const auto& [key, fields] : changes.updates) {
        const Opportunity* item = m_opportunities.item(key);
        if (!item)
            return Result::failure(notInList.arg(location(), key));
        Opportunity& record = updated.emplace_back(*item);
        record.copyFieldsFrom(fields);
        record.setDateCreated(item->dateCreated());
        record.fitOrderMonth();
    }
    for (const Opportunity& record : updated)
        written.updates.push_back(&record);
    for (const Opportunity& item : changes.restorations) {
        if (m_opportunities.contains(Opportunities::keyFor(item.recordNumber())))
            return Result::failure(QStringLiteral("Could not write the changes to %1: record "
                                                  "number %2 is in use. Nothing was changed.")
                                       .arg(location())
                                       .arg(item.recordNumber()));
        written.restorations.push_back(&item);
    }
    for (Opportunity& item : changes.additions) {
        item.fitOrderMonth();
        written.additions.push_back(&item);
    }
    const auto stored = m_store->changeAll(written, highestKnown(), describe, progress);
    if (!stored)
        return stored.result();

    if (!changes.removals.isEmpty()) {
        if (beforeLeaving)
            beforeLeaving();
        m_opportunities.removeAll(changes.removals);
    }
    for (size_t i = 0; i < updated.size(); ++i) {
        if (Opportunity* item = m_opportunities.item(changes.updates[i].first))
            item->copyFieldsFrom(updated[i]);
    }
    m_opportunities.reserve(m_opportunities.count() + static_cast<qint32>(stored->size()));
    QStringList keys;
    keys.reserve(static_cast<qsizetype>(stored->size()));
    const size_t restored = changes.restorations.size();
    for (size_t i = 0; i < stored->size(); ++i) {
        if (i < restored) {
            keys.append(append(changes.restorations[i], (*stored)[i]));
        } else {
            auto item = std::make_unique<Opportunity>(std::move(changes.additions[i - restored]));
            item->setVisible(true);
            keys.append(append(std::move(item), (*stored)[i]));
        }
    }
    return keys;
}
