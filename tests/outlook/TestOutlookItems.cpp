#include "FakePim.h"
#include "PimChecks.h"
#include "RawDatabase.h"
#include "TestEnvironment.h"

#include "outlook/OutlookItems.h"
#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "settings/User.h"

#include <QDir>
#include <QJsonArray>
#include <QtTest>
#include <sqlite3.h>

using Command = OutlookItems::Command;
Q_DECLARE_METATYPE(Command)

namespace {

const QString kBody = QStringLiteral("Description: Spring order; 40 units, \"rush\"\r\nCompany: "
                                     "Barrow & Finch\rContact: Ingrid Sjöberg\nNote: ") +
                      QString(120, u'n') + QStringLiteral(" end  ");

QStringList files(const QString& folder, const QString& pattern) {
    return QDir(folder).entryList({pattern}, QDir::Files);
}

} // namespace

class TestOutlookItems : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        qputenv("TMPDIR", m_env->path(QStringLiteral("tmp")).toUtf8());
        QVERIFY(QDir().mkpath(m_env->path(QStringLiteral("tmp"))));
        useContactsFolder(m_env->path(QStringLiteral("contacts")), *m_env);
        m_user = std::make_unique<User>(m_env->store());
    }
    void cleanup() {
        FakePim::uninstall();
        m_user.reset();
        m_env.reset();
        qunsetenv("TMPDIR");
    }
    void calendarItems_data();
    void calendarItems();
    void plainMails();
    void sendCarriesAConsistentCopy();
    void failures_data();
    void failures();

private:
    QString calendar() const { return m_env->path(QStringLiteral("calendar")); }
    QString drafts() const { return m_env->path(QStringLiteral("drafts")); }
    // A sales database with two opportunities.
    QString database() {
        const QString path = m_env->path(QStringLiteral("Pipelines/East.mdb"));
        QDir().mkpath(QFileInfo(path).path());
        RawDatabase(path).exec("CREATE TABLE Sales(RecordNumber INTEGER PRIMARY KEY, Description "
                               "TEXT); INSERT INTO Sales VALUES(1, 'Spring order'), (2, 'Pumps, "
                               "40 units');");
        return path;
    }
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<User> m_user;
};

void TestOutlookItems::calendarItems_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QByteArray>("summary"); // null: none at all
    QTest::newRow("appointment") << Command::Appointment << "Barrow & Finch"
                                 << "Spring order; 40 units" << kBody
                                 << QByteArray("Barrow & Finch - Spring order; 40 units");
    QTest::newRow("task") << Command::Task << "Barrow & Finch"
                          << "Spring order; 40 units" << kBody
                          << QByteArray("Barrow & Finch - Spring order; 40 units");
    QTest::newRow("task without company")
        << Command::Task << QString() << "Pumps" << kBody << QByteArray("Pumps");
    QTest::newRow("appointment, nothing selected")
        << Command::Appointment << QString() << QString() << QString() << QByteArray();
}

void TestOutlookItems::calendarItems() {
    QFETCH(Command, command);
    QFETCH(QString, company);
    QFETCH(QString, description);
    QFETCH(QString, body);
    QFETCH(QByteArray, summary);
    OutlookItems items(*m_user, m_env->store());
    const QDateTime before = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch());
    const QString subject = OutlookItems::itemSubject(company, description);
    const Result made = command == Command::Task ? items.createTask(subject, body)
                                                 : items.createAppointment(subject, body);
    const QDateTime after = QDateTime::currentDateTime();
    QVERIFY2(made.ok(), qPrintable(made.message()));

    const QStringList saved = files(calendar(), QStringLiteral("*.ics"));
    QCOMPARE(saved.size(), 1);
    const QString path = QDir(calendar()).filePath(saved.first());
    QCOMPARE(m_env->ui().opened(), QStringList{path}); // displayed by the desktop's handler
    const QByteArray raw = RawDatabase::readFile(path);
    QVERIFY2(PimChecks::calendarFaults(raw).isEmpty(), qPrintable(PimChecks::calendarFaults(raw)));
    const PimChecks::Calendar parsed(raw);
    icalcomponent* item =
        parsed.first(command == Command::Task ? ICAL_VTODO_COMPONENT : ICAL_VEVENT_COMPONENT);
    QVERIFY(item);
    QCOMPARE(PimChecks::description(item).isEmpty(), body.isEmpty());
    // The title calendar programs list: the opportunity's company and description.
    icalproperty* title = icalcomponent_get_first_property(item, ICAL_SUMMARY_PROPERTY);
    QCOMPARE(title != nullptr, !summary.isNull());
    if (title)
        QCOMPARE(QByteArray(icalproperty_get_summary(title)), summary);
    const QDateTime when = PimChecks::toDateTime(
        command == Command::Task ? icalcomponent_get_due(item) : icalcomponent_get_dtstart(item));
    QVERIFY2(when >= before && when <= after, qPrintable(when.toString(Qt::ISODate)));
    if (command == Command::Appointment) {
        QCOMPARE(icaldurationtype_as_int(icalcomponent_get_duration(item)), 60 * 60);
        icalcomponent* alarm = icalcomponent_get_first_component(item, ICAL_VALARM_COMPONENT);
        QVERIFY(alarm);
        icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        QCOMPARE(icaldurationtype_as_int(icalproperty_get_trigger(trigger).duration), -15 * 60);
    }
}

