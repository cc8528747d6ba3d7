#pragma once

class SalesDatabase;
class SettingsStore;

// What the filter dialog's Apply costs with two open databases of 32,767 opportunities each:
// the criteria written and saved, the filter pass over both databases, and (where the list
// model is part of the build) the list of the shown one rebuilt.
class FilterApplyBench {
public:
    FilterApplyBench(SalesDatabase& shown, SettingsStore& settings);
    void run();

private:
    SalesDatabase& m_shown;
    SettingsStore& m_settings;
};
