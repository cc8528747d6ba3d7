#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// Texts in the user's regional settings (the default QLocale, which tests fix with
// QLocale::setDefault): month names, the general date-and-time text, currency and number texts,
// and short dates that always carry a four-digit year so that a stored date reads back the same.
class LocaleText {
public:
    // Full name of month 1..12.
    static QString monthName(int month);
    // The full name of month 1..12 when it has at most `maxCharacters` characters, else the
    // locale's short name (Irish, Scottish Gaelic, Mongolian, Maori, Somali... have full names
    // longer than a stored month may be).
    static QString monthNameWithin(int month, int maxCharacters);
    // Month number 1..12 of a full or short month name, compared exactly (full names first);
    // 0 when none matches.
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
    // The amount of a number or currency text written in the locale: digits (ASCII or the
    // locale's), group separators in their places, at most one decimal separator, and around
    // them blanks, the currency symbol or code, and a sign or parentheses. Amounts are read as
    // magnitudes (a sign is dropped). Nothing when the text is not such a text, so that the
    // caller can read it another way.
    static std::optional<double> amount(QStringView text);
};
