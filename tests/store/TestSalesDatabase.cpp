#include "RawDatabase.h"
#include "TestEnvironment.h"

#include "store/OpportunityFields.h"
#include "store/SalesDatabase.h"
#include "store/SalesFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtTest>
#include <cstdio>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

using RawDb = RawDatabase;
const QString PlainTable = RawDb::plainTable();
constexpr auto insertRow = [](const QString& number, const QString& company = "'Acme'",
                              const QString& created = "'2024-03-07 14:05:09'") {
    return RawDb::insertRow(number, company, created);
};

std::unique_ptr<SalesDatabase> opened(const QString& path) {
    auto db = SalesDatabase::open(path);
    return db ? std::move(*db) : nullptr;
}

std::unique_ptr<SalesDatabase> created(const QString& path) {
    if (!SalesDatabase::create(path))
        return nullptr;
    return opened(path);
}

// Writes `change` of the opportunity under `key` through the store, as an edit does.
Result changed(SalesDatabase& db, const QString& key,
               const std::function<void(Opportunity&)>& change) {
    const Opportunity* item = db.opportunities().item(key);
    if (!item)
        return db.update(key, Opportunity());
    Opportunity edited(*item);
    change(edited);
    return db.update(key, edited);
}

// This test program runs as a second process on a file when started with this variable set:
// "hold\nPATH" holds the file exclusively until its standard input closes, "hold\nPATH\nMS" for
// MS milliseconds.
constexpr char ChildJob[] = "CORVANE_STORE_TEST_CHILD";

int runChild(const QStringList& job) {
    RawDb raw(job.value(1));
    raw.exec("BEGIN EXCLUSIVE");
    std::printf("held\n");
    std::fflush(stdout);
    if (job.size() > 2) {
        QThread::msleep(job.value(2).toULong());
        return raw.exec("COMMIT") ? 0 : 1;
    }
    while (std::getchar() != EOF) {
    }
    return 0;
}

std::unique_ptr<QProcess> startChild(const QStringList& job) {
    auto child = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(ChildJob, job.join('\n'));
    child->setProcessEnvironment(environment);
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationFilePath(), {});
    return child;
}
} // namespace

class TestSalesDatabase : public QObject {
    Q_OBJECT

private slots:
    void newDatabaseRefusesAnExistingFile();
    void openFailures_data();
    void openFailures();
    void openMendsFilesMadeElsewhere();
    void everyFieldReachesItsColumn();
    void writesFindTheRecordThatWasRead_data();
    void writesFindTheRecordThatWasRead();
    void writesLeaveCollectionAndFileEqualOnFailure_data();
    void writesLeaveCollectionAndFileEqualOnFailure();
    void tooLongTextsAreRefusedByName();
    void writesOfAVanishedRecordFail();
    void numbersFollowTheFile();
    void writesWaitOutAnotherWriter_data();
    void writesWaitOutAnotherWriter();
    void locationsAreNeverUris();
    void longMonthNamesAreStoredShort_data();
    void longMonthNamesAreStoredShort();
};

void TestSalesDatabase::newDatabaseRefusesAnExistingFile() {
    TestEnvironment env;
    const QString path = env.path("Existing.mdb");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    const auto db = SalesDatabase::create(path);
    QVERIFY(!db);
    QCOMPARE(db.message(), "Unable to create a new database " + path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep me"));

    QVERIFY(!SalesDatabase::create(env.path("no/such/folder/x.mdb")));
}

void TestSalesDatabase::openFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("text file named .mdb") << "text";
    QTest::newRow("truncated file") << "truncated";
    QTest::newRow("no table Sales") << "notable";
    QTest::newRow("Sales lacks a field") << "nofield";
    QTest::newRow("held by another connection") << "locked";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("named pipe") << "fifo"; // reading it would wait for ever
}

void TestSalesDatabase::openFailures() {
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
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    const auto db = SalesDatabase::open(path);
    QVERIFY(!db);
    QCOMPARE(db.message(), "Could not open " + path);
    QVERIFY(env.ui().fileRequests().isEmpty());
    if (kind == "missing")
        QVERIFY(!QFile::exists(path)); // opening never creates the file
}

