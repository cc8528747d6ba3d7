#pragma once

#include <QCalendarWidget>
#include <QDate>

// A month calendar that marks a range of days (the days until the order) besides its selected
// date.
class OrderDateCalendar : public QCalendarWidget {
    Q_OBJECT
public:
    explicit OrderDateCalendar(QWidget* parent = nullptr);

    // Marks the days from `from` to `to`, both included; nothing when `to` lies before `from`.
    void setMarkedRange(const QDate& from, const QDate& to);
    QDate markedFrom() const { return m_from; }
    QDate markedTo() const { return m_to; }

protected:
    void paintCell(QPainter* painter, const QRect& rect, QDate date) const override;

private:
    QDate m_from;
    QDate m_to;
};
