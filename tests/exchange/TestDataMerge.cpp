#include "RawDatabase.h"
#include "TestEnvironment.h"

#include "exchange/DataMerge.h"
#include "exchange/DatabaseCopy.h"
#include "exchange/LeadFile.h"
#include "store/SalesDatabase.h"

#include <QFile>
#include <QtTest>

namespace {

std::unique_ptr<SalesDatabase> opened(const QString& path) {
    auto db = SalesDatabase::open(path);
    return db ? std::move(*db) : nullptr;
}

// The record numbers of the collection, in its order, and of the file, in table order.
QList<int> numbersOf(const SalesDatabase& db) {
    QList<int> numbers;
    for (const Opportunity& o : db.opportunities())
        numbers.append(o.recordNumber());
    return numbers;
}
QString fileNumbers(const QString& path) {
    return RawDatabase(path).text("SELECT group_concat(RecordNumber, ',') FROM Sales");
}

const QByteArray Header = "Vantick leads\r\nFirst\tB\tC\tD\tE\tF\tG\tH\tI\tCompany\tLast\tL\tM\r\n";

} // namespace

class TestDataMerge : public QObject {
    Q_OBJECT

private slots:
    void nextTabField_data();
    void nextTabField();
    void leadFiles_data();
    void leadFiles();
    void leadNumbersFollowFileAndCollection();
    void leadFailureMidwayAddsNothing();
    void mergeDatabases_data();
    void mergeDatabases();
    void mergeFailuresAddNothing_data();
    void mergeFailuresAddNothing();
    void saveAs();
    void dropKind_data();
    void dropKind();
    void cancelledWorkLeavesNothing_data();
    void cancelledWorkLeavesNothing();
};

void TestDataMerge::nextTabField_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("end");
    QTest::newRow("first") << "Ann\tAcme" << 1 << "Ann" << 4;
    QTest::newRow("last without tab") << "Ann\tAcme" << 5 << "Acme" << 9;
    QTest::newRow("beyond the end") << "Ann" << 6 << "" << 4;
    QTest::newRow("empty between tabs") << "a\t\tb" << 3 << "" << 3;
    QTest::newRow("quoted and blanks") << "  \" Acme, Inc \"  \tx" << 1 << "Acme, Inc" << 18;
    QTest::newRow("only quotes") << "\"\"" << 1 << "" << 3;
    QTest::newRow("inner quotes stay") << "\"say \"\"hi\"\"\"" << 1 << "say \"\"hi\"\"" << 13;
}

void TestDataMerge::nextTabField() {
    QFETCH(QString, line);
    QFETCH(int, start);
    QFETCH(QString, text);
    QFETCH(int, end);
    const LeadFile::Field field = LeadFile::nextTabField(line, start);
    QCOMPARE(field.text, text);
    QCOMPARE(field.end, end);
}

