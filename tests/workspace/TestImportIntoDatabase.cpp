#include "RawDatabase.h"
#include "SalesFixtures.h"
#include "TestEnvironment.h"

#include "exchange/DelimitedFile.h"
#include "exchange/ImportPlan.h"
#include "exchange/TextExport.h"
#include "store/SalesDatabase.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QFile>
#include <QSignalSpy>
#include <QUndoStack>
#include <QtTest>
#include <sqlite3.h>

using namespace SalesFixtures;

namespace {

// The fields of every opportunity but its creation time, in the collection's order.
QStringList fieldsOf(const SalesDatabase& database) {
    QStringList rows;
    for (const Opportunity& item : database.opportunities()) {
        QStringList cells{QString::number(item.recordNumber())};
        for (int field = 1; field < OpportunityFields::Count; ++field) {
            if (field != OpportunityFields::DateCreated)
                cells.append(item.text(static_cast<OpportunityFields::Field>(field)));
        }
        rows.append(cells.join(u'|'));
    }
    return rows;
}

} // namespace

class TestImportIntoDatabase : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void roundTripThroughEachExportFormat_data();
    void roundTripThroughEachExportFormat();
    void numbersFollowTheHighestAndTheListFollows();
    void refusedAndUnchanged_data();
    void refusedAndUnchanged();

private:
    QString path(const QString& name) const { return m_env->path(name); }
    SalesDatabase& shown() const { return *m_databases->shown(); }
    ResultValue<ImportPlan>
    planFor(const QString& file, ImportPlan::Duplicates duplicates = ImportPlan::Duplicates::Add) {
        DelimitedFile read;
        if (const Result result = read.read(file); !result)
            return result;
        return ImportPlan::build(read, ImportMapping::guess(read.header()), duplicates,
                                 shown().opportunities());
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<OpenDatabases> m_databases;
};

void TestImportIntoDatabase::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
    m_databases = std::make_unique<OpenDatabases>(m_settings->filters());
}

void TestImportIntoDatabase::cleanup() {
    m_databases.reset();
    m_settings.reset();
    m_env.reset();
}

void TestImportIntoDatabase::roundTripThroughEachExportFormat_data() {
    QTest::addColumn<QString>("exportName");
    QTest::addColumn<bool>("guarded");
    QTest::newRow("comma") << "out.csv" << true;
    QTest::newRow("TAB") << "out.txt" << true;
    QTest::newRow("comma and blank") << "out.prn" << true;
    QTest::newRow("comma, formulas raw") << "raw.csv" << false;
}

void TestImportIntoDatabase::roundTripThroughEachExportFormat() {
    QFETCH(QString, exportName);
    QFETCH(bool, guarded);
    // Texts that each format must quote or guard, amounts in their stored forms, every field.
    const QString source =
        makeDatabase(path("source.mdb"),
                     {{"Roof, \"big\" one", "$1,250.00", "Acme\tLtd", "1.250,00",
                       "50% - Competitive", "Gain Commitment", "line one\r\nline two"},
                      {" padded ", "0", "=SUM(A1)", "12", "Not in the list", "Won", "-minus"},
                      {"Ünïcödé €", "", "@home", "", "", "", "'quoted"}});
    QVERIFY(m_databases->open(source).ok());
    {
        Opportunity& first = *shown().opportunities().item(QStringLiteral("Key=1"));
        Opportunity edited(first);
        edited.setSalesOwner(QStringLiteral("Pat"));
        edited.setContact(QStringLiteral("Lee, Ann"));
        edited.setDepartment(QStringLiteral("Sales|East"));
        edited.setProduct(QStringLiteral("Tiles; red"));
        edited.setQuantity(QStringLiteral("3"));
        edited.setSource(QStringLiteral("Trade Show"));
        edited.setForecast(QStringLiteral("Yes"));
        edited.setOrderDay(QStringLiteral("09"));
        edited.setOrderMonth(Opportunity::orderMonthName(11));
        edited.setOrderYear(QStringLiteral("2027"));
        QVERIFY(m_databases->update(QStringLiteral("Key=1"), edited));
    }
    for (Opportunity& item : shown().opportunities())
        item.setVisible(true);
    const QStringList expected = fieldsOf(shown());
    const QString exported = path(exportName);
    QVERIFY(TextExport::write(shown().opportunities(), exported, {source},
                              guarded ? TextExport::Formulas::Guarded : TextExport::Formulas::Raw));

    QVERIFY(m_databases->create(path("empty.mdb"), false).ok());
    auto plan = planFor(exported);
    QVERIFY2(plan, qPrintable(plan.message()));
    QStringList problems;
    for (const ImportPlan::Problem& problem : plan->problems)
        problems.append(QString::number(problem.line) + QLatin1Char(' ') + problem.message);
    // Only the values outside the lists are noted.
    QCOMPARE(problems, (QStringList{"4 Stage 'Won' is not in the list; it is kept as it is.",
                                    "4 Probability 'Not in the list' is not in the list; it is "
                                    "kept as it is."}));
    QVERIFY(m_databases->import(std::move(*plan), exportName));
    QCOMPARE(fieldsOf(shown()), expected);
    // And as the file holds them.
    m_databases->closeShown();
    QVERIFY(m_databases->open(path("empty.mdb")).ok());
    QCOMPARE(fieldsOf(shown()), expected);
}

