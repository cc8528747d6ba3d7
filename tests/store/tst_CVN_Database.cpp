#include "TestEnvironment.h"

#include "store/CVN_Database.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QtTest>
#include <sqlite3.h>

namespace {

// A connection of the test's own, for making fixture files and reading back what the store wrote.
class RawDb {
public:
    explicit RawDb(const QString& path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    }
    ~RawDb() { sqlite3_close(m_db); }
    void exec(const QString& sql) {
        char* error = nullptr;
        const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error);
        QVERIFY2(rc == SQLITE_OK, error ? error : "exec failed");
    }
    QString text(const QString& sql) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &s, nullptr);
        QString result = "<no row>";
        if (sqlite3_step(s) == SQLITE_ROW) {
            const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            result = t ? QString::fromUtf8(t) : QStringLiteral("<null>");
        }
        sqlite3_finalize(s);
        return result;
    }
    int count() { return text("SELECT count(*) FROM Sales").toInt(); }
    sqlite3* handle() { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

const char* const PlainTable =
    "CREATE TABLE Sales (RecordNumber INTEGER, SalesOwner TEXT, DateCreated DATETIME, "
    "Company TEXT, Contact TEXT, Department TEXT, Description TEXT, Note TEXT, Product TEXT, "
    "UnitPrice TEXT, Quantity TEXT, Revenue TEXT, Source TEXT, Stage TEXT, Probability TEXT, "
    "Forecast TEXT, OrderDay TEXT, OrderMonth TEXT, OrderYear TEXT)";

QString insertRow(const QString& number, const QString& company = "'Acme'",
                  const QString& created = "'2024-03-07 14:05:09'") {
    return QString("INSERT INTO Sales VALUES (%1, 'owner', %3, %2, 'Pat', 'IT', 'Deal', 'n', "
                   "'p', '10', '2', '$20.00', 'Email', 'Lead', '25% - Long Shot', 'No', '07', "
                   "'March', '2024')")
        .arg(number, company, created);
}

std::unique_ptr<CVN_Database> opened(const QString& path) {
    auto db = std::make_unique<CVN_Database>();
    db->setDatabaseLocation(path);
    if (!db->OpenDatabase())
        return nullptr;
    return db;
}

std::unique_ptr<CVN_Database> created(const QString& path) {
    auto db = std::make_unique<CVN_Database>();
    db->setDatabaseLocation(path);
    db->NewDatabase();
    if (db->DatabaseError())
        return nullptr;
    return opened(path);
}

} // namespace

class tst_CVN_Database : public QObject {
    Q_OBJECT

private slots:
    void newDatabaseOpensEmpty();
    void newDatabaseRefusesAnExistingFile();
    void openAsksForTheFile_data();
    void openAsksForTheFile();
    void openFailures_data();
    void openFailures();
    void openMendsFilesMadeElsewhere();
    void addUpdateRemoveReachTheFile();
    void writesLeaveCollectionAndFileEqualOnFailure_data();
    void writesLeaveCollectionAndFileEqualOnFailure();
    void tooLongTextsAreRefusedByName();
    void updateOfAVanishedRecordFails();
    void dataIsBoundNotSpliced();
    void nameOfLocation_data();
    void nameOfLocation();
};

void tst_CVN_Database::newDatabaseOpensEmpty() {
    TestEnvironment env;
    const QString path = env.path("New.mdb");
    auto db = created(path);
    QVERIFY(db);
    QVERIFY(!db->DatabaseError());
    QCOMPARE(db->Opportunities().Count(), 0);
    QCOMPARE(*db->Opportunities().NextRecordNumber(), 1);
    QCOMPARE(db->Name(), QStringLiteral("New.mdb"));
    RawDb raw(path);
    QCOMPARE(
        raw.text("SELECT count(*) FROM sqlite_schema WHERE type='index' AND name='RecordNumber'"),
        QStringLiteral("1"));
    QCOMPARE(raw.text("SELECT group_concat(name, ',') FROM pragma_table_info('Sales')"),
             QStringLiteral("RecordNumber,SalesOwner,DateCreated,Company,Contact,Department,"
                            "Description,Note,Product,UnitPrice,Quantity,Revenue,Source,Stage,"
                            "Probability,Forecast,OrderDay,OrderMonth,OrderYear"));
}

