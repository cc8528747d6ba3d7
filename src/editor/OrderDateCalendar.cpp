#include "editor/OrderDateCalendar.h"

#include <QPainter>

OrderDateCalendar::OrderDateCalendar(QWidget* parent) : QCalendarWidget(parent) {}

void OrderDateCalendar::setMarkedRange(const QDate& from, const QDate& to) {
    m_from = from;
    m_to = to;
    updateCells();
}

void OrderDateCalendar::paintCell(QPainter* painter, const QRect& rect, QDate date) const {
    QCalendarWidget::paintCell(painter, rect, date);
    // A light veil of the selection colour over the cell, so the day's text stays readable.
    if (m_from.isValid() && m_to.isValid() && date >= m_from && date <= m_to) {
        QColor marked = palette().color(QPalette::Highlight);
        marked.setAlpha(60);
        painter->fillRect(rect, marked);
    }
}
