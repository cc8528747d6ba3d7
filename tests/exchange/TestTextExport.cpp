#include "RawDatabase.h"
#include "TestEnvironment.h"

#include "exchange/OpportunityText.h"
#include "exchange/TextExport.h"
#include "store/Opportunities.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>
#include <unistd.h>

namespace {

// The rows of a delimited file as Python's csv module reads them.
QList<QStringList> readWithPython(const QString& path, const QString& delimiter,
                                  bool skipInitialSpace) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    rows = list(csv.reader(f, delimiter=sys.argv[2], "
                                 "skipinitialspace=sys.argv[3] == '1', strict=True))\n"
                                 "print(json.dumps(rows))"),
                  path, delimiter, skipInitialSpace ? QStringLiteral("1") : QStringLiteral("0")});
    python.waitForFinished(30000);
    QList<QStringList> rows;
    const QJsonArray array = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    for (const auto& row : array) {
        QStringList fields;
        for (const auto& field : row.toArray())
            fields.append(field.toString());
        rows.append(fields);
    }
    if (python.exitCode() != 0)
        qWarning() << python.readAllStandardError();
    return rows;
}

Opportunity* addOpportunity(Opportunities& items, qint32 number, const QString& description,
                            const QString& note = QString(), bool visible = true) {
    auto o = std::make_unique<Opportunity>();
    o->setRecordNumber(number);
    o->setDescription(description);
    o->setNote(note);
    o->setOrderYear(QStringLiteral("2004"));
    o->setOrderMonth(QStringLiteral("March"));
    o->setOrderDay(QStringLiteral("07"));
    o->setDateCreated(QStringLiteral("3/7/2004 2:05:09 PM"));
    Opportunity* added = items.add(std::move(o), Opportunities::keyFor(number));
    added->setVisible(visible);
    return added;
}

} // namespace

class TestTextExport : public QObject {
    Q_OBJECT

private slots:
    void formatFollowsTheName_data();
    void formatFollowsTheName();
    void quotedValuesReadBack_data();
    void quotedValuesReadBack();
    void formulasGuardedUnlessRaw_data();
    void formulasGuardedUnlessRaw();
    void onlyVisibleRowsInCollectionOrder();
    void refusesToWriteOverDatabases();
    void failedWriteKeepsTheOldFile();
    void cancelledExportLeavesNothing_data();
    void cancelledExportLeavesNothing();
    void textBlockIsByteExact_data();
    void textBlockIsByteExact();
};

void TestTextExport::formatFollowsTheName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("separator");
    // Only these endings in these letter cases choose a delimiter; others get comma and blank.
    const std::pair<const char*, const char*> names[] = {{"out.csv", ","},  {"OUT.CSV", ","},
                                                         {"out.Csv", ", "}, {"out.txt", "\t"},
                                                         {"out.TXT", "\t"}, {"out.dat", ", "}};
    for (const auto& [name, separator] : names)
        QTest::newRow(name) << QString(name) << QString(separator);
}

void TestTextExport::formatFollowsTheName() {
    QFETCH(QString, name);
    QFETCH(QString, separator);
    TestEnvironment env;
    Opportunities items;
    Opportunity* o = addOpportunity(items, 12, QStringLiteral("Deal"));
    o->setSalesOwner(QStringLiteral("Kim"));
    const QString path = env.path(name);
    const auto written = TextExport::write(items, path, {});
    QVERIFY2(written.ok(), qPrintable(written.message()));
    QCOMPARE(*written, 1);
    const QStringList header = QStringLiteral("Description,Contact,Company,Department,Note,"
                                              "Product,Unit Price,Quantity,Revenue,Stage,"
                                              "Probability,Forecast,Source,OrderDate,Record,"
                                              "Created,Owner")
                                   .split(',');
    const QStringList row = QStringLiteral("Deal||||||0|0|0|Lead|25% - Long Shot|No||2004-03-07|"
                                           "12|3/7/2004 2:05:09 PM|Kim")
                                .split('|');
    const QByteArray expected =
        (header.join(separator) + "\r\n" + row.join(separator) + "\r\n").toUtf8();
    QCOMPARE(RawDatabase::readFile(path), expected);
}

