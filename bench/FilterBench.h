#pragma once

class SalesDatabase;
class SettingsStore;

// One filter pass of the process's filter set over the opened store, with every criterion
// group in use (status, revenue range and order-date range), against the bare read.
class FilterBench {
public:
    FilterBench(SalesDatabase& database, double bareReadMs, SettingsStore& settings);
    void run();

private:
    SalesDatabase& m_database;
    double m_bareReadMs;
    SettingsStore& m_settings;
};
