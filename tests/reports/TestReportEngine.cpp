#include "RawDatabase.h"
#include "ReportFixture.h"
#include "TestEnvironment.h"

#include "reports/ReportEngine.h"
#include "reports/ReportFormula.h"
#include "reports/ReportMenu.h"
#include "reports/ReportTemplate.h"
#include "reports/ReportTemplates.h"
#include "settings/User.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString Rep = QStringLiteral("Pat O'Brien");
const QString Company = QStringLiteral("Smith's \"Best\" Tools");

// Records what the engine asks to show.
class Recorder : public ReportEngine::Presenter {
public:
    Result present(std::shared_ptr<ReportDocument> document,
                   const ReportEngine::MailSettings& mail) override {
        documents.append(document);
        mails.append(mail);
        return {};
    }
    QList<std::shared_ptr<ReportDocument>> documents;
    QList<ReportEngine::MailSettings> mails;
};

// The figures a report shows, one line per subtotal and total (and per row of a summary):
// the label, then the filled cells.
QStringList figures(const ReportContent& content, bool rows) {
    using Kind = ReportContent::Band::Kind;
    QStringList lines;
    for (const ReportContent::Band& band : content.bands) {
        if (band.kind != Kind::Subtotal && band.kind != Kind::Total &&
            !(rows && band.kind == Kind::Row))
            continue;
        QStringList parts;
        if (!band.text.isEmpty())
            parts.append(band.text);
        for (const QString& cell : band.cells) {
            if (!cell.isEmpty())
                parts.append(cell);
        }
        lines.append(parts.join(QStringLiteral(" | ")));
    }
    return lines;
}

// The Company cells of the rows, in order.
QStringList companies(const ReportContent& content) {
    QStringList result;
    for (const ReportContent::Band& band : content.bands) {
        if (band.kind != ReportContent::Band::Kind::Row || band.columnSet < 0)
            continue;
        const auto& headings = content.columnSets[size_t(band.columnSet)].headings;
        const qsizetype column = headings.indexOf(QStringLiteral("Company"));
        if (column >= 0)
            result.append(band.cells[column]);
    }
    return result;
}

User& profile(User& user, const QString& rep = Rep) {
    user.setSalesRep(rep);
    user.setCompany(Company);
    user.setHqEmail(QStringLiteral("hq@example.com"));
    user.setEmailCc(QStringLiteral("boss@example.com; team@example.com"));
    return user;
}

QByteArray digest(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT

private slots:
    void templates_data();
    void templates();
    void wholeFiguresInPdf_data();
    void wholeFiguresInPdf();
    void recordsAsTheWindowShowsThem_data();
    void recordsAsTheWindowShowsThem();
    void weeksAcrossTheYearEnd();
    void formulas_data();
    void formulas();
    void failures_data();
    void failures();
    void menuRunsTheReportReadOnly();
    void menuIndexRule_data();
    void menuIndexRule();
};

