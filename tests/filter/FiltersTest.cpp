// The filter pass: each criterion group alone, their combination, and the master switch.

#include "filter/Filters.h"
#include "store/CVN_Database.h"
#include "store/Opportunities.h"

#include "TestEnvironment.h"

#include <QTest>

namespace {
// An opportunity that every default criterion lets through, changed by `fields` (keys are the
// field names: Probability, Stage, Forecast, Revenue, OrderDay, OrderMonth, OrderYear).
Opportunity* addOpportunity(Opportunities& list, qint32 number, const QVariantMap& fields = {}) {
    const auto field = [&](const char* name, const QString& fallback) {
        return fields.value(QLatin1String(name), fallback).toString();
    };
    return list.Add(
        number, QString(), QString(), QStringLiteral("Company"), QString(), QString(), QString(),
        QString(), QStringLiteral("Deal"), QStringLiteral("0"), QStringLiteral("0"),
        field("Revenue", QStringLiteral("$1,000.00")), QString(),
        field("Stage", QStringLiteral("Lead")), field("Forecast", QStringLiteral("Yes")),
        field("Probability", QStringLiteral("50% - Competitive")),
        field("OrderDay", QStringLiteral("15")), field("OrderMonth", QStringLiteral("March")),
        field("OrderYear", QStringLiteral("2026")), Opportunities::KeyFor(number));
}

// Sets criteria by key; "Enabled" sets the master switch.
void setCriteria(Filters& filters, const QVariantMap& criteria) {
    for (auto it = criteria.begin(); it != criteria.end(); ++it) {
        if (it.key() == QLatin1String("Enabled")) {
            filters.setEnabled(it.value().toBool());
            continue;
        }
        FilterItem* item = filters.Item(it.key());
        QVERIFY2(item, qPrintable(it.key()));
        item->setValue(it.value());
    }
}

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}
} // namespace

class FiltersTest : public QObject {
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void masterSwitch_data();
    void masterSwitch();
    void statusGroup_data();
    void statusGroup();
    void revenueGroup_data();
    void revenueGroup();
    void dateGroup_data();
    void dateGroup();
    void firstRunDefaults_data();
    void firstRunDefaults();
    void everyOpportunityOfTheDatabase();
    void passLeavesOrderDateAlone();
    void beyondSixteenBitCounter();
    void removedCriterionActsAsDefault();

private:
    // Runs one pass over a single opportunity and gives its visibility.
    bool visibleAfterPass(const QVariantMap& fields, const QVariantMap& criteria,
                          bool startVisible = true) {
        Filters filters;
        setCriteria(filters, criteria);
        Opportunities list;
        Opportunity* opportunity = addOpportunity(list, 1, fields);
        opportunity->setVisible(startVisible);
        filters.Filter(list);
        return opportunity->Visible();
    }

    std::unique_ptr<TestEnvironment> m_env;
};

void FiltersTest::masterSwitch_data() {
    QTest::addColumn<QVariantMap>("criteria");
    QTest::addColumn<bool>("startVisible");
    QTest::addColumn<bool>("visible");

    // Criteria that hide the test opportunity on every count.
    const QVariantMap hideAll{
        {"Forecast_1", false}, {"Probability_3", false},  {"Stage_1", false},     {"Low", 5000.0},
        {"DateRange", false},  {"Start", at(2027, 1, 1)}, {"End", at(2027, 2, 1)}};
    QVariantMap off = hideAll;
    off.insert("Enabled", false);
    QTest::newRow("off shows everything") << off << true << true;
    QTest::newRow("off makes hidden visible again") << off << false << true;
    QVariantMap on = hideAll;
    on.insert("Enabled", true);
    QTest::newRow("on applies the criteria") << on << true << false;
    // The pass reads the switch, not the stored "All" item.
    QVariantMap allOffButEnabled = on;
    allOffButEnabled.insert("All", false);
    QTest::newRow("All item alone does not switch off") << allOffButEnabled << true << false;
    QTest::newRow("on, nothing hides, hidden becomes visible")
        << QVariantMap{{"Enabled", true}} << false << true;
}

