#include "DialogTest.h"
#include "MemoryKeyring.h"
#include "PostgresServer.h"
#include "TestEnvironment.h"

#include "mainwindow/MainWindow.h"
#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/TeamDatabaseDialog.h"
#include "platform/SettingsStore.h"
#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Answers the modal dialogs that open while it lives, each once, in order, with the functions
// queued; a dialog that finds none queued is cancelled. Records the object name of every dialog.
class ModalAnswers : public QObject {
public:
    using Answer = std::function<void(QDialog&)>;
    ModalAnswers() {
        connect(&m_poll, &QTimer::timeout, this, &ModalAnswers::answer);
        m_poll.start(10);
    }
    void queue(const Answer& answer) { m_answers.append(answer); }
    // Types a password, ticks Remember or not, and presses OK; records the message shown.
    void queuePassword(const QString& password, bool remember = false) {
        queue([this, password, remember](QDialog& dialog) {
            messages.append(control<QLabel>(dialog, "lbl_PasswordMessage")->text());
            auto* box = control<QCheckBox>(dialog, "chk_Remember");
            rememberTicked.append(box->isChecked());
            control<QLineEdit>(dialog, "txt_Password")->setText(password);
            box->setChecked(remember);
            click(dialog, "OKButton");
        });
    }
    void queueCancel() {
        queue([this](QDialog& dialog) {
            messages.append(control<QLabel>(dialog, "lbl_PasswordMessage")->text());
            click(dialog, "CancelButton");
        });
    }
    int pending() const { return static_cast<int>(m_answers.size()); }

    QStringList seen;
    QStringList messages;
    QList<bool> rememberTicked;

private:
    void answer() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        seen.append(dialog->objectName());
        if (m_answers.isEmpty())
            dialog->reject();
        else
            m_answers.takeFirst()(*dialog);
    }

    QTimer m_poll;
    QList<Answer> m_answers;
};

QString fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

// The window opens a team database like a file (title, Window menu, the next start), asks for
// a password when the server wants one, keeps it in the keyring only on Remember, and shows a
// lost connection until it is back.
class TestTeamWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void commandLineOpensATeamDatabase();
    void uriDialogRefusesWhatIsNoUri_data();
    void uriDialogRefusesWhatIsNoUri();
    void passwordIsAskedAndRememberedOnlyInTheKeyring();
    void lostConnectionIsShownUntilItIsBack();

private:
    // A new team database set up with the team's rights; its URI for `role`.
    QString newTeamDatabase(const QString& name, const QString& role = QString());

    PostgresServer m_server;
};

void TestTeamWindow::initTestCase() {
    // Without a server the team database is untested: that is a failure, never a skip.
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
}

QString TestTeamWindow::newTeamDatabase(const QString& name, const QString& role) {
    if (m_server.createDatabase(name).isEmpty() || !SalesServerStore::setUp(m_server.uri(name)) ||
        !m_server.exec(name, PostgresServer::teamGrants()).isEmpty())
        return QString();
    return m_server.uri(name, role);
}

