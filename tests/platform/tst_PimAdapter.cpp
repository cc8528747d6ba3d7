#include "TestEnvironment.h"

#include "platform/FilePimApplication.h"
#include "platform/PimApplication.h"
#include "platform/PimFolders.h"
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
out = {
    'headers': [k.lower() for k in msg.keys()],
    'to': addresses('To'), 'cc': addresses('Cc'), 'bcc': addresses('Bcc'),
    'subject': str(msg['Subject']) if msg['Subject'] is not None else None,
    'unsent': msg['X-Unsent'],
    'multipart': msg.is_multipart(),
    'body': body.get_content() if body is not None else None,
    'charset': body.get_content_charset() if body is not None else None,
    'attachments': [{'filename': p.get_filename(),
                     'encoding': p['Content-Transfer-Encoding'],
                     'data': base64.b64encode(p.get_payload(decode=True)).decode()}
                    for p in msg.iter_attachments()],
    'defects': defects,
}
print(json.dumps(out))
)PY";

struct Folders {
    QString contacts;
    QString calendar;
    QString drafts;
};

Folders useFolders(const TestEnvironment& env) {
    Folders folders{env.path(QStringLiteral("pim/contacts")), env.path(QStringLiteral("pim/cal")),
                    env.path(QStringLiteral("pim/drafts"))};
    SettingsStore& store = SettingsStore::instance();
    (void)store.SaveSetting(kApp, kSection, QStringLiteral("ContactsFolder"), folders.contacts);
    (void)store.SaveSetting(kApp, kSection, QStringLiteral("CalendarFolder"), folders.calendar);
    (void)store.SaveSetting(kApp, kSection, QStringLiteral("DraftsFolder"), folders.drafts);
    return folders;
}

std::unique_ptr<PimApplication> createApplication() {
    auto application = PimApplication::Create();
    if (!application)
        qWarning("%s", qPrintable(application.message()));
    return application ? std::move(application.value()) : nullptr;
}

QStringList filesIn(const QString& folder, const QString& pattern) {
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The one calendar item of an iCalendar text, parsed by libical.
struct ParsedCalendar {
    explicit ParsedCalendar(const QByteArray& text)
        : root(icalparser_parse_string(text.constData())) {}
    ~ParsedCalendar() {
        if (root)
            icalcomponent_free(root);
    }
    icalcomponent* first(icalcomponent_kind kind) const {
        return root ? icalcomponent_get_first_component(root, kind) : nullptr;
    }
    icalcomponent* root;
};

QString description(icalcomponent* item) {
    return QString::fromUtf8(icalcomponent_get_description(item));
}

QDateTime toDateTime(icaltimetype time) {
    return QDateTime::fromSecsSinceEpoch(
        static_cast<qint64>(icaltime_as_timet_with_zone(time, icaltimezone_get_utc_timezone())));
}

QString bodyWithLineFeeds(QString body) {
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return body;
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
    void cleanup() { PimApplication::setFactory({}); }
    void defaultFoldersUnderDataDirectory();
    void unusableFolderRefusesApplication_data();
    void unusableFolderRefusesApplication();
    void contactsNeedLogon();
    void appointmentReadsBack_data();
    void appointmentReadsBack();
    void taskReadsBack();
    void calendarDisplayOpensFile();
    void mailReadsBack_data();
    void mailReadsBack();
    void mailDisplayStartsComposeWindow();
    void unreadableAttachmentFails();
    void installedFactoryIsUsed();
};

void tst_PimAdapter::defaultFoldersUnderDataDirectory() {
    TestEnvironment env;
    auto application = createApplication();
    QVERIFY(application);
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/Corvane/");
    const QStringList keys{QStringLiteral("ContactsFolder"), QStringLiteral("CalendarFolder"),
                           QStringLiteral("DraftsFolder")};
    const QStringList names{QStringLiteral("Contacts"), QStringLiteral("Calendar"),
                            QStringLiteral("Drafts")};
    for (int i = 0; i < keys.size(); ++i) {
        // Written to the store so the user can change it, and made on first use.
        QCOMPARE(SettingsStore::instance().GetSetting(kApp, kSection, keys[i]),
                 QDir::cleanPath(base + names[i]));
        QVERIFY(QFileInfo(base + names[i]).isDir());
    }
    const auto version = application->Version();
    QVERIFY(version.ok());
    QCOMPARE(version.value(), FilePimApplication::VersionText());
    QVERIFY(version.value().contains(QStringLiteral(CORVANE_VERSION)));
}

void tst_PimAdapter::unusableFolderRefusesApplication_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("contacts") << QStringLiteral("ContactsFolder");
    QTest::newRow("calendar") << QStringLiteral("CalendarFolder");
    QTest::newRow("drafts") << QStringLiteral("DraftsFolder");
}

