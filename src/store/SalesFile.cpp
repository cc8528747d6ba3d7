#include "store/SalesFile.h"

#include "store/OpportunityFields.h"
#include "store/SqlStatement.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <QThread>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace {
std::atomic<int> lockWait = SalesFile::DefaultLockWaitMs;
} // namespace

int SalesFile::lockWaitMs() {
    return lockWait.load();
}

void SalesFile::setLockWaitMs(int milliseconds) {
    lockWait.store(std::max(milliseconds, 0));
}

namespace {
// Tries for the lock again every millisecond until the lock wait has passed: another program
// adding in a burst lets go of the file only for moments between its transactions, which a
// longer pause between tries would miss again and again. The engine calls this with attempt 0
// when a wait begins, and one wait at a time runs on a thread.
int waitForLock(void* /*unused*/, int attempt) {
    thread_local QDeadlineTimer deadline;
    if (attempt == 0)
        deadline = QDeadlineTimer(SalesFile::lockWaitMs());
    if (deadline.hasExpired())
        return 0;
    QThread::usleep(1000);
    return 1;
}
} // namespace

SalesFile::SalesFile(const QString& path, Mode mode) {
    if (mode == Mode::Existing && !QFile::exists(path)) {
        m_error = QStringLiteral("the file does not exist");
        return;
    }
    // A pipe or a device is never opened as a database: reading it could wait forever or
    // consume what another program needs.
    if (mode == Mode::Existing && !QFileInfo(path).isFile()) {
        m_error = QStringLiteral("it is not a regular file");
        return;
    }
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE;
    if (mode == Mode::Create)
        flags |= SQLITE_OPEN_CREATE;
    // By absolute path: a name that begins with "file:" would otherwise be read as a URI by an
    // engine built to accept them, and could open another file or a database in memory.
    const int rc = openDefensively(path, flags, &m_db);
    if (rc != SQLITE_OK) {
        takeError(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    m_inTransaction = exec("BEGIN EXCLUSIVE");
    // A file that is no database fails only here, when its first page is read.
}

SalesFile::~SalesFile() {
    if (m_db) {
        if (m_inTransaction)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }
}

bool SalesFile::exec(const char* sql) {
    if (!m_db)
        return false;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        takeError(rc);
        return false;
    }
    return true;
}

bool SalesFile::commit() {
    if (!isOpen())
        return false;
    if (!exec("COMMIT"))
        return false;
    m_inTransaction = false;
    return true;
}

bool SalesFile::hasSalesTable() {
    bool isPlainTable = false;
    {
        SqlStatement table(m_db,
                           "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = 'Sales' "
                           "COLLATE NOCASE");
        if (!table.ok()) {
            takeError(table.rc());
            return false;
        }
        if (sqlite3_step(table.get()) == SQLITE_ROW) {
            const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(table.get(), 0));
            isPlainTable = sql && !QByteArray(sql).trimmed().toUpper().startsWith("CREATE VIRTUAL");
        }
    }
    if (!isPlainTable) {
        m_error = QStringLiteral("the file has no table Sales");
        return false;
    }

    QSet<QString> columns;
    SqlStatement fields(m_db, "SELECT name FROM pragma_table_info('Sales')");
    if (!fields.ok()) {
        takeError(fields.rc());
        return false;
    }
    while (sqlite3_step(fields.get()) == SQLITE_ROW)
        columns.insert(textColumn(fields.get(), 0).toLower());
    for (const OpportunityFields::Info& field : OpportunityFields::Fields) {
        if (!columns.contains(QString::fromLatin1(field.storedName).toLower())) {
            m_error = QStringLiteral("the table Sales has no field %1").arg(field.storedName);
            return false;
        }
    }
    return true;
}

void SalesFile::takeError(int code) {
    m_error = describe(code, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code));
}

QString SalesFile::describe(int code, const char* engineMessage) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("the file is in use by another program; try again when it has "
                              "finished with it");
    case SQLITE_CONSTRAINT:
        switch (code) {
        case SQLITE_CONSTRAINT_UNIQUE:
        case SQLITE_CONSTRAINT_PRIMARYKEY: {
            // "UNIQUE constraint failed: Sales.Company, Sales.Contact"
            QStringList fields = QString::fromUtf8(engineMessage)
                                     .section(QLatin1Char(':'), 1)
                                     .split(QLatin1Char(','));
            for (QString& field : fields)
                field = field.section(QLatin1Char('.'), -1).trimmed();
            fields.removeAll(QString());
            if (fields == QStringList{QStringLiteral("RecordNumber")} || fields.isEmpty())
                return QStringLiteral("another record in the file already has this record number");
            return QStringLiteral("another record in the file already has the same %1")
                .arg(fields.join(QStringLiteral(" and ")));
        }
        case SQLITE_CONSTRAINT_CHECK:
            return QStringLiteral("a value does not fit its field in the file");
        case SQLITE_CONSTRAINT_NOTNULL:
            return QStringLiteral("the file requires a value in a field that is empty");
        default:
            return QStringLiteral("the file refuses the record (%1)")
                .arg(QString::fromUtf8(engineMessage));
        }
    case SQLITE_CANTOPEN:
        return QStringLiteral("the file cannot be opened");
    case SQLITE_READONLY:
        return QStringLiteral("the file is read-only");
    case SQLITE_NOTADB:
        return QStringLiteral("the file is not a Corvane database");
    case SQLITE_CORRUPT:
        return QStringLiteral("the file is damaged");
    case SQLITE_FULL:
        return QStringLiteral("the disk is full");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("access to the file is denied");
    case SQLITE_IOERR:
        return QStringLiteral("the file cannot be read or written (%1)")
            .arg(QString::fromUtf8(engineMessage));
    default:
        return QString::fromUtf8(engineMessage);
    }
}

int SalesFile::openDefensively(const QString& path, int flags, sqlite3** db) {
    const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    int rc = sqlite3_open_v2(file.constData(), db, flags, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    sqlite3_extended_result_codes(*db, 1);
    sqlite3_busy_handler(*db, waitForLock, nullptr);
    // Files arrive by mail and drag and drop: no extension loading, no schema tricks.
    sqlite3_db_config(*db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(*db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(*db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(*db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(*db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    return sqlite3_exec(*db, "PRAGMA cell_size_check = ON", nullptr, nullptr, nullptr);
}

std::optional<qint32> SalesFile::recordNumberColumn(sqlite3_stmt* s, int column) {
    qint64 value = 0;
    switch (sqlite3_column_type(s, column)) {
    case SQLITE_INTEGER:
        value = sqlite3_column_int64(s, column);
        break;
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(s, column);
        // Out of range (or not a number) before the conversion, which would be undefined.
        if (!(d >= std::numeric_limits<qint32>::min() && d <= std::numeric_limits<qint32>::max()) ||
            d != std::trunc(d))
            return std::nullopt;
        value = static_cast<qint64>(d);
        break;
    }
    case SQLITE_TEXT: {
        bool ok = false;
        value = textColumn(s, column).trimmed().toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        break;
    }
    default:
        return std::nullopt;
    }
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}
