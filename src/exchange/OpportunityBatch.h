#pragma once

#include "platform/Result.h"

#include <QString>
#include <functional>
#include <vector>

class SalesDatabase;
class Opportunity;

// Adds many opportunities to a database at once, all or nothing: every record is written in one
// exclusive transaction of the file, and only when that is committed do the copies join the
// collection. New record numbers follow the highest of the file and of the collection, in the
// given order; every record gets the current time as its creation time.
class OpportunityBatch {
public:
    // Names an item in a failure message, such as "line 7" or "record 12".
    using Describe = std::function<QString(size_t index)>;

    // Adds copies of `items` to `target` (file first, then collection). On failure nothing is
    // added anywhere and the message names the file, the item at fault and the cause.
    static Result addAll(SalesDatabase& target, const std::vector<const Opportunity*>& items,
                         const Describe& describe);
};
