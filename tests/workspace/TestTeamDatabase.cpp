#include "PostgresServer.h"
#include "TestEnvironment.h"

#include "mainwindow/OpportunityListModel.h"
#include "platform/SettingsStore.h"

#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A team database open in the workspace follows what other clients write to it, record by
// record, and reads it anew after its connection was lost.
namespace {

Opportunity deal(const QString& company, const QString& revenue) {
    Opportunity o;
    o.setCompany(company);
    o.setRevenue(revenue);
    return o;
}

} // namespace

class TestTeamDatabase : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void anotherClientsWritesArriveRowByRow();
    void aLostConnectionIsReadAnew();

private:
    // A new team database for the representative "ann"; its URI.
    QString newTeamDatabase();

    PostgresServer m_server;
    int m_databases = 0;
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<OpenDatabases> m_workspace;
};

void TestTeamDatabase::initTestCase() {
    // Without a server the team database is untested: that is a failure, never a skip.
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QVERIFY(m_server.addRole("ann"));
}

void TestTeamDatabase::init() {
    m_env = std::make_unique<TestEnvironment>();
    // The stored filter shows revenues from $10 to $1,000,000 only.
    m_env->store().saveSetting("Corvane", "Use", "Revenues", "True");
    m_env->store().saveSetting("Corvane", "Revenue", "Low", "10");
    m_env->store().saveSetting("Corvane", "Revenue", "High", "1000000");
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
    m_workspace = std::make_unique<OpenDatabases>(m_settings->filters());
}

void TestTeamDatabase::cleanup() {
    m_workspace.reset();
    m_settings.reset();
    m_env.reset();
}

QString TestTeamDatabase::newTeamDatabase() {
    const QString name = QString("team%1").arg(++m_databases);
    if (m_server.createDatabase(name).isEmpty() || !SalesServerStore::setUp(m_server.uri(name)) ||
        !m_server.exec(name, PostgresServer::teamGrants()).isEmpty())
        return QString();
    return m_server.uri(name, "ann");
}

void TestTeamDatabase::anotherClientsWritesArriveRowByRow() {
    const QString uri = newTeamDatabase();
    QVERIFY(!uri.isEmpty());
    const auto opened = m_workspace->open(uri);
    QVERIFY2(opened, qPrintable(opened.message()));
    SalesDatabase& mine = **opened;
    auto other = SalesDatabase::open(uri);
    QVERIFY(other);
    QSignalSpy added(m_workspace.get(), &OpenDatabases::opportunityAdded);
    QSignalSpy changed(m_workspace.get(), &OpenDatabases::opportunityChanged);
    QSignalSpy leaving(m_workspace.get(), &OpenDatabases::opportunityAboutToBeRemoved);
    QSignalSpy removed(m_workspace.get(), &OpenDatabases::opportunityRemoved);
    QSignalSpy reset(m_workspace.get(), &OpenDatabases::opportunitiesReset);
    QSignalSpy totals(m_workspace.get(), &OpenDatabases::totalsChanged);
    // The list follows row by row, never read anew.
    OpportunityListModel list;
    list.followWorkspace(m_workspace.get());
    list.rebuild(mine.opportunities(), {"Company", "Stage"});
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy rowsAdded(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy rowsChanged(&list, &QAbstractItemModel::dataChanged);
    QSignalSpy listReset(&list, &QAbstractItemModel::modelReset);

    QVERIFY((*other)->add(deal("Acme", "$1,000.00")));
    QTRY_COMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(1).toString(), QString("Key=1"));
    QCOMPARE(mine.opportunities().item("Key=1")->company(), QString("Acme"));
    QVERIFY(mine.opportunities().item("Key=1")->visible());
    QVERIFY(totals.count() >= 1);
    // The stored filter applies to what arrives.
    QVERIFY((*other)->add(deal("Nothing yet", "0")));
    QTRY_COMPARE(added.count(), 2);
    QVERIFY(!mine.opportunities().item("Key=2")->visible());

    Opportunity edited(*(*other)->opportunities().item("Key=1"));
    edited.setStage("Closed - Won");
    QVERIFY((*other)->update("Key=1", edited));
    QTRY_COMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(1).toString(), QString("Key=1"));
    QCOMPARE(mine.opportunities().item("Key=1")->stage(), QString("Closed - Won"));

    QVERIFY((*other)->remove("Key=2"));
    QTRY_COMPARE(removed.count(), 1);
    QCOMPARE(leaving.count(), 1);
    QVERIFY(!mine.opportunities().contains("Key=2"));

    // This window's own writes are not taken in twice, and the next edit names the version
    // that the other client's change left.
    Opportunity mineEdited(*mine.opportunities().item("Key=1"));
    mineEdited.setNote("Signed");
    QVERIFY(m_workspace->update("Key=1", mineEdited));
    QCOMPARE(changed.count(), 2);
    QVERIFY(m_workspace->add(deal("Borealis", "$500.00")));
    QCOMPARE(added.count(), 3);
    // The other client's next add arrives after the announcements of those writes.
    QVERIFY((*other)->add(deal("Cygnus", "$700.00")));
    QTRY_COMPARE(added.count(), 4);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(mine.opportunities().count(), 3);
    QCOMPARE(reset.count(), 0);
    // Acme, Borealis and Cygnus; the deal without revenue stays out of the list.
    QCOMPARE(list.rowCount(), 3);
    QCOMPARE(rowsAdded.count(), 3);
    QCOMPARE(list.index(0, 1).data().toString(), QString("Closed - Won"));
    QVERIFY(rowsChanged.count() >= 2);
    QCOMPARE(listReset.count(), 0);
}

