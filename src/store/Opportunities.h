#pragma once

#include "platform/KeyedCollection.h"
#include "store/Opportunity.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// The opportunities of one database file, in the order in which they were added, each under
// the key "Key=" + record number. Owns its items. Positions count from 1.
class Opportunities {
public:
    // The key of the opportunity with record number `recordNumber`.
    static QString keyFor(qint32 recordNumber);

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
    // Appends `item` (its record number and texts) under `key`; nullptr when the key is taken.
    Opportunity* add(std::unique_ptr<Opportunity> item, const QString& key);

    // The item under a key, or at a 1-based position; nullptr when there is none.
    Opportunity* item(const QString& key) const;
    Opportunity* item(qint32 position) const;
    bool contains(const QString& key) const { return m_items.contains(key); }
    // The key of the item at a 1-based position ("" for an item added without key).
    QString keyAt(qint32 position) const;
    qint32 count() const { return m_items.count(); }
    // Removes the item under a key, or at a 1-based position; false when there is none.
    bool remove(const QString& key);
    bool remove(qint32 position);
    // Removes the items under `keys` in one pass; the number removed.
    qint32 removeAll(const QStringList& keys) { return m_items.removeAll(keys); }
    void clear();

    // Enumeration in position order.
    using const_iterator = KeyedCollection<Opportunity>::const_iterator;
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

    void reserve(qint32 count) { m_items.reserve(count); }

private:
    KeyedCollection<Opportunity> m_items;
};
