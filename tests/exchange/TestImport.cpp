#include "TestEnvironment.h"

#include "exchange/DelimitedFile.h"
#include "exchange/ImportMapping.h"
#include "exchange/ImportPlan.h"
#include "store/Opportunities.h"
#include "store/OpportunityFields.h"

#include <QStringEncoder>
#include <QtTest>

using Encoding = DelimitedFile::Encoding;
Q_DECLARE_METATYPE(DelimitedFile::Encoding)
Q_DECLARE_METATYPE(ImportPlan::Duplicates)

namespace {

using namespace OpportunityFields;

QByteArray utf16(const QString& text, bool littleEndian) {
    QStringEncoder encoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

QByteArray windows1252(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text)
        bytes += c == QChar(0x20AC) ? char(0x80) : char(c.unicode());
    return bytes;
}

// Every record of a file, values joined by "|", with its line: "2:a|b".
QStringList records(DelimitedFile& file) {
    QStringList all;
    DelimitedFile::Record record;
    file.rewind();
    while (file.next(record))
        all.append(QString::number(record.line) + QLatin1Char(':') +
                   record.values.join(QLatin1Char('|')));
    return all;
}

std::unique_ptr<Opportunity> existing(qint32 number, const QString& company,
                                      const QString& description) {
    auto o = std::make_unique<Opportunity>();
    o->setRecordNumber(number);
    o->setCompany(company);
    o->setDescription(description);
    o->setRevenue(QStringLiteral("100"));
    return o;
}

ResultValue<ImportPlan> plan(const QByteArray& bytes, ImportPlan::Duplicates duplicates,
                             const Opportunities& database = Opportunities()) {
    DelimitedFile file;
    file.readBytes(bytes);
    return ImportPlan::build(file, ImportMapping::guess(file.header()), duplicates, database);
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

private slots:
    void readsOtherProgramsFiles_data();
    void readsOtherProgramsFiles();
    void guessesColumns_data();
    void guessesColumns();
    void datesAndAmounts_data();
    void datesAndAmounts();
    void rowsThatCannotBeStored();
    void duplicates_data();
    void duplicates();
    void databaseLimit_data();
    void databaseLimit();
    void cancelledPlan();
};

void TestImport::readsOtherProgramsFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QStringList>("expected");

    // The header has no decimal comma: the comma cannot be the delimiter.
    QTest::newRow("semicolons, decimal commas")
        << QByteArray("Title;Company;Amount\r\nRoof;Acme;1.234,50\r\nDoor;Beta;99,00\r\n")
        << Encoding::Utf8 << ";" << true
        << QStringList{"2:Roof|Acme|1.234,50", "3:Door|Beta|99,00"};
    QTest::newRow("TAB, UTF-16 LE with BOM")
        << utf16(QStringLiteral("Title\tCompany\r\nGrüße\tZoë, Ltd\r\n"), true) << Encoding::Utf16LE
        << "\t" << true << QStringList{QStringLiteral("2:Grüße|Zoë, Ltd")};
    QTest::newRow("TAB, UTF-16 BE with BOM")
        << utf16(QStringLiteral("Title\tCompany\nA\tB\n"), false) << Encoding::Utf16BE << "\t"
        << true << QStringList{"2:A|B"};
    QTest::newRow("Windows-1252, accented names")
        << windows1252(QStringLiteral("Title,Company\r\nCafé crème,Société Générale €\r\n"))
        << Encoding::Windows1252 << "," << true
        << QStringList{QStringLiteral("2:Café crème|Société Générale €")};
    QTest::newRow("UTF-8 with BOM, pipes")
        << QByteArray("\xEF\xBB\xBFTitle|Company\nNaïve|X\n") << Encoding::Utf8Bom << "|" << true
        << QStringList{QStringLiteral("2:Naïve|X")};
    // Quoted values hold delimiters, line breaks and doubled quotes; the next record's line
    // counts the line break.
    QTest::newRow("quoted values")
        << QByteArray("Title,Note\r\n\"a, b\",\"say \"\"hi\"\"\r\nthen go\"\r\nc,  d  \r\n")
        << Encoding::Utf8 << "," << true << QStringList{"2:a, b|say \"hi\"\r\nthen go", "4:c|d"};
    QTest::newRow("blank lines") << QByteArray("Title,Company\n\n   \nA,B\n,\nC,D\n")
                                 << Encoding::Utf8 << "," << true << QStringList{"4:A|B", "6:C|D"};
    QTest::newRow("no header") << QByteArray("Roof,Acme,1200\nDoor,Beta,99\n") << Encoding::Utf8
                               << "," << false << QStringList{"1:Roof|Acme|1200", "2:Door|Beta|99"};
}

