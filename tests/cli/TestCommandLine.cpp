#include "PostgresServer.h"
#include "RawDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <sys/stat.h>

namespace {

bool isFifo(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISFIFO(status.st_mode);
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

} // namespace

// corvane-cli run as a process, in a folder of its own with its own settings file.
class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void usageAndFailures_data();
    void usageAndFailures();
    void newMergeListAndExport();
    void storedFilterApplies();
    void teamDatabase();
    void argumentsAfterTheOptions_data();
    void argumentsAfterTheOptions();
    void exportToStandardOutput();
    void refusedTargets_data();
    void refusedTargets();
    void exportGuardsFormulas_data();
    void exportGuardsFormulas();
    void report_data();
    void report();
    void importCommand();
    void needsNoWidgets();
    void namesThatAreNoText_data();
    void namesThatAreNoText();

private:
    Run run(const QStringList& arguments);
    // Runs corvane-cli through the shell, each argument's escapes ("\\0377") made into bytes.
    Run runBytes(const QStringList& arguments);
    Run start(const QString& program, const QStringList& arguments);
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCommandLine::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(RawDatabase::makeSalesFile(path("Pipeline.mdb"), {1, 2, 3}));
}

void TestCommandLine::cleanup() {
    m_dir.reset();
}

Run TestCommandLine::run(const QStringList& arguments) {
    return start(QStringLiteral(CORVANE_CLI), arguments);
}

Run TestCommandLine::runBytes(const QStringList& arguments) {
    QString script = QStringLiteral("exec \"$0\"");
    for (qsizetype i = 1; i <= arguments.size(); ++i)
        script += QStringLiteral(" \"$(printf %b \"$%1\")\"").arg(i);
    return start(QStringLiteral("/bin/sh"),
                 QStringList{QStringLiteral("-c"), script, QStringLiteral(CORVANE_CLI)} +
                     arguments);
}

