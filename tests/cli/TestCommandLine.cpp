#include "RawDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

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
    void exportGuardsFormulas_data();
    void exportGuardsFormulas();
    void report_data();
    void report();
    void needsNoWidgets();

private:
    Run run(const QStringList& arguments);
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
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", path("config"));
    environment.insert("LC_ALL", "C.UTF-8");
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(CORVANE_CLI), arguments);
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
    QTest::newRow("report without its output")
        << QStringList{"report", "Pipeline.mdb", "Summary"} << 2
        << "usage: corvane-cli report DB TEMPLATE OUT.pdf";
}

void TestCommandLine::usageAndFailures() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QVERIFY(RawDatabase::writeFile(path("notes.mdb"), "just some notes\n"));
    const QByteArray before =
        RawDatabase(path("Pipeline.mdb")).text("SELECT count(*) FROM Sales").toUtf8();
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.err.contains(error), qPrintable(result.err));
    QVERIFY(result.out.isEmpty());
    QVERIFY(!QFile::exists(path("out.pdf")));
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
    const Run help = run({"--help"});
    QVERIFY(help.out.contains("corvane-cli export DB OUT [--all] [--raw]"));
    QVERIFY(help.out.contains("--raw writes such texts unchanged"));
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
    const Run help = run({"--help"});
    QVERIFY(help.out.contains("corvane-cli report DB TEMPLATE OUT.pdf"));

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

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