void TestDataMerge::leadFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("contact");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("note");
    const auto row = [](const char* name, const QByteArray& file, int added,
                        const QString& company = {}, const QString& contact = {},
                        const QString& description = {}, const QString& note = {}) {
        QTest::newRow(name) << file << added << company << contact << description << note;
    };
    // A lead read from one line: the first name and company give the contact and description.
    const auto lead = [&row](const char* name, const QByteArray& file, const QString& contact,
                             int added = 1) {
        row(name, file, added, {}, contact + u' ', contact + "  - Vantick Lead");
    };
    const QByteArray ann = "Ann\tb\tc\td\te\tf\tg\th\ti\tAcme\tLee\tl\tm\tignored\r\n";
    const QString annNote = "Ann, b, c, d, e, f, g, h, i, Acme, Lee, l, m, ";
    row("Ann of Acme", Header + ann, 1, "Acme", "Ann Lee", "Ann Acme - Vantick Lead", annNote);
    row("quoted and missing columns", Header + "\"Bo\"\t\"\"\t\t\t\t\t\t\t\t\" Big, Co \"", 1,
        "Big, Co", "Bo ", "Bo Big, Co - Vantick Lead", "Bo, , , , , , , , , Big, Co, , , , ");
    // Blank lines (empty, or only blanks and TABs) are no leads and are not counted.
    row("blank lines among leads", Header + "\r\n \t \r\n" + ann + "\t\n\r\r\n  ", 1, "Acme",
        "Ann Lee", "Ann Acme - Vantick Lead", annNote);
    row("16 MB of line ends", Header + QByteArray(16 << 20, '\n'), 0);
    row("CR LF, blanks and TABs", Header + QByteArray(" \t\r\n").repeated(1 << 20), 0);
    row("one line", "only\r\n", 0);
    row("two lines", Header, 0);
    row("LF only, 3 leads", "a\nb\nX\nY\nZ", 3, "", "X ", "X  - Vantick Lead",
        "X" + QString(", ").repeated(13));
    const QByteArray longText(200, 'w');
    row("cuts 32/128/127",
        Header + longText + "\t\t\t\t\t\t\t\t\t" + longText + "\t" + longText + "\r\n", 1,
        QString(32, 'w'), QString(32, 'w'), QString(128, 'w'),
        (QString(200, 'w') + ", ").left(127));
    lead("UTF-8 with BOM", "\xEF\xBB\xBF" + Header + "J\xC3\xBCrgen\r\n", "Jürgen");
    lead("UTF-8", Header + "\xE2\x82\xAC \xC3\xBC", "€ ü");
    lead("Windows-1252", Header + "\x80 \xFC\x93", "€ ü“");
    // The file is read a megabyte at a time: a character or a CR LF cut by the end of a piece
    // stays whole, and the encoding follows every byte of the file, not only the first piece.
    const qsizetype piece = 1 << 20;
    lead("UTF-8 character across pieces", QByteArray(piece - 7, 'x') + "\r\nh\r\nJ\xC3\xBCrgen",
         "Jürgen");
    lead("CR LF across pieces", QByteArray(piece - 1, 'x') + "\r\nh\r\nAnn", "Ann");
    lead("Windows-1252 after the first piece",
         Header + "J\xC3\xBCrgen\r\n" + QByteArray(2 * piece, '\n') + "\x93", "JÃ¼rgen", 2);
    lead("UTF-16 with BOM",
         QByteArray("\xFF\xFE"
                    "a\0\n\0b\0\n\0\xFC\0",
                    12),
         "ü");
}

void TestDataMerge::leadFiles() {
    QFETCH(QByteArray, file);
    QFETCH(int, added);
    QFETCH(QString, company);
    QFETCH(QString, contact);
    QFETCH(QString, description);
    QFETCH(QString, note);
    TestEnvironment env;
    QVERIFY(RawDatabase::makeSalesFile(env.path("Shown.mdb"), {1, 2}));
    auto shown = opened(env.path("Shown.mdb"));
    QVERIFY(shown);
    const QString leads = env.path("leads.txt");
    QVERIFY(RawDatabase::writeFile(leads, file));

    const DataMerge::Outcome outcome = DataMerge::mergeText(*shown, leads);
    QCOMPARE(outcome.status, DataMerge::Status::Merged);
    QCOMPARE(outcome.title, QStringLiteral("Merge"));
    QCOMPARE(outcome.message, QString::number(added) + " new sales opportunities were merged.");
    QCOMPARE(shown->opportunities().count(), 2 + added);
    QCOMPARE(RawDatabase(env.path("Shown.mdb")).count(), 2 + added);
    if (added == 0)
        return;
    const Opportunity* lead = shown->opportunities().item(3);
    QCOMPARE(lead->recordNumber(), 3);
    QCOMPARE(lead->company(), company);
    QCOMPARE(lead->contact(), contact);
    QCOMPARE(lead->description(), description);
    if (!note.isEmpty())
        QCOMPARE(lead->note(), note);
    QCOMPARE(lead->source(), QStringLiteral("Vantick"));
    QCOMPARE(lead->stage(), QStringLiteral("Lead"));
    QCOMPARE(lead->probability(), QStringLiteral("25% - Long Shot"));
    RawDatabase raw(env.path("Shown.mdb"));
    QCOMPARE(raw.text("SELECT Contact || '|' || Description || '|' || Source FROM Sales WHERE "
                      "RecordNumber = 3"),
             contact + "|" + description + "|Vantick");
}

void TestDataMerge::leadNumbersFollowFileAndCollection() {
    TestEnvironment env;
    const QString path = env.path("Shown.mdb");
    QVERIFY(RawDatabase::makeSalesFile(path, {1, 10}));
    auto shown = opened(path);
    QVERIFY(shown);
    // Another program added record 50 since the file was opened.
    QVERIFY(RawDatabase(path).exec("INSERT INTO Sales (RecordNumber, Company) VALUES (50, 'x')"));
    const QString leads = env.path("leads.txt");
    QVERIFY(RawDatabase::writeFile(leads, Header + "A\r\nB\r\n"));
    QVERIFY(DataMerge::mergeText(*shown, leads).ok());
    QCOMPARE(numbersOf(*shown), QList<int>({1, 10, 51, 52}));
    QCOMPARE(fileNumbers(path), QStringLiteral("1,10,50,51,52"));
}

