#include "filter/FilterRanges.h"

FilterRanges::Verdict FilterRanges::check(const QDate& start, const QDate& end, double low,
                                          double high) {
    const Verdict dates = checkDates(start, end);
    return dates.passed() ? checkRevenue(low, high) : dates;
}

FilterRanges::Verdict FilterRanges::checkDates(const QDate& start, const QDate& end) {
    if (start > end)
        return {
            Range::OrderDate,
            QStringLiteral("Warning: Your date range has the start date later than the end date."),
            QStringLiteral("Date range filter."), UiServices::Icon::Exclamation};
    if (start.daysTo(end) > MaxRangeDays)
        return {Range::OrderDate,
                QStringLiteral("Warning: Your date range start and end date cannot be more "
                               "than one year apart."),
                QStringLiteral("Date range filter"), UiServices::Icon::Critical};
    return {};
}

FilterRanges::Verdict FilterRanges::checkRevenue(double low, double high) {
    if (high < low)
        return {Range::Revenue,
                QStringLiteral("Warning: Your revenue range 'low' cannot be more than the 'high'."),
                revenueWarningTitle(), UiServices::Icon::Critical};
    return {};
}

QString FilterRanges::revenueWarningTitle() {
    return QStringLiteral("Revenue range filter");
}
