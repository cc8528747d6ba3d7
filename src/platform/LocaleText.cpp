#include "platform/LocaleText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace {
// Widens a two-digit year ("yy") of a date pattern to four digits; patterns that already have
// four (or a single "y") are left alone.
QString withFourDigitYear(QString pattern) {
    static const QRegularExpression shortYear(QStringLiteral("(?<!y)yy(?!y)"));
    pattern.replace(shortYear, QStringLiteral("yyyy"));
    return pattern;
}

// The long time pattern without the time-zone part (with its brackets, where it has them).
QString longTimeFormat(const QLocale& locale) {
    QString pattern = locale.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*\\(?\\s*t+\\s*\\)?\\s*"));
    pattern.replace(zone, QStringLiteral(" "));
    return pattern.trimmed();
}
} // namespace

namespace {
// The twelve full month names of the default locale, computed again when it changes; the list
// and the filter ask for them once per opportunity.
const QStringList& monthNames() {
    static QLocale cachedFor(QLocale::c());
    static QStringList names;
    const QLocale locale;
    if (names.isEmpty() || !(locale == cachedFor)) {
        names.clear();
        for (int month = 1; month <= 12; ++month)
            names.append(locale.monthName(month, QLocale::LongFormat));
        cachedFor = locale;
    }
    return names;
}
} // namespace

QString LocaleText::monthName(int month) {
    return month >= 1 && month <= 12 ? monthNames().at(month - 1) : QString();
}

int LocaleText::monthNumber(const QString& name) {
    const int index = static_cast<int>(monthNames().indexOf(name));
    return index < 0 ? 0 : index + 1;
}

QString LocaleText::generalDateTimeFormat() {
    return shortDateFormat() + QLatin1Char(' ') + longTimeFormat(QLocale());
}

QString LocaleText::generalDateTime(const QDateTime& when) {
    return QLocale().toString(when, generalDateTimeFormat());
}

QString LocaleText::shortDateFormat() {
    return withFourDigitYear(QLocale().dateFormat(QLocale::ShortFormat));
}

QString LocaleText::shortDate(const QDate& date) {
    return QLocale().toString(date, shortDateFormat());
}

QDate LocaleText::parseShortDate(const QString& text) {
    const QLocale locale;
    QDate date = locale.toDate(text.trimmed(), shortDateFormat());
    if (!date.isValid())
        date = locale.toDate(text.trimmed(), QLocale::ShortFormat);
    if (!date.isValid())
        date = QDate::fromString(text.trimmed(), Qt::ISODate);
    return date;
}

QString LocaleText::currency(double amount) {
    return QLocale().toCurrencyString(amount, QString(), 2);
}

QString LocaleText::number(double value, int decimals) {
    return QLocale().toString(value, 'f', decimals);
}
