#include "platform/AmountValidator.h"

#include <QLocale>
#include <cmath>

namespace {
// The text with plain spaces read as the locale's group separator where that is a space of
// another kind (French, Swiss French), as the user cannot easily type those.
QString withLocaleSpaces(const QString& text, const QLocale& locale) {
    const QString group = locale.groupSeparator();
    if (group.size() != 1 || !group.at(0).isSpace())
        return text;
    QString result = text;
    for (QChar& c : result)
        if (c.isSpace())
            c = group.at(0);
    return result;
}
} // namespace

AmountValidator::AmountValidator(QObject* parent) : QValidator(parent) {}

QValidator::State AmountValidator::validate(QString& input, int&) const {
    const QLocale locale;
    const QString group = locale.groupSeparator();
    const QString decimal = locale.decimalPoint();
    for (const QChar c : input) {
        const bool allowed = c.isDigit() || c.isSpace() || group.contains(c) || decimal.contains(c);
        if (!allowed)
            return Invalid;
    }
    return read(input) ? Acceptable : Intermediate;
}

std::optional<double> AmountValidator::read(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0.0;
    const QLocale locale;
    bool ok = false;
    const double value = locale.toDouble(withLocaleSpaces(trimmed, locale), &ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return std::nullopt;
    return value;
}

QString AmountValidator::problemText(const QString& fieldName, const QString& text) {
    return QStringLiteral("%1: \"%2\" is not a number. Type it as %3.")
        .arg(fieldName, text.trimmed(), QLocale().toString(1234.5, 'f', 2));
}
