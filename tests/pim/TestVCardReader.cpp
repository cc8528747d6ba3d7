#include "TestEnvironment.h"

#include "pim/VCardReader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

using Contact = VCardReader::Contact;
Q_DECLARE_METATYPE(Contact)

namespace {
QString fixture(const QString& name) {
    return QStringLiteral(CORVANE_TEST_DATA "/vcard/") + name;
}

QByteArray readFixture(const QString& name) {
    QFile file(fixture(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

Contact contact(const char* first, const char* last, const char* fileAs, const char* company,
                const char* department, const char* phone) {
    return {QString::fromUtf8(first),   QString::fromUtf8(last),       QString::fromUtf8(fileAs),
            QString::fromUtf8(company), QString::fromUtf8(department), QString::fromUtf8(phone)};
}

QString describe(const QList<Contact>& contacts) {
    QString text;
    for (const Contact& c : contacts)
        text += QStringLiteral("[%1|%2|%3|%4|%5|%6]\n")
                    .arg(c.FirstName, c.LastName, c.FileAs, c.CompanyName, c.Department,
                         c.BusinessTelephoneNumber);
    return text;
}
} // namespace

class TestVCardReader : public QObject {
    Q_OBJECT

private slots:
    void fixtureCards_data();
    void fixtureCards();
    void folderOrderAndMissingFolder();
    void truncatedTextKeepsWholeCards();
    void textForms_data();
    void textForms();
    void sampleContactsReadBack();
    void hostileShapesStayLinear_data();
    void hostileShapesStayLinear();
    void onlyRegularFilesOfSaneSize();
};

void TestVCardReader::fixtureCards_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QList<Contact>>("expected");

    QTest::newRow("2.1") << "contacts-1-v21.vcf" << 0
                         << QList<Contact>{
                                // Quoted-printable UTF-8 name; the work voice number, not the
                                // home one nor the work fax.
                                contact("Ingrid", "Sjöberg", "Sjöberg, Ingrid",
                                        "Nordvik Marine Supply", "Procurement", "+46 31 555 0177"),
                                // Latin-1 bytes declared by CHARSET; no work number: the first
                                // number that is no fax.
                                contact("Rafael", "Muñoz", "Muñoz, Rafael", "Peñasco Builders", "",
                                        "+34 600 555 012"),
                                // Three ORG parts; a folded PHOTO with a blank line inside does
                                // not end the card.
                                contact("Harold", "Whitcombe", "Whitcombe, Harold",
                                        "Whitcombe & Daughters", "Accounts", "0117 555 0143")};
    QTest::newRow("3.0") << "contacts-2-v30.vcf" << 0
                         << QList<Contact>{contact("Marisol", "Quade", "Quade, Marisol (Barrow)",
                                                   "Barrow, Finch & Co.", "Sales; East Region",
                                                   "+1 617 555 0151"),
                                           // N folded inside a UTF-8 sequence; no ORG.
                                           contact("Chidi", "Okafor-Lindström",
                                                   "Okafor-Lindström, Chidi", "", "",
                                                   "+1 312 555 0102"),
                                           contact("Beatriz", "Ferreira", "Ferreira, Beatriz",
                                                   "Coastline Ceramics", "Design", "")};
    QTest::newRow("4.0") << "contacts-3-v40.vcf" << 0
                         << QList<Contact>{
                                // A tel: URI with an extension; a card with FN only.
                                contact("Ayaka", "Tanabe", "Tanabe, Ayaka", "Kitaura Precision",
                                        "Quality Assurance", "+81-3-5555-0120 x204"),
                                contact("", "", "Studio Ørnebjerg", "Studio Ørnebjerg", "",
                                        "+45 55 55 01 30")};
    // One card cut off by the next BEGIN, one by the end of the file.
    QTest::newRow("damaged") << "contacts-4-damaged.vcf" << 2
                             << QList<Contact>{contact("Colm", "Abernethy", "Abernethy, Colm",
                                                       "Greyfriars Haulage", "",
                                                       "+44 131 555 0161"),
                                               contact("Ines", "Castellanos", "Castellanos, Ines",
                                                       "", "", "+52 55 5555 0170")};
}

void TestVCardReader::fixtureCards() {
    QFETCH(QString, file);
    QFETCH(int, skipped);
    QFETCH(QList<Contact>, expected);
    const VCardReader::Outcome outcome = VCardReader::parse(readFixture(file));
    QCOMPARE(describe(outcome.contacts), describe(expected));
    QCOMPARE(outcome.skipped, skipped);
}

void TestVCardReader::folderOrderAndMissingFolder() {
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("contacts"));
    const PimValue<VCardReader::Outcome> missing = VCardReader::readFolder(folder);
    QVERIFY(!missing.ok());
    QVERIFY(missing.message().contains(folder));

    // Written in another order than their names; one with an upper-case extension; files of
    // other kinds are no contacts.
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"contacts-3-v40.vcf", "contacts-1-v21.vcf", "contacts-4-damaged.vcf",
                             "contacts-2-v30.vcf"})
        QVERIFY(QFile::copy(fixture(QLatin1String(name)), folder + u'/' + QLatin1String(name)));
    QVERIFY(QFile::rename(folder + "/contacts-2-v30.vcf", folder + "/contacts-2-v30.VCF"));
    QFile other(folder + QStringLiteral("/notes.txt"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("BEGIN:VCARD\r\nN:Nobody;Not;;;\r\nEND:VCARD\r\n");
    other.close();

    const PimValue<VCardReader::Outcome> read = VCardReader::readFolder(folder);
    QVERIFY2(read.ok(), qPrintable(read.message()));
    // By file name, then in file order.
    QList<Contact> expected;
    for (const char* name : {"contacts-1-v21.vcf", "contacts-2-v30.vcf", "contacts-3-v40.vcf",
                             "contacts-4-damaged.vcf"})
        expected += VCardReader::parse(readFixture(QLatin1String(name))).contacts;
    QCOMPARE(describe(read->contacts), describe(expected));
    QCOMPARE(read->skipped, 2);
    QCOMPARE(read->files, 4);
}

// A file cut anywhere (a broken download, a full disk) gives exactly the cards that were
// complete before the cut.
void TestVCardReader::truncatedTextKeepsWholeCards() {
    for (const char* name : {"contacts-1-v21.vcf", "contacts-2-v30.vcf", "contacts-3-v40.vcf"}) {
        const QByteArray data = readFixture(QLatin1String(name));
        const QList<Contact> all = VCardReader::parse(data).contacts;
        for (qsizetype cut = 0; cut <= data.size(); ++cut) {
            const QList<Contact> read = VCardReader::parse(data.left(cut)).contacts;
            QVERIFY2(read.size() <= all.size() && read == all.mid(0, read.size()),
                     qPrintable(QStringLiteral("%1 cut at %2").arg(QLatin1String(name)).arg(cut)));
        }
        QCOMPARE(VCardReader::parse(data.left(data.size() - 3)).contacts.size(), all.size() - 1);
    }
}

void TestVCardReader::textForms_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("fileAs");
    QTest::addColumn<QString>("phone");

    const QString utf16Card = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Ødegård;Sølvi;;;\r\n"
                                             "TEL;TYPE=WORK:22 55 50 10\r\nEND:VCARD\r\n");
    QTest::newRow("utf-16 with byte-order mark")
        << (QByteArray("\xFF\xFE") +
            QByteArray(reinterpret_cast<const char*>(utf16Card.utf16()), utf16Card.size() * 2))
        << QStringLiteral("Ødegård, Sølvi") << QStringLiteral("22 55 50 10");
    QTest::newRow("utf-8 byte-order mark, bare CR line ends")
        << QByteArray("\xEF\xBB\xBF"
                      "BEGIN:VCARD\rVERSION:3.0\rN:Pryce;Elwyn;;;\rEND:VCARD\r")
        << QStringLiteral("Pryce, Elwyn") << QString();
    QTest::newRow("other file-as property, lower-case names, tab fold")
        << QByteArray("begin:vcard\nversion:3.0\nn:Mbeki;Thandi;;;\n"
                      "X-FILE-AS:Mbeki\\, Thandi (Durban\n\t office)\nend:vcard\n")
        << QStringLiteral("Mbeki, Thandi (Durban office)") << QString();
    QTest::newRow("only a last name")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:Hollingsworth;;;;\nEND:VCARD\n")
        << QStringLiteral("Hollingsworth") << QString();
    QTest::newRow("windows-1252 without charset")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Fran\xE7ois;Luc\r\n"
                      "TEL;WORK;VOICE:01 55 50 12\r\nEND:VCARD\r\n")
        << QStringLiteral("François, Luc") << QStringLiteral("01 55 50 12");
    QTest::newRow("quoted-printable value ending with an escape")
        << QByteArray(
               "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Ren=\r\n"
               "=C3=A9;Andr=C3=A9\r\nTEL;WORK;ENCODING=QUOTED-PRINTABLE:01=\r\n 55=C3=A9\r\n"
               "END:VCARD\r\n")
        << QStringLiteral("René, André") << QStringLiteral("01 55é");
    QTest::newRow("quoted colon in a parameter")
        << QByteArray("BEGIN:VCARD\nVERSION:4.0\nFN:Rhiannon Vale\n"
                      "TEL;TYPE=work;LABEL=\"desk: left\":+44 20 5550 0188\nEND:VCARD\n")
        << QStringLiteral("Rhiannon Vale") << QStringLiteral("+44 20 5550 0188");
}