void tst_CVN_Database::newDatabaseRefusesAnExistingFile() {
    TestEnvironment env;
    const QString path = env.path("Existing.mdb");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    CVN_Database db;
    db.setDatabaseLocation(path);
    db.NewDatabase();
    QVERIFY(db.DatabaseError());
    QCOMPARE(db.DatabaseErrorMessage(), "Unable to create a new database " + path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));

    CVN_Database inMissingFolder;
    inMissingFolder.setDatabaseLocation(env.path("no/such/folder/x.mdb"));
    inMissingFolder.NewDatabase();
    QVERIFY(inMissingFolder.DatabaseError());
}

void tst_CVN_Database::openAsksForTheFile_data() {
    QTest::addColumn<bool>("programDirectory");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("no location, cancelled") << false << true;
    QTest::newRow("program directory, cancelled") << true << true;
    QTest::newRow("no location, chosen") << false << false;
}

void tst_CVN_Database::openAsksForTheFile() {
    QFETCH(bool, programDirectory);
    QFETCH(bool, cancel);
    TestEnvironment env;
    const QString path = env.path("Chosen.mdb");
    QVERIFY(created(path));
    if (!cancel)
        env.ui().queueFile(path);
    CVN_Database db;
    if (programDirectory)
        db.setDatabaseLocation(QCoreApplication::applicationDirPath());
    QCOMPARE(db.OpenDatabase(), !cancel);
    QCOMPARE(env.ui().fileRequests().size(), 1);
    const auto& request = env.ui().fileRequests().first();
    QCOMPARE(request.title, QStringLiteral("Open or Create a Corvane Database"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("mdb"));
    QVERIFY(!request.mustExist); // a new name may be typed
    QVERIFY(!request.confirmOverwrite);
    QCOMPARE(request.filters, QStringList{"*.mdb (*.mdb)"});
    if (cancel) {
        QVERIFY(db.DatabaseError());
        QCOMPARE(db.DatabaseErrorMessage(), QStringLiteral("Canceled"));
        QCOMPARE(db.DatabaseLocation(), QString());
    } else {
        QVERIFY(!db.DatabaseError());
        QCOMPARE(db.DatabaseLocation(), path);
        QCOMPARE(db.Name(), QStringLiteral("Chosen.mdb"));
    }
}

void tst_CVN_Database::openFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("text file named .mdb") << "text";
    QTest::newRow("truncated file") << "truncated";
    QTest::newRow("no table Sales") << "notable";
    QTest::newRow("Sales lacks a field") << "nofield";
    QTest::newRow("held by another connection") << "locked";
    QTest::newRow("empty file") << "empty";
}

void tst_CVN_Database::openFailures() {
    QFETCH(QString, kind);
    TestEnvironment env;
    const QString path = env.path("Broken.mdb");
    std::unique_ptr<RawDb> holder;
    if (kind == "text") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Company,Contact\nAcme,Pat\n");
    } else if (kind == "truncated") {
        {
            RawDb raw(path);
            raw.exec(PlainTable);
            raw.exec("BEGIN");
            for (int i = 1; i <= 400; ++i)
                raw.exec(insertRow(QString::number(i), QString("'%1'").arg(QString(30, 'x'))));
            raw.exec("COMMIT");
        }
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(f.size() / 2));
    } else if (kind == "notable") {
        RawDb(path).exec("CREATE TABLE Other (x)");
    } else if (kind == "nofield") {
        RawDb(path).exec("CREATE TABLE Sales (RecordNumber INTEGER, Company TEXT)");
    } else if (kind == "locked") {
        QVERIFY(created(path));
        holder = std::make_unique<RawDb>(path);
        holder->exec("BEGIN EXCLUSIVE");
    } else if (kind == "empty") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    CVN_Database db;
    db.setDatabaseLocation(path);
    QVERIFY(!db.OpenDatabase());
    QVERIFY(db.DatabaseError());
    QCOMPARE(db.DatabaseErrorMessage(), "Could not open " + path);
    QCOMPARE(db.Name(), QStringLiteral("Broken.mdb")); // set before the file is tried
    QCOMPARE(db.Opportunities().Count(), 0);
    QVERIFY(env.ui().fileRequests().isEmpty());
    if (kind == "missing")
        QVERIFY(!QFile::exists(path)); // opening never creates the file
}