void FiltersTest::masterSwitch() {
    QFETCH(QVariantMap, criteria);
    QFETCH(bool, startVisible);
    QFETCH(bool, visible);
    QCOMPARE(visibleAfterPass({}, criteria, startVisible), visible);
}

void FiltersTest::statusGroup_data() {
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QVariantMap>("criteria");
    QTest::addColumn<bool>("visible");

    const QVariantMap noForecast{{"Forecast_1", false}};
    QTest::newRow("forecast No hidden") << QVariantMap{{"Forecast", "No"}} << noForecast << false;
    QTest::newRow("forecast no (lower case) shown")
        << QVariantMap{{"Forecast", "no"}} << noForecast << true;
    QTest::newRow("forecast empty shown") << QVariantMap{{"Forecast", ""}} << noForecast << true;
    QTest::newRow("forecast No shown while Forecast_1 on")
        << QVariantMap{{"Forecast", "No"}} << QVariantMap{{"Forecast_1", true}} << true;
    QTest::newRow("forecast No shown while status off")
        << QVariantMap{{"Forecast", "No"}} << QVariantMap{{"Forecast_1", false}, {"Status", false}}
        << true;

    const struct {
        const char* text;
        int entry;
    } probabilities[] = {{"0% - Lost", 1},
                         {"25% - Long Shot", 2},
                         {"50% - Competitive", 3},
                         {"75% - Favored", 4},
                         {"90% - Verbal Commitment", 5},
                         {"100% - Won", 6},
                         {"5%", 1},
                         {"", 1},
                         {"10%", 6}};
    for (const auto& p : probabilities) {
        // Switching off its own entry hides it; switching off every other entry does not.
        const QString own = QStringLiteral("Probability_%1").arg(p.entry);
        QTest::addRow("probability '%s' off", p.text)
            << QVariantMap{{"Probability", p.text}} << QVariantMap{{own, false}} << false;
        QVariantMap others;
        for (int k = 1; k <= 6; ++k) {
            if (k != p.entry)
                others.insert(QStringLiteral("Probability_%1").arg(k), false);
        }
        QTest::addRow("probability '%s', others off", p.text)
            << QVariantMap{{"Probability", p.text}} << others << true;
    }
    QTest::newRow("probability off but status off")
        << QVariantMap{{"Probability", "100% - Won"}}
        << QVariantMap{{"Probability_6", false}, {"Status", false}} << true;

    const char* stages[] = {"Lead",
                            "Identify Opportunity",
                            "Assess Business",
                            "Develop Solution",
                            "Present/Propose",
                            "Gain Commitment",
                            "Implement/Confirm"};
    QVariantMap allStagesOff;
    for (int k = 1; k <= 7; ++k)
        allStagesOff.insert(QStringLiteral("Stage_%1").arg(k), false);
    for (int k = 1; k <= 7; ++k) {
        QTest::addRow("stage '%s' off", stages[k - 1])
            << QVariantMap{{"Stage", stages[k - 1]}}
            << QVariantMap{{QStringLiteral("Stage_%1").arg(k), false}} << false;
        QVariantMap others = allStagesOff;
        others.remove(QStringLiteral("Stage_%1").arg(k));
        QTest::addRow("stage '%s', others off", stages[k - 1])
            << QVariantMap{{"Stage", stages[k - 1]}} << others << true;
    }
    // A stage of no known entry has no criterion and passes.
    QTest::newRow("stage in lower case passes")
        << QVariantMap{{"Stage", "present/propose"}} << allStagesOff << true;
    QTest::newRow("empty stage passes") << QVariantMap{{"Stage", ""}} << allStagesOff << true;
    QTest::newRow("short stage passes") << QVariantMap{{"Stage", "Le"}} << allStagesOff << true;
    QTest::newRow("stage off but status off")
        << QVariantMap{{"Stage", "Lead"}} << QVariantMap{{"Stage_1", false}, {"Status", false}}
        << true;
    QTest::newRow("forecast passes, stage hides")
        << QVariantMap{{"Forecast", "Yes"}, {"Stage", "Lead"}}
        << QVariantMap{{"Forecast_1", false}, {"Stage_1", false}} << false;
}