void TestSalesDatabase::openMendsFilesMadeElsewhere() {
    TestEnvironment env;
    const QString path = env.path("Elsewhere.mdb");
    {
        RawDb raw(path);
        raw.exec(RawDatabase::plainTable("sales")); // no index; the name in lower case
        raw.exec(insertRow("1"));
        raw.exec(insertRow("2", "NULL"));                        // a NULL text
        raw.exec(insertRow("3", "'Beta'", "NULL"));              // a NULL date
        raw.exec(insertRow("4", "'Julian'", "2453370.5"));       // a date as a Julian day
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
    const Opportunities& c = db->opportunities();
    QCOMPARE(c.count(), 7);
    QCOMPARE(c.item("Key=4")->dateCreated(), QStringLiteral("12/31/2004 12:00:00 AM"));
    QCOMPARE(c.item("Key=7")->company(), QStringLiteral("Whole"));
    QCOMPARE(c.item("Key=1")->company(), QStringLiteral("Acme"));
    QCOMPARE(c.item("Key=1")->dateCreated(), QStringLiteral("3/7/2024 2:05:09 PM"));
    QCOMPARE(c.item("Key=2")->company(), QString());
    QCOMPARE(c.item("Key=3")->dateCreated(), QString());
    QCOMPARE(c.item("Key=9")->description(), QString());
    QCOMPARE(c.item("Key=9")->stage(), QString());
    QCOMPARE(c.item("Key=12")->company(), QStringLiteral("Text number"));
    QCOMPARE(*c.nextRecordNumber(), 13);

    // With duplicate numbers in the file the index cannot be made; the open goes on.
    RawDb raw(path);
    QCOMPARE(raw.text("SELECT count(*) FROM sqlite_schema WHERE name='RecordNumber'"), "0");
    raw.exec("DELETE FROM Sales WHERE Company = 'Duplicate'");
    QVERIFY(opened(path));
    QCOMPARE(raw.text("SELECT count(*) FROM sqlite_schema WHERE name='RecordNumber'"), "1");
    QVERIFY(opened(path)); // a second open with the index present
}

namespace {
// A text for every field that differs from those of all other fields and fits the field's size,
// so that a field written to or read from another field's column shows; quotes show splicing.
QString distinctText(const OpportunityFields::Info& field, int variant) {
    const QString number = QString::number(variant + field.field);
    if (field.size <= 4)
        return (field.size == 3 ? QStringLiteral("F") : QString()) + number;
    return QLatin1String(field.storedName).left(field.size - 4) + number + "'\"";
}

bool isPlainText(const OpportunityFields::Info& field) {
    return field.type == OpportunityFields::Type::Text;
}
} // namespace

void TestSalesDatabase::everyFieldReachesItsColumn() {
    TestEnvironment env;
    const QString path = env.path("Fields.mdb");
    QVERIFY(created(path));
    RawDb raw(path);
    // A record that another program wrote long ago.
    QStringList values{"41"};
    for (const auto& field : OpportunityFields::Fields) {
        if (field.field == OpportunityFields::DateCreated)
            values << "'1999-04-03 02:01:00'";
        else if (isPlainText(field))
            values << "'" + distinctText(field, 10).replace("'", "''") + "'";
    }
    raw.exec("INSERT INTO Sales VALUES (" + values.join(", ") + ")");
    auto db = opened(path);
    QVERIFY(db);
    Opportunity* read = db->opportunities().item("Key=41");
    QVERIFY(read);
    QCOMPARE(read->recordNumber(), 41);
    QCOMPARE(read->dateCreated(), QStringLiteral("4/3/1999 2:01:00 AM"));
    for (const auto& field : OpportunityFields::Fields) {
        if (isPlainText(field))
            QCOMPARE(read->text(field.field), distinctText(field, 10));
    }

    // An update writes every text to its own column and keeps the old creation time.
    QVERIFY(changed(*db, "Key=41", [](Opportunity& edited) {
        for (const auto& field : OpportunityFields::Fields) {
            if (isPlainText(field))
                edited.setText(field.field, distinctText(field, 40));
        }
    }));
    QCOMPARE(read->text(OpportunityFields::Company),
             distinctText(OpportunityFields::info(OpportunityFields::Company), 40));
    for (const auto& field : OpportunityFields::Fields) {
        if (isPlainText(field)) {
            QCOMPARE(raw.text(QStringLiteral("SELECT %1 FROM Sales").arg(field.storedName)),
                     distinctText(field, 40));
        }
    }
    QCOMPARE(raw.text("SELECT DateCreated FROM Sales"), QStringLiteral("1999-04-03 02:01:00"));

    // An added record has the time of the add as its creation time (that it reads back as it was
    // added, every field: TestSalesStore::recordsRoundTrip).
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const auto added = db->add(Opportunity());
    QVERIFY(added);
    QCOMPARE(*added, QStringLiteral("Key=42"));
    const QDateTime createdAt = QDateTime::fromString(
        raw.text("SELECT DateCreated FROM Sales WHERE RecordNumber = 42"), "yyyy-MM-dd HH:mm:ss");
    QVERIFY(createdAt >= before && createdAt <= QDateTime::currentDateTime().addSecs(1));
}

void TestSalesDatabase::writesFindTheRecordThatWasRead_data() {
    QTest::addColumn<QString>("stored"); // the record number as the other program stored it
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("twin"); // a second record with the same number follows it
    QTest::newRow("text '12'") << "'12'" << 12 << false;
    QTest::newRow("text ' 20'") << "' 20'" << 20 << false;
    QTest::newRow("text '021'") << "'021'" << 21 << false;
    QTest::newRow("real 7.0") << "7.0" << 7 << false;
    QTest::newRow("duplicate number") << "5" << 5 << true;
    QTest::newRow("duplicate text number") << "'05'" << 5 << true;
}

void TestSalesDatabase::writesFindTheRecordThatWasRead() {
    QFETCH(QString, stored);
    QFETCH(int, number);
    QFETCH(bool, twin);
    TestEnvironment env;
    const QString path = env.path("Foreign.mdb");
    RawDb raw(path);
    // No declared type: the engine keeps numbers and texts as they were given.
    raw.exec(RawDatabase::plainTable("Sales", QString()));
    raw.exec(insertRow("1", "'Other'"));
    raw.exec(insertRow(stored, "'Target'"));
    if (twin)
        raw.exec(insertRow(stored, "'Twin'"));
    auto db = opened(path);
    QVERIFY(db);
    const QString key = Opportunities::keyFor(number);
    Opportunity* target = db->opportunities().item(key);
    QVERIFY(target);
    QCOMPARE(target->company(), QStringLiteral("Target"));

    const Result updated =
        changed(*db, key, [](Opportunity& edited) { edited.setStage("Gain Commitment"); });
    QVERIFY2(updated, qPrintable(updated.message()));
    QCOMPARE(raw.text("SELECT group_concat(Company || '=' || Stage, ';') FROM Sales"),
             QString(twin ? "Other=Lead;Target=Gain Commitment;Twin=Lead"
                          : "Other=Lead;Target=Gain Commitment"));

    const Result removed = db->remove(key);
    QVERIFY2(removed, qPrintable(removed.message()));
    QCOMPARE(raw.text("SELECT group_concat(Company, ';') FROM Sales"),
             QString(twin ? "Other;Twin" : "Other"));
}

void TestSalesDatabase::writesLeaveCollectionAndFileEqualOnFailure_data() {
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file deleted") << QString("deleted") << QString("the file does not exist");
    QTest::newRow("file locked") << QString("locked")
                                 << QString("the file is in use by another program; try again "
                                            "when it has finished with it");
    QTest::newRow("file read-only") << QString("readonly") << QString("the file is read-only");
}

void TestSalesDatabase::writesLeaveCollectionAndFileEqualOnFailure() {
    QFETCH(QString, cause);
    QFETCH(QString, expected);
    TestEnvironment env;
    const QString path = env.path("Shaky.mdb");
    auto db = created(path);
    QVERIFY(db);
    QVERIFY(db->add(Opportunity()));

    std::unique_ptr<QProcess> holder;
    if (cause == "deleted") {
        QVERIFY(QFile::remove(path));
    } else if (cause == "locked") {
        // Another process holds the file longer than a write waits for it.
        holder = startChild({"hold", path});
        QVERIFY(holder->waitForReadyRead(30'000));
        QCOMPARE(holder->readLine(), QByteArray("held\n"));
    } else {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        if (QFileInfo(path).isWritable())
            QSKIP("running as a user who may write read-only files");
    }

    const auto added = db->add(Opportunity());
    QVERIFY(!added);
    QVERIFY2(added.message().contains(path) && added.message().contains(expected),
             qPrintable(added.message()));
    QCOMPARE(db->opportunities().count(), 1);

    const Result updated =
        changed(*db, "Key=1", [](Opportunity& edited) { edited.setStage("Gain Commitment"); });
    QVERIFY(!updated);
    QVERIFY2(updated.message().contains(path) && updated.message().contains(expected),
             qPrintable(updated.message()));
    QCOMPARE(db->opportunities().item("Key=1")->stage(), QStringLiteral("Lead"));

    const Result removed = db->remove("Key=1");
    QVERIFY(!removed);
    QVERIFY(removed.message().contains(expected));
    QVERIFY(db->opportunities().contains("Key=1"));

    if (cause == "deleted")
        QVERIFY(!QFile::exists(path)); // a failed write never makes a new file
    if (holder) {
        holder->closeWriteChannel();
        QVERIFY(holder->waitForFinished(30'000));
    }
    if (cause != "deleted") {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(RawDb(path).count(), 1);
    }
}

void TestSalesDatabase::tooLongTextsAreRefusedByName() {
    TestEnvironment env;
    const QString path = env.path("Sizes.mdb");
    auto db = created(path);
    QVERIFY(db);
    Opportunity x;
    x.setDescription(QString(128, QChar(0x00e9))); // exactly 128 characters fits
    x.setNote(QString(64, QChar(0x1F600 >> 10)));  // any 64 characters fit
    QVERIFY(db->add(x));

    // Refused by name (for an add as well: TestSalesStore::bulkWritesAreAllOrNothing).
    const Result update = changed(*db, db->opportunities().keyAt(1),
                                  [](Opportunity& edited) { edited.setCompany(QString(33, 'c')); });
    QVERIFY(!update);
    QVERIFY(update.message().contains("Company is longer than 32 characters"));
    QCOMPARE(RawDb(path).text("SELECT Company FROM Sales"), QString());

    // The file refuses what the store would refuse, whoever writes.
    RawDb raw(path);
    QVERIFY(sqlite3_exec(raw.handle(), "UPDATE Sales SET OrderYear = '20245'", nullptr, nullptr,
                         nullptr) != SQLITE_OK);
}

void TestSalesDatabase::writesOfAVanishedRecordFail() {
    TestEnvironment env;
    const QString path = env.path("Vanish.mdb");
    auto db = created(path);
    QVERIFY(db);
    QVERIFY(db->add(Opportunity()));
    RawDb(path).exec("DELETE FROM Sales");
    const QString gone =
        "the file no longer has record number 1 as it was read (another program may have "
        "changed or deleted it); open the file again to see its records as they are now";
    const Result updated =
        changed(*db, "Key=1", [](Opportunity& edited) { edited.setStage("Gain Commitment"); });
    QCOMPARE(updated.message(), "Could not save the opportunity in " + path + ": " + gone);
    const Result removed = db->remove("Key=1");
    QCOMPARE(removed.message(), "Could not delete the opportunity from " + path + ": " + gone);
    QVERIFY(db->opportunities().contains("Key=1"));
    QCOMPARE(RawDb(path).count(), 0); // nothing was written
    QVERIFY(!db->update("Key=77", Opportunity()));
}

void TestSalesDatabase::numbersFollowTheFile() {
    TestEnvironment env;
    const QString path = env.path("Shared.mdb");
    RawDb raw(path);
    raw.exec(RawDatabase::plainTable("Sales", QString())); // numbers kept as given
    auto first = opened(path);
    auto second = opened(path);
    QVERIFY(first && second);
    // Numbers another program stored as text count as well.
    QCOMPARE(*first->add(Opportunity()), QStringLiteral("Key=1"));
    raw.exec(insertRow("' 30'"));
    QCOMPARE(*second->add(Opportunity()), QStringLiteral("Key=31"));
    QCOMPARE(raw.text("SELECT count(DISTINCT CAST(RecordNumber AS INTEGER)) FROM Sales"), "3");

    // What the numbering cannot prevent is said in plain words.
    raw.exec("UPDATE Sales SET Company = 'c' || rowid");
    raw.exec("CREATE UNIQUE INDEX OneDealPerCompany ON Sales (Company)");
    Opportunity again;
    again.setCompany("c1");
    QCOMPARE(second->add(again).message(),
             "Could not add the opportunity to " + path +
                 ": another record in the file already has the same Company");
}

void TestSalesDatabase::writesWaitOutAnotherWriter_data() {
    QTest::addColumn<QString>("operation");
    QTest::newRow("open") << "open";
    QTest::newRow("add") << "add";
    QTest::newRow("read for a merge") << "copies";
}

void TestSalesDatabase::writesWaitOutAnotherWriter() {
    QFETCH(QString, operation);
    TestEnvironment env;
    const QString path = env.path("Busy.mdb");
    auto db = created(path);
    QVERIFY(db);
    // Another program's transaction of a second, well within the store's wait.
    SalesFile::setLockWaitMs(SalesFile::DefaultLockWaitMs);
    auto holder = startChild({"hold", path, "1000"});
    QVERIFY(holder->waitForReadyRead(30'000));
    QCOMPARE(holder->readLine(), QByteArray("held\n"));
    if (operation == "open") {
        const auto reopened = SalesDatabase::open(path);
        QVERIFY2(reopened, qPrintable(reopened.message()));
    } else if (operation == "add") {
        const auto added = db->add(Opportunity());
        QVERIFY2(added, qPrintable(added.message()));
        QCOMPARE(RawDb(path).count(), 1);
    } else {
        const auto copies = db->store().readCopies();
        QVERIFY2(copies, qPrintable(copies.message()));
    }
    QVERIFY(holder->waitForFinished(30'000));
    QCOMPARE(holder->exitCode(), 0);
}

void TestSalesDatabase::locationsAreNeverUris() {
    TestEnvironment env;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(env.path(".")));
    // A file whose name begins with "file:" beside the file that name would stand for as a URI.
    auto plain = created("Pipeline.mdb");
    QVERIFY(plain);
    Opportunity p;
    p.setCompany("Plain");
    QVERIFY(plain->add(p));
    auto literal = created("file:Pipeline.mdb");
    QVERIFY(literal);
    Opportunity l;
    l.setCompany("Literal");
    QVERIFY(literal->add(l));
    auto reread = opened("file:Pipeline.mdb");
    QVERIFY(reread && reread->opportunities().count() == 1);
    QCOMPARE(reread->opportunities().item(1)->company(), QStringLiteral("Literal"));
    QCOMPARE(RawDb("Pipeline.mdb").text("SELECT group_concat(Company) FROM Sales"), "Plain");
    QVERIFY(QDir::setCurrent(previous));
}

void TestSalesDatabase::longMonthNamesAreStoredShort_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("month");
    QTest::addColumn<QString>("stored");
    QTest::newRow("ga_IE October") << QLocale(QLocale::Irish, QLocale::Ireland) << 10 << "DFómh";
    QTest::newRow("gd_GB January")
        << QLocale(QLocale::Gaelic, QLocale::UnitedKingdom) << 1 << "Faoi";
    QTest::newRow("mi_NZ November")
        << QLocale(QLocale::Maori, QLocale::NewZealand) << 11 << "Rangi";
    QTest::newRow("en_US September")
        << QLocale(QLocale::English, QLocale::UnitedStates) << 9 << "September";
}

void TestSalesDatabase::longMonthNamesAreStoredShort() {
    QFETCH(QLocale, locale);
    QFETCH(int, month);
    QFETCH(QString, stored);
    TestEnvironment env(locale);
    const QString path = env.path("Months.mdb");
    auto db = created(path);
    QVERIFY(db);
    QCOMPARE(Opportunity::orderMonthName(month), stored);
    // As the editor would set it, with the full name.
    Opportunity x;
    x.setOrderYear("2026");
    x.setOrderMonth(locale.monthName(month));
    x.setOrderDay("15");
    const auto added = db->add(x);
    QVERIFY2(added, qPrintable(added.message()));
    QCOMPARE(RawDb(path).text("SELECT OrderMonth FROM Sales"), stored);
    QVERIFY(changed(*db, *added,
                    [&](Opportunity& edited) { edited.setOrderMonth(locale.monthName(month)); }));
    auto again = opened(path);
    QCOMPARE(again->opportunities().item(1)->orderDate(),
             QString("2026-%1-15").arg(month, 2, 10, QLatin1Char('0')));
}

int main(int argc, char* argv[]) {
    // File names must stay file names even where the engine reads URIs.
    sqlite3_config(SQLITE_CONFIG_URI, 1);
    QCoreApplication application(argc, argv);
    if (qEnvironmentVariableIsSet(ChildJob))
        return runChild(qEnvironmentVariable(ChildJob).split('\n'));
    TestSalesDatabase test;
    return QTest::qExec(&test, argc, argv);
}
#include "TestSalesDatabase.moc"
