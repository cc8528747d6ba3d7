#include "reports/ReportDataReader.h"

#include "store/OpportunityFields.h"
#include "store/SalesFile.h"
#include "store/SqlStatement.h"

#include <QFileInfo>
#include <QSet>
#include <sqlite3.h>

namespace {

// How long the read waits for another program to let go of the file.

// A read-only connection, closed at the end of its scope.
class ReadOnlyConnection {
public:
    explicit ReadOnlyConnection(const QString& path) {
        m_rc = SalesFile::openDefensively(
            path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE, &m_db);
        if (m_rc == SQLITE_OK)
            m_rc = sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
    }
    ~ReadOnlyConnection() {
        if (m_db) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(m_db);
        }
    }
    ReadOnlyConnection(const ReadOnlyConnection&) = delete;
    ReadOnlyConnection& operator=(const ReadOnlyConnection&) = delete;

    int rc() const { return m_rc; }
    sqlite3* handle() const { return m_db; }
    QString describe(int code) const {
        return SalesFile::describe(code, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code));
    }

private:
    sqlite3* m_db = nullptr;
    int m_rc = SQLITE_OK;
};

// The fields the table lacks, or "" when it has all of them; the table must be a plain one.
ResultValue<bool> checkTable(const ReadOnlyConnection& db) {
    QString definition;
    {
        SqlStatement table(db.handle(),
                           "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = 'Sales'");
        if (!table.ok())
            return Result::failure(db.describe(table.rc()));
        const int rc = sqlite3_step(table.get());
        if (rc == SQLITE_ROW)
            definition = textColumn(table.get(), 0);
        else if (rc != SQLITE_DONE)
            return Result::failure(db.describe(rc));
    }
    if (definition.isEmpty() ||
        definition.trimmed().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
        return Result::failure(QStringLiteral("the file has no table Sales"));
    QSet<QString> columns;
    SqlStatement fields(db.handle(), "SELECT name FROM pragma_table_info('Sales')");
    if (!fields.ok())
        return Result::failure(db.describe(fields.rc()));
    while (sqlite3_step(fields.get()) == SQLITE_ROW)
        columns.insert(textColumn(fields.get(), 0).toLower());
    for (const OpportunityFields::Info& field : OpportunityFields::Fields) {
        if (!columns.contains(QString::fromLatin1(field.storedName).toLower()))
            return Result::failure(
                QStringLiteral("the table Sales has no field %1").arg(field.storedName));
    }
    return true;
}

} // namespace

ResultValue<std::vector<ReportRecord>> ReportDataReader::read(const QString& path,
                                                              const Conditions& conditions) {
    const QFileInfo info(path);
    if (!info.exists())
        return Result::failure(QStringLiteral("the file does not exist"));
    if (!info.isFile())
        return Result::failure(QStringLiteral("it is not a file"));
    const ReadOnlyConnection db(path);
    if (db.rc() != SQLITE_OK)
        return Result::failure(db.describe(db.rc()));
    // The first read of the file takes the shared lock: a file held by another program, or one
    // that is no database, fails here.
    const ResultValue<bool> table = checkTable(db);
    if (!table)
        return table.result();

    // Field names come from the schema, never from the template; the values are bound.
    QString sql = QStringLiteral("SELECT ");
    for (size_t i = 0; i < OpportunityFields::Fields.size(); ++i)
        sql += (i ? QStringLiteral(", ") : QString()) +
               QLatin1String(OpportunityFields::Fields[i].storedName);
    sql += QStringLiteral(" FROM Sales");
    for (qsizetype i = 0; i < conditions.size(); ++i) {
        sql += (i ? QStringLiteral(" AND ") : QStringLiteral(" WHERE ")) +
               QLatin1String(
                   OpportunityFields::Fields[static_cast<size_t>(conditions[i].first)].storedName) +
               QStringLiteral(" = ?");
    }
    sql += QStringLiteral(" ORDER BY rowid");
    const QByteArray statementText = sql.toUtf8();
    SqlStatement statement(db.handle(), statementText.constData());
    if (!statement.ok())
        return Result::failure(db.describe(statement.rc()));
    for (qsizetype i = 0; i < conditions.size(); ++i)
        statement.bindText(static_cast<int>(i + 1), conditions[i].second);

    std::vector<ReportRecord> records;
    QSet<qint64> numbers;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        ReportRecord record;
        // As an open reads the file: a record without a record number is left out, any other
        // empty (NULL) field reads as "".
        if (sqlite3_column_type(statement.get(), 0) == SQLITE_NULL)
            continue;
        for (int i = 0; i < ReportRecord::FieldCount; ++i) {
            if (sqlite3_column_type(statement.get(), i) != SQLITE_NULL)
                record.fields[static_cast<size_t>(i)] = textColumn(statement.get(), i);
        }
        const qint64 number = sqlite3_column_int64(statement.get(), 0);
        if (numbers.contains(number))
            continue;
        numbers.insert(number);
        record.computeValues();
        records.push_back(std::move(record));
    }
    if (rc != SQLITE_DONE)
        return Result::failure(db.describe(rc));
    return records;
}
