#include "SalesFixtures.h"

#include "store/SalesDatabase.h"

#include <sqlite3.h>

namespace SalesFixtures {

QString makeDatabase(const QString& path, const QList<Row>& rows) {
    auto created = SalesDatabase::create(path);
    if (!created)
        qFatal("cannot create %s", qPrintable(path));
    SalesDatabase& database = **created;
    for (const Row& row : rows) {
        Opportunity o;
        o.setDescription(row.description);
        o.setCompany(row.company);
        o.setRevenue(row.revenue);
        o.setUnitPrice(row.unitPrice);
        o.setProbability(row.probability);
        o.setStage(row.stage);
        o.setNote(row.note);
        if (const auto added = database.add(o); !added)
            qFatal("%s", qPrintable(added.message()));
    }
    return path;
}

std::optional<Opportunity> fromFile(const QString& path, const QString& key) {
    const auto database = SalesDatabase::open(path);
    if (!database)
        return std::nullopt;
    const Opportunity* o = (*database)->opportunities().item(key);
    return o ? std::optional<Opportunity>(*o) : std::nullopt;
}

void execSql(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(path));
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qFatal("%s: %s", qPrintable(sql), error);
    sqlite3_close(db);
}

FileLock lockFile(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    return FileLock(db, [](sqlite3* held) { sqlite3_close_v2(held); });
}

} // namespace SalesFixtures