Run TestCommandLine::start(const QString& program, const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", path("config"));
    environment.insert("LC_ALL", "C.UTF-8");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(60000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

void TestCommandLine::usageAndFailures_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing") << QStringList{} << 2 << "no command given";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "unknown command";
    QTest::newRow("missing argument") << QStringList{"export", "Pipeline.mdb"} << 2
                                      << "usage: corvane-cli export DB OUT [--all] [--raw]";
    QTest::newRow("unknown option")
        << QStringList{"list", "Pipeline.mdb", "--fast"} << 2 << "does not know the option --fast";
    QTest::newRow("unknown column") << QStringList{"list", "Pipeline.mdb", "--columns", "Bogus"}
                                    << 2 << "unknown column key 'Bogus'";
    QTest::newRow("source of unknown kind") << QStringList{"merge", "Pipeline.mdb", "x.doc"} << 2
                                            << "neither a database (.mdb) nor a lead file (.txt)";
    QTest::newRow("missing file") << QStringList{"totals", "Gone.mdb"} << 1
                                  << "Could not open Gone.mdb: the file does not exist.";
    QTest::newRow("not a database")
        << QStringList{"list", "notes.mdb"} << 1 << "The file is not a Corvane database.";
    QTest::newRow("export over the database")
        << QStringList{"export", "Pipeline.mdb", "Pipeline.mdb"} << 1
        << "is an open Corvane database";
    QTest::newRow("new over an existing file")
        << QStringList{"new", "Pipeline.mdb"} << 1 << "the file exists already";
    QTest::newRow("report of a missing template")
        << QStringList{"report", "Pipeline.mdb", "Nonesuch", "out.pdf"} << 1
        << "corvane-cli: Could not read the report template Nonesuch: the file does not exist.";
    QTest::newRow("report over its database")
        << QStringList{"report", "Pipeline.mdb", "Summary", "Pipeline.mdb"} << 1
        << "Could not write the PDF file Pipeline.mdb: it is the file the report is made from.";
    QTest::newRow("extra argument")
        << QStringList{"new", "New.mdb", "Other.mdb"} << 2 << "usage: corvane-cli new DB";
    QTest::newRow("extra report output")
        << QStringList{"report", "Pipeline.mdb", "Summary", "out.pdf", "more.pdf"} << 2
        << "usage: corvane-cli report DB TEMPLATE OUT.pdf";
    // After "--" a flag is a file name: here one too many.
    QTest::newRow("flag after the options' end")
        << QStringList{"export", "Pipeline.mdb", "out.csv", "--", "--all"} << 2
        << "usage: corvane-cli export DB OUT [--all]";
    QTest::newRow("import: unknown duplicate choice")
        << QStringList{"import", "Pipeline.mdb", "deals.csv", "--duplicates", "merge"} << 2
        << "--duplicates takes skip, update or add, not 'merge'";
    QTest::newRow("import: unknown field")
        << QStringList{"import", "Pipeline.mdb", "deals.csv", "--map", "Size=Bigness"} << 2
        << "unknown field 'Bigness' (fields: ignore, SalesOwner,";
    QTest::newRow("import: unknown column")
        << QStringList{"import", "Pipeline.mdb", "deals.csv", "--map", "Colour=Note"} << 2
        << "deals.csv has no column 'Colour'";
    QTest::newRow("import: nothing mapped")
        << QStringList{"import", "Pipeline.mdb", "deals.csv", "--map", "Size=ignore"} << 1
        << "No column of deals.csv is mapped to a field";
    QTest::newRow("import: missing file") << QStringList{"import", "Pipeline.mdb", "gone.csv"} << 1
                                          << "The file gone.csv does not exist.";
    QTest::newRow("import: database missing")
        << QStringList{"import", "Gone.mdb", "deals.csv", "--map", "Size=Note"} << 1
        << "Could not open Gone.mdb: the file does not exist.";
    QTest::newRow("push of a team database")
        << QStringList{"team", "push", "postgresql://127.0.0.1/a", "postgresql://127.0.0.1/b"} << 2
        << "team push copies a database file, not postgresql://127.0.0.1/a";
    QTest::newRow("push of a file that is no database")
        << QStringList{"team", "push", "notes.mdb", "postgresql://127.0.0.1/b"} << 1
        << "notes.mdb: The file is not a Corvane database.";
    QTest::newRow("push to a server that is not there")
        << QStringList{"team", "push", "Pipeline.mdb", "postgresql://nobody@127.0.0.1:1/b"} << 1
        << "Could not push the opportunities to postgresql://nobody@127.0.0.1:1/b: Connection to "
           "server at \"127.0.0.1\", port 1 failed: Connection refused. Nothing was written";
    QTest::newRow("unknown team command")
        << QStringList{"team", "join", "postgresql://127.0.0.1/b"} << 2
        << "unknown team command 'join' (usage: corvane-cli team init URL | corvane-cli team push "
           "FILE.mdb URL)";
    QTest::newRow("report without its output")
        << QStringList{"report", "Pipeline.mdb", "Summary"} << 2
        << "usage: corvane-cli report DB TEMPLATE OUT.pdf";
}

void TestCommandLine::usageAndFailures() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QVERIFY(RawDatabase::writeFile(path("notes.mdb"), "just some notes\n"));
    QVERIFY(RawDatabase::writeFile(path("deals.csv"), "Size\nlarge\n"));
    const QByteArray before =
        RawDatabase(path("Pipeline.mdb")).text("SELECT count(*) FROM Sales").toUtf8();
    const QStringList files =
        QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(error), qPrintable(result.err));
    if (exitCode == 2)
        QVERIFY(result.err.contains("Try 'corvane-cli --help' for more information."));
    QVERIFY(result.out.isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System), files);
    QCOMPARE(RawDatabase(path("Pipeline.mdb")).text("SELECT count(*) FROM Sales").toUtf8(), before);
}