void TestTeamWindow::commandLineOpensATeamDatabase() {
    TestEnvironment env;
    ApplicationSettings settings(env.store());
    const QString uri = newTeamDatabase("pipeline");
    QVERIFY(!uri.isEmpty());
    // The server trusts the test's logins; the password given is ignored, and must not stay.
    const QString withPassword = QString(uri).replace("admin@", "admin:s3cret@");
    {
        MainWindow window(settings);
        window.load(QStringList{withPassword});
        QCOMPARE(env.ui().messages().size(), 0);
        QCOMPARE(window.databases().count(), 1);
        QVERIFY2(window.windowTitle().contains("pipeline on 127.0.0.1"),
                 qPrintable(window.windowTitle()));
        auto* entry = window.findChild<QAction*>("mnudbList_1");
        QVERIFY(entry);
        // Named as a file is, by its location, which holds no password.
        QVERIFY2(entry->text().endsWith(" " + uri), qPrintable(entry->text()));
        window.openFiles({withPassword});
        QCOMPARE(env.ui().messages().size(), 1);
        QCOMPARE(env.ui().messages().at(0).text, uri + " is already open.");
        QVERIFY(window.close());
    }
    QCOMPARE(env.store().getSetting("Corvane", "Settings", "Database"), uri);
    QCOMPARE(env.store().getSetting("Corvane", "Team", "Recent1"), uri);
    QVERIFY(!fileText(env.settingsPath()).contains("s3cret"));

    // The next start opens it again.
    MainWindow again(settings);
    again.load(QStringList());
    QCOMPARE(again.databases().count(), 1);
    QCOMPARE(again.databases().shown()->location(), uri);
    QCOMPARE(env.ui().messages().size(), 1);

    // File > Open Team Database offers it first, without the password.
    ModalAnswers answers;
    answers.queue([&](QDialog& dialog) {
        auto* field = control<QComboBox>(dialog, "combo_TeamLocation");
        QCOMPARE(field->currentText(), uri);
        QCOMPARE(field->count(), 1);
        click(dialog, "CancelButton");
    });
    again.findChild<QAction*>("mnuOpenTeam")->trigger();
    QCOMPARE(answers.seen, QStringList{"TeamDatabaseDialog"});
    QCOMPARE(answers.pending(), 0);
}

void TestTeamWindow::uriDialogRefusesWhatIsNoUri_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("file") << "/home/ann/pipeline.mdb" << false;
    QTest::newRow("other scheme") << "mysql://ann@db/pipeline" << false;
    QTest::newRow("no scheme") << "ann@db.example.com/pipeline" << false;
    QTest::newRow("broken") << "postgresql://ann@db example.com/pipeline" << false;
    QTest::newRow("postgresql") << "postgresql://ann@db.example.com:5432/pipeline?sslmode=require"
                                << true;
    QTest::newRow("postgres, spaces") << "  postgres://ann@db/pipeline " << true;
}

void TestTeamWindow::uriDialogRefusesWhatIsNoUri() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    TeamDatabaseDialog dialog({"postgresql://ann@db/old"});
    dialog.show();
    auto* field = control<QComboBox>(dialog, "combo_TeamLocation");
    field->setEditText(text);
    click(dialog, "OKButton");
    auto* note = control<QLabel>(dialog, "lbl_TeamNote");
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(dialog.isVisible(), !accepted);
    QCOMPARE(note->isVisible(), !accepted);
    if (accepted) {
        QCOMPARE(dialog.location(), text.trimmed());
    } else {
        QVERIFY(note->text().contains("postgresql://"));
        // Typing again takes the note away.
        field->setEditText(text + "x");
        QVERIFY(!note->isVisible());
    }
}

