#include "SalesFixtures.h"
#include "TestEnvironment.h"

#include "board/BoardColumnModel.h"
#include "board/BoardModel.h"
#include "board/CardSortProxy.h"
#include "filter/Filters.h"
#include "store/SalesDatabase.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QUndoGroup>
#include <QtTest>
#include <memory>
#include <vector>

using SalesFixtures::Row;

namespace {

// The stages of the board, in order, as a user reads them in the Stage box.
const QStringList Stages{"Lead",
                         "Identify Opportunity",
                         "Assess Business",
                         "Develop Solution",
                         "Present/Propose",
                         "Gain Commitment",
                         "Implement/Confirm"};

// A fixture row with the amount and the percentage that the test expects of it, worked out by
// hand.
struct Expected {
    Row row;
    double amount;
    int percent;
};

// Record numbers 1..n: every probability of the list, one outside it, none; stages of the list,
// two outside it (another program's and an empty one); plain, formatted, empty and odd revenues.
const std::vector<Expected>& fixture() {
    static const std::vector<Expected> rows{
        {{"Ledger", "1000", "Acme", "1", "0% - Lost", "Lead"}, 1000.0, 0},
        {{"Laptops", "$1,250.50", "Birch", "1", "25% - Long Shot", "Lead"}, 1250.5, 25},
        {{"Licences", "", "Cobalt", "1", "50% - Competitive", "Lead"}, 0.0, 50},
        {{"Servers", "2000", "Dune", "1", "75% - Favored", "Assess Business"}, 2000.0, 75},
        {{"Support", "12.5.3", "Ember", "1", "90% - Verbal Commitment", "Assess Business"},
         1253.0,
         90},
        {{"Printers", "400", "Fjord", "1", "100% - Won", "Gain Commitment"}, 400.0, 100},
        {{"Routers", "n/a", "Garnet", "1", "100% - Won", "Gain Commitment"}, 0.0, 100},
        {{"Cabling", "800", "Harbor", "1", "60% - Hopeful", "Negotiation"}, 800.0, 60},
        {{"Desks", "300", "Iris", "1", "", ""}, 300.0, 0},
        {{"Chairs", "(150)", "Jade", "1", "25% - Long Shot", "Implement/Confirm"}, 150.0, 25},
    };
    return rows;
}

QStringList keysOf(const QAbstractItemModel& model) {
    QStringList keys;
    for (int row = 0; row < model.rowCount(); ++row)
        keys.append(model.index(row, 0).data(BoardColumnModel::KeyRole).toString());
    return keys;
}

// Spies on the row signals of every column of a board.
struct ColumnSpies {
    explicit ColumnSpies(const BoardModel& board) {
        for (int column = 0; column < board.columnCount(); ++column) {
            BoardColumnModel* model = &board.column(column);
            resets.push_back(std::make_unique<QSignalSpy>(model, &QAbstractItemModel::modelReset));
            inserts.push_back(
                std::make_unique<QSignalSpy>(model, &QAbstractItemModel::rowsInserted));
            removes.push_back(
                std::make_unique<QSignalSpy>(model, &QAbstractItemModel::rowsRemoved));
            changes.push_back(
                std::make_unique<QSignalSpy>(model, &QAbstractItemModel::dataChanged));
            checks.push_back(std::make_unique<QAbstractItemModelTester>(
                model, QAbstractItemModelTester::FailureReportingMode::QtTest));
        }
    }
    // Rows inserted and removed per column ("+1" "-1"), resets as "R", since the last call.
    QStringList take() {
        QStringList seen;
        for (size_t column = 0; column < resets.size(); ++column) {
            QString text;
            for (const auto& insert : *inserts[column])
                text += QStringLiteral("+%1").arg(insert.at(2).toInt() - insert.at(1).toInt() + 1);
            for (const auto& remove : *removes[column])
                text += QStringLiteral("-%1").arg(remove.at(2).toInt() - remove.at(1).toInt() + 1);
            if (!resets[column]->isEmpty())
                text += QLatin1Char('R');
            seen.append(text);
            resets[column]->clear();
            inserts[column]->clear();
            removes[column]->clear();
        }
        return seen;
    }
    std::vector<std::unique_ptr<QSignalSpy>> resets, inserts, removes, changes;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> checks;
};

} // namespace