void TestImport::readsOtherProgramsFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(Encoding, encoding);
    QFETCH(QString, delimiter);
    QFETCH(bool, header);
    QFETCH(QStringList, expected);
    DelimitedFile file;
    file.readBytes(bytes);
    QCOMPARE(file.format().encoding, encoding);
    QCOMPARE(QString(file.format().delimiter), delimiter);
    QCOMPARE(file.format().header, header);
    QCOMPARE(records(file), expected);
    // Every row imports when only its first column is mapped.
    const auto planned = ImportPlan::build(file, ImportMapping({OpportunityFields::Description}),
                                           ImportPlan::Duplicates::Add, Opportunities());
    QVERIFY(planned);
    QCOMPARE(planned->rejected, 0);
    QCOMPARE(qsizetype(planned->additions.size()), expected.size());

    // Another encoding, chosen by the user, decodes the bytes anew: letters beyond ASCII come
    // out otherwise.
    DelimitedFile::Format format = file.format();
    format.encoding = encoding == Encoding::Windows1252 ? Encoding::Utf8 : Encoding::Windows1252;
    file.setFormat(format);
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    QCOMPARE(records(file) == expected, ascii);
}

void TestImport::guessesColumns_data() {
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("targets");
    // Our own export's header row, exactly.
    QStringList exported;
    for (const QString& header : exportHeaders()) {
        const auto field = std::find_if(Fields.begin(), Fields.end(), [&](const Info& info) {
            return info.exported.header && header == QLatin1String(info.exported.header);
        });
        exported.append(field == Fields.end() ? QStringLiteral("OrderDate")
                        : field->field == RecordNumber || field->field == DateCreated
                            ? QStringLiteral("ignore")
                            : QLatin1String(field->storedName));
    }
    QTest::newRow("our export") << exportHeaders() << exported;
    QTest::newRow("other programs")
        << QStringList{"Deal Name",           "Organization", "Deal Value",
                       "Expected Close Date", "Owner",        "Colour"}
        << QStringList{"Description", "Company", "Revenue", "OrderDate", "SalesOwner", "ignore"};
    QTest::newRow("case, blanks, a field once")
        << QStringList{" company name ", "ACCOUNT", "close_date", "Amount"}
        << QStringList{"Company", "ignore", "OrderDate", "Revenue"};
}

void TestImport::guessesColumns() {
    QFETCH(QStringList, headers);
    QFETCH(QStringList, targets);
    const ImportMapping mapping = ImportMapping::guess(headers);
    QCOMPARE(mapping.toText(), targets.join(QLatin1Char(',')));
    QCOMPARE(ImportMapping::fromText(mapping.toText()).columns(), mapping.columns());
}

void TestImport::datesAndAmounts_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QDate>("expectedDate");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("isAmount");
    const auto row = [](const char* tag, const char* locale, const char* date, QDate expected,
                        const char* amount, bool isAmount) {
        QTest::newRow(tag) << QString(locale) << QString(date) << expected << QString(amount)
                           << isAmount;
    };
    row("ISO, point", "de_DE", "2026-03-04", QDate(2026, 3, 4), "1234.50", true);
    row("German locale", "de_DE", "04.03.2026", QDate(2026, 3, 4), "1.234,50 €", true);
    row("US month/day/year", "de_DE", "3/14/2026", QDate(2026, 3, 14), "$1,234.50", true);
    row("US locale", "en_US", "3/4/2026", QDate(2026, 3, 4), "EUR 12", true);
    row("impossible date, no number", "en_US", "2026-02-30", QDate(), "abc", false);
    row("no date, two numbers", "en_US", "soon", QDate(), "12 34", false);
}

