#pragma once

#include <QString>
#include <optional>

// The list's sort choice of the current run; not persisted, so every run starts unsorted.
class SortChoice {
public:
    qint16 displaySortOrder() const { return m_DisplaySortOrder; }
    void setDisplaySortOrder(qint16 value) { m_DisplaySortOrder = value; }
    // A column key or "None"; at first no key at all, which equals neither.
    const std::optional<QString>& displaySortKey() const { return m_DisplaySortKey; }
    void setDisplaySortKey(const QString& value) { m_DisplaySortKey = value; }
    bool displaySorted() const { return m_DisplaySorted; }
    void setDisplaySorted(bool value) { m_DisplaySorted = value; }

private:
    std::optional<QString> m_DisplaySortKey;
    qint16 m_DisplaySortOrder = 0;
    bool m_DisplaySorted = false;
};