class TestBoardModel : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void columnsCountsAndSums();
    void cardsShowTheirOpportunity_data();
    void cardsShowTheirOpportunity();
    void movesWriteTheStageRowByRow();
    void followsTheWorkspaceRowByRow();
    void listSortAppliesWithinColumns_data();
    void listSortAppliesWithinColumns();

private:
    // The fixture database, opened in a workspace with every opportunity visible, followed by
    // a board.
    void openFixture();

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<OpenDatabases> m_workspace;
    std::unique_ptr<BoardModel> m_board;
    QString m_file;
};

void TestBoardModel::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
    m_workspace = std::make_unique<OpenDatabases>(m_settings->filters());
    m_board = std::make_unique<BoardModel>();
    m_board->followWorkspace(m_workspace.get());
}

void TestBoardModel::cleanup() {
    m_board.reset();
    m_workspace.reset();
    m_settings.reset();
    m_env.reset();
}

void TestBoardModel::openFixture() {
    QList<Row> rows;
    for (const Expected& expected : fixture())
        rows.append(expected.row);
    m_file = SalesFixtures::makeDatabase(m_env->path("Pipeline.mdb"), rows);
    m_settings->filters().setEnabled(false);
    QVERIFY(m_workspace->open(m_file));
}

// Every column against a computation of its own over the fixture: the stages of the list in
// their order, then one column for every stage outside it; count, revenue and weighted revenue.
void TestBoardModel::columnsCountsAndSums() {
    QSignalSpy shown(m_board.get(), &BoardModel::columnShownChanged);
    openFixture();

    QCOMPARE(m_board->columnCount(), Stages.size() + 1);
    struct Sums {
        QStringList keys;
        double revenue = 0;
        double weighted = 0;
    };
    std::vector<Sums> expected(static_cast<size_t>(Stages.size() + 1));
    for (size_t i = 0; i < fixture().size(); ++i) {
        const Expected& row = fixture()[i];
        const qsizetype stage = Stages.indexOf(row.row.stage);
        Sums& sums = expected[static_cast<size_t>(stage < 0 ? Stages.size() : stage)];
        sums.keys.append(QStringLiteral("Key=%1").arg(i + 1));
        sums.revenue += row.amount;
        sums.weighted += row.amount * row.percent / 100.0;
    }
    for (int column = 0; column < m_board->columnCount(); ++column) {
        const BoardColumnModel& model = m_board->column(column);
        const Sums& sums = expected[static_cast<size_t>(column)];
        QCOMPARE(model.title(), column < Stages.size() ? Stages[column] : QString("Other stages"));
        QCOMPARE(keysOf(model), sums.keys);
        QVERIFY2(qAbs(model.revenue() - sums.revenue) < 1e-9, qPrintable(model.title()));
        QVERIFY2(qAbs(model.weightedRevenue() - sums.weighted) < 1e-9, qPrintable(model.title()));
        QCOMPARE(m_board->isShown(column), column < Stages.size() || !sums.keys.isEmpty());
    }
    // The sums read as the status bar shows amounts.
    QCOMPARE(m_board->column(0).revenueText(), QStringLiteral("$2,250.50"));
    QCOMPARE(m_board->column(0).weightedRevenueText(), QStringLiteral("$312.63"));
    QCOMPARE(m_board->column(1).revenueText(), QStringLiteral("$0.00"));
    QCOMPARE(m_board->column(0).accessibleSummary(),
             QStringLiteral("Lead, 3 cards, revenue $2,250.50, weighted $312.63"));
    // The outside column came onto the board with the file.
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().at(1).toBool(), true);
}