void TestTeamDatabase::aLostConnectionIsReadAnew() {
    const QString uri = newTeamDatabase();
    QVERIFY(!uri.isEmpty());
    const auto opened = m_workspace->open(uri);
    QVERIFY2(opened, qPrintable(opened.message()));
    SalesDatabase& mine = **opened;
    QSignalSpy reset(m_workspace.get(), &OpenDatabases::opportunitiesReset);
    QSignalSpy lost(m_workspace.get(), &OpenDatabases::connectionLost);
    QSignalSpy restored(m_workspace.get(), &OpenDatabases::connectionRestored);

    QVERIFY(m_server.stop());
    QTRY_COMPARE(lost.count(), 1);
    // Refused until the connection is back, saying so; the list keeps what it had.
    const auto refused = m_workspace->add(deal("Lost", "$1.00"));
    QVERIFY(!refused);
    QVERIFY2(refused.message().contains("the connection to the server is lost"),
             qPrintable(refused.message()));
    QCOMPARE(mine.opportunities().count(), 0);
    {
        // A server that takes the connection and never answers (a host gone from the
        // network): the window goes on working while the client waits for it.
        const int silent = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        const int yes = 1;
        ::setsockopt(silent, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<quint16>(m_server.port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QVERIFY(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        QVERIFY(::listen(silent, 4) == 0);
        // (QTRY evaluates its condition once more at the end.)
        int waiting = -1;
        QTRY_VERIFY_WITH_TIMEOUT(
            waiting >= 0 || (waiting = ::accept4(silent, nullptr, nullptr, SOCK_NONBLOCK)) >= 0,
            10'000);
        char startup[512];
        ssize_t received = 0;
        QTRY_VERIFY(received > 0 || (received = ::recv(waiting, startup, sizeof startup, 0)) > 0);
        QTest::qWait(200);
        // Still waiting for an answer: a client that held up the window would have given up
        // (and closed) before this test could take the connection.
        QCOMPARE(::recv(waiting, startup, sizeof startup, 0), ssize_t(-1));
        QCOMPARE(errno, EAGAIN);
        QCOMPARE(restored.count(), 0);
        ::close(waiting);
        ::close(silent);
    }
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    // Written while this window may not listen yet.
    auto other = SalesDatabase::open(uri);
    QVERIFY(other);
    QVERIFY((*other)->add(deal("Acme", "$1,000.00")));
    QTRY_VERIFY_WITH_TIMEOUT(reset.count() == 1 && mine.opportunities().contains("Key=1"), 30'000);
    QCOMPARE(restored.count(), 1);
    QCOMPARE(mine.opportunities().count(), 1);
    QCOMPARE(mine.opportunities().item("Key=1")->company(), QString("Acme"));
    // ... and it writes again on a connection of its own.
    QVERIFY(m_workspace->add(deal("Borealis", "$500.00")));
}

QTEST_GUILESS_MAIN(TestTeamDatabase)
#include "TestTeamDatabase.moc"
