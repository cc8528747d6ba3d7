#include "FilterApplyBench.h"

#include "Measure.h"
#include "filter/Filters.h"
#include "store/SalesDatabase.h"

#ifdef CORVANE_BENCH_LIST
#include "mainwindow/OpportunityListModel.h"
#include "settings/ColumnsInfo.h"
#endif

#include <QDate>
#include <QLocale>
#include <cstdio>

namespace {
constexpr int Repeats = 11;

void set(Filters& filters, const QString& key, const QVariant& value) {
    if (FilterItem* item = filters.item(key))
        item->setValue(value);
}

// The criteria as Apply writes them from the dialog's controls.
void writeCriteria(Filters& filters, int round) {
    filters.setEnabled(true);
    for (const char* key : {"All", "Status", "Revenues", "Forecast_1"})
        set(filters, QLatin1String(key), true);
    set(filters, QStringLiteral("DateRange"), false);
    for (int entry = 1; entry <= 6; ++entry)
        set(filters, QStringLiteral("Probability_%1").arg(entry), entry != 1);
    for (int entry = 1; entry <= 7; ++entry)
        set(filters, QStringLiteral("Stage_%1").arg(entry), entry != 1);
    const QDate today = QDate::currentDate();
    set(filters, QStringLiteral("Start"), QDate(today.year() - 1, 1, 1).startOfDay());
    set(filters, QStringLiteral("End"), QDate(today.year(), 12, 31).startOfDay());
    // A bound that changes each round, so that every save writes something new.
    set(filters, QStringLiteral("Low"), 1000.0 + round);
    set(filters, QStringLiteral("High"), 250000.0);
}
} // namespace

FilterApplyBench::FilterApplyBench(SalesDatabase& shown, SettingsStore& settings)
    : m_shown(shown), m_settings(settings) {}

void FilterApplyBench::run() {
    auto opened = SalesDatabase::open(m_shown.location());
    SalesDatabase* otherDatabase = opened ? opened->get() : nullptr;
    if (!opened) {
        std::printf("(no filter Apply figure: the second database did not open)\n");
        return;
    }
    Filters filters(m_settings);
#ifdef CORVANE_BENCH_LIST
    const QStringList columns = OpportunityListModel::displayedKeys(ColumnsInfo(m_settings));
    OpportunityListModel model;
    model.rebuild(m_shown.opportunities(), columns);
#endif

    std::vector<double> times;
    std::vector<double> saves;
    std::vector<double> passes;
    for (int round = 0; round < Repeats; ++round) {
        times.push_back(Measure::ms([&] {
            writeCriteria(filters, round);
            saves.push_back(Measure::ms([&] { filters.save(); }));
            passes.push_back(Measure::ms([&] {
                filters.filter(m_shown);
                filters.filter(*otherDatabase);
            }));
#ifdef CORVANE_BENCH_LIST
            model.rebuild(m_shown.opportunities(), columns);
#endif
        }));
    }
    const double ms = Measure::median(times);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
#ifdef CORVANE_BENCH_LIST
    const QString what = QStringLiteral("list rebuilt");
#else
    const QString what = QStringLiteral("without the list (no list model in this build)");
#endif
    Measure::line(QStringLiteral("filter Apply over 2 x %1 (save, two passes)")
                      .arg(us.toString(m_shown.opportunities().count())),
                  Measure::duration(ms),
                  QStringLiteral("%1 + %2 visible; %3")
                      .arg(m_shown.opportunities().unFilteredCount())
                      .arg(otherDatabase->opportunities().unFilteredCount())
                      .arg(what),
                  QStringLiteral("<100 ms"), ms < 100.0);
    Measure::line(QStringLiteral("  of which the two passes"),
                  Measure::duration(Measure::median(passes)));
    Measure::line(QStringLiteral("  of which saving the criteria"),
                  Measure::duration(Measure::median(saves)));
}