void TestBoardModel::cardsShowTheirOpportunity_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("accessibleName");
    using Outcome = BoardColumnModel::Outcome;
    QTest::newRow("lost") << "Key=1" << int(Outcome::Lost) << "Acme, Ledger, Lead, 1000";
    QTest::newRow("open") << "Key=2" << int(Outcome::Open) << "Birch, Laptops, Lead, $1,250.50";
    QTest::newRow("won") << "Key=6" << int(Outcome::Won) << "Fjord, Printers, Gain Commitment, 400";
    QTest::newRow("outside the list")
        << "Key=8" << int(Outcome::Open) << "Harbor, Cabling, Negotiation, 800";
    QTest::newRow("no probability") << "Key=9" << int(Outcome::Open) << "Iris, Desks, , 300";
}

// A card carries its opportunity's own texts, its outcome and a name for screen readers.
void TestBoardModel::cardsShowTheirOpportunity() {
    QFETCH(QString, key);
    QFETCH(int, outcome);
    QFETCH(QString, accessibleName);
    openFixture();
    const int column = m_board->columnOf(key);
    QVERIFY(column >= 0);
    const QModelIndex card = m_board->column(column).index(m_board->rowOf(key));
    const Opportunity* opportunity = m_workspace->shown()->opportunities().item(key);
    QCOMPARE(card.data(BoardColumnModel::KeyRole).toString(), key);
    QCOMPARE(card.data(BoardColumnModel::CompanyRole).toString(), opportunity->company());
    QCOMPARE(card.data(BoardColumnModel::DescriptionRole).toString(), opportunity->description());
    QCOMPARE(card.data(BoardColumnModel::RevenueRole).toString(), opportunity->revenue());
    QCOMPARE(card.data(BoardColumnModel::ProbabilityRole).toString(), opportunity->probability());
    QCOMPARE(card.data(BoardColumnModel::OrderDateRole).toString(), opportunity->orderDateText());
    QCOMPARE(card.data(BoardColumnModel::OutcomeRole).toInt(), outcome);
    QCOMPARE(card.data(Qt::AccessibleTextRole).toString(), accessibleName);
}

// A move writes the new stage to the file as one step of the history and takes the card from
// one column to the other with one row removed and one inserted; the undo puts it back in its
// place. Moves that cannot be made change nothing.
void TestBoardModel::movesWriteTheStageRowByRow() {
    openFixture();
    ColumnSpies spies(*m_board);

    QVERIFY(m_board->moveCard("Key=2", 1));
    QCOMPARE(SalesFixtures::fromFile(m_file, "Key=2")->stage(),
             QStringLiteral("Identify Opportunity"));
    QCOMPARE(spies.take(), (QStringList{"-1", "+1", "", "", "", "", "", ""}));
    QCOMPARE(keysOf(m_board->column(0)), (QStringList{"Key=1", "Key=3"}));
    QCOMPARE(keysOf(m_board->column(1)), (QStringList{"Key=2"}));
    QVERIFY(qAbs(m_board->column(1).revenue() - 1250.5) < 1e-9);
    QCOMPARE(m_workspace->history().undoText(), QStringLiteral("Move 'Birch - Laptops'"));

    QVERIFY(m_workspace->undo());
    QCOMPARE(SalesFixtures::fromFile(m_file, "Key=2")->stage(), QStringLiteral("Lead"));
    QCOMPARE(spies.take(), (QStringList{"+1", "-1", "", "", "", "", "", ""}));
    QCOMPARE(keysOf(m_board->column(0)), (QStringList{"Key=1", "Key=2", "Key=3"}));

    // From the outside column a card moves into the list, never back out of it.
    QCOMPARE(m_board->neighbourColumn("Key=8", -1), Stages.size() - 1);
    QCOMPARE(m_board->neighbourColumn("Key=8", 1), -1);
    QCOMPARE(m_board->neighbourColumn("Key=1", -1), -1);
    QCOMPARE(m_board->neighbourColumn("Key=10", 1), -1);
    QVERIFY(!m_board->moveCard("Key=1", m_board->outsideColumn()));
    QVERIFY(m_board->moveCard("Key=8", Stages.size() - 1));
    QCOMPARE(spies.take(), (QStringList{"", "", "", "", "", "", "+1", "-1"}));
    QCOMPARE(keysOf(m_board->column(Stages.size() - 1)), (QStringList{"Key=8", "Key=10"}));

    // A file that another program holds: the card stays where it was.
    const auto lock = SalesFixtures::lockFile(m_file);
    const Result refused = m_board->moveCard("Key=4", 4);
    QVERIFY(!refused);
    QVERIFY(!refused.message().isEmpty());
    QCOMPARE(spies.take(), (QStringList{"", "", "", "", "", "", "", ""}));
    QCOMPARE(m_board->columnOf("Key=4"), 2);
    QCOMPARE(m_workspace->shown()->opportunities().item("Key=4")->stage(),
             QStringLiteral("Assess Business"));
}

