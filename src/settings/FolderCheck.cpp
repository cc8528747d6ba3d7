#include "settings/FolderCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {
// Only a real write tells (permissions, read-only mounts, full disks); the probe is removed.
bool canWriteIn(const QString& folder) {
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".corvane-check-XXXXXX")));
    return probe.open() && probe.write("x", 1) == 1 && probe.flush();
}
} // namespace

FolderCheck FolderCheck::check(const QString& path, bool writable) {
    const QString folder = path.trimmed();
    if (folder.isEmpty())
        return {false, QStringLiteral("No folder is set.")};
    if (QDir::isRelativePath(folder))
        return {false, QStringLiteral("Give the full path of the folder.")};
    const QFileInfo info(folder);
    if (!info.exists()) {
        // The nearest folder that exists must take the new one.
        QString parent = QDir::cleanPath(folder);
        while (!QFileInfo::exists(parent) && !QDir(parent).isRoot())
            parent = QFileInfo(parent).absolutePath();
        if (QFileInfo(parent).isDir() && canWriteIn(parent))
            return {true, QStringLiteral("Not there yet; it is made when first used.")};
        return {false, QStringLiteral("Does not exist and cannot be made.")};
    }
    if (!info.isDir())
        return {false, QStringLiteral("Not a folder.")};
    if (!info.isReadable() || !info.isExecutable() || !QDir(folder).isReadable())
        return {false, QStringLiteral("Cannot be read.")};
    if (!writable)
        return {true, QStringLiteral("Can be read.")};
    if (!canWriteIn(folder))
        return {false, QStringLiteral("Can be read but not written.")};
    return {true, QStringLiteral("Can be read and written.")};
}
