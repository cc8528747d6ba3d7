#include "outlook/DatabaseSnapshot.h"

#include "store/SalesStore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

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
    const auto store =
        SalesStore::forLocation(info.absoluteFilePath(), SalesStore::Access::ReadOnly);
    if (const Result copied = store->backupTo(target); !copied)
        return Result::failure(QStringLiteral("No copy of the database file \"%1\" can be made: %2")
                                   .arg(shown, copied.message()));
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
