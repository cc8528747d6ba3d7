#include "TestEnvironment.h"

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
#include <QStandardPaths>
#include <QtTest>
#include <libical/ical.h>
#include <memory>

namespace {

const QString kApp = QStringLiteral("Corvane");
const QString kSection = QStringLiteral("Outlook");

// Reads a mail draft with Python's own MIME parser and answers with its fields as JSON.
const char* const kMailReader = R"PY(
import sys, json, base64, email
from email import policy
with open(sys.argv[1], 'rb') as f:
    msg = email.message_from_binary_file(f, policy=policy.default)
def addresses(name):
    h = msg[name]
    return [[a.display_name, a.addr_spec] for a in h.addresses] if h is not None else None
defects = [type(d).__name__ for part in msg.walk() for d in part.defects]
body = msg.get_body(preferencelist=('plain',))
attachments = list(msg.iter_attachments())
print(json.dumps({
    'to': addresses('To'), 'cc': addresses('Cc'), 'bcc': addresses('Bcc'),
    'bccHeaders': sum(1 for k in msg.keys() if k.lower() == 'bcc'),
    'subject': str(msg['Subject']) if msg['Subject'] is not None else None,
    'unsent': msg['X-Unsent'], 'multipart': msg.is_multipart(), 'defects': defects,
    'body': body.get_content() if body is not None else None,
    'charset': body.get_content_charset() if body is not None else None,
    'attachments': [{'filename': p.get_filename(), 'encoding': p['Content-Transfer-Encoding']}
                    for p in attachments],
    'data': [base64.b64encode(p.get_payload(decode=True)).decode() for p in attachments],
}))
)PY";

// Puts the contacts, calendar and drafts folders under pim/ in the test's directory.
void useFolders(const TestEnvironment& env) {
    for (const QString name : {"Contacts", "Calendar", "Drafts"})
        (void)SettingsStore::instance().SaveSetting(kApp, kSection, name + "Folder",
                                                    env.path("pim/" + name));
}

std::unique_ptr<PimApplication> createApplication() {
    auto application = PimApplication::Create();
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

// The first item of a kind in an iCalendar text, parsed by libical.
struct ParsedCalendar {
    explicit ParsedCalendar(const QByteArray& text)
        : root(icalparser_parse_string(text), icalcomponent_free) {}
    icalcomponent* first(icalcomponent_kind kind) const {
        return root ? icalcomponent_get_first_component(root.get(), kind) : nullptr;
    }
    std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)> root;
};

QString description(icalcomponent* item) {
    return QString::fromUtf8(icalcomponent_get_description(item));
}

QDateTime toDateTime(icaltimetype time) {
    return QDateTime::fromSecsSinceEpoch(
        static_cast<qint64>(icaltime_as_timet_with_zone(time, icaltimezone_get_utc_timezone())));
}

