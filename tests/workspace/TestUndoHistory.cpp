#include "RawDatabase.h"
#include "SalesFixtures.h"
#include "TestEnvironment.h"

#include "exchange/DelimitedFile.h"
#include "exchange/ImportPlan.h"
#include "store/SalesDatabase.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QSignalSpy>
#include <QUndoGroup>
#include <QUndoStack>
#include <QtTest>
#include <sqlite3.h>

using namespace SalesFixtures;

namespace {

const QByteArray LeadHeader =
    "Vantick leads\r\nFirst\tB\tC\tD\tE\tF\tG\tH\tI\tCompany\tLast\tL\tM\r\n";

// Every field of every row of table Sales, in record-number order, as SQLite holds it.
QStringList fileRows(const QString& path) {
    RawDatabase raw(path);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(raw.handle(), "SELECT * FROM Sales ORDER BY RecordNumber, rowid", -1,
                       &statement, nullptr);
    QStringList rows;
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
        QStringList cells;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const auto* text = sqlite3_column_text(statement, i);
            cells.append(text ? QString::fromUtf8(reinterpret_cast<const char*>(text))
                              : QStringLiteral("<null>"));
        }
        rows.append(cells.join(u'|'));
    }
    sqlite3_finalize(statement);
    return rows;
}

// The collection as the same rows: the record number and the eighteen texts, ordered alike.
QStringList collectionRows(const SalesDatabase& database) {
    QMap<qint32, QString> rows;
    for (const Opportunity& item : database.opportunities()) {
        QStringList cells{QString::number(item.recordNumber())};
        for (int field = 1; field < OpportunityFields::Count; ++field)
            cells.append(item.text(static_cast<OpportunityFields::Field>(field)));
        rows.insert(item.recordNumber(), cells.join(u'|'));
    }
    return rows.values();
}

// The file's rows without their creation times, in the collection's form.
QStringList fileRowsWithoutCreation(const QString& path) {
    QStringList rows = fileRows(path);
    for (QString& row : rows) {
        QStringList cells = row.split(u'|');
        cells[OpportunityFields::DateCreated] = QString();
        row = cells.join(u'|');
    }
    return rows;
}

} // namespace

class TestUndoHistory : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyStepUndoesAndRedoes_data();
    void everyStepUndoesAndRedoes();
    void refusedWhenTheFileChanged_data();
    void refusedWhenTheFileChanged();
    void newWithItsEditorIsOneStep();
    void historyPerDatabase();

private:
    QString path(const QString& name) const { return m_env->path(name); }
    // Imports a file that updates opportunity 2 ('Two', its company written in capitals) and
    // adds one.
    void importDeals() {
        const QString deals = path("deals.csv");
        const QString company = shown().opportunities().item(QStringLiteral("Key=2"))->company();
        QVERIFY(RawDatabase::writeFile(deals, "Company,Title,Amount\r\n" +
                                                  company.toUpper().toUtf8() +
                                                  ",two,2500\r\nGamma,Fresh,10\r\n"));
        DelimitedFile file;
        QVERIFY(file.read(deals));
        auto plan = ImportPlan::build(file, ImportMapping::guess(file.header()),
                                      ImportPlan::Duplicates::Update, shown().opportunities());
        QVERIFY(plan);
        QVERIFY(m_databases->import(std::move(*plan), QStringLiteral("deals.csv")));
    }
    SalesDatabase& shown() const { return *m_databases->shown(); }
    QUndoStack& stack() const { return *m_databases->historyOf(m_databases->shown()); }
    // The collection follows the file, field by field (creation times are shown in the
    // locale's form, so those are compared through the record's number only).
    void checkFollows(const QString& file) {
        QStringList expected = fileRowsWithoutCreation(file);
        QStringList actual = collectionRows(shown());
        for (QString& row : actual) {
            QStringList cells = row.split(u'|');
            cells[OpportunityFields::DateCreated] = QString();
            row = cells.join(u'|');
        }
        QCOMPARE(actual, expected);
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<OpenDatabases> m_databases;
};

