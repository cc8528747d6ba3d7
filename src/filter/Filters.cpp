#include "filter/Filters.h"

#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "store/NumericText.h"
#include "store/Opportunities.h"
#include "store/SalesDatabase.h"

#include <QDate>
#include <QLocale>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace {
struct Criterion {
    const char* key;
    const char* group;
    const char* name;
};

// The criteria in the order in which the set is built.
constexpr std::array<Criterion, 22> Criteria{{
    {"All", "Use", "All"},
    {"Status", "Use", "Status"},
    {"DateRange", "Use", "DateRange"},
    {"Revenues", "Use", "Revenues"},
    {"Probability_1", "Probability", "1"},
    {"Probability_2", "Probability", "2"},
    {"Probability_3", "Probability", "3"},
    {"Probability_4", "Probability", "4"},
    {"Probability_5", "Probability", "5"},
    {"Probability_6", "Probability", "6"},
    {"Stage_1", "Stage", "1"},
    {"Stage_2", "Stage", "2"},
    {"Stage_3", "Stage", "3"},
    {"Stage_4", "Stage", "4"},
    {"Stage_5", "Stage", "5"},
    {"Stage_6", "Stage", "6"},
    {"Stage_7", "Stage", "7"},
    {"Forecast_1", "Forecast", "1"},
    {"Start", "DateRange", "Start"},
    {"End", "DateRange", "End"},
    {"Low", "Revenue", "Low"},
    {"High", "Revenue", "High"},
}};

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The non-negative decimal number a text of digits only stands for; nothing for any other text
// or one too long to be a year or day.
std::optional<int> digitsValue(const QString& text) {
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

// What one filter pass compares with, read from the criteria once.
struct PassCriteria {
    bool status = true;
    bool revenues = true;
    bool allDates = true;
    bool showForecastNo = true;
    std::array<bool, 6> probability{};
    std::array<bool, 7> stage{};
    double low = 0.0;
    double high = 0.0;
    // Order dates (Julian days) from firstDay to lastDay lie strictly between Start and End.
    qint64 firstDay = 0;
    qint64 lastDay = -1;
    // For order dates as Opportunity::OrderDateText reads them.
    std::array<QString, 12> monthNames;
    // The names a month is stored by when its full name is too long for the field.
    std::array<QString, 12> shortMonthNames;
    int currentMonth = 1;
    qint64 today = 0;
};

bool testForecast(const Opportunity& opportunity, const PassCriteria& criteria) {
    return criteria.showForecastNo || opportunity.forecast() != QLatin1String("No");
}

// "0%", "25", "50", "75", "90" and "10" (100%) choose their entry; anything else the first.
bool testProbability(const Opportunity& opportunity, const PassCriteria& criteria) {
    const QString& text = opportunity.probability();
    int entry = 0;
    if (text.size() >= 2) {
        const char16_t first = text[0].unicode();
        const char16_t second = text[1].unicode();
        if (first == u'2' && second == u'5')
            entry = 1;
        else if (first == u'5' && second == u'0')
            entry = 2;
        else if (first == u'7' && second == u'5')
            entry = 3;
        else if (first == u'9' && second == u'0')
            entry = 4;
        else if (first == u'1' && second == u'0')
            entry = 5;
    }
    return criteria.probability[static_cast<std::size_t>(entry)];
}

// The first three letters choose the entry, exactly as written; a stage that starts like none
// of the seven has no criterion and passes.
bool testStage(const Opportunity& opportunity, const PassCriteria& criteria) {
    static constexpr std::array<const char16_t*, 7> prefixes{u"Lea", u"Ide", u"Ass", u"Dev",
                                                             u"Pre", u"Gai", u"Imp"};
    const QString& text = opportunity.stage();
    if (text.size() < 3)
        return true;
    for (std::size_t entry = 0; entry < prefixes.size(); ++entry) {
        const char16_t* prefix = prefixes[entry];
        if (text[0].unicode() == prefix[0] && text[1].unicode() == prefix[1] &&
            text[2].unicode() == prefix[2])
            return criteria.stage[entry];
    }
    return true;
}

bool testRevenue(const Opportunity& opportunity, const PassCriteria& criteria) {
    // Read once, when the revenue was set, with the user's locale first.
    const double revenue = opportunity.revenueAmount();
    return criteria.low < revenue && revenue < criteria.high;
}

// The order date as a Julian day, read as OrderDateText writes it (year, month by its locale
// name or else the current month, day); nothing when that is no date.
std::optional<qint64> orderDay(const Opportunity& opportunity, const PassCriteria& criteria) {
    if (opportunity.orderYear().isEmpty())
        return criteria.today;
    int month = criteria.currentMonth;
    for (std::size_t index = 0; index < criteria.monthNames.size(); ++index) {
        if (opportunity.orderMonth() == criteria.monthNames[index] ||
            opportunity.orderMonth() == criteria.shortMonthNames[index]) {
            month = static_cast<int>(index) + 1;
            break;
        }
    }
    const auto year = digitsValue(opportunity.orderYear());
    const auto day = digitsValue(opportunity.orderDay());
    if (!year || !day)
        return std::nullopt;
    const QDate date(*year, month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date.toJulianDay();
}

// An order date that is no date cannot lie within the range.
bool testOrderDate(const Opportunity& opportunity, const PassCriteria& criteria) {
    const auto day = orderDay(opportunity, criteria);
    return day && *day >= criteria.firstDay && *day <= criteria.lastDay;
}
} // namespace

Filters::Filters(SettingsStore& store) : m_store(store) {
    m_items.reserve(static_cast<qint32>(Criteria.size()));
    for (const Criterion& row : Criteria) {
        const QString key = QLatin1String(row.key);
        const QString group = QLatin1String(row.group);
        const QString name = QLatin1String(row.name);
        FilterItem* item = add(key, QVariant(), name, group, key);
        const QVariant value = item->loadFilter(m_store, group, name);
        if (key == QLatin1String("All"))
            m_Enabled = value.toBool();
    }
}

Filters::~Filters() = default;

const QStringList& Filters::criterionKeys() {
    static const QStringList keys = [] {
        QStringList list;
        for (const Criterion& row : Criteria)
            list.append(QLatin1String(row.key));
        return list;
    }();
    return keys;
}

FilterItem* Filters::add(const QString& key, const QVariant& value, const QString& filterName,
                         const QString& filterGroup, const QString& sKey) {
    if (m_items.contains(sKey))
        return nullptr;
    auto item = std::make_unique<FilterItem>();
    item->setKey(key);
    item->setValue(value);
    item->setFilterName(filterName);
    item->setFilterGroup(filterGroup);
    return m_items.add(std::move(item), sKey);
}

FilterItem* Filters::item(const QString& key) const {
    return m_items.item(key);
}

FilterItem* Filters::item(qint32 position) const {
    return m_items.item(position);
}

bool Filters::save() const {
    bool written = true;
    for (const FilterItem& criterion : m_items)
        written = criterion.saveFilter(m_store) && written;
    return m_store.flush() && written;
}

bool Filters::boolCriterion(const QString& key, const QString& group, const QString& name) const {
    const FilterItem* item = this->item(key);
    if (!item || !item->value().canConvert<bool>())
        return FilterItem::defaultValue(group, name).toBool();
    return item->value().toBool();
}

QDateTime Filters::dateCriterion(const QString& key, const QString& name) const {
    const FilterItem* item = this->item(key);
    const QDateTime when = item ? FilterItem::dateTimeOf(item->value()) : QDateTime();
    return when.isValid()
               ? when
               : FilterItem::defaultValue(QStringLiteral("DateRange"), name).toDateTime();
}

double Filters::numberCriterion(const QString& key, const QString& name) const {
    const FilterItem* item = this->item(key);
    bool ok = false;
    const double value = item ? item->value().toDouble(&ok) : 0.0;
    if (ok && !std::isnan(value))
        return value;
    return FilterItem::defaultValue(QStringLiteral("Revenue"), name).toDouble();
}

void Filters::filter(SalesDatabase& thedbOpp) const {
    filter(thedbOpp.opportunities());
}

void Filters::filter(Opportunities& opportunities) const {
    if (!m_Enabled) {
        for (Opportunity& opportunity : opportunities)
            opportunity.setVisible(true);
        return;
    }

    const QString use = QStringLiteral("Use");
    PassCriteria criteria;
    criteria.status = boolCriterion(QStringLiteral("Status"), use, QStringLiteral("Status"));
    criteria.revenues = boolCriterion(QStringLiteral("Revenues"), use, QStringLiteral("Revenues"));
    criteria.allDates =
        boolCriterion(QStringLiteral("DateRange"), use, QStringLiteral("DateRange"));
    criteria.showForecastNo = boolCriterion(QStringLiteral("Forecast_1"),
                                            QStringLiteral("Forecast"), QStringLiteral("1"));
    for (std::size_t entry = 0; entry < criteria.probability.size(); ++entry) {
        const QString name = QString::number(entry + 1);
        criteria.probability[entry] = boolCriterion(QStringLiteral("Probability_") + name,
                                                    QStringLiteral("Probability"), name);
    }
    for (std::size_t entry = 0; entry < criteria.stage.size(); ++entry) {
        const QString name = QString::number(entry + 1);
        criteria.stage[entry] =
            boolCriterion(QStringLiteral("Stage_") + name, QStringLiteral("Stage"), name);
    }
    criteria.low = numberCriterion(QStringLiteral("Low"), QStringLiteral("Low"));
    criteria.high = numberCriterion(QStringLiteral("High"), QStringLiteral("High"));

    // An order date counts from the start of its day: it lies after Start from the day after
    // Start's, and before End up to End's day when End lies later than that day's start, else
    // up to the day before.
    const QDateTime start = dateCriterion(QStringLiteral("Start"), QStringLiteral("Start"));
    const QDateTime end = dateCriterion(QStringLiteral("End"), QStringLiteral("End"));
    criteria.firstDay = start.date().toJulianDay() + 1;
    criteria.lastDay = end.date().toJulianDay() - (end > end.date().startOfDay() ? 0 : 1);

    const QDate today = QDate::currentDate();
    criteria.today = today.toJulianDay();
    criteria.currentMonth = today.month();
    for (int month = 1; month <= 12; ++month) {
        criteria.monthNames[static_cast<std::size_t>(month - 1)] = LocaleText::monthName(month);
        criteria.shortMonthNames[static_cast<std::size_t>(month - 1)] =
            QLocale().monthName(month, QLocale::ShortFormat);
    }

    for (Opportunity& opportunity : opportunities) {
        bool visible = true;
        if (criteria.status)
            visible = testForecast(opportunity, criteria) &&
                      testProbability(opportunity, criteria) && testStage(opportunity, criteria);
        if (visible && criteria.revenues)
            visible = testRevenue(opportunity, criteria);
        if (visible && !criteria.allDates)
            visible = testOrderDate(opportunity, criteria);
        opportunity.setVisible(visible);
    }
}
