#include "TestEnvironment.h"

#include "reports/ReportChart.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <algorithm>
#include <cmath>

namespace {

const QRgb Revenue = qRgb(0x1f, 0x3a, 0x5f);
const QRgb Weighted = qRgb(0x6f, 0xa8, 0xdc);

// A bar found on an image: where it is and how tall it stands, in pixels.
struct Bar {
    QRgb color;
    int left;
    int height;
};

// The bars of `image`: runs of columns that hold a tall stack of one of the two colours.
// Smaller patches of those colours (the legend's markers) are not bars.
QList<Bar> barsOf(const QImage& image, int minimumHeight) {
    QList<Bar> bars;
    for (QRgb color : {Revenue, Weighted}) {
        bool inBar = false;
        for (int x = 0; x < image.width(); ++x) {
            int height = 0;
            for (int y = 0; y < image.height(); ++y)
                height += image.pixel(x, y) == color;
            if (height >= minimumHeight && !inBar)
                bars.append({color, x, height});
            else if (height >= minimumHeight)
                bars.last().height = std::max(bars.last().height, height);
            inBar = height >= minimumHeight;
        }
    }
    std::sort(bars.begin(), bars.end(), [](const Bar& a, const Bar& b) { return a.left < b.left; });
    return bars;
}

ReportContent::ChartSeries series(const QStringList& categories) {
    ReportContent::ChartSeries data;
    data.categories = categories;
    for (qsizetype i = 0; i < categories.size(); ++i) {
        data.revenue.append(1000.0 * double(i + 1));
        data.weighted.append(500.0 * double(i + 1));
    }
    return data;
}

} // namespace

// The report's bar chart, painted with QPainter under a GUI application without widgets.
class TestReportChart : public QObject {
    Q_OBJECT

private slots:
    void ticksAreRound_data();
    void ticksAreRound();
    void barsFollowTheData();
    void labelsNeverOverlap_data();
    void labelsNeverOverlap();
};

void TestReportChart::ticksAreRound_data() {
    QTest::addColumn<double>("highest");
    QTest::addColumn<int>("maxSteps");
    QTest::newRow("no revenue") << 0.0 << 5;
    QTest::newRow("cents") << 0.37 << 5;
    QTest::newRow("one dollar") << 1.0 << 5;
    QTest::newRow("a round top") << 4000.0 << 5;
    QTest::newRow("just past a mark") << 4000.01 << 5;
    QTest::newRow("forecast month") << 7300.5 << 5;
    QTest::newRow("millions") << 17'456'789.0 << 5;
    QTest::newRow("a low chart") << 123'456.0 << 2;
    QTest::newRow("one step") << 980.0 << 1;
}

void TestReportChart::ticksAreRound() {
    QFETCH(double, highest);
    QFETCH(int, maxSteps);
    const QList<double> ticks = ReportChart::niceTicks(highest, maxSteps);
    QVERIFY(ticks.size() >= 2);
    QCOMPARE(ticks.first(), 0.0);
    QVERIFY2(ticks.size() - 1 <= maxSteps, qPrintable(QString::number(ticks.size())));
    const double step = ticks[1] - ticks[0];
    for (qsizetype i = 1; i < ticks.size(); ++i)
        QVERIFY(std::abs(ticks[i] - ticks[i - 1] - step) < step * 1e-9);
    // 1, 2 or 5 times a power of ten.
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    QVERIFY2(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                 std::abs(mantissa - 5) < 1e-9,
             qPrintable(QString::number(step)));
    // The top covers the highest bar, without an empty step above it.
    QVERIFY(ticks.last() >= highest);
    QVERIFY(highest <= 0 || ticks.last() - step < highest);
}

void TestReportChart::barsFollowTheData() {
    TestEnvironment env;
    ReportContent::ChartSeries data;
    data.categories = QStringList{"Lead", "Qualify", "Close"};
    data.revenue = {4000, 1000, 3000};
    data.weighted = {2000, 1000, 600};
    QImage image(640, 320, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        ReportChart::paint(painter, QRectF(image.rect()), QStringLiteral("Revenue by stage"), data);
    }
    const QList<Bar> bars = barsOf(image, 20);
    QCOMPARE(bars.size(), 6);
    // Revenue then weighted revenue, category by category from the left.
    for (qsizetype i = 0; i < bars.size(); ++i)
        QCOMPARE(bars[i].color, i % 2 == 0 ? Revenue : Weighted);
    // Their heights in proportion to the amounts, to a pixel of rounding at either end.
    const QList<double> amounts{4000, 2000, 1000, 1000, 3000, 600};
    for (qsizetype i = 1; i < bars.size(); ++i) {
        const double expected = bars[0].height * amounts[i] / amounts[0];
        QVERIFY2(std::abs(bars[i].height - expected) <= 2.0,
                 qPrintable(QStringLiteral("bar %1: %2 pixels, not %3")
                                .arg(i)
                                .arg(bars[i].height)
                                .arg(expected)));
    }
    // The plot takes most of the image's height.
    QVERIFY(bars[0].height > image.height() / 3);
}

