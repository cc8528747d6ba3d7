#pragma once

#include "platform/Result.h"
#include "platform/WorkProgress.h"
#include "reports/ReportContent.h"

#include <QDate>
#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class ReportCanvas;
class ReportTextCache;

// A report laid out on pages: every page carries the title, the representative and his
// company, the database's file name, the print date and "Page N of M". Pages are painted on
// demand, on any paged device (a PDF file, a printer, the preview).
//
// No figure, record number, date, name or heading is ever cut short: each column is as wide as
// its widest value in the whole report (measured before the layout), and where the page is too
// narrow for that the free-text columns (descriptions, notes) give up room first, then the
// fonts of the other columns step down. Only free text is cut with "…".
class ReportDocument {
public:
    struct Heading {
        QString salesRep;
        QString company;
        QString databaseName;
        QDate printDate;
    };

    ReportDocument(ReportContent content, Heading heading);
    ~ReportDocument();
    ReportDocument(const ReportDocument&) = delete;
    ReportDocument& operator=(const ReportDocument&) = delete;

    const ReportContent& content() const { return m_content; }
    const Heading& heading() const { return m_heading; }

    // The page the report is made for: A4, or Letter where the locale measures in inches, in
    // the template's orientation, with half-inch margins.
    QPageLayout preferredLayout() const;
    // Lays the bands out on pages of `layout` (done for preferredLayout() at construction).
    void paginate(const QPageLayout& layout);
    const QPageLayout& layout() const { return m_layout; }
    int pageCount() const { return static_cast<int>(m_pages.size()); }

    // Paints page `page` (from 1) with its origin at the top left of the page's paint rect.
    void paintPage(QPainter& painter, int page) const;
    void paintPage(ReportCanvas& canvas, int page) const;
    // Paints pages `from` to `to` (from 1; 0 for the last) on `device`, laid out for its page.
    // `progress` hears of every page; when it answers false, `abort` (when given) is called
    // while the device is still open (a printer drops the job), and the result is cancelled.
    Result print(QPagedPaintDevice& device, int from = 1, int to = 0,
                 const ProgressCallback& progress = {}, const std::function<void()>& abort = {});
    // Writes the whole report as a PDF file: to a temporary file beside it that takes the
    // target's place only when it is complete, so that a failure or a cancel (`progress`
    // answering false) leaves the target as it was. Refuses a target that is a database file or
    // anything but a regular file; the message is the cause, to follow the file's name.
    Result writePdf(const QString& path, const ProgressCallback& progress = {});

private:
    struct Placement {
        int band;      // index into the bands, or -1 for column headings
        int headings;  // the column set of the headings
        double top;    // points from the body's top
        double height; // points
    };
    struct Page {
        std::vector<Placement> placements;
    };
    // A column on the page: its left edge and width in points, and the size of its font
    // relative to the design (below 1 where the page is too narrow for its widest value).
    struct Column {
        double x = 0;
        double width = 0;
        double scale = 1;
    };

    void measureColumns();
    void fitColumns();
    double bandHeight(const ReportContent::Band& band) const;
    double bodyHeight() const;
    void paintHeading(ReportCanvas& canvas, int page) const;
    void paintPlacement(ReportCanvas& canvas, const Placement& placement) const;

    ReportContent m_content;
    Heading m_heading;
    QPageLayout m_layout;
    QSizeF m_size; // the paint rect, in points
    std::vector<Page> m_pages;
    // Per column set: the width each column needs to show its widest value whole, in points
    // (its heading alone for a column that may be cut), measured once; and the columns as laid
    // out on the page.
    std::vector<std::vector<double>> m_needed;
    std::vector<std::vector<Column>> m_columns;
    // The shaped texts of the pages painted so far; painting changes no content.
    std::unique_ptr<ReportTextCache> m_text;
};
