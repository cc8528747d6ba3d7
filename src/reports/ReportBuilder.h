#pragma once

#include "reports/ReportContent.h"
#include "reports/ReportRecord.h"
#include "reports/ReportTemplate.h"

#include <vector>

// Turns the records of a sales file into what a template shows: sorted rows, groups in the
// value lists' order (or by time), subtotals, totals, the running share and the chart's data.
class ReportBuilder {
public:
    static ReportContent build(const ReportTemplate& reportTemplate,
                               const std::vector<ReportRecord>& records);

    // The caption of a field for headings and second lines ("UnitPrice" is "Unit price").
    static QString caption(const QString& field);
    // A group's label for a record, such as "Lead", "Week 12, 2024" or "March 2024".
    static QString groupLabel(const QString& group, const ReportRecord& record);
};