// Email carries the text block only; a Send with an empty profile has no recipients and no
// subject but still the file.
void TestOutlookItems::plainMails() {
    for (const bool send : {false, true}) {
        cleanup();
        init();
        m_user->setTerritory(send ? QString() : QStringLiteral("East"));
        m_user->setHqEmail(send ? QString() : QStringLiteral("hq@corvane.example"));
        const QString source = send ? database() : QString();
        QVERIFY(OutlookItems(*m_user, m_env->store()).createOutlookMail(source, kBody).ok());
        const QString path = QDir(drafts()).filePath(files(drafts(), "*.eml").value(0));
        QVERIFY2(PimChecks::mailFaults(RawDatabase::readFile(path)).isEmpty(),
                 qPrintable(PimChecks::mailFaults(RawDatabase::readFile(path))));
        if (PimChecks::python().isEmpty())
            QSKIP("python3 is needed to parse the mail back");
        const QJsonObject mail = PimChecks::readMail(path);
        QVERIFY(mail.value("to").isNull() && mail.value("cc").isNull() &&
                mail.value("bcc").isNull() && mail.value("subject").isNull());
        QCOMPARE(mail.value("body").toString(),
                 send ? QString() : QString(kBody).replace("\r\n", "\n").replace(u'\r', u'\n'));
        QCOMPARE(mail.value("attachments").toArray().size(), send ? 1 : 0);
        QCOMPARE(m_env->ui().started().value(0).arguments.last().startsWith("mailto:?body=Desc"),
                 !send);
    }
}

