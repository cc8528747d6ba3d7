#include "SalesFixtures.h"
#include "TestEnvironment.h"

#include "filter/Filters.h"
#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/OpportunitySortProxy.h"
#include "store/Opportunities.h"
#include "store/SalesDatabase.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {
// A collection of opportunities with the given descriptions and unit prices, record numbers 1..n.
void fill(Opportunities& collection, const QStringList& descriptions,
          const QStringList& prices = {}) {
    for (qsizetype i = 0; i < descriptions.size(); ++i) {
        Opportunity o;
        o.setDescription(descriptions[i]);
        o.setUnitPrice(i < prices.size() ? prices[i] : QStringLiteral("0"));
        o.setNote(QStringLiteral("Note ") + descriptions[i]);
        o.setOrderYear(QStringLiteral("2027"));
        o.setOrderMonth(QStringLiteral("March"));
        o.setOrderDay(QStringLiteral("05"));
        o.setRecordNumber(*collection.nextRecordNumber());
        collection.add(std::make_unique<Opportunity>(o), Opportunities::keyFor(o.recordNumber()));
    }
}

QStringList column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

QStringList headers(const QAbstractItemModel& model, int role) {
    QStringList texts;
    for (int c = 0; c < model.columnCount(); ++c)
        texts.append(model.headerData(c, Qt::Horizontal, role).toString());
    return texts;
}
} // namespace

class TestOpportunityListModel : public QObject {
    Q_OBJECT
private slots:
    void columnsCellsAndKeys();
    void everyColumnShowsItsOwnField_data();
    void everyColumnShowsItsOwnField();
    void textSort_data();
    void textSort();
    void followsTheWorkspaceRowByRow();
};

void TestOpportunityListModel::columnsCellsAndKeys() {
    TestEnvironment env;
    Opportunities collection;
    fill(collection, {"A", "B", "C"}, {"1", "2", "$1,500.00"});
    collection.item("Key=2")->setVisible(false);
    collection.remove("Key=1");
    fill(collection, {"D"}); // record number 4
    OpportunityListModel model;
    model.rebuild(collection, {"Note", "UnitPrice", "Quantity", "OrderDate"});

    // Four data columns and the empty last one, with their captions and keys.
    QCOMPARE(model.dataColumnCount(), 4);
    QCOMPARE(headers(model, Qt::DisplayRole),
             (QStringList{"Note", "Price", "Qty.", "YY-MM-DD", QString()}));
    QCOMPARE(headers(model, OpportunityListModel::KeyRole),
             (QStringList{"Note", "UnitPrice", "Quantity", "OrderDate", QString()}));
    QCOMPARE(model.columnOf("Quantity"), 2);
    QCOMPARE(model.columnOf("Description"), -1);
    QCOMPARE(model.columnOf(QString()), -1);
    // Visible opportunities only, in collection order; cells are the stored texts unchanged.
    QCOMPARE(column(model, 0), (QStringList{"Note C", "Note D"}));
    QCOMPARE(column(model, 1), (QStringList{"$1,500.00", "0"}));
    QCOMPARE(column(model, 3), (QStringList{"2027-03-05", "2027-03-05"}));
    QCOMPARE(column(model, 4), (QStringList{QString(), QString()}));
    QCOMPARE(model.index(0, 0).data(OpportunityListModel::KeyRole).toString(), "Key=3");
    QCOMPARE(model.keyAt(1), "Key=4");
    QCOMPARE(model.keyAt(2), QString());
    QCOMPARE(model.rowOf("Key=4"), 1);
    QCOMPARE(model.rowOf("Key=2"), -1);  // filtered out
    QCOMPARE(model.rowOf("Key=04"), -1); // not the form of a row key

    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 1);
}

void TestOpportunityListModel::everyColumnShowsItsOwnField_data() {
    QTest::addColumn<QString>("columnKey");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("rightAligned");
    const struct {
        const char* key;
        const char* text;
        bool right;
    } columns[] = {
        {"Description", "description text", false},
        {"Company", "company text", false},
        {"Department", "department text", false},
        {"Contact", "contact text", false},
        {"Note", "note text", false},
        {"Product", "product text", false},
        {"UnitPrice", "11", true},
        {"Quantity", "22", true},
        {"Revenue", "33", true},
        {"Stage", "stage text", false},
        {"Probability", "probability text", false},
        {"Forecast", "fc", false},
        {"Source", "source text", false},
        {"OrderDate", "2029-07-08", false},
    };
    for (const auto& c : columns)
        QTest::newRow(c.key) << QString(c.key) << QString(c.text) << c.right;
}

void TestOpportunityListModel::everyColumnShowsItsOwnField() {
    QFETCH(QString, columnKey);
    QFETCH(QString, text);
    QFETCH(bool, rightAligned);
    TestEnvironment env;
    // Every field holds a text of its own.
    Opportunity o;
    o.setDescription("description text");
    o.setCompany("company text");
    o.setDepartment("department text");
    o.setContact("contact text");
    o.setNote("note text");
    o.setProduct("product text");
    o.setUnitPrice("11");
    o.setQuantity("22");
    o.setRevenue("33");
    o.setStage("stage text");
    o.setProbability("probability text");
    o.setForecast("fc");
    o.setSource("source text");
    o.setOrderYear("2029");
    o.setOrderMonth("July");
    o.setOrderDay("08");
    o.setSalesOwner("owner text");
    Opportunities collection;
    collection.add(std::make_unique<Opportunity>(o), Opportunities::keyFor(0));
    OpportunityListModel model;
    // The column alone, and among all fourteen in reverse order.
    QStringList all{"Description", "Company",   "Department", "Contact",  "Note",
                    "Product",     "UnitPrice", "Quantity",   "Revenue",  "Stage",
                    "Probability", "Forecast",  "Source",     "OrderDate"};
    std::reverse(all.begin(), all.end());
    for (const QStringList& keys : {QStringList{columnKey}, all}) {
        model.rebuild(collection, keys);
        const int c = model.columnOf(columnKey);
        QCOMPARE(model.index(0, c).data().toString(), text);
        const auto alignment = Qt::Alignment(model.index(0, c).data(Qt::TextAlignmentRole).toInt());
        QCOMPARE(bool(alignment & Qt::AlignRight), rightAligned);
    }
}

