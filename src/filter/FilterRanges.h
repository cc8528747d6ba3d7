#pragma once

#include "platform/UiServices.h"

#include <QDate>
#include <QString>

// The checks the filter dialog makes of its two ranges before it writes any criterion: the
// order-date range must start no later than it ends and span at most a year; the revenue range's
// low bound must not exceed its high bound. The date checks come first.
class FilterRanges {
public:
    // Ranges longer than this many days are refused.
    static constexpr qint64 MaxRangeDays = 365;

    // The range whose check failed; the dialog resets it and shows it on the "Other" page.
    enum class Range { None, OrderDate, Revenue };

    // The outcome of the checks: the failed range with the warning to show, or none.
    struct Verdict {
        Range range = Range::None;
        QString text;
        QString title;
        UiServices::Icon icon = UiServices::Icon::None;

        bool passed() const { return range == Range::None; }
    };

    // Both checks, the dates first.
    static Verdict check(const QDate& start, const QDate& end, double low, double high);
    static Verdict checkDates(const QDate& start, const QDate& end);
    static Verdict checkRevenue(double low, double high);

    // The revenue warning's title.
    static QString revenueWarningTitle();
};
