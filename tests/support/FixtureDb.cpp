#include "FixtureDb.h"

#include <QFile>
#include <QList>
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

QByteArray FixtureDb::readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool FixtureDb::writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool FixtureDb::makeSalesFile(const QString& path, const QList<int>& numbers) {
    static const char* const table =
        "CREATE TABLE Sales (RecordNumber INTEGER, SalesOwner TEXT CHECK (length(SalesOwner) <= "
        "32), DateCreated DATETIME, Company TEXT CHECK (length(Company) <= 32), Contact TEXT "
        "CHECK (length(Contact) <= 32), Department TEXT CHECK (length(Department) <= 32), "
        "Description TEXT CHECK (length(Description) <= 128), Note TEXT CHECK (length(Note) <= "
        "128), Product TEXT CHECK (length(Product) <= 32), UnitPrice TEXT CHECK "
        "(length(UnitPrice) <= 16), Quantity TEXT CHECK (length(Quantity) <= 16), Revenue TEXT "
        "CHECK (length(Revenue) <= 32), Source TEXT CHECK (length(Source) <= 32), Stage TEXT "
        "CHECK (length(Stage) <= 32), Probability TEXT CHECK (length(Probability) <= 32), "
        "Forecast TEXT CHECK (length(Forecast) <= 3), OrderDay TEXT CHECK (length(OrderDay) <= "
        "2), OrderMonth TEXT CHECK (length(OrderMonth) <= 12), OrderYear TEXT CHECK "
        "(length(OrderYear) <= 4))";
    FixtureDb db(path);
    if (!db.exec(QString::fromLatin1(table)) ||
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
