#include "TestEnvironment.h"

#include "store/NumericText.h"
#include "store/Opportunities.h"

#include <QtTest>
#include <limits>
#include <thread>
#include <vector>

class TestOpportunities : public QObject {
    Q_OBJECT

private slots:
    void orderDate_data();
    void orderDate();
    void orderDateFillsEmptyYear();
    void keyValue_data();
    void keyValue();
    void amounts_data();
    void amounts();
    void typedAmounts_data();
    void typedAmounts();
    void numberingAndTotals();
    void listedFieldsKeepTheirTexts();
    void numberingStopsAtTheLargestNumber();
};

void TestOpportunities::orderDate_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("expected"); // "MM" stands for the current month
    const auto row = [](const char* name, const QString& year, const QString& month,
                        const QString& day, const QString& expected) {
        QTest::newRow(name) << year << month << day << expected;
    };
    row("padded day", "2004", "March", "07", "2004-03-07");
    row("day kept as stored", "2004", "March", "7", "2004-03-7");
    row("December", "2030", "December", "31", "2030-12-31");
    row("short name", "2030", "Dec", "31", "2030-12-31");
    row("letter case differs", "2004", "march", "07", "2004-MM-07");
    row("other language", "2004", "März", "07", "2004-MM-07");
    row("empty month", "2004", "", "07", "2004-MM-07");
}

void TestOpportunities::orderDate() {
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
    QCOMPARE(o.orderDate(), expected);
    QCOMPARE(o.orderMonth(), month); // never rewritten
    QCOMPARE(o.keyValue("OrderDate").toString(), expected);
}

void TestOpportunities::orderDateFillsEmptyYear() {
    TestEnvironment env;
    Opportunity o;
    o.setOrderYear("");
    o.setOrderMonth("nonsense");
    o.setOrderDay("99");
    const QDate today = QDate::currentDate();
    // Reading the cell text does not change the record...
    QCOMPARE(o.keyValue("OrderDate").toString(), today.toString("yyyy-MM-dd"));
    QCOMPARE(o.orderYear(), QString());
    // ...while orderDate() fills in today.
    QCOMPARE(o.orderDate(), today.toString("yyyy-MM-dd"));
    QCOMPARE(o.orderYear(), today.toString("yyyy"));
    QCOMPARE(o.orderMonth(), QLocale().monthName(today.month()));
    QCOMPARE(o.orderDay(), today.toString("dd"));
}

void TestOpportunities::keyValue_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("RecordNumber is a number") << "RecordNumber" << QVariant(qint32(42));
    QTest::newRow("Description") << "Description" << QVariant("Fleet renewal");
    QTest::newRow("SalesOwner hidden") << "SalesOwner" << QVariant("");
    QTest::newRow("DateCreated hidden") << "DateCreated" << QVariant("");
    QTest::newRow("case matters") << "description" << QVariant("");
    QTest::newRow("unknown") << "Nothing" << QVariant("");
}

void TestOpportunities::keyValue() {
    QFETCH(QString, key);
    QFETCH(QVariant, expected);
    TestEnvironment env;
    Opportunity o;
    o.setRecordNumber(42);
    o.setDescription("Fleet renewal");
    o.setSalesOwner("owner");
    o.setDateCreated("1/2/2003 4:05:06 AM");
    const QVariant value = o.keyValue(key);
    QCOMPARE(value.typeId(), expected.typeId());
    QCOMPARE(value, expected);
}

namespace {
const char* const amountLocales[] = {"en_US", "de_DE", "fr_FR", "de_CH",
                                     "it_IT", "pt_BR", "ja_JP", "en_IN"};
} // namespace

void TestOpportunities::amounts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("amount");
    // What each locale writes for an amount with two decimals, as currency and as a number.
    for (const char* writer : amountLocales) {
        const QLocale locale(writer);
        for (const double amount : {1234567.89, 1234.5, 999.99, 1000.0, 12.05, 0.5}) {
            const QString currency = locale.toCurrencyString(amount, QString(), 2);
            const QString number = locale.toString(amount, 'f', 2);
            QTest::addRow("%s %s", writer, qPrintable(currency)) << currency << amount;
            QTest::addRow("%s %s", writer, qPrintable(number)) << number << amount;
        }
    }
    // Texts by their shape: a single point is the decimal point, a single comma is one when
    // one or two digits follow it, a separator that repeats groups thousands.
    const auto row = [](const QString& text, double amount) {
        QTest::addRow("%s", qPrintable(text)) << text << amount;
    };
    row("1.125", 1.125);
    row("1.250", 1.25);
    row("1,250", 1250);
    row("1,25", 1.25);
    row("1,5", 1.5);
    row("1,2500", 1.25);
    row("1.250.000", 1250000);
    row("1,250,000", 1250000);
    row("1.250,5 €", 1250.5);
    row("12,34,567.89", 1234567.89);
    row("CHF -1'250.50", 1250.5);
    row("$12,500.00", 12500);
    row("-$40.25", 40.25);
    row("($7.50)", 7.5);
    row("250", 250);
    row(".5", 0.5);
    row("5.", 5);
    row("3 pcs", 3);
    row("abc", 0);
    row("", 0);
    row("\u0661\u0662", 0);
}