// Edits, adds, removes, filter passes, merges and their undo change only the cards concerned:
// no column is read anew until another database is shown.
void TestBoardModel::followsTheWorkspaceRowByRow() {
    openFixture();
    const QString source = SalesFixtures::makeDatabase(
        m_env->path("Source.mdb"),
        {Row{"Kiosks", "700", "Kestrel", "1", "50% - Competitive", "Lead"},
         Row{"Lamps", "90", "Lumen", "1", "50% - Competitive", "Odd"}});
    ColumnSpies spies(*m_board);
    QSignalSpy shown(m_board.get(), &BoardModel::columnShownChanged);

    // An edit within the column changes its one card and the sums.
    Opportunity edited(*m_workspace->shown()->opportunities().item("Key=3"));
    edited.setRevenue("500");
    QVERIFY(m_workspace->update("Key=3", edited));
    QCOMPARE(spies.take(), (QStringList{"", "", "", "", "", "", "", ""}));
    QCOMPARE(spies.changes[0]->size(), 1);
    QCOMPARE(spies.changes[0]->first().at(0).value<QModelIndex>().row(), 2);
    QVERIFY(qAbs(m_board->column(0).revenue() - 2750.5) < 1e-9);

    // The last cards outside the list get a stage of the list: their column leaves the board.
    for (const char* key : {"Key=8", "Key=9"}) {
        Opportunity staged(*m_workspace->shown()->opportunities().item(key));
        staged.setStage("Develop Solution");
        QVERIFY(m_workspace->update(key, staged));
    }
    QCOMPARE(spies.take(), (QStringList{"", "", "", "+1+1", "", "", "", "-1-1"}));
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.takeFirst().at(1).toBool(), false);

    // An add and a remove.
    Opportunity fresh;
    fresh.setStage("Assess Business");
    fresh.setRevenue("50");
    const auto added = m_workspace->add(fresh);
    QVERIFY(added);
    QCOMPARE(keysOf(m_board->column(2)), (QStringList{"Key=4", "Key=5", *added}));
    QVERIFY(m_workspace->remove("Key=4"));
    QCOMPARE(spies.take(), (QStringList{"", "", "+1-1", "", "", "", "", ""}));
    QCOMPARE(keysOf(m_board->column(2)), (QStringList{"Key=5", *added}));

    // A merge adds its cards, its undo takes them away again.
    QCOMPARE(m_workspace->mergeDatabase(source).status, DataMerge::Status::Merged);
    QCOMPARE(spies.take(), (QStringList{"+1", "", "", "", "", "", "", "+1"}));
    QCOMPARE(shown.size(), 1);
    QVERIFY(m_workspace->undo());
    QCOMPARE(spies.take(), (QStringList{"-1", "", "", "", "", "", "", "-1"}));
    QCOMPARE(keysOf(m_board->column(0)), (QStringList{"Key=1", "Key=2", "Key=3"}));

    // A filter pass that hides the revenues from 1,000 up and shows them again.
    Filters& filters = m_settings->filters();
    filters.setEnabled(true);
    filters.item("Status")->setValue(false);
    filters.item("DateRange")->setValue(true);
    filters.item("Revenues")->setValue(true);
    filters.item("Low")->setValue(-1.0);
    filters.item("High")->setValue(1000.0);
    m_workspace->filterAll(filters);
    QCOMPARE(spies.take(), (QStringList{"-2", "", "-1", "", "", "", "", ""}));
    QCOMPARE(keysOf(m_board->column(0)), (QStringList{"Key=3"}));
    filters.setEnabled(false);
    m_workspace->filterAll(filters);
    QCOMPARE(spies.take(), (QStringList{"+2", "", "+1", "", "", "", "", ""}));
    QCOMPARE(keysOf(m_board->column(0)), (QStringList{"Key=1", "Key=2", "Key=3"}));

    // Closing the database lets go of every card.
    m_workspace->closeShown();
    for (int column = 0; column < m_board->columnCount(); ++column)
        QCOMPARE(m_board->column(column).rowCount(), 0);
}