QString bodyWithLineFeeds(QString body) {
    return body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

// Sets the mail's To, CC, BCC, Subject and Body as given.
void fill(PimApplication::MailItem& mail, const QVariantMap& fields) {
    using Setter = PimResult (PimApplication::MailItem::*)(const QString&);
    const QMap<QString, Setter> setters{{"To", &PimApplication::MailItem::setTo},
                                        {"CC", &PimApplication::MailItem::setCC},
                                        {"BCC", &PimApplication::MailItem::setBCC},
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

class tst_PimAdapter : public QObject {
    Q_OBJECT

private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() {
        PimApplication::setFactory({});
        m_env.reset();
    }
    void defaultFoldersAndInstalledFactory();
    void unusableFolderRefusesApplication();
    void contactsNeedLogon();
    void appointmentReadsBack_data();
    void appointmentReadsBack();
    void taskSavedAgainAndDisplayed();
    void mailReadsBack_data();
    void mailReadsBack();
    void mailDisplayStartsComposeWindow();
    void unreadableAttachmentFails();

private:
    // The adapter on folders in the test's own directory.
    std::unique_ptr<PimApplication> start() {
        useFolders(*m_env);
        return createApplication();
    }
    QString folder(const char* name) const { return m_env->path(QStringLiteral("pim/") + name); }

    std::unique_ptr<TestEnvironment> m_env;
};

void tst_PimAdapter::defaultFoldersAndInstalledFactory() {
    auto application = createApplication();
    QVERIFY(application);
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/Corvane/");
    for (const char* name : {"Contacts", "Calendar", "Drafts"}) {
        // Written to the store so the user can change it, and made on first use.
        QCOMPARE(
            SettingsStore::instance().GetSetting(kApp, kSection, name + QStringLiteral("Folder")),
            QDir::cleanPath(base + QLatin1String(name)));
        QVERIFY(QFileInfo(base + QLatin1String(name)).isDir());
    }
    QCOMPARE(application->Version().value(), FilePimApplication::VersionText());
    QVERIFY(application->Version().value().contains(QStringLiteral(CORVANE_VERSION)));

    PimApplication::setFactory([]() -> PimValue<std::unique_ptr<PimApplication>> {
        return PimResult::failure(QStringLiteral("no program here"));
    });
    QCOMPARE(PimApplication::Create().message(), QStringLiteral("no program here"));
    PimApplication::setFactory({});
    QVERIFY(PimApplication::Create().ok());
}

void tst_PimAdapter::unusableFolderRefusesApplication() {
    // A folder below a plain file can never be created, whoever runs the test.
    QFile blocker(m_env->path(QStringLiteral("plain-file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = m_env->path(QStringLiteral("plain-file/sub"));
    for (const char* key : {"ContactsFolder", "CalendarFolder", "DraftsFolder"}) {
        useFolders(*m_env);
        QVERIFY(SettingsStore::instance().SaveSetting(kApp, kSection, key, impossible));
        auto application = PimApplication::Create();
        QVERIFY2(!application.ok(), key);
        QVERIFY2(application.message().contains(impossible), qPrintable(application.message()));
        QVERIFY(application.message().contains(QStringLiteral("cannot be created")));
    }
}

void tst_PimAdapter::contactsNeedLogon() {
    auto application = start();
    QVERIFY(application);
    QVERIFY(QDir().mkpath(folder("Contacts")));
    QVERIFY(QFile::copy(QStringLiteral(CORVANE_TEST_DATA "/vcard/contacts-3-v40.vcf"),
                        folder("Contacts") + QStringLiteral("/a.vcf")));
    QVERIFY(!application->GetNamespace(QStringLiteral("IMAP")).ok());
    auto mapi = application->GetNamespace(QStringLiteral("MAPI"));
    QVERIFY(mapi.ok());
    const auto contacts = PimApplication::FolderType::Contacts;
    QVERIFY(!mapi.value()->GetDefaultFolderItems(contacts).ok());
    QVERIFY(mapi.value()->Logon().ok());
    auto items = mapi.value()->GetDefaultFolderItems(contacts);
    QVERIFY(items.ok());
    QCOMPARE(items.value()->Count(), 2);
    QCOMPARE(items.value()->Item(2)->FileAs, QStringLiteral("Studio Ørnebjerg"));
    QVERIFY(!items.value()->Item(0).ok());
    QVERIFY(!items.value()->Item(3).ok());
    QVERIFY(mapi.value()->Logoff().ok());
    QVERIFY(!mapi.value()->GetDefaultFolderItems(contacts).ok());
}

void tst_PimAdapter::appointmentReadsBack_data() {
    QTest::addColumn<bool>("reminder");
    QTest::addColumn<QString>("body");
    QTest::newRow("with reminder") << true << kBody;
    QTest::newRow("without reminder, empty body") << false << QString();
}

void tst_PimAdapter::appointmentReadsBack() {
    QFETCH(bool, reminder);
    QFETCH(QString, body);
    auto application = start();
    QVERIFY(application);
    auto item = application->CreateAppointmentItem();
    QVERIFY(item.ok());
    auto& appointment = *item.value();
    const QDateTime start(QDate(2026, 3, 14), QTime(9, 26, 53));
    QVERIFY(appointment.setStart(start).ok());
    QVERIFY(appointment.setDuration(60).ok());
    QVERIFY(appointment.setBody(body).ok());
    QVERIFY(appointment.setReminderMinutesBeforeStart(15).ok());
    QVERIFY(appointment.setReminderSet(reminder).ok());
    QVERIFY(appointment.Save().ok());

    const ParsedCalendar calendar(onlyFile(folder("Calendar"), QStringLiteral("*.ics")));
    icalcomponent* event = calendar.first(ICAL_VEVENT_COMPONENT);
    QVERIFY(event);
    QCOMPARE(toDateTime(icalcomponent_get_dtstart(event)), start);
    QCOMPARE(icaldurationtype_as_int(icalcomponent_get_duration(event)), 60 * 60);
    QCOMPARE(description(event), bodyWithLineFeeds(body));
    QVERIFY(icalcomponent_get_first_property(event, ICAL_UID_PROPERTY));
    QVERIFY(!icalcomponent_get_first_property(event, ICAL_SUMMARY_PROPERTY));
    icalcomponent* alarm = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT);
    QCOMPARE(alarm != nullptr, reminder);
    if (alarm) {
        icalproperty* action = icalcomponent_get_first_property(alarm, ICAL_ACTION_PROPERTY);
        QVERIFY(action);
        QCOMPARE(icalproperty_get_action(action), ICAL_ACTION_DISPLAY);
        icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        QVERIFY(trigger);
        QCOMPARE(icaldurationtype_as_int(icalproperty_get_trigger(trigger).duration), -15 * 60);
    }
}

void tst_PimAdapter::taskSavedAgainAndDisplayed() {
    auto application = start();
    QVERIFY(application);
    auto item = application->CreateTaskItem();
    QVERIFY(item.ok());
    const QDateTime due(QDate(2026, 12, 6), QTime(17, 45, 2));
    QVERIFY(item.value()->setDueDate(due).ok());
    QVERIFY(item.value()->setBody(QStringLiteral("first")).ok());
    QVERIFY(item.value()->Save().ok());
    QVERIFY(item.value()->setBody(kBody).ok());
    QVERIFY(item.value()->Save().ok());

    // Saved again in the same file.
    QString path;
    const ParsedCalendar calendar(onlyFile(folder("Calendar"), QStringLiteral("*.ics"), &path));
    QVERIFY(!calendar.first(ICAL_VEVENT_COMPONENT));
    icalcomponent* todo = calendar.first(ICAL_VTODO_COMPONENT);
    QVERIFY(todo);
    QCOMPARE(toDateTime(icalcomponent_get_due(todo)), due);
    QCOMPARE(description(todo), bodyWithLineFeeds(kBody));

    QVERIFY(item.value()->Display().ok());
    QCOMPARE(m_env->ui().opened(), QStringList{path});

    // Without a calendar program the item cannot be displayed; an unsaved item is saved first.
    m_env->ui().setOpenSucceeds(false);
    auto other = application->CreateAppointmentItem();
    QVERIFY(other.ok());
    const PimResult shown = other.value()->Display();
    QVERIFY(!shown.ok());
    QCOMPARE(QDir(folder("Calendar")).entryList({QStringLiteral("*.ics")}, QDir::Files).size(), 2);
    QCOMPARE(m_env->ui().opened().size(), 2);
    QVERIFY2(shown.message().contains(m_env->ui().opened().last()), qPrintable(shown.message()));
}

void tst_PimAdapter::mailReadsBack_data() {
    QTest::addColumn<QVariantMap>("fields");
    QTest::addColumn<QString>("attachment");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("body only, no headers")
        << QVariantMap{{"Body", kBody}} << QString()
        << QByteArray(R"({"to": null, "cc": null, "bcc": null, "subject": null,
                          "multipart": false, "attachments": []})");
    QTest::newRow("database file to head office")
        << QVariantMap{{"To", "hq@corvane-sales.example"},
                       {"CC", "area@corvane.example"},
                       {"BCC", "rep@corvane.example"},
                       {"Subject", "Pipeline: North West"}}
        << "west coast.mdb" << QByteArray(R"({"to": [["", "hq@corvane-sales.example"]],
                          "cc": [["", "area@corvane.example"]], "bcc": [["", "rep@corvane.example"]],
                          "bccHeaders": 1, "subject": "Pipeline: North West", "multipart": true,
                          "attachments": [{"filename": "west coast.mdb", "encoding": "base64"}]})");
    QTest::newRow("names, several recipients, non-ASCII")
        << QVariantMap{{"To",
                        "Jürgen Weiß <jw@nordvik.example>; \"Finch, Dana\" <dana@bf.example>"},
                       {"Subject", "Pipeline: Région Île-de-France — 2026"},
                       {"Body", kBody}}
        << "Übersicht März.mdb" << QByteArray(R"({"to": [["Jürgen Weiß", "jw@nordvik.example"],
                                 ["Finch, Dana", "dana@bf.example"]],
                          "subject": "Pipeline: Région Île-de-France — 2026",
                          "attachments": [{"filename": "Übersicht März.mdb", "encoding": "base64"}]})");
    // A line break in a profile text must not start a header of its own.
    QTest::newRow("line break in subject")
        << QVariantMap{{"To", "hq@corvane.example"},
                       {"Subject", "Pipeline: East\r\nBcc: someone@elsewhere.example"}}
        << QString()
        << QByteArray(R"({"to": [["", "hq@corvane.example"]], "bcc": null, "bccHeaders": 0,
                          "subject": "Pipeline: East Bcc: someone@elsewhere.example",
                          "multipart": false})");
}

