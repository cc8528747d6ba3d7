#pragma once

#include "filter/FilterItem.h"
#include "platform/KeyedCollection.h"

#include <QString>
#include <QVariant>

class SalesDatabase;
class SettingsStore;
class Opportunities;

// The filter set: the criteria that decide which opportunities of an open database are visible,
// shared by every open database, with the master switch Enabled. Building the set loads the 22
// criteria from the settings store; Save writes them back.
//
// The criteria, by key: "All", "Status", "DateRange", "Revenues" (section "Use": filtering on,
// the status group applies, every order date is shown, the revenue range applies);
// "Probability_1".."Probability_6" and "Stage_1".."Stage_7" (sections "Probability" and "Stage",
// value names "1".."7": that entry of the value list is shown); "Forecast_1" (section
// "Forecast": opportunities marked "No" are shown too); "Start" and "End" (section "DateRange":
// the order-date bounds) and "Low" and "High" (section "Revenue": the revenue bounds), all
// four bounds exclusive.
class Filters {
public:
    // Builds the set from `store`, where save() writes it back.
    explicit Filters(SettingsStore& store);
    ~Filters();
    Filters(const Filters&) = delete;
    Filters& operator=(const Filters&) = delete;

    // The keys of the 22 criteria, in the order in which the set is built.
    static const QStringList& criterionKeys();

    // Appends a new item with these values, under the key `sKey` unless it is empty. Returns
    // nullptr (and changes nothing) when the key is already in use.
    FilterItem* add(const QString& key, const QVariant& value, const QString& filterName,
                    const QString& filterGroup, const QString& sKey);
    // The item under a key, or at a 1-based position; nullptr when there is none.
    FilterItem* item(const QString& key) const;
    FilterItem* item(qint32 position) const;
    qint32 count() const { return m_items.count(); }

    bool enabled() const { return m_Enabled; }
    void setEnabled(bool value) { m_Enabled = value; }

    // Writes every criterion to the settings store now; false when a value could not be
    // written (the others are still written).
    bool save() const;

    // The filter pass over one database: sets Visible on each of its opportunities.
    void filter(SalesDatabase& thedbOpp) const;
    void filter(Opportunities& opportunities) const;

    // Enumeration in position order.
    using const_iterator = KeyedCollection<FilterItem>::const_iterator;
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    // The value of a criterion as the pass reads it; the default when there is no such item or
    // its value does not convert.
    bool boolCriterion(const QString& key, const QString& group, const QString& name) const;
    QDateTime dateCriterion(const QString& key, const QString& name) const;
    double numberCriterion(const QString& key, const QString& name) const;

    SettingsStore& m_store;
    KeyedCollection<FilterItem> m_items;
    bool m_Enabled = true;
};