void TestUndoHistory::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
    m_databases = std::make_unique<OpenDatabases>(m_settings->filters());
}

void TestUndoHistory::cleanup() {
    m_databases.reset();
    m_settings.reset();
    m_env.reset();
}

void TestUndoHistory::everyStepUndoesAndRedoes_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    const std::pair<const char*, const char*> steps[] = {
        {"edit", "Edit 'Acme - Two'"},
        {"stage", "Change Stage of 'Acme - One'"}, // from the quick-info panel
        {"add", "Add 'Fresh'"},
        {"paste", "Paste 'Acme - Two'"},
        {"delete", "Delete 'Acme - Two'"},
        {"merge", "Merge of 3 opportunities"},
        {"leads", "Lead File Import of 2 opportunities"},
        {"import", "Import of deals.csv (1 added, 1 updated)"}};
    for (const auto& [kind, caption] : steps)
        QTest::newRow(kind) << QString(kind) << QString(caption);
}

void TestUndoHistory::everyStepUndoesAndRedoes() {
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    const QString file =
        makeDatabase(path("shown.mdb"),
                     {{"One", "1000", "Acme"}, {"Two", "2000", "Acme"}, {"Three", "3000", "Beta"}});
    const QString source = makeDatabase(path("source.mdb"), {{"S1"}, {"S2"}, {"S3"}});
    const QString leads = path("leads.txt");
    QVERIFY(RawDatabase::writeFile(leads, LeadHeader +
                                              "Ann\tB\tC\tD\tE\tF\tG\tH\tI\tAcme\tLee\tL\tM\r\n"
                                              "Bob\tB\tC\tD\tE\tF\tG\tH\tI\tBeta\tRay\tL\tM\r\n"));
    QVERIFY(m_databases->open(file).ok());
    // A step undone and another one taken: the first is gone from the history for good.
    Opportunity noted(*shown().opportunities().item(QStringLiteral("Key=3")));
    noted.setNote(QStringLiteral("dropped"));
    QVERIFY(m_databases->update(QStringLiteral("Key=3"), noted));
    QVERIFY(m_databases->undo());
    const QStringList before = fileRows(file);
    const QString two = QStringLiteral("Key=2");

    if (kind == "edit") {
        Opportunity edited(*shown().opportunities().item(two));
        edited.setRevenue(QStringLiteral("9999"));
        edited.setContact(QStringLiteral("Zoe"));
        QVERIFY(m_databases->update(two, edited));
    } else if (kind == "stage") {
        Opportunity edited(*shown().opportunities().item(QStringLiteral("Key=1")));
        edited.setStage(QStringLiteral("Won"));
        QVERIFY(m_databases->update(QStringLiteral("Key=1"), edited,
                                    QStringLiteral("Change Stage of")));
    } else if (kind == "add") {
        Opportunity fresh;
        fresh.setDescription(QStringLiteral("Fresh"));
        QVERIFY(m_databases->add(fresh));
    } else if (kind == "paste") {
        QVERIFY(m_databases->add(*shown().opportunities().item(two), QStringLiteral("Paste")));
    } else if (kind == "delete") {
        QVERIFY(m_databases->remove(two));
    } else if (kind == "merge") {
        QCOMPARE(m_databases->mergeDatabase(source).status, DataMerge::Status::Merged);
    } else if (kind == "import") {
        importDeals();
    } else {
        QCOMPARE(m_databases->mergeLeadFile(leads).status, DataMerge::Status::Merged);
    }
    const QStringList after = fileRows(file);
    QVERIFY(after != before);
    QCOMPARE(stack().count(), 1);
    QCOMPARE(stack().undoText(), caption);
    QCOMPARE(m_databases->history().undoText(), caption);

    QSignalSpy refused(m_databases.get(), &OpenDatabases::stepRefused);
    for (int round = 0; round < 2; ++round) {
        QVERIFY(m_databases->undo());
        QCOMPARE(fileRows(file), before);
        checkFollows(file);
        QCOMPARE(stack().redoText(), caption);
        QVERIFY(m_databases->redo());
        QCOMPARE(fileRows(file), after);
        checkFollows(file);
    }
    QCOMPARE(refused.size(), 0);
    QVERIFY(!m_databases->redo());
}