void TestImportIntoDatabase::numbersFollowTheHighestAndTheListFollows() {
    const QString file = makeDatabase(path("shown.mdb"), {{"One"}, {"Two"}, {"Three"}});
    execSql(file, QStringLiteral("DELETE FROM Sales WHERE RecordNumber = 3; UPDATE Sales SET "
                                 "RecordNumber = 40 WHERE RecordNumber = 2"));
    QVERIFY(m_databases->open(file).ok());
    QVERIFY(
        RawDatabase::writeFile(path("deals.csv"), "Title,Amount\r\nTwo,7\r\nFive,5\r\nSix,6\r\n"));
    auto plan = planFor(path("deals.csv"), ImportPlan::Duplicates::Update);
    QVERIFY(plan);
    QSignalSpy added(m_databases.get(), &OpenDatabases::opportunityAdded);
    QSignalSpy changed(m_databases.get(), &OpenDatabases::opportunityChanged);
    QSignalSpy reset(m_databases.get(), &OpenDatabases::opportunitiesReset);
    const auto keys = m_databases->import(std::move(*plan), QStringLiteral("deals.csv"));
    QVERIFY(keys);
    QCOMPARE(*keys, (QStringList{"Key=41", "Key=42"}));
    QCOMPARE(added.size(), 2);
    QCOMPARE(added.at(1).at(1).toString(), QStringLiteral("Key=42"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(1).toString(), QStringLiteral("Key=40"));
    QCOMPARE(reset.size(), 0);
    QCOMPARE(fromFile(file, QStringLiteral("Key=40"))->revenue(), QStringLiteral("7"));
    QCOMPARE(fromFile(file, QStringLiteral("Key=42"))->description(), QStringLiteral("Six"));
    QCOMPARE(m_databases->historyOf(&shown())->count(), 1);
}

void TestImportIntoDatabase::refusedAndUnchanged_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("cause");
    QTest::newRow("locked") << "lock"
                            << "in use by another program";
    QTest::newRow("read-only") << "read-only"
                               << "read";
    QTest::newRow("updated record gone") << "DELETE FROM Sales WHERE RecordNumber = 2"
                                         << "line 2 of the file: the file no longer has record "
                                            "number 2";
    QTest::newRow("cancelled") << "cancel"
                               << "";
}

void TestImportIntoDatabase::refusedAndUnchanged() {
    QFETCH(QString, obstacle);
    QFETCH(QString, cause);
    const QString file = makeDatabase(path("shown.mdb"), {{"One"}, {"Two"}});
    QVERIFY(m_databases->open(file).ok());
    QByteArray rows = "Title,Amount\r\nTwo,7\r\n";
    for (int row = 0; row < 600; ++row)
        rows += "New " + QByteArray::number(row) + ",1\r\n";
    QVERIFY(RawDatabase::writeFile(path("deals.csv"), rows));
    auto plan = planFor(path("deals.csv"), ImportPlan::Duplicates::Update);
    QVERIFY(plan);

    FileLock lock(nullptr, [](sqlite3*) {});
    if (obstacle == "lock")
        lock = lockFile(file);
    else if (obstacle == "read-only")
        QVERIFY(RawDatabase::makeReadOnly(file));
    else if (obstacle != "cancel")
        execSql(file, obstacle);
    const QByteArray before = RawDatabase::readFile(file);
    const QStringList listed = fieldsOf(shown());
    QSignalSpy reset(m_databases.get(), &OpenDatabases::opportunitiesReset);
    int calls = 0;
    const auto imported =
        m_databases->import(std::move(*plan), QStringLiteral("deals.csv"),
                            [&](qint64, qint64) { return obstacle != "cancel" || ++calls < 2; });
    QVERIFY(!imported);
    if (obstacle == "cancel")
        QVERIFY(imported.isCancelled());
    else
        QVERIFY2(imported.message().contains(cause), qPrintable(imported.message()));
    lock.reset();
    QCOMPARE(RawDatabase::readFile(file), before);
    QCOMPARE(fieldsOf(shown()), listed);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(m_databases->historyOf(&shown())->count(), 0);
}

QTEST_GUILESS_MAIN(TestImportIntoDatabase)
#include "TestImportIntoDatabase.moc"