void TestReportEngine::templates_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("figures"); // the first lines of figures(), exactly
    QTest::addColumn<QStringList>("companies");
    QTest::addColumn<QList<double>>("chartRevenue"); // per period, from the first bar

    const QString total = QStringLiteral("Total (7 opportunities) | $21,800.50 | $10,800.45");
    QTest::newRow("Summary")
        << "Summary"
        << "Pipeline Summary"
        << QStringList{"Lead | 3 | $11,200.00 | $3,100.00 | 51.4%",
                       "Identify Opportunity | 0 | $0.00 | $0.00 | 0.0%",
                       "Assess Business | 0 | $0.00 | $0.00 | 0.0%",
                       "Develop Solution | 1 | $3,300.00 | $1,650.00 | 15.1%",
                       "Present/Propose | 1 | $4,000.00 | $3,000.00 | 18.3%",
                       "Gain Commitment | 1 | $2,500.50 | $2,250.45 | 11.5%",
                       "Implement/Confirm | 1 | $800.00 | $800.00 | 3.7%",
                       "Total | 7 | $21,800.50 | $10,800.45 | 100.0%",
                       "0% - Lost | 1 | $0.00 | $0.00 | 0.0%",
                       "25% - Long Shot | 1 | $10,000.00 | $2,500.00 | 45.9%",
                       "50% - Competitive | 2 | $4,500.00 | $2,250.00 | 20.6%",
                       "75% - Favored | 1 | $4,000.00 | $3,000.00 | 18.3%",
                       "90% - Verbal Commitment | 1 | $2,500.50 | $2,250.45 | 11.5%",
                       "100% - Won | 1 | $800.00 | $800.00 | 3.7%",
                       "Total | 7 | $21,800.50 | $10,800.45 | 100.0%",
                       "Opportunities | 7",
                       "Revenue | $21,800.50",
                       "Weighted revenue | $10,800.45",
                       "Forecast opportunities | 4",
                       "Forecast revenue | $8,500.50",
                       "Forecast weighted revenue | $6,650.45"}
        << QStringList{} << QList<double>{};
    QTest::newRow("Detail")
        << "Detail"
        << "Pipeline Detail" << QStringList{"Total (7 opportunities) | $21,800.50"}
        << QStringList{"Acme", "Bolt", "Crest", "Delta", "Echo", "Foxtrot", "O'Hara & \"Sons\""}
        << QList<double>{};
    QTest::newRow("Probability")
        << "Probability"
        << "Pipeline by Probability"
        << QStringList{"Subtotal 0% - Lost (1 opportunity) | $0.00 | $0.00",
                       "Subtotal 25% - Long Shot (1 opportunity) | $10,000.00 | $2,500.00",
                       "Subtotal 50% - Competitive (2 opportunities) | $4,500.00 | $2,250.00",
                       "Subtotal 75% - Favored (1 opportunity) | $4,000.00 | $3,000.00",
                       "Subtotal 90% - Verbal Commitment (1 opportunity) | $2,500.50 | $2,250.45",
                       "Subtotal 100% - Won (1 opportunity) | $800.00 | $800.00",
                       total}
        << QStringList{"Foxtrot", "Acme", "O'Hara & \"Sons\"", "Delta", "Crest", "Bolt", "Echo"}
        << QList<double>{};
    QTest::newRow("Revenue") << "Revenue"
                             << "Pipeline by Revenue" << QStringList{total}
                             << QStringList{"Acme", "Crest",  "O'Hara & \"Sons\"", "Bolt", "Delta",
                                            "Echo", "Foxtrot"}
                             << QList<double>{};
    QTest::newRow("Stage")
        << "Stage"
        << "Pipeline by Stage"
        << QStringList{"Subtotal Lead (3 opportunities) | $11,200.00 | $3,100.00",
                       "Subtotal Develop Solution (1 opportunity) | $3,300.00 | $1,650.00",
                       "Subtotal Present/Propose (1 opportunity) | $4,000.00 | $3,000.00",
                       "Subtotal Gain Commitment (1 opportunity) | $2,500.50 | $2,250.45",
                       "Subtotal Implement/Confirm (1 opportunity) | $800.00 | $800.00",
                       total}
        << QStringList{"Acme", "Delta", "Foxtrot", "O'Hara & \"Sons\"", "Crest", "Bolt", "Echo"}
        << QList<double>{};
    const QString forecastTotal = QStringLiteral("Total (4 opportunities) | $8,500.50 | $6,650.45");
    const QStringList byDate{"Bolt", "Echo", "Crest", "Delta"};
    QTest::newRow("Forecast") << "Forecast"
                              << "Forecast" << QStringList{forecastTotal} << byDate
                              << QList<double>{};
    QTest::newRow("Wklyfcst")
        << "Wklyfcst"
        << "Forecast by Week"
        << QStringList{"Subtotal Week 11, 2024 (from 3/11/2024) (2 opportunities) | $3,300.50 | "
                       "$3,050.45",
                       "Subtotal Week 12, 2024 (from 3/18/2024) (1 opportunity) | $4,000.00 | "
                       "$3,000.00",
                       "Subtotal Week 14, 2024 (from 4/1/2024) (1 opportunity) | $1,200.00 | "
                       "$600.00",
                       forecastTotal}
        << byDate << QList<double>{3300.5, 4000, 1200};
    QTest::newRow("Mnthfcst")
        << "Mnthfcst"
        << "Forecast by Month"
        << QStringList{"Subtotal March 2024 (3 opportunities) | $7,300.50 | $6,050.45",
                       "Subtotal April 2024 (1 opportunity) | $1,200.00 | $600.00", forecastTotal}
        << byDate << QList<double>{7300.5, 1200};
}

