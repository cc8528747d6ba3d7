#include "PostgresServer.h"
#include "TestEnvironment.h"

#include "mainwindow/MainWindow.h"
#include "platform/SettingsStore.h"
#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QtTest>

// The window opens a team database named on the command line like a file: its short name in
// the title, and its URI, never a password, kept as the database of the next start.
class TestTeamWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLineOpensATeamDatabase();

private:
    PostgresServer m_server;
};

void TestTeamWindow::initTestCase() {
    // Without a server the team database is untested: that is a failure, never a skip.
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
}

void TestTeamWindow::commandLineOpensATeamDatabase() {
    TestEnvironment env;
    ApplicationSettings settings(env.store());
    QVERIFY(!m_server.createDatabase("pipeline").isEmpty());
    QVERIFY(SalesServerStore::setUp(m_server.uri("pipeline")));
    const QString uri = m_server.uri("pipeline");
    // The server trusts the test's logins; the password given is ignored, and must not stay.
    const QString withPassword = QString(uri).replace("admin@", "admin:s3cret@");
    {
        MainWindow window(settings);
        window.load(QStringList{withPassword});
        QCOMPARE(env.ui().messages().size(), 0);
        QCOMPARE(window.databases().count(), 1);
        QVERIFY2(window.windowTitle().contains("pipeline on 127.0.0.1"),
                 qPrintable(window.windowTitle()));
        QVERIFY(window.close());
    }
    QCOMPARE(env.store().getSetting("Corvane", "Settings", "Database"), uri);

    // The next start opens it again.
    MainWindow again(settings);
    again.load(QStringList());
    QCOMPARE(again.databases().count(), 1);
    QCOMPARE(again.databases().shown()->location(), uri);
    QCOMPARE(env.ui().messages().size(), 0);
}

QTEST_MAIN(TestTeamWindow)
#include "TestTeamWindow.moc"
