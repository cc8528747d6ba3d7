#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// What a report shows, before it is laid out on pages: a run of bands (titles, column headings,
// rows, subtotals, totals, a chart) and the sets of columns they are aligned to.
struct ReportContent {
    struct ColumnSet {
        QStringList headings;
        QList<double> widths; // relative
        QList<bool> rightAligned;
        // Columns of free text (descriptions, notes) that may be cut with "…" where the page
        // is too narrow; every other column is sized to show its widest value whole.
        QList<bool> cuttable;
    };
    struct Band {
        enum class Kind { SectionTitle, GroupHeader, Row, Subtotal, Total, Chart, Gap };
        Kind kind = Kind::Row;
        int columnSet = -1; // the columns the cells follow; -1 for none
        QString text;       // the label of a title, group header, subtotal or total
        QStringList cells;  // one per column; a subtotal's label runs up to its first cell
        QString line;       // a row's second line, or ""
        // The part of the line that may be cut where the line is too long (a note), as a
        // position and a length in `line`; -1 when no part may be.
        qsizetype lineCutFrom = -1;
        qsizetype lineCutLength = 0;
        int chart = -1; // the chart's data, for a Chart band
    };
    struct ChartSeries {
        QStringList categories; // plain text; a line break starts a second line
        QList<double> revenue;
        QList<double> weighted;
    };

    QString title;
    bool landscape = false;
    std::vector<ColumnSet> columnSets;
    std::vector<Band> bands;
    std::vector<ChartSeries> charts; // the data of the Chart bands

    // Figures of the whole report, for the tests and for the caller.
    int recordCount = 0;
    double revenueTotal = 0;
    double weightedTotal = 0;
};
