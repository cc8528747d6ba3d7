// The filter pass: each criterion group alone, their combination, and the master switch.

#include "filter/Filters.h"
#include "store/Opportunities.h"
#include "store/SalesDatabase.h"

#include "TestEnvironment.h"

#include <QTest>

namespace {
// An opportunity that every default criterion lets through, changed by `fields` (keys are the
// field names: Probability, Stage, Forecast, Revenue, OrderDay, OrderMonth, OrderYear).
Opportunity* addOpportunity(Opportunities& list, qint32 number, const QVariantMap& fields = {}) {
    const auto field = [&](const char* name, const char* fallback) {
        return fields.value(QLatin1String(name), QLatin1String(fallback)).toString();
    };
    return list.add(number, {}, {}, QStringLiteral("Company"), {}, {}, {}, {},
                    QStringLiteral("Deal"), QStringLiteral("0"), QStringLiteral("0"),
                    field("Revenue", "$1,000.00"), {}, field("Stage", "Lead"),
                    field("Forecast", "Yes"), field("Probability", "50% - Competitive"),
                    field("OrderDay", "15"), field("OrderMonth", "March"),
                    field("OrderYear", "2026"), Opportunities::keyFor(number));
}

// Sets criteria by key; "Enabled" sets the master switch.
void setCriteria(Filters& filters, const QVariantMap& criteria) {
    for (auto it = criteria.begin(); it != criteria.end(); ++it) {
        if (it.key() == QLatin1String("Enabled"))
            filters.setEnabled(it.value().toBool());
        else
            filters.item(it.key())->setValue(it.value());
    }
}

QDateTime at(int year, int month, int day, int hour = 0, int minute = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute));
}

QVariantMap order(const char* day, const char* month = "March", const char* year = "2026") {
    return {{"OrderDay", day}, {"OrderMonth", month}, {"OrderYear", year}};
}

QVariantMap range(const QVariant& start, const QVariant& end, bool allDates = false) {
    return {{"DateRange", allDates}, {"Start", start}, {"End", end}};
}
} // namespace