void TestOpportunities::amounts() {
    QFETCH(QString, text);
    QFETCH(double, amount);
    // A stored amount reads the same whatever the reader's locale.
    for (const char* reader : amountLocales) {
        TestEnvironment env{QLocale(reader)};
        QCOMPARE(amountOf(text), amount);
        Opportunity o;
        o.setRevenue(text);
        QCOMPARE(o.revenueAmount(), amount);
    }
}

void TestOpportunities::typedAmounts_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("amount");
    const auto row = [](const char* locale, const QString& text, double amount) {
        QTest::addRow("%s %s", locale, qPrintable(text)) << QString(locale) << text << amount;
    };
    // What the user types is read in the user's locale first.
    row("de_DE", "1.250", 1250);
    row("en_US", "1.250", 1.25);
    row("de_DE", "1.250,5", 1250.5);
    row("fr_FR", "1 250,50 €", 1250.5);
    row("de_CH", "1’250.50", 1250.5);
    // Else by its shape.
    row("de_DE", "$1,250.00", 1250);
    row("en_US", "1,25", 1.25);
    row("en_US", "abc", 0);
}

void TestOpportunities::typedAmounts() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, amount);
    TestEnvironment env{QLocale(locale)};
    QCOMPARE(typedAmountOf(text), amount);
}

// The fields held as numbers of the process-wide table read back as set, from any thread,
// and a text once read stays valid while the table grows.
void TestOpportunities::listedFieldsKeepTheirTexts() {
    Opportunity first;
    first.setStage("Stage zero");
    first.setOrderDay("");
    const QString& held = first.stage();
    const auto fill = [](int from, std::vector<Opportunity>& out) {
        for (int i = from; i < from + 3000; ++i) {
            Opportunity o;
            o.setStage(QStringLiteral("Stage %1").arg(i));
            o.setSalesOwner(QStringLiteral("Owner %1").arg(i % 7));
            o.setCompany(QStringLiteral("Company %1").arg(i));
            out.push_back(o);
        }
    };
    std::vector<Opportunity> a;
    std::vector<Opportunity> b;
    std::thread other([&] { fill(100000, b); });
    fill(0, a);
    other.join();
    QCOMPARE(held, QStringLiteral("Stage zero"));
    QCOMPARE(first.orderDay(), QString());
    for (int i = 0; i < 3000; i += 499) {
        QCOMPARE(a[size_t(i)].stage(), QStringLiteral("Stage %1").arg(i));
        QCOMPARE(b[size_t(i)].stage(), QStringLiteral("Stage %1").arg(100000 + i));
        QCOMPARE(b[size_t(i)].salesOwner(), QStringLiteral("Owner %1").arg((100000 + i) % 7));
        QCOMPARE(a[size_t(i)].company(), QStringLiteral("Company %1").arg(i));
    }
    // A copy is the same record until a listed field differs.
    Opportunity copy = a[1];
    QVERIFY(copy.sameRecord(a[1]));
    copy.setStage(a[2].stage());
    QVERIFY(!copy.sameRecord(a[1]));
    Opportunity blank{Opportunity::Blank{}};
    blank.copyFieldsFrom(a[2]);
    QCOMPARE(blank.stage(), a[2].stage());
    QCOMPARE(blank.text(OpportunityFields::Stage), QStringLiteral("Stage 2"));
}

namespace {
Opportunity* addNumbered(Opportunities& c, qint32 number, const QString& revenue = "0") {
    Opportunity o;
    o.setRecordNumber(number);
    o.setRevenue(revenue);
    auto item = std::make_unique<Opportunity>(o);
    return c.add(std::move(item), Opportunities::keyFor(number));
}
} // namespace

void TestOpportunities::numberingAndTotals() {
    TestEnvironment env;
    Opportunities c;
    QCOMPARE(c.count(), 0);
    QCOMPARE(c.unFilteredCount(), 0);
    QCOMPARE(c.totalRevenue(), 0.0);
    QCOMPARE(c.filteredRevenue(), 0.0);
    QCOMPARE(*c.nextRecordNumber(), 1);

    addNumbered(c, 3, "$1,000.00");
    addNumbered(c, 8, "250");
    Opportunity* hidden = addNumbered(c, 5, "abc");
    QCOMPARE(*c.nextRecordNumber(), 9); // the highest plus one, not the count
    QCOMPARE(c.totalRevenue(), 1250.0);
    QCOMPARE(numericText("$1,000.00"), QStringLiteral("1000.00"));

    hidden->setRevenue("$100");
    hidden->setVisible(false);
    QCOMPARE(c.count(), 3);
    QCOMPARE(c.unFilteredCount(), 2);
    QCOMPARE(c.totalRevenue(), 1350.0);
    QCOMPARE(c.filteredRevenue(), 1250.0);

    // Numbers freed by a removal are reused only when they were the highest.
    QVERIFY(c.remove(Opportunities::keyFor(5)));
    QCOMPARE(*c.nextRecordNumber(), 9);
    QVERIFY(c.remove(Opportunities::keyFor(8)));
    QCOMPARE(*c.nextRecordNumber(), 4);

    Opportunities negative;
    addNumbered(negative, -4);
    addNumbered(negative, 0);
    QCOMPARE(*negative.nextRecordNumber(), 1);
}

void TestOpportunities::numberingStopsAtTheLargestNumber() {
    TestEnvironment env;
    Opportunities c;
    addNumbered(c, std::numeric_limits<qint32>::max());
    QVERIFY(!c.nextRecordNumber());
}

QTEST_GUILESS_MAIN(TestOpportunities)
#include "TestOpportunities.moc"