void TestReportEngine::templates() {
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(QStringList, figures);
    QFETCH(QStringList, companies);
    QFETCH(QList<double>, chartRevenue);
    TestEnvironment env;
    const QString database = env.path("Pipeline.mdb");
    QVERIFY(ReportFixture::write(database));

    // The shipped template, found beside the program by its name.
    QVERIFY2(!ReportTemplates::locate(name).isEmpty(), qPrintable(name));
    ReportEngine engine;
    engine.setDataFiles(0, database);
    engine.setReportFileName(name);
    const auto document = engine.makeDocument();
    QVERIFY2(document, qPrintable(engine.lastErrorString()));
    QCOMPARE(engine.lastErrorNumber(), 0);
    const ReportContent& content = document->content();
    QCOMPARE(content.title, title);
    const QStringList actual =
        ::figures(content, name == QLatin1String("Summary")).mid(0, figures.size());
    QCOMPARE(actual, figures);
    QCOMPARE(::companies(content), companies);
    QList<double> bars;
    for (const auto& chart : content.charts)
        bars += chart.revenue;
    QCOMPARE(bars, chartRevenue);
    if (name == QLatin1String("Revenue")) {
        // The running share of the total revenue, row by row.
        const auto& rows = content.bands;
        QStringList shares;
        for (const auto& band : rows) {
            if (band.kind == ReportContent::Band::Kind::Row)
                shares.append(band.cells.last());
        }
        QCOMPARE(shares,
                 (QStringList{"45.9%", "64.2%", "79.4%", "90.8%", "96.3%", "100.0%", "100.0%"}));
    }
}

namespace {
// Three opportunities of 7-, 10- and 12-digit amounts, with the longest contacts and
// departments the file allows, a Japanese company and contact, and texts that fonts set with
// ligatures ("Confirm", "Office", "Efficient").
const QByteArray WideRows = R"(
    (7, 'o', '2025-11-02 10:00:00', 'Confirm Office Fittings', 'Maximilian Alexander Worthington',
     'International Procurement Office', 'Fit-out of the head office on three floors',
     'Confirm the final floor plan with the facilities team before the site visit next month',
     'Workstation', '$1,234,567.00', '1', '$1,234,567.00', 'Trade Show', 'Implement/Confirm',
     '50% - Competitive', 'Yes', '05', 'January', '2026'),
    (2147483000, 'o', '2025-11-02 10:00:00', '山田商事株式会社', '山田 太郎', '購買部',
     'Office network', '', 'Switch', '$9,876,543,210.00', '1', '$9,876,543,210.00', 'Email',
     'Gain Commitment', '90% - Verbal Commitment', 'Yes', '12', 'January', '2026'),
    (31, 'o', '2025-11-02 10:00:00', 'Kensington Smythe Holdings Ltd',
     'Alexandra Montgomery-Fitzwilliam', 'Research and Development Office', 'Campus fiber',
     'Efficient affiliate offices', 'Backbone', '$999,999,999,999.99', '1',
     '$999,999,999,999.99', 'Referral', 'Present/Propose', '100% - Won', 'Yes', '20',
     'February', '2026'))";

bool hasJapaneseFont() {
    return !QFontDatabase::families(QFontDatabase::Japanese).isEmpty();
}
} // namespace