void TestUndoHistory::refusedWhenTheFileChanged_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("undoing");       // the refused write is an undo, else a redo
    QTest::addColumn<QString>("underneath"); // SQL another program runs; "lock": it holds the file
    QTest::addColumn<QString>("cause");
    // Another program deletes record `number`, or stores one of its own under that number.
    const auto removed = [](const char* tag, const char* kind, int number) {
        QTest::newRow(tag) << kind << true
                           << QString("DELETE FROM Sales WHERE RecordNumber = %1").arg(number)
                           << QString("the file no longer has record number %1").arg(number);
    };
    const auto taken = [](const char* tag, const char* kind, bool undoing, int number) {
        QTest::newRow(tag)
            << kind << undoing << RawDatabase::insertRow(QString::number(number), "'Other'")
            << QString("another record in the file has taken record number %1").arg(number);
    };
    taken("deleted record's number taken", "delete", true, 2);
    removed("edited record removed", "edit", 2);
    removed("merged record removed", "merge", 4);
    QTest::newRow("file locked") << "delete" << true << "lock"
                                 << "in use by another program";
    taken("added record's number taken on redo", "add", false, 4);
    taken("merged record's number taken on redo", "merge", false, 5);
    removed("imported record removed", "import", 4);
    removed("updated record removed", "import", 2);
    taken("imported record's number taken on redo", "import", false, 4);
}

void TestUndoHistory::refusedWhenTheFileChanged() {
    QFETCH(QString, kind);
    QFETCH(bool, undoing);
    QFETCH(QString, underneath);
    QFETCH(QString, cause);
    const QString file = makeDatabase(path("shown.mdb"), {{"One"}, {"Two"}, {"Three"}});
    const QString source = makeDatabase(path("source.mdb"), {{"S1"}, {"S2"}});
    QVERIFY(m_databases->open(file).ok());
    const QString two = QStringLiteral("Key=2");
    // An earlier step below the refused one.
    Opportunity first(*shown().opportunities().item(QStringLiteral("Key=1")));
    first.setNote(QStringLiteral("first"));
    QVERIFY(m_databases->update(QStringLiteral("Key=1"), first));
    if (kind == "delete") {
        QVERIFY(m_databases->remove(two));
    } else if (kind == "edit") {
        Opportunity edited(*shown().opportunities().item(two));
        edited.setStage(QStringLiteral("Won"));
        QVERIFY(m_databases->update(two, edited));
    } else if (kind == "add") {
        QVERIFY(m_databases->add(Opportunity()));
    } else if (kind == "import") {
        importDeals();
    } else {
        QCOMPARE(m_databases->mergeDatabase(source).status, DataMerge::Status::Merged);
    }
    if (!undoing)
        QVERIFY(m_databases->undo());
    const int index = stack().index();
    const QString caption = undoing ? stack().undoText() : stack().redoText();

    QSignalSpy refused(m_databases.get(), &OpenDatabases::stepRefused);
    {
        FileLock lock(nullptr, [](sqlite3*) {});
        if (underneath == "lock")
            lock = lockFile(file);
        else
            execSql(file, underneath);
        const QStringList changed = fileRows(file);
        // One step at a time, and a jump over several steps, stop at the refused one.
        for (const bool jump : {false, true}) {
            if (jump)
                stack().setIndex(undoing ? 0 : stack().count());
            else
                QVERIFY(!(undoing ? m_databases->undo() : m_databases->redo()));
            QCOMPARE(stack().index(), index);
            if (underneath != "lock")
                QCOMPARE(fileRows(file), changed);
        }
        QCOMPARE(refused.size(), 2);
        const QString message = refused.last().at(0).toString();
        QVERIFY2(message.startsWith((undoing ? "Could not undo " : "Could not redo ") + caption),
                 qPrintable(message));
        QVERIFY2(message.contains(cause), qPrintable(message));
        QVERIFY2(message.contains(file), qPrintable(message));
    }
    // The history stays usable: a refused step is tried again once the file lets it, and new
    // steps are taken and undone.
    if (underneath == "lock") {
        QVERIFY(undoing ? m_databases->undo() : m_databases->redo());
        checkFollows(file);
        return;
    }
    const QStringList changed = fileRows(file);
    Opportunity later(*shown().opportunities().item(QStringLiteral("Key=1")));
    later.setNote(QStringLiteral("later"));
    QVERIFY(m_databases->update(QStringLiteral("Key=1"), later));
    QVERIFY(m_databases->undo());
    QCOMPARE(fileRows(file), changed);
    QCOMPARE(shown().opportunities().item(QStringLiteral("Key=1"))->note(),
             QStringLiteral("first"));
}