void TestCommandLine::newMergeListAndExport() {
    const Run help = run({"--help"});
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.contains("corvane-cli merge DB SOURCE..."));
    QCOMPARE(run({"--version"}).out, QStringLiteral("corvane-cli 3.5.0\n"));

    Run created = run({"new", "Leads.mdb"});
    QCOMPARE(created.exitCode, 0);
    QVERIFY(RawDatabase::writeFile(path("leads.txt"),
                                   "h1\r\nh2\r\nAnn\t\t\t\t\t\t\t\t\tAcme\tLee\r\n"));
    const Run merged = run({"merge", "Leads.mdb", "leads.txt", "Pipeline.mdb"});
    QCOMPARE(merged.exitCode, 0);
    QCOMPARE(merged.out, QStringLiteral("1 new sales opportunities were merged from leads.txt.\n"
                                        "3 new sales opportunities were merged from "
                                        "Pipeline.mdb.\n"));
    QCOMPARE(
        RawDatabase(path("Leads.mdb")).text("SELECT group_concat(Description, '|') FROM Sales"),
        QStringLiteral("Ann Acme - Vantick Lead|Deal 1|Deal 2|Deal 3"));

    const Run listed = run(
        {"list", "Leads.mdb", "--all", "--columns", "RecordNumber,Company", "--sort", "Company"});
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.out, QStringLiteral("Record\tCompany\n1\tAcme\n2\tCompany 1\n3\tCompany 2\n"
                                        "4\tCompany 3\n"));

    const Run exported = run({"export", "Leads.mdb", "all.CSV", "--all"});
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(exported.out, QStringLiteral("4 opportunities exported to all.CSV\n"));
    QFile file(path("all.CSV"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().count("\r\n"), 5);

    // A failing source stops the merge; what it would have added is not there.
    QVERIFY(RawDatabase::writeFile(path("bad.mdb"), "no database"));
    const Run failed = run({"merge", "Leads.mdb", "bad.mdb"});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY(failed.err.startsWith("corvane-cli: Unable to merge bad.mdb: "));
    QCOMPARE(RawDatabase(path("Leads.mdb")).count(), 4);
}

void TestCommandLine::storedFilterApplies() {
    // The first run's stored filter hides revenues of 0; the fixture's are $20.00.
    QVERIFY(RawDatabase(path("Pipeline.mdb"))
                .exec("UPDATE Sales SET Revenue = '0' WHERE "
                      "RecordNumber = 2"));
    Run totals = run({"totals", "Pipeline.mdb", "Pipeline.mdb"});
    QCOMPARE(totals.exitCode, 0);
    QCOMPARE(totals.out,
             QStringLiteral("Pipeline.mdb: 2 opportunities, forecasted revenues $40.00, revenues "
                            "$40.00\nPipeline.mdb: 2 opportunities, forecasted revenues $40.00, "
                            "revenues $40.00\nTotal: 4 opportunities, forecasted revenues $80.00, "
                            "revenues $80.00\n"));
    QCOMPARE(run({"export", "Pipeline.mdb", "some.txt"}).out,
             QStringLiteral("2 opportunities exported to some.txt\n"));

    // The window's settings file, where XDG_CONFIG_HOME says: filtering turned off.
    QVERIFY(QDir().mkpath(path("config/Corvane")));
    QVERIFY(RawDatabase::writeFile(path("config/Corvane/Corvane.ini"), "[Use]\nAll=False\n"));
    QCOMPARE(run({"export", "Pipeline.mdb", "some.txt"}).out,
             QStringLiteral("3 opportunities exported to some.txt\n"));
    QCOMPARE(run({"list", "Pipeline.mdb", "--columns", "RecordNumber"}).out,
             QStringLiteral("Record\n1\n2\n3\n"));
}