void TestReportEngine::wholeFiguresInPdf_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("whole"); // texts the PDF shows whole, besides the totals
    QTest::addColumn<bool>("weighted");     // the weighted total is shown
    const QStringList companies{"Confirm Office Fittings", "Kensington Smythe Holdings Ltd"};
    const QStringList amounts{"$1,234,567.00", "$9,876,543,210.00", "$999,999,999,999.99"};
    const QStringList weighted{"$617,283.50", "$8,888,888,889.00"};
    const QStringList list = companies + amounts + QStringList{"Total (3 opportunities)"};
    QTest::newRow("Summary") << "Summary"
                             << QStringList{"$999,999,999,999.99", "Implement/Confirm",
                                            "Forecast weighted revenue"}
                             << true;
    QTest::newRow("Detail") << "Detail"
                            << list + QStringList{"Record number: 7",
                                                  "Record number: 2147483000",
                                                  "Record number: 31",
                                                  "Maximilian Alexander Worthington",
                                                  "Alexandra Montgomery-Fitzwilliam",
                                                  "International Procurement Office",
                                                  "Research and Development Office"}
                            << false;
    for (const char* name : {"Probability", "Stage", "Forecast", "Wklyfcst", "Mnthfcst"})
        QTest::newRow(name) << name << list + weighted << true;
    QTest::newRow("Revenue") << "Revenue" << list + weighted + QStringList{"Running share"} << true;
}

void TestReportEngine::wholeFiguresInPdf() {
    QFETCH(QString, name);
    QFETCH(QStringList, whole);
    QFETCH(bool, weighted);
    TestEnvironment env;
    const QString database = env.path("Wide.mdb");
    QVERIFY(ReportFixture::create(database, WideRows));
    const QString pdf = env.path(name + ".pdf");
    const ReportEngine::Outcome outcome =
        ReportEngine::renderToPdf(database, name, pdf, Rep, Company, QDate(2024, 5, 6));
    QVERIFY2(outcome.status == 0, qPrintable(outcome.error));

    // Read back by an independent reader: every figure, number and name whole, the heading
    // of every page, and letters as typed (no ligature glyphs).
    const QString text = ReportFixture::pdfText(pdf);
    whole << "$1,009,877,777,776.99" << Rep << Company << "Database: Wide.mdb"
          << "Printed Monday, May 6, 2024" << QStringLiteral("Page 1 of %1").arg(outcome.pages);
    if (weighted)
        whole << "$1,008,889,506,172.49";
    for (const QString& expected : whole)
        QVERIFY2(text.contains(expected), qPrintable(expected + " not in:\n" + text));
    static const QRegularExpression cutFigure(QStringLiteral("[0-9.,$%)]\u2026"));
    QVERIFY2(!text.contains(cutFigure), qPrintable(text));
    for (const QChar ligature : {QChar(0xfb00), QChar(0xfb01), QChar(0xfb02), QChar(0xfb03)})
        QVERIFY2(!text.contains(ligature), qPrintable(text));

    // Letters the report font lacks come from another installed font.
    if (name == QLatin1String("Summary"))
        return;
    if (!hasJapaneseFont())
        QSKIP("No font with Japanese letters is installed (scripts/install-deps.sh installs "
              "fonts-ipafont-gothic).");
    QVERIFY2(text.contains(QStringLiteral("山田商事株式会社")), qPrintable(text));
    if (name == QLatin1String("Detail"))
        QVERIFY2(text.contains(QStringLiteral("Contact: 山田 太郎")), qPrintable(text));
}

void TestReportEngine::recordsAsTheWindowShowsThem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("companies");
    QTest::addColumn<QString>("total");
    // Record number 5 twice: the window shows the first (Echo, not in the forecast), never the
    // second (Golf), also where only the second meets the template's selection.
    QTest::newRow("all records") << "Detail" << QStringList{"Alpha", "Echo", "Kilo"}
                                 << "Total (3 opportunities) | $1,011.00";
    QTest::newRow("selected records") << "Forecast" << QStringList{"Alpha", "Kilo"}
                                      << "Total (2 opportunities) | $1,010.00 | "
                                         "$1,010.00";
}