void TestTextExport::quotedValuesReadBack_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("skipInitialSpace");
    QTest::newRow("comma") << QString("q.csv") << QString(",") << false;
    QTest::newRow("tab") << QString("q.txt") << QString("\t") << false;
    QTest::newRow("comma and blank") << QString("q.lst") << QString(",") << true;
}

void TestTextExport::quotedValuesReadBack() {
    QFETCH(QString, name);
    QFETCH(QString, delimiter);
    QFETCH(bool, skipInitialSpace);
    TestEnvironment env;
    const QStringList tricky{QStringLiteral("Smith, Jones & Co"),
                             QStringLiteral("the \"big\" one"),
                             QStringLiteral("line one\r\nline two"),
                             QStringLiteral("tab\there"),
                             QStringLiteral("lf\nonly"),
                             QStringLiteral("\""),
                             QStringLiteral(" leading space"),
                             QStringLiteral("trailing blanks  "),
                             QStringLiteral("\tleading tab"),
                             QStringLiteral("Müller €")};
    Opportunities items;
    for (int i = 0; i < tricky.size(); ++i)
        addOpportunity(items, i + 1, tricky.at(i), tricky.at(tricky.size() - 1 - i));
    const QString path = env.path(name);
    QVERIFY(TextExport::write(items, path, {}).ok());
    const auto rows = readWithPython(path, delimiter, skipInitialSpace);
    QCOMPARE(rows.size(), tricky.size() + 1);
    for (int i = 0; i < tricky.size(); ++i) {
        QCOMPARE(rows.at(i + 1).size(), 17);
        QCOMPARE(rows.at(i + 1).at(0), tricky.at(i));
        QCOMPARE(rows.at(i + 1).at(4), tricky.at(tricky.size() - 1 - i));
        QCOMPARE(rows.at(i + 1).at(14), QString::number(i + 1));
    }
    // A value without anything to protect stays bare.
    QVERIFY(RawDatabase::readFile(path).contains("\r\nMüller €" + delimiter.toUtf8()));
}

void TestTextExport::formulasGuardedUnlessRaw_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("raw");
    for (const bool raw : {false, true}) {
        const char* mode = raw ? "raw" : "guarded";
        QTest::addRow("comma, %s", mode) << "f.csv"
                                         << "," << raw;
        QTest::addRow("tab, %s", mode) << "f.txt"
                                       << "\t" << raw;
        QTest::addRow("comma and blank, %s", mode) << "f.lst"
                                                   << "," << raw;
    }
}

// Texts from web forms that a spreadsheet would run get an apostrophe; amounts never do.
void TestTextExport::formulasGuardedUnlessRaw() {
    QFETCH(QString, name);
    QFETCH(QString, delimiter);
    QFETCH(bool, raw);
    TestEnvironment env;
    // Company as typed, and as the export writes it by default.
    const QList<QPair<QString, QString>> companies{
        {"=HYPERLINK(\"http://evil.example\",\"Click\")",
         "'=HYPERLINK(\"http://evil.example\",\"Click\")"},
        {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},
        {"@SUM(A1:A9)", "'@SUM(A1:A9)"},
        {"Acme = Co - +@", "Acme = Co - +@"},
        {"'quoted", "'quoted"}};
    Opportunities items;
    for (int i = 0; i < companies.size(); ++i) {
        Opportunity* o =
            addOpportunity(items, i + 1, QStringLiteral("Deal"), QStringLiteral("=note"));
        o->setCompany(companies.at(i).first);
        o->setRevenue(QStringLiteral("-1500"));
        o->setQuantity(QStringLiteral("+2"));
    }
    const QString path = env.path(name);
    const auto written = TextExport::write(
        items, path, {}, raw ? TextExport::Formulas::Raw : TextExport::Formulas::Guarded);
    QVERIFY2(written.ok(), qPrintable(written.message()));
    const auto rows = readWithPython(path, delimiter, delimiter == "," && name.endsWith(".lst"));
    QCOMPARE(rows.size(), companies.size() + 1);
    for (int i = 0; i < companies.size(); ++i) {
        const QStringList& row = rows.at(i + 1);
        QCOMPARE(row.size(), 17);
        QCOMPARE(row.at(2), raw ? companies.at(i).first : companies.at(i).second);
        QCOMPARE(row.at(4), raw ? QStringLiteral("=note") : QStringLiteral("'=note"));
        QCOMPARE(row.at(7), QStringLiteral("+2"));
        QCOMPARE(row.at(8), QStringLiteral("-1500"));
    }
}

