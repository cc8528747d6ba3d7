#pragma once

#include <QString>
#include <array>
#include <string>
#include <vector>

// The baselines: the same work done with the bare SQLite C API and plain std::string, on the
// same file, so that the store's figures read as ratios that hold on a noisy machine.
namespace BareSqlite {

struct Row {
    int recordNumber = 0;
    std::array<std::string, 18> texts;
};

// Opens the file, reads every row of Sales into `rows` and closes it. False on failure.
bool readAll(const QString& path, std::vector<Row>& rows);

// One exclusive open, a single statement on one row, commit and close. False on failure.
bool insertRow(const QString& path, int recordNumber, const Row& row);
bool updateRow(const QString& path, int recordNumber, const Row& row);
bool deleteRow(const QString& path, int recordNumber);

// One exclusive transaction that inserts every row, numbered from `firstNumber`. False on failure.
bool insertAll(const QString& path, const std::vector<Row>& rows, int firstNumber);
// Reads every row of Sales and writes it as comma-separated text with CR LF rows (a value with a
// comma, quote or line break quoted, quotes doubled) to `target`. False on failure.
bool exportCsv(const QString& path, const QString& target);

// The revenue sum over plain rows (digits and points kept, leading number read).
double revenueSum(const std::vector<Row>& rows);
// The highest record number plus 1.
int nextRecordNumber(const std::vector<Row>& rows);

} // namespace BareSqlite
