#include "reports/ReportChart.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QGraphicsScene>
#include <QLocale>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>

bool ReportChart::available() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void ReportChart::paint(QPainter& painter, const QRectF& target, const QString& title,
                        const ReportContent::ChartSeries& data) {
    if (!available() || target.isEmpty())
        return;
    // The chart is laid out in pixels of a 96-dpi screen, where its fonts' point sizes hold,
    // and scaled onto the device.
    const double scale = painter.device()->logicalDpiY() / 96.0;
    const QSizeF size(target.width() / scale, target.height() / scale);

    QChart chart;
    chart.setAnimationOptions(QChart::NoAnimation);
    chart.setBackgroundVisible(false);
    chart.setDropShadowEnabled(false);
    chart.setMargins(QMargins(2, 2, 2, 2));
    QFont titleFont = chart.titleFont();
    titleFont.setPointSizeF(9);
    titleFont.setBold(true);
    chart.setTitleFont(titleFont);
    chart.setTitle(title);

    auto* revenue = new QBarSet(QStringLiteral("Revenue"));
    auto* weighted = new QBarSet(QStringLiteral("Weighted revenue"));
    revenue->setColor(QColor(0x1f, 0x3a, 0x5f));
    weighted->setColor(QColor(0x6f, 0xa8, 0xdc));
    for (double value : data.revenue)
        revenue->append(value);
    for (double value : data.weighted)
        weighted->append(value);
    auto* series = new QBarSeries;
    series->append(revenue);
    series->append(weighted);
    chart.addSeries(series);

    auto* categories = new QBarCategoryAxis;
    categories->append(data.categories);
    QFont labelFont = categories->labelsFont();
    labelFont.setPointSizeF(data.categories.size() > 12 ? 6 : 7);
    categories->setLabelsFont(labelFont);
    chart.addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);

    auto* amounts = new QValueAxis;
    double highest = 0;
    for (double value : data.revenue)
        highest = std::max(highest, value);
    amounts->setRange(0, highest > 0 ? highest * 1.05 : 1);
    amounts->setLabelFormat(QStringLiteral("%.0f"));
    amounts->setLabelsFont(labelFont);
    amounts->setTitleText(QLocale().currencySymbol(QLocale::CurrencyIsoCode));
    QFont axisTitle = amounts->titleFont();
    axisTitle.setPointSizeF(7);
    amounts->setTitleFont(axisTitle);
    amounts->applyNiceNumbers();
    chart.addAxis(amounts, Qt::AlignLeft);
    series->attachAxis(amounts);

    QFont legendFont = chart.legend()->font();
    legendFont.setPointSizeF(7);
    chart.legend()->setFont(legendFont);
    chart.legend()->setAlignment(Qt::AlignBottom);

    chart.resize(size);
    QGraphicsScene scene;
    scene.addItem(&chart);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    scene.render(&painter, target, QRectF(QPointF(0, 0), size));
    painter.restore();
    scene.removeItem(&chart);
}
