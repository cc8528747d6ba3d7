#include "exchange/DatabaseCopy.h"
#include "store/SalesStore.h"

#include "exchange/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

Result DatabaseCopy::saveAs(const QString& source, const QString& target,
                            const QStringList& openDatabases, const ProgressCallback& progress) {
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

    if (const Result copied = SalesStore::forLocation(source, SalesStore::Access::ReadOnly)
                                  ->backupTo(target, progress);
        !copied)
        return copied.isCancelled() ? copied : fail(copied.message());
    return {};
}