void FiltersTest::statusGroup() {
    QFETCH(QVariantMap, fields);
    QFETCH(QVariantMap, criteria);
    QFETCH(bool, visible);
    QCOMPARE(visibleAfterPass(fields, criteria), visible);
}

void FiltersTest::revenueGroup_data() {
    QTest::addColumn<QString>("revenue");
    QTest::addColumn<QVariant>("low");
    QTest::addColumn<QVariant>("high");
    QTest::addColumn<bool>("applies");
    QTest::addColumn<bool>("visible");

    QTest::newRow("currency text inside")
        << "$1,250.00" << QVariant(1249.99) << QVariant(1250.01) << true << true;
    QTest::newRow("low bound is exclusive")
        << "$1,250.00" << QVariant(1250.0) << QVariant(2000.0) << true << false;
    QTest::newRow("high bound is exclusive")
        << "$1,250.00" << QVariant(0.0) << QVariant(1250.0) << true << false;
    QTest::newRow("minus sign dropped")
        << "-500" << QVariant(499.0) << QVariant(501.0) << true << true;
    QTest::newRow("parentheses dropped")
        << "($2,000.50)" << QVariant(2000.49) << QVariant(2000.51) << true << true;
    QTest::newRow("second point ends the number")
        << "1.2.3" << QVariant(1.19) << QVariant(1.21) << true << true;
    QTest::newRow("leading point") << ".5" << QVariant(0.49) << QVariant(0.51) << true << true;
    QTest::newRow("letters between digits")
        << "12abc34" << QVariant(1233.0) << QVariant(1235.0) << true << true;
    QTest::newRow("point without fraction")
        << "5..5" << QVariant(4.9) << QVariant(5.1) << true << true;
    QTest::newRow("fraction digits kept")
        << "1,000.75" << QVariant(1000.7) << QVariant(1000.8) << true << true;
    const QString longNumber = QStringLiteral("1") + QString(80, QLatin1Char('0'));
    QTest::newRow("very long number")
        << longNumber << QVariant(1e79) << QVariant(1e81) << true << true;
    QTest::newRow("empty reads as 0") << "" << QVariant(-1.0) << QVariant(1.0) << true << true;
    QTest::newRow("empty hidden by default bounds")
        << "" << QVariant() << QVariant() << true << false;
    QTest::newRow("zero hidden by default bounds")
        << "$0.00" << QVariant() << QVariant() << true << false;
    QTest::newRow("9999999 hidden by default bounds")
        << "$9,999,999.00" << QVariant() << QVariant() << true << false;
    QTest::newRow("just below default high")
        << "9999998.99" << QVariant() << QVariant() << true << true;
    QTest::newRow("low equal high hides")
        << "100" << QVariant(100.0) << QVariant(100.0) << true << false;
    QTest::newRow("range off shows empty revenue")
        << "" << QVariant() << QVariant() << false << true;
    QTest::newRow("range off ignores bounds")
        << "100" << QVariant(500.0) << QVariant(600.0) << false << true;
}

void FiltersTest::revenueGroup() {
    QFETCH(QString, revenue);
    QFETCH(QVariant, low);
    QFETCH(QVariant, high);
    QFETCH(bool, applies);
    QFETCH(bool, visible);
    QVariantMap criteria{{"Revenues", applies}};
    if (low.isValid())
        criteria.insert("Low", low);
    if (high.isValid())
        criteria.insert("High", high);
    QCOMPARE(visibleAfterPass({{"Revenue", revenue}}, criteria), visible);
}

