#pragma once

#include <QString>

// One list column's display state: key, width in twips, ordinal and whether it is displayed.
class ColumnStatus {
public:
    bool isDisplayed() const { return m_CDisplay; }
    void setDisplayed(bool value) { m_CDisplay = value; }
    qint16 order() const { return m_COrder; }
    void setOrder(qint16 value) { m_COrder = value; }
    qint16 width() const { return m_cWidth; }
    void setWidth(qint16 value) { m_cWidth = value; }
    const QString& key() const { return m_cKey; }
    void setKey(const QString& value) { m_cKey = value; }

private:
    QString m_cKey;
    qint16 m_cWidth = 0;
    qint16 m_COrder = 0;
    bool m_CDisplay = false;
};
