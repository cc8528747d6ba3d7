#pragma once

#include "BareSqlite.h"

#include <QString>
#include <memory>
#include <vector>

class SalesDatabase;

// The store's figures on one sample file: the open with its bare-SQLite baseline, the memory
// of the opened store, the totals, and single add/update/remove against bare one-row writes.
class StoreBench {
public:
    StoreBench(const QString& path, int count);
    ~StoreBench();

    // Prints the figures; false when the file could not be opened (nothing else can follow).
    bool run();

    // The opened store (after run()), for the figures that build on it, and the bare read's
    // time, their common baseline.
    SalesDatabase& database() { return *m_database; }
    double bareReadMs() const { return m_bareReadMs; }

private:
    bool open();
    bool memory();
    void totals();
    void germanTotals();
    void writes();

    QString m_path;
    int m_count;
    std::unique_ptr<SalesDatabase> m_database;
    std::vector<BareSqlite::Row> m_rows;
    double m_bareReadMs = 0.0;
};
