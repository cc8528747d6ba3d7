#include "editor/OrderDateRule.h"

#include "platform/LocaleText.h"
#include "store/Opportunity.h"

#include <QStringList>
#include <algorithm>

QDate OrderDateRule::storedDate(const Opportunity& opportunity) {
    if (opportunity.orderYear().isEmpty())
        return {};
    // OrderDateText gives year-month-day, the day as stored (it may lack its leading zero).
    const QStringList parts = opportunity.orderDateText().split(QLatin1Char('-'));
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

QDate OrderDateRule::shownDate(const Opportunity& opportunity, const QDate& today) {
    const QDate stored = storedDate(opportunity);
    return stored.isValid() ? stored : today;
}

QDate OrderDateRule::rangeEnd(const QDate& orderDate, const QDate& today) {
    return std::max(orderDate, today);
}

QString OrderDateRule::daysToolTip(const QDate& orderDate, const QDate& today) {
    const qint64 days = today.daysTo(rangeEnd(orderDate, today));
    return (days == 0 ? QString() : QString::number(days)) +
           QStringLiteral(" days until the order.");
}

QDate OrderDateRule::picked(const QDate& clicked, const QDate& today) {
    return std::max(clicked, today);
}

QDate OrderDateRule::earliest(const QDate& shown, const QDate& today) {
    return std::min(shown, today);
}

QDate OrderDateRule::latest(const QDate& shown, const QDate& today) {
    return std::max(shown, today.addDays(RangeLimitDays));
}

void OrderDateRule::write(const QDate& date, Opportunity& opportunity) {
    opportunity.setOrderDay(QString::number(date.day()).rightJustified(2, QLatin1Char('0')));
    opportunity.setOrderMonth(LocaleText::monthName(date.month()));
    opportunity.setOrderYear(QString::number(date.year()));
}