void TestBoardModel::listSortAppliesWithinColumns_data() {
    QTest::addColumn<QString>("sortKey");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("keys");
    QTest::newRow("collection order")
        << "" << int(Qt::AscendingOrder) << QStringList{"Key=1", "Key=2", "Key=3"};
    QTest::newRow("company, descending")
        << "Company" << int(Qt::DescendingOrder) << QStringList{"Key=3", "Key=2", "Key=1"};
    // Texts compare as text, as in the list: "" < "$1,250.50" < "1000".
    QTest::newRow("revenue as text")
        << "Revenue" << int(Qt::AscendingOrder) << QStringList{"Key=3", "Key=2", "Key=1"};
    QTest::newRow("probability") << "Probability" << int(Qt::AscendingOrder)
                                 << QStringList{"Key=1", "Key=2", "Key=3"};
}

// Within a column, cards follow the list's sort column and order.
void TestBoardModel::listSortAppliesWithinColumns() {
    QFETCH(QString, sortKey);
    QFETCH(int, order);
    QFETCH(QStringList, keys);
    openFixture();
    CardSortProxy sorted;
    sorted.setSourceModel(&m_board->column(0));
    sorted.sortOn(sortKey, static_cast<Qt::SortOrder>(order));
    QCOMPARE(keysOf(sorted), keys);
    // A changed card takes its place in the order.
    if (sortKey == QLatin1String("Company")) {
        Opportunity renamed(*m_workspace->shown()->opportunities().item("Key=1"));
        renamed.setCompany("Zenith");
        QVERIFY(m_workspace->update("Key=1", renamed));
        QCOMPARE(keysOf(sorted), (QStringList{"Key=1", "Key=3", "Key=2"}));
        // Cards that come and go take and leave their places too.
        Opportunity fresh;
        fresh.setCompany("aardvark");
        fresh.setRevenue("10");
        const auto added = m_workspace->add(fresh);
        QVERIFY(added);
        QCOMPARE(keysOf(sorted), (QStringList{"Key=1", "Key=3", "Key=2", *added}));
        QVERIFY(m_workspace->remove("Key=3"));
        renamed.setCompany("Able");
        QVERIFY(m_workspace->update("Key=1", renamed));
        QCOMPARE(keysOf(sorted), (QStringList{"Key=2", "Key=1", *added}));
    }
}

QTEST_GUILESS_MAIN(TestBoardModel)
#include "TestBoardModel.moc"