// Every command that takes a database file takes a team database's URI as well.
void TestCommandLine::teamDatabase() {
    PostgresServer server;
    QVERIFY2(server.start(), qPrintable(server.error()));
    const QString uri = server.createDatabase("pipeline");
    QVERIFY(!uri.isEmpty());
    const QString name = "pipeline on 127.0.0.1";

    const Run unset = run({"list", uri});
    QCOMPARE(unset.exitCode, 1);
    QVERIFY2(unset.err.contains("Could not open " + uri +
                                ": The database holds no team "
                                "database; set it up with \"corvane-cli team init\"."),
             qPrintable(unset.err));
    const Run init = run({"team", "init", uri});
    QVERIFY2(init.exitCode == 0, qPrintable(init.err));
    QCOMPARE(init.out, "Set up the team database " + uri + "\n");
    QCOMPARE(run({"team", "init", uri}).out,
             "The team database " + uri + " is set up already; nothing was changed.\n");

    const Run merged = run({"merge", uri, "Pipeline.mdb"});
    QVERIFY2(merged.exitCode == 0, qPrintable(merged.err));
    QCOMPARE(merged.out, QStringLiteral("3 new sales opportunities were merged from "
                                        "Pipeline.mdb.\n"));
    const Run listed = run({"list", uri, "--all", "--columns", "RecordNumber,Company"});
    QCOMPARE(listed.out, QStringLiteral("Record\tCompany\n1\tCompany 1\n2\tCompany 2\n"
                                        "3\tCompany 3\n"));
    QCOMPARE(run({"totals", uri}).out,
             name + ": 3 opportunities, forecasted revenues $60.00, revenues $60.00\n");
    QCOMPARE(run({"export", uri, "team.csv", "--all"}).out,
             QStringLiteral("3 opportunities exported to team.csv\n"));
    // ... and the other way round: the team database merged into a file.
    QCOMPARE(run({"new", "Copy.mdb"}).exitCode, 0);
    QCOMPARE(run({"merge", "Copy.mdb", uri}).out,
             "3 new sales opportunities were merged from " + uri + ".\n");
    QCOMPARE(RawDatabase(path("Copy.mdb")).count(), 3);
    const Run report = run({"report", uri, "Summary", "team.pdf"});
    QVERIFY2(report.exitCode == 0 && QFile::exists(path("team.pdf")), qPrintable(report.err));

    // An import adds and updates in one transaction on the server as well.
    QVERIFY(RawDatabase::writeFile(path("deals.csv"),
                                   "Company,Description,Stage\nZeta,Deal Z,Lead\n"
                                   "Company 1,Deal 1,Closed - Won\n"));
    const Run imported = run({"import", uri, "deals.csv", "--duplicates", "update"});
    QVERIFY2(imported.exitCode == 0, qPrintable(imported.err));
    QCOMPARE(imported.out,
             "Imported deals.csv into " + name + ": 1 added, 1 updated, 0 skipped.\n");
    QCOMPARE(run({"list", uri, "--all", "--columns", "RecordNumber,Company,Stage"}).out.count('\n'),
             5);
    QVERIFY(run({"list", uri, "--all", "--columns", "Company,Stage"})
                .out.contains("Company 1\tClosed - Won\n"));

    // A database that holds a table Sales of its own is left alone.
    const QString other = server.createDatabase("accounts");
    QVERIFY(server.exec("accounts", "CREATE TABLE sales (invoice integer)").isEmpty());
    const Run refused = run({"team", "init", other});
    QCOMPARE(refused.exitCode, 1);
    QCOMPARE(refused.err, "corvane-cli: Could not set up the team database " + other +
                              ": the database holds another table named Sales; nothing was "
                              "changed\n");

    // A desktop file pushed: its numbers 1 to 3 are taken on the server by now.
    const Run pushed = run({"team", "push", "Pipeline.mdb", uri});
    QVERIFY2(pushed.exitCode == 0, qPrintable(pushed.err));
    QCOMPARE(pushed.out, "Pushed 3 opportunities to " + uri + "; 3 got new numbers\n");
    // ... into an empty database, which is set up first; and never over another table Sales.
    const QString fresh = server.createDatabase("fresh");
    QCOMPARE(run({"team", "push", "Pipeline.mdb", fresh}).out, "Set up the team database " + fresh +
                                                                   "\nPushed 3 opportunities to " +
                                                                   fresh + "; 0 got new numbers\n");
    const Run elsewhere = run({"team", "push", "Pipeline.mdb", other});
    QCOMPARE(elsewhere.exitCode, 1);
    QCOMPARE(elsewhere.err, "corvane-cli: Could not push the opportunities to " + other +
                                ": The database holds another table named Sales. Nothing was "
                                "written to the team database.\n");
}

