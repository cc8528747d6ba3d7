#include "SalesFixtures.h"
#include "TestEnvironment.h"

#include "about/HelpWindow.h"
#include "editor/OpportunityEditor.h"
#include "exchange/OpportunityText.h"
#include "exchange/TextExport.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/OpportunitySortProxy.h"
#include "outlook/OutlookItems.h"
#include "platform/QtUiServices.h"
#include "platform/SettingsStore.h"
#include "settings/User.h"
#include "store/SalesDatabase.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTreeView>
#include <QUndoView>
#include <QtTest>

using namespace SalesFixtures;
using Icon = UiServices::Icon;
using Buttons = UiServices::Buttons;
using Answer = UiServices::Answer;

// The commands on opportunities as the window runs them: each change is checked in the file.
class TestOpportunityCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openAsksForTheFile();
    void copyPasteAndDelete();
    void newAndEditThroughTheEditor();
    void failedWritesKeepTheListEqualToTheFile();
    void calendarFailureAsksAndNoSwitchesOutlookOff();
    void writtenItemsSayWhere_data();
    void writtenItemsSayWhere();
    void questionClosedWithoutButton_data();
    void questionClosedWithoutButton();
    void fileDialogCheckBox_data();
    void fileDialogCheckBox();
    void exportAndReportMessages();

private:
    MainWindow& start(const QString& file) {
        m_window = std::make_unique<MainWindow>(*m_settings);
        m_window->load({file});
        m_window->show();
        (void)QTest::qWaitForWindowExposed(m_window.get());
        return *m_window;
    }
    void select(const QString& key) {
        const QModelIndex index = m_window->sortProxy().mapFromSource(
            m_window->listModel().index(m_window->listModel().rowOf(key), 0));
        m_window->listView().setCurrentIndex(index);
    }
    QAction* action(const char* name) const {
        return m_window->findChild<QAction*>(QLatin1String(name));
    }
    // Runs `inDialog` on the editor once it shows, while `open` shows it.
    void withEditor(const std::function<void()>& open,
                    const std::function<void(OpportunityEditor&)>& inDialog) {
        bool ran = false;
        QTimer::singleShot(0, this, [&] {
            auto* editor = m_window->findChild<OpportunityEditor*>();
            QVERIFY(editor && editor->isVisible());
            inDialog(*editor);
            ran = true;
        });
        open();
        QVERIFY(ran);
    }
    ScriptedUiServices& ui() { return m_env->ui(); }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<MainWindow> m_window;
};

void TestOpportunityCommands::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
}

void TestOpportunityCommands::cleanup() {
    m_window.reset();
    m_settings.reset();
    m_env.reset();
}

void TestOpportunityCommands::openAsksForTheFile() {
    const QString file = makeDatabase(m_env->path("Chosen.mdb"), {{"One"}});
    m_window = std::make_unique<MainWindow>(*m_settings);
    ui().queueFile(std::nullopt);
    m_window->openDatabase();
    QVERIFY(m_window->databases().isEmpty());
    QVERIFY(ui().messages().isEmpty());
    ui().queueFile(file);
    action("mnuOpen")->trigger();
    QCOMPARE(m_window->shownDatabase().name(), QStringLiteral("Chosen.mdb"));
    QCOMPARE(ui().fileRequests().size(), 2);
    const auto& request = ui().fileRequests().last();
    QVERIFY(!request.mustExist); // a new name may be typed
    QVERIFY(!request.confirmOverwrite);
}

