#pragma once

#include "platform/Result.h"
#include "platform/WorkProgress.h"

#include <QString>
#include <QStringList>

// Save As: a consistent copy of a sales database file at a new location, made with the
// engine's online backup while the source is locked against writers. The copy is made under a
// temporary name in the target's folder and takes the target's name only when complete.
class DatabaseCopy {
public:
    // Copies `source` to `target`. Refuses a target that is the source itself or one of
    // `openDatabases` (the locations of every open database); an existing other file at the
    // target is replaced (the dialog has asked). The message names the file and the cause.
    // `progress` hears of the pages copied; when it returns false the copy stops, nothing is
    // left at the target, and the result is cancelled.
    static Result saveAs(const QString& source, const QString& target,
                         const QStringList& openDatabases, const ProgressCallback& progress = {});
};