void TestReportEngine::recordsAsTheWindowShowsThem() {
    QFETCH(QString, name);
    QFETCH(QStringList, companies);
    QFETCH(QString, total);
    TestEnvironment env;
    const QString database = env.path("Twice.mdb");
    QVERIFY(ReportFixture::create(database, R"(
        (5, 'o', '2024-01-02 10:00:00', 'Echo', 'a', 'b', 'c', '', 'p', '1', '1', '$1.00', 'Email',
         'Lead', '100% - Won', 'No', '01', 'March', '2024'),
        (9, 'o', '2024-01-02 10:00:00', 'Alpha', 'a', 'b', 'c', '', 'p', '10', '1', '$10.00',
         'Email', 'Lead', '100% - Won', 'Yes', '01', 'March', '2024'),
        (5, 'o', '2024-01-02 10:00:00', 'Golf', 'a', 'b', 'c', '', 'p', '1', '1', '$100,000.00',
         'Email', 'Lead', '100% - Won', 'Yes', '01', 'March', '2024'),
        (12, 'o', '2024-01-02 10:00:00', 'Kilo', 'a', 'b', 'c', '', 'p', '1', '1', '$1,000.00',
         'Email', 'Lead', '100% - Won', 'Yes', '01', 'March', '2024'))",
                                  false));
    ReportEngine engine;
    engine.setDataFiles(0, database);
    engine.setReportFileName(name);
    const auto document = engine.makeDocument();
    QVERIFY2(document, qPrintable(engine.lastErrorString()));
    QCOMPARE(::companies(document->content()), companies);
    QCOMPARE(::figures(document->content(), false), QStringList{total});
    QCOMPARE(document->content().recordCount, int(companies.size()));
}

void TestReportEngine::weeksAcrossTheYearEnd() {
    // Monday 22 Dec 2025 is in ISO week 52 of 2025, Monday 29 Dec 2025 in week 1 of 2026.
    TestEnvironment env;
    const QString database = env.path("YearEnd.mdb");
    QVERIFY(ReportFixture::create(database, R"(
        (1, 'o', '2025-01-02 10:00:00', 'January', 'a', 'b', 'c', '', 'p', '1', '1', '$4.00',
         'Email', 'Lead', '100% - Won', 'Yes', '02', 'January', '2026'),
        (2, 'o', '2025-01-02 10:00:00', 'Late', 'a', 'b', 'c', '', 'p', '1', '1', '$2.00',
         'Email', 'Lead', '100% - Won', 'Yes', '29', 'December', '2025'),
        (3, 'o', '2025-01-02 10:00:00', 'Early', 'a', 'b', 'c', '', 'p', '1', '1', '$1.00',
         'Email', 'Lead', '100% - Won', 'Yes', '22', 'December', '2025'),
        (4, 'o', '2025-01-02 10:00:00', 'Sunday', 'a', 'b', 'c', '', 'p', '1', '1', '$8.00',
         'Email', 'Lead', '100% - Won', 'Yes', '28', 'December', '2025'))"));
    ReportEngine engine;
    engine.setDataFiles(0, database);
    engine.setReportFileName(QStringLiteral("Wklyfcst"));
    const auto document = engine.makeDocument();
    QVERIFY2(document, qPrintable(engine.lastErrorString()));
    const ReportContent& content = document->content();
    QCOMPARE(::figures(content, false),
             (QStringList{"Subtotal Week 52, 2025 (from 12/22/2025) (2 opportunities) | $9.00 | "
                          "$9.00",
                          "Subtotal Week 1, 2026 (from 12/29/2025) (2 opportunities) | $6.00 | "
                          "$6.00",
                          "Total (4 opportunities) | $15.00 | $15.00"}));
    QCOMPARE(::companies(content), (QStringList{"Early", "Sunday", "Late", "January"}));
    QCOMPARE(content.charts.size(), size_t(1));
    QCOMPARE(content.charts[0].categories, (QStringList{"W52\n2025", "W1\n2026"}));
    QCOMPARE(content.charts[0].revenue, (QList<double>{9, 6}));
}

void TestReportEngine::formulas_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    const auto row = [](const char* tag, const char* text, const char* name, const char* value) {
        QTest::newRow(tag) << QString(text) << QString(name) << QString(value);
    };
    row("plain", "SalesRep= 'Pat Lee'", "SalesRep", "Pat Lee");
    row("apostrophe", "SalesRep= 'O'Brien'", "SalesRep", "O'Brien");
    row("both quote kinds", "UserCompany= 'Smith's \"Best\" Tools'", "UserCompany",
        "Smith's \"Best\" Tools");
    row("empty", "SalesRep= ''", "SalesRep", "");
    row("only apostrophes", "SalesRep= ''''", "SalesRep", "''");
    row("equals in the value", "UserCompany= 'A=B'", "UserCompany", "A=B");
    row("no apostrophes", "SalesRep= Pat", "SalesRep", "Pat");
}

