#include "outlook/DatabaseSnapshot.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <sqlite3.h>

namespace {

struct Connection {
    ~Connection() { sqlite3_close_v2(db); }
    sqlite3* db = nullptr;
};

QString engineError(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// The file may come from anywhere: nothing in it may run code or load extensions.
void harden(sqlite3* db) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
}

QString backup(const QString& source, const QString& target) {
    Connection from;
    Connection to;
    if (sqlite3_open_v2(QFile::encodeName(source).constData(), &from.db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK)
        return engineError(from.db);
    harden(from.db);
    sqlite3_busy_timeout(from.db, 3000);
    if (sqlite3_open_v2(QFile::encodeName(target).constData(), &to.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return engineError(to.db);
    sqlite3_backup* copy = sqlite3_backup_init(to.db, "main", from.db, "main");
    if (!copy)
        return engineError(to.db);
    // All pages in one step, under one read lock of the source: a consistent state.
    int rc = sqlite3_backup_step(copy, -1);
    for (int attempt = 0; (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && attempt < 30; ++attempt) {
        QThread::msleep(100);
        rc = sqlite3_backup_step(copy, -1);
    }
    const int finished = sqlite3_backup_finish(copy);
    if (rc != SQLITE_DONE)
        return QString::fromUtf8(sqlite3_errstr(rc));
    if (finished != SQLITE_OK)
        return engineError(to.db);
    return {};
}

} // namespace

ResultValue<QString> DatabaseSnapshot::take(const QString& source) {
    removeOld(7);
    const QFileInfo info(source);
    const QString shown = QDir::toNativeSeparators(source);
    if (!info.isFile())
        return Result::failure(
            QStringLiteral("The database file \"%1\" cannot be read.").arg(shown));
    const QString temporary = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    QTemporaryDir folder(QDir(temporary).filePath(QLatin1String(FolderPrefix) + "XXXXXX"));
    if (!folder.isValid())
        return Result::failure(
            QStringLiteral("No copy of \"%1\" can be made in the temporary folder \"%2\".")
                .arg(shown, QDir::toNativeSeparators(temporary)));
    const QString target = folder.filePath(info.fileName());
    if (const QString error = backup(info.absoluteFilePath(), target); !error.isEmpty())
        return Result::failure(QStringLiteral("No copy of the database file \"%1\" can be made: %2")
                                   .arg(shown, error));
    folder.setAutoRemove(false);
    return target;
}

void DatabaseSnapshot::removeOld(int days) {
    const QDir temporary(QStandardPaths::writableLocation(QStandardPaths::TempLocation));
    const QDateTime limit = QDateTime::currentDateTime().addDays(-days);
    for (const QFileInfo& entry : temporary.entryInfoList({QLatin1String(FolderPrefix) + u'*'},
                                                          QDir::Dirs | QDir::NoSymLinks))
        if (entry.lastModified() < limit)
            QDir(entry.absoluteFilePath()).removeRecursively();
}
