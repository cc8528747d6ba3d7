#include "TestEnvironment.h"

#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/OpportunitySortProxy.h"
#include "settings/ColumnsInfo.h"
#include "store/Opportunities.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
// A collection of opportunities with the given descriptions and unit prices, record numbers 1..n.
void fill(Opportunities& collection, const QStringList& descriptions,
          const QStringList& prices = {}) {
    for (qsizetype i = 0; i < descriptions.size(); ++i) {
        Opportunity o;
        o.setDescription(descriptions[i]);
        o.setUnitPrice(i < prices.size() ? prices[i] : QStringLiteral("0"));
        o.setCompany(QStringLiteral("Company %1").arg(i + 1));
        o.setNote(QStringLiteral("Note %1").arg(i + 1));
        o.setOrderYear(QStringLiteral("2027"));
        o.setOrderMonth(QStringLiteral("March"));
        o.setOrderDay(QStringLiteral("05"));
        collection.AppendOpportunity(o);
    }
}

QStringList column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}
} // namespace

class tst_OpportunityListModel : public QObject {
    Q_OBJECT
private slots:
    void columnsAndCells();
    void hiddenOpportunitiesAndKeys();
    void textSort_data();
    void textSort();
    void rebuildAndSortAtTheLimit();
};

void tst_OpportunityListModel::columnsAndCells() {
    TestEnvironment env;
    Opportunities collection;
    fill(collection, {QStringLiteral("Alpha")}, {QStringLiteral("$1,500.00")});
    OpportunityListModel model;
    model.Rebuild(collection, {QStringLiteral("Note"), QStringLiteral("UnitPrice"),
                               QStringLiteral("Quantity"), QStringLiteral("OrderDate")});

    // Four data columns and the empty last one, with their captions and keys.
    QCOMPARE(model.columnCount(), 5);
    QCOMPARE(model.DataColumnCount(), 4);
    const QStringList captions{QStringLiteral("Note"), QStringLiteral("Price"),
                               QStringLiteral("Qty."), QStringLiteral("YY-MM-DD"), QString()};
    for (int c = 0; c < 5; ++c)
        QCOMPARE(model.headerData(c, Qt::Horizontal).toString(), captions[c]);
    QCOMPARE(model.headerData(1, Qt::Horizontal, OpportunityListModel::KeyRole).toString(),
             QStringLiteral("UnitPrice"));
    QCOMPARE(model.headerData(4, Qt::Horizontal, OpportunityListModel::KeyRole).toString(),
             QString());

    // The first displayed column is the row text; cells are the stored texts unchanged.
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Note 1"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("$1,500.00"));
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("0"));
    QCOMPARE(model.index(0, 3).data().toString(), QStringLiteral("2027-03-05"));
    QCOMPARE(model.index(0, 4).data().toString(), QString());
    QCOMPARE(model.ColumnOf(QStringLiteral("Quantity")), 2);
    QCOMPARE(model.ColumnOf(QStringLiteral("Description")), -1);
    QCOMPARE(model.ColumnOf(QString()), -1);
}

void tst_OpportunityListModel::hiddenOpportunitiesAndKeys() {
    TestEnvironment env;
    Opportunities collection;
    fill(collection, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    collection.Item(QStringLiteral("Key=2"))->setVisible(false);
    collection.Remove(QStringLiteral("Key=1"));
    Opportunity late;
    late.setDescription(QStringLiteral("D"));
    collection.AppendOpportunity(late); // record number 4

    OpportunityListModel model;
    model.Rebuild(collection, {QStringLiteral("Description")});
    QCOMPARE(column(model, 0), (QStringList{QStringLiteral("C"), QStringLiteral("D")}));
    QCOMPARE(model.index(0, 0).data(OpportunityListModel::KeyRole).toString(),
             QStringLiteral("Key=3"));
    QCOMPARE(model.KeyAt(1), QStringLiteral("Key=4"));
    QCOMPARE(model.RowOf(QStringLiteral("Key=4")), 1);
    QCOMPARE(model.RowOf(QStringLiteral("Key=2")), -1);  // filtered out
    QCOMPARE(model.RowOf(QStringLiteral("Key=04")), -1); // not the form of a row key
    QCOMPARE(model.KeyAt(2), QString());

    model.Clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 1);
}

