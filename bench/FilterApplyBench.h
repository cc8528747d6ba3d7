#pragma once

class CVN_Database;

// What the filter dialog's Apply costs with two open databases of 32,767 opportunities each:
// the criteria written and saved, the filter pass over both databases, and (where the list
// model is part of the build) the list of the shown one rebuilt.
class FilterApplyBench {
public:
    explicit FilterApplyBench(CVN_Database& shown);
    void run();

private:
    CVN_Database& m_shown;
};