void TestCommandLine::argumentsAfterTheOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("written"); // the file written, "" for none
    QTest::addColumn<int>("rows");        // its rows after the header
    const QString totals = "%1: 2 opportunities, forecasted revenues $40.00, revenues $40.00\n";
    QTest::newRow("database after --")
        << QStringList{"totals", "--", "Pipeline.mdb"} << totals.arg("Pipeline.mdb") << "" << 0;
    QTest::newRow("database named --all")
        << QStringList{"totals", "--", "--all"} << totals.arg("--all") << "" << 0;
    // Not the flag: the stored filter still hides a record.
    QTest::newRow("export to a file named --all")
        << QStringList{"export", "Pipeline.mdb", "--", "--all"}
        << "2 opportunities exported to --all\n"
        << "--all" << 2;
    QTest::newRow("flag before --") << QStringList{"export", "--all", "Pipeline.mdb", "--", "-x"}
                                    << "3 opportunities exported to -x\n"
                                    << "-x" << 3;
}

void TestCommandLine::argumentsAfterTheOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, output);
    QFETCH(QString, written);
    QFETCH(int, rows);
    // Revenue 0 does not pass the stored filter of a first run.
    QVERIFY(RawDatabase(path("Pipeline.mdb"))
                .exec("UPDATE Sales SET Revenue = '0' WHERE "
                      "RecordNumber = 2"));
    if (arguments.contains("totals"))
        QVERIFY(QFile::copy(path("Pipeline.mdb"), path("--all")));
    const Run result = run(arguments);
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(result.out, output);
    if (!written.isEmpty()) {
        const QByteArray text = RawDatabase::readFile(path(written));
        QVERIFY2(text.startsWith("Description, Contact, Company, "), text.constData());
        QCOMPARE(text.count("\r\n"), rows + 1);
    }
}

// "-" stands for standard output: the rows, comma-separated, and nothing else.
void TestCommandLine::exportToStandardOutput() {
    QVERIFY(RawDatabase(path("Pipeline.mdb"))
                .exec("UPDATE Sales SET Company = 'Lee, Ann' WHERE "
                      "RecordNumber = 2"));
    const Run result = run({"export", "Pipeline.mdb", "-", "--all"});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QVERIFY(result.err.isEmpty());
    const QStringList rows = result.out.split("\r\n");
    QCOMPARE(rows.size(), 5);
    QVERIFY2(rows.at(0).startsWith("Description,Contact,Company,"), qPrintable(rows.at(0)));
    QVERIFY2(rows.at(2).startsWith("Deal 2,Pat,\"Lee, Ann\",IT,"), qPrintable(rows.at(2)));
    QCOMPARE(rows.at(4), QString());
    QVERIFY(!QFile::exists(path("-")));
}