// The draft, read back by an independent MIME parser.
void tst_PimAdapter::mailReadsBack() {
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
    auto item = application->CreateMailItem();
    QVERIFY(item.ok());
    fill(*item.value(), fields);
    if (!attachment.isEmpty()) {
        QVERIFY(item.value()->Save().ok());
        QVERIFY(item.value()
                    ->AddAttachment(source, PimApplication::AttachmentType::ByValue, 1, source)
                    .ok());
    }
    QVERIFY(item.value()->Save().ok());
    QString draft;
    QVERIFY(!onlyFile(folder("Drafts"), QStringLiteral("*.eml"), &draft).isEmpty());

    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is needed to parse the draft back");
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QString::fromUtf8(kMailReader), draft});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QJsonObject parsed = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QJsonObject want = QJsonDocument::fromJson(expected).object();
    QVERIFY(!want.isEmpty());
    want.insert("defects", QJsonArray());
    want.insert("unsent", "1");
    want.insert("charset", "utf-8");
    want.insert("body", bodyWithLineFeeds(fields.value("Body").toString()));
    for (auto it = want.begin(); it != want.end(); ++it)
        QVERIFY2(parsed.value(it.key()) == it.value(), qPrintable(it.key()));
    for (const QJsonValue& data : parsed.value("data").toArray())
        QCOMPARE(QByteArray::fromBase64(data.toString().toLatin1()), content);
}

