#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

// The nineteen fields of an opportunity, described once: their order in table Sales, stored
// names, types and sizes, the key by which KeyValue gives them, whether they are amounts, the
// list column that shows them (with its Sort menu and options entries), their export column,
// their line in the text block and their report heading. The schema, the SQL, the copies and
// comparisons of Opportunity and the collection's Add read this table; so do the list, export and
// exchange code.
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

// Whether a field holds an amount: a count (the quantity) or money (unit price, revenue).
// Amounts are compared by value and line up on their last digit.
enum class Amount { None, Count, Money };

// Where a list column appears: in the list, in the Sort menu and among the options dialog's
// column entries, each with its own caption.
struct Column {
    int position = -1;             // position among the list columns (0-based); -1 when none
    const char* caption = nullptr; // the list header
    int sortPosition = 0;          // position in the Sort menu (1 to 14)
    const char* sortCaption = nullptr;
    int optionsPosition = -1; // position among the options dialog's column entries (0-based)
    const char* optionsCaption = nullptr;
};

// Where a value appears in an export file or in the text block of a copied opportunity: its
// position among the columns or lines, and their header or label.
struct ExportColumn {
    int position = -1; // -1 when it is left out
    const char* header = nullptr;
};

struct Info {
    Field field;
    const char* storedName; // the field's name in table Sales
    Type type;
    int size;        // most characters of a text field; 0 for the others
    const char* key; // KeyValue's key; nullptr when KeyValue does not give the field
    Amount amount;
    Column column;             // the list column that shows the field
    ExportColumn exported;     // the export file's column
    ExportColumn textLine;     // the line of the opportunity's text block
    const char* reportCaption; // headings of reports; nullptr: the stored name
};

// Indexed by Field.
// clang-format off
inline constexpr std::array<Info, Count> Fields{{
    {RecordNumber, "RecordNumber", Type::Integer, 0, "RecordNumber", Amount::None,
     {}, {14, "Record"}, {}, "Record number"},
    {SalesOwner, "SalesOwner", Type::Text, 32, nullptr, Amount::None,
     {}, {16, "Owner"}, {}, "Sales owner"},
    {DateCreated, "DateCreated", Type::DateTime, 0, nullptr, Amount::None,
     {}, {15, "Created"}, {}, "Created"},
    {Company, "Company", Type::Text, 32, "Company", Amount::None,
     {1, "Company", 2, "Company", 1, "Company"}, {2, "Company"}, {1, "Company"}, nullptr},
    {Contact, "Contact", Type::Text, 32, "Contact", Amount::None,
     {3, "Contact", 4, "Contact", 3, "Contact"}, {1, "Contact"}, {2, "Contact"}, nullptr},
    {Department, "Department", Type::Text, 32, "Department", Amount::None,
     {2, "Department", 3, "Department", 2, "Department"},
     {3, "Department"}, {3, "Department"}, nullptr},
    {Description, "Description", Type::Text, 128, "Description", Amount::None,
     {0, "Description", 1, "Description", 0, "Description"},
     {0, "Description"}, {0, "Description"}, nullptr},
    {Note, "Note", Type::Text, 128, "Note", Amount::None,
     {4, "Note", 5, "Note", 4, "Notes"}, {4, "Note"}, {4, "Note"}, nullptr},
    {Product, "Product", Type::Text, 32, "Product", Amount::None,
     {5, "Product", 6, "Product", 5, "Product"}, {5, "Product"}, {5, "Product"}, nullptr},
    {UnitPrice, "UnitPrice", Type::Text, 16, "UnitPrice", Amount::Money,
     {6, "Price", 7, "Price", 7, "Price"}, {6, "Unit Price"}, {7, "Price"}, "Unit price"},
    {Quantity, "Quantity", Type::Text, 16, "Quantity", Amount::Count,
     {7, "Qty.", 8, "Quantity", 6, "Quantity"}, {7, "Quantity"}, {6, "Quantity"}, nullptr},
    {Revenue, "Revenue", Type::Text, 32, "Revenue", Amount::Money,
     {8, "Revenue", 9, "Revenue", 8, "Revenue"}, {8, "Revenue"}, {8, "Revenue"}, nullptr},
    {Source, "Source", Type::Text, 32, "Source", Amount::None,
     {12, "Source", 10, "Source", 12, "Source"}, {12, "Source"}, {12, "Source"}, nullptr},
    {Stage, "Stage", Type::Text, 32, "Stage", Amount::None,
     {9, "Stage", 11, "Stage", 9, "Stage"}, {9, "Stage"}, {9, "Stage"}, nullptr},
    {Probability, "Probability", Type::Text, 32, "Probability", Amount::None,
     {10, "Prob.", 13, "Probability", 10, "Probability"},
     {10, "Probability"}, {10, "Probability"}, nullptr},
    {Forecast, "Forecast", Type::Text, 3, "Forecast", Amount::None,
     {11, "Forecast.", 12, "Forecast", 11, "Forecast"},
     {11, "Forecast"}, {11, "Forecast"}, nullptr},
    {OrderDay, "OrderDay", Type::Text, 2, "OrderDay", Amount::None,
     {}, {}, {}, "Order day"},
    {OrderMonth, "OrderMonth", Type::Text, 12, "OrderMonth", Amount::None,
     {}, {}, {}, "Order month"},
    {OrderYear, "OrderYear", Type::Text, 4, "OrderYear", Amount::None,
     {}, {}, {}, "Order year"},
}};
// clang-format on

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
    Column column;
    ExportColumn exported;
    ExportColumn textLine;
    const char* reportCaption;
};
inline constexpr DerivedColumn OrderDateColumn{"OrderDate",
                                               {13, "YY-MM-DD", 14, "Order Date", 13, "Order Date"},
                                               {13, "OrderDate"},
                                               {13, "Order Date"},
                                               "Order date"};
inline constexpr int ColumnCount = 14;
inline constexpr int ExportColumnCount = 17;
inline constexpr int TextLineCount = 14;

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
// The Sort menu, positions 1 to 14: the column key of a position ("None" outside them), the
// position of a column key (0 for any other key) and the captions in menu order.
QString sortKey(int sortPosition);
int sortPosition(QStringView columnKey);
const QStringList& sortCaptions();
// The options dialog's column entries in their order: keys and captions.
const QStringList& optionsKeys();
const QStringList& optionsCaptions();
// The export file's columns in their order: headers, and the field of each (nothing for the
// order date).
const QStringList& exportHeaders();
const std::array<std::optional<Field>, ExportColumnCount>& exportFields();
// The lines of an opportunity's text block in their order: label and field (nothing for the
// order date).
struct TextLine {
    QString label;
    std::optional<Field> field;
};
const std::array<TextLine, TextLineCount>& textLines();

// Whether a KeyValue or column key names an amount (unit price, quantity, revenue).
bool isAmount(QStringView key);
// Whether a stored name names a money field (unit price, revenue), compared exactly.
bool isMoney(QStringView storedName);
// The report heading of a stored name or of "OrderDate", compared exactly; "" for other names.
QString reportCaption(QStringView name);

// The stored names in stored order, joined by ", " (for statements).
QString storedNameList();

} // namespace OpportunityFields