// A write that would replace another database or a named pipe is refused; the target stays.
void TestCommandLine::refusedTargets_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("report over another database")
        << QStringList{"report", "Pipeline.mdb", "Summary", "Other.mdb"}
        << "corvane-cli: Could not write the PDF file Other.mdb: it is a database file";
    QTest::newRow("report over a pipe")
        << QStringList{"report", "Pipeline.mdb", "Summary", "pipe"}
        << "corvane-cli: Could not write the PDF file pipe: it exists and is not a regular file.";
    QTest::newRow("export over a pipe")
        << QStringList{"export", "Pipeline.mdb", "pipe"}
        << "corvane-cli: Could not export to pipe: it exists and is not a regular file";
}

void TestCommandLine::refusedTargets() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QVERIFY(RawDatabase::makeSalesFile(path("Other.mdb"), {7, 8}));
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    const QByteArray other = RawDatabase::readFile(path("Other.mdb"));
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.startsWith(error), qPrintable(result.err));
    QVERIFY(result.out.isEmpty());
    QCOMPARE(RawDatabase::readFile(path("Other.mdb")), other);
    QVERIFY(isFifo(path("pipe")));
}

void TestCommandLine::exportGuardsFormulas_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("company");
    QTest::newRow("guarded") << QStringList{}
                             << QByteArray("'=HYPERLINK(\"\"http://x.example\"\")");
    QTest::newRow("raw") << QStringList{"--raw"}
                         << QByteArray("=HYPERLINK(\"\"http://x.example\"\")");
}

// A company from a web form that a spreadsheet would run as a formula.
void TestCommandLine::exportGuardsFormulas() {
    QFETCH(QStringList, options);
    QFETCH(QByteArray, company);
    QVERIFY(RawDatabase(path("Pipeline.mdb"))
                .exec("UPDATE Sales SET Company = '=HYPERLINK(\"http://x.example\")' WHERE "
                      "RecordNumber = 2"));
    const Run exported = run(QStringList{"export", "Pipeline.mdb", "out.csv", "--all"} + options);
    QCOMPARE(exported.exitCode, 0);
    const QByteArray written = RawDatabase::readFile(path("out.csv"));
    QVERIFY2(written.contains(",\"" + company + "\","), written.constData());
}

void TestCommandLine::report_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QStringList>("texts");
    const QStringList page{"Acme Ltd", "Sales representative: Pat O'Brien",
                           "Database: Pipeline.mdb", "Page 1 of 1"};
    QTest::newRow("Summary") << "Summary"
                             << "The report Summary (1 page) was written to Summary.pdf\n"
                             << page + QStringList{"Pipeline Summary"};
    // A report with a chart: its title, value axis, category and legend are drawn.
    QTest::newRow("chart") << "Mnthfcst"
                           << "The report Mnthfcst (1 page) was written to Mnthfcst.pdf\n"
                           << page + QStringList{"Forecast by Month",
                                                 "Revenue and weighted revenue by month", "USD",
                                                 "Mar", "Weighted revenue"};
}

void TestCommandLine::report() {
    QFETCH(QString, name);
    QFETCH(QString, written);
    QFETCH(QStringList, texts);
    // The representative and company come from the window's settings file; no display is needed.
    QVERIFY(QDir().mkpath(path("config/Corvane")));
    QVERIFY(RawDatabase::writeFile(path("config/Corvane/Corvane.ini"),
                                   "[User]\nSales_Rep=Pat O'Brien\nCompany=Acme Ltd\n"));

    const Run result = run({"report", "Pipeline.mdb", name, name + ".pdf"});
    QVERIFY2(result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(result.out, written);
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", path(name + ".pdf"), "-"});
    QVERIFY(pdftotext.waitForFinished(30000) && pdftotext.exitCode() == 0);
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const QString& expected : texts)
        QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + text));
}

