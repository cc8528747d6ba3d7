#include "platform/TextForm.h"

#include <cmath>
#include <limits>

namespace {
std::optional<double> toNumber(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template <typename Int> std::optional<Int> toInt(const QString& text) {
    const auto number = toNumber(text);
    if (!number)
        return std::nullopt;
    // Halves go to the even neighbour, as the classic integer conversion did.
    const double rounded = std::nearbyint(*number);
    if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max())
        return std::nullopt;
    return static_cast<Int>(rounded);
}
} // namespace

std::optional<bool> TextForm::toBool(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const auto number = toNumber(trimmed);
    if (!number)
        return std::nullopt;
    return *number != 0.0;
}

std::optional<qint16> TextForm::toInt16(const QString& text) {
    return toInt<qint16>(text);
}

std::optional<qint32> TextForm::toInt32(const QString& text) {
    return toInt<qint32>(text);
}

QString TextForm::withLineFeeds(const QString& text) {
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}
