#include "PimChecks.h"
#include "TestEnvironment.h"

#include "pim/CalendarItemFile.h"
#include "pim/FilePimApplication.h"
#include "pim/PimApplication.h"
#include "pim/PimFolders.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

namespace {

const QString kApp = QStringLiteral("Corvane");
const QString kSection = QStringLiteral("Outlook");

// Puts the contacts, calendar and drafts folders under pim/ in the test's directory.
void useFolders(TestEnvironment& env) {
    for (const QString name : {"Contacts", "Calendar", "Drafts"})
        (void)env.store().saveSetting(kApp, kSection, name + "Folder", env.path("pim/" + name));
}

std::unique_ptr<PimApplication> createApplication(TestEnvironment& env) {
    auto application = PimApplication::create(env.store());
    if (!application)
        qWarning("%s", qPrintable(application.message()));
    return application ? std::move(application.value()) : nullptr;
}

// The one file of a kind in a folder, read whole.
QByteArray onlyFile(const QString& folder, const QString& pattern, QString* path = nullptr) {
    const QStringList files = QDir(folder).entryList({pattern}, QDir::Files);
    if (files.size() != 1)
        return QByteArray("files: ") + QByteArray::number(files.size());
    QFile file(QDir(folder).filePath(files.first()));
    if (path)
        *path = file.fileName();
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString bodyWithLineFeeds(QString body) {
    return body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

// Sets the mail's To, CC, BCC, Subject and Body as given.
void fill(PimApplication::MailItem& mail, const QVariantMap& fields) {
    using Setter = PimResult (PimApplication::MailItem::*)(const QString&);
    const QMap<QString, Setter> setters{{"To", &PimApplication::MailItem::setTo},
                                        {"CC", &PimApplication::MailItem::setCc},
                                        {"BCC", &PimApplication::MailItem::setBcc},
                                        {"Subject", &PimApplication::MailItem::setSubject},
                                        {"Body", &PimApplication::MailItem::setBody}};
    for (auto it = fields.begin(); it != fields.end(); ++it)
        QVERIFY((mail.*setters.value(it.key()))(it.value().toString()).ok());
}

const QString kBody = QStringLiteral(
    "Description: Spring order, 40 units; \"rush\"\r\nCompany: Barrow, Finch & Co.\r\n"
    "Contact: Ingrid Sjöberg\r\nPath: C:\\sales\\west.mdb\r\n"
    "Note: a long line that goes on and on well beyond the seventy-six characters of a "
    "quoted-printable line, with = signs and trailing blanks   \r\nRevenue: 12.500,00 €");

} // namespace

class TestPimAdapter : public QObject {
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() {
        PimApplication::setFactory({});
        m_env.reset();
    }
    void unusableFolderRefusesApplication();
    void contactsNeedLogon();
    void calendarItemsReadBack_data();
    void calendarItemsReadBack();
    void calendarRangesChecked();
    void mailReadsBack_data();
    void mailReadsBack();
    void encodedWordsHoldWholeCharacters_data();
    void encodedWordsHoldWholeCharacters();
    void mailDisplayStartsComposeWindow();
    void recipientsChecked_data();
    void recipientsChecked();
    void runProgramReportsExitStatus();

private:
    // The adapter on folders in the test's own directory.
    std::unique_ptr<PimApplication> start() {
        useFolders(*m_env);
        return createApplication(*m_env);
    }
    QString folder(const char* name) const { return m_env->path(QStringLiteral("pim/") + name); }

    std::unique_ptr<TestEnvironment> m_env;
};

void TestPimAdapter::unusableFolderRefusesApplication() {
    // A folder below a plain file can never be created, whoever runs the test.
    QFile blocker(m_env->path(QStringLiteral("plain-file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = m_env->path(QStringLiteral("plain-file/sub"));
    for (const char* key : {"ContactsFolder", "CalendarFolder", "DraftsFolder"}) {
        useFolders(*m_env);
        QVERIFY(m_env->store().saveSetting(kApp, kSection, key, impossible));
        auto application = PimApplication::create(m_env->store());
        QVERIFY2(!application.ok(), key);
        QVERIFY2(application.message().contains(impossible), qPrintable(application.message()));
        QVERIFY(application.message().contains(QStringLiteral("cannot be created")));
    }
}

void TestPimAdapter::contactsNeedLogon() {
    auto application = start();
    QVERIFY(application);
    QVERIFY(QDir().mkpath(folder("Contacts")));
    QVERIFY(QFile::copy(QStringLiteral(CORVANE_TEST_DATA "/vcard/contacts-3-v40.vcf"),
                        folder("Contacts") + QStringLiteral("/a.vcf")));
    QVERIFY(!application->getNamespace(QStringLiteral("IMAP")).ok());
    auto mapi = application->getNamespace(QStringLiteral("MAPI"));
    QVERIFY(mapi.ok());
    const auto contacts = PimApplication::FolderType::Contacts;
    QVERIFY(!mapi.value()->getDefaultFolderItems(contacts).ok());
    QVERIFY(mapi.value()->logon().ok());
    auto items = mapi.value()->getDefaultFolderItems(contacts);
    QVERIFY(items.ok());
    QCOMPARE(items.value()->count(), 2);
    QCOMPARE(items.value()->item(2)->FileAs, QStringLiteral("Studio Ørnebjerg"));
    QVERIFY(!items.value()->item(0).ok());
    QVERIFY(!items.value()->item(3).ok());
    QVERIFY(mapi.value()->logoff().ok());
    QVERIFY(!mapi.value()->getDefaultFolderItems(contacts).ok());
}

// What an appointment or a task writes, read back by libical: one file per item named by its UID,
// its time, title, duration, reminder and description.
void TestPimAdapter::calendarItemsReadBack_data() {
    QTest::addColumn<bool>("task");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QByteArray>("summary"); // null: none at all
    QTest::addColumn<bool>("reminder");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("description"); // null: none at all
    const QDateTime last(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC);
    const QDateTime first(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime spring(QDate(2026, 3, 14), QTime(9, 26, 53), Qt::UTC);
    const QString title = QStringLiteral("Barrow & Finch - Spring order; 40 units, \"rush\"");
    const QString body = QStringLiteral("Description: Spring order\r\nCompany: Barrow");
    const QByteArray lines("Description: Spring order\nCompany: Barrow");
    for (const bool task : {false, true}) {
        const char* kind = task ? "task" : "appointment";
        QTest::addRow("%s in the last second of 9999", kind)
            << task << last << title << title.toUtf8() << true << body << lines;
        QTest::addRow("%s in year 1", kind)
            << task << first << title << title.toUtf8() << true << body << lines;
        QTest::addRow("%s, long title on two lines", kind)
            << task << spring << "Zoë Ørnebjerg\r\n" + QString(40, QChar(0x20AC)) + "\t "
            << ("Zoë Ørnebjerg " + QString(40, QChar(0x20AC))).toUtf8() << true << body << lines;
    }
    const auto row = [&](const char* name, bool reminder, const QString& text,
                         const QByteArray& expected) {
        QTest::newRow(name) << false << spring << QString() << QByteArray() << reminder << text
                            << expected;
    };
    row("with reminder", true, kBody, bodyWithLineFeeds(kBody).toUtf8());
    row("without reminder, empty body", false, QString(), QByteArray());
    row("bare CR, bare LF, control characters", true,
        QStringLiteral("one\rtwo\nthree\r\n\tfour") + QChar(0) + u'\x01' + u'\x7f' +
            QStringLiteral("é"),
        QByteArray("one\ntwo\nthree\n\tfour\xC3\xA9"));
    row("blanks at folds and at the end", true, QString("word ").repeated(40) + "\tx\t \t",
        (QString("word ").repeated(40) + "\tx").toUtf8());
    const QString longLines =
        QString(300, QChar(0x20AC)) + u'\n' + QString(77, u'x') + QString(40, QChar(0x4E2D));
    row("long lines of multi-byte characters", true, longLines, longLines.toUtf8());
    QTest::newRow("task without title")
        << true << spring << QString() << QByteArray() << false << body << lines;
}

void TestPimAdapter::calendarItemsReadBack() {
    QFETCH(bool, task);
    QFETCH(QDateTime, when);
    QFETCH(QString, subject);
    QFETCH(QByteArray, summary);
    QFETCH(bool, reminder);
    QFETCH(QString, body);
    QFETCH(QByteArray, description);
    auto application = start();
    QVERIFY(application);
    std::unique_ptr<PimApplication::Item> item;
    if (task) {
        auto made = application->createTaskItem();
        QVERIFY(made.ok());
        QVERIFY(made.value()->setDueDate(when).ok());
        item = std::move(made.value());
    } else {
        auto made = application->createAppointmentItem();
        QVERIFY(made.ok());
        auto& appointment = *made.value();
        QVERIFY(appointment.setStart(when).ok());
        QVERIFY(appointment.setDuration(60).ok());
        QVERIFY(appointment.setReminderMinutesBeforeStart(15).ok());
        QVERIFY(appointment.setReminderSet(reminder).ok());
        item = std::move(made.value());
    }
    QVERIFY(item->setSubject(subject).ok());
    QVERIFY(item->setBody(body).ok());
    QVERIFY(item->save().ok());

    QString path;
    const QByteArray raw = onlyFile(folder("Calendar"), QStringLiteral("*.ics"), &path);
    QVERIFY2(PimChecks::calendarFaults(raw).isEmpty(), qPrintable(PimChecks::calendarFaults(raw)));
    QVERIFY2(!raw.contains("00000000T"), raw.constData());
    const PimChecks::Calendar calendar(raw);
    icalcomponent* component = calendar.first(task ? ICAL_VTODO_COMPONENT : ICAL_VEVENT_COMPONENT);
    QVERIFY(component);
    QCOMPARE(QFileInfo(path).fileName(),
             CalendarItemFile::fileName(QString::fromUtf8(icalcomponent_get_uid(component))));
    const icaltimetype time =
        task ? icalcomponent_get_due(component) : icalcomponent_get_dtstart(component);
    QVERIFY(icaltime_is_utc(time));
    QCOMPARE(QDateTime(QDate(time.year, time.month, time.day),
                       QTime(time.hour, time.minute, time.second), Qt::UTC),
             when);
    icalproperty* title = icalcomponent_get_first_property(component, ICAL_SUMMARY_PROPERTY);
    QCOMPARE(title != nullptr, !summary.isNull());
    if (title)
        QCOMPARE(QByteArray(icalproperty_get_summary(title)), summary);
    QCOMPARE(PimChecks::description(component), description);
    if (!task) {
        QCOMPARE(icaldurationtype_as_int(icalcomponent_get_duration(component)), 60 * 60);
        // The reminder's values are checked with the appointment command.
        QCOMPARE(icalcomponent_get_first_component(component, ICAL_VALARM_COMPONENT) != nullptr,
                 reminder);
    }
}

void TestPimAdapter::calendarRangesChecked() {
    auto application = start();
    QVERIFY(application);
    auto appointment = application->createAppointmentItem();
    auto task = application->createTaskItem();
    QVERIFY(appointment.ok() && task.ok());
    const QDateTime farAway(QDate(10000, 1, 1), QTime(0, 0));
    auto& a = *appointment.value();
    for (qint32 minutes : {-1, CalendarItemFile::MaxMinutes + 1, INT32_MAX, INT32_MIN}) {
        QVERIFY(!a.setDuration(minutes).ok());
        QVERIFY(!a.setReminderMinutesBeforeStart(minutes).ok());
    }
    QVERIFY(!a.setStart(farAway).ok());
    QVERIFY(!task.value()->setDueDate(farAway).ok());
    QVERIFY(a.setDuration(CalendarItemFile::MaxMinutes).ok());
    QVERIFY(a.setReminderMinutesBeforeStart(CalendarItemFile::MaxMinutes).ok());
    QVERIFY(a.setReminderSet(true).ok());
    QVERIFY(a.save().ok());
    const PimChecks::Calendar calendar(onlyFile(folder("Calendar"), QStringLiteral("*.ics")));
    icalcomponent* event = calendar.first(ICAL_VEVENT_COMPONENT);
    QVERIFY(event);
    QCOMPARE(icaldurationtype_as_int(icalcomponent_get_duration(event)),
             CalendarItemFile::MaxMinutes * 60);
}

void TestPimAdapter::mailReadsBack_data() {
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QString>("attachment");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("body only, no headers")
        << QVariantMap{{"Body", kBody}} << QString()
        << QByteArray(R"({"to": null, "cc": null, "bcc": null, "subject": null,
                          "multipart": false, "attachments": []})");
    QTest::newRow("names, several recipients, non-ASCII")
        << QVariantMap{{"To",
                        "Jürgen Weiß <jw@nordvik.example>; \"Finch, Dana\" <dana@bf.example>"},
                       {"Subject", "Pipeline: Région Île-de-France — 2026"},
                       {"Body", kBody}}
        << "Übersicht März.mdb" << QByteArray(R"({"to": [["Jürgen Weiß", "jw@nordvik.example"],
                                 ["Finch, Dana", "dana@bf.example"]],
                          "subject": "Pipeline: Région Île-de-France — 2026",
                          "attachments": [{"filename": "Übersicht März.mdb", "encoding": "base64"}]})");
    QTest::newRow("display name holding double quotes")
        << QVariantMap{{"To",
                        R"(Dana "DJ" Finch <dana@bf.example>, "Lee \"Ace\" Park" <lee@bf.example>)"},
                       {"Body", kBody}}
        << QString() << QByteArray(R"({"to": [["Dana \"DJ\" Finch", "dana@bf.example"],
                                 ["Lee \"Ace\" Park", "lee@bf.example"]]})");
    // Folding: a long subject of short words; a word too long to fold is encoded instead.
    QTest::newRow("long subject, long word")
        << QVariantMap{{"Subject", QString("Pipeline: ") +
                                       QString("North West Coast ").repeated(12) +
                                       QString(1200, u'x')},
                       {"To", "\"A very long display name, " + QString(60, u'n') +
                                  "\" <hq@corvane.example>"}}
        << QString()
        << QJsonDocument(
               QJsonObject{
                   {"subject", QString("Pipeline: ") + QString("North West Coast ").repeated(12) +
                                   QString(1200, u'x')},
                   {"to", QJsonArray{QJsonArray{"A very long display name, " + QString(60, u'n'),
                                                "hq@corvane.example"}}}})
               .toJson();
    // Text a reader would decode is itself encoded, so that it reads back as typed.
    QTest::newRow("subject and name that look like encoded words, control characters")
        << QVariantMap{{"Subject", "=?utf-8?q?Hello?= =?UTF-8?B?SGk=?="},
                       {"To", QString("Ada =?utf-8?q?X?= <ada@corvane.example>, ") + QChar(7) +
                                  "Bell Zoë-Æsa Ørnebjerg-Lindqvist <bell@corvane.example>"},
                       {"Body", "bare CR\rbare LF\nboth\r\ntrailing blank \ntab\t\n=C3=A9"}}
        << "Ünïcode file name that is rather long, longer than one line can hold.mdb"
        << QByteArray(R"({"subject": "=?utf-8?q?Hello?= =?UTF-8?B?SGk=?=",
                          "to": [["Ada =?utf-8?q?X?=", "ada@corvane.example"],
                                 ["\u0007Bell Zoë-Æsa Ørnebjerg-Lindqvist", "bell@corvane.example"]],
                          "attachments": [{"filename": "Ünïcode file name that is rather long, longer than one line can hold.mdb", "encoding": "base64"}]})");
}

