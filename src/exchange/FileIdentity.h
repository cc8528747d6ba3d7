#pragma once

#include <QString>
#include <QStringList>

// What a path on disk is, for the commands that must never write over a database: whether it
// holds an SQLite database (by its header, whatever its name), and whether two paths name the
// same file.
namespace FileIdentity {

// True when the file exists and begins with the SQLite header "SQLite format 3".
bool isSqliteFile(const QString& path);
// True when something exists at `path` that is not a regular file (a named pipe, a device, a
// socket, a folder), links followed: a file written through a temporary file renamed over its
// target must never take its place.
bool isNonRegularFile(const QString& path);
// True when both paths lead to the same file (links and relative parts resolved); for a file
// that does not exist yet its absolute, cleaned path is compared.
bool sameFile(const QString& a, const QString& b);
// The first of `locations` that is the same file as `path`, or "" when none is.
QString findIn(const QString& path, const QStringList& locations);

} // namespace FileIdentity