void TestDataMerge::leadFailureMidwayAddsNothing() {
    TestEnvironment env;
    const QString path = env.path("Shown.mdb");
    QVERIFY(RawDatabase::makeSalesFile(path, {1}));
    // The file refuses a second lead of the same company: the fifth line fails.
    QVERIFY(RawDatabase(path).exec("CREATE UNIQUE INDEX OneLeadPerCompany ON Sales (Contact)"));
    auto shown = opened(path);
    QVERIFY(shown);
    const QString leads = env.path("leads.txt");
    // The second Ann is on line 7 of the file, the blank lines counted.
    QVERIFY(RawDatabase::writeFile(leads, Header + "Ann\r\n\r\nBob\r\n \r\nAnn\r\nCid\r\n"));
    const DataMerge::Outcome outcome = DataMerge::mergeText(*shown, leads);
    QCOMPARE(outcome.status, DataMerge::Status::Failed);
    QCOMPARE(outcome.title, QStringLiteral("Merge Text File"));
    QVERIFY2(
        outcome.message.startsWith("Unable to process some or all of the file " + leads + "\n\n") &&
            outcome.message.contains("line 7: ") && outcome.message.endsWith("Nothing was added."),
        qPrintable(outcome.message));
    QCOMPARE(shown->opportunities().count(), 1);
    QCOMPARE(RawDatabase(path).count(), 1);

    // A file that cannot be read fails the same way, naming the cause.
    const DataMerge::Outcome missing = DataMerge::mergeText(*shown, env.path("gone.txt"));
    QCOMPARE(missing.message, "Unable to process some or all of the file " + env.path("gone.txt") +
                                  "\n\nThe file does not exist.");
    // Failures found while the leads are read undo the leads stored before them.
    QVERIFY(RawDatabase(path).exec("DROP INDEX OneLeadPerCompany"));
    const QList<QPair<QByteArray, QString>> unreadable = {
        {Header + "a\n\nb" + QByteArray("\0c", 2),
         "Line 5 holds a NUL character: this is not a text file."},
        {Header + "a\r\n" + QByteArray((1 << 20) + 1, 'x'), "Line 4 is longer than"},
        {Header + QByteArray("lead\n").repeated(32768), "Line 32770 holds lead 32768"}};
    for (const auto& [text, cause] : unreadable) {
        QVERIFY(RawDatabase::writeFile(leads, text));
        const QString message = DataMerge::mergeText(*shown, leads).message;
        QVERIFY2(message.startsWith("Unable to process some or all of the file " + leads + "\n\n" +
                                    cause),
                 qPrintable(message.left(200)));
        QCOMPARE(shown->opportunities().count(), 1);
        QCOMPARE(RawDatabase(path).count(), 1);
    }
}

void TestDataMerge::mergeDatabases_data() {
    QTest::addColumn<bool>("intoItself");
    QTest::addColumn<bool>("readOnlySource");
    QTest::newRow("3 into 5") << false << false;
    QTest::newRow("into itself") << true << false;
    QTest::newRow("read-only source") << false << true;
}

void TestDataMerge::mergeDatabases() {
    QFETCH(bool, intoItself);
    QFETCH(bool, readOnlySource);
    TestEnvironment env;
    const QString path = env.path("Shown.mdb");
    QVERIFY(RawDatabase::makeSalesFile(path, {1, 2, 3, 4, 5}));
    const QString source = intoItself ? path : env.path("Source.mdb");
    if (!intoItself)
        QVERIFY(RawDatabase::makeSalesFile(source, {30, 10, 20}));
    if (readOnlySource)
        QVERIFY(RawDatabase::makeReadOnly(source));
    auto shown = opened(path);
    QVERIFY(shown);
    const DataMerge::Outcome outcome = DataMerge::mergeDatabase(*shown, source);
    QCOMPARE(outcome.status, DataMerge::Status::Merged);
    QVERIFY(outcome.message.isEmpty());
    const QList<int> expected =
        intoItself ? QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10} : QList<int>{1, 2, 3, 4, 5, 6, 7, 8};
    QCOMPARE(numbersOf(*shown), expected);
    QCOMPARE(RawDatabase(path).count(), expected.size());
    // The copies keep the source's order and fields; only the number is new.
    const QString firstCopy = intoItself ? "Deal 1" : "Deal 30";
    QCOMPARE(shown->opportunities().item(6)->description(), firstCopy);
    QCOMPARE(RawDatabase(path).text("SELECT Description || Company || SalesOwner || Revenue FROM "
                                    "Sales WHERE RecordNumber = 7"),
             intoItself ? "Deal 2Company 2Owner$20.00" : "Deal 10Company 10Owner$20.00");
    // An empty source merges nothing and says nothing.
    QVERIFY(RawDatabase::makeSalesFile(env.path("Empty.mdb"), {}));
    const DataMerge::Outcome empty = DataMerge::mergeDatabase(*shown, env.path("Empty.mdb"));
    QCOMPARE(empty.status, DataMerge::Status::Nothing);
    QVERIFY(empty.message.isEmpty());
}

