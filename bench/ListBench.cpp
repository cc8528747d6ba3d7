#include "ListBench.h"

#include "Measure.h"
#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/OpportunitySortProxy.h"
#include "settings/ColumnsInfo.h"
#include "store/SalesDatabase.h"

#include <QLocale>

namespace {
constexpr int Repeats = 11;
}

ListBench::ListBench(SalesDatabase& database, double bareReadMs, SettingsStore& settings)
    : m_database(database), m_bareReadMs(bareReadMs), m_settings(settings) {}

void ListBench::run() {
    const ::Opportunities& items = m_database.opportunities();
    // The columns a new user sees, sorted by company as a click on its header does.
    const QStringList columns = OpportunityListModel::displayedKeys(ColumnsInfo(m_settings));
    OpportunityListModel model;
    OpportunitySortProxy sorted;
    sorted.setSourceModel(&model);
    model.rebuild(items, columns);
    const int company = model.columnOf(QStringLiteral("Company"));
    sorted.sort(company, Qt::AscendingOrder);

    std::vector<double> withSort;
    std::vector<double> withoutSort;
    for (int i = 0; i < Repeats; ++i) {
        withSort.push_back(Measure::ms([&] { model.rebuild(items, columns); }));
        sorted.sort(-1);
        withoutSort.push_back(Measure::ms([&] { model.rebuild(items, columns); }));
        sorted.sort(company, Qt::AscendingOrder);
    }
    const double ms = Measure::median(withSort);
    const QString rows =
        QLocale(QLocale::English, QLocale::UnitedStates).toString(model.rowCount());
    Measure::line(
        QStringLiteral("rebuild the list, sorted by Company (%1 rows)").arg(rows),
        Measure::duration(ms),
        QStringLiteral("%1 columns; bare read %2  ratio %3")
            .arg(model.dataColumnCount())
            .arg(Measure::duration(m_bareReadMs), QString::number(ms / m_bareReadMs, 'f', 2)),
        QStringLiteral("<100 ms"), ms < 100.0 && company >= 0);
    Measure::line(QStringLiteral("  of which the rebuild without sort"),
                  Measure::duration(Measure::median(withoutSort)));
}
