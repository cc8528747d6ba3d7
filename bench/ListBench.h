#pragma once

class CVN_Database;

// The list of the main window over the opened store: a rebuild of the list model (a model
// reset) with the sorted view re-sorting by a text column, against the bare read.
class ListBench {
public:
    ListBench(CVN_Database& database, double bareReadMs);
    void run();

private:
    CVN_Database& m_database;
    double m_bareReadMs;
};
