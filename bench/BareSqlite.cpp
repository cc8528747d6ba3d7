#include "BareSqlite.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <string_view>

namespace BareSqlite {

namespace {

// Column order of the reads and writes; texts[i] is column i + 1.
constexpr const char* SelectSql =
    "SELECT RecordNumber, SalesOwner, DateCreated, Company, Contact, Department, Description, "
    "Note, Product, UnitPrice, Quantity, Revenue, Source, Stage, Probability, Forecast, "
    "OrderDay, OrderMonth, OrderYear FROM Sales";
constexpr const char* InsertSql =
    "INSERT INTO Sales (RecordNumber, SalesOwner, DateCreated, Company, Contact, Department, "
    "Description, Note, Product, UnitPrice, Quantity, Revenue, Source, Stage, Probability, "
    "Forecast, OrderDay, OrderMonth, OrderYear) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, "
    "?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19)";
constexpr const char* UpdateSql =
    "UPDATE Sales SET SalesOwner = ?2, Company = ?4, Contact = ?5, Department = ?6, "
    "Description = ?7, Note = ?8, Product = ?9, UnitPrice = ?10, Quantity = ?11, Revenue = ?12, "
    "Source = ?13, Stage = ?14, Probability = ?15, Forecast = ?16, OrderDay = ?17, "
    "OrderMonth = ?18, OrderYear = ?19 WHERE RecordNumber = ?1";
constexpr size_t RevenueText = 10;

sqlite3* openFile(const QString& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

// Runs `sql` with the row bound (UpdateSql leaves ?3 out) inside one exclusive transaction.
bool writeOne(const QString& path, const char* sql, int recordNumber, const Row* row) {
    sqlite3* db = openFile(path);
    if (!db)
        return false;
    bool ok = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* statement = nullptr;
    ok = ok && sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_bind_int(statement, 1, recordNumber);
        const int parameters = sqlite3_bind_parameter_count(statement);
        for (int i = 2; row && i <= parameters; ++i) {
            const std::string& text = row->texts[static_cast<size_t>(i - 2)];
            sqlite3_bind_text(statement, i, text.data(), static_cast<int>(text.size()),
                              SQLITE_STATIC);
        }
        ok = sqlite3_step(statement) == SQLITE_DONE;
    }
    sqlite3_finalize(statement);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

bool readAll(const QString& path, std::vector<Row>& rows) {
    rows.clear();
    sqlite3* db = openFile(path);
    if (!db)
        return false;
    sqlite3_stmt* select = nullptr;
    if (sqlite3_prepare_v2(db, SelectSql, -1, &select, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(select)) == SQLITE_ROW) {
        Row& row = rows.emplace_back();
        row.recordNumber = sqlite3_column_int(select, 0);
        for (int column = 1; column <= 18; ++column) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, column));
            if (text)
                row.texts[static_cast<size_t>(column - 1)].assign(
                    text, static_cast<size_t>(sqlite3_column_bytes(select, column)));
        }
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    return rc == SQLITE_DONE;
}

bool insertRow(const QString& path, int recordNumber, const Row& row) {
    return writeOne(path, InsertSql, recordNumber, &row);
}

bool updateRow(const QString& path, int recordNumber, const Row& row) {
    return writeOne(path, UpdateSql, recordNumber, &row);
}

bool deleteRow(const QString& path, int recordNumber) {
    return writeOne(path, "DELETE FROM Sales WHERE RecordNumber = ?1", recordNumber, nullptr);
}

bool insertAll(const QString& path, const std::vector<Row>& rows, int firstNumber) {
    sqlite3* db = openFile(path);
    if (!db)
        return false;
    bool ok = sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* statement = nullptr;
    ok = ok && sqlite3_prepare_v2(db, InsertSql, -1, &statement, nullptr) == SQLITE_OK;
    int number = firstNumber;
    for (size_t r = 0; ok && r < rows.size(); ++r) {
        sqlite3_bind_int(statement, 1, number++);
        for (int i = 2; i <= 19; ++i) {
            const std::string& text = rows[r].texts[static_cast<size_t>(i - 2)];
            sqlite3_bind_text(statement, i, text.data(), static_cast<int>(text.size()),
                              SQLITE_STATIC);
        }
        ok = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool exportCsv(const QString& path, const QString& target) {
    sqlite3* db = openFile(path);
    if (!db)
        return false;
    std::FILE* out = std::fopen(target.toUtf8().constData(), "wb");
    sqlite3_stmt* select = nullptr;
    bool ok = out && sqlite3_prepare_v2(db, SelectSql, -1, &select, nullptr) == SQLITE_OK;
    std::string line;
    while (ok && sqlite3_step(select) == SQLITE_ROW) {
        line.clear();
        for (int column = 0; column <= 18; ++column) {
            if (column > 0)
                line += ',';
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, column));
            const std::string_view value(text ? text : "",
                                         static_cast<size_t>(sqlite3_column_bytes(select, column)));
            if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
                line += value;
                continue;
            }
            line += '"';
            for (const char c : value) {
                if (c == '"')
                    line += '"';
                line += c;
            }
            line += '"';
        }
        line += "\r\n";
        ok = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    if (out)
        ok = std::fclose(out) == 0 && ok;
    return ok;
}

double revenueSum(const std::vector<Row>& rows) {
    double sum = 0.0;
    std::string cleaned;
    for (const Row& row : rows) {
        cleaned.clear();
        for (const char c : row.texts[RevenueText]) {
            if ((c >= '0' && c <= '9') || c == '.')
                cleaned.push_back(c);
        }
        sum += std::strtod(cleaned.c_str(), nullptr);
    }
    return sum;
}

int nextRecordNumber(const std::vector<Row>& rows) {
    int highest = 0;
    for (const Row& row : rows)
        highest = std::max(highest, row.recordNumber);
    return highest + 1;
}

} // namespace BareSqlite
