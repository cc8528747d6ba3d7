#pragma once

#include <QString>
#include <array>

class Opportunity;

// The table Sales of a sales database file: its nineteen fields in order, their types and the
// sizes of the text fields, which the store enforces.
namespace SalesSchema {

enum class FieldType { Integer, Text, DateTime };

struct Field {
    const char* name;
    FieldType type;
    int size; // characters, for text fields; 0 otherwise
};

inline constexpr std::array<Field, 19> Fields{{
    {"RecordNumber", FieldType::Integer, 0}, {"SalesOwner", FieldType::Text, 32},
    {"DateCreated", FieldType::DateTime, 0}, {"Company", FieldType::Text, 32},
    {"Contact", FieldType::Text, 32},        {"Department", FieldType::Text, 32},
    {"Description", FieldType::Text, 128},   {"Note", FieldType::Text, 128},
    {"Product", FieldType::Text, 32},        {"UnitPrice", FieldType::Text, 16},
    {"Quantity", FieldType::Text, 16},       {"Revenue", FieldType::Text, 32},
    {"Source", FieldType::Text, 32},         {"Stage", FieldType::Text, 32},
    {"Probability", FieldType::Text, 32},    {"Forecast", FieldType::Text, 3},
    {"OrderDay", FieldType::Text, 2},        {"OrderMonth", FieldType::Text, 12},
    {"OrderYear", FieldType::Text, 4},
}};

// The statements that create the table and its index.
QString CreateTableSql();
QString CreateIndexSql();

// The texts of an opportunity's sixteen text fields after SalesOwner, keyed by field name.
QString TextOf(const Opportunity& opportunity, const char* fieldName);

// "" when every text of `opportunity` fits its field, else a message naming the first field
// that does not ("Description is longer than 128 characters").
QString CheckSizes(const Opportunity& opportunity);

} // namespace SalesSchema
