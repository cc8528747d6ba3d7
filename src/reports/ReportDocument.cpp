#include "reports/ReportDocument.h"

#include "exchange/FileIdentity.h"
#include "reports/ReportCanvas.h"
#include "reports/ReportChart.h"
#include "reports/ReportPdfWriter.h"
#include "reports/ReportTextCache.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Heights and sizes in points.
constexpr double HeadingHeight = 50;
constexpr double FooterHeight = 24;
constexpr double Padding = 3;
constexpr double ChartHeight = 250;

QFont makeFont(double points, bool bold, bool italic) {
    QFont font;
    // Letters that a family lacks (Japanese names, say) come from any installed font that has
    // them: the system's font fallback, the same in the preview, the printer and the PDF.
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Sans Serif")});
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    // No ligatures: "fi" stays two letters, so that the PDF's text reads as typed and a search
    // for "Confirm" finds it. Qt sets spaced letters apart, and a spacing too small to see is
    // the one way Qt 6.4 offers to turn them off.
    font.setLetterSpacing(QFont::PercentageSpacing, 100.001);
    return font;
}

// The fonts of a report, made once each.
const QFont& reportFont(double points, bool bold = false, bool italic = false) {
    static std::map<std::tuple<double, bool, bool>, QFont> fonts;
    const auto key = std::make_tuple(points, bold, italic);
    auto found = fonts.find(key);
    if (found == fonts.end())
        found = fonts.emplace(key, makeFont(points, bold, italic)).first;
    return found->second;
}

// A report font at `scale` of its size, stepped down in quarter points.
const QFont& scaledFont(double points, double scale, bool bold = false, bool italic = false) {
    if (scale >= 1)
        return reportFont(points, bold, italic);
    return reportFont(qMax(3.0, std::floor(points * scale * 4) / 4), bold, italic);
}

// The widths of texts in a font, in points, as a high-resolution device sets them (the PDF
// and the printer): measured once for each shape of text. Digits are as wide as each other in
// the report fonts, so "$12,345.67" is measured as "$00,000.00", once for all such amounts.
class TextWidths {
public:
    explicit TextWidths(const QFont& font) : m_metrics(font, &device()) {}

    double operator()(const QString& text) {
        QString shape = text;
        const auto digit = [](QChar c) { return c.unicode() >= '1' && c.unicode() <= '9'; };
        if (std::any_of(text.cbegin(), text.cend(), digit)) {
            for (QChar& c : shape) {
                if (digit(c))
                    c = QLatin1Char('0');
            }
        }
        auto found = m_widths.constFind(shape);
        if (found == m_widths.constEnd())
            found = m_widths.insert(shape, m_metrics.horizontalAdvance(shape) * 72.0 / Dpi);
        return *found;
    }

private:
    static constexpr int Dpi = 1200;
    static const QImage& device() {
        static const QImage image = [] {
            QImage made(8, 8, QImage::Format_RGB32);
            made.setDotsPerMeterX(qRound(Dpi / 0.0254));
            made.setDotsPerMeterY(qRound(Dpi / 0.0254));
            return made;
        }();
        return image;
    }

    QFontMetricsF m_metrics;
    QHash<QString, double> m_widths;
};

const QColor& shade() {
    static const QColor color(0xee, 0xf1, 0xf5);
    return color;
}
const QColor& accent() {
    static const QColor color(0x1f, 0x3a, 0x5f);
    return color;
}

// Qt's PDF writer takes two buffers of megabytes for every page it compresses and gives them
// back at once. With the C library's defaults each of them is handed back to the system and
// faulted in again, page by page, for the next page of the report: a quarter of the time of a
// long report. While the report is written the freed memory is kept for reuse, and returned
// when it is done.
class PdfHeapReuse {
public:
    PdfHeapReuse() {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
    }
    ~PdfHeapReuse() {
#ifdef __GLIBC__
        mallopt(M_TRIM_THRESHOLD, 128 * 1024);
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        malloc_trim(0);
#endif
    }
    PdfHeapReuse(const PdfHeapReuse&) = delete;
    PdfHeapReuse& operator=(const PdfHeapReuse&) = delete;
};

} // namespace

ReportDocument::ReportDocument(ReportContent content, Heading heading)
    : m_content(std::move(content)), m_heading(std::move(heading)),
      m_text(std::make_unique<ReportTextCache>()) {
    measureColumns();
    paginate(preferredLayout());
}

ReportDocument::~ReportDocument() = default;

