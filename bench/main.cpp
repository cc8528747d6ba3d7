// corvane-bench: the performance figures of Corvane on a realistic pipeline of 32,767
// opportunities, and the writer of sample databases for people to try the program with.
//
//   corvane-bench                    builds its data in a temporary folder, prints the figures
//   corvane-bench --generate N FILE  writes a sample database of N opportunities (1..32767)
//   corvane-bench --reports          the report figures alone
//   corvane-bench --board            the board figures alone
//   corvane-bench --team             the team database figures alone

#include "Measure.h"
#include "SampleData.h"
#include "StoreBench.h"
#ifdef CORVANE_BENCH_TEAM
#include "TeamBench.h"
#endif
#include "platform/SettingsStore.h"

#ifdef CORVANE_BENCH_LIST
#include "ListBench.h"
#include "settings/ColumnsInfo.h"
#endif
#ifdef CORVANE_BENCH_FILTER
#include "FilterApplyBench.h"
#include "FilterBench.h"
#include "filter/Filters.h"
#endif
#ifdef CORVANE_BENCH_CONTACTS
#include "ContactsBench.h"
#endif
#ifdef CORVANE_BENCH_EXCHANGE
#include "ExchangeBench.h"
#endif
#ifdef CORVANE_BENCH_REPORTS
#include "ReportBench.h"
#include <QApplication>
#endif
#ifdef CORVANE_BENCH_BOARD
#include "BoardBench.h"
#endif
#ifdef CORVANE_BENCH_UNDO
#include "ImportBench.h"
#include "UndoBench.h"
#include "filter/Filters.h"
#endif

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// The data model's limit: positions and counters are 16-bit signed.
constexpr int MaxOpportunities = 32767;

int usage() {
    std::fprintf(stderr, "usage: corvane-bench [--reports | --board | --team]\n"
                         "       corvane-bench --generate N FILE   (N from 1 to 32767; FILE must "
                         "not exist)\n");
    return 2;
}

int generate(const QString& countText, const QString& path) {
    bool isNumber = false;
    const int count = countText.toInt(&isNumber);
    if (!isNumber || count < 1 || count > MaxOpportunities) {
        std::fprintf(stderr, "corvane-bench: N must be a whole number from 1 to %d, not \"%s\"\n",
                     MaxOpportunities, countText.toUtf8().constData());
        return 2;
    }
    if (QFileInfo::exists(path)) {
        std::fprintf(stderr, "corvane-bench: %s exists already; it is left as it is\n",
                     path.toUtf8().constData());
        return 1;
    }
    QString error;
    const double ms = Measure::ms([&] { error = SampleData::writeDatabase(path, count); });
    if (!error.isEmpty()) {
        std::fprintf(stderr, "corvane-bench: %s\n", error.toUtf8().constData());
        return 1;
    }
    std::printf("Wrote %d opportunities to %s in %s.\n", count, path.toUtf8().constData(),
                Measure::duration(ms).toUtf8().constData());
    return 0;
}

