#pragma once

#include <QString>

class Filters;
class SalesDatabase;

// The undo figures: the undo and the redo of a merge of the whole sample database, beside a bare
// delete of the same rows in the same run, and the heap held by a history of 100 single edits.
class UndoBench {
public:
    UndoBench(SalesDatabase& database, const Filters& filters, const QString& folder);
    void run();

private:
    void mergeFigures();
    void editMemoryFigure();
    // A new, empty sales database under a new name in the folder.
    QString emptyDatabase();

    SalesDatabase& m_database;
    const Filters& m_filters;
    QString m_folder;
    int m_files = 0;
};
