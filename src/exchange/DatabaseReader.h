#pragma once

#include "platform/Result.h"
#include "store/Opportunity.h"

#include <QString>
#include <vector>

// Reads the opportunities of a sales database file for a merge, without writing to it: a
// read-only connection (so read-only files and files on read-only media merge too) under one
// shared lock, in the order the table yields them. As an open does, a record without a usable
// record number, or with a number met before, is left out, and NULL fields read as "".
// DateCreated is not read: a merged record gets the time of the merge.
class DatabaseReader {
public:
    // The opportunities of the file at `path`, or a failure whose message is the cause in
    // plain words ("The file is in use by another program.").
    static ResultValue<std::vector<Opportunity>> read(const QString& path);
};
