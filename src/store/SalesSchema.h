#pragma once

#include <QString>

class Opportunity;

// The table Sales of a sales database file, as the field table describes it: the statements that
// make it, and the field sizes, which the store enforces.
namespace SalesSchema {

// The statements that create the table and its index.
QString createTableSql();
QString createIndexSql();

// "" when every text of `opportunity` fits its field, else a message naming the first field
// that does not ("Description is longer than 128 characters").
QString checkSizes(const Opportunity& opportunity);

} // namespace SalesSchema
