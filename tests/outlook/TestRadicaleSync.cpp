#include "PimChecks.h"
#include "TestEnvironment.h"

#include "outlook/OutlookContacts.h"
#include "outlook/OutlookItems.h"
#include "platform/SettingsStore.h"
#include "settings/User.h"

#include <QDir>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

// A round trip through a real calendar and contacts server: an appointment made here reaches
// the server through vdirsyncer, and a contact made on the server reaches the contact list.
class TestRadicaleSync : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void roundTrip();

private:
    // The status of a request to the server (0 when it did not answer in time).
    int request(const QByteArray& verb, const QString& path, const QByteArray& body = {},
                const QByteArray& type = {}, QByteArray* reply = nullptr);
    // vdirsyncer with our configuration; an empty text when it succeeded, else its output.
    QString vdirsyncer(const QString& command);

    QString m_radicale;
    QString m_vdirsyncer;
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QProcess> m_server;
    QNetworkAccessManager m_network;
    quint16 m_port = 0;
};

void TestRadicaleSync::initTestCase() {
    m_radicale = QStandardPaths::findExecutable(QStringLiteral("radicale"));
    m_vdirsyncer = QStandardPaths::findExecutable(QStringLiteral("vdirsyncer"));
    if (m_radicale.isEmpty() || m_vdirsyncer.isEmpty())
        QSKIP("radicale and vdirsyncer (Debian packages radicale, vdirsyncer) are not installed");
    m_network.setProxy(QNetworkProxy::NoProxy);
}

void TestRadicaleSync::cleanup() {
    if (m_server) {
        m_server->terminate();
        if (!m_server->waitForFinished(5000))
            m_server->kill();
        m_server.reset();
    }
    m_env.reset();
}

int TestRadicaleSync::request(const QByteArray& verb, const QString& path, const QByteArray& body,
                              const QByteArray& type, QByteArray* reply) {
    QNetworkRequest req(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path)));
    req.setRawHeader("Authorization", "Basic " + QByteArray("user:secret").toBase64());
    if (!type.isEmpty())
        req.setHeader(QNetworkRequest::ContentTypeHeader, type);
    req.setTransferTimeout(10000);
    std::unique_ptr<QNetworkReply> answer(m_network.sendCustomRequest(req, verb, body));
    QSignalSpy done(answer.get(), &QNetworkReply::finished);
    if (!done.wait(15000))
        return 0;
    if (reply)
        *reply = answer->readAll();
    return answer->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

QString TestRadicaleSync::vdirsyncer(const QString& command) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("no_proxy"), QStringLiteral("127.0.0.1,localhost"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice()); // it must never wait for an answer
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(m_vdirsyncer, {"-c", m_env->path("vdirsyncer.conf"), command});
    if (!process.waitForFinished(120000)) {
        process.kill();
        return QStringLiteral("vdirsyncer %1 did not finish").arg(command);
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {};
    return QString::fromUtf8(process.readAll());
}

namespace {
bool writeFile(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) > 0;
}
} // namespace

