#pragma once

#include "platform/Result.h"

#include <QString>

// A consistent copy of a sales database file, taken with SQLite's online backup: pages that
// another program is writing at that moment never make it into the copy half-written. The copy
// lies in a temporary folder of its own under the file's own name, so that a mail program shows
// that name; it stays there (a compose window reads it later) until a later copy clears folders
// older than a week.
class DatabaseSnapshot {
public:
    static constexpr const char* FolderPrefix = "corvane-send-";

    // The path of the copy, or why none could be made (the file is missing, is no database, or
    // is locked for longer than a few seconds).
    static ResultValue<QString> take(const QString& source);
    // Removes copies older than `days` days from the temporary folder.
    static void removeOld(int days);
};
