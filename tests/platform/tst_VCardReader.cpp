#include "TestEnvironment.h"

#include "platform/VCardReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
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

QString describe(const Contact& c) {
    return QStringLiteral("[%1|%2|%3|%4|%5|%6]")
        .arg(c.FirstName, c.LastName, c.FileAs, c.CompanyName, c.Department,
             c.BusinessTelephoneNumber);
}
} // namespace

class tst_VCardReader : public QObject {
    Q_OBJECT

private slots:
    void fixtureCards_data();
    void fixtureCards();
    void fixtureCounts_data();
    void fixtureCounts();
    void folderOrder();
    void truncatedTextKeepsWholeCards();
    void textForms_data();
    void textForms();
    void missingFolderFails();
    void sampleContactsReadBack();
    void fiveThousandContactsUnderOneSecond();
};

void tst_VCardReader::fixtureCards_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("position");
    QTest::addColumn<Contact>("expected");

    const QString v21 = QStringLiteral("contacts-1-v21.vcf");
    // Quoted-printable UTF-8 name; the work voice number, not the home one nor the work fax.
    QTest::newRow("2.1 quoted-printable name")
        << v21 << 0
        << contact("Ingrid", "Sjöberg", "Sjöberg, Ingrid", "Nordvik Marine Supply", "Procurement",
                   "+46 31 555 0177");
    // Latin-1 bytes declared by CHARSET; no work number: the first number that is no fax.
    QTest::newRow("2.1 latin-1, no work phone")
        << v21 << 1
        << contact("Rafael", "Muñoz", "Muñoz, Rafael", "Peñasco Builders", "", "+34 600 555 012");
    // Three ORG parts; a folded PHOTO with a blank line inside does not end the card.
    QTest::newRow("2.1 photo and org units")
        << v21 << 2
        << contact("Harold", "Whitcombe", "Whitcombe, Harold", "Whitcombe & Daughters", "Accounts",
                   "0117 555 0143");

    const QString v30 = QStringLiteral("contacts-2-v30.vcf");
    QTest::newRow("3.0 file-as and escapes")
        << v30 << 0
        << contact("Marisol", "Quade", "Quade, Marisol (Barrow)", "Barrow, Finch & Co.",
                   "Sales; East Region", "+1 617 555 0151");
    // N folded inside a UTF-8 sequence; no ORG.
    QTest::newRow("3.0 folded name, no org")
        << v30 << 1
        << contact("Chidi", "Okafor-Lindström", "Okafor-Lindström, Chidi", "", "",
                   "+1 312 555 0102");
    QTest::newRow("3.0 no tel") << v30 << 2
                                << contact("Beatriz", "Ferreira", "Ferreira, Beatriz",
                                           "Coastline Ceramics", "Design", "");

    const QString v40 = QStringLiteral("contacts-3-v40.vcf");
    QTest::newRow("4.0 tel uri with extension")
        << v40 << 0
        << contact("Ayaka", "Tanabe", "Tanabe, Ayaka", "Kitaura Precision", "Quality Assurance",
                   "+81-3-5555-0120 x204");
    QTest::newRow("4.0 FN only") << v40 << 1
                                 << contact("", "", "Studio Ørnebjerg", "Studio Ørnebjerg", "",
                                            "+45 55 55 01 30");

    const QString damaged = QStringLiteral("contacts-4-damaged.vcf");
    QTest::newRow("good card before damage")
        << damaged << 0
        << contact("Colm", "Abernethy", "Abernethy, Colm", "Greyfriars Haulage", "",
                   "+44 131 555 0161");
    QTest::newRow("good card after damage")
        << damaged << 1
        << contact("Ines", "Castellanos", "Castellanos, Ines", "", "", "+52 55 5555 0170");
}

void tst_VCardReader::fixtureCards() {
    QFETCH(QString, file);
    QFETCH(int, position);
    QFETCH(Contact, expected);
    const VCardReader::Outcome outcome = VCardReader::parse(readFixture(file));
    QVERIFY(position < outcome.contacts.size());
    QCOMPARE(describe(outcome.contacts.at(position)), describe(expected));
}

void tst_VCardReader::fixtureCounts_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("contacts");
    QTest::addColumn<int>("skipped");
    QTest::newRow("2.1") << QStringLiteral("contacts-1-v21.vcf") << 3 << 0;
    QTest::newRow("3.0") << QStringLiteral("contacts-2-v30.vcf") << 3 << 0;
    QTest::newRow("4.0") << QStringLiteral("contacts-3-v40.vcf") << 2 << 0;
    // One card cut off by the next BEGIN, one by the end of the file.
    QTest::newRow("damaged") << QStringLiteral("contacts-4-damaged.vcf") << 2 << 2;
}

void tst_VCardReader::fixtureCounts() {
    QFETCH(QString, file);
    QFETCH(int, contacts);
    QFETCH(int, skipped);
    const VCardReader::Outcome outcome = VCardReader::parse(readFixture(file));
    QCOMPARE(outcome.contacts.size(), contacts);
    QCOMPARE(outcome.skipped, skipped);
}