QPageLayout ReportDocument::preferredLayout() const {
    const bool inches = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageLayout(QPageSize(inches ? QPageSize::Letter : QPageSize::A4),
                       m_content.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(36, 36, 36, 36), QPageLayout::Point);
}

void ReportDocument::measureColumns() {
    using Kind = ReportContent::Band::Kind;
    TextWidths headings(reportFont(7.5, true));
    TextWidths rows(reportFont(7.5));
    TextWidths subtotals(reportFont(8, true));
    TextWidths totals(reportFont(8.5, true));
    const auto cuttable = [this](size_t set, qsizetype column) {
        return m_content.columnSets[set].cuttable.value(column);
    };
    m_needed.clear();
    for (size_t set = 0; set < m_content.columnSets.size(); ++set) {
        const ReportContent::ColumnSet& columns = m_content.columnSets[set];
        std::vector<double>& needed = m_needed.emplace_back(size_t(columns.widths.size()), 0.0);
        // Every heading is shown whole, also that of a column that may be cut.
        for (qsizetype c = 0; c < columns.headings.size() && c < qsizetype(needed.size()); ++c)
            needed[size_t(c)] = headings(columns.headings[c]);
    }
    const ReportContent::Band* previous = nullptr; // the row before
    for (const ReportContent::Band& band : m_content.bands) {
        if (band.columnSet < 0 || size_t(band.columnSet) >= m_needed.size())
            continue;
        TextWidths& widths = band.kind == Kind::Total      ? totals
                             : band.kind == Kind::Subtotal ? subtotals
                                                           : rows;
        std::vector<double>& needed = m_needed[size_t(band.columnSet)];
        const bool row = band.kind == Kind::Row;
        for (qsizetype c = 0; c < band.cells.size() && c < qsizetype(needed.size()); ++c) {
            const QString& cell = band.cells[c];
            if (cell.isEmpty() || cuttable(size_t(band.columnSet), c))
                continue;
            // Rows in order repeat their companies, stages and dates: measured once a run.
            if (row && previous && previous->columnSet == band.columnSet &&
                c < previous->cells.size() && previous->cells[c] == cell)
                continue;
            needed[size_t(c)] = qMax(needed[size_t(c)], widths(cell));
        }
        if (row)
            previous = &band;
    }
    // The padding on both sides, and a little for a device that sets the text a hair wider.
    for (std::vector<double>& needed : m_needed) {
        for (double& width : needed) {
            if (width > 0)
                width = width * 1.02 + 0.5 + 2 * Padding;
        }
    }
}

void ReportDocument::fitColumns() {
    const double page = m_size.width();
    m_columns.clear();
    for (size_t set = 0; set < m_content.columnSets.size(); ++set) {
        const ReportContent::ColumnSet& columnSet = m_content.columnSets[set];
        const std::vector<double>& needed = m_needed[set];
        const size_t count = needed.size();
        std::vector<Column>& columns = m_columns.emplace_back(count);
        double sum = 0;
        for (double w : columnSet.widths)
            sum += w;
        // Each column takes its share of the page, or the room its widest value needs.
        std::vector<double> least(count); // what a column can give up room down to
        double over = -page;
        for (size_t c = 0; c < count; ++c) {
            const double share = sum > 0 ? page * columnSet.widths[qsizetype(c)] / sum : 0;
            const bool cuttable = columnSet.cuttable.value(qsizetype(c));
            columns[c].width = qMax(share, needed[c]);
            least[c] = cuttable ? qMax(needed[c], qMin(share, qMax(share * 0.5, 40.0))) : needed[c];
            over += columns[c].width;
        }
        // Too wide for the page: the columns give up what they have beyond their least, all
        // in proportion.
        if (over > 0) {
            double slack = 0;
            for (size_t c = 0; c < count; ++c)
                slack += columns[c].width - least[c];
            const double taken = qMin(over, slack);
            for (size_t c = 0; c < count && slack > 0; ++c)
                columns[c].width -= (columns[c].width - least[c]) * taken / slack;
            over -= taken;
        }
        // Still too wide: the columns that show whole values shrink, with their fonts.
        if (over > 0) {
            double whole = 0;
            for (size_t c = 0; c < count; ++c) {
                if (!columnSet.cuttable.value(qsizetype(c)))
                    whole += columns[c].width;
            }
            const double scale = whole > over ? (whole - over) / whole : 0.1;
            for (size_t c = 0; c < count; ++c) {
                if (!columnSet.cuttable.value(qsizetype(c))) {
                    columns[c].width *= scale;
                    columns[c].scale = scale;
                }
            }
        }
        double x = 0;
        for (Column& column : columns) {
            column.x = x;
            x += column.width;
        }
    }
}

