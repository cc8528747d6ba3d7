#pragma once

#include <QString>

class SalesDatabase;

// The data exchange figures on the sample file, each beside a bare baseline in the same run:
// the text export against a bare SQLite-to-CSV loop, the database merge against a bare read and
// bulk insert, a 10,000-line lead import and the peak memory of a large one, and Save As against a
// plain file copy.
class ExchangeBench {
public:
    ExchangeBench(SalesDatabase& database, const QString& folder);
    void run();

private:
    void exportFigure();
    void mergeFigure();
    void leadFigure();
    // The peak memory of a lead import as large as one merge takes.
    void leadMemoryFigure();
    void saveAsFigure();
    // A new, empty sales database under a new name in the folder.
    QString emptyDatabase();

    SalesDatabase& m_database;
    QString m_folder;
    int m_files = 0;
};
