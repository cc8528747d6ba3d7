#pragma once

#include <QDate>
#include <QString>

class Opportunity;

// The expected order date in the editor: the calendar shows the days from today to the order
// as a selected range and names their number in its tool tip. A stored date is shown as it is
// (also one in the past or more than a year ahead); only a date the user picks replaces it,
// and a picked date never lies before today.
class OrderDateRule {
public:
    // Days ahead the calendar offers for new choices.
    static constexpr int RangeLimitDays = 365;

    // The stored order date, or an invalid date when the three texts make none.
    static QDate storedDate(const Opportunity& opportunity);
    // The date the calendar shows selected: the stored date, or today when there is none.
    static QDate shownDate(const Opportunity& opportunity, const QDate& today);
    // The range the calendar marks: from today to the order date (empty when that is not
    // after today).
    static QDate rangeEnd(const QDate& orderDate, const QDate& today);
    // "N days until the order." with the whole days from today to the order date; no number
    // for none (an order date of today or before).
    static QString daysToolTip(const QDate& orderDate, const QDate& today);
    // A date clicked in the calendar: today when it lies before today.
    static QDate picked(const QDate& clicked, const QDate& today);
    // The earliest and latest dates the calendar offers: today to a year ahead, widened to the
    // stored date so that it stays visible.
    static QDate earliest(const QDate& shown, const QDate& today);
    static QDate latest(const QDate& shown, const QDate& today);
    // Writes a picked date: the day with two digits, the full month name, the year.
    static void write(const QDate& date, Opportunity& opportunity);
};
