#pragma once

class SalesDatabase;
class SettingsStore;

// The list of the main window over the opened store: a rebuild of the list model (a model
// reset) with the sorted view re-sorting by a text column, against the bare read.
class ListBench {
public:
    ListBench(SalesDatabase& database, double bareReadMs, SettingsStore& settings);
    void run();

private:
    SalesDatabase& m_database;
    double m_bareReadMs;
    SettingsStore& m_settings;
};