void TestOpportunityListModel::textSort_data() {
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

void TestOpportunityListModel::textSort() {
    QFETCH(QString, columnKey);
    QFETCH(int, order);
    QFETCH(QStringList, expected);
    TestEnvironment env;
    Opportunities collection;
    fill(collection, {"Gamma", "beta", "alpha", "zeta", "Beta"}, {"20", "3", "100", "apple", "3"});
    OpportunityListModel model;
    OpportunitySortProxy proxy;
    proxy.setSourceModel(&model);
    model.rebuild(collection, {"Description", "UnitPrice"});
    const int sortColumn = model.columnOf(columnKey);
    proxy.sort(sortColumn, Qt::SortOrder(order));
    QCOMPARE(column(proxy, sortColumn), expected);
    if (columnKey == "UnitPrice") {
        // Of the two "3" rows, "beta" (earlier in the collection) comes first either way.
        QCOMPARE(proxy.index(int(expected.indexOf("3")), 0).data().toString(), "beta");
    }
    // Sort column -1: collection order again.
    proxy.sort(-1);
    QCOMPARE(column(proxy, 0).constFirst(), "Gamma");
}

// The model follows the workspace by itself: an edit changes one row, an add inserts one, a
// remove removes one, and only a merge, a filter pass or another shown database reads the rows
// anew; the model and the sorted view over it stay consistent throughout.
void TestOpportunityListModel::followsTheWorkspaceRowByRow() {
    TestEnvironment env;
    ApplicationSettings settings(env.store());
    using SalesFixtures::Row;
    const QString file = SalesFixtures::makeDatabase(
        env.path("Pipeline.mdb"), {Row{"Bravo", "300"}, Row{"Alpha", "200"}, Row{"Delta", "400"}});
    const QString source =
        SalesFixtures::makeDatabase(env.path("Source.mdb"), {Row{"Charlie", "100"}});
    OpenDatabases workspace(settings.filters());
    OpportunityListModel model;
    model.rebuild(Opportunities(), {"Description", "Revenue"});
    model.followWorkspace(&workspace);
    OpportunitySortProxy proxy;
    proxy.setSourceModel(&model);
    proxy.sort(0);
    QAbstractItemModelTester modelCheck(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester proxyCheck(&proxy,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removes(&model, &QAbstractItemModel::rowsRemoved);

    QVERIFY(workspace.open(file));
    QCOMPARE(resets.size(), 1);
    QCOMPARE(column(proxy, 0), (QStringList{"Alpha", "Bravo", "Delta"}));
    resets.clear();

    // An edit: one row's cells change, nothing is read anew.
    Opportunity edited(*workspace.shown()->opportunities().item("Key=2"));
    edited.setDescription("Echo");
    edited.setRevenue("250");
    QVERIFY(workspace.update("Key=2", edited));
    QCOMPARE(changes.size(), 1);
    const auto first = changes.first().at(0).value<QModelIndex>();
    const auto last = changes.first().at(1).value<QModelIndex>();
    QCOMPARE(first.row(), model.rowOf("Key=2"));
    QCOMPARE(last.row(), first.row());
    QCOMPARE(first.column(), 0);
    QCOMPARE(last.column(), model.columnCount() - 1);
    QCOMPARE(model.index(first.row(), 1).data().toString(), QStringLiteral("250"));
    QCOMPARE(column(proxy, 0), (QStringList{"Bravo", "Delta", "Echo"}));

    // An add inserts its row at the end of the model, a remove takes its row out.
    Opportunity fresh;
    fresh.setDescription("Foxtrot");
    fresh.setRevenue("500");
    const auto key = workspace.add(fresh);
    QVERIFY(key);
    QCOMPARE(inserts.size(), 1);
    QCOMPARE(inserts.first().at(1).toInt(), 3);
    QCOMPARE(model.keyAt(3), *key);
    QVERIFY(workspace.remove("Key=1"));
    QCOMPARE(removes.size(), 1);
    QCOMPARE(removes.first().at(1).toInt(), 0);
    QCOMPARE(model.rowOf("Key=1"), -1);
    QCOMPARE(column(proxy, 0), (QStringList{"Delta", "Echo", "Foxtrot"}));
    QCOMPARE(resets.size(), 0);

    // A merge and a filter pass read the rows anew.
    QCOMPARE(workspace.mergeDatabase(source).status, DataMerge::Status::Merged);
    QCOMPARE(resets.size(), 1);
    QCOMPARE(column(proxy, 0), (QStringList{"Charlie", "Delta", "Echo", "Foxtrot"}));
    Filters filters(env.store());
    filters.item(QStringLiteral("Low"))->setValue(0.0);
    filters.item(QStringLiteral("High"))->setValue(300.0);
    workspace.filterAll(filters);
    QCOMPARE(resets.size(), 2);
    QCOMPARE(column(proxy, 0), (QStringList{"Charlie", "Echo"}));

    // Closing the shown database lets go of its rows before it goes.
    workspace.closeShown();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.dataColumnKeys(), (QStringList{"Description", "Revenue"}));
}

QTEST_GUILESS_MAIN(TestOpportunityListModel)
#include "TestOpportunityListModel.moc"
