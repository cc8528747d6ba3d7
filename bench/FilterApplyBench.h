#pragma once

class SalesDatabase;

// What the filter dialog's Apply costs with two open databases of 32,767 opportunities each:
// the criteria written and saved, the filter pass over both databases, and (where the list
// model is part of the build) the list of the shown one rebuilt.
class FilterApplyBench {
public:
    explicit FilterApplyBench(SalesDatabase& shown);
    void run();

private:
    SalesDatabase& m_shown;
};
