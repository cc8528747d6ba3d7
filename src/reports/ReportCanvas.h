#pragma once

#include "reports/ReportContent.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>

// What a report page is drawn on: the preview and the printer (through QPainter) or a PDF file.
// Coordinates are points from the top left of the page's paint rect.
class ReportCanvas {
public:
    // What becomes of a text that is wider than its room.
    enum class Fit {
        Shrink, // drawn whole in a smaller font: figures, dates, names, headings
        Cut,    // cut with "…" (free text such as a description)
    };

    virtual ~ReportCanvas() = default;

    virtual void fillRect(const QRectF& rect, const QColor& color) = 0;
    virtual void drawLine(const QPointF& from, const QPointF& to, const QColor& color,
                          double width) = 0;
    // Draws `text` in `font` in `rect` on one line, vertically centred, left or right aligned.
    // A text too wide for the room is shrunk or cut as `fit` says; when `cutLength` > 0, only
    // the `cutLength` characters from `cutFrom` may be cut (a note inside a line), and the text
    // is shrunk only when it does not fit even without them. `font` is one of the report's
    // fonts, which live as long as the program.
    virtual void drawText(const QFont& font, const QRectF& rect, const QString& text,
                          Qt::Alignment align, const QColor& color, Fit fit = Fit::Shrink,
                          qsizetype cutFrom = 0, qsizetype cutLength = 0) = 0;
    // Draws a chart band; false when this canvas cannot draw charts.
    virtual bool drawChart(const QRectF& rect, const QString& title,
                           const ReportContent::ChartSeries& series) = 0;
};