void TestOpportunityCommands::copyPasteAndDelete() {
    const QString file = makeDatabase(m_env->path("a.mdb"), {{"First", "1200", "Acme"}, {"B"}});
    MainWindow& window = start(file);
    QVERIFY(!action("mnuPasteOpportunity")->isVisible());
    select("Key=1");
    action("mnuCopyOpportunity")->trigger();
    QCOMPARE(ui().clipboardText(), opportunityText(*fromFile(file, "Key=1")));
    QVERIFY(ui().clipboardText().contains("\tAcme\r\n"));
    QVERIFY(action("mnuPasteOpportunity")->isVisible());

    // Each paste is an opportunity of its own, with the copied values.
    window.runToolbarButton("Paste");
    action("mnuPasteOpportunity")->trigger();
    for (const char* key : {"Key=3", "Key=4"}) {
        const auto pasted = fromFile(file, key);
        QVERIFY2(pasted, key);
        QCOMPARE(pasted->company(), QStringLiteral("Acme"));
        QCOMPARE(pasted->description(), QStringLiteral("First"));
    }
    QCOMPARE(window.listModel().rowCount(), 4);

    // Delete asks first; No changes nothing.
    select("Key=3");
    ui().queueAnswer(Answer::No);
    action("mnuDeleteOpportunity")->trigger();
    QVERIFY(fromFile(file, "Key=3"));
    ui().queueAnswer(Answer::Yes);
    window.runToolbarButton("Delete");
    QVERIFY(!fromFile(file, "Key=3"));
    QCOMPARE(window.listModel().rowCount(), 3);
    QCOMPARE(window.listModel().rowOf("Key=3"), -1);
    const auto messages = ui().messages();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[0].text, QStringLiteral("Delete First"));
    QCOMPARE(messages[0].title, QStringLiteral("Delete Opportunity"));
    QCOMPARE(messages[0].icon, Icon::Question);
    QCOMPARE(messages[0].buttons, Buttons::YesNo);

    // Ctrl+Z brings the deleted row back, selected; the captions name the steps.
    QAction* undo = action("mnuUndo");
    QAction* redo = action("mnuRedo");
    QCOMPARE(undo->text(), QStringLiteral("&Undo Delete 'Acme - First'"));
    QVERIFY(!redo->isEnabled());
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fromFile(file, "Key=3")->description(), QStringLiteral("First"));
    QCOMPARE(window.listModel().rowCount(), 4);
    const QModelIndex current = window.sortProxy().mapToSource(window.listView().currentIndex());
    QCOMPARE(current.row(), window.listModel().rowOf("Key=3"));
    QCOMPARE(undo->text(), QStringLiteral("&Undo Paste 'Acme - First'"));
    QCOMPARE(redo->text(), QStringLiteral("&Redo Delete 'Acme - First'"));
    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(!fromFile(file, "Key=3"));
    QCOMPARE(window.listModel().rowCount(), 3);
    QVERIFY(!redo->isEnabled());
    QCOMPARE(redo->text(), QStringLiteral("&Redo"));

    // The History window lists the steps after the opened state; choosing it goes back there.
    // It opens on the screen even beside a main window that reaches past the screen's edge.
    const QRect screen = window.screen()->availableGeometry();
    window.setGeometry(screen.right() - 300, screen.top() + 50, 700, screen.height());
    action("mnuHistory")->trigger();
    auto* history = window.findChild<QUndoView*>("historyWindow");
    QVERIFY(history && history->isVisible());
    QVERIFY(window.screen()->availableGeometry().contains(history->geometry()));
    QCOMPARE(history->model()->rowCount(), 4);
    QCOMPARE(history->model()->index(3, 0).data().toString(),
             QStringLiteral("Delete 'Acme - First'"));
    history->setCurrentIndex(history->model()->index(0, 0));
    QCOMPARE(window.listModel().rowCount(), 2);
    QVERIFY(!fromFile(file, "Key=4"));
    QVERIFY(!undo->isEnabled());
    QCOMPARE(redo->text(), QStringLiteral("&Redo Paste 'Acme - First'"));
}