void TestOutlookItems::sendCarriesAConsistentCopy() {
    const QString source = database();
    User& user = *m_user;
    user.setHqEmail(QStringLiteral("Head Office <hq@corvane.example>"));
    user.setEmailCc(QStringLiteral("area@corvane.example"));
    user.setEmail(QStringLiteral("rep@corvane.example"));
    user.setTerritory(QStringLiteral("North\r\nBcc: spy@elsewhere.example"));
    user.setLastSent(QDate(2020, 1, 31));

    // Another program is in the middle of writing: its change is not part of the copy.
    sqlite3* writer = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(source).constData(), &writer), SQLITE_OK);
    sqlite3_exec(writer, "BEGIN IMMEDIATE; INSERT INTO Sales VALUES(3, 'half written');", nullptr,
                 nullptr, nullptr);
    const Result sent = OutlookItems(user, m_env->store()).createOutlookMail(source);
    sqlite3_exec(writer, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(writer);
    QVERIFY2(sent.ok(), qPrintable(sent.message()));

    // Last sent is today, and stored.
    QCOMPARE(user.lastSent(), QDate::currentDate());
    QCOMPARE(m_env->store().getSetting("Corvane", "User", "LastSent"),
             LocaleText::shortDate(QDate::currentDate()));

    // The compose window gets the copy, under the file's own name.
    QCOMPARE(m_env->ui().started().size(), 1);
    const QStringList arguments = m_env->ui().started().first().arguments;
    QCOMPARE(arguments.size(), 3);
    QCOMPARE(arguments.at(0), QStringLiteral("--attach"));
    const QString copy = arguments.at(1);
    QVERIFY(copy.startsWith(m_env->path(QStringLiteral("tmp/corvane-send-"))));
    QCOMPARE(QFileInfo(copy).fileName(), QStringLiteral("East.mdb"));
    QCOMPARE(RawDatabase(copy).text("SELECT group_concat(Description, '|') FROM Sales"),
             "Spring order|Pumps, 40 units");

    const QStringList saved = files(drafts(), QStringLiteral("*.eml"));
    QCOMPARE(saved.size(), 1);
    const QString path = QDir(drafts()).filePath(saved.first());
    QVERIFY2(PimChecks::mailFaults(RawDatabase::readFile(path)).isEmpty(),
             qPrintable(PimChecks::mailFaults(RawDatabase::readFile(path))));
    if (PimChecks::python().isEmpty())
        QSKIP("python3 is needed to parse the mail back");
    const QJsonObject mail = PimChecks::readMail(path);
    QCOMPARE(mail.value("to").toArray(),
             QJsonArray({QJsonArray({"Head Office", "hq@corvane.example"})}));
    QCOMPARE(mail.value("cc").toArray(), QJsonArray({QJsonArray({"", "area@corvane.example"})}));
    QCOMPARE(mail.value("bcc").toArray(), QJsonArray({QJsonArray({"", "rep@corvane.example"})}));
    QCOMPARE(mail.value("bccHeaders").toInt(), 1);
    QCOMPARE(mail.value("subject").toString(),
             QStringLiteral("Pipeline: North Bcc: spy@elsewhere.example"));
    QCOMPARE(mail.value("attachments").toArray().size(), 1);
    QCOMPARE(mail.value("attachments")[0]["filename"].toString(), QStringLiteral("East.mdb"));
    QCOMPARE(QByteArray::fromBase64(mail.value("data")[0].toString().toLatin1()),
             RawDatabase::readFile(copy));
}

// The window asks whether to go on with Outlook after any of these (its question is tested with
// the window's commands).
void TestOutlookItems::failures_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("setup");
    QTest::newRow("appointment, no program") << Command::Appointment << "absent";
    QTest::newRow("task, no calendar program") << Command::Task << "display";
    QTest::newRow("task, log-on refused") << Command::Task << "logon";
    QTest::newRow("email, no compose program") << Command::Email << "compose";
    QTest::newRow("send, file is no database") << Command::Send << "not a database";
    QTest::newRow("send, line break in an address") << Command::Send << "address";
}

void TestOutlookItems::failures() {
    QFETCH(Command, command);
    QFETCH(QString, setup);
    FakePimScript script;
    script.failLogon = setup == "logon";
    if (setup == "absent")
        PimApplication::setFactory(
            [] { return PimValue<std::unique_ptr<PimApplication>>(Result::failure("none")); });
    if (setup == "logon")
        FakePim::install(script);
    m_env->ui().setRunExitStatus(setup == "compose" ? 3 : 0);
    m_env->ui().setOpenSucceeds(setup != "display");
    QString attachment = database();
    if (setup == "not a database") {
        QFile file(attachment);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("Description\tCompany\nSpring order\tBarrow\n");
    }
    m_user->setEmailCc(setup == "address" ? "area@corvane.example\r\nBcc: spy@elsewhere.example"
                                          : "area@corvane.example");
    m_user->setLastSent(QDate(2020, 1, 31));
    OutlookItems items(*m_user, m_env->store());
    const Result made = command == Command::Appointment ? items.createAppointment("Acme", kBody)
                        : command == Command::Task      ? items.createTask("Acme", kBody)
                        : command == Command::Email     ? items.createOutlookMail(QString(), kBody)
                                                        : items.createOutlookMail(attachment);
    QVERIFY(!made.ok());
    QVERIFY(!made.message().isEmpty());
    QCOMPARE(m_user->lastSent(), QDate(2020, 1, 31));
    // A Send mail saved before its attachment failed stays; nothing carries the injected header.
    for (const QString& name : files(drafts(), "*.eml")) {
        QVERIFY(setup != "address");
        QVERIFY(!RawDatabase::readFile(QDir(drafts()).filePath(name)).contains("spy@"));
    }
}

QTEST_GUILESS_MAIN(TestOutlookItems)
#include "TestOutlookItems.moc"
