#include "TeamBench.h"

#include "Measure.h"
#include "PostgresServer.h"

#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

TeamBench::TeamBench(const QString& samplePath) : m_samplePath(samplePath) {}

void TeamBench::run() {
    PostgresServer server;
    if (!server.start()) {
        std::printf("(no team database figures: %s)\n", qPrintable(server.error()));
        return;
    }
    const QString uri = server.createDatabase(QStringLiteral("bench"));
    auto sample = SalesDatabase::open(m_samplePath);
    if (uri.isEmpty() || !sample || !SalesServerStore::setUp(uri)) {
        std::printf("(no team database figures: the bench database could not be made)\n");
        return;
    }
    // The sample's records, numbers and creation times kept.
    std::vector<const Opportunity*> items;
    for (const Opportunity& item : (*sample)->opportunities())
        items.push_back(&item);
    if (!SalesStore::forLocation(uri)->restoreAll(items)) {
        std::printf("(no team database figures: the sample could not be copied)\n");
        return;
    }

    std::vector<double> fileOpens;
    std::vector<double> serverOpens;
    std::unique_ptr<SalesDatabase> team;
    for (int round = 0; round < 3; ++round) {
        fileOpens.push_back(Measure::ms([&] { (void)SalesDatabase::open(m_samplePath); }));
        serverOpens.push_back(Measure::ms([&] {
            auto opened = SalesDatabase::open(uri);
            if (opened)
                team = std::move(*opened);
        }));
    }
    if (!team) {
        std::printf("(no team database figures: the server's database does not open)\n");
        return;
    }
    const double file = Measure::median(fileOpens);
    const double onServer = Measure::median(serverOpens);
    Measure::line(
        QStringLiteral("Open %1 records from the server").arg(items.size()),
        Measure::duration(onServer),
        QStringLiteral("file %1, %2x").arg(Measure::duration(file)).arg(onServer / file, 0, 'f', 1),
        QStringLiteral("<= 3x the file"), onServer <= 3 * file);

    std::vector<double> adds;
    Opportunity added;
    added.setCompany(QStringLiteral("Bench"));
    QString addFailure;
    for (int i = 0; i < 200; ++i) {
        adds.push_back(Measure::ms([&] {
            if (const auto result = team->add(added); !result)
                addFailure = result.message();
        }));
    }
    if (!addFailure.isEmpty()) {
        std::printf("(no add figures: %s)\n", qPrintable(addFailure));
        return;
    }
    const double add = Measure::median(adds);
    Measure::line(QStringLiteral("One add to the server (loopback, median of 200)"),
                  Measure::duration(add), {}, QStringLiteral("<= 5 ms"), add <= 5.0);

    // A second client hears of the first one's add.
    auto listener = SalesStore::forLocation(uri);
    bool heard = false;
    listener->watch([&](const std::vector<SalesStore::Change>&) { heard = true; });
    QElapsedTimer seen;
    seen.start();
    (void)team->add(added);
    while (!heard && seen.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const double latency = double(seen.nsecsElapsed()) / 1e6;
    Measure::line(QStringLiteral("A change seen by a second client"),
                  heard ? Measure::duration(latency) : QStringLiteral("not seen in 5 s"), {},
                  QStringLiteral("< 1 s"), heard && latency < 1000.0);
}