void TestOpportunityCommands::newAndEditThroughTheEditor() {
    const QString file = makeDatabase(m_env->path("a.mdb"), {{"Existing"}});
    MainWindow& window = start(file);

    // New writes a placeholder, OK writes what was typed into it.
    withEditor([&] { action("mnuNewOpportunity")->trigger(); },
               [](OpportunityEditor& editor) {
                   editor.findChild<QPlainTextEdit*>("txtDescription_0")->setPlainText("Typed");
                   editor.findChild<QPushButton*>("cmdOK")->click();
               });
    QCOMPARE(fromFile(file, "Key=2")->description(), QStringLiteral("Typed"));
    QCOMPARE(window.listModel().rowCount(), 2);

    // Cancel after New leaves nothing behind.
    withEditor(
        [&] { window.runToolbarButton("New"); },
        [](OpportunityEditor& editor) { editor.findChild<QPushButton*>("cmdCancel")->click(); });
    QVERIFY(!fromFile(file, "Key=3"));
    QCOMPARE(window.listModel().rowCount(), 2);

    // A double-click and Enter on a row edit that row.
    select("Key=1");
    const QModelIndex row = window.listView().currentIndex();
    withEditor(
        [&] {
            const QPoint at = window.listView().visualRect(row).center();
            QTest::mouseClick(window.listView().viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(window.listView().viewport(), Qt::LeftButton, {}, at);
        },
        [](OpportunityEditor& editor) {
            QCOMPARE(editor.findChild<QPlainTextEdit*>("txtDescription_0")->toPlainText(),
                     QStringLiteral("Existing"));
            editor.findChild<QPlainTextEdit*>("txtDescription_0")->setPlainText("Changed");
            editor.findChild<QPushButton*>("cmdOK")->click();
        });
    QCOMPARE(fromFile(file, "Key=1")->description(), QStringLiteral("Changed"));
    QCOMPARE(window.listModel().text(window.listModel().rowOf("Key=1"), 0),
             QStringLiteral("Changed"));
    window.listView().setFocus();
    // Its Help button opens the manual at the editor's page.
    withEditor([&] { QTest::keyClick(&window.listView(), Qt::Key_Return); },
               [](OpportunityEditor& editor) {
                   editor.findChild<QPushButton*>("cmdHelp")->click();
                   editor.reject();
               });
    QVERIFY(HelpWindow::instance() && HelpWindow::instance()->isVisible());
    const auto* page = HelpWindow::instance()->findChild<QTextBrowser*>("txtHelp");
    QCOMPARE(page->source().fileName(), QStringLiteral("editor.html"));
}

void TestOpportunityCommands::failedWritesKeepTheListEqualToTheFile() {
    const QString file = makeDatabase(m_env->path("a.mdb"), {{"One"}, {"Two"}});
    MainWindow& window = start(file);
    select("Key=1");
    action("mnuCopyOpportunity")->trigger();
    {
        const FileLock lock = lockFile(file);
        action("mnuPasteOpportunity")->trigger();
        ui().queueAnswer(Answer::Yes);
        action("mnuDeleteOpportunity")->trigger();
        action("mnuNewOpportunity")->trigger();
    }
    QCOMPARE(window.listModel().rowCount(), 2);
    QCOMPARE(window.shownDatabase().opportunities().count(), 2);
    QVERIFY(fromFile(file, "Key=1"));
    QVERIFY(!fromFile(file, "Key=3"));
    // The question of Delete, then one message per failed write, naming the file.
    const auto messages = ui().messages();
    QCOMPARE(messages.size(), 4);
    for (int i : {0, 2, 3}) {
        QVERIFY2(messages[i].text.contains(file), qPrintable(messages[i].text));
        QCOMPARE(messages[i].icon, Icon::Exclamation);
    }
}

void TestOpportunityCommands::calendarFailureAsksAndNoSwitchesOutlookOff() {
    // A calendar "folder" that is a file cannot take any item.
    const QString blocker = m_env->path("not-a-folder");
    QFile(blocker).open(QIODevice::WriteOnly);
    m_env->store().saveSetting("Corvane", "Outlook", "CalendarFolder", blocker);
    m_env->store().saveSetting("Corvane", "User", "UseOutlook", "True");
    start(makeDatabase(m_env->path("a.mdb"), {{"One"}}));
    QVERIFY(!action("mnuAppt")->isEnabled()); // nothing selected yet
    m_window->listView().setCurrentIndex(m_window->sortProxy().index(0, 0));
    QVERIFY(action("mnuAppt")->isEnabled());

    ui().queueAnswer(Answer::Yes);
    action("mnuAppt")->trigger();
    QVERIFY(m_settings->user().useOutlook());
    // The question closed without a button (Escape, the title bar) keeps the setting.
    ui().queueAnswer(Answer::Cancel);
    action("mnuAppt")->trigger();
    QVERIFY(m_settings->user().useOutlook());
    QVERIFY(action("mnuAppt")->isEnabled());
    ui().queueAnswer(Answer::No);
    action("mnuTask")->trigger();
    QVERIFY(!m_settings->user().useOutlook());
    QCOMPARE(m_env->store().getSetting("Corvane", "User", "UseOutlook"), QStringLiteral("False"));
    for (const char* name : {"mnuAppt", "mnuTask", "mnuEmail", "mnuSend"})
        QVERIFY2(!action(name)->isEnabled(), name);
    const auto messages = ui().messages();
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages[0].title, QStringLiteral("Outlook Appointment"));
    QCOMPARE(messages[2].text, QStringLiteral("Unable to create an Outlook Task. Do you wish to "
                                              "continue to connect to Outlook?"));
    QCOMPARE(messages[2].buttons, Buttons::YesNo);
}