void tst_PimAdapter::mailDisplayStartsComposeWindow() {
    const QString source = m_env->path(QStringLiteral("east.mdb"));
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("SQLite format 3");
    file.close();

    auto application = start();
    QVERIFY(application);
    auto item = application->CreateMailItem();
    QVERIFY(item.ok());
    auto& mail = *item.value();
    fill(mail, {{"To", "Head Office <hq@corvane.example>"},
                {"CC", "a@corvane.example; b@corvane.example"},
                {"BCC", "me@corvane.example"},
                {"Subject", "Pipeline: East"},
                {"Body", "line one\r\nline two"}});
    QVERIFY(mail.AddAttachment(source, PimApplication::AttachmentType::ByValue, 1, source).ok());
    QVERIFY(mail.Display().ok());

    // Displayed as a compose window, and kept as a draft.
    QVERIFY(onlyFile(folder("Drafts"), QStringLiteral("*.eml")).contains("Pipeline: East"));
    QCOMPARE(m_env->ui().started().size(), 1);
    QCOMPARE(m_env->ui().started().first().program, QStringLiteral("xdg-email"));
    QStringList expected = QStringLiteral("--cc|a@corvane.example|--cc|b@corvane.example|--bcc|"
                                          "me@corvane.example|--subject|Pipeline: East|--body|"
                                          "line one\nline two|--attach|(path)|hq@corvane.example")
                               .split(u'|');
    expected.replace(11, QFileInfo(source).absoluteFilePath());
    QCOMPARE(m_env->ui().started().first().arguments, expected);

    m_env->ui().setStartSucceeds(false);
    const PimResult shown = mail.Display();
    QVERIFY(!shown.ok());
    QVERIFY2(shown.message().contains(QStringLiteral("xdg-email")), qPrintable(shown.message()));
}

// A missing file, or a folder, is no attachment.
void tst_PimAdapter::unreadableAttachmentFails() {
    auto application = start();
    QVERIFY(application);
    auto item = application->CreateMailItem();
    QVERIFY(item.ok());
    for (const QString& source : {m_env->path(QStringLiteral("gone.mdb")), m_env->path({})}) {
        const PimResult added =
            item.value()->AddAttachment(source, PimApplication::AttachmentType::ByValue, 1, source);
        QVERIFY(!added.ok());
        QVERIFY2(added.message().contains(QFileInfo(source).fileName()),
                 qPrintable(added.message()));
    }
    QCOMPARE(item.value()->AttachmentCount(), 0);
}

QTEST_GUILESS_MAIN(tst_PimAdapter)
#include "tst_PimAdapter.moc"