double ReportDocument::bodyHeight() const {
    return m_size.height() - HeadingHeight - FooterHeight;
}

double ReportDocument::bandHeight(const ReportContent::Band& band) const {
    using Kind = ReportContent::Band::Kind;
    switch (band.kind) {
    case Kind::SectionTitle:
        return 26;
    case Kind::GroupHeader:
        return 19;
    case Kind::Row:
        return band.line.isEmpty() ? 12.5 : 23;
    case Kind::Subtotal:
        return 17;
    case Kind::Total:
        return 20;
    case Kind::Chart:
        return qMin(ChartHeight, bodyHeight() - 20);
    case Kind::Gap:
        return 12;
    }
    return 12;
}

void ReportDocument::paginate(const QPageLayout& layout) {
    using Kind = ReportContent::Band::Kind;
    constexpr double HeadingsHeight = 16;
    m_layout = layout;
    m_size = layout.paintRect(QPageLayout::Point).size();
    fitColumns();
    m_pages.clear();
    m_pages.emplace_back();
    const double body = bodyHeight();
    double y = 0;
    int headings = -1; // the column set whose headings this page shows last
    const auto& bands = m_content.bands;
    for (size_t i = 0; i < bands.size(); ++i) {
        const ReportContent::Band& band = bands[i];
        if (band.kind == Kind::Gap && y == 0)
            continue; // no gap at the top of a page
        const bool needsHeadings = band.columnSet >= 0 && band.columnSet != headings &&
                                   band.kind != Kind::Total && band.kind != Kind::Subtotal;
        double height = bandHeight(band) + (needsHeadings ? HeadingsHeight : 0);
        // Titles and group headers stay with what follows them.
        if ((band.kind == Kind::SectionTitle || band.kind == Kind::GroupHeader) &&
            i + 1 < bands.size())
            height += bandHeight(bands[i + 1]) + (bands[i + 1].columnSet >= 0 ? HeadingsHeight : 0);
        if (y > 0 && y + height > body) {
            m_pages.emplace_back();
            y = 0;
            headings = -1;
            if (band.kind == Kind::Gap)
                continue;
        }
        // A subtotal or total at the top of a page shows which columns its figures are in.
        if (band.columnSet >= 0 && band.columnSet != headings) {
            m_pages.back().placements.push_back({-1, band.columnSet, y, HeadingsHeight});
            y += HeadingsHeight;
            headings = band.columnSet;
        }
        const double own = bandHeight(band);
        m_pages.back().placements.push_back({static_cast<int>(i), band.columnSet, y, own});
        y += own;
        if (band.kind == Kind::SectionTitle || band.kind == Kind::Gap)
            headings = -1;
    }
}

void ReportDocument::paintHeading(ReportCanvas& canvas, int page) const {
    const double width = m_size.width();
    canvas.drawText(reportFont(15, true), QRectF(0, 0, width * 0.62, 22), m_content.title,
                    Qt::AlignLeft, accent());
    canvas.drawText(reportFont(10, true), QRectF(width * 0.62, 0, width * 0.38, 22),
                    m_heading.company, Qt::AlignRight, accent());

    const QFont& small = reportFont(8.5);
    canvas.drawText(small, QRectF(0, 24, width * 0.5, 13),
                    QStringLiteral("Sales representative: ") + m_heading.salesRep, Qt::AlignLeft,
                    Qt::black);
    canvas.drawText(small, QRectF(width * 0.5, 24, width * 0.5, 13),
                    QStringLiteral("Database: ") + m_heading.databaseName, Qt::AlignRight,
                    Qt::black);
    canvas.drawLine(QPointF(0, 41), QPointF(width, 41), accent(), 1.2);

    const double footerTop = m_size.height() - FooterHeight;
    canvas.drawLine(QPointF(0, footerTop + 6), QPointF(width, footerTop + 6), Qt::gray, 0.5);
    canvas.drawText(small, QRectF(0, footerTop + 8, width * 0.6, 14),
                    QStringLiteral("Printed ") +
                        QLocale().toString(m_heading.printDate, QLocale::LongFormat),
                    Qt::AlignLeft, Qt::black);
    canvas.drawText(small, QRectF(width * 0.6, footerTop + 8, width * 0.4, 14),
                    QStringLiteral("Page %1 of %2").arg(page).arg(pageCount()), Qt::AlignRight,
                    Qt::black);
}

