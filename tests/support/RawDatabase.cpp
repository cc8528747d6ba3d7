#include "RawDatabase.h"

#include <QFile>
#include <QtTest>
#include <sqlite3.h>

RawDatabase::RawDatabase(const QString& path) {
    sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_busy_timeout(m_db, 5000);
}

RawDatabase::~RawDatabase() {
    sqlite3_close(m_db);
}

void RawDatabase::exec(const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QByteArray message = error ? QByteArray(error) : QByteArray("exec failed");
    sqlite3_free(error);
    QVERIFY2(rc == SQLITE_OK, message.constData());
}

QString RawDatabase::text(const QString& sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s, nullptr);
    QString result = QStringLiteral("<no row>");
    if (s && sqlite3_step(s) == SQLITE_ROW) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        result = t ? QString::fromUtf8(t) : QStringLiteral("<null>");
    }
    sqlite3_finalize(s);
    return result;
}

int RawDatabase::count(const QString& where) {
    return text(QStringLiteral("SELECT count(*) FROM Sales") +
                (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where))
        .toInt();
}

QString RawDatabase::plainTable(const QString& tableName, const QString& recordNumberType) {
    return QStringLiteral("CREATE TABLE %1 (RecordNumber %2, SalesOwner TEXT, DateCreated "
                          "DATETIME, Company TEXT, Contact TEXT, Department TEXT, Description "
                          "TEXT, Note TEXT, Product TEXT, UnitPrice TEXT, Quantity TEXT, Revenue "
                          "TEXT, Source TEXT, Stage TEXT, Probability TEXT, Forecast TEXT, "
                          "OrderDay TEXT, OrderMonth TEXT, OrderYear TEXT)")
        .arg(tableName, recordNumberType);
}

QString RawDatabase::insertRow(const QString& number, const QString& company,
                               const QString& created) {
    return QStringLiteral("INSERT INTO Sales VALUES (%1, 'owner', %3, %2, 'Pat', 'IT', 'Deal', "
                          "'n', 'p', '10', '2', '$20.00', 'Email', 'Lead', '25% - Long Shot', "
                          "'No', '07', 'March', '2024')")
        .arg(number, company, created);
}
