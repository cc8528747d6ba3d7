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

bool RawDatabase::exec(const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QByteArray message =
        (error ? QByteArray(error) : QByteArray("exec failed")) + ": " + sql.left(200).toUtf8();
    sqlite3_free(error);
    if (rc == SQLITE_OK)
        return true;
    QTest::qFail(message.constData(), __FILE__, __LINE__);
    return false;
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

QByteArray RawDatabase::readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool RawDatabase::writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool RawDatabase::makeReadOnly(const QString& path) {
    QFile file(path);
    const bool marked = file.open(QIODevice::ReadWrite) && file.seek(18) && file.write("\x03") == 1;
    file.close();
    return marked && QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
}

bool RawDatabase::makeSalesFile(const QString& path, const QList<int>& numbers) {
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
    RawDatabase db(path);
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
