#include "FilterBench.h"

#include "Measure.h"
#include "filter/Filters.h"
#include "store/SalesDatabase.h"

#include <QDateTime>
#include <QLocale>

namespace {
constexpr int Repeats = 21;

void set(Filters& filters, const QString& key, const QVariant& value) {
    if (FilterItem* item = filters.item(key))
        item->setValue(value);
}
} // namespace

FilterBench::FilterBench(SalesDatabase& database, double bareReadMs, SettingsStore& settings)
    : m_database(database), m_bareReadMs(bareReadMs), m_settings(settings) {}

void FilterBench::run() {
    // A pipeline view as people use it: no lost deals and no bare leads, deals from 1,000 up,
    // ordered from last year to next year.
    Filters filters(m_settings);
    filters.setEnabled(true);
    for (const char* on : {"All", "Status", "Revenues", "Forecast_1"})
        set(filters, QLatin1String(on), true);
    set(filters, QStringLiteral("DateRange"), false);
    set(filters, QStringLiteral("Probability_1"), false);
    set(filters, QStringLiteral("Stage_1"), false);
    set(filters, QStringLiteral("Low"), 1000.0);
    set(filters, QStringLiteral("High"), 250000.0);
    const QDate today = QDate::currentDate();
    set(filters, QStringLiteral("Start"), QDate(today.year() - 1, 1, 1).startOfDay());
    set(filters, QStringLiteral("End"), QDate(today.year() + 1, 12, 31).startOfDay());

    std::vector<double> times;
    for (int i = 0; i < Repeats; ++i)
        times.push_back(Measure::ms([&] { filters.filter(m_database); }));
    const double ms = Measure::median(times);
    const ::Opportunities& items = m_database.opportunities();
    Measure::line(
        QStringLiteral("filter pass over %1 (Filters::Filter)")
            .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(items.count())),
        Measure::duration(ms),
        QStringLiteral("%1 visible; bare read %2  ratio %3")
            .arg(items.unFilteredCount())
            .arg(Measure::duration(m_bareReadMs), QString::number(ms / m_bareReadMs, 'f', 2)),
        QStringLiteral("<20 ms"), ms < 20.0);
}
