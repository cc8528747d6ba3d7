#include "TestEnvironment.h"

#include "store/NumericText.h"
#include "store/Opportunities.h"

#include <QtTest>
#include <limits>

class tst_Opportunities : public QObject {
    Q_OBJECT

private slots:
    void newOpportunityDefaults();
    void orderDate_data();
    void orderDate();
    void orderDateFillsEmptyYear();
    void keyValue_data();
    void keyValue();
    void numericText_data();
    void numericText();
    void numberingAndTotals();
    void appendStoresAVisibleCopy();
    void keysAndPositions();
    void numberingStopsAtTheLargestNumber();
};

void tst_Opportunities::newOpportunityDefaults() {
    TestEnvironment env;
    const QDate today = QDate::currentDate();
    Opportunity o;
    QCOMPARE(o.Description(), QStringLiteral("None"));
    QCOMPARE(o.Stage(), QStringLiteral("Lead"));
    QCOMPARE(o.Probability(), QStringLiteral("25% - Long Shot"));
    QCOMPARE(o.Forecast(), QStringLiteral("No"));
    QCOMPARE(o.UnitPrice(), QStringLiteral("0"));
    QCOMPARE(o.Quantity(), QStringLiteral("0"));
    QCOMPARE(o.Revenue(), QStringLiteral("0"));
    for (const QString& empty : {o.Source(), o.Company(), o.Department(), o.Contact(), o.Note(),
                                 o.Product(), o.SalesOwner(), o.DateCreated()})
        QVERIFY(empty.isEmpty());
    QCOMPARE(o.RecordNumber(), 0);
    QVERIFY(o.Visible());
    QCOMPARE(o.OrderDay(), today.toString("dd"));
    QCOMPARE(o.OrderMonth(), QLocale().monthName(today.month()));
    QCOMPARE(o.OrderYear(), today.toString("yyyy"));
    QCOMPARE(o.OrderDate(), today.toString("yyyy-MM-dd"));
}

void tst_Opportunities::orderDate_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("expected"); // "MM" stands for the current month
    QTest::newRow("padded day") << "2004"
                                << "March"
                                << "07"
                                << "2004-03-07";
    QTest::newRow("day kept as stored") << "2004"
                                        << "March"
                                        << "7"
                                        << "2004-03-7";
    QTest::newRow("December") << "2030"
                              << "December"
                              << "31"
                              << "2030-12-31";
    QTest::newRow("letter case differs") << "2004"
                                         << "march"
                                         << "07"
                                         << "2004-MM-07";
    QTest::newRow("other language") << "2004"
                                    << "März"
                                    << "07"
                                    << "2004-MM-07";
    QTest::newRow("empty month") << "2004"
                                 << ""
                                 << "07"
                                 << "2004-MM-07";
}

void tst_Opportunities::orderDate() {
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, expected);
    TestEnvironment env;
    Opportunity o;
    o.setOrderYear(year);
    o.setOrderMonth(month);
    o.setOrderDay(day);
    expected.replace("MM", QDate::currentDate().toString("MM"));
    QCOMPARE(o.OrderDate(), expected);
    QCOMPARE(o.OrderMonth(), month); // never rewritten
    QCOMPARE(o.KeyValue("OrderDate").toString(), expected);
}

void tst_Opportunities::orderDateFillsEmptyYear() {
    TestEnvironment env;
    Opportunity o;
    o.setOrderYear("");
    o.setOrderMonth("nonsense");
    o.setOrderDay("99");
    const QDate today = QDate::currentDate();
    // Reading the cell text does not change the record...
    QCOMPARE(o.KeyValue("OrderDate").toString(), today.toString("yyyy-MM-dd"));
    QCOMPARE(o.OrderYear(), QString());
    // ...while OrderDate() fills in today.
    QCOMPARE(o.OrderDate(), today.toString("yyyy-MM-dd"));
    QCOMPARE(o.OrderYear(), today.toString("yyyy"));
    QCOMPARE(o.OrderMonth(), QLocale().monthName(today.month()));
    QCOMPARE(o.OrderDay(), today.toString("dd"));
}

