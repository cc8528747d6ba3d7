#pragma once

#include "platform/Result.h"
#include "reports/ReportRecord.h"

#include <QList>
#include <QPair>
#include <QString>
#include <vector>

// Reads the opportunities of a sales database file for a report, read-only: the file is opened
// defensively without write access, so a report never changes or locks out the file for longer
// than its read. Records are read as the application reads them when it opens the file: a
// record with a NULL field or a record number seen before is left out.
class ReportDataReader {
public:
    // Conditions "field equals text", all of which a record must meet; the texts are bound.
    using Conditions = QList<QPair<int, QString>>;

    static ResultValue<std::vector<ReportRecord>> read(const QString& path,
                                                       const Conditions& conditions = {});
};
