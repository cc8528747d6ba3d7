#include "editor/OrderDateRule.h"

#include "platform/LocaleText.h"
#include "store/Opportunity.h"

#include <QStringList>
#include <algorithm>

QDate OrderDateRule::StoredDate(const Opportunity& opportunity) {
    if (opportunity.OrderYear().isEmpty())
        return {};
    // OrderDateText gives year-month-day, the day as stored (it may lack its leading zero).
    const QStringList parts = opportunity.OrderDateText().split(QLatin1Char('-'));
    if (parts.size() != 3)
        return {};
    bool yearOk = false, monthOk = false, dayOk = false;
    const int year = parts[0].trimmed().toInt(&yearOk);
    const int month = parts[1].toInt(&monthOk);
    const int day = parts[2].trimmed().toInt(&dayOk);
    if (!yearOk || !monthOk || !dayOk || year < 1 || year > 9999)
        return {};
    return QDate(year, month, day);
}

QDate OrderDateRule::ShownDate(const Opportunity& opportunity, const QDate& today) {
    const QDate stored = StoredDate(opportunity);
    return stored.isValid() ? stored : today;
}

QDate OrderDateRule::RangeEnd(const QDate& orderDate, const QDate& today) {
    return std::max(orderDate, today);
}

QString OrderDateRule::DaysToolTip(const QDate& orderDate, const QDate& today) {
    const qint64 days = today.daysTo(RangeEnd(orderDate, today));
    return (days == 0 ? QString() : QString::number(days)) +
           QStringLiteral(" days until the order.");
}

QDate OrderDateRule::Picked(const QDate& clicked, const QDate& today) {
    return std::max(clicked, today);
}

QDate OrderDateRule::Earliest(const QDate& shown, const QDate& today) {
    return std::min(shown, today);
}

QDate OrderDateRule::Latest(const QDate& shown, const QDate& today) {
    return std::max(shown, today.addDays(RangeLimitDays));
}

void OrderDateRule::Write(const QDate& date, Opportunity& opportunity) {
    opportunity.setOrderDay(QString::number(date.day()).rightJustified(2, QLatin1Char('0')));
    opportunity.setOrderMonth(LocaleText::monthName(date.month()));
    opportunity.setOrderYear(QString::number(date.year()));
}