void tst_CVN_Database::openMendsFilesMadeElsewhere() {
    TestEnvironment env;
    const QString path = env.path("Elsewhere.mdb");
    {
        RawDb raw(path);
        raw.exec(PlainTable); // no index
        raw.exec(insertRow("1"));
        raw.exec(insertRow("2", "NULL"));                        // a NULL text
        raw.exec(insertRow("3", "'Beta'", "NULL"));              // a NULL date
        raw.exec(insertRow("NULL"));                             // no record number: cannot be kept
        raw.exec(insertRow("2", "'Duplicate'"));                 // the first record 2 wins
        raw.exec("INSERT INTO Sales (RecordNumber) VALUES (9)"); // nothing but a number
        raw.exec(insertRow("'12'", "'Text number'"));
        raw.exec(insertRow("99999999999", "'Too large'"));
        raw.exec(insertRow("1e30", "'Far too large'"));
        raw.exec(insertRow("3.5", "'Not whole'"));
        raw.exec(insertRow("7.0", "'Whole'"));
    }
    auto db = opened(path);
    QVERIFY(db);
    const Opportunities& c = db->Opportunities();
    QCOMPARE(c.Count(), 6);
    QCOMPARE(c.Item("Key=7")->Company(), QStringLiteral("Whole"));
    QCOMPARE(c.Item("Key=1")->Company(), QStringLiteral("Acme"));
    QCOMPARE(c.Item("Key=1")->DateCreated(), QStringLiteral("3/7/2024 2:05:09 PM"));
    QCOMPARE(c.Item("Key=2")->Company(), QString());
    QCOMPARE(c.Item("Key=3")->DateCreated(), QString());
    QCOMPARE(c.Item("Key=9")->Description(), QString());
    QCOMPARE(c.Item("Key=9")->Stage(), QString());
    QCOMPARE(c.Item("Key=12")->Company(), QStringLiteral("Text number"));
    QCOMPARE(*c.NextRecordNumber(), 13);

    // With duplicate numbers in the file the index cannot be made; the open goes on.
    RawDb raw(path);
    QCOMPARE(raw.text("SELECT count(*) FROM sqlite_schema WHERE name='RecordNumber'"), "0");
    raw.exec("DELETE FROM Sales WHERE Company = 'Duplicate'");
    QVERIFY(opened(path));
    QCOMPARE(raw.text("SELECT count(*) FROM sqlite_schema WHERE name='RecordNumber'"), "1");
    QVERIFY(opened(path)); // a second open with the index present
}