void tst_VCardReader::folderOrder() {
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("contacts"));
    QVERIFY(QDir().mkpath(folder));
    // Written in another order than their names; one with an upper-case extension; files of
    // other kinds are no contacts.
    const QStringList names{QStringLiteral("contacts-3-v40.vcf"),
                            QStringLiteral("contacts-1-v21.vcf"),
                            QStringLiteral("contacts-4-damaged.vcf")};
    for (const QString& name : names)
        QVERIFY(QFile::copy(fixture(name), folder + u'/' + name));
    QVERIFY(QFile::copy(fixture(QStringLiteral("contacts-2-v30.vcf")),
                        folder + QStringLiteral("/contacts-2-v30.VCF")));
    QFile other(folder + QStringLiteral("/notes.txt"));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("BEGIN:VCARD\r\nN:Nobody;Not;;;\r\nEND:VCARD\r\n");
    other.close();

    const PimValue<VCardReader::Outcome> read = VCardReader::readFolder(folder);
    QVERIFY2(read.ok(), qPrintable(read.message()));
    QStringList fileAs;
    for (const Contact& c : read->contacts)
        fileAs << c.FileAs;
    const QStringList expected{
        QStringLiteral("Sjöberg, Ingrid"),         QStringLiteral("Muñoz, Rafael"),
        QStringLiteral("Whitcombe, Harold"),       QStringLiteral("Quade, Marisol (Barrow)"),
        QStringLiteral("Okafor-Lindström, Chidi"), QStringLiteral("Ferreira, Beatriz"),
        QStringLiteral("Tanabe, Ayaka"),           QStringLiteral("Studio Ørnebjerg"),
        QStringLiteral("Abernethy, Colm"),         QStringLiteral("Castellanos, Ines")};
    QCOMPARE(fileAs, expected);
    QCOMPARE(read->skipped, 2);
    QCOMPARE(read->files, 4);
}

// A file cut anywhere (a broken download, a full disk) gives exactly the cards that were
// complete before the cut.
void tst_VCardReader::truncatedTextKeepsWholeCards() {
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

void tst_VCardReader::textForms_data() {
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
    QTest::newRow("quoted colon in a parameter")
        << QByteArray("BEGIN:VCARD\nVERSION:4.0\nFN:Rhiannon Vale\n"
                      "TEL;TYPE=work;LABEL=\"desk: left\":+44 20 5550 0188\nEND:VCARD\n")
        << QStringLiteral("Rhiannon Vale") << QStringLiteral("+44 20 5550 0188");
}

void tst_VCardReader::textForms() {
    QFETCH(QByteArray, data);
    QFETCH(QString, fileAs);
    QFETCH(QString, phone);
    const VCardReader::Outcome outcome = VCardReader::parse(data);
    QCOMPARE(outcome.contacts.size(), 1);
    QCOMPARE(outcome.contacts.first().FileAs, fileAs);
    QCOMPARE(outcome.contacts.first().BusinessTelephoneNumber, phone);
}

void tst_VCardReader::missingFolderFails() {
    TestEnvironment env;
    const PimValue<VCardReader::Outcome> read =
        VCardReader::readFolder(env.path(QStringLiteral("not-there")));
    QVERIFY(!read.ok());
    QVERIFY(read.message().contains(env.path(QStringLiteral("not-there"))));
}

void tst_VCardReader::sampleContactsReadBack() {
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("samples"));
    QVERIFY(VCardReader::writeSampleContacts(folder, 250).ok());
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*.vcf")}, QDir::Files).size(), 3);
    const PimValue<VCardReader::Outcome> read = VCardReader::readFolder(folder);
    QVERIFY(read.ok());
    QCOMPARE(read->contacts.size(), 250);
    QCOMPARE(read->skipped, 0);
    // Each of the three versions, as written.
    QCOMPARE(describe(read->contacts.at(0)),
             describe(contact("Alma", "Abernathy", "Abernathy, Alma", "Halvorsen Tool & Die",
                              "Purchasing", "+1 555 0000")));
    QCOMPARE(describe(read->contacts.at(103)),
             describe(contact("Hallvard", "Grünfeld", "Grünfeld, Hallvard",
                              "Quillfeather Paper, Inc.", "IT; Networks", "+1 555 0103")));
    QCOMPARE(describe(read->contacts.at(201)),
             describe(contact("Jórunn", "Marchetti", "Marchetti, Jórunn", "Stonebridge Analytics",
                              "Operations", "+1-555-0201")));
}

void tst_VCardReader::fiveThousandContactsUnderOneSecond() {
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("many"));
    QVERIFY(VCardReader::writeSampleContacts(folder, 5000).ok());
    QElapsedTimer timer;
    timer.start();
    const PimValue<VCardReader::Outcome> read = VCardReader::readFolder(folder);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(read.ok());
    QCOMPARE(read->contacts.size(), 5000);
    qInfo("5000 contacts, %s: %lld ms", "VCardReader::readFolder", elapsed);
    QVERIFY2(elapsed < 1000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
}

QTEST_GUILESS_MAIN(tst_VCardReader)
#include "tst_VCardReader.moc"
