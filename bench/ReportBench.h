#pragma once

#include <QString>

// The reports over the generated pipeline: the Summary and the Detail (all pages) written as
// PDF files, and the preview window showing its first page.
class ReportBench {
public:
    ReportBench(const QString& database, const QString& folder);
    void run();

private:
    QString m_database;
    QString m_folder;
};