void ReportDocument::paintPlacement(ReportCanvas& canvas, const Placement& p) const {
    using Kind = ReportContent::Band::Kind;
    using Fit = ReportCanvas::Fit;
    const double width = m_size.width();
    const double top = HeadingHeight + p.top;
    // The columns of a set, as laid out for the page.
    static const std::vector<Column> none;
    const std::vector<Column>& columns = p.headings >= 0 ? m_columns[size_t(p.headings)] : none;
    const ReportContent::ColumnSet* set =
        p.headings >= 0 ? &m_content.columnSets[size_t(p.headings)] : nullptr;
    const auto align = [&](qsizetype column) {
        return set && set->rightAligned.value(column) ? Qt::AlignRight : Qt::AlignLeft;
    };
    const auto drawCells = [&](double points, bool bold, const QStringList& cells, double y,
                               double h, qsizetype from, const QColor& color) {
        const bool headings = set && &cells == &set->headings;
        for (qsizetype c = from; c < cells.size() && c < qsizetype(columns.size()); ++c) {
            const Column& column = columns[size_t(c)];
            const bool cuttable = !headings && set->cuttable.value(c);
            canvas.drawText(scaledFont(points, column.scale, bold),
                            QRectF(column.x + Padding, y, column.width - 2 * Padding, h), cells[c],
                            align(c), color, cuttable ? Fit::Cut : Fit::Shrink);
        }
    };

    if (p.band < 0) {
        canvas.fillRect(QRectF(0, top, width, p.height - 2), accent());
        drawCells(7.5, true, set->headings, top, p.height - 2, 0, Qt::white);
        return;
    }
    const ReportContent::Band& band = m_content.bands[size_t(p.band)];
    switch (band.kind) {
    case Kind::SectionTitle:
        canvas.drawText(reportFont(11.5, true), QRectF(0, top + 6, width, 18), band.text,
                        Qt::AlignLeft, accent());
        break;
    case Kind::GroupHeader:
        canvas.drawText(reportFont(9, true), QRectF(Padding, top + 4, width - 2 * Padding, 14),
                        band.text, Qt::AlignLeft, accent());
        canvas.drawLine(QPointF(0, top + 18), QPointF(width, top + 18), accent(), 0.6);
        break;
    case Kind::Row: {
        if (p.band % 2 == 1)
            canvas.fillRect(QRectF(0, top, width, p.height), shade());
        drawCells(7.5, false, band.cells, top, 12.5, 0, Qt::black);
        if (!band.line.isEmpty()) {
            // Of the line only its note may be cut.
            canvas.drawText(reportFont(7, false, true),
                            QRectF(Padding + 12, top + 11, width - 2 * Padding - 12, 11), band.line,
                            Qt::AlignLeft, QColor(0x44, 0x44, 0x44),
                            band.lineCutFrom >= 0 ? Fit::Cut : Fit::Shrink, band.lineCutFrom,
                            band.lineCutLength);
        }
        break;
    }
    case Kind::Subtotal:
    case Kind::Total: {
        const bool total = band.kind == Kind::Total;
        const double points = total ? 8.5 : 8;
        const QColor rule = total ? accent() : QColor(Qt::gray);
        canvas.drawLine(QPointF(0, top + 1), QPointF(width, top + 1), rule, total ? 1.0 : 0.6);
        if (total)
            canvas.drawLine(QPointF(0, top + 3), QPointF(width, top + 3), rule, 1.0);
        const QColor color = total ? accent() : QColor(Qt::black);
        // The label runs up to the first figure.
        qsizetype first = 0;
        while (first < band.cells.size() && band.cells[first].isEmpty())
            ++first;
        const double labelEnd =
            first < qsizetype(columns.size()) ? columns[size_t(first)].x : width;
        const double y = top + (total ? 4 : 2);
        if (!band.text.isEmpty())
            canvas.drawText(reportFont(points, true),
                            QRectF(Padding, y, labelEnd - 2 * Padding, 13), band.text,
                            Qt::AlignLeft, color);
        drawCells(points, true, band.cells, y, 13, first, color);
        break;
    }
    case Kind::Chart:
        if (band.chart >= 0 && band.chart < int(m_content.charts.size()))
            canvas.drawChart(QRectF(0, top + 4, width, p.height - 8), band.text,
                             m_content.charts[size_t(band.chart)]);
        break;
    case Kind::Gap:
        break;
    }
}

