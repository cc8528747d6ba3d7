#include "TeamBench.h"

#include "Measure.h"
#include "PostgresServer.h"

#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <libpq-fe.h>

namespace {

constexpr int Adds = 200;

// The median of `rounds` runs of `work`.
template <typename Work> double medianOf(int rounds, Work&& work) {
    std::vector<double> times;
    times.reserve(static_cast<size_t>(rounds));
    for (int i = 0; i < rounds; ++i)
        times.push_back(Measure::ms(work));
    return Measure::median(times);
}

// The median of 5 runs of `work`, each after a pause of a second (as a representative adds:
// the server's processes and the disk have gone quiet meanwhile).
template <typename Work> double pausedMedian(Work&& work) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        QThread::msleep(1000);
        times.push_back(Measure::ms(work));
    }
    return Measure::median(times);
}

// Where the time of one add goes, measured on a connection of the bench's own (the store's
// connection is never changed): a bare round trip, and an insert like the store's with and
// without the server's triggers and the wait for its flush to the disk.
void addParts(const QString& uri, double add) {
    const std::unique_ptr<PGconn, void (*)(PGconn*)> connection(
        PQconnectdb(uri.toUtf8().constData()), PQfinish);
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        std::printf("(no parts of the add: %s)\n", PQerrorMessage(connection.get()));
        return;
    }
    const auto run = [&](const char* sql) {
        PGresult* result =
            PQexecParams(connection.get(), sql, 0, nullptr, nullptr, nullptr, nullptr, 0);
        const ExecStatusType status = PQresultStatus(result);
        PQclear(result);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK ||
               status == PGRES_EMPTY_QUERY;
    };
    const char* insert = "INSERT INTO Sales (Company) VALUES ('Bench') RETURNING RecordNumber, "
                         "RowVersion, DateCreated";
    const double roundTrip = medianOf(Adds, [&] { run(""); });
    const double durable = medianOf(Adds, [&] { run(insert); });
    const double durablePaused = pausedMedian([&] { run(insert); });
    // For the measurement only: this connection alone commits without waiting for the flush,
    // then without the triggers.
    run("SET synchronous_commit = off");
    const double unflushed = medianOf(Adds, [&] { run(insert); });
    run("SET session_replication_role = replica");
    const double bare = medianOf(Adds, [&] { run(insert); });
    const auto part = [](const char* what, double ms) {
        Measure::line(QStringLiteral("  ") + QLatin1String(what), Measure::duration(ms));
    };
    part("a round trip (empty statement)", roundTrip);
    part("the INSERT as one statement, durable commit", durable);
    part("of which the wait for the flush to the disk", durable - unflushed);
    part("of which the triggers (numbering, NOTIFY)", unflushed - bare);
    part("of which the statement and its round trip", bare);
    part("the client around the INSERT", add - durable);
    part("the INSERT alone after a pause of a second (median of 5)", durablePaused);
}

} // namespace

TeamBench::TeamBench(const QString& samplePath) : m_samplePath(samplePath) {}

void TeamBench::run() {
    // A server with its defaults: every commit waits for its flush to the disk.
    PostgresServer server(PostgresServer::Durability::Durable);
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

    Opportunity added;
    added.setCompany(QStringLiteral("Bench"));
    QString addFailure;
    const double add = medianOf(Adds, [&] {
        if (const auto result = team->add(added); !result)
            addFailure = result.message();
    });
    if (!addFailure.isEmpty()) {
        std::printf("(no add figures: %s)\n", qPrintable(addFailure));
        return;
    }
    Measure::line(
        QStringLiteral("One add to the server (durable, loopback, median of %1)").arg(Adds),
        Measure::duration(add), {}, QStringLiteral("<= 5 ms"), add <= 5.0);
    addParts(uri, add);
    // As a representative adds: after a pause, in which the connection may have been lost.
    Measure::line(QStringLiteral("One add after a pause of a second (median of 5)"),
                  Measure::duration(pausedMedian([&] { (void)team->add(added); })));

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