void TestReportEngine::formulas() {
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, value);
    const ReportFormula formula = ReportFormula::parse(text);
    QCOMPARE(formula.name, name);
    QCOMPARE(formula.value, value);
}

void TestReportEngine::failures_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("error"); // %1 the database, %2 the template
    const QString database = QStringLiteral("Could not read the database %1: ");
    QTest::newRow("missing template")
        << "missing template" << 2
        << "Could not read the report template %2: the file does not exist.";
    QTest::newRow("broken template")
        << "broken template" << 2
        << "Could not read the report template %2: line 2: there is no setting \"colour\".";
    QTest::newRow("deleted database") << "deleted" << 1 << database + "the file does not exist.";
    QTest::newRow("locked database")
        << "locked" << 1
        << database +
               "the file is in use by another program; try again when it has finished with it.";
    QTest::newRow("text file") << "text" << 1 << database + "the file is not a Corvane database.";
    QTest::newRow("no table Sales") << "notable" << 1 << database + "the file has no table Sales.";
    QTest::newRow("no data file") << "nodata" << 4 << "No database file is given for the report.";
}

void TestReportEngine::failures() {
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(QString, error);
    TestEnvironment env;
    QString database = env.path("Pipeline.mdb");
    QString reportFile = QCoreApplication::applicationDirPath() + "/Stage.rpt";
    std::unique_ptr<ReportFixture::Holder> holder;
    if (kind == "missing template") {
        reportFile = env.path("Gone.rpt");
    } else if (kind == "broken template") {
        reportFile = env.path("Broken.rpt");
        QFile file(reportFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("title: Broken\ncolour: red\n");
    }
    if (kind == "text") {
        QFile file(database);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Company,Revenue\nAcme,10\n").repeated(100));
    } else if (kind == "notable") {
        QVERIFY(RawDatabase(database).exec("CREATE TABLE Other (x)"));
    } else if (kind != "deleted") {
        QVERIFY(ReportFixture::write(database));
    }
    if (kind == "locked") {
        holder = std::make_unique<ReportFixture::Holder>(database);
        QVERIFY(holder->locked());
    }
    if (kind == "nodata")
        database.clear();

    Recorder recorder;
    ReportEngine report;
    report.setPresenter(&recorder);
    report.setReportFileName(reportFile);
    User user(env.store());
    ReportMenu::printReport(report, 0, database, profile(user), env.ui());

    const QString expected = QString(error)
                                 .replace("%1", QDir::toNativeSeparators(database))
                                 .replace("%2", QDir::toNativeSeparators(reportFile));
    QCOMPARE(report.lastErrorNumber(), status);
    QCOMPARE(report.lastErrorString(), expected);
    QVERIFY(recorder.documents.isEmpty()); // never an empty report in place of the failure
    QCOMPARE(env.ui().messages().size(), 1);
    const auto& message = env.ui().messages().first();
    QCOMPARE(message.text, expected);
    QCOMPARE(message.title, QStringLiteral("Print Report"));
    QCOMPARE(message.icon, UiServices::Icon::Critical);
    QCOMPARE(message.buttons, UiServices::Buttons::Ok);
}

void TestReportEngine::menuRunsTheReportReadOnly() {
    TestEnvironment env;
    const QString database = env.path("Pipeline.mdb");
    QVERIFY(ReportFixture::write(database));
    const QByteArray before = digest(database);
    Recorder recorder;
    ReportEngine report;
    report.setPresenter(&recorder);
    User user(env.store());
    ReportMenu::printReport(report, 5, database, profile(user), env.ui());

    QCOMPARE(report.lastErrorNumber(), 0);
    QVERIFY(env.ui().messages().isEmpty()); // a status of 0 shows nothing
    QCOMPARE(recorder.documents.size(), 1);
    const ReportDocument& document = *recorder.documents.first();
    QCOMPARE(document.content().title, QStringLiteral("Pipeline by Stage"));
    QCOMPARE(document.heading().salesRep, Rep);
    QCOMPARE(document.heading().company, Company);
    QCOMPARE(document.heading().databaseName, QStringLiteral("Pipeline.mdb"));
    QCOMPARE(document.content().recordCount, 7);
    const ReportEngine::MailSettings& mail = recorder.mails.first();
    QCOMPARE(mail.toList, QStringLiteral("hq@example.com"));
    QCOMPARE(mail.ccList, QStringLiteral("boss@example.com; team@example.com"));
    QCOMPARE(mail.message, "Sales report. " + Rep);
    // The file is read, never written, and free again at once.
    QCOMPARE(digest(database), before);
    ReportFixture::Holder writer(database);
    QVERIFY(writer.locked());
}

void TestReportEngine::menuIndexRule_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("file"); // "" when the file is left as it was
    QTest::addColumn<QString>("rep");
    // Positions 1 to 8 name the templates of the Reports menu's own table.
    QTest::newRow("5") << 5 << ReportTemplates::templateText(5) << Rep;
    QTest::newRow("0") << 0 << QString() << Rep;
    QTest::newRow("9") << 9 << QString() << Rep;
    QTest::newRow("-1, empty name") << -1 << QString() << QString();
}