class TestFilters : public QObject {
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void visibility_data();
    void visibility();
    void everyOpportunityOfTheDatabase();
    void passLeavesOrderDateAlone();
    void beyondSixteenBitCounter();
    void amountsAndMonthsInTheUsersLocale();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestFilters::visibility_data() {
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QVariantMap>("criteria");
    QTest::addColumn<bool>("visible");

    // First run (empty store): every status entry on, all dates, revenue strictly in 0..9999999.
    QTest::newRow("defaults pass status and dates") << QVariantMap{{"Forecast", "No"},
                                                                   {"Probability", "100% - Won"},
                                                                   {"Stage", "Implement/Confirm"},
                                                                   {"OrderYear", "1999"}}
                                                    << QVariantMap{} << true;
    QTest::newRow("defaults hide empty revenue")
        << QVariantMap{{"Revenue", ""}} << QVariantMap{} << false;
    QTest::newRow("defaults hide 9999999")
        << QVariantMap{{"Revenue", "$9,999,999.00"}} << QVariantMap{} << false;

    // The master switch; the pass reads it, not the stored "All" item.
    QVariantMap hideAll{{"Forecast_1", false},  {"Probability_3", false}, {"Stage_1", false},
                        {"Low", 5000.0},        {"DateRange", false},     {"Start", at(2027, 1, 1)},
                        {"End", at(2027, 2, 1)}};
    hideAll.insert("Enabled", false);
    QTest::newRow("switch off shows everything") << QVariantMap{} << hideAll << true;
    hideAll.insert("Enabled", true);
    hideAll.insert("All", false);
    QTest::newRow("All item alone does not switch off") << QVariantMap{} << hideAll << false;

    // Status: forecast "No" exactly; probability by its first two characters; stage by its
    // first three letters, a stage of no known entry passing.
    QTest::newRow("forecast No hidden")
        << QVariantMap{{"Forecast", "No"}} << QVariantMap{{"Forecast_1", false}} << false;
    QTest::newRow("forecast no (lower case) shown")
        << QVariantMap{{"Forecast", "no"}} << QVariantMap{{"Forecast_1", false}} << true;
    QTest::newRow("status off ignores its entries")
        << QVariantMap{{"Forecast", "No"}, {"Probability", "100% - Won"}, {"Stage", "Lead"}}
        << QVariantMap{{"Forecast_1", false},
                       {"Probability_6", false},
                       {"Stage_1", false},
                       {"Status", false}}
        << true;
    const auto ownEntryOnly = [](const char* prefix, const char* text, int entry) {
        // Switching off its own entry hides it; switching off every other entry does not.
        const auto key = [&](int k) { return QStringLiteral("%1_%2").arg(prefix).arg(k); };
        QVariantMap others;
        for (int k = 1; k <= (QLatin1String(prefix) == QLatin1String("Stage") ? 7 : 6); ++k)
            others.insert(key(k), k == entry);
        const QVariantMap fields{{prefix, text}};
        QTest::addRow("%s '%s' off", prefix, text)
            << fields << QVariantMap{{key(entry), false}} << false;
        QTest::addRow("%s '%s', others off", prefix, text) << fields << others << true;
    };
    const char* probabilities[] = {"0% - Lost", "25%", "50%", "75%", "90%", "100% - Won"};
    for (int k = 1; k <= 6; ++k)
        ownEntryOnly("Probability", probabilities[k - 1], k);
    ownEntryOnly("Probability", "5%", 1);
    ownEntryOnly("Probability", "", 1);
    ownEntryOnly("Probability", "10%", 6);
    const QByteArrayList stages = QByteArray("Lead|Identify Opportunity|Assess Business|"
                                             "Develop Solution|Present/Propose|Gain Commitment|"
                                             "Implement/Confirm")
                                      .split('|');
    for (int k = 1; k <= 7; ++k)
        ownEntryOnly("Stage", stages[k - 1].constData(), k);
    QVariantMap allStagesOff;
    for (int k = 1; k <= 7; ++k)
        allStagesOff.insert(QStringLiteral("Stage_%1").arg(k), false);
    QTest::newRow("stage in lower case passes")
        << QVariantMap{{"Stage", "present/propose"}} << allStagesOff << true;
    QTest::newRow("short stage passes") << QVariantMap{{"Stage", "Le"}} << allStagesOff << true;

    // Revenue: the digits and points of the text, bounds exclusive.
    const struct {
        const char* name;
        QString revenue;
        double low;
        double high;
        bool visible;
    } revenues[] = {
        {"currency text inside", "$1,250.00", 1249.99, 1250.01, true},
        {"low bound is exclusive", "$1,250.00", 1250.0, 2000.0, false},
        {"high bound is exclusive", "$1,250.00", 0.0, 1250.0, false},
        {"minus sign and parentheses dropped", "-($2,000.50)", 2000.49, 2000.51, true},
        {"repeated points group thousands", "1.2.3", 122.9, 123.1, true},
        {"leading point", ".5", 0.49, 0.51, true},
        {"very long number", QStringLiteral("1") + QString(80, QLatin1Char('0')), 1e79, 1e81, true},
        {"empty reads as 0", "", -1.0, 1.0, true},
    };
    for (const auto& r : revenues)
        QTest::newRow(r.name) << QVariantMap{{"Revenue", r.revenue}}
                              << QVariantMap{{"Low", r.low}, {"High", r.high}} << r.visible;
    QTest::newRow("range off ignores bounds")
        << QVariantMap{{"Revenue", "100"}}
        << QVariantMap{{"Revenues", false}, {"Low", 500.0}, {"High", 600.0}} << true;

    // Order date: from the day after Start's, up to End's day when End has a time of day.
    const QVariantMap march = range(at(2026, 3, 10), at(2026, 3, 20));
    QTest::newRow("on the start day hidden") << order("10") << march << false;
    QTest::newRow("day after start shown") << order("11") << march << true;
    QTest::newRow("day before end shown") << order("19") << march << true;
    QTest::newRow("on a midnight end day hidden") << order("20") << march << false;
    QTest::newRow("on an end day with time shown")
        << order("20") << range(at(2026, 3, 10), at(2026, 3, 20, 14, 30)) << true;
    QTest::newRow("start with time still hides its day")
        << order("10") << range(at(2026, 3, 10, 9), at(2026, 3, 20)) << false;
    QTest::newRow("bounds given as dates")
        << order("11") << range(QDate(2026, 3, 10), QDate(2026, 3, 12)) << true;
    // Order dates that are no date cannot lie within any range.
    const QVariantMap wide = range(at(1900, 1, 1), at(2999, 1, 1));
    QTest::newRow("February 31st") << order("31", "February") << wide << false;
    QTest::newRow("empty day") << order("") << wide << false;
    QTest::newRow("year of letters") << order("15", "March", "abcd") << wide << false;
    QTest::newRow("no date shown with all dates")
        << order("") << range(at(1900, 1, 1), at(2999, 1, 1), true) << true;

    // An unknown month name reads as the current month; an empty year as today.
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    const QByteArray year = QByteArray::number(today.year());
    QTest::newRow("unknown month is this month")
        << order("01", "march", year.constData()) << range(first.addDays(-1), first.addDays(1))
        << true;
    QTest::newRow("unknown month outside this month")
        << order("01", "march", year.constData()) << range(first, first.addMonths(1)) << false;
    QTest::newRow("empty year is today")
        << order("01", "January", "") << range(today.addDays(-1), today.addDays(1)) << true;
    QTest::newRow("empty year on the start day")
        << order("01", "January", "") << range(today, today.addDays(2)) << false;
}

// Each opportunity starts with the opposite visibility, so the pass must set it either way.
void TestFilters::visibility() {
    QFETCH(QVariantMap, fields);
    QFETCH(QVariantMap, criteria);
    QFETCH(bool, visible);
    Filters filters(m_env->store());
    setCriteria(filters, criteria);
    Opportunities list;
    Opportunity* opportunity = addOpportunity(list, 1, fields);
    opportunity->setVisible(!visible);
    filters.filter(list);
    QCOMPARE(opportunity->visible(), visible);
}

void TestFilters::everyOpportunityOfTheDatabase() {
    Filters filters(m_env->store());
    setCriteria(filters, {{"Forecast_1", false}, {"Probability_6", false}, {"High", 5000.0}});
    SalesDatabase database(SalesStore::forLocation(QString()));
    Opportunities& list = database.opportunities();
    addOpportunity(list, 1);
    addOpportunity(list, 2, {{"Forecast", "No"}});
    addOpportunity(list, 3)->setVisible(false);
    addOpportunity(list, 4, {{"Probability", "100% - Won"}});
    addOpportunity(list, 5, {{"Revenue", "$5,000.00"}});
    addOpportunity(list, 6, {{"Revenue", "$4,999.99"}});
    filters.filter(database);
    QList<bool> visible;
    for (const Opportunity& opportunity : list)
        visible.append(opportunity.visible());
    QCOMPARE(visible, (QList<bool>{true, false, true, false, false, true}));
    QCOMPARE(list.unFilteredCount(), 3);
}

// The pass reads the order date without filling in an empty one.
void TestFilters::passLeavesOrderDateAlone() {
    Filters filters(m_env->store());
    const QDate today = QDate::currentDate();
    setCriteria(filters, range(today.addDays(-1), today.addDays(1)));
    Opportunities list;
    Opportunity* opportunity = addOpportunity(list, 1, order("", "", ""));
    filters.filter(list);
    QVERIFY(opportunity->visible());
    QCOMPARE(opportunity->orderYear() + opportunity->orderMonth() + opportunity->orderDay(),
             QString());
}

void TestFilters::beyondSixteenBitCounter() {
    Filters filters(m_env->store());
    setCriteria(filters, {{"Stage_2", false}});
    Opportunities list;
    const qint32 count = 40000;
    list.reserve(count);
    for (qint32 number = 1; number <= count; ++number)
        addOpportunity(list, number, {{"Stage", number % 2 ? "Lead" : "Identify Opportunity"}});
    filters.filter(list);
    QCOMPARE(list.unFilteredCount(), count / 2);
    QVERIFY(!list.item(count)->visible());
    QVERIFY(list.item(count - 1)->visible());
}

// A German revenue text reads as German, a US-written one still as US; a month stored by its
// short name (its full name being too long for the field) is that month.
void TestFilters::amountsAndMonthsInTheUsersLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Filters filters(m_env->store());
    setCriteria(filters, {{"Low", 1249.0}, {"High", 1251.0}});
    Opportunities list;
    Opportunity* german = addOpportunity(list, 1, {{"Revenue", QStringLiteral("1.250,00 €")}});
    Opportunity* american = addOpportunity(list, 2, {{"Revenue", "$1,250.00"}});
    Opportunity* small = addOpportunity(list, 3, {{"Revenue", "1,25"}});
    filters.filter(list);
    QVERIFY(german->visible());
    QVERIFY(american->visible());
    QVERIFY(!small->visible());

    const QLocale irish(QLocale::Irish, QLocale::Ireland);
    QLocale::setDefault(irish);
    int month = 1;
    while (month < 12 && irish.monthName(month).size() <= 12)
        ++month;
    QVERIFY(irish.monthName(month).size() > 12);
    Filters irishFilters(m_env->store());
    setCriteria(irishFilters, range(at(2026, month, 1), at(2026, month, 28)));
    Opportunities irishList;
    Opportunity* stored =
        addOpportunity(irishList, 1,
                       {{"OrderDay", "15"},
                        {"OrderMonth", irish.monthName(month, QLocale::ShortFormat)},
                        {"OrderYear", "2026"}});
    irishFilters.filter(irishList);
    QVERIFY(stored->visible());
}

QTEST_GUILESS_MAIN(TestFilters)
#include "TestFilters.moc"
