#pragma once

#include "platform/Result.h"
#include "reports/ReportRecord.h"

#include <QList>
#include <QPair>
#include <QString>
#include <vector>

// Reads the opportunities of a sales database file for a report, read-only: the file is opened
// defensively without write access, so a report never changes or locks out the file for longer
// than its read. The records are those the window shows of the file: a record without a usable
// record number, or with a number seen before, is left out (also when only the later one meets
// the conditions).
class ReportDataReader {
public:
    // Conditions "field equals text", all of which a record must meet; the texts are bound.
    using Conditions = QList<QPair<int, QString>>;

    static ResultValue<std::vector<ReportRecord>> read(const QString& path,
                                                       const Conditions& conditions = {});
};
