#pragma once

#include "store/Opportunity.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

struct sqlite3;

// Sales database files for tests, made through the store.
namespace SalesFixtures {

// The fields a fixture row sets; the rest keep a new opportunity's values.
struct Row {
    QString description;
    QString revenue = QStringLiteral("1000");
    QString company = QString();
    QString unitPrice = QStringLiteral("1000");
    QString probability = QStringLiteral("25% - Long Shot");
    QString stage = QStringLiteral("Lead");
    QString note = QString();
};

// A sales database file with these opportunities (record numbers 1, 2, ...); returns `path`.
// With the filter criteria at their defaults, an opportunity of revenue 0 does not pass the
// filter.
QString makeDatabase(const QString& path, const QList<Row>& rows);

// The opportunity under `key` as the file holds it now; nothing when the file or the record
// cannot be read.
std::optional<Opportunity> fromFile(const QString& path, const QString& key);

// Runs SQL on a file directly, as another program would; fails the test process on error.
void execSql(const QString& path, const QString& sql);

// An exclusive lock on a database file, held as another program would until released.
using FileLock = std::unique_ptr<sqlite3, void (*)(sqlite3*)>;
FileLock lockFile(const QString& path);

} // namespace SalesFixtures
