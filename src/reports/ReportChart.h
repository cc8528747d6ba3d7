#pragma once

#include "reports/ReportContent.h"

#include <QList>
#include <QRectF>
#include <QString>

class QPaintDevice;
class QPainter;

// The bar chart of a report: revenue and weighted revenue per group, side by side, over a value
// axis of round numbers titled with the currency's ISO code, with the groups' labels below, a
// legend and a title. Drawn with QPainter alone, so it goes on any paint device (a PDF writer,
// an image, a printer) of a program with a QGuiApplication.
class ReportChart {
public:
    // Where everything goes, in device coordinates of the painter's device.
    struct Layout {
        struct Label {
            QRectF rect; // the room of the text; for a turned label, the room it covers
            QString text;
        };
        QRectF title;
        QRectF plot;             // the bars' area; the value axis runs up its left edge
        QRectF valueTitle;       // the currency code, turned to run up the axis
        QList<double> ticks;     // the value axis's marks, from 0 up to its top
        QList<Label> tickLabels; // one per tick
        QList<QRectF> revenueBars;
        QList<QRectF> weightedBars;
        QList<Label> categoryLabels;   // the labels shown: every one, or every n-th when crowded
        bool categoriesTurned = false; // the labels run upwards, to make room
        QList<Label> legend;           // the text of each entry; its marker is left of it
    };

    // Text needs the fonts of a QGuiApplication.
    static bool available();
    // The chart laid out in `target` (device coordinates of `device`).
    static Layout layout(const QPaintDevice& device, const QRectF& target, const QString& title,
                         const ReportContent::ChartSeries& series);
    // Paints the chart into `target` (device coordinates of `painter`).
    static void paint(QPainter& painter, const QRectF& target, const QString& title,
                      const ReportContent::ChartSeries& series);
    // The marks of a value axis from 0 to at least `highest`, a round step apart (1, 2 or 5
    // times a power of ten) and no more than `maxSteps` of them.
    static QList<double> niceTicks(double highest, int maxSteps = 5);
};