void TestImport::datesAndAmounts() {
    QFETCH(QString, locale);
    QFETCH(QString, date);
    QFETCH(QDate, expectedDate);
    QFETCH(QString, amount);
    QFETCH(bool, isAmount);
    const TestEnvironment environment{QLocale(locale)};
    QCOMPARE(ImportPlan::parseDate(date), expectedDate);
    QCOMPARE(ImportPlan::isAmount(amount), isAmount);
}

void TestImport::rowsThatCannotBeStored() {
    const TestEnvironment environment;
    const QByteArray bytes = "Title,Company,Amount,Close Date,Stage,Colour\n"
                             "Roof,Acme,\"1,200.00\",2026-03-04,gain commitment,red\n" // 2: kept
                             "Door,Beta,lots,2026-03-04,Lead,blue\n"                   // 3: amount
                             "Gate,Gamma,5,2026-02-30,Lead,\n"                         // 4: date
                             "Wall," +
                             QByteArray(33, 'x') +
                             ",5,,Lead,\n"                    // 5: too long
                             "Pool,Delta,5,,Won,\n"           // 6: stage kept
                             "Shed,Eps,5,,Lead,green,extra\n" // 7: too many
                             "Barn,Zeta,5,,,,\n"              // 8: empty extras
                             "Loft,Eta\n";                    // 9: too few
    const auto planned = plan(bytes, ImportPlan::Duplicates::Add);
    QVERIFY(planned);
    QStringList problems;
    for (const ImportPlan::Problem& problem : planned->problems)
        problems.append(QStringLiteral("%1 %2 %3")
                            .arg(problem.line)
                            .arg(problem.rejected ? "rejected" : "kept", problem.message));
    QCOMPARE(problems,
             (QStringList{
                 "3 rejected Revenue 'lots' is not a number.",
                 "4 rejected '2026-02-30' is not a date.",
                 "5 rejected Company is longer than 32 characters.",
                 "6 kept Stage 'Won' is not in the list; it is kept as it is.",
                 "7 rejected The row has 7 values where 6 are expected (a delimiter in an "
                 "unquoted value?).",
                 "9 kept The row has 2 values where 6 are expected; the missing ones are empty.",
             }));
    QCOMPARE(planned->rows, 8);
    QCOMPARE(planned->rejected, 4);
    QStringList added;
    for (const ImportPlan::Addition& addition : planned->additions)
        added.append(QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(addition.line)
                         .arg(addition.fields.description(), addition.fields.revenue(),
                              addition.fields.stage(), addition.fields.orderDateText()));
    const QString today = Opportunity().orderDateText();
    // A stage written in other letters takes the list's spelling; an empty date cell leaves the
    // order date empty (the list shows today).
    QCOMPARE(added,
             (QStringList{"2 Roof 1,200.00 Gain Commitment 2026-03-04", "6 Pool 5 Won " + today,
                          "8 Barn 5  " + today, "9 Loft   " + today}));
}

void TestImport::duplicates_data() {
    QTest::addColumn<ImportPlan::Duplicates>("choice");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("updated");
    QTest::addColumn<int>("skipped");
    // Rows 2 and 4 match opportunity 7 of the database, row 5 matches row 3.
    QTest::newRow("skip") << ImportPlan::Duplicates::Skip << QStringList{"3 Beta Door 20"}
                          << QStringList{} << 3;
    QTest::newRow("update") << ImportPlan::Duplicates::Update << QStringList{"3 beta door 50"}
                            << QStringList{"Key=7 4 ACME Roof 40"} << 0;
    QTest::newRow("add") << ImportPlan::Duplicates::Add
                         << QStringList{"2 acme  roof  10", "3 Beta Door 20", "4 ACME Roof 40",
                                        "5 beta door 50"}
                         << QStringList{} << 0;
}

