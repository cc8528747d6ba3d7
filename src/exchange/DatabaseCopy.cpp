#include "exchange/DatabaseCopy.h"

#include "exchange/FileIdentity.h"
#include "store/SalesFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <sqlite3.h>
#include <system_error>

namespace {

// How long the copy waits for another program to let go of the source.
constexpr int BusyTimeoutMs = 2000;

class Connection {
public:
    Connection(const QString& path, int flags) {
        m_rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                               flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE, nullptr);
        if (m_db) {
            sqlite3_extended_result_codes(m_db, 1);
            sqlite3_busy_timeout(m_db, BusyTimeoutMs);
            sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
            sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        }
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    bool ok() const { return m_rc == SQLITE_OK; }
    int rc() const { return m_rc; }
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    int m_rc = SQLITE_OK;
};

QString describe(sqlite3* db, int rc) {
    return SalesFile::describe(rc, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

} // namespace

Result DatabaseCopy::saveAs(const QString& source, const QString& target,
                            const QStringList& openDatabases) {
    const QString failed = QStringLiteral("Could not save a copy of %1 as %2: %3");
    const auto fail = [&](const QString& cause) {
        return Result::failure(failed.arg(source, target, cause));
    };
    if (target.isEmpty())
        return fail(QStringLiteral("no file name was given"));
    if (FileIdentity::sameFile(source, target))
        return fail(QStringLiteral("a database cannot be saved over itself"));
    if (!FileIdentity::findIn(target, openDatabases).isEmpty())
        return fail(QStringLiteral("%1 is an open database; close it first or choose another "
                                   "name")
                        .arg(target));
    if (QFileInfo(target).isDir())
        return fail(QStringLiteral("%1 is a folder").arg(target));
    if (!QFileInfo(source).isFile())
        return fail(QStringLiteral("the database file does not exist any more"));
    if (!FileIdentity::isSqliteFile(source))
        return fail(QStringLiteral("the file is not a Corvane database"));

    const QString folder = QFileInfo(target).absolutePath();
    QTemporaryFile temporary(QDir(folder).filePath(QStringLiteral(".corvane-save-XXXXXX")));
    if (!temporary.open())
        return fail(temporary.errorString());
    const QString temporaryPath = temporary.fileName();
    temporary.close();

    {
        Connection from(source, SQLITE_OPEN_READONLY);
        if (!from.ok())
            return fail(describe(from.get(), from.rc()));
        Connection to(temporaryPath, SQLITE_OPEN_READWRITE);
        if (!to.ok())
            return fail(describe(to.get(), to.rc()));
        sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (!backup)
            return fail(describe(to.get(), sqlite3_errcode(to.get())));
        // One step copies every page under one read lock of the source: a consistent copy.
        const int step = sqlite3_backup_step(backup, -1);
        const int finish = sqlite3_backup_finish(backup);
        if (step != SQLITE_DONE)
            return fail(describe(from.get(), step));
        if (finish != SQLITE_OK)
            return fail(describe(to.get(), finish));
    }

    QFile::setPermissions(temporaryPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ReadGroup | QFileDevice::ReadOther);
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporaryPath).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error)
        return fail(QString::fromStdString(error.message()));
    temporary.setAutoRemove(false);
    return {};
}