int benchmark(bool reportsOnly, bool boardOnly = false, bool teamOnly = false) {
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "corvane-bench: cannot make a temporary folder\n");
        return 1;
    }
    // The filter set reads and writes its criteria there: never in the user's own settings.
    SettingsStore settings(folder.filePath(QStringLiteral("Corvane.ini")));
    const QString path = folder.filePath(QStringLiteral("Pipeline.mdb"));
    const int count = MaxOpportunities;
    std::printf(
        "corvane-bench: %s opportunities, locale %s, medians of repeated runs\n",
        QLocale(QLocale::English, QLocale::UnitedStates).toString(count).toUtf8().constData(),
        QLocale().name().toUtf8().constData());

    QString error;
    const double generateMs = Measure::ms([&] { error = SampleData::writeDatabase(path, count); });
    if (!error.isEmpty()) {
        std::fprintf(stderr, "corvane-bench: %s\n", error.toUtf8().constData());
        return 1;
    }
    Measure::line(QStringLiteral("generate the sample file (bulk insert)"),
                  Measure::duration(generateMs),
                  QStringLiteral("%1 KB").arg(QFileInfo(path).size() / 1024));

    if (boardOnly) {
#ifdef CORVANE_BENCH_BOARD
        BoardBench(path, settings).run();
#endif
        std::printf("%d of %d targets met\n", Measure::targetCount() - Measure::failedTargets(),
                    Measure::targetCount());
        return 0;
    }
    if (teamOnly) {
#ifdef CORVANE_BENCH_TEAM
        TeamBench(path).run();
#endif
        std::printf("%d of %d targets met\n", Measure::targetCount() - Measure::failedTargets(),
                    Measure::targetCount());
        return 0;
    }
    if (reportsOnly) {
#ifdef CORVANE_BENCH_REPORTS
        ReportBench(path, folder.path()).run();
#else
        std::printf("(no report figures: the reports are not part of this build)\n");
#endif
        std::printf("%d of %d targets met\n", Measure::targetCount() - Measure::failedTargets(),
                    Measure::targetCount());
        return 0;
    }
    StoreBench store(path, count);
    if (!store.run())
        return 1;
#ifdef CORVANE_BENCH_LIST
    ListBench(store.database(), store.bareReadMs(), settings).run();
#else
    std::printf("(no list figures: the list model is not part of this build)\n");
#endif
#ifdef CORVANE_BENCH_FILTER
    FilterBench(store.database(), store.bareReadMs(), settings).run();
    FilterApplyBench(store.database(), settings).run();
#else
    std::printf("(no filter figure: the filter subsystem is not part of this build)\n");
#endif
#ifdef CORVANE_BENCH_BOARD
    BoardBench(path, settings).run();
#else
    std::printf("(no board figures: the board is not part of this build)\n");
#endif
#ifdef CORVANE_BENCH_EXCHANGE
    ExchangeBench(store.database(), folder.path()).run();
#else
    std::printf("(no exchange figures: the exchange subsystem is not part of this build)\n");
#endif
#ifdef CORVANE_BENCH_UNDO
    {
        const Filters undoFilters(settings);
        UndoBench(store.database(), undoFilters, folder.path()).run();
        ImportBench(store.database(), undoFilters, folder.path()).run();
    }
#else
    std::printf("(no undo figures: the workspace is not part of this build)\n");
#endif
#ifdef CORVANE_BENCH_CONTACTS
    ContactsBench(folder.path(), 5000).run();
#else
    std::printf("(no contacts figure: the contacts adapter is not part of this build)\n");
#endif
#ifdef CORVANE_BENCH_REPORTS
    ReportBench(path, folder.path()).run();
#else
    std::printf("(no report figures: the reports are not part of this build)\n");
#endif
#ifdef CORVANE_BENCH_TEAM
    TeamBench(path).run();
#else
    std::printf(
        "(no team database figures: the tests' server fixture is not part of this build)\n");
#endif

    std::printf("%d of %d targets met\n", Measure::targetCount() - Measure::failedTargets(),
                Measure::targetCount());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
#ifdef CORVANE_BENCH_REPORTS
    // The report preview is a window: without a display, draw off screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
#else
    QCoreApplication application(argc, argv);
#endif
    // Without regional settings (the C locale) write and read the texts a US user would see.
    if (QLocale().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    const QStringList arguments = application.arguments().mid(1);
    if (arguments.isEmpty())
        return benchmark(false);
    if (arguments == QStringList{QStringLiteral("--reports")})
        return benchmark(true);
    if (arguments == QStringList{QStringLiteral("--board")})
        return benchmark(false, true);
    if (arguments == QStringList{QStringLiteral("--team")})
        return benchmark(false, false, true);
#ifdef CORVANE_BENCH_UNDO
    if (arguments.size() == 3 && arguments.at(0) == ImportBench::importOnlyArgument())
        return ImportBench::importOnly(arguments.at(1), arguments.at(2));
#endif
    if (arguments.size() == 3 && arguments.at(0) == QLatin1String("--generate"))
        return generate(arguments.at(1), arguments.at(2));
    return usage();
}