void tst_Opportunities::keyValue_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("RecordNumber is a number") << "RecordNumber" << QVariant(qint32(42));
    QTest::newRow("Description") << "Description" << QVariant("Fleet renewal");
    QTest::newRow("UnitPrice") << "UnitPrice" << QVariant("$1,200.00");
    QTest::newRow("Probability") << "Probability" << QVariant("50% - Competitive");
    QTest::newRow("OrderMonth") << "OrderMonth" << QVariant("May");
    QTest::newRow("SalesOwner hidden") << "SalesOwner" << QVariant("");
    QTest::newRow("DateCreated hidden") << "DateCreated" << QVariant("");
    QTest::newRow("case matters") << "description" << QVariant("");
    QTest::newRow("unknown") << "Nothing" << QVariant("");
}

void tst_Opportunities::keyValue() {
    QFETCH(QString, key);
    QFETCH(QVariant, expected);
    TestEnvironment env;
    Opportunity o;
    o.setRecordNumber(42);
    o.setDescription("Fleet renewal");
    o.setUnitPrice("$1,200.00");
    o.setProbability("50% - Competitive");
    o.setOrderMonth("May");
    o.setSalesOwner("owner");
    o.setDateCreated("1/2/2003 4:05:06 AM");
    const QVariant value = o.KeyValue(key);
    QCOMPARE(value.typeId(), expected.typeId());
    QCOMPARE(value, expected);
}

void tst_Opportunities::numericText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cleaned");
    QTest::addColumn<double>("amount");
    QTest::newRow("currency") << "$12,500.00"
                              << "12500.00" << 12500.0;
    QTest::newRow("plain") << "250"
                           << "250" << 250.0;
    QTest::newRow("no digits") << "abc"
                               << "" << 0.0;
    QTest::newRow("empty") << ""
                           << "" << 0.0;
    QTest::newRow("second point stops") << "1.2.3"
                                        << "1.2.3" << 1.2;
    QTest::newRow("leading point") << ".5"
                                   << ".5" << 0.5;
    QTest::newRow("minus counts positive") << "-$40.25"
                                           << "40.25" << 40.25;
    QTest::newRow("parentheses") << "($7.50)"
                                 << "7.50" << 7.5;
    QTest::newRow("euro with comma decimals") << "1.250,50 €"
                                              << "1.25050" << 1.2505;
    QTest::newRow("trailing point") << "5."
                                    << "5." << 5.0;
    QTest::newRow("non-ASCII digits dropped") << "\u0661\u0662"
                                              << "" << 0.0;
}

void tst_Opportunities::numericText() {
    QFETCH(QString, text);
    QFETCH(QString, cleaned);
    QFETCH(double, amount);
    QCOMPARE(NumericText(text), cleaned);
    QCOMPARE(AmountOf(text), amount);
}

namespace {
Opportunity* addNumbered(Opportunities& c, qint32 number, const QString& revenue = "0") {
    Opportunity o;
    o.setRecordNumber(number);
    o.setRevenue(revenue);
    auto item = std::make_unique<Opportunity>(o);
    return c.Add(std::move(item), Opportunities::KeyFor(number));
}
} // namespace

