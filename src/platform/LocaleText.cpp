#include "platform/LocaleText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>
#include <charconv>

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
// The full and short month names of the default locale, computed again when it changes; the
// list and the filter ask for them once per opportunity.
struct MonthNames {
    QStringList full;
    QStringList brief;
};
const MonthNames& monthNames() {
    static QLocale cachedFor(QLocale::c());
    static MonthNames names;
    const QLocale locale;
    if (names.full.isEmpty() || !(locale == cachedFor)) {
        names = MonthNames();
        for (int month = 1; month <= 12; ++month) {
            names.full.append(locale.monthName(month, QLocale::LongFormat));
            names.brief.append(locale.monthName(month, QLocale::ShortFormat));
        }
        cachedFor = locale;
    }
    return names;
}

// What a locale's amounts look like, worked out once per locale.
struct AmountFormat {
    QLocale locale;
    QChar decimal;
    QChar group;
    bool groupIsBlank = false;      // any blank separates groups (fr_FR writes U+202F)
    bool groupIsApostrophe = false; // ' and its typographic form (de_CH writes U+2019)
    QStringList affixes;            // currency symbol and code
    QStringList signs;
    char16_t zero = 0;  // the locale's own zero digit where it is not the ASCII one
    int lastGroup = 3;  // digits in the group before the decimal separator
    int innerGroup = 3; // digits in the groups between
    int firstGroup = 3; // most digits in the first group

    explicit AmountFormat(const QLocale& l) : locale(l) {
        const QString point = l.decimalPoint();
        const QString separator = l.groupSeparator();
        decimal = point.size() == 1 ? point.at(0) : QChar();
        group = separator.size() == 1 ? separator.at(0) : QChar();
        groupIsBlank = group.isSpace();
        groupIsApostrophe = group == QLatin1Char('\'') || group == QChar(0x2019);
        for (const QString& affix : {l.currencySymbol(QLocale::CurrencySymbol),
                                     l.currencySymbol(QLocale::CurrencyIsoCode)}) {
            if (!affix.isEmpty() && !affixes.contains(affix))
                affixes.append(affix);
        }
        signs = QStringList{l.negativeSign(), l.positiveSign(), QStringLiteral("-"),
                            QStringLiteral("+"), QString(QChar(0x2212))};
        signs.removeAll(QString());
        const QString zeroDigit = l.zeroDigit();
        if (zeroDigit.size() == 1 && zeroDigit.at(0) != QLatin1Char('0'))
            zero = zeroDigit.at(0).unicode();
        // The group sizes as the locale writes large numbers.
        for (const qlonglong sample : {1234567LL, 12345678LL, 123456789LL, 1234567890LL}) {
            const QStringList parts = l.toString(sample).split(separator);
            if (separator.isEmpty() || parts.size() < 2)
                continue;
            lastGroup = static_cast<int>(parts.last().size());
            if (parts.size() > 2)
                innerGroup = static_cast<int>(parts.at(parts.size() - 2).size());
            firstGroup = std::max(firstGroup, static_cast<int>(parts.first().size()));
        }
        firstGroup = std::max(firstGroup, innerGroup);
    }

    int digitValue(QChar c) const {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            return c.unicode() - u'0';
        if (zero && c.unicode() >= zero && c.unicode() <= zero + 9)
            return c.unicode() - zero;
        return -1;
    }
    bool isGroup(QChar c) const {
        return (!group.isNull() && c == group) || (groupIsBlank && c.isSpace()) ||
               (groupIsApostrophe && (c == QLatin1Char('\'') || c == QChar(0x2019)));
    }
};

const AmountFormat& amountFormat() {
    static std::optional<AmountFormat> format;
    const QLocale locale;
    if (!format || !(format->locale == locale))
        format.emplace(locale);
    return *format;
}

// `text` without one of `affixes` at its start or end; true when one was taken off. The
// characters at the ends are compared first: most texts end in a digit.
bool takeAffix(QStringView& text, const QStringList& affixes) {
    const QChar first = text.front();
    const QChar last = text.back();
    for (const QString& affix : affixes) {
        if (affix.front() == first && text.startsWith(affix)) {
            text = text.mid(affix.size());
            return true;
        }
        if (affix.back() == last && text.endsWith(affix)) {
            text.chop(affix.size());
            return true;
        }
    }
    return false;
}
} // namespace

QString LocaleText::monthName(int month) {
    return month >= 1 && month <= 12 ? monthNames().full.at(month - 1) : QString();
}

QString LocaleText::monthNameWithin(int month, int maxCharacters) {
    if (month < 1 || month > 12)
        return QString();
    const MonthNames& names = monthNames();
    const QString& full = names.full.at(month - 1);
    return full.toUcs4().size() <= maxCharacters ? full : names.brief.at(month - 1);
}

int LocaleText::monthNumber(const QString& name) {
    const MonthNames& names = monthNames();
    qsizetype index = names.full.indexOf(name);
    if (index < 0 && !name.isEmpty())
        index = names.brief.indexOf(name);
    return index < 0 ? 0 : static_cast<int>(index) + 1;
}

std::optional<double> LocaleText::amount(QStringView text) {
    const AmountFormat& format = amountFormat();
    if (format.decimal.isNull())
        return std::nullopt;
    // The sign, the currency and blanks around the number, in whatever order the locale (or
    // the writer) put them: "-1.250,00 €", "($1,250.00)", "CHF -1’250.50", "€ -1.250,00".
    QStringView rest = text.trimmed();
    for (int round = 0; round < 8 && !rest.isEmpty(); ++round) {
        if (format.digitValue(rest.front()) >= 0 && format.digitValue(rest.back()) >= 0)
            break;
        bool took = false;
        if (rest.size() >= 2 && rest.startsWith(QLatin1Char('(')) &&
            rest.endsWith(QLatin1Char(')'))) {
            rest = rest.mid(1, rest.size() - 2);
            took = true;
        }
        took = (!rest.isEmpty() && takeAffix(rest, format.affixes)) || took;
        took = (!rest.isEmpty() && takeAffix(rest, format.signs)) || took;
        rest = rest.trimmed();
        if (!took)
            break;
    }

    std::array<char, 64> number;
    size_t length = 0;
    int digits = 0;
    int groupDigits = 0; // digits since the start or the last group separator
    int separators = 0;
    bool inFraction = false;
    const auto groupsFit = [&] { return separators == 0 || groupDigits == format.lastGroup; };
    for (const QChar c : rest) {
        if (const int digit = format.digitValue(c); digit >= 0) {
            if (length + 2 >= number.size())
                return std::nullopt;
            number[length++] = static_cast<char>('0' + digit);
            ++digits;
            if (!inFraction)
                ++groupDigits;
        } else if (!inFraction && c == format.decimal) {
            if (!groupsFit())
                return std::nullopt;
            inFraction = true;
            if (length == 0)
                number[length++] = '0';
            number[length++] = '.';
        } else if (!inFraction && format.isGroup(c)) {
            const int most = separators == 0 ? format.firstGroup : format.innerGroup;
            const int least = separators == 0 ? 1 : format.innerGroup;
            if (groupDigits < least || groupDigits > most)
                return std::nullopt;
            ++separators;
            groupDigits = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || (!inFraction && !groupsFit()))
        return std::nullopt;
    if (number[length - 1] == '.')
        --length;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + length, value);
    if (error != std::errc() || end != number.data() + length)
        return std::nullopt;
    return value;
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