void TestDataMerge::mergeFailuresAddNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("cause");
    QTest::newRow("locked source") << "locked"
                                   << "in use by another program";
    QTest::newRow("text file dropped") << "text"
                                       << "The file is not a Corvane database.";
    QTest::newRow("read-only shown file") << "readonly"
                                          << "the file is read-only";
    QTest::newRow("over-long foreign texts")
        << "long"
        << "record 7 of %1: Description is longer than 128 characters.";
}

void TestDataMerge::mergeFailuresAddNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, cause);
    TestEnvironment env;
    const QString path = env.path("Shown.mdb");
    QVERIFY(RawDatabase::makeSalesFile(path, {1, 2}));
    auto shown = opened(path);
    QVERIFY(shown);
    QString source = env.path("Source.mdb");
    QVERIFY(RawDatabase::makeSalesFile(source, {5, 7}));
    std::unique_ptr<RawDatabase> locker;
    if (kind == "locked") {
        locker = std::make_unique<RawDatabase>(source);
        QVERIFY(locker->exec("BEGIN EXCLUSIVE"));
    } else if (kind == "text") {
        source = env.path("leads.txt");
        QVERIFY(RawDatabase::writeFile(source, Header + "Ann\r\n"));
    } else if (kind == "readonly") {
        QVERIFY(RawDatabase::makeReadOnly(path));
    } else if (kind == "long") {
        // Written by a program that does not check the sizes.
        QVERIFY(RawDatabase(source).exec(
            QString("PRAGMA ignore_check_constraints = ON; "
                    "UPDATE Sales SET Description = '%1' WHERE RecordNumber = 7")
                .arg(QString(200, 'x'))));
    }
    const QString before = fileNumbers(path);
    const DataMerge::Outcome outcome = DataMerge::mergeDatabase(*shown, source);
    QCOMPARE(outcome.status, DataMerge::Status::Failed);
    QCOMPARE(outcome.title, QStringLiteral("Merge Opportunities"));
    QVERIFY2(outcome.message.startsWith("Unable to merge " + source + "\n\n") &&
                 outcome.message.contains(cause.arg(source)),
             qPrintable(outcome.message));
    QCOMPARE(numbersOf(*shown), QList<int>({1, 2}));
    QCOMPARE(fileNumbers(path), before);
}

void TestDataMerge::saveAs() {
    TestEnvironment env;
    const QString path = env.path("Shown.mdb");
    QVERIFY(RawDatabase::makeSalesFile(path, {4, 8, 15}));
    const QString copy = env.path("Copy.mdb");
    QVERIFY(RawDatabase::writeFile(copy, "an older file"));
    const Result saved = DatabaseCopy::saveAs(path, copy, {path});
    QVERIFY2(saved.ok(), qPrintable(saved.message()));
    auto reopened = opened(copy);
    QVERIFY(reopened);
    QCOMPARE(numbersOf(*reopened), QList<int>({4, 8, 15}));
    QCOMPARE(
        RawDatabase(copy).text("SELECT count(*) FROM sqlite_schema WHERE name = 'RecordNumber'"),
        QStringLiteral("1"));

    // Never over the source itself or another open database.
    const QString other = env.path("Other.mdb");
    QVERIFY(RawDatabase::makeSalesFile(other, {1}));
    const Result overItself = DatabaseCopy::saveAs(path, env.path("./Shown.mdb"), {path});
    QVERIFY(overItself.message().endsWith("a database cannot be saved over itself"));
    const Result overOpen = DatabaseCopy::saveAs(path, other, {path, other});
    QVERIFY(overOpen.message().contains(other + " is an open database"));
    QCOMPARE(fileNumbers(other), QStringLiteral("1"));
    QCOMPARE(fileNumbers(path), QStringLiteral("4,8,15"));
}

