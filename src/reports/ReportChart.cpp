#include "reports/ReportChart.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

const QColor RevenueColor(0x1f, 0x3a, 0x5f);
const QColor WeightedColor(0x6f, 0xa8, 0xdc);
const QColor TextColor(0x40, 0x40, 0x40);
const QColor GridColor(0xe2, 0xe2, 0xe2);
const QColor AxisColor(0xa0, 0xa0, 0xa0);

// The share of a category's room that its two bars take.
constexpr double BarGroupShare = 0.5;
// A turned category label takes at most this share of the chart's height.
constexpr double TurnedLabelShare = 0.3;

QFont chartFont(double points, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Sans Serif")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

struct Fonts {
    QFont title = chartFont(9, true);
    QFont labels;
    QFont small = chartFont(7);

    explicit Fonts(qsizetype categories) : labels(chartFont(categories > 12 ? 6 : 7)) {}
};

QString legendText(int series) {
    return series == 0 ? QStringLiteral("Revenue") : QStringLiteral("Weighted revenue");
}

// The digits after the decimal point that tell the marks `step` apart.
int decimalsOf(double step) {
    int decimals = 0;
    while (decimals < 6 && std::abs(step * std::pow(10.0, decimals) -
                                    std::round(step * std::pow(10.0, decimals))) > 1e-6)
        ++decimals;
    return decimals;
}

ReportChart::Layout layoutWith(const QPaintDevice& device, const QRectF& target,
                               const QString& title, const ReportContent::ChartSeries& data,
                               int maxSteps) {
    ReportChart::Layout l;
    const qsizetype count = data.revenue.size();
    const Fonts fonts(count);
    const QFontMetricsF titleMetrics(fonts.title, &device);
    const QFontMetricsF labelMetrics(fonts.labels, &device);
    const QFontMetricsF smallMetrics(fonts.small, &device);
    const double pt = device.logicalDpiY() / 72.0; // device units per point
    const double gap = 3 * pt;
    const QRectF area = target.adjusted(2 * pt, 2 * pt, -2 * pt, -2 * pt);

    double top = area.top();
    if (!title.isEmpty()) {
        l.title = QRectF(area.left(), top, area.width(), titleMetrics.height());
        top = l.title.bottom() + gap;
    }

    // The legend, centred along the bottom: a square marker, then the text, for each series.
    const double legendTop = area.bottom() - smallMetrics.height();
    const double marker = smallMetrics.ascent() * 0.7;
    double legendWidth = 0;
    for (int series = 0; series < 2; ++series)
        legendWidth += marker + gap + smallMetrics.horizontalAdvance(legendText(series)) +
                       (series == 0 ? 4 * gap : 0);
    double x = area.center().x() - legendWidth / 2;
    for (int series = 0; series < 2; ++series) {
        const double width = smallMetrics.horizontalAdvance(legendText(series));
        l.legend.append({QRectF(x + marker + gap, legendTop, width, smallMetrics.height()),
                         legendText(series)});
        x += marker + gap + width + 4 * gap;
    }

    // The value axis: round marks from 0 past the highest bar.
    double highest = 0;
    for (const QList<double>* values : {&data.revenue, &data.weighted})
        for (double value : *values)
            highest = std::max(highest, value);
    l.ticks = ReportChart::niceTicks(highest, maxSteps);
    const int decimals = decimalsOf(l.ticks.size() > 1 ? l.ticks[1] - l.ticks[0] : 1);
    QStringList tickTexts;
    double tickWidth = 0;
    for (double tick : l.ticks) {
        tickTexts.append(QLocale().toString(tick, 'f', decimals));
        tickWidth = std::max(tickWidth, labelMetrics.horizontalAdvance(tickTexts.last()));
    }
    const double titleWidth = smallMetrics.height();

    // The category labels: side by side when each fits its room, else turned to run upwards
    // (on one line), and only every n-th one when even that is too crowded.
    const double lineHeight = labelMetrics.height();
    const double plotLeft = area.left() + titleWidth + gap + tickWidth + gap;
    const double plotRight = area.right() - lineHeight / 2;
    const double slot = count > 0 ? (plotRight - plotLeft) / double(count) : 0;
    QStringList turnedTexts;
    double widest = 0;
    double longest = 0;
    int lines = 1;
    for (qsizetype i = 0; i < count; ++i) {
        const QString label = data.categories.value(i);
        const QStringList parts = label.split(QLatin1Char('\n'));
        lines = std::max(lines, int(parts.size()));
        for (const QString& part : parts)
            widest = std::max(widest, labelMetrics.horizontalAdvance(part));
        turnedTexts.append(parts.join(QLatin1Char(' ')));
        longest = std::max(longest, labelMetrics.horizontalAdvance(turnedTexts.last()));
    }
    const auto everyNth = [&](double room) {
        return slot > 0 ? std::max(1, int(std::ceil((room + gap) / slot - 1e-9))) : 1;
    };
    const int everyFlat = everyNth(widest);
    const int everyTurned = everyNth(lineHeight);
    l.categoriesTurned = everyTurned < everyFlat;
    const int every = l.categoriesTurned ? everyTurned : everyFlat;
    const double maxTurned = target.height() * TurnedLabelShare;
    const double labelsHeight =
        l.categoriesTurned ? std::min(longest, maxTurned) : lines * labelMetrics.lineSpacing();
    const double labelsGap = labelMetrics.height() / 2 + pt;

    const double plotTop = top + labelMetrics.height() / 2;
    const double plotBottom = legendTop - 2 * gap - labelsHeight - labelsGap;
    if (plotBottom <= plotTop || plotRight <= plotLeft)
        return l;
    l.plot = QRectF(QPointF(plotLeft, plotTop), QPointF(plotRight, plotBottom));
    l.valueTitle = QRectF(area.left(), l.plot.top(), titleWidth, l.plot.height());

    const double axisTop = l.ticks.last();
    const auto yOf = [&](double value) {
        return l.plot.bottom() - std::clamp(value, 0.0, axisTop) / axisTop * l.plot.height();
    };
    for (qsizetype i = 0; i < l.ticks.size(); ++i) {
        const double y = yOf(l.ticks[i]);
        l.tickLabels.append({QRectF(plotLeft - gap - tickWidth, y - labelMetrics.height() / 2,
                                    tickWidth, labelMetrics.height()),
                             tickTexts[i]});
    }

    const double barWidth = slot * BarGroupShare / 2;
    for (qsizetype i = 0; i < count; ++i) {
        const double left = plotLeft + slot * double(i) + (slot - 2 * barWidth) / 2;
        const double revenue = yOf(data.revenue.value(i));
        const double weighted = yOf(data.weighted.value(i));
        l.revenueBars.append(QRectF(QPointF(left, revenue), QPointF(left + barWidth, plotBottom)));
        l.weightedBars.append(
            QRectF(QPointF(left + barWidth, weighted), QPointF(left + 2 * barWidth, plotBottom)));
        if (i % every != 0)
            continue;
        const double centre = plotLeft + slot * (double(i) + 0.5);
        const double labelTop = plotBottom + labelsGap;
        if (l.categoriesTurned) {
            l.categoryLabels.append(
                {QRectF(centre - lineHeight / 2, labelTop, lineHeight, labelsHeight),
                 labelMetrics.elidedText(turnedTexts[i], Qt::ElideRight, labelsHeight)});
        } else {
            l.categoryLabels.append({QRectF(centre - widest / 2, labelTop, widest, labelsHeight),
                                     data.categories.value(i)});
        }
    }
    return l;
}

} // namespace