void TestVCardReader::textForms() {
    QFETCH(QByteArray, data);
    QFETCH(QString, fileAs);
    QFETCH(QString, phone);
    const VCardReader::Outcome outcome = VCardReader::parse(data);
    QCOMPARE(outcome.contacts.size(), 1);
    QCOMPARE(outcome.contacts.first().FileAs, fileAs);
    QCOMPARE(outcome.contacts.first().BusinessTelephoneNumber, phone);
}

void TestVCardReader::sampleContactsReadBack() {
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("samples"));
    QVERIFY(VCardReader::writeSampleContacts(folder, 250).ok());
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.vcf")}, QDir::Files).size(), 3);
    const PimValue<VCardReader::Outcome> read = VCardReader::readFolder(folder);
    QVERIFY(read.ok());
    QCOMPARE(read->contacts.size(), 250);
    QCOMPARE(read->skipped, 0);
    // Each of the three versions, as written.
    QCOMPARE(describe({read->contacts.at(0), read->contacts.at(103), read->contacts.at(201)}),
             describe({contact("Alma", "Abernathy", "Abernathy, Alma", "Halvorsen Tool & Die",
                               "Purchasing", "+1 555 0000"),
                       contact("Hallvard", "Grünfeld", "Grünfeld, Hallvard",
                               "Quillfeather Paper, Inc.", "IT; Networks", "+1 555 0103"),
                       contact("Jórunn", "Marchetti", "Marchetti, Jórunn", "Stonebridge Analytics",
                               "Operations", "+1-555-0201")}));
}