void TestTextExport::onlyVisibleRowsInCollectionOrder() {
    TestEnvironment env;
    Opportunities items;
    addOpportunity(items, 9, QStringLiteral("Zeta"));
    addOpportunity(items, 3, QStringLiteral("Hidden"), QString(), false);
    addOpportunity(items, 5, QStringLiteral("Alpha"));
    const QString path = env.path("order.txt");
    QCOMPARE(*TextExport::write(items, path, {}), 2);
    const auto rows = readWithPython(path, "\t", false);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(1).at(14), QStringLiteral("9"));
    QCOMPARE(rows.at(2).at(14), QStringLiteral("5"));

    // A filter that hides everything leaves the header alone, and the count reads "0".
    for (qint32 i = 1; i <= items.count(); ++i)
        items.item(i)->setVisible(false);
    const auto none = TextExport::write(items, path, {});
    QCOMPARE(*none, 0);
    QCOMPARE(readWithPython(path, "\t", false).size(), 1);
    QCOMPARE(TextExport::doneMessage(*none, path), "0 opportunities exported to " + path);
}

void TestTextExport::refusesToWriteOverDatabases() {
    TestEnvironment env;
    Opportunities items;
    addOpportunity(items, 1, QStringLiteral("Deal"));
    // "pipeline" typed without extension, where a database of that name (any name) exists.
    const QString database = env.path("pipeline");
    QVERIFY(RawDatabase::makeSalesFile(database, {1, 2}));
    const QByteArray before = RawDatabase::readFile(database);
    const auto refused = TextExport::write(items, database, {});
    QVERIFY(!refused.ok());
    QVERIFY2(refused.message().startsWith(database + " is a database file."),
             qPrintable(refused.message()));
    QCOMPARE(RawDatabase::readFile(database), before);

    // An open database, even one that does not look like a database yet.
    const QString open = env.path("Open.mdb");
    QVERIFY(RawDatabase::writeFile(open, "not yet"));
    const auto refusedOpen = TextExport::write(items, open, {env.path("./Open.mdb")});
    QVERIFY(!refusedOpen.ok());
    QVERIFY(refusedOpen.message().contains("is an open Corvane database"));
    QCOMPARE(RawDatabase::readFile(open), QByteArray("not yet"));

    // The dialog adds the suffix of the chosen filter to a bare name, never .mdb.
    QStringList suffixes;
    for (const QString& filter : TextExport::fileRequest().filters)
        suffixes.append(TextExport::defaultSuffixFor(filter));
    QCOMPARE(suffixes, QStringList({"csv", "txt", ""}));
}