namespace {
// The preview's, the printer's and Qt's PDF writer's canvas.
class PainterCanvas : public ReportCanvas {
public:
    PainterCanvas(QPainter& painter, ReportTextCache& text)
        : m_painter(painter), m_text(text), m_scale(painter.device()->logicalDpiY() / 72.0) {}

    void fillRect(const QRectF& rect, const QColor& color) override {
        m_painter.fillRect(scaled(rect), color);
    }
    void drawLine(const QPointF& from, const QPointF& to, const QColor& color,
                  double width) override {
        m_painter.setPen(QPen(color, width * m_scale));
        m_painter.drawLine(from * m_scale, to * m_scale);
    }
    void drawText(const QFont& font, const QRectF& rect, const QString& text, Qt::Alignment align,
                  const QColor& color, Fit fit, qsizetype cutFrom, qsizetype cutLength) override {
        m_painter.setPen(color);
        m_text.drawCell(m_painter, font, scaled(rect), text, align, fit, cutFrom, cutLength);
    }
    bool drawChart(const QRectF& rect, const QString& title,
                   const ReportContent::ChartSeries& series) override {
        ReportChart::paint(m_painter, scaled(rect), title, series);
        return true;
    }

private:
    QRectF scaled(const QRectF& rect) const {
        return QRectF(rect.x() * m_scale, rect.y() * m_scale, rect.width() * m_scale,
                      rect.height() * m_scale);
    }

    QPainter& m_painter;
    ReportTextCache& m_text;
    double m_scale;
};
} // namespace

void ReportDocument::paintPage(QPainter& painter, int page) const {
    if (page < 1 || page > pageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    PainterCanvas canvas(painter, *m_text);
    paintPage(canvas, page);
    painter.restore();
}

void ReportDocument::paintPage(ReportCanvas& canvas, int page) const {
    if (page < 1 || page > pageCount())
        return;
    paintHeading(canvas, page);
    for (const Placement& placement : m_pages[size_t(page - 1)].placements)
        paintPlacement(canvas, placement);
}

Result ReportDocument::print(QPagedPaintDevice& device, int from, int to,
                             const ProgressCallback& progress, const std::function<void()>& abort) {
    paginate(device.pageLayout());
    if (to <= 0 || to > pageCount())
        to = pageCount();
    from = qMax(1, from);
    const qint64 total = qMax(0, to - from + 1);
    if (progress && !progress(0, total))
        return Result::cancelled();
    const PdfHeapReuse heap;
    QPainter painter;
    if (!painter.begin(&device))
        return Result::failure(QStringLiteral("the output cannot be started"));
    for (int page = from; page <= to; ++page) {
        if (page > from && !device.newPage())
            return Result::failure(QStringLiteral("a new page cannot be started"));
        paintPage(painter, page);
        if (progress && !progress(page - from + 1, total)) {
            if (abort)
                abort();
            painter.end();
            return Result::cancelled();
        }
    }
    if (!painter.end())
        return Result::failure(QStringLiteral("the output cannot be finished"));
    return {};
}

Result ReportDocument::writePdf(const QString& path, const ProgressCallback& progress) {
    // The PDF takes the place of its target: never that of a database, a pipe or a device.
    if (FileIdentity::isSqliteFile(path))
        return Result::failure(QStringLiteral("it is a database file, which a report never "
                                              "replaces; choose a file name ending in .pdf"));
    if (FileIdentity::isNonRegularFile(path))
        return Result::failure(QStringLiteral("it exists and is not a regular file"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result::failure(file.errorString());
    if (ReportPdfWriter::canWrite(*this)) {
        const Result written = ReportPdfWriter::write(*this, file, progress);
        if (!written) {
            file.cancelWriting();
            return written;
        }
    } else {
        // Charts are drawn with QPainter, and so is the PDF of a report with a chart.
        QPdfWriter writer(&file);
        writer.setTitle(m_content.title);
        writer.setCreator(QStringLiteral("Corvane"));
        writer.setResolution(600);
        writer.setPageLayout(preferredLayout());
        const Result printed = print(writer, 1, 0, progress);
        if (!printed) {
            file.cancelWriting();
            return printed;
        }
    }
    if (!file.commit())
        return Result::failure(file.errorString());
    return {};
}
