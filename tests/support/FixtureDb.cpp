#include "FixtureDb.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <sqlite3.h>

FixtureDb::FixtureDb(const QString& path) {
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
}

FixtureDb::~FixtureDb() {
    sqlite3_close(m_db);
}

bool FixtureDb::exec(const QString& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK)
        m_error = QString::fromUtf8(message ? message : sqlite3_errstr(rc));
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

QString FixtureDb::text(const QString& sql) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
        return QStringLiteral("<error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(m_db)));
    QString result = QStringLiteral("<no row>");
    if (sqlite3_step(s) == SQLITE_ROW) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        result = t ? QString::fromUtf8(t) : QStringLiteral("<null>");
    }
    sqlite3_finalize(s);
    return result;
}

QString FixtureDb::salesTableSql(bool withSizeChecks) {
    static const struct {
        const char* name;
        const char* type;
        int size;
    } fields[] = {
        {"RecordNumber", "INTEGER", 0}, {"SalesOwner", "TEXT", 32}, {"DateCreated", "DATETIME", 0},
        {"Company", "TEXT", 32},        {"Contact", "TEXT", 32},    {"Department", "TEXT", 32},
        {"Description", "TEXT", 128},   {"Note", "TEXT", 128},      {"Product", "TEXT", 32},
        {"UnitPrice", "TEXT", 16},      {"Quantity", "TEXT", 16},   {"Revenue", "TEXT", 32},
        {"Source", "TEXT", 32},         {"Stage", "TEXT", 32},      {"Probability", "TEXT", 32},
        {"Forecast", "TEXT", 3},        {"OrderDay", "TEXT", 2},    {"OrderMonth", "TEXT", 12},
        {"OrderYear", "TEXT", 4}};
    QStringList columns;
    for (const auto& field : fields) {
        QString column = QStringLiteral("%1 %2").arg(field.name, field.type);
        if (withSizeChecks && field.size > 0)
            column += QStringLiteral(" CHECK (length(%1) <= %2)").arg(field.name).arg(field.size);
        columns.append(column);
    }
    return QStringLiteral("CREATE TABLE Sales (%1)").arg(columns.join(QStringLiteral(", ")));
}

bool FixtureDb::makeSalesFile(const QString& path, const QList<int>& numbers, bool withSizeChecks) {
    FixtureDb db(path);
    if (!db.exec(salesTableSql(withSizeChecks)) ||
        !db.exec(QStringLiteral("CREATE UNIQUE INDEX RecordNumber ON Sales (RecordNumber)")))
        return false;
    for (const int n : numbers) {
        if (!db.exec(QStringLiteral("INSERT INTO Sales VALUES (%1, 'Owner', '2024-03-07 14:05:09', "
                                    "'Company %1', 'Pat', 'IT', 'Deal %1', 'note', 'Widget', "
                                    "'10', '2', '$20.00', 'Email', 'Lead', '25% - Long Shot', "
                                    "'Yes', '07', 'March', '2024')")
                         .arg(n)))
            return false;
    }
    return true;
}