// The draft, read back by an independent MIME parser.
void TestPimAdapter::mailReadsBack() {
    QFETCH(QVariantMap, fields);
    QFETCH(QString, attachment);
    QFETCH(QByteArray, expected);

    // Binary content with every byte value, as a database file has.
    QByteArray content;
    for (int i = 0; i < 3000; ++i)
        content.append(char((i * 7) % 256));
    const QString source = m_env->path(attachment);
    if (!attachment.isEmpty()) {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    auto application = start();
    QVERIFY(application);
    auto item = application->createMailItem();
    QVERIFY(item.ok());
    fill(*item.value(), fields);
    if (!attachment.isEmpty()) {
        QVERIFY(item.value()->save().ok());
        QVERIFY(item.value()
                    ->addAttachment(source, PimApplication::AttachmentType::ByValue, 1, source)
                    .ok());
    }
    QVERIFY(item.value()->save().ok());
    QString draft;
    const QByteArray raw = onlyFile(folder("Drafts"), QStringLiteral("*.eml"), &draft);
    QVERIFY2(PimChecks::mailFaults(raw).isEmpty(), qPrintable(PimChecks::mailFaults(raw)));
    if (PimChecks::python().isEmpty())
        QSKIP("python3 is needed to parse the draft back");
    const QJsonObject parsed = PimChecks::readMail(draft);
    QJsonObject want = QJsonDocument::fromJson(expected).object();
    QVERIFY(!want.isEmpty());
    want.insert("defects", QJsonArray());
    want.insert("unsent", "1");
    want.insert("charset", "utf-8");
    want.insert("body", bodyWithLineFeeds(fields.value("Body").toString()).replace(u'\r', u'\n'));
    for (auto it = want.begin(); it != want.end(); ++it)
        QVERIFY2(
            parsed.value(it.key()) == it.value(),
            qPrintable(
                it.key() + ": " +
                QJsonDocument(QJsonArray{parsed.value(it.key())}).toJson(QJsonDocument::Compact)));
    for (const QJsonValue& data : parsed.value("data").toArray())
        QCOMPARE(QByteArray::fromBase64(data.toString().toLatin1()), content);
}

void TestPimAdapter::encodedWordsHoldWholeCharacters_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("subject of 30 é behind a prefix")
        << QStringLiteral("Pipeline: ") + QString(30, QChar(0xE9));
    QTest::newRow("subject of three-byte characters")
        << QStringLiteral("Pipeline: x") + QString(30, QChar(0x20AC));
    QTest::newRow("subject of four-byte characters")
        << QStringLiteral("Pipeline: ") + QString::fromUtf8("\xF0\x9F\x93\x88").repeated(20);
}