void TestImport::duplicates() {
    QFETCH(ImportPlan::Duplicates, choice);
    QFETCH(QStringList, added);
    QFETCH(QStringList, updated);
    QFETCH(int, skipped);
    const TestEnvironment environment;
    Opportunities database;
    database.add(existing(7, QStringLiteral("Acme"), QStringLiteral("Roof")),
                 Opportunities::keyFor(7));
    database.add(existing(8, QStringLiteral("Acme"), QStringLiteral("Roofs")),
                 Opportunities::keyFor(8));
    const QByteArray bytes = "Company,Title,Amount\n"
                             "acme ,\" roof \",10\n"
                             "Beta,Door,20\n"
                             "ACME,Roof,40\n"
                             "beta,door,50\n";
    const auto planned = plan(bytes, choice, database);
    QVERIFY(planned);
    QCOMPARE(planned->duplicates, 3);
    QCOMPARE(planned->skipped, skipped);
    const auto describe = [](qint64 line, const Opportunity& o) {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(line)
            .arg(o.company(), o.description(), o.revenue());
    };
    QStringList plannedAdded;
    for (const ImportPlan::Addition& addition : planned->additions)
        plannedAdded.append(describe(addition.line, addition.fields));
    QStringList plannedUpdated;
    for (const ImportPlan::Update& update : planned->updates)
        plannedUpdated.append(update.key + QLatin1Char(' ') + describe(update.line, update.fields));
    QCOMPARE(plannedAdded, added);
    QCOMPARE(plannedUpdated, updated);
    if (choice == ImportPlan::Duplicates::Update) {
        // Only the file's columns are written over: the database's other fields stay.
        QCOMPARE(planned->updates.front().fields.recordNumber(), 7);
        QCOMPARE(planned->updates.front().fields.stage(),
                 database.item(QStringLiteral("Key=7"))->stage());
    }
}

void TestImport::databaseLimit_data() {
    QTest::addColumn<ImportPlan::Duplicates>("choice");
    QTest::addColumn<int>("existingCount");
    QTest::addColumn<int>("expectedAdded");
    // 100,000 rows that repeat 32,767 distinct opportunities.
    QTest::newRow("updates fit") << ImportPlan::Duplicates::Update << 0 << 32767;
    QTest::newRow("skips fit") << ImportPlan::Duplicates::Skip << 0 << 32767;
    QTest::newRow("one too many") << ImportPlan::Duplicates::Skip << 1 << -1;
    QTest::newRow("every row added") << ImportPlan::Duplicates::Add << 0 << -1;
}

void TestImport::databaseLimit() {
    QFETCH(ImportPlan::Duplicates, choice);
    QFETCH(int, existingCount);
    QFETCH(int, expectedAdded);
    const TestEnvironment environment;
    QByteArray bytes = "Company,Title,Amount,Close Date\n";
    bytes.reserve(100000 * 40);
    for (int row = 0; row < 100000; ++row)
        bytes += "Company " + QByteArray::number(row % 32767) + ",Deal " +
                 QByteArray::number(row % 32767) + "," + QByteArray::number(row) + ",2026-05-01\n";
    Opportunities database;
    for (int i = 0; i < existingCount; ++i)
        database.add(existing(i + 1, QStringLiteral("Other"), QString::number(i)),
                     Opportunities::keyFor(i + 1));
    const auto planned = plan(bytes, choice, database);
    if (expectedAdded < 0) {
        QVERIFY(!planned);
        QVERIFY2(planned.message().contains(QStringLiteral("more than the 32,767")),
                 qPrintable(planned.message()));
        return;
    }
    QVERIFY2(planned, qPrintable(planned.message()));
    QCOMPARE(planned->rows, 100000);
    QCOMPARE(qint64(planned->additions.size()), expectedAdded);
    // Updated by the last of its rows, or kept as the first one.
    const QString lastRevenue = choice == ImportPlan::Duplicates::Update ? "98299" : "32765";
    QCOMPARE(planned->additions.at(32765 % 32767).fields.revenue(), lastRevenue);
}

void TestImport::cancelledPlan() {
    const TestEnvironment environment;
    QByteArray bytes = "Company,Title\n";
    for (int row = 0; row < 5000; ++row)
        bytes += "C,D" + QByteArray::number(row) + "\n";
    DelimitedFile file;
    file.readBytes(bytes);
    int calls = 0;
    const auto planned =
        ImportPlan::build(file, ImportMapping::guess(file.header()), ImportPlan::Duplicates::Add,
                          Opportunities(), [&](qint64, qint64) { return ++calls < 2; });
    QVERIFY(planned.isCancelled());
    QCOMPARE(calls, 2);
}

QTEST_GUILESS_MAIN(TestImport)
#include "TestImport.moc"
