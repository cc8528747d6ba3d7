#pragma once

#include "platform/KeyedCollection.h"
#include "settings/ColumnStatus.h"

#include <QString>
#include <QStringList>
#include <optional>

class SettingsStore;

// The display state of the list's 14 data columns (OpportunityFields::columnKeys()), in position
// order. Loads itself from section "Display" of the settings store when created; Save writes all
// 42 values back.
class ColumnsInfo {
public:
    // Loads the layout from `store`, where save() writes it back.
    explicit ColumnsInfo(SettingsStore& store);
    ~ColumnsInfo();
    ColumnsInfo(const ColumnsInfo&) = delete;
    ColumnsInfo& operator=(const ColumnsInfo&) = delete;

    // Appends an entry, under `sKey` when it is not empty. nullptr when the key is taken.
    ColumnStatus* add(const QString& cKey, qint16 cWidth, qint16 order, bool displayed,
                      const QString& sKey = QString());
    // The entry at a 1-based position or under a key; nullptr when there is none.
    ColumnStatus* item(qint32 position) const;
    ColumnStatus* item(const QString& key) const;
    qint32 count() const { return m_items.count(); }
    bool remove(qint32 position);
    bool remove(const QString& key);

    // The column key of a Sort menu position (1 to 14), else "None".
    static QString keyValue(int sortMenuPosition);
    // Whether a sort on `sortKey` stays once these columns are applied: not when its column is
    // hidden. No key, "None" and keys without a column keep the sort as it is.
    bool keepsSort(const std::optional<QString>& sortKey) const;

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    void save() const;

private:
    void load();

    SettingsStore& m_store;
    KeyedCollection<ColumnStatus> m_items;
};