void TestRadicaleSync::roundTrip() {
    m_env = std::make_unique<TestEnvironment>();
    const QString calendar = m_env->path(QStringLiteral("Calendar"));
    const QString contacts = m_env->path(QStringLiteral("Contacts"));
    for (const QString& folder : {calendar, contacts, m_env->path("Drafts"), m_env->path("status")})
        QVERIFY(QDir().mkpath(folder));
    SettingsStore& store = m_env->store();
    QVERIFY(store.saveSetting("Corvane", "Outlook", "CalendarFolder", calendar));
    QVERIFY(store.saveSetting("Corvane", "Outlook", "ContactsFolder", contacts));
    QVERIFY(store.saveSetting("Corvane", "Outlook", "DraftsFolder", m_env->path("Drafts")));

    // A free port: asked of the system, then given to the server.
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        m_port = probe.serverPort();
    }
    QVERIFY(
        writeFile(m_env->path("radicale.conf"), QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n"
                                                               "[auth]\ntype = none\n"
                                                               "[storage]\nfilesystem_folder = %2\n"
                                                               "[logging]\nlevel = warning\n")
                                                    .arg(m_port)
                                                    .arg(m_env->path("server"))));
    m_server = std::make_unique<QProcess>();
    m_server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server->setStandardOutputFile(QProcess::nullDevice());
    m_server->start(m_radicale, {"--config", m_env->path("radicale.conf")});
    QVERIFY(m_server->waitForStarted(10000));
    QElapsedTimer waited;
    waited.start();
    bool listening = false;
    while (!listening && waited.elapsed() < 30000 && m_server->state() == QProcess::Running) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        listening = socket.waitForConnected(200);
        if (!listening)
            QTest::qWait(100);
    }
    QVERIFY2(listening, "the server did not start listening");

    // The user's collection, a calendar and an address book, and a contact made on the server.
    const int home = request("MKCOL", "/user/");
    QVERIFY2(home == 201 || home == 405, qPrintable(QString::number(home)));
    QCOMPARE(request("MKCALENDAR", "/user/cal/"), 201);
    QCOMPARE(
        request(
            "MKCOL", "/user/book/",
            R"(<?xml version="1.0"?><mkcol xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav">
                        <set><prop><resourcetype><collection/><C:addressbook/></resourcetype>
                        </prop></set></mkcol>)",
            "application/xml"),
        201);
    QCOMPARE(request("PUT", "/user/book/quade.vcf",
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:quade\r\nN:Quade;Marisol;;;\r\n"
                     "FN:Marisol Quade\r\nEND:VCARD\r\n",
                     "text/vcard"),
             201);

    QString config =
        QStringLiteral("[general]\nstatus_path = \"%1/\"\n").arg(m_env->path("status"));
    for (const auto& [name, kind, folder, extension] :
         {std::tuple{"cal", "caldav", calendar, ".ics"}, {"book", "carddav", contacts, ".vcf"}})
        config +=
            QStringLiteral("[pair %1]\na = \"%1_local\"\nb = \"%1_remote\"\ncollections = null\n"
                           "[storage %1_local]\ntype = \"filesystem\"\npath = \"%3/\"\n"
                           "fileext = \"%4\"\n"
                           "[storage %1_remote]\ntype = \"%2\"\n"
                           "url = \"http://127.0.0.1:%5/user/%1/\"\n"
                           "username = \"user\"\npassword = \"secret\"\n")
                .arg(QLatin1String(name), QLatin1String(kind), folder, QLatin1String(extension))
                .arg(m_port);
    QVERIFY(writeFile(m_env->path("vdirsyncer.conf"), config));
    QString failed = vdirsyncer("discover");
    QVERIFY2(failed.isEmpty(), qPrintable(failed));

    // An appointment made here, synced to the server.
    User user(m_env->store());
    QVERIFY(OutlookItems(user, m_env->store())
                .createAppointment("Acme - Spring order", "Spring order\nCall Ingrid")
                .ok());
    const QStringList items = QDir(calendar).entryList({"*.ics"}, QDir::Files);
    QCOMPARE(items.size(), 1);
    failed = vdirsyncer("sync");
    QVERIFY2(failed.isEmpty(), qPrintable(failed));

    QByteArray served;
    QCOMPARE(request("GET", "/user/cal/" + items.first(), {}, {}, &served), 200);
    const PimChecks::Calendar parsed(served);
    icalcomponent* event = parsed.first(ICAL_VEVENT_COMPONENT);
    QVERIFY(event);
    QCOMPARE(QString::fromUtf8(icalcomponent_get_uid(event)) + ".ics", items.first());
    QCOMPARE(PimChecks::description(event), QByteArray("Spring order\nCall Ingrid"));

    // The contact from the server, in the contact list.
    OutlookContacts list(m_env->store());
    list.loadContacts();
    QVERIFY2(!list.outlookError(), qPrintable(list.outlookErrorMessage()));
    QCOMPARE(list.count(), 1);
    QCOMPARE(list.item(1)->fileAs(), QStringLiteral("Quade, Marisol"));
}

QTEST_GUILESS_MAIN(TestRadicaleSync)
#include "TestRadicaleSync.moc"