void tst_PimAdapter::unusableFolderRefusesApplication() {
    QFETCH(QString, key);
    TestEnvironment env;
    useFolders(env);
    // A folder below a plain file can never be created, whoever runs the test.
    QFile blocker(env.path(QStringLiteral("plain-file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = env.path(QStringLiteral("plain-file/sub"));
    QVERIFY(SettingsStore::instance().SaveSetting(kApp, kSection, key, impossible));

    auto application = PimApplication::Create();
    QVERIFY(!application.ok());
    QVERIFY2(application.message().contains(impossible), qPrintable(application.message()));
    QVERIFY(application.message().contains(QStringLiteral("cannot be created")));
}

void tst_PimAdapter::contactsNeedLogon() {
    TestEnvironment env;
    const Folders folders = useFolders(env);
    QVERIFY(QDir().mkpath(folders.contacts));
    QVERIFY(QFile::copy(QStringLiteral(CORVANE_TEST_DATA "/vcard/contacts-3-v40.vcf"),
                        folders.contacts + QStringLiteral("/a.vcf")));
    auto application = createApplication();
    QVERIFY(application);
    QVERIFY(!application->GetNamespace(QStringLiteral("IMAP")).ok());
    auto mapi = application->GetNamespace(QStringLiteral("MAPI"));
    QVERIFY(mapi.ok());
    QVERIFY(!mapi.value()->GetDefaultFolderItems(PimApplication::FolderType::Contacts).ok());
    QVERIFY(mapi.value()->Logon().ok());
    auto items = mapi.value()->GetDefaultFolderItems(PimApplication::FolderType::Contacts);
    QVERIFY(items.ok());
    QCOMPARE(items.value()->Count(), 2);
    QCOMPARE(items.value()->Item(1)->FileAs, QStringLiteral("Tanabe, Ayaka"));
    QCOMPARE(items.value()->Item(2)->FileAs, QStringLiteral("Studio Ørnebjerg"));
    QVERIFY(!items.value()->Item(0).ok());
    QVERIFY(!items.value()->Item(3).ok());
    QVERIFY(mapi.value()->Logoff().ok());
    QVERIFY(!mapi.value()->GetDefaultFolderItems(PimApplication::FolderType::Contacts).ok());
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
    TestEnvironment env;
    const Folders folders = useFolders(env);
    auto application = createApplication();
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

    const QStringList files = filesIn(folders.calendar, QStringLiteral("*.ics"));
    QCOMPARE(files.size(), 1);
    const ParsedCalendar calendar(readAll(folders.calendar + u'/' + files.first()));
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

void tst_PimAdapter::taskReadsBack() {
    TestEnvironment env;
    const Folders folders = useFolders(env);
    auto application = createApplication();
    QVERIFY(application);
    auto item = application->CreateTaskItem();
    QVERIFY(item.ok());
    const QDateTime due(QDate(2026, 12, 6), QTime(17, 45, 2));
    QVERIFY(item.value()->setDueDate(due).ok());
    QVERIFY(item.value()->setBody(kBody).ok());
    QVERIFY(item.value()->Save().ok());

    const QStringList files = filesIn(folders.calendar, QStringLiteral("*.ics"));
    QCOMPARE(files.size(), 1);
    const ParsedCalendar calendar(readAll(folders.calendar + u'/' + files.first()));
    QVERIFY(!calendar.first(ICAL_VEVENT_COMPONENT));
    icalcomponent* todo = calendar.first(ICAL_VTODO_COMPONENT);
    QVERIFY(todo);
    QCOMPARE(toDateTime(icalcomponent_get_due(todo)), due);
    QCOMPARE(description(todo), bodyWithLineFeeds(kBody));
}

void tst_PimAdapter::calendarDisplayOpensFile() {
    TestEnvironment env;
    const Folders folders = useFolders(env);
    auto application = createApplication();
    QVERIFY(application);
    auto item = application->CreateTaskItem();
    QVERIFY(item.ok());
    QVERIFY(item.value()->setBody(QStringLiteral("first")).ok());
    QVERIFY(item.value()->Save().ok());
    QVERIFY(item.value()->setBody(QStringLiteral("second")).ok());
    QVERIFY(item.value()->Save().ok());
    // Saved again in the same file.
    const QStringList files = filesIn(folders.calendar, QStringLiteral("*.ics"));
    QCOMPARE(files.size(), 1);
    const QString path = QDir(folders.calendar).filePath(files.first());
    QVERIFY(readAll(path).contains("DESCRIPTION:second"));

    QVERIFY(item.value()->Display().ok());
    QCOMPARE(env.ui().opened(), QStringList{path});

    // Without a calendar program the item cannot be displayed; an unsaved item is saved first.
    env.ui().setOpenSucceeds(false);
    auto other = application->CreateAppointmentItem();
    QVERIFY(other.ok());
    const PimResult shown = other.value()->Display();
    QVERIFY(!shown.ok());
    QCOMPARE(filesIn(folders.calendar, QStringLiteral("*.ics")).size(), 2);
    QCOMPARE(env.ui().opened().size(), 2);
    QVERIFY2(shown.message().contains(env.ui().opened().last()), qPrintable(shown.message()));
}

void tst_PimAdapter::mailReadsBack_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("cc");
    QTest::addColumn<QString>("bcc");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("attachmentName");
    QTest::addColumn<QJsonArray>("expectedTo");
    QTest::addColumn<QString>("expectedSubject");

    QTest::newRow("body only") << QString() << QString() << QString() << QString() << kBody
                               << QString() << QJsonArray() << QString();
    QTest::newRow("database file to head office")
        << QStringLiteral("hq@corvane-sales.example") << QStringLiteral("area@corvane.example")
        << QStringLiteral("rep@corvane.example") << QStringLiteral("Pipeline: North West")
        << QString() << QStringLiteral("west coast.mdb")
        << QJsonArray{QJsonArray{QString(), QStringLiteral("hq@corvane-sales.example")}}
        << QStringLiteral("Pipeline: North West");
    QTest::newRow("names, several recipients, non-ASCII")
        << QStringLiteral("Jürgen Weiß <jw@nordvik.example>; \"Finch, Dana\" <dana@bf.example>")
        << QString() << QString() << QStringLiteral("Pipeline: Région Île-de-France — 2026")
        << kBody << QStringLiteral("Übersicht März.mdb")
        << QJsonArray{QJsonArray{QStringLiteral("Jürgen Weiß"),
                                 QStringLiteral("jw@nordvik.example")},
                      QJsonArray{QStringLiteral("Finch, Dana"), QStringLiteral("dana@bf.example")}}
        << QStringLiteral("Pipeline: Région Île-de-France — 2026");
    // A line break in a profile text must not start a header of its own.
    QTest::newRow("line break in subject")
        << QStringLiteral("hq@corvane.example") << QString() << QString()
        << QStringLiteral("Pipeline: East\r\nBcc: someone@elsewhere.example") << QString()
        << QString() << QJsonArray{QJsonArray{QString(), QStringLiteral("hq@corvane.example")}}
        << QStringLiteral("Pipeline: East Bcc: someone@elsewhere.example");
}

void tst_PimAdapter::mailReadsBack() {
    QFETCH(QString, to);
    QFETCH(QString, cc);
    QFETCH(QString, bcc);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(QString, attachmentName);
    QFETCH(QJsonArray, expectedTo);
    QFETCH(QString, expectedSubject);

    TestEnvironment env;
    const Folders folders = useFolders(env);
    QByteArray content;
    QString source;
    if (!attachmentName.isEmpty()) {
        // Binary content with every byte value, as a database file has.
        for (int i = 0; i < 3000; ++i)
            content.append(char((i * 7) % 256));
        source = env.path(attachmentName);
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    auto application = createApplication();
    QVERIFY(application);
    auto item = application->CreateMailItem();
    QVERIFY(item.ok());
    auto& mail = *item.value();
    if (!to.isEmpty())
        QVERIFY(mail.setTo(to).ok());
    if (!cc.isEmpty())
        QVERIFY(mail.setCC(cc).ok());
    if (!bcc.isEmpty())
        QVERIFY(mail.setBCC(bcc).ok());
    if (!subject.isEmpty())
        QVERIFY(mail.setSubject(subject).ok());
    if (!body.isEmpty())
        QVERIFY(mail.setBody(body).ok());
    if (!source.isEmpty()) {
        QVERIFY(mail.Save().ok());
        QVERIFY(
            mail.AddAttachment(source, PimApplication::AttachmentType::ByValue, 1, source).ok());
    }
    QVERIFY(mail.Save().ok());
    const QStringList files = filesIn(folders.drafts, QStringLiteral("*.eml"));
    QCOMPARE(files.size(), 1);

    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QSKIP("python3 is needed to parse the draft back");
    QProcess process;
    process.start(python, {QStringLiteral("-c"), QString::fromUtf8(kMailReader),
                           QDir(folders.drafts).filePath(files.first())});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QJsonObject parsed = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    QVERIFY(!parsed.isEmpty());

    QCOMPARE(parsed.value(QStringLiteral("defects")).toArray(), QJsonArray());
    QCOMPARE(parsed.value(QStringLiteral("unsent")).toString(), QStringLiteral("1"));
    QCOMPARE(parsed.value(QStringLiteral("to")).toArray(), expectedTo);
    const auto single = [](const QString& address) {
        return address.isEmpty() ? QJsonValue(QJsonValue::Null)
                                 : QJsonValue(QJsonArray{QJsonArray{QString(), address}});
    };
    QCOMPARE(parsed.value(QStringLiteral("cc")), single(cc));
    QCOMPARE(parsed.value(QStringLiteral("bcc")), single(bcc));
    QCOMPARE(parsed.value(QStringLiteral("subject")).toString(), expectedSubject);
    QCOMPARE(parsed.value(QStringLiteral("subject")).isNull(), expectedSubject.isEmpty());
    const QJsonArray headers = parsed.value(QStringLiteral("headers")).toArray();
    const auto bccHeaders =
        std::count(headers.begin(), headers.end(), QJsonValue(QStringLiteral("bcc")));
    QCOMPARE(bccHeaders, bcc.isEmpty() ? 0 : 1);
    QCOMPARE(parsed.value(QStringLiteral("charset")).toString(), QStringLiteral("utf-8"));
    QCOMPARE(parsed.value(QStringLiteral("body")).toString(), bodyWithLineFeeds(body));

    const QJsonArray attachments = parsed.value(QStringLiteral("attachments")).toArray();
    QCOMPARE(parsed.value(QStringLiteral("multipart")).toBool(), !attachmentName.isEmpty());
    QCOMPARE(attachments.size(), attachmentName.isEmpty() ? 0 : 1);
    if (!attachmentName.isEmpty()) {
        const QJsonObject attachment = attachments.first().toObject();
        QCOMPARE(attachment.value(QStringLiteral("filename")).toString(), attachmentName);
        QCOMPARE(attachment.value(QStringLiteral("encoding")).toString(), QStringLiteral("base64"));
        QCOMPARE(
            QByteArray::fromBase64(attachment.value(QStringLiteral("data")).toString().toLatin1()),
            content);
    }
}

void tst_PimAdapter::mailDisplayStartsComposeWindow() {
    TestEnvironment env;
    const Folders folders = useFolders(env);
    const QString source = env.path(QStringLiteral("east.mdb"));
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("SQLite format 3");
    file.close();

    auto application = createApplication();
    QVERIFY(application);
    auto item = application->CreateMailItem();
    QVERIFY(item.ok());
    auto& mail = *item.value();
    QVERIFY(mail.setTo(QStringLiteral("Head Office <hq@corvane.example>")).ok());
    QVERIFY(mail.setCC(QStringLiteral("a@corvane.example; b@corvane.example")).ok());
    QVERIFY(mail.setBCC(QStringLiteral("me@corvane.example")).ok());
    QVERIFY(mail.setSubject(QStringLiteral("Pipeline: East")).ok());
    QVERIFY(mail.setBody(QStringLiteral("line one\r\nline two")).ok());
    QVERIFY(mail.AddAttachment(source, PimApplication::AttachmentType::ByValue, 1, source).ok());
    QCOMPARE(mail.AttachmentCount(), 1);
    QVERIFY(mail.Display().ok());

    // Displayed as a compose window, and kept as a draft.
    QCOMPARE(filesIn(folders.drafts, QStringLiteral("*.eml")).size(), 1);
    QCOMPARE(env.ui().started().size(), 1);
    QCOMPARE(env.ui().started().first().program, QStringLiteral("xdg-email"));
    const QStringList expected{QStringLiteral("--cc"),
                               QStringLiteral("a@corvane.example"),
                               QStringLiteral("--cc"),
                               QStringLiteral("b@corvane.example"),
                               QStringLiteral("--bcc"),
                               QStringLiteral("me@corvane.example"),
                               QStringLiteral("--subject"),
                               QStringLiteral("Pipeline: East"),
                               QStringLiteral("--body"),
                               QStringLiteral("line one\nline two"),
                               QStringLiteral("--attach"),
                               QFileInfo(source).absoluteFilePath(),
                               QStringLiteral("hq@corvane.example")};
    QCOMPARE(env.ui().started().first().arguments, expected);

    env.ui().setStartSucceeds(false);
    const PimResult shown = mail.Display();
    QVERIFY(!shown.ok());
    QVERIFY2(shown.message().contains(QStringLiteral("xdg-email")), qPrintable(shown.message()));
}

void tst_PimAdapter::unreadableAttachmentFails() {
    TestEnvironment env;
    useFolders(env);
    auto application = createApplication();
    QVERIFY(application);
    auto item = application->CreateMailItem();
    QVERIFY(item.ok());
    const QString missing = env.path(QStringLiteral("gone.mdb"));
    const PimResult added =
        item.value()->AddAttachment(missing, PimApplication::AttachmentType::ByValue, 1, missing);
    QVERIFY(!added.ok());
    QVERIFY2(added.message().contains(QStringLiteral("gone.mdb")), qPrintable(added.message()));
    QCOMPARE(item.value()->AttachmentCount(), 0);
    // A folder is no file either.
    QVERIFY(!item.value()
                 ->AddAttachment(env.path(QString()), PimApplication::AttachmentType::ByValue, 1,
                                 QString())
                 .ok());
}

void tst_PimAdapter::installedFactoryIsUsed() {
    TestEnvironment env;
    int calls = 0;
    PimApplication::setFactory([&calls]() -> PimValue<std::unique_ptr<PimApplication>> {
        ++calls;
        return PimResult::failure(QStringLiteral("no program here"));
    });
    const auto application = PimApplication::Create();
    QCOMPARE(calls, 1);
    QVERIFY(!application.ok());
    QCOMPARE(application.message(), QStringLiteral("no program here"));
    PimApplication::setFactory({});
    useFolders(env);
    QVERIFY(PimApplication::Create().ok());
    QCOMPARE(calls, 1);
}

QTEST_GUILESS_MAIN(tst_PimAdapter)
#include "tst_PimAdapter.moc"
