#pragma once

#include "platform/OwnedItemIterator.h"
#include "store/Opportunity.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// The opportunities of one database file, in the order in which they were added, each under
// the key "Key=" + record number. Owns its items. Positions count from 1. The keys are not
// kept as texts: an opportunity is found by its record number, so a file of 32,767 records
// carries no key strings.
class Opportunities {
public:
    // The key of the opportunity with record number `recordNumber`.
    static QString keyFor(qint32 recordNumber);
    // The record number that `key` names, in the one form that keyFor writes ("Key=007" and
    // "Key=+7" name none); nothing for another text.
    static std::optional<qint32> numberOf(const QString& key);

    // The highest record number plus 1, counted from 0; nothing when the highest is the
    // largest 32-bit number.
    std::optional<qint32> nextRecordNumber() const;
    // The number of opportunities that pass the filter (Visible).
    qint32 unFilteredCount() const;
    // The summed revenue of the visible opportunities, and of all: the amounts each opportunity
    // read from its Revenue when it was set (Opportunity::RevenueAmount).
    double filteredRevenue() const;
    double totalRevenue() const;

    // Appends a new opportunity with these fields; under `key` unless it is empty. Returns
    // nullptr (and changes nothing) when the key is already in use.
    Opportunity* add(qint32 recordNumber, const QString& salesOwner, const QString& dateCreated,
                     const QString& company, const QString& department, const QString& contact,
                     const QString& note, const QString& product, const QString& description,
                     const QString& unitPrice, const QString& quantity, const QString& revenue,
                     const QString& source, const QString& stage, const QString& forecast,
                     const QString& probability, const QString& orderDay, const QString& orderMonth,
                     const QString& orderYear, const QString& key);
    // Appends `item` (its record number and texts) under `key`, which is "" (no key) or the
    // key of its record number; nullptr (nothing changes) when the key is taken or is another.
    Opportunity* add(std::unique_ptr<Opportunity> item, const QString& key);

    // The item under a key, or at a 1-based position; nullptr when there is none.
    Opportunity* item(const QString& key) const;
    Opportunity* item(qint32 position) const;
    bool contains(const QString& key) const { return item(key) != nullptr; }
    // The key of the item at a 1-based position ("" for an item added without key).
    QString keyAt(qint32 position) const;
    qint32 count() const { return static_cast<qint32>(m_items.size()); }
    // Removes the item under a key, or at a 1-based position; false when there is none.
    bool remove(const QString& key);
    bool remove(qint32 position);
    // Removes the items under `keys` in one pass (keys not in use are passed over); the number
    // removed.
    qint32 removeAll(const QStringList& keys);
    void clear();

    // Enumeration in position order, giving the opportunities themselves.
    static Opportunity* itemOf(const std::unique_ptr<Opportunity>& entry) { return entry.get(); }
    using const_iterator =
        OwnedItemIterator<Opportunity, std::vector<std::unique_ptr<Opportunity>>::const_iterator,
                          &Opportunities::itemOf>;
    const_iterator begin() const { return const_iterator(m_items.begin()); }
    const_iterator end() const { return const_iterator(m_items.end()); }

    void reserve(qint32 count);

private:
    // Whether `item` is the one under its record number's key (not one added without key).
    bool isKeyed(const Opportunity* item) const {
        return m_byNumber.value(item->recordNumber()) == item;
    }

    std::vector<std::unique_ptr<Opportunity>> m_items;
    QHash<qint32, Opportunity*> m_byNumber;
};
