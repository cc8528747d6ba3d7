#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Texts in the user's regional settings (the default QLocale, which tests fix with
// QLocale::setDefault): month names, the general date-and-time text, currency and number texts,
// and short dates that always carry a four-digit year so that a stored date reads back the same.
class LocaleText {
public:
    // Full name of month 1..12.
    static QString monthName(int month);
    // Month number 1..12 of a full month name, compared exactly; 0 when none matches.
    static int monthNumber(const QString& name);
    // Short date followed by the long time, such as "12/6/2026 4:59:42 PM".
    static QString generalDateTime(const QDateTime& when);
    // The pattern generalDateTime uses, for callers that format many values at once.
    static QString generalDateTimeFormat();
    // The locale's short-date pattern with a four-digit year.
    static QString shortDateFormat();
    static QString shortDate(const QDate& date);
    // The date of a short-date text; an invalid date when the text is none.
    static QDate parseShortDate(const QString& text);
    // Currency text with symbol, thousands separators and two decimals.
    static QString currency(double amount);
    // Number text with thousands separators and `decimals` decimals.
    static QString number(double value, int decimals = 2);
};