bool ReportChart::available() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QList<double> ReportChart::niceTicks(double highest, int maxSteps) {
    maxSteps = std::max(1, maxSteps);
    if (!(highest > 0) || !std::isfinite(highest))
        return {0, 1};
    const double rough = highest / maxSteps;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * magnitude;
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= rough * (1 - 1e-9)) {
            step = factor * magnitude;
            break;
        }
    }
    const int steps = std::max(1, int(std::ceil(highest / step - 1e-9)));
    QList<double> ticks;
    for (int i = 0; i <= steps; ++i)
        ticks.append(step * i);
    return ticks;
}

ReportChart::Layout ReportChart::layout(const QPaintDevice& device, const QRectF& target,
                                        const QString& title,
                                        const ReportContent::ChartSeries& series) {
    // As many value marks as the plot's height has room for their labels.
    Layout result = layoutWith(device, target, title, series, 5);
    const double labelHeight = QFontMetricsF(Fonts(series.revenue.size()).labels, &device).height();
    const int fitting = int(result.plot.height() / (1.5 * labelHeight));
    if (fitting < 5 && !result.plot.isEmpty())
        result = layoutWith(device, target, title, series, std::max(1, fitting));
    return result;
}

void ReportChart::paint(QPainter& painter, const QRectF& target, const QString& title,
                        const ReportContent::ChartSeries& data) {
    if (!available() || target.isEmpty() || !painter.device())
        return;
    const Layout l = layout(*painter.device(), target, title, data);
    const Fonts fonts(data.revenue.size());
    const double pt = painter.device()->logicalDpiY() / 72.0;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (!l.title.isEmpty()) {
        painter.setFont(fonts.title);
        painter.setPen(TextColor);
        painter.drawText(l.title, Qt::AlignCenter, title);
    }
    if (!l.plot.isEmpty()) {
        // The grid: a line at every value mark and between the categories.
        painter.setPen(QPen(GridColor, 0.5 * pt));
        for (const Layout::Label& tick : l.tickLabels)
            painter.drawLine(QPointF(l.plot.left(), tick.rect.center().y()),
                             QPointF(l.plot.right(), tick.rect.center().y()));
        const qsizetype count = data.revenue.size();
        for (qsizetype i = 1; i < count; ++i) {
            const double x = l.plot.left() + l.plot.width() * double(i) / double(count);
            painter.drawLine(QPointF(x, l.plot.top()), QPointF(x, l.plot.bottom()));
        }
        painter.setPen(Qt::NoPen);
        for (const QRectF& bar : l.revenueBars)
            painter.fillRect(bar, RevenueColor);
        for (const QRectF& bar : l.weightedBars)
            painter.fillRect(bar, WeightedColor);
        painter.setPen(QPen(AxisColor, 0.6 * pt));
        painter.drawLine(l.plot.topLeft(), l.plot.bottomLeft());
        painter.drawLine(l.plot.bottomLeft(), l.plot.bottomRight());

        painter.setPen(TextColor);
        painter.setFont(fonts.labels);
        for (const Layout::Label& tick : l.tickLabels)
            painter.drawText(tick.rect, Qt::AlignRight | Qt::AlignVCenter, tick.text);
        for (const Layout::Label& label : l.categoryLabels) {
            if (!l.categoriesTurned) {
                painter.drawText(label.rect, Qt::AlignHCenter | Qt::AlignTop, label.text);
                continue;
            }
            // Reads upwards and ends just below the axis.
            painter.save();
            painter.translate(label.rect.bottomLeft());
            painter.rotate(-90);
            painter.drawText(QRectF(0, 0, label.rect.height(), label.rect.width()),
                             Qt::AlignRight | Qt::AlignVCenter, label.text);
            painter.restore();
        }
        painter.setFont(fonts.small);
        painter.save();
        painter.translate(l.valueTitle.bottomLeft());
        painter.rotate(-90);
        painter.drawText(QRectF(0, 0, l.valueTitle.height(), l.valueTitle.width()), Qt::AlignCenter,
                         QLocale().currencySymbol(QLocale::CurrencyIsoCode));
        painter.restore();
    }
    painter.setFont(fonts.small);
    for (qsizetype series = 0; series < l.legend.size(); ++series) {
        const QRectF& text = l.legend[series].rect;
        const double marker = QFontMetricsF(fonts.small, painter.device()).ascent() * 0.7;
        painter.fillRect(
            QRectF(text.left() - 3 * pt - marker, text.center().y() - marker / 2, marker, marker),
            series == 0 ? RevenueColor : WeightedColor);
        painter.setPen(TextColor);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, l.legend[series].text);
    }
    painter.restore();
}