// The tool runs where no widget library is installed: the shared libraries it needs, as its
// ELF file names them, leave Qt Widgets (and what pulls it in) out.
void TestCommandLine::importCommand() {
    QVERIFY(RawDatabase::writeFile(path("deals.csv"), "Deal Name;Account;Amount;Size\r\n"
                                                      "deal 2;COMPANY 2;1.500,00;large\r\n"
                                                      "Roof;Acme;lots;small\r\n"
                                                      "Door;Beta;20;medium\r\n"));
    // Columns by header or number; the duplicate of 'Company 2 - Deal 2' updates it.
    const Run imported = run({"import", "Pipeline.mdb", "deals.csv", "--map", "4=Note", "--map",
                              "amount=UnitPrice", "--duplicates", "update"});
    QCOMPARE(imported.exitCode, 0);
    QCOMPARE(imported.out, QStringLiteral("Imported deals.csv into Pipeline.mdb: 1 added, 1 "
                                          "updated, 0 skipped, 1 not imported (see the problems "
                                          "listed).\n"));
    QCOMPARE(imported.err, QStringLiteral("deals.csv:3: not imported: Unit price 'lots' is not "
                                          "a number.\n"));
    // The update writes the file's columns only; the others stay.
    QCOMPARE(RawDatabase(path("Pipeline.mdb"))
                 .text("SELECT group_concat(RecordNumber || ':' || Description || ':' || "
                       "UnitPrice || ':' || Revenue || ':' || Note, '|') FROM Sales"),
             QStringLiteral("1:Deal 1:10:$20.00:note|2:deal 2:1.500,00:$20.00:large|"
                            "3:Deal 3:10:$20.00:note|4:Door:20:0:medium"));
}

void TestCommandLine::needsNoWidgets() {
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), QStringLiteral(CORVANE_CLI)});
    if (!readelf.waitForStarted())
        QSKIP("readelf (binutils) is not installed");
    QVERIFY(readelf.waitForFinished(30000) && readelf.exitCode() == 0);
    QStringList needed;
    const QString dynamic = QString::fromLocal8Bit(readelf.readAllStandardOutput());
    static const QRegularExpression entry(QStringLiteral(R"(\(NEEDED\).*\[(.+)\])"));
    for (auto match = entry.globalMatch(dynamic); match.hasNext();)
        needed.append(match.next().captured(1));
    QVERIFY2(needed.contains(QStringLiteral("libQt6Core.so.6")), qPrintable(dynamic));
    for (const QString& library : needed)
        QVERIFY2(!library.contains(QLatin1String("Widgets")) &&
                     !library.contains(QLatin1String("Charts")) &&
                     !library.contains(QLatin1String("PrintSupport")),
                 qPrintable(library));
}

void TestCommandLine::namesThatAreNoText_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("existing"); // a file of that name made before the run
    QTest::newRow("new") << QStringList{"new", "bad\\0377.mdb"} << QByteArray();
    QTest::newRow("open") << QStringList{"list", "old\\0377.mdb"} << QByteArray("old\xff.mdb");
    QTest::newRow("merge") << QStringList{"merge", "Pipeline.mdb", "leads\\0351.txt"}
                           << QByteArray("leads\xe9.txt");
}

void TestCommandLine::namesThatAreNoText() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, existing);
    // Made and removed by bytes: the name has no text form to do it with.
    const std::string rawPath = (QFile::encodeName(m_dir->path()) + "/" + existing).toStdString();
    const auto removeRaw = qScopeGuard([&] {
        std::error_code ignored;
        if (!existing.isEmpty())
            std::filesystem::remove(rawPath, ignored);
    });
    if (!existing.isEmpty()) {
        std::error_code error;
        std::filesystem::copy_file(QFile::encodeName(path("Pipeline.mdb")).toStdString(), rawPath,
                                   error);
        QVERIFY(!error);
    }
    const QStringList before = QDir(m_dir->path()).entryList(QDir::Files);
    const Run result = runBytes(arguments);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("is not valid UTF-8 text: it would name another file"),
             qPrintable(result.err));
    QVERIFY(result.out.isEmpty());
    // No file of another name was made, and the database was not touched.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), before);
    QCOMPARE(RawDatabase(path("Pipeline.mdb")).count(), 3);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