void TestTeamWindow::passwordIsAskedAndRememberedOnlyInTheKeyring() {
    TestEnvironment env;
    ApplicationSettings settings(env.store());
    MemoryKeyring keyring;
    QVERIFY(m_server.addRole("pat"));
    const QString uri = newTeamDatabase("guarded", "pat");
    QVERIFY(!uri.isEmpty());
    QVERIFY(m_server.requirePassword("pat", "s3cret"));
    ModalAnswers answers;
    const auto openedIn = [&](MainWindow& window) {
        window.openFiles({uri});
        return window.databases().count();
    };
    const auto note = [](MainWindow& window) { return window.statusBar()->currentMessage(); };

    // Cancel opens nothing and says so.
    answers.queueCancel();
    {
        MainWindow window(settings);
        QCOMPARE(openedIn(window), 0);
        QCOMPARE(answers.seen, QStringList{"TeamPasswordDialog"});
        QCOMPARE(note(window),
                 QString("Opening guarded on 127.0.0.1 cancelled; nothing was opened"));
        QCOMPARE(env.ui().messages().size(), 0);
    }
    // A wrong password is asked for again with the server's message; without Remember
    // nothing is kept.
    answers.seen.clear();
    answers.messages.clear();
    answers.queuePassword("wrong");
    answers.queuePassword("s3cret");
    {
        MainWindow window(settings);
        QCOMPARE(openedIn(window), 1);
        QCOMPARE(answers.seen.size(), 2);
        QCOMPARE(answers.messages.at(0), QString());
        QVERIFY2(answers.messages.at(1).contains("password authentication failed") &&
                     !answers.messages.at(1).contains("28P01"),
                 qPrintable(answers.messages.at(1)));
        QCOMPARE(answers.rememberTicked, QList<bool>({false, false}));
        QVERIFY(keyring.passwords().isEmpty());
        QVERIFY(window.windowTitle().contains("guarded on 127.0.0.1"));
    }
    // Remember without a keyring service: opened, not kept, and said so.
    keyring.setAvailable(false);
    answers.queuePassword("s3cret", true);
    {
        MainWindow window(settings);
        QCOMPARE(openedIn(window), 1);
        QVERIFY2(note(window).contains("could not be kept"), qPrintable(note(window)));
    }
    // Remember keeps it in the keyring, never in the settings; the next open asks nothing.
    keyring.setAvailable(true);
    answers.queuePassword("s3cret", true);
    {
        MainWindow window(settings);
        QCOMPARE(openedIn(window), 1);
        QVERIFY(window.close());
    }
    QCOMPARE(keyring.passwords(), (QMap<QString, QString>{{uri, "s3cret"}}));
    QVERIFY(env.store().flush());
    const QString stored = fileText(env.settingsPath());
    QVERIFY(stored.contains("guarded"));
    QVERIFY(!stored.contains("s3cret"));
    answers.seen.clear();
    {
        MainWindow window(settings);
        QCOMPARE(openedIn(window), 1);
        QCOMPARE(answers.seen, QStringList());
    }
    // A kept password that the server refuses is forgotten, and the user asked.
    QVERIFY(m_server.requirePassword("pat", "n3w"));
    answers.messages.clear();
    answers.queueCancel();
    {
        MainWindow window(settings);
        QCOMPARE(openedIn(window), 0);
        QCOMPARE(answers.seen, QStringList{"TeamPasswordDialog"});
        QVERIFY2(answers.messages.at(0).contains("kept in the keyring was refused"),
                 qPrintable(answers.messages.at(0)));
        QVERIFY(keyring.passwords().isEmpty());
    }
    QCOMPARE(answers.pending(), 0);
}

void TestTeamWindow::lostConnectionIsShownUntilItIsBack() {
    TestEnvironment env;
    ApplicationSettings settings(env.store());
    const QString uri = newTeamDatabase("shared");
    QVERIFY(!uri.isEmpty());
    MainWindow window(settings);
    window.load(QStringList{uri});
    QCOMPARE(window.databases().count(), 1);
    auto* notice = control<QLabel>(window, "lbl_ConnectionNotice");
    QVERIFY(notice->isHidden());

    QVERIFY(m_server.stop());
    QTRY_VERIFY(!notice->isHidden());
    QCOMPARE(notice->text(), QString("Connection to shared on 127.0.0.1 lost; reconnecting\u2026"));

    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    // Another representative's add while this window may not listen yet is shown when it is.
    auto other = SalesDatabase::open(uri);
    QVERIFY(other);
    Opportunity deal;
    deal.setCompany("Acme");
    deal.setRevenue("$1,000.00");
    QVERIFY((*other)->add(deal));
    QTRY_VERIFY_WITH_TIMEOUT(notice->isHidden() && window.listModel().rowCount() == 1, 30'000);
    QVERIFY(window.statusBar()->currentMessage().contains("again"));
}

QTEST_MAIN(TestTeamWindow)
#include "TestTeamWindow.moc"
