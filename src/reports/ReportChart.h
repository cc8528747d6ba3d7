#pragma once

#include "reports/ReportContent.h"

#include <QRectF>

class QPainter;

// The bar chart of a report: revenue and weighted revenue per group, drawn with Qt Charts.
class ReportChart {
public:
    // Charts are graphics widgets: they need the application object of a widget program.
    static bool available();
    // Paints the chart into `target` (device coordinates of `painter`).
    static void paint(QPainter& painter, const QRectF& target, const QString& title,
                      const ReportContent::ChartSeries& series);
};