void TestUndoHistory::newWithItsEditorIsOneStep() {
    const QString file = makeDatabase(path("shown.mdb"), {{"One"}});
    QVERIFY(m_databases->open(file).ok());
    const QStringList before = fileRows(file);
    // OK in the editor: the new opportunity and its fields are one step.
    const auto key = m_databases->addNew(Opportunity());
    QVERIFY(key);
    Opportunity edited(*shown().opportunities().item(*key));
    edited.setCompany(QStringLiteral("Acme Corp"));
    edited.setDescription(QStringLiteral("40 seats"));
    QVERIFY(m_databases->update(*key, edited));
    m_databases->finishNew();
    const QStringList after = fileRows(file);
    QCOMPARE(stack().count(), 1);
    QCOMPARE(stack().undoText(), QStringLiteral("New 'Acme Corp - 40 seats'"));
    QVERIFY(m_databases->undo());
    QCOMPARE(fileRows(file), before);
    QVERIFY(m_databases->redo());
    QCOMPARE(fileRows(file), after);
    checkFollows(file);
    // A later edit of it is a step of its own.
    edited.setStage(QStringLiteral("Won"));
    QVERIFY(m_databases->update(*key, edited));
    QCOMPARE(stack().count(), 2);

    // Cancel in the editor takes the new opportunity and its step away.
    const auto cancelled = m_databases->addNew(Opportunity());
    QVERIFY(cancelled);
    QVERIFY(m_databases->remove(*cancelled));
    m_databases->finishNew();
    QCOMPARE(stack().count(), 2);
    QCOMPARE(stack().index(), 2);
    QCOMPARE(stack().undoText(), QStringLiteral("Edit 'Acme Corp - 40 seats'"));
}

void TestUndoHistory::historyPerDatabase() {
    const QString a = makeDatabase(path("a.mdb"), {{"A1"}});
    const QString b = makeDatabase(path("b.mdb"), {{"B1"}});
    QVERIFY(m_databases->open(a).ok());
    QVERIFY(m_databases->remove(QStringLiteral("Key=1")));
    const qint32 windowA = shown().window();
    QVERIFY(m_databases->open(b).ok());
    QCOMPARE(m_databases->history().activeStack(), &stack());
    QVERIFY(!m_databases->history().canUndo());
    m_databases->show(windowA);
    QCOMPARE(m_databases->history().undoText(), QStringLiteral("Delete 'A1'"));

    // Save As keeps the history for the new file, whose steps then write there.
    const QString copy = path("copy.mdb");
    QVERIFY(m_databases->saveShownAs(copy));
    QVERIFY(m_databases->undo());
    QCOMPARE(RawDatabase(copy).count(), 1);
    QCOMPARE(RawDatabase(a).count(), 0);

    // Closing ends it.
    m_databases->closeShown();
    QCOMPARE(m_databases->history().stacks().size(), 1);
    QVERIFY(m_databases->open(copy).ok());
    QCOMPARE(stack().count(), 0);
}

QTEST_GUILESS_MAIN(TestUndoHistory)
#include "TestUndoHistory.moc"