void tst_CVN_Database::addUpdateRemoveReachTheFile() {
    TestEnvironment env;
    const QString path = env.path("Pipeline.mdb");
    auto db = created(path);
    QVERIFY(db);
    RawDb raw(path);
    raw.exec(insertRow("41"));
    db = opened(path);

    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    Opportunity x;
    x.setDescription("Warehouse scanners");
    x.setCompany("Nordlicht GmbH");
    x.setNote("Größe: 40 Geräte; \"rugged\"");
    x.setRevenue("$48,000.00");
    x.setDateCreated("");
    QVERIFY(db->AddOpportunity(x));
    QCOMPARE(x.RecordNumber(), 42);
    Opportunity* stored = db->Opportunities().Item("Key=42");
    QVERIFY(stored && stored != &x);
    QCOMPARE(stored->DateCreated(), QString()); // the time goes to the file only
    const QDateTime createdAt = QDateTime::fromString(
        raw.text("SELECT DateCreated FROM Sales WHERE RecordNumber = 42"), "yyyy-MM-dd HH:mm:ss");
    QVERIFY(createdAt >= before && createdAt <= QDateTime::currentDateTime().addSecs(1));

    stored->setStage("Develop Solution");
    stored->setNote("");
    QVERIFY(db->UpdateDBOpportunity("Key=42"));
    QCOMPARE(raw.text("SELECT Stage FROM Sales WHERE RecordNumber = 42"), "Develop Solution");
    QCOMPARE(raw.text("SELECT Note FROM Sales WHERE RecordNumber = 42"), ""); // text, not NULL
    QCOMPARE(
        QDateTime::fromString(raw.text("SELECT DateCreated FROM Sales WHERE RecordNumber = 42"),
                              "yyyy-MM-dd HH:mm:ss"),
        createdAt);

    // What a fresh open reads equals the collection.
    auto again = opened(path);
    QCOMPARE(again->Opportunities().Count(), 2);
    Opportunity* reread = again->Opportunities().Item("Key=42");
    QCOMPARE(reread->Company(), QStringLiteral("Nordlicht GmbH"));
    QCOMPARE(reread->Stage(), QStringLiteral("Develop Solution"));
    QCOMPARE(reread->Revenue(), QStringLiteral("$48,000.00"));

    QVERIFY(db->RemoveOpportunity("Key=41"));
    QVERIFY(!db->Opportunities().Contains("Key=41"));
    QCOMPARE(raw.count(), 1);
    QVERIFY(!db->RemoveOpportunity("Key=41")); // no longer in the collection
}

void tst_CVN_Database::writesLeaveCollectionAndFileEqualOnFailure_data() {
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file deleted") << "deleted"
                                  << "the file does not exist";
    QTest::newRow("file locked") << "locked"
                                 << "the file is in use by another program";
    QTest::newRow("file read-only") << "readonly"
                                    << "the file is read-only";
}

void tst_CVN_Database::writesLeaveCollectionAndFileEqualOnFailure() {
    QFETCH(QString, cause);
    QFETCH(QString, expected);
    TestEnvironment env;
    const QString path = env.path("Shaky.mdb");
    auto db = created(path);
    QVERIFY(db);
    Opportunity seed;
    QVERIFY(db->AddOpportunity(seed));

    std::unique_ptr<RawDb> holder;
    if (cause == "deleted") {
        QVERIFY(QFile::remove(path));
    } else if (cause == "locked") {
        holder = std::make_unique<RawDb>(path);
        holder->exec("BEGIN EXCLUSIVE");
    } else {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        if (QFileInfo(path).isWritable())
            QSKIP("running as a user who may write read-only files");
    }

    Opportunity x;
    const StoreResult added = db->AddOpportunity(x);
    QVERIFY(!added);
    QVERIFY2(added.message().contains(path) && added.message().contains(expected),
             qPrintable(added.message()));
    QCOMPARE(db->Opportunities().Count(), 1);

    const StoreResult updated = db->UpdateDBOpportunity("Key=1");
    QVERIFY(!updated);
    QVERIFY2(updated.message().contains(path) && updated.message().contains(expected),
             qPrintable(updated.message()));

    const StoreResult removed = db->RemoveOpportunity("Key=1");
    QVERIFY(!removed);
    QVERIFY(removed.message().contains(expected));
    QVERIFY(db->Opportunities().Contains("Key=1"));
    QVERIFY(!db->DatabaseError()); // writes leave the open/create outcome alone

    if (cause == "deleted")
        QVERIFY(!QFile::exists(path)); // a failed write never makes a new file
    holder.reset();
    if (cause != "deleted") {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(RawDb(path).count(), 1);
    }
}