void TestReportEngine::menuIndexRule() {
    QFETCH(int, index);
    QFETCH(QString, file);
    QFETCH(QString, rep);
    TestEnvironment env;
    const QString database = env.path("Pipeline.mdb");
    QVERIFY(ReportFixture::write(database));
    Recorder recorder;
    ReportEngine report;
    report.setPresenter(&recorder);
    const QString previous = QCoreApplication::applicationDirPath() + "/Forecast.rpt";
    report.setReportFileName(previous);
    User user(env.store());
    ReportMenu::printReport(report, static_cast<qint16>(index), database, profile(user, rep),
                            env.ui());

    const QString expectedFile =
        file.isEmpty() ? previous : QCoreApplication::applicationDirPath() + file;
    QCOMPARE(report.reportFileName(), expectedFile);
    QCOMPARE(report.dataFiles(0), database);
    QCOMPARE(report.formulas(0), "SalesRep= '" + rep + "'");
    QCOMPARE(report.formulas(1), "UserCompany= '" + Company + "'");
    QCOMPARE(report.mail().message, "Sales report. " + rep);
    // The chosen template ran (the program's folder holds the shipped ones).
    QCOMPARE(report.lastErrorNumber(), 0);
    QCOMPARE(recorder.documents.size(), 1);
    const QString title = recorder.documents.first()->content().title;
    const auto chosen = ReportTemplate::load(ReportTemplates::locate(expectedFile));
    QVERIFY(chosen);
    QCOMPARE(title, chosen->title);
}

QTEST_MAIN(TestReportEngine)
#include "TestReportEngine.moc"