void tst_OpportunityListModel::textSort_data() {
    QTest::addColumn<QString>("columnKey");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("expected");
    // Money sorts as text, and letter case does not count; equal texts keep collection order.
    QTest::newRow("price ascending")
        << "UnitPrice" << int(Qt::AscendingOrder) << QStringList{"100", "20", "3", "3", "apple"};
    QTest::newRow("price descending")
        << "UnitPrice" << int(Qt::DescendingOrder) << QStringList{"apple", "3", "3", "20", "100"};
    QTest::newRow("description ascending") << "Description" << int(Qt::AscendingOrder)
                                           << QStringList{"alpha", "beta", "Beta", "Gamma", "zeta"};
}

void tst_OpportunityListModel::textSort() {
    QFETCH(QString, columnKey);
    QFETCH(int, order);
    QFETCH(QStringList, expected);
    TestEnvironment env;
    Opportunities collection;
    fill(collection,
         {QStringLiteral("Gamma"), QStringLiteral("beta"), QStringLiteral("alpha"),
          QStringLiteral("zeta"), QStringLiteral("Beta")},
         {QStringLiteral("20"), QStringLiteral("3"), QStringLiteral("100"), QStringLiteral("apple"),
          QStringLiteral("3")});
    OpportunityListModel model;
    OpportunitySortProxy proxy;
    proxy.setSourceModel(&model);
    model.Rebuild(collection, {QStringLiteral("Description"), QStringLiteral("UnitPrice")});
    const int sortColumn = model.ColumnOf(columnKey);
    proxy.sort(sortColumn, Qt::SortOrder(order));
    QCOMPARE(column(proxy, sortColumn), expected);
    if (columnKey == QLatin1String("UnitPrice")) {
        // Of the two "3" rows, "beta" (earlier in the collection) comes first either way.
        const int first = static_cast<int>(expected.indexOf(QStringLiteral("3")));
        QCOMPARE(proxy.index(first, 0).data().toString(), QStringLiteral("beta"));
    }
    // Sort column -1: collection order again.
    proxy.sort(-1);
    QCOMPARE(column(proxy, 0).constFirst(), QStringLiteral("Gamma"));
}

// One rebuild and a sort by a text column over the data model's limit of opportunities.
void tst_OpportunityListModel::rebuildAndSortAtTheLimit() {
    TestEnvironment env;
    Opportunities collection;
    collection.reserve(32767);
    const int n = 32767;
    for (int i = 0; i < n; ++i) {
        auto o = std::make_unique<Opportunity>(Opportunity::Blank{});
        o->setRecordNumber(i + 1);
        o->setDescription(QStringLiteral("Opportunity %1").arg((qint64(i) * 7919) % 32767));
        o->setCompany(QStringLiteral("Company %1").arg((qint64(i) * 104729) % 5000));
        o->setOrderYear(QStringLiteral("2027"));
        o->setOrderMonth(QStringLiteral("May"));
        o->setOrderDay(QStringLiteral("1"));
        collection.Add(std::move(o), Opportunities::KeyFor(i + 1));
    }
    OpportunityListModel model;
    OpportunitySortProxy proxy;
    proxy.setSourceModel(&model);
    const QStringList columns = ColumnsInfo::ColumnKeys();
    QElapsedTimer timer;
    timer.start();
    proxy.sort(-1);
    model.Rebuild(collection, columns);
    proxy.sort(model.ColumnOf(QStringLiteral("Company")), Qt::AscendingOrder);
    const qint64 elapsed = timer.elapsed();
    qInfo("rebuild + sort of 32767 rows: %lld ms", elapsed);
    QCOMPARE(proxy.rowCount(), n);
    const int company = model.ColumnOf(QStringLiteral("Company"));
    for (int row = 1; row < proxy.rowCount(); ++row) {
        QVERIFY(QString::compare(proxy.index(row - 1, company).data().toString(),
                                 proxy.index(row, company).data().toString(),
                                 Qt::CaseInsensitive) <= 0);
    }
    // Generous: catches work that grows faster than n log n, not a slow machine.
    QVERIFY2(elapsed < 3000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
}

QTEST_GUILESS_MAIN(tst_OpportunityListModel)
#include "tst_OpportunityListModel.moc"