void TestOpportunityCommands::writtenItemsSayWhere_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("programOpens");
    QTest::addColumn<QString>("folderSetting");
    for (const char* command : {"mnuAppt", "mnuTask", "mnuEmail"}) {
        const char* folder = QByteArray(command) == "mnuEmail" ? "DraftsFolder" : "CalendarFolder";
        QTest::addRow("%s, opened", command) << command << true << folder;
        QTest::addRow("%s, no program", command) << command << false << folder;
    }
}

// An item written to its folder is never reported as a failure: the window says where it is,
// and offers its folder when no program opened it.
void TestOpportunityCommands::writtenItemsSayWhere() {
    QFETCH(QString, command);
    QFETCH(bool, programOpens);
    QFETCH(QString, folderSetting);
    const QString folder = m_env->path("items");
    m_env->store().saveSetting("Corvane", "Outlook", folderSetting, folder);
    m_env->store().saveSetting("Corvane", "User", "UseOutlook", "True");
    ui().setOpenSucceeds(programOpens);
    ui().setRunExitStatus(programOpens ? 0 : 3);
    start(makeDatabase(m_env->path("a.mdb"), {{"One"}}));
    m_window->listView().setCurrentIndex(m_window->sortProxy().index(0, 0));
    ui().clearRecords();
    ui().queueAnswer(Answer::Yes);
    action(qPrintable(command))->trigger();

    const QStringList written = QDir(folder).entryList(QDir::Files);
    QCOMPARE(written.size(), 1);
    const QString file = QDir::toNativeSeparators(QDir(folder).filePath(written.constFirst()));
    QVERIFY(m_settings->user().useOutlook());
    if (programOpens) {
        QVERIFY(ui().messages().isEmpty());
        QVERIFY2(m_window->statusBar()->currentMessage().endsWith(" saved as " + file),
                 qPrintable(m_window->statusBar()->currentMessage()));
        return;
    }
    QCOMPARE(ui().messages().size(), 1);
    const auto& message = ui().messages().constFirst();
    QVERIFY2(message.text.contains("was saved as \"" + file + "\"") &&
                 message.text.endsWith("Do you want to open its folder?") &&
                 !message.text.contains("continue"),
             qPrintable(message.text));
    QCOMPARE(message.buttons, Buttons::YesNo);
    // Yes opens the folder.
    QCOMPARE(ui().opened().constLast(), folder);
}

// The real message box: a Yes/No question closed by Escape or the title bar answers Cancel (Qt
// itself would report No, which switches the mail and calendar commands off).
void TestOpportunityCommands::questionClosedWithoutButton_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("expected");
    QTest::newRow("Escape") << "Escape" << int(Answer::Cancel);
    QTest::newRow("closed") << "close" << int(Answer::Cancel);
    QTest::newRow("No pressed") << "No" << int(Answer::No);
    QTest::newRow("Yes pressed") << "Yes" << int(Answer::Yes);
}