// Each RFC 2047 encoded word is decoded on its own by Python's email package: it must hold
// whole UTF-8 characters, or strict readers show replacement characters.
void TestPimAdapter::encodedWordsHoldWholeCharacters() {
    QFETCH(QString, text);
    if (PimChecks::python().isEmpty())
        QSKIP("python3 is needed to decode the words");
    auto application = start();
    QVERIFY(application);
    auto item = application->createMailItem();
    QVERIFY(item.ok());
    fill(*item.value(), {{"Subject", text}});
    QVERIFY(item.value()->save().ok());
    QString draft;
    const QByteArray raw = onlyFile(folder("Drafts"), QStringLiteral("*.eml"), &draft);
    QVERIFY2(PimChecks::mailFaults(raw).isEmpty(), qPrintable(PimChecks::mailFaults(raw)));
    // The header, unfolded, and its encoded words.
    const QByteArray head = raw.left(raw.indexOf("\r\n\r\n")).replace("\r\n ", " ");
    QByteArray value;
    for (const QByteArray& line : head.split('\n'))
        if (line.startsWith("Subject:"))
            value = line.trimmed();
    static const QRegularExpression word(QStringLiteral(R"(=\?[^?\s]+\?[BbQq]\?[^?\s]*\?=)"));
    QStringList words;
    for (auto match = word.globalMatch(QString::fromLatin1(value)); match.hasNext();)
        words.append(match.next().captured());
    QVERIFY2(words.size() > 1, value.constData());
    QProcess python;
    python.start(PimChecks::python(),
                 QStringList{"-c", "import sys\n"
                                   "from email.header import decode_header\n"
                                   "for w in sys.argv[1:]:\n"
                                   "    for data, charset in decode_header(w):\n"
                                   "        data.decode(charset, 'strict')\n"} +
                     words);
    QVERIFY(python.waitForFinished(30000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    // And the whole subject reads back as typed.
    QCOMPARE(PimChecks::readMail(draft).value("subject").toString(), text);
}

void TestPimAdapter::mailDisplayStartsComposeWindow() {
    const QString source = m_env->path(QStringLiteral("east.mdb"));
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("SQLite format 3");
    file.close();

    auto application = start();
    QVERIFY(application);
    auto item = application->createMailItem();
    QVERIFY(item.ok());
    auto& mail = *item.value();
    fill(mail, {{"To", "Head Office <hq@corvane.example>, \"a&b?c\"@corvane.example"},
                {"CC", "a@corvane.example; b@corvane.example"},
                {"BCC", "me@corvane.example"},
                {"Subject", "--help & more?"},
                {"Body", "line one\r\nline two\rthree 100%"}});
    QVERIFY(mail.addAttachment(source, PimApplication::AttachmentType::ByValue, 1, source).ok());
    QVERIFY(mail.display().ok());

    // Displayed as a compose window, and kept as a draft. Every value is inside the URI.
    QVERIFY(onlyFile(folder("Drafts"), QStringLiteral("*.eml")).contains("--help & more?"));
    QCOMPARE(m_env->ui().started().size(), 1);
    QCOMPARE(m_env->ui().started().first().program, QStringLiteral("xdg-email"));
    QCOMPARE(m_env->ui().started().first().arguments,
             QStringList({"--attach", QFileInfo(source).absoluteFilePath(),
                          "mailto:hq@corvane.example,%22a%26b%3Fc%22@corvane.example"
                          "?cc=a@corvane.example,b@corvane.example&bcc=me@corvane.example"
                          "&subject=--help%20%26%20more%3F"
                          "&body=line%20one%0D%0Aline%20two%0D%0Athree%20100%25"}));

    // A compose program that fails, or is missing, fails the command.
    m_env->ui().setRunExitStatus(3);
    PimResult shown = mail.display();
    QVERIFY(!shown.ok());
    QVERIFY2(shown.message().contains(QStringLiteral("exit status 3")),
             qPrintable(shown.message()));
    m_env->ui().setStartSucceeds(false);
    shown = mail.display();
    QVERIFY(!shown.ok());
    QVERIFY2(shown.message().contains(QStringLiteral("xdg-email")), qPrintable(shown.message()));
}

// Only RFC 5322 addresses are recipients: nothing else can reach the compose program.
void TestPimAdapter::recipientsChecked_data() {
    QTest::addColumn<QString>("recipients");
    QTest::addColumn<bool>("valid");
    QTest::newRow("option") << "--attach; /etc/passwd" << false;
    QTest::newRow("mailto URI") << "mailto:?attach=/etc/shadow" << false;
    QTest::newRow("no @") << "head office" << false;
    QTest::newRow("line break") << "hq@corvane.example\r\nBcc: x@elsewhere.example" << false;
    QTest::newRow("two dots") << "a..b@corvane.example" << false;
    QTest::newRow("non-ASCII address") << "jürgen@corvane.example" << false;
    QTest::newRow("unclosed angle") << "Head <hq@corvane.example" << false;
    QTest::newRow("plain, quoted, literal, named")
        << "a.b+c@corvane.example; \"x y\"@corvane.example, z@[192.0.2.1], Zoë <z@b.example>"
        << true;
}

void TestPimAdapter::recipientsChecked() {
    QFETCH(QString, recipients);
    QFETCH(bool, valid);
    auto application = start();
    QVERIFY(application);
    auto item = application->createMailItem();
    QVERIFY(item.ok());
    QCOMPARE(item.value()->setTo(recipients).ok(), valid);
    QCOMPARE(item.value()->setCc(recipients).ok(), valid);
    QCOMPARE(item.value()->setBcc(recipients).ok(), valid);
    QCOMPARE(item.value()->to(), valid ? recipients : QString());
}

// The standard way of running a program: its exit status, or 0 while it still runs.
void TestPimAdapter::runProgramReportsExitStatus() {
    QCOMPARE(UiServices::runAndWait(QStringLiteral("sh"), {"-c", "exit 3"}, 10000), 3);
    QCOMPARE(UiServices::runAndWait(QStringLiteral("sh"), {"-c", "exit 0"}, 10000), 0);
    QCOMPARE(UiServices::runAndWait(QStringLiteral("sh"), {"-c", "sleep 3"}, 50), 0);
    QCOMPARE(UiServices::runAndWait(QStringLiteral("corvane-no-such-program"), {}, 1000), -1);
}

QTEST_GUILESS_MAIN(TestPimAdapter)
#include "TestPimAdapter.moc"
