#include "filter/FilterItem.h"

#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "platform/TextForm.h"
#include "store/NumericText.h"

#include <cmath>

namespace {
const QString UseGroup = QStringLiteral("Use");
const QString ProbabilityGroup = QStringLiteral("Probability");
const QString StageGroup = QStringLiteral("Stage");
const QString ForecastGroup = QStringLiteral("Forecast");
const QString DateRangeGroup = QStringLiteral("DateRange");
const QString RevenueGroup = QStringLiteral("Revenue");

constexpr double DefaultHigh = 9999999.0;

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The date at the start of a stored text: the whole text as a short date, else the text without
// its trailing words (a time of day), else an ISO date or date and time.
QDate datePartOf(const QString& text) {
    QString rest = text.trimmed();
    while (!rest.isEmpty()) {
        const QDate date = LocaleText::parseShortDate(rest);
        if (date.isValid())
            return date;
        const qsizetype lastBlank = rest.lastIndexOf(QLatin1Char(' '));
        if (lastBlank < 0)
            break;
        rest = rest.left(lastBlank).trimmed();
    }
    return QDateTime::fromString(text.trimmed(), Qt::ISODate).date();
}

// A stored revenue bound: a plain decimal number, else the number a text begins with; nothing
// when the text begins with no number at all.
std::optional<double> revenueOf(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (ok)
        return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
    const bool startsWithNumber =
        !trimmed.isEmpty() &&
        (isAsciiDigit(trimmed[0]) ||
         (trimmed[0] == QLatin1Char('.') && trimmed.size() > 1 && isAsciiDigit(trimmed[1])));
    if (!startsWithNumber)
        return std::nullopt;
    return leadingNumber(trimmed);
}
} // namespace

FilterItem::~FilterItem() = default;

bool FilterItem::isBooleanGroup(const QString& group) {
    return group == UseGroup || group == ProbabilityGroup || group == StageGroup ||
           group == ForecastGroup;
}

QDateTime FilterItem::dateTimeOf(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QDate:
        return value.toDate().startOfDay();
    case QMetaType::QString: {
        const QDate date = datePartOf(value.toString());
        return date.isValid() ? date.startOfDay() : QDateTime();
    }
    default:
        return QDateTime();
    }
}

QVariant FilterItem::defaultValue(const QString& theFilterGroup, const QString& theFilterName) {
    if (isBooleanGroup(theFilterGroup))
        return true;
    if (theFilterGroup == DateRangeGroup) {
        if (theFilterName == QLatin1String("Start"))
            return QDate::currentDate().startOfDay();
        return QDateTime::currentDateTime().addDays(30);
    }
    if (theFilterGroup == RevenueGroup)
        return theFilterName == QLatin1String("Low") ? 0.0 : DefaultHigh;
    return QString();
}

std::optional<QVariant> FilterItem::fromStoredText(const QString& theFilterGroup,
                                                   const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    // Switches are on only for the exact text the program writes.
    if (isBooleanGroup(theFilterGroup))
        return QVariant(text == QLatin1String("True"));
    if (theFilterGroup == DateRangeGroup) {
        const QDate date = datePartOf(text);
        if (!date.isValid())
            return std::nullopt;
        return QVariant(date.startOfDay());
    }
    if (theFilterGroup == RevenueGroup) {
        if (const auto value = revenueOf(text))
            return QVariant(*value);
        return std::nullopt;
    }
    return QVariant(text);
}

std::optional<QString> FilterItem::toStoredText(const QString& theFilterGroup,
                                                const QVariant& value) {
    if (isBooleanGroup(theFilterGroup) || value.typeId() == QMetaType::Bool)
        return TextForm::fromBool(value.toBool());
    if (theFilterGroup == DateRangeGroup) {
        const QDateTime when = dateTimeOf(value);
        if (!when.isValid())
            return std::nullopt;
        return LocaleText::shortDate(when.date());
    }
    if (theFilterGroup == RevenueGroup) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return std::nullopt;
        return QString::number(number, 'f', QLocale::FloatingPointShortest);
    }
    return value.toString();
}

QVariant FilterItem::loadFilter(const SettingsStore& store, const QString& theFilterGroup,
                                const QString& theFilterName) {
    m_FilterGroup = theFilterGroup;
    m_FilterName = theFilterName;
    const QString text =
        store.getSetting(QLatin1String(SettingsStore::AppName), theFilterGroup, theFilterName);
    const auto value = fromStoredText(theFilterGroup, text);
    m_Value = value ? *value : defaultValue(theFilterGroup, theFilterName);
    return m_Value;
}

bool FilterItem::saveFilter(SettingsStore& store) const {
    if (m_FilterGroup.isEmpty() || m_FilterName.isEmpty())
        return false;
    const auto text = toStoredText(m_FilterGroup, m_Value);
    if (!text)
        return false;
    return store.saveSetting(QLatin1String(SettingsStore::AppName), m_FilterGroup, m_FilterName,
                             *text);
}