void tst_CVN_Database::tooLongTextsAreRefusedByName() {
    TestEnvironment env;
    const QString path = env.path("Sizes.mdb");
    auto db = created(path);
    QVERIFY(db);
    Opportunity x;
    x.setDescription(QString(128, QChar(0x00e9))); // exactly 128 characters fits
    x.setNote(QString(64, QChar(0x1F600 >> 10)));  // any 64 characters fit
    QVERIFY(db->AddOpportunity(x));

    Opportunity tooLong;
    tooLong.setForecast("Maybe");
    const StoreResult result = db->AddOpportunity(tooLong);
    QVERIFY(!result);
    QVERIFY2(result.message().contains("Forecast is longer than 3 characters"),
             qPrintable(result.message()));
    QCOMPARE(db->Opportunities().Count(), 1);

    Opportunity* stored = db->Opportunities().Item(1);
    stored->setCompany(QString(33, 'c'));
    const StoreResult update = db->UpdateDBOpportunity(db->Opportunities().KeyAt(1));
    QVERIFY(!update);
    QVERIFY(update.message().contains("Company is longer than 32 characters"));
    QCOMPARE(RawDb(path).text("SELECT Company FROM Sales"), QString());

    // The file refuses what the store would refuse, whoever writes.
    RawDb raw(path);
    QVERIFY(sqlite3_exec(raw.handle(), "UPDATE Sales SET OrderYear = '20245'", nullptr, nullptr,
                         nullptr) != SQLITE_OK);
}

void tst_CVN_Database::updateOfAVanishedRecordFails() {
    TestEnvironment env;
    const QString path = env.path("Vanish.mdb");
    auto db = created(path);
    QVERIFY(db);
    Opportunity x;
    QVERIFY(db->AddOpportunity(x));
    RawDb(path).exec("DELETE FROM Sales");
    db->Opportunities().Item("Key=1")->setStage("Gain Commitment");
    const StoreResult result = db->UpdateDBOpportunity("Key=1");
    QVERIFY(!result);
    QVERIFY(result.message().contains("no record number 1"));
    QCOMPARE(RawDb(path).count(), 0); // nothing was written
    QVERIFY(!db->UpdateDBOpportunity("Key=77"));

    // Removing a record that is already gone from the file brings both into step.
    QVERIFY(db->RemoveOpportunity("Key=1"));
    QCOMPARE(db->Opportunities().Count(), 0);
}

void tst_CVN_Database::dataIsBoundNotSpliced() {
    TestEnvironment env;
    const QString path = env.path("Quotes.mdb");
    auto db = created(path);
    QVERIFY(db);
    Opportunity x;
    x.setCompany("O'Brien'); DROP TABLE Sales;--");
    QVERIFY(db->AddOpportunity(x));
    auto again = opened(path);
    QVERIFY(again);
    QCOMPARE(again->Opportunities().Item(1)->Company(), x.Company());
}

void tst_CVN_Database::nameOfLocation_data() {
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("name");
    QTest::newRow("windows path") << "C:\\Sales\\Pipeline.mdb"
                                  << "Pipeline.mdb";
    QTest::newRow("unix path") << "/home/kim/Sales/Q3 Pipeline.mdb"
                               << "Q3 Pipeline.mdb";
    QTest::newRow("bare name") << "Pipeline.mdb"
                               << "Pipeline.mdb";
    QTest::newRow("empty") << ""
                           << "";
}

void tst_CVN_Database::nameOfLocation() {
    QFETCH(QString, location);
    QFETCH(QString, name);
    QCOMPARE(CVN_Database::NameOf(location), name);
}

QTEST_GUILESS_MAIN(tst_CVN_Database)
#include "tst_CVN_Database.moc"