void TestOpportunityCommands::questionClosedWithoutButton() {
    QFETCH(QString, how);
    QFETCH(int, expected);
    QtUiServices services;
    bool shown = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        shown = true;
        if (how == QLatin1String("Escape"))
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : box,
                            Qt::Key_Escape);
        else if (how == QLatin1String("close"))
            box->close();
        else
            box->button(how == QLatin1String("No") ? QMessageBox::No : QMessageBox::Yes)->click();
    });
    const Answer answer = services.messageBox(
        OutlookItems::failureText(OutlookItems::Command::Task),
        OutlookItems::failureTitle(OutlookItems::Command::Task), Icon::None, Buttons::YesNo);
    QVERIFY(shown);
    QCOMPARE(int(answer), expected);
}

void TestOpportunityCommands::fileDialogCheckBox_data() {
    QTest::addColumn<bool>("clear");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<bool>("expected");
    QTest::newRow("left as it is") << false << true << true;
    QTest::newRow("cleared") << true << true << false;
    QTest::newRow("cleared, then cancelled") << true << false << true;
}

// The real file dialog shows the request's check box and hands back its state.
void TestOpportunityCommands::fileDialogCheckBox() {
    QFETCH(bool, clear);
    QFETCH(bool, accept);
    QFETCH(bool, expected);
    QtUiServices services;
    bool guard = true;
    const QString target = m_env->path("chosen.csv");
    QString shownText;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("chkFileOption"))) {
            shownText = box->text();
            QVERIFY(box->isChecked());
            if (clear)
                box->setChecked(false);
        }
        if (accept) {
            dialog->selectFile(target);
            QMetaObject::invokeMethod(dialog, "accept");
        } else {
            QMetaObject::invokeMethod(dialog, "reject");
        }
    });
    const auto chosen = services.chooseFile(TextExport::fileRequest(&guard));
    QCOMPARE(chosen.has_value(), accept);
    QCOMPARE(shownText, TextExport::guardFormulasText());
    QCOMPARE(guard, expected);
}

void TestOpportunityCommands::exportAndReportMessages() {
    const QString file = makeDatabase(m_env->path("a.mdb"), {{"One"}, {"=1+1"}});
    start(file);
    const QString csv = m_env->path("out.csv");
    ui().queueFile(csv);
    action("mnuExport")->trigger();
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray guarded = written.readAll();
    written.close();
    QCOMPARE(guarded.count("\r\n"), 3);
    QVERIFY2(guarded.contains("\r\n'=1+1,"), guarded.constData());
    // The dialog's check box, cleared, writes formulas as they are.
    QCOMPARE(ui().fileRequests().last().checkBoxText, TextExport::guardFormulasText());
    // Titled for what it does, not taken for File > Save As.
    QCOMPARE(ui().fileRequests().last().title, QStringLiteral("Export Opportunities"));
    ui().clearRecords();
    ui().queueFile(csv);
    ui().queueCheckBox(false);
    action("mnuExport")->trigger();
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("\r\n=1+1,"));

    // An export never writes over a database, open or not.
    ui().queueFile(file);
    action("mnuExport")->trigger();
    QVERIFY(fromFile(file, "Key=2"));

    // A report over a file that another program holds says so.
    const FileLock lock = lockFile(file);
    action("mnuRpt_1")->trigger();
    const auto messages = ui().messages();
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages[0].title, QStringLiteral("Data Export"));
    QCOMPARE(messages[0].icon, Icon::Information);
    QCOMPARE(messages[1].icon, Icon::Critical);
    QCOMPARE(messages[2].title, QStringLiteral("Print Report"));
    QCOMPARE(messages[2].icon, Icon::Critical);
    QVERIFY2(messages[2].text.contains(file), qPrintable(messages[2].text));
}

QTEST_MAIN(TestOpportunityCommands)
#include "TestOpportunityCommands.moc"
