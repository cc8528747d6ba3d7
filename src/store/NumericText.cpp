#include "store/NumericText.h"

#include "platform/LocaleText.h"

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

double amountOf(const QString& text) {
    if (const auto amount = LocaleText::amount(text))
        return *amount;
    // The leading number of the cleaned text in one pass, without building the cleaned text.
    std::string number;
    bool inFraction = false;
    for (const QChar c : text) {
        if (isAsciiDigit(c)) {
            number.push_back(static_cast<char>(c.unicode()));
        } else if (c == QLatin1Char('.')) {
            if (inFraction)
                break;
            inFraction = true;
            number.push_back('.');
        }
    }
    if (!number.empty() && number.back() == '.')
        number.pop_back();
    if (number.empty())
        return 0.0;
    if (number.front() == '.')
        number.insert(number.begin(), '0');
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size())
        return leadingNumber(numericText(text));
    return value;
}