void TestDataMerge::dropKind_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::newRow("mdb") << "/d/Sales.mdb" << int(DataMerge::DropKind::Database);
    QTest::newRow("txt") << "/d/leads.txt" << int(DataMerge::DropKind::LeadFile);
    QTest::newRow("MDB") << "/d/Sales.MDB" << int(DataMerge::DropKind::Database);
    QTest::newRow("TXT") << "/d/LEADS2.TXT" << int(DataMerge::DropKind::LeadFile);
    QTest::newRow("Txt") << "/d/leads.Txt" << int(DataMerge::DropKind::LeadFile);
    QTest::newRow("other") << "/d/leads.csv" << int(DataMerge::DropKind::Database);
}

void TestDataMerge::dropKind() {
    QFETCH(QString, file);
    QFETCH(int, kind);
    QCOMPARE(int(DataMerge::dropKind(file)), kind);
}

void TestDataMerge::cancelledWorkLeavesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("cancelAt"); // the report that answers "stop", from 1
    QTest::newRow("lead file, first report") << "leads" << 1;
    QTest::newRow("lead file, later report") << "leads" << 3;
    QTest::newRow("database, first report") << "database" << 1;
    QTest::newRow("database, later report") << "database" << 3;
    QTest::newRow("save as, new file") << "saveAs" << 1;
    QTest::newRow("save as, over a file") << "saveAsOver" << 1;
}

void TestDataMerge::cancelledWorkLeavesNothing() {
    QFETCH(QString, kind);
    QFETCH(int, cancelAt);
    TestEnvironment env;
    const QString path = env.path("Shown.mdb");
    QVERIFY(RawDatabase::makeSalesFile(path, {1, 2}));
    auto shown = opened(path);
    QVERIFY(shown);
    int reports = 0;
    const ProgressCallback progress = [&](qint64, qint64) { return ++reports < cancelAt; };
    const QString before = fileNumbers(path);
    if (kind == "leads" || kind == "database") {
        QList<int> numbers;
        for (int i = 1; i <= 300; ++i)
            numbers.append(i);
        DataMerge::Outcome outcome;
        if (kind == "leads") {
            const QString leads = env.path("leads.txt");
            QVERIFY(RawDatabase::writeFile(leads, Header + QByteArray("Ann\r\n").repeated(300)));
            outcome = DataMerge::mergeText(*shown, leads, progress);
        } else {
            const QString source = env.path("Source.mdb");
            QVERIFY(RawDatabase::makeSalesFile(source, numbers));
            outcome = DataMerge::mergeDatabase(*shown, source, progress);
        }
        QCOMPARE(reports, cancelAt);
        QCOMPARE(outcome.status, DataMerge::Status::Cancelled);
        QVERIFY(!outcome.ok());
        QVERIFY(outcome.keys.isEmpty());
        QCOMPARE(numbersOf(*shown), QList<int>({1, 2}));
        QCOMPARE(fileNumbers(path), before);
        // Without a cancel the same merge adds everything.
        reports = 0;
        const DataMerge::Outcome again =
            kind == "leads" ? DataMerge::mergeText(*shown, env.path("leads.txt"))
                            : DataMerge::mergeDatabase(*shown, env.path("Source.mdb"));
        QCOMPARE(again.added, 300);
        QCOMPARE(RawDatabase(path).count(), 302);
        return;
    }
    const QString target = env.path("Copy.mdb");
    if (kind == "saveAsOver")
        QVERIFY(RawDatabase::writeFile(target, "an older file"));
    const Result saved = DatabaseCopy::saveAs(path, target, {path}, progress);
    QVERIFY(saved.isCancelled());
    QCOMPARE(reports, cancelAt);
    if (kind == "saveAsOver") {
        QFile older(target);
        QVERIFY(older.open(QIODevice::ReadOnly));
        QCOMPARE(older.readAll(), QByteArray("an older file"));
    } else {
        QVERIFY(!QFileInfo::exists(target));
    }
    // No temporary file is left beside the target.
    QVERIFY(
        QDir(env.path(".")).entryList({".corvane-save-*"}, QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_GUILESS_MAIN(TestDataMerge)
#include "TestDataMerge.moc"