void FiltersTest::dateGroup_data() {
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QVariant>("start");
    QTest::addColumn<QVariant>("end");
    QTest::addColumn<bool>("allDates");
    QTest::addColumn<bool>("visible");

    const auto order = [](const char* day, const char* month = "March", const char* year = "2026") {
        return QVariantMap{{"OrderDay", day}, {"OrderMonth", month}, {"OrderYear", year}};
    };
    const QVariant start(at(2026, 3, 10));
    const QVariant end(at(2026, 3, 20));
    QTest::newRow("on the start day hidden") << order("10") << start << end << false << false;
    QTest::newRow("day after start shown") << order("11") << start << end << false << true;
    QTest::newRow("day before end shown") << order("19") << start << end << false << true;
    QTest::newRow("on a midnight end day hidden") << order("20") << start << end << false << false;
    QTest::newRow("on an end day with time shown")
        << order("20") << start << QVariant(at(2026, 3, 20, 14, 30)) << false << true;
    QTest::newRow("start with time still hides its day")
        << order("10") << QVariant(at(2026, 3, 10, 9)) << end << false << false;
    QTest::newRow("before the range") << order("09") << start << end << false << false;
    QTest::newRow("other year") << order("15", "March", "2025") << start << end << false << false;
    QTest::newRow("other month") << order("15", "April") << start << end << false << false;
    QTest::newRow("single-digit day")
        << order("7") << QVariant(at(2026, 3, 6)) << QVariant(at(2026, 3, 8)) << false << true;
    QTest::newRow("start and end the same day") << order("10") << start << start << false << false;
    QTest::newRow("bounds given as dates") << order("11") << QVariant(QDate(2026, 3, 10))
                                           << QVariant(QDate(2026, 3, 12)) << false << true;
    QTest::newRow("all dates shows outside the range")
        << order("09") << start << end << true << true;
    // Order dates that are no date cannot lie within any range.
    const QVariant wideStart(at(1900, 1, 1));
    const QVariant wideEnd(at(2999, 1, 1));
    QTest::newRow("February 31st")
        << order("31", "February") << wideStart << wideEnd << false << false;
    QTest::newRow("empty day") << order("") << wideStart << wideEnd << false << false;
    QTest::newRow("year of letters")
        << order("15", "March", "abcd") << wideStart << wideEnd << false << false;
    QTest::newRow("no date shown with all dates")
        << order("") << wideStart << wideEnd << true << true;

    // An unknown month name reads as the current month; an empty year as today.
    const QDate today = QDate::currentDate();
    const QVariantMap unknownMonth{
        {"OrderDay", "01"}, {"OrderMonth", "march"}, {"OrderYear", QString::number(today.year())}};
    const QDate firstOfMonth(today.year(), today.month(), 1);
    QTest::newRow("unknown month is this month")
        << unknownMonth << QVariant(firstOfMonth.addDays(-1).startOfDay())
        << QVariant(firstOfMonth.addDays(1).startOfDay()) << false << true;
    QTest::newRow("unknown month outside this month")
        << unknownMonth << QVariant(firstOfMonth.startOfDay())
        << QVariant(firstOfMonth.addMonths(1).startOfDay()) << false << false;
    const QVariantMap noYear{{"OrderDay", "01"}, {"OrderMonth", "January"}, {"OrderYear", ""}};
    QTest::newRow("empty year is today")
        << noYear << QVariant(today.addDays(-1).startOfDay())
        << QVariant(today.addDays(1).startOfDay()) << false << true;
    QTest::newRow("empty year on the start day")
        << noYear << QVariant(today.startOfDay()) << QVariant(today.addDays(2).startOfDay())
        << false << false;
}

void FiltersTest::dateGroup() {
    QFETCH(QVariantMap, fields);
    QFETCH(QVariant, start);
    QFETCH(QVariant, end);
    QFETCH(bool, allDates);
    QFETCH(bool, visible);
    QCOMPARE(visibleAfterPass(fields, {{"DateRange", allDates}, {"Start", start}, {"End", end}}),
             visible);
}

