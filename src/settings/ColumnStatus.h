#pragma once

#include <QString>

// One list column's display state: key, width in twips, ordinal and whether it is displayed.
class ColumnStatus {
public:
    bool CDisplay() const { return m_CDisplay; }
    void setCDisplay(bool value) { m_CDisplay = value; }
    qint16 COrder() const { return m_COrder; }
    void setCOrder(qint16 value) { m_COrder = value; }
    qint16 cWidth() const { return m_cWidth; }
    void setcWidth(qint16 value) { m_cWidth = value; }
    const QString& cKey() const { return m_cKey; }
    void setcKey(const QString& value) { m_cKey = value; }

private:
    QString m_cKey;
    qint16 m_cWidth = 0;
    qint16 m_COrder = 0;
    bool m_CDisplay = false;
};
