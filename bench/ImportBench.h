#pragma once

#include <QString>

class Filters;
class SalesDatabase;

// The import figures: a 100,000-row spreadsheet file (comma-separated, quoted values, ISO
// dates) whose rows repeat 32,767 distinct opportunities, the most a database holds, imported
// into an empty database with "update" for duplicates: read, detect, map, plan every row and
// write the 32,767 opportunities in one transaction with its undo step. Beside it, in the same
// run, a bare loop that splits the same rows, keeps the last row of each opportunity and
// inserts them with the bare SQLite API; and the peak memory of the import, measured in a
// process of its own (corvane-bench --import-only), so that the benchmark's other data do not
// count.
class ImportBench {
public:
    ImportBench(const SalesDatabase& sample, const Filters& filters, const QString& folder);
    void run();

    // The argument that runs importOnly() in the child process.
    static QString importOnlyArgument() { return QStringLiteral("--import-only"); }
    // Imports `csv` into the empty database `database` as run() does and prints the peak
    // resident memory of the process in KiB; the exit status.
    static int importOnly(const QString& csv, const QString& database);

private:
    QString writeFile() const;
    QString emptyDatabase();

    const SalesDatabase& m_sample;
    const Filters& m_filters;
    QString m_folder;
    int m_files = 0;
};
