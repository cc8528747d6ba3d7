#include "store/NumericText.h"

namespace {
bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

QString NumericText(const QString& text) {
    QString cleaned;
    cleaned.reserve(text.size());
    for (const QChar c : text) {
        if (isAsciiDigit(c) || c == QLatin1Char('.'))
            cleaned.append(c);
    }
    return cleaned;
}

double LeadingNumber(const QString& cleaned) {
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

double AmountOf(const QString& text) {
    return LeadingNumber(NumericText(text));
}