// Ten megabytes shaped to make a rescanning reader take hours; each must still read at once
// (the test's time-out catches a reader that is not linear, the bench gives the figure).
void TestVCardReader::hostileShapesStayLinear_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("contacts");
    constexpr int Size = 10 * 1024 * 1024;
    const QByteArray card("BEGIN:VCARD\r\nN:Vale;Rhiannon;;;\r\nEND:VCARD\r\n");
    QTest::newRow("folded soft breaks")
        << "BEGIN:VCARD\r\nNOTE" + QByteArray("\r\n =").repeated(Size / 4) + "\r\nEND:VCARD\r\n" +
               card
        << 2;
    QTest::newRow("soft breaks of a quoted-printable value")
        << "BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:" +
               QByteArray("=\r\n").repeated(Size / 3) + "x\r\nEND:VCARD\r\n" + card
        << 2;
    QTest::newRow("unclosed quote")
        << "BEGIN:VCARD\r\nNOTE;X=\"" + QByteArray("a=\r\n ").repeated(Size / 5) +
               "\r\nEND:VCARD\r\n" + card
        << 2;
    QTest::newRow("endless parameter list")
        << "BEGIN:VCARD\r\nTEL" + QByteArray(";TYPE=work=\r\n ").repeated(Size / 14) +
               ":1\r\nEND:VCARD\r\n" + card
        << 2;
    QTest::newRow("one endless line") << card + QByteArray(Size, 'N') + "\r\n" + card << 2;
}

void TestVCardReader::hostileShapesStayLinear() {
    QFETCH(QByteArray, data);
    QFETCH(int, contacts);
    const VCardReader::Outcome outcome = VCardReader::parse(data);
    QCOMPARE(outcome.contacts.size(), contacts);
    QCOMPARE(outcome.contacts.last().FileAs, QStringLiteral("Vale, Rhiannon"));
}

// Links to devices, pipes and oversized files are damaged files, not endless reads.
void TestVCardReader::onlyRegularFilesOfSaneSize() {
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("contacts"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(fixture(QStringLiteral("contacts-3-v40.vcf")), folder + "/b.vcf"));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), folder + "/a-zero.vcf"));
    QVERIFY(QFile::link(folder + "/b.vcf", folder + "/c-link.vcf"));
    QFile huge(folder + QStringLiteral("/d-huge.vcf"));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(VCardReader::MaxFileSize + 1)); // sparse: costs no disk
    huge.close();
    QVERIFY(QProcess::execute(QStringLiteral("mkfifo"), {folder + "/e-pipe.vcf"}) == 0);

    const PimValue<VCardReader::Outcome> read = VCardReader::readFolder(folder);
    QVERIFY(read.ok());
    QCOMPARE(read->files, 2); // the file and the link to it
    QCOMPARE(read->contacts.size(), 4);
    QCOMPARE(read->skipped, 3);
}

QTEST_GUILESS_MAIN(TestVCardReader)
#include "TestVCardReader.moc"
