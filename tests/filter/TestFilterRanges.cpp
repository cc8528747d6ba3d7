// The filter's range checks without the dialog: which range fails, with which warning, and that
// the dates are judged before the revenue.

#include "filter/FilterRanges.h"

#include <QtTest>

class TestFilterRanges : public QObject {
    Q_OBJECT
private slots:
    void check_data();
    void check();
};

void TestFilterRanges::check_data() {
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");

    const int none = int(FilterRanges::Range::None);
    const int dates = int(FilterRanges::Range::OrderDate);
    const int revenue = int(FilterRanges::Range::Revenue);
    const QString later =
        QStringLiteral("Warning: Your date range has the start date later than the end date.");
    const QString tooLong = QStringLiteral(
        "Warning: Your date range start and end date cannot be more than one year apart.");
    const QString lowHigh =
        QStringLiteral("Warning: Your revenue range 'low' cannot be more than the 'high'.");
    const QString revenueTitle = QStringLiteral("Revenue range filter");
    const int critical = int(UiServices::Icon::Critical);
    const int exclamation = int(UiServices::Icon::Exclamation);
    const QDate day(2027, 3, 1);

    QTest::newRow("same day, low equals high")
        << day << day << 700.0 << 700.0 << none << QString() << QString() << 0;
    QTest::newRow("365 days over a leap day")
        << day << QDate(2028, 2, 29) << 0.0 << 1.0 << none << QString() << QString() << 0;
    QTest::newRow("366 days") << day << QDate(2028, 3, 1) << 0.0 << 1.0 << dates << tooLong
                              << QStringLiteral("Date range filter") << critical;
    QTest::newRow("start a day after end") << day << day.addDays(-1) << 0.0 << 1.0 << dates << later
                                           << QStringLiteral("Date range filter.") << exclamation;
    QTest::newRow("start far after end") << day << day.addDays(-400) << 0.0 << 1.0 << dates << later
                                         << QStringLiteral("Date range filter.") << exclamation;
    QTest::newRow("low a cent above high") << day << day.addDays(30) << 5000.51 << 5000.5 << revenue
                                           << lowHigh << revenueTitle << critical;
    QTest::newRow("both wrong: the dates first")
        << day << day.addDays(400) << 2.0 << 1.0 << dates << tooLong
        << QStringLiteral("Date range filter") << critical;
}

void TestFilterRanges::check() {
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(int, range);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(int, icon);

    const FilterRanges::Verdict verdict = FilterRanges::check(start, end, low, high);
    QCOMPARE(int(verdict.range), range);
    QCOMPARE(verdict.passed(), range == int(FilterRanges::Range::None));
    QCOMPARE(verdict.text, text);
    QCOMPARE(verdict.title, title);
    QCOMPARE(int(verdict.icon), icon);
}

QTEST_GUILESS_MAIN(TestFilterRanges)
#include "TestFilterRanges.moc"