void TestTextExport::failedWriteKeepsTheOldFile() {
    TestEnvironment env;
    Opportunities items;
    addOpportunity(items, 1, QStringLiteral("Deal"));
    QString folder = env.path("locked");
    QVERIFY(QDir().mkpath(folder));
    const QString old = folder + "/old.csv";
    QVERIFY(RawDatabase::writeFile(old, "old contents"));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    // The superuser writes anywhere but in /proc.
    if (geteuid() == 0)
        folder = QStringLiteral("/proc");
    const QString target = folder + "/old.csv";
    const auto failed = TextExport::write(items, target, {});
    QFile::setPermissions(env.path("locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!failed.ok());
    const QString prefix = "Could not export to " + target + ": ";
    QVERIFY2(failed.message().startsWith(prefix) && failed.message().size() > prefix.size(),
             qPrintable(failed.message()));
    QCOMPARE(RawDatabase::readFile(old), QByteArray("old contents"));
    QVERIFY(QDir(env.path("locked")).entryList(QDir::Files | QDir::Hidden).size() == 1);
}

void TestTextExport::cancelledExportLeavesNothing_data() {
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("cancelAt"); // the report that answers "stop", from 1
    QTest::newRow("new file, at once") << false << 1;
    QTest::newRow("new file, midway") << false << 2;
    QTest::newRow("over a file, midway") << true << 2;
}

void TestTextExport::cancelledExportLeavesNothing() {
    QFETCH(bool, existing);
    QFETCH(int, cancelAt);
    TestEnvironment env;
    Opportunities items;
    // Enough rows for several reports.
    for (qint32 i = 1; i <= 3000; ++i)
        addOpportunity(items, i, QStringLiteral("Deal %1").arg(i), QString(200, QLatin1Char('n')));
    const QString folder = env.path("out");
    QVERIFY(QDir().mkpath(folder));
    const QString target = folder + "/deals.csv";
    if (existing)
        QVERIFY(RawDatabase::writeFile(target, "old contents"));
    int reports = 0;
    const auto written = TextExport::write(items, target, {}, TextExport::Formulas::Guarded,
                                           [&](qint64, qint64) { return ++reports < cancelAt; });
    QVERIFY(written.isCancelled());
    QCOMPARE(reports, cancelAt);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
             existing ? QStringList{"deals.csv"} : QStringList{});
    if (existing)
        QCOMPARE(RawDatabase::readFile(target), QByteArray("old contents"));
}

void TestTextExport::textBlockIsByteExact_data() {
    QTest::addColumn<bool>("full");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("description only")
        << false << QByteArray("\r\nDescription\tBig deal\r\nOrder Date \t2004-03-7\r\n");
    QTest::newRow("every field")
        << true
        << QByteArray("\r\nDescription\tBig deal\r\nCompany    \tAcme\r\nContact    \tAnn Lee\r\n"
                      "Department \tIT\r\nNote       \tline 1\r\nline 2\r\nProduct    \tWidget\r\n"
                      "Quantity   \t3.00\r\nPrice      \t1,250.00\r\nRevenue    \t$3,750.00\r\n"
                      "Stage      \tLead\r\nProbability\t25% - Long Shot\r\nForecast   \tYes\r\n"
                      "Source     \tEmail\r\nOrder Date \t2004-03-7\r\n");
}

void TestTextExport::textBlockIsByteExact() {
    QFETCH(bool, full);
    QFETCH(QByteArray, expected);
    TestEnvironment env;
    Opportunity o(Opportunity::Blank{});
    o.setDescription(QStringLiteral("Big deal"));
    o.setOrderYear(QStringLiteral("2004"));
    o.setOrderMonth(QStringLiteral("March"));
    o.setOrderDay(QStringLiteral("7"));
    o.setSalesOwner(QStringLiteral("never shown"));
    o.setRecordNumber(42);
    if (full) {
        o.setCompany(QStringLiteral("Acme"));
        o.setContact(QStringLiteral("Ann Lee"));
        o.setDepartment(QStringLiteral("IT"));
        o.setNote(QStringLiteral("line 1\r\nline 2"));
        o.setProduct(QStringLiteral("Widget"));
        o.setQuantity(QStringLiteral("3.00"));
        o.setUnitPrice(QStringLiteral("1,250.00"));
        o.setRevenue(QStringLiteral("$3,750.00"));
        o.setStage(QStringLiteral("Lead"));
        o.setProbability(QStringLiteral("25% - Long Shot"));
        o.setForecast(QStringLiteral("Yes"));
        o.setSource(QStringLiteral("Email"));
    }
    QCOMPARE(opportunityText(o).toUtf8(), expected);
}

QTEST_GUILESS_MAIN(TestTextExport)
#include "TestTextExport.moc"
