#include "exchange/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace FileIdentity {

namespace {

QString identity(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

bool isSqliteFile(const QString& path) {
    static const QByteArray header("SQLite format 3\0", 16);
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    return file.read(header.size()) == header;
}

bool isNonRegularFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    return identity(a) == identity(b);
}

QString findIn(const QString& path, const QStringList& locations) {
    for (const QString& location : locations) {
        if (sameFile(path, location))
            return location;
    }
    return QString();
}

} // namespace FileIdentity
