#include "store/NumericText.h"

#include "platform/LocaleText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

namespace {
bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

QString numericText(const QString& text) {
    QString cleaned;
    cleaned.reserve(text.size());
    for (const QChar c : text) {
        if (isAsciiDigit(c) || c == QLatin1Char('.'))
            cleaned.append(c);
    }
    return cleaned;
}

double leadingNumber(const QString& cleaned) {
    qsizetype end = 0;
    const qsizetype n = cleaned.size();
    while (end < n && isAsciiDigit(cleaned[end]))
        ++end;
    const qsizetype wholeDigits = end;
    if (end < n && cleaned[end] == QLatin1Char('.')) {
        qsizetype fractionEnd = end + 1;
        while (fractionEnd < n && isAsciiDigit(cleaned[fractionEnd]))
            ++fractionEnd;
        if (fractionEnd > end + 1)
            end = fractionEnd;
    }
    if (end == 0)
        return 0.0;
    // "5." reads as 5, ".5" as 0.5: the C-locale conversion takes both forms.
    const QString number = (wholeDigits == 0 ? QStringLiteral("0") : QString()) + cleaned.left(end);
    return number.toDouble();
}

double amountOf(QStringView text) {
    // The digits and separators in order; everything else is skipped. Stored amounts are short
    // (their fields hold a few dozen characters), so a fixed buffer holds them.
    std::array<char, 96> kept;
    size_t length = 0;
    int points = 0;
    int commas = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool digit = u >= u'0' && u <= u'9';
        if (!digit && u != u'.' && u != u',')
            continue;
        if (length == kept.size())
            break;
        kept[length++] = static_cast<char>(u);
        points += u == u'.';
        commas += u == u',';
    }
    // Separators that no digit follows are no part of the number ("5." is 5).
    while (length > 0 && (kept[length - 1] == '.' || kept[length - 1] == ',')) {
        points -= kept[length - 1] == '.';
        commas -= kept[length - 1] == ',';
        --length;
    }
    // Where the decimal separator is, if there is one.
    size_t decimalAt = length;
    const auto lastOf = [&](char separator) {
        size_t at = length;
        while (at > 0 && kept[at - 1] != separator)
            --at;
        return at - 1;
    };
    if (points > 0 && commas > 0) {
        const size_t lastPoint = lastOf('.');
        const size_t lastComma = lastOf(',');
        decimalAt = std::max(lastPoint, lastComma);
    } else if (points == 1) {
        decimalAt = lastOf('.');
    } else if (commas == 1) {
        const size_t comma = lastOf(',');
        if (length - comma - 1 != 3)
            decimalAt = comma;
    }

    std::array<char, 98> number;
    size_t size = 0;
    for (size_t i = 0; i < length; ++i) {
        if (i == decimalAt) {
            if (size == 0)
                number[size++] = '0';
            number[size++] = '.';
        } else if (kept[i] != '.' && kept[i] != ',') {
            number[size++] = kept[i];
        }
    }
    if (size == 0)
        return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + size, value);
    if (error != std::errc() || end != number.data() + size)
        return 0.0;
    return value;
}

double typedAmountOf(const QString& text) {
    if (const auto amount = LocaleText::amount(text))
        return *amount;
    return amountOf(text);
}