void FiltersTest::firstRunDefaults_data() {
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<bool>("visible");

    QTest::newRow("ordinary opportunity") << QVariantMap{} << true;
    QTest::newRow("forecast No") << QVariantMap{{"Forecast", "No"}} << true;
    QTest::newRow("won") << QVariantMap{{"Probability", "100% - Won"}} << true;
    QTest::newRow("last stage") << QVariantMap{{"Stage", "Implement/Confirm"}} << true;
    QTest::newRow("order date years away") << QVariantMap{{"OrderYear", "1999"}} << true;
    QTest::newRow("revenue 0") << QVariantMap{{"Revenue", "0"}} << false;
    QTest::newRow("revenue empty") << QVariantMap{{"Revenue", ""}} << false;
    QTest::newRow("revenue 9999999") << QVariantMap{{"Revenue", "9999999"}} << false;
}

// An empty store: filtering on, every status entry on, all dates, revenue range 0..9999999.
void FiltersTest::firstRunDefaults() {
    QFETCH(QVariantMap, fields);
    QFETCH(bool, visible);
    QCOMPARE(visibleAfterPass(fields, {}), visible);
}

void FiltersTest::everyOpportunityOfTheDatabase() {
    Filters filters;
    setCriteria(filters, {{"Forecast_1", false}, {"Probability_6", false}, {"High", 5000.0}});
    CVN_Database database;
    Opportunities& list = database.Opportunities();
    addOpportunity(list, 1);
    addOpportunity(list, 2, {{"Forecast", "No"}});
    addOpportunity(list, 3);
    addOpportunity(list, 4, {{"Probability", "100% - Won"}});
    addOpportunity(list, 5, {{"Revenue", "$5,000.00"}});
    addOpportunity(list, 6, {{"Revenue", "$4,999.99"}});
    list.Item(3)->setVisible(false);
    filters.Filter(database);
    QList<bool> visible;
    for (const Opportunity& opportunity : list)
        visible.append(opportunity.Visible());
    QCOMPARE(visible, (QList<bool>{true, false, true, false, false, true}));
    QCOMPARE(list.UnFilteredCount(), 3);
}

// The pass reads the order date without filling in an empty one.
void FiltersTest::passLeavesOrderDateAlone() {
    Filters filters;
    const QDate today = QDate::currentDate();
    setCriteria(filters, {{"DateRange", false},
                          {"Start", today.addDays(-1).startOfDay()},
                          {"End", today.addDays(1).startOfDay()}});
    Opportunities list;
    Opportunity* opportunity =
        addOpportunity(list, 1, {{"OrderDay", ""}, {"OrderMonth", ""}, {"OrderYear", ""}});
    filters.Filter(list);
    QVERIFY(opportunity->Visible());
    QCOMPARE(opportunity->OrderYear(), QString());
    QCOMPARE(opportunity->OrderMonth(), QString());
    QCOMPARE(opportunity->OrderDay(), QString());
}

void FiltersTest::beyondSixteenBitCounter() {
    Filters filters;
    setCriteria(filters, {{"Stage_2", false}});
    Opportunities list;
    const qint32 count = 40000;
    list.reserve(count);
    for (qint32 number = 1; number <= count; ++number)
        addOpportunity(list, number, {{"Stage", number % 2 ? "Lead" : "Identify Opportunity"}});
    filters.Filter(list);
    QCOMPARE(list.UnFilteredCount(), count / 2);
    QVERIFY(!list.Item(count)->Visible());
    QVERIFY(list.Item(count - 1)->Visible());
}

void FiltersTest::removedCriterionActsAsDefault() {
    Filters filters;
    setCriteria(filters, {{"Low", 2000.0}});
    Opportunities list;
    Opportunity* opportunity = addOpportunity(list, 1);
    filters.Filter(list);
    QVERIFY(!opportunity->Visible());
    QVERIFY(filters.Remove(QStringLiteral("Low")));
    QVERIFY(!filters.Item(QStringLiteral("Low")));
    filters.Filter(list);
    QVERIFY(opportunity->Visible());
}

QTEST_GUILESS_MAIN(FiltersTest)
#include "FiltersTest.moc"
