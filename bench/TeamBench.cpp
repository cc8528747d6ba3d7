#include "TeamBench.h"

#include "Measure.h"
#include "PostgresServer.h"

#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <libpq-fe.h>

namespace {

constexpr int Adds = 200;
constexpr int Pauses = 5;

using RawConnection = std::unique_ptr<PGconn, void (*)(PGconn*)>;

RawConnection rawConnection(const QString& uri, const char* setting = nullptr) {
    RawConnection connection(PQconnectdb(uri.toUtf8().constData()), PQfinish);
    if (PQstatus(connection.get()) == CONNECTION_OK && setting)
        PQclear(PQexec(connection.get(), setting));
    return connection;
}

// Milliseconds of one statement.
double timed(PGconn* connection, const char* sql) {
    return Measure::ms([&] { PQclear(PQexec(connection, sql)); });
}

// An insert like the store's add: one statement, numbered by the sequence, committed by itself.
const char* const Insert = "INSERT INTO Sales (Company) VALUES ('Bench') RETURNING RecordNumber, "
                           "RowVersion, DateCreated";

void part(const char* what, double ms) {
    // A difference of two medians that the noise makes negative is nothing measurable.
    Measure::line(QStringLiteral("  ") + QLatin1String(what), Measure::duration(std::max(ms, 0.0)));
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

    // Where the time of one add goes: beside each of the store's adds, the same insert on
    // connections of the bench's own (the store's connection is never changed), one as the
    // server's defaults have it, one that commits without waiting for the flush to the disk and
    // one that runs no triggers either (both for the measurement only). Taken in turns, so that
    // the disk's changing pace touches all alike.
    const RawConnection durable = rawConnection(uri);
    const RawConnection unflushed = rawConnection(uri, "SET synchronous_commit = off");
    const RawConnection bare =
        rawConnection(uri, "SET synchronous_commit = off; SET session_replication_role = replica");
    for (const RawConnection& connection :
         {std::cref(durable), std::cref(unflushed), std::cref(bare)}) {
        if (PQstatus(connection.get()) != CONNECTION_OK) {
            std::printf("(no add figures: %s)\n", PQerrorMessage(connection.get()));
            return;
        }
    }
    Opportunity added;
    added.setCompany(QStringLiteral("Bench"));
    QString addFailure;
    std::vector<double> adds, roundTrips, inserts, unflushedInserts, bareInserts;
    for (int i = 0; i < Adds; ++i) {
        adds.push_back(Measure::ms([&] {
            if (const auto result = team->add(added); !result)
                addFailure = result.message();
        }));
        roundTrips.push_back(timed(durable.get(), ""));
        inserts.push_back(timed(durable.get(), Insert));
        unflushedInserts.push_back(timed(unflushed.get(), Insert));
        bareInserts.push_back(timed(bare.get(), Insert));
    }
    if (!addFailure.isEmpty()) {
        std::printf("(no add figures: %s)\n", qPrintable(addFailure));
        return;
    }
    const double add = Measure::median(adds);
    const double insert = Measure::median(inserts);
    const double unflushedInsert = Measure::median(unflushedInserts);
    const double bareInsert = Measure::median(bareInserts);
    Measure::line(
        QStringLiteral("One add to the server (durable, loopback, median of %1)").arg(Adds),
        Measure::duration(add), {}, QStringLiteral("<= 5 ms"), add <= 5.0);
    part("a round trip (empty statement)", Measure::median(roundTrips));
    part("the add's INSERT alone, durable commit", insert);
    part("of which the wait for the flush to the disk", insert - unflushedInsert);
    part("of which the triggers (numbering, NOTIFY)", unflushedInsert - bareInsert);
    part("of which the statement and its round trip", bareInsert);
    part("the client around the INSERT (store, list)", add - insert);

    // As a representative adds: after a pause, in which the connection may have been lost and
    // the server's processes and the disk went quiet.
    std::vector<double> pausedAdds, pausedInserts;
    for (int i = 0; i < Pauses; ++i) {
        QThread::msleep(1000);
        pausedAdds.push_back(Measure::ms([&] { (void)team->add(added); }));
        QThread::msleep(1000);
        pausedInserts.push_back(timed(durable.get(), Insert));
    }
    Measure::line(QStringLiteral("One add after a pause of a second (median of %1)").arg(Pauses),
                  Measure::duration(Measure::median(pausedAdds)));
    part("the add's INSERT alone after a pause, durable commit", Measure::median(pausedInserts));

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