void tst_Opportunities::numberingAndTotals() {
    TestEnvironment env;
    Opportunities c;
    QCOMPARE(c.Count(), 0);
    QCOMPARE(c.UnFilteredCount(), 0);
    QCOMPARE(c.TotalRevenue(), 0.0);
    QCOMPARE(c.FilteredRevenue(), 0.0);
    QCOMPARE(*c.NextRecordNumber(), 1);

    addNumbered(c, 3, "$1,000.00");
    addNumbered(c, 8, "250");
    Opportunity* hidden = addNumbered(c, 5, "abc");
    QCOMPARE(*c.NextRecordNumber(), 9); // the highest plus one, not the count
    QCOMPARE(c.TotalRevenue(), 1250.0);

    hidden->setRevenue("$100");
    hidden->setVisible(false);
    QCOMPARE(c.Count(), 3);
    QCOMPARE(c.UnFilteredCount(), 2);
    QCOMPARE(c.TotalRevenue(), 1350.0);
    QCOMPARE(c.FilteredRevenue(), 1250.0);

    // Numbers freed by a removal are reused only when they were the highest.
    QVERIFY(c.Remove(Opportunities::KeyFor(5)));
    QCOMPARE(*c.NextRecordNumber(), 9);
    QVERIFY(c.Remove(Opportunities::KeyFor(8)));
    QCOMPARE(*c.NextRecordNumber(), 4);

    Opportunities negative;
    addNumbered(negative, -4);
    addNumbered(negative, 0);
    QCOMPARE(*negative.NextRecordNumber(), 1);
}

void tst_Opportunities::appendStoresAVisibleCopy() {
    TestEnvironment env;
    Opportunities c;
    addNumbered(c, 1);
    addNumbered(c, 2);
    Opportunity x;
    x.setDescription("Renewal");
    x.setCompany("Harbor Logistics");
    x.setSalesOwner("kim");
    x.setDateCreated("yesterday");
    x.setVisible(false);
    Opportunity* stored = c.AppendOpportunity(x);
    QVERIFY(stored);
    QCOMPARE(x.RecordNumber(), 3);
    QVERIFY(stored != &x);
    QCOMPARE(c.Item("Key=3"), stored);
    QVERIFY(stored->sameRecord(x));
    QVERIFY(stored->Visible());
    // The copy is independent of the caller's object.
    x.setDescription("changed");
    QCOMPARE(stored->Description(), QStringLiteral("Renewal"));
}

void tst_Opportunities::keysAndPositions() {
    TestEnvironment env;
    Opportunities c;
    Opportunity* first = addNumbered(c, 12);
    Opportunity* second = addNumbered(c, 4);
    QCOMPARE(c.Item("Key=12"), first);
    QCOMPARE(c.Item(1), first);
    QCOMPARE(c.Item(2), second);
    QCOMPARE(c.KeyAt(2), QStringLiteral("Key=4"));
    QVERIFY(!c.Item(0));
    QVERIFY(!c.Item(3));
    QVERIFY(!c.Item("Key=99"));
    QVERIFY(!c.Remove("Key=99"));
    QVERIFY(!c.Remove(3));

    // A key in use is refused and changes nothing.
    QVERIFY(!addNumbered(c, 12));
    QCOMPARE(c.Count(), 2);

    // The key stays with the item when its number changes later.
    first->setRecordNumber(77);
    QCOMPARE(c.Item("Key=12"), first);

    // Items without a key are counted and reachable by position only.
    auto unkeyed = std::make_unique<Opportunity>();
    Opportunity* raw = c.Add(std::move(unkeyed), QString());
    QCOMPARE(c.Item(3), raw);
    QVERIFY(c.Remove(1));
    QCOMPARE(c.Item(1), second);
    QVERIFY(!c.Item("Key=12"));

    QStringList order;
    for (const Opportunity& o : c)
        order << QString::number(o.RecordNumber());
    QCOMPARE(order, (QStringList{"4", "0"}));
}

void tst_Opportunities::numberingStopsAtTheLargestNumber() {
    TestEnvironment env;
    Opportunities c;
    addNumbered(c, std::numeric_limits<qint32>::max());
    QVERIFY(!c.NextRecordNumber());
    Opportunity x;
    QVERIFY(!c.AppendOpportunity(x));
    QCOMPARE(c.Count(), 1);
    QCOMPARE(x.RecordNumber(), 0);
}

QTEST_GUILESS_MAIN(tst_Opportunities)
#include "tst_Opportunities.moc"
