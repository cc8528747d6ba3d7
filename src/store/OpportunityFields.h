#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

// The nineteen fields of an opportunity, described once: their order in table Sales, stored
// names, types and sizes, the key by which KeyValue gives them, and the list column (key,
// position and caption) that shows them. The schema, the SQL, the copies and comparisons of
// Opportunity and the collection's Add read this table; so do the list, export and exchange code.
namespace OpportunityFields {

// The fields in their stored order (the order of table Sales); the value is the field index.
enum Field : int {
    RecordNumber,
    SalesOwner,
    DateCreated,
    Company,
    Contact,
    Department,
    Description,
    Note,
    Product,
    UnitPrice,
    Quantity,
    Revenue,
    Source,
    Stage,
    Probability,
    Forecast,
    OrderDay,
    OrderMonth,
    OrderYear,
};
inline constexpr int Count = 19;

enum class Type { Integer, Text, DateTime };

struct Info {
    Field field;
    const char* storedName; // the field's name in table Sales
    Type type;
    int size;            // most characters of a text field; 0 for the others
    const char* key;     // KeyValue's key; nullptr when KeyValue does not give the field
    int column;          // position among the list columns (0-based); -1 when none shows it
    const char* caption; // the list column's caption; nullptr without a column
};

// Indexed by Field.
inline constexpr std::array<Info, Count> Fields{{
    {RecordNumber, "RecordNumber", Type::Integer, 0, "RecordNumber", -1, nullptr},
    {SalesOwner, "SalesOwner", Type::Text, 32, nullptr, -1, nullptr},
    {DateCreated, "DateCreated", Type::DateTime, 0, nullptr, -1, nullptr},
    {Company, "Company", Type::Text, 32, "Company", 1, "Company"},
    {Contact, "Contact", Type::Text, 32, "Contact", 3, "Contact"},
    {Department, "Department", Type::Text, 32, "Department", 2, "Department"},
    {Description, "Description", Type::Text, 128, "Description", 0, "Description"},
    {Note, "Note", Type::Text, 128, "Note", 4, "Note"},
    {Product, "Product", Type::Text, 32, "Product", 5, "Product"},
    {UnitPrice, "UnitPrice", Type::Text, 16, "UnitPrice", 6, "Price"},
    {Quantity, "Quantity", Type::Text, 16, "Quantity", 7, "Qty."},
    {Revenue, "Revenue", Type::Text, 32, "Revenue", 8, "Revenue"},
    {Source, "Source", Type::Text, 32, "Source", 12, "Source"},
    {Stage, "Stage", Type::Text, 32, "Stage", 9, "Stage"},
    {Probability, "Probability", Type::Text, 32, "Probability", 10, "Prob."},
    {Forecast, "Forecast", Type::Text, 3, "Forecast", 11, "Forecast."},
    {OrderDay, "OrderDay", Type::Text, 2, "OrderDay", -1, nullptr},
    {OrderMonth, "OrderMonth", Type::Text, 12, "OrderMonth", -1, nullptr},
    {OrderYear, "OrderYear", Type::Text, 4, "OrderYear", -1, nullptr},
}};

static_assert(
    [] {
        for (size_t i = 0; i < Fields.size(); ++i) {
            if (Fields[i].field != static_cast<int>(i))
                return false;
        }
        return true;
    }(),
    "the table is indexed by Field");

// The list column that no single field fills: the expected order date, from the three order
// fields (Opportunity::OrderDate).
struct DerivedColumn {
    const char* key;
    int column;
    const char* caption;
};
inline constexpr DerivedColumn OrderDateColumn{"OrderDate", 13, "YY-MM-DD"};
inline constexpr int ColumnCount = 14;

// The order of the eighteen texts in Opportunities::Add and in a new record: SalesOwner,
// DateCreated, Company, Department, Contact, Note, Product, Description, UnitPrice, Quantity,
// Revenue, Source, Stage, Forecast, Probability, OrderDay, OrderMonth, OrderYear.
inline constexpr std::array<Field, 18> AddOrder{
    SalesOwner, DateCreated, Company,     Department, Contact,    Note,
    Product,    Description, UnitPrice,   Quantity,   Revenue,    Source,
    Stage,      Forecast,    Probability, OrderDay,   OrderMonth, OrderYear};

inline constexpr const Info& info(Field field) {
    return Fields[static_cast<size_t>(field)];
}
inline bool isText(Field field) {
    return info(field).type != Type::Integer;
}

// The field of a KeyValue key, compared exactly; nothing for "OrderDate" and unknown keys.
std::optional<Field> byKey(QStringView key);
// The field of a stored name, compared without regard to case as the engine compares names.
std::optional<Field> byStoredName(QStringView name);

// The list columns in their order: keys and captions (the order date included).
const QStringList& columnKeys();
const QStringList& columnCaptions();

// The stored names in stored order, joined by ", " (for statements).
QString storedNameList();

} // namespace OpportunityFields