void TestReportChart::labelsNeverOverlap_data() {
    QTest::addColumn<QStringList>("categories");
    QTest::addColumn<double>("width"); // points
    QTest::addColumn<bool>("allShown");
    QTest::addColumn<bool>("turned");
    QStringList weeks;
    for (int week = 1; week <= 18; ++week)
        weeks.append(QStringLiteral("W%1\n2024").arg(week));
    QStringList companies;
    for (int i = 0; i < 18; ++i)
        companies.append(QStringLiteral("Northwind Traders International %1").arg(i));
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many.append(QStringLiteral("Territory %1").arg(i));
    QStringList digits;
    for (int i = 0; i < 80; ++i)
        digits.append(QString::number(i % 10));
    QTest::newRow("stages side by side")
        << QStringList{"Lead", "Qualify", "Develop Solution", "Close"} << 540.0 << true << false;
    QTest::newRow("weeks on a page") << weeks << 540.0 << true << false;
    QTest::newRow("weeks on a narrow page") << weeks << 300.0 << true << true;
    QTest::newRow("long names turned") << companies << 540.0 << true << true;
    QTest::newRow("too many for a line each") << many << 300.0 << false << true;
    QTest::newRow("narrow labels thinned") << digits << 200.0 << false << false;
}

void TestReportChart::labelsNeverOverlap() {
    QFETCH(QStringList, categories);
    QFETCH(double, width);
    QFETCH(bool, allShown);
    QFETCH(bool, turned);
    TestEnvironment env;
    // A page of a 300-dpi printer: device units are not points.
    QImage device(10, 10, QImage::Format_ARGB32);
    device.setDotsPerMeterX(11811);
    device.setDotsPerMeterY(11811);
    const double scale = device.logicalDpiY() / 72.0;
    const QRectF target(40 * scale, 100 * scale, width * scale, 250 * scale);
    const ReportChart::Layout layout =
        ReportChart::layout(device, target, QStringLiteral("Revenue by week"), series(categories));

    QVERIFY(!layout.plot.isEmpty());
    QCOMPARE(layout.categoriesTurned, turned);
    QCOMPARE(layout.categoryLabels.size() == categories.size(), allShown);
    QVERIFY(layout.categoryLabels.size() >= 2);
    // Every n-th label, starting with the first; a turned one on one line, cut when too long.
    const double slot = layout.plot.width() / double(categories.size());
    const auto& labels = layout.categoryLabels;
    const int every = qRound((labels[1].rect.center().x() - labels[0].rect.center().x()) / slot);
    QVERIFY(every >= 1);
    QCOMPARE(labels.size(), (categories.size() + every - 1) / every);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const QString text =
            turned ? QString(categories[i * every]).replace('\n', ' ') : categories[i * every];
        const QString& shown = labels[i].text;
        QVERIFY2(shown == text || (shown.endsWith(QChar(0x2026)) && shown.size() > 1 &&
                                   text.startsWith(shown.chopped(1))),
                 qPrintable(shown + " for " + text));
        const double centre = layout.plot.left() + slot * (double(i * every) + 0.5);
        QVERIFY(std::abs(labels[i].rect.center().x() - centre) < 0.01);
    }

    // No two texts of the chart share room, and all of them stay within it.
    QList<QRectF> texts{layout.title};
    for (const auto& label : layout.categoryLabels)
        texts.append(label.rect);
    for (const auto& label : layout.tickLabels)
        texts.append(label.rect);
    for (const auto& label : layout.legend)
        texts.append(label.rect);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QVERIFY2(target.contains(texts[i]), qPrintable(QString::number(i)));
        for (qsizetype j = i + 1; j < texts.size(); ++j)
            QVERIFY2(!texts[i].intersects(texts[j]),
                     qPrintable(QStringLiteral("texts %1 and %2 overlap").arg(i).arg(j)));
    }
    // The labels are below the plot, the bars inside it.
    for (const auto& label : layout.categoryLabels)
        QVERIFY(label.rect.top() > layout.plot.bottom());
    for (const QRectF& bar : layout.revenueBars + layout.weightedBars)
        QVERIFY(layout.plot.contains(bar));
}

QTEST_MAIN(TestReportChart)
#include "TestReportChart.moc"
