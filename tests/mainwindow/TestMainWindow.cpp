#include "SalesFixtures.h"
#include "TestEnvironment.h"

#include "board/BoardColumnView.h"
#include "board/BoardView.h"
#include "filter/Filters.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/OpportunitySortProxy.h"
#include "outlook/OutlookContacts.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/SortChoice.h"
#include "settings/User.h"
#include "store/SalesDatabase.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QUndoGroup>
#include <QWheelEvent>
#include <QtTest>
#include <csignal>
#include <sqlite3.h>

using Icon = UiServices::Icon;
using Buttons = UiServices::Buttons;
using Answer = UiServices::Answer;
using Message = ScriptedUiServices::Message;
Q_DECLARE_METATYPE(Message)

using namespace SalesFixtures;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startUp_data();
    void startUp();
    void openAndClose();
    void newDatabase_data();
    void newDatabase();
    void exitStoresDatabaseAndWidths_data();
    void exitStoresDatabaseAndWidths();
    void toolbarAndSize();
    void titleAndTotals();
    void sortByHeaderAndMenu();
    void hiddenColumns();
    void commandStates_data();
    void commandStates();
    void quickInfo();
    void noteEditor_data();
    void noteEditor();
    void quickInfoWriteFailure_data();
    void quickInfoWriteFailure();
    void accessKeysAndKeyboard();
    void statusPanelsNeverCut();
    void wheelDoesNotEditCombos();
    void sortShowsSelectionOrTop();
    void emptyListExplainsItself();
    void dropsMergeAlikeEverywhere_data();
    void dropsMergeAlikeEverywhere();
    void signalEndsAsExit_data();
    void signalEndsAsExit();
    void firstRunColumnWidths();
    void firstWindowFitsScreen();
    void commandLineTakesStartUpsPlace();
    void boardMovesCardsByKeyboardAndDrop();

private:
    ScriptedUiServices& ui() { return m_env->ui(); }
    QString path(const QString& name) const { return m_env->path(name); }
    QString db(const QString& name, const QList<Row>& rows) {
        return makeDatabase(path(name), rows);
    }
    // Starts the main window as the application does, shown.
    MainWindow& start() {
        m_window = std::make_unique<MainWindow>(*m_settings);
        m_window->load();
        m_window->show();
        (void)QTest::qWaitForWindowExposed(m_window.get());
        return *m_window;
    }
    // Runs the Open command on a file.
    void open(const QString& location) {
        ui().queueFile(location);
        m_window->openDatabase();
    }
    template <typename T = QAction> T* control(const QString& name) const {
        return m_window->findChild<T*>(name);
    }
    // The message boxes shown since the last clearRecords(), then clears the record.
    void checkMessages(const QList<Message>& expected) {
        const QList<Message> shown = ui().messages();
        ui().clearRecords();
        QCOMPARE(shown.size(), expected.size());
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown[i].text, expected[i].text);
            QCOMPARE(shown[i].title, expected[i].title);
            QCOMPARE(shown[i].icon, expected[i].icon);
            QCOMPARE(shown[i].buttons, expected[i].buttons);
        }
    }
    // A menu caption as the user reads it: without the access key's "&".
    static QString caption(const QAction* action) {
        QString text = action->text();
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('&'))
                text.remove(i, 1);
        }
        return text;
    }
    QString panel(const char* key) const { return control<QLabel>(QLatin1String(key))->text(); }
    QStringList panels() const {
        QStringList texts;
        for (const char* key : {"CurrentOpportunity", "CurrentForecast", "CurrentRevenue",
                                "TotalOpportunity", "TotalForecast", "TotalRevenue"})
            texts.append(panel(key));
        return texts;
    }
    QStringList listColumn(int column) const {
        QStringList texts;
        const QAbstractItemModel* model = m_window->listView().model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, column).data().toString());
        return texts;
    }
    QStringList listColumn(const QString& key) const {
        return listColumn(m_window->listModel().columnOf(key));
    }
    QStringList checkedEntries() const {
        QStringList names;
        for (const QAction* entry : control<QMenu>("mnuWindow")->actions())
            if (entry->isChecked())
                names.append(entry->objectName());
        return names;
    }
    // Every open database has its own Window value; its Window menu entry carries that value and
    // its file, and the value finds the database again.
    void checkWindowEntries() {
        QSet<qint32> used;
        for (int i = 0; i < m_window->databases().count(); ++i) {
            const SalesDatabase& database = m_window->databases().at(i);
            used.insert(database.window());
            QCOMPARE(m_window->databases().byWindow(database.window()), &database);
            const QAction* entry = control(QStringLiteral("mnudbList_%1").arg(database.window()));
            QVERIFY(entry);
            QCOMPARE(caption(entry),
                     QString::number(database.window()) + QLatin1Char(' ') + database.location());
        }
        QCOMPARE(used.size(), m_window->databases().count());
        QCOMPARE(control<QMenu>("mnuWindow")->actions().size(), m_window->databases().count() + 1);
    }
    void selectRow(const QString& key) {
        const int row = m_window->listModel().rowOf(key);
        const QModelIndex index =
            m_window->sortProxy().mapFromSource(m_window->listModel().index(row, 0));
        QTreeView& list = m_window->listView();
        list.scrollTo(index);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(index).center());
    }
    void clickHeaderAt(int x) {
        QHeaderView* header = m_window->listView().header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    // Clicks the card of `key` on the board.
    void clickCard(const QString& key) {
        for (auto* column : m_window->findChildren<BoardColumnView*>()) {
            const QModelIndexList found = column->model()->match(
                column->model()->index(0, 0), Qt::UserRole, key, 1, Qt::MatchExactly);
            if (found.isEmpty())
                continue;
            column->scrollTo(found.first());
            QTest::mouseClick(column->viewport(), Qt::LeftButton, {},
                              column->visualRect(found.first()).center());
            return;
        }
        QFAIL("no such card");
    }
    void choose(const char* comboName, int index) {
        auto* combo = control<QComboBox>(QLatin1String(comboName));
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
}

void TestMainWindow::cleanup() {
    m_window.reset();
    m_settings.reset();
    m_env.reset();
}

// ---------------------------------------------------------------------------------------------
// Start-up and databases

void TestMainWindow::startUp_data() {
    QTest::addColumn<QString>("stored"); // file name in the temporary folder; "-": nothing
    QTest::addColumn<bool>("outlook");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QList<Message>>("messages"); // %1 = the stored path
    QTest::newRow("nothing stored") << "-" << false << 0 << QList<Message>{};
    QTest::newRow("empty text stored, dialog cancelled") << "" << false << 1 << QList<Message>{};
    QTest::newRow("stored file deleted")
        << "gone.mdb" << false << 0
        << QList<Message>{
               {"Could not open %1", "Open Database File.", Icon::Exclamation, Buttons::Ok}};
    QTest::newRow("stored file opens") << "a.mdb" << false << 0 << QList<Message>{};
    QTest::newRow("stored file opens, Outlook on") << "a.mdb" << true << 0 << QList<Message>{};
}

void TestMainWindow::startUp() {
    QFETCH(QString, stored);
    QFETCH(bool, outlook);
    QFETCH(int, dialogs);
    QFETCH(QList<Message>, messages);
    db("a.mdb", {{"One"}, {"Two"}});
    const QString location = stored.isEmpty() ? QString() : path(stored);
    if (stored != "-")
        m_env->store().saveSetting("Corvane", "Settings", "Database", location);
    if (outlook) {
        m_env->store().saveSetting("Corvane", "User", "UseOutlook", "True");
        // A contacts folder that would fail if it were read: start-up must not read it.
        m_env->store().saveSetting("Corvane", "Outlook", "ContactsFolder", path("no-such-folder"));
    }
    MainWindow& window = start();
    QCOMPARE(ui().fileRequests().size(), dialogs);
    for (Message& message : messages)
        message.text = message.text.arg(location);
    checkMessages(messages);
    QCOMPARE(window.outlookContacts() != nullptr, outlook);
    if (outlook) {
        QVERIFY(!window.outlookContacts()->contactsLoaded());
        QVERIFY(!window.outlookContacts()->outlookError());
    }
    if (stored == "a.mdb") {
        QCOMPARE(window.databases().count(), 1);
        QCOMPARE(window.windowTitle(), "Corvane - [2/2] a.mdb");
        QCOMPARE(listColumn(0), (QStringList{"One", "Two"}));
    } else {
        QCOMPARE(window.databases().count(), 0);
        QCOMPARE(window.windowTitle(), "Corvane");
        QCOMPARE(panel("TotalOpportunity"), "0");
        QCOMPARE(panel("TotalRevenue"), " $0.00 ");
    }
}

// Files named on the command line open as with Open; the Window menu lists the open databases in
// opening order and switches between them; Close shows the earliest opened of the rest.
void TestMainWindow::openAndClose() {
    const QString a = db("a.mdb", {{"A1"}});
    const QString b = db("b.mdb", {{"B1"}, {"B2"}});
    const QString missing = path("missing.mdb");
    MainWindow& window = start();
    window.openFiles({a, missing, b, db("c.mdb", {{"C1"}})});
    QVERIFY(ui().fileRequests().isEmpty());
    checkMessages(
        {{"Could not open " + missing, "Open Database File.", Icon::Exclamation, Buttons::Ok}});
    // Opening a file already open, or cancelling the dialog, changes nothing.
    open(a);
    checkMessages({{a + " is already open.", "Database Open", Icon::Information, Buttons::Ok}});
    window.openDatabase();
    checkMessages({});
    QCOMPARE(window.databases().count(), 3);
    QVERIFY(control("mnudbList_0")->isSeparator());
    QCOMPARE(caption(control("mnudbList_1")), "1 " + a);
    QCOMPARE(caption(control("mnudbList_2")), "2 " + b);
    QCOMPARE(checkedEntries(), QStringList{"mnudbList_3"});
    control("mnudbList_2")->trigger();
    QCOMPARE(checkedEntries(), QStringList{"mnudbList_2"});
    QCOMPARE(window.windowTitle(), "Corvane - [2/2] b.mdb");
    QCOMPARE(listColumn(0), (QStringList{"B1", "B2"}));

    control("mnuClose")->trigger();
    QCOMPARE(window.shownDatabase().location(), a);
    QVERIFY(!m_window->findChild<QAction*>("mnudbList_2"));
    QCOMPARE(checkedEntries(), QStringList{"mnudbList_1"});
    // The next database takes the free index 2 (the open databases' own rule), and its entry
    // stands there.
    open(db("d.mdb", {{"D1"}}));
    checkWindowEntries();
    QCOMPARE(checkedEntries(), QStringList{"mnudbList_2"});
    for (int i = 0; i < 3; ++i)
        control("mnuClose")->trigger();
    QCOMPARE(window.databases().count(), 0);
    QCOMPARE(window.windowTitle(), "Corvane");
    QCOMPARE(window.listView().model()->rowCount(), 0);
    QVERIFY(!control("mnuClose")->isEnabled());
    QCOMPARE(control<QMenu>("mnuWindow")->actions().size(), 1);
    QCOMPARE(panel("TotalOpportunity"), "0");
}

void TestMainWindow::newDatabase_data() {
    QTest::addColumn<QString>("existing");        // "", "database", "open" or "text"
    QTest::addColumn<int>("answer");              // -1: not asked
    QTest::addColumn<QList<Message>>("messages"); // %1 = the path
    QTest::addColumn<bool>("created");
    const QList<Message> replace{
        {"Do you wish to replace %1", "Replace Corvane Database", Icon::None, Buttons::YesNo}};
    QTest::newRow("missing file") << "" << -1 << QList<Message>{} << true;
    QTest::newRow("existing, replace") << "database" << int(Answer::Yes) << replace << true;
    QTest::newRow("existing, keep") << "database" << int(Answer::No) << replace << false;
    QTest::newRow("existing, not a database")
        << "text" << -1
        << QList<Message>{{"Unable to create a new database %1", "Create A New Database",
                           Icon::Exclamation, Buttons::Ok}}
        << false;
    QTest::newRow("open in the window")
        << "open" << -1
        << QList<Message>{{"%1 is currently open.", "Replacing An Open Database", Icon::Critical,
                           Buttons::Ok}}
        << false;
}

void TestMainWindow::newDatabase() {
    QFETCH(QString, existing);
    QFETCH(int, answer);
    QFETCH(QList<Message>, messages);
    QFETCH(bool, created);
    const QString file = path("new.mdb");
    if (existing == "database" || existing == "open")
        db("new.mdb", {{"Old"}});
    if (existing == "text") {
        QFile textFile(file);
        QVERIFY(textFile.open(QIODevice::WriteOnly));
        textFile.write("not a database\n");
    }
    MainWindow& window = start();
    if (existing == "open")
        open(file);
    if (answer >= 0)
        ui().queueAnswer(Answer(answer));
    ui().queueFile(file);
    control("mnuNew")->trigger();

    for (Message& message : messages)
        message.text = message.text.arg(file);
    checkMessages(messages);
    const int count = (created || existing == "open") ? 1 : 0;
    QCOMPARE(window.databases().count(), count);
    if (created) {
        QCOMPARE(window.shownDatabase().location(), file);
        QCOMPARE(window.windowTitle(), "Corvane - [0/0] new.mdb");
        QCOMPARE(checkedEntries(), QStringList{"mnudbList_1"});
        // The file is a new, empty database.
        const auto reopened = SalesDatabase::open(file);
        QVERIFY(reopened);
        QCOMPARE((*reopened)->opportunities().count(), 0);
    } else if (existing != "text") {
        const auto kept = fromFile(file, "Key=1");
        QVERIFY(kept);
        QCOMPARE(kept->description(), "Old");
    }

    // A cancelled dialog ends New silently.
    window.newDatabase();
    checkMessages({});
    QCOMPARE(window.databases().count(), count);
}

void TestMainWindow::exitStoresDatabaseAndWidths_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Exit") << "exit";
    QTest::newRow("window frame") << "close";
    QTest::newRow("session ends") << "session";
}

void TestMainWindow::exitStoresDatabaseAndWidths() {
    QFETCH(QString, how);
    const QString a = db("a.mdb", {{"A1"}});
    m_settings->columns().item("Note")->setDisplayed(false);
    m_settings->user().setTerritory("North");
    MainWindow& window = start();
    open(db("b.mdb", {{"B1"}}));
    open(a);
    const qreal dpi = window.logicalDpiX();
    QHeaderView* header = window.listView().header();
    header->resizeSection(window.listModel().columnOf("Company"), 150);
    // A rebuild keeps the width the user gave the column.
    window.showListView(true);
    QCOMPARE(header->sectionSize(window.listModel().columnOf("Company")), 150);

    if (how == "exit")
        control("mnuExit")->trigger();
    else if (how == "close")
        window.close();
    else
        window.commitData();
    auto storedValue = [this](const char* section, const char* name) {
        return m_env->store().getSetting("Corvane", section, name, "<missing>");
    };
    QCOMPARE(storedValue("Settings", "Database"), a);
    if (how == "session") {
        // Written at once, not left for the process end.
        QCOMPARE(storedValue("Display", "NoteDisplay"), "False");
        QCOMPARE(storedValue("User", "Territory"), "North");
        QCOMPARE(storedValue("Revenue", "High"), "9999999");
    }
    const ColumnsInfo& columns = m_settings->columns();
    QCOMPARE(int(columns.item("Company")->width()), qRound(150 * 1440 / dpi));
    QCOMPARE(int(columns.item("Note")->width()), 1500); // hidden: kept

    // The layout was written at shut-down; with nothing shown "" is stored.
    QCOMPARE(storedValue("Display", "CompanyWidth"), QString::number(qRound(150 * 1440 / dpi)));
    window.closeDatabase();
    window.closeDatabase();
    window.shutDown();
    QCOMPARE(storedValue("Settings", "Database"), QString());
}

// ---------------------------------------------------------------------------------------------
// Menus, toolbar, status bar

void TestMainWindow::toolbarAndSize() {
    MainWindow& window = start();
    // Keys compare exactly: "file" is no key, "File" opens.
    window.runToolbarButton("file");
    window.runToolbarButton("Nothing");
    QCOMPARE(ui().fileRequests().size(), 0);
    control("File")->trigger();
    QCOMPARE(ui().fileRequests().size(), 1);

    // Every button shows an icon, from the theme or the bundled ones, and carries its key.
    for (QAction* button : control<QToolBar>("toolbar")->actions()) {
        QVERIFY2(!button->icon().pixmap(24, 24).isNull(), qPrintable(button->objectName()));
        QCOMPARE(button->data().toString(), button->objectName());
    }

    const qreal dpi = window.logicalDpiX();
    window.resize(50, 50);
    QCOMPARE(window.width(), qRound(3800 * dpi / 1440));
    QCOMPARE(window.height(), qRound(4500 * dpi / 1440));
    // The list sits above the quick-info frame.
    QTRY_VERIFY(control<QWidget>("frame_Quickinfo")->geometry().top() >=
                window.listView().geometry().bottom());
}

// ---------------------------------------------------------------------------------------------
// The list

void TestMainWindow::titleAndTotals() {
    const QString a = db("a.mdb", {{"A1", "1000"},
                                   {"A2", "$2,500.50"},
                                   {"A3 filtered out", "0"},
                                   {"A4 filtered out", "5000"}});
    const QString b = db("b.mdb", {{"B1", "400"}});
    // The stored revenue bounds (0 and 3000, both exclusive) keep A3 and A4 out of the list.
    m_env->store().saveSetting("Corvane", "Revenue", "High", "3000");
    MainWindow& window = start();
    open(b);
    open(a);
    QCOMPARE(window.windowTitle(), "Corvane - [4/2] a.mdb");
    QCOMPARE(listColumn(0), (QStringList{"A1", "A2"}));
    QCOMPARE(panels(),
             (QStringList{"2", " $3,500.50 ", " $8,500.50 ", "3", " $3,900.50 ", " $8,900.50 "}));

    // Hidden by the filter after opening: absent from the list and the forecast, present in
    // the revenue.
    window.shownDatabase().opportunities().item("Key=2")->setVisible(false);
    window.showListView(false);
    QCOMPARE(window.windowTitle(), "Corvane - [4/1] a.mdb");
    QCOMPARE(panels(),
             (QStringList{"1", " $1,000.00 ", " $8,500.50 ", "2", " $1,400.00 ", " $8,900.50 "}));

    window.showWindowEntry(1);
    QCOMPARE(window.windowTitle(), "Corvane - [1/1] b.mdb");
    QCOMPARE(panel("CurrentRevenue"), " $400.00 ");
    QCOMPARE(panel("TotalRevenue"), " $8,900.50 ");
}

// The window's side of sorting (the toggles themselves: TestListLayout): a header click and the
// Sort menu sort the list and check their entry; a rebuild keeps the sort; "Not Sorted" returns
// to collection order with the same opportunity selected.
void TestMainWindow::sortByHeaderAndMenu() {
    MainWindow& window = start();
    open(db("a.mdb", {{.description = "b", .company = "Kilo", .unitPrice = "20"},
                      {.description = "c", .company = "alpha", .unitPrice = "100"},
                      {.description = "a", .company = "Zulu", .unitPrice = "3"}}));
    const SortChoice& settings = m_settings->sortChoice();
    QHeaderView* header = window.listView().header();
    QVERIFY(control("mnuSortChoices_0")->isChecked());

    const int company = window.listModel().columnOf("Company");
    clickHeaderAt(header->sectionViewportPosition(company) + header->sectionSize(company) / 2);
    QCOMPARE(listColumn(company), (QStringList{"alpha", "Kilo", "Zulu"}));
    QCOMPARE(*settings.displaySortKey(), "Company");
    QVERIFY(control("mnuSortChoices_2")->isChecked());
    QVERIFY(!control("mnuSortChoices_0")->isChecked());

    // "Price" in the Sort menu sorts the UnitPrice cells as text: "100" before "20".
    control("mnuSortChoices_7")->trigger();
    control("mnuSortChoices_7")->trigger();
    window.showListView(true);
    QVERIFY(control("mnuSortChoices_7")->isChecked());
    QVERIFY(!control("mnuSortChoices_2")->isChecked());
    QCOMPARE(listColumn(QStringLiteral("UnitPrice")), (QStringList{"3", "20", "100"}));

    selectRow("Key=3");
    control("mnuSortChoices_0")->trigger();
    QCOMPARE(listColumn(0), (QStringList{"b", "c", "a"}));
    QCOMPARE(window.selectedKey(), "Key=3");
    QCOMPARE(window.listView().currentIndex().row(), 2);
    QVERIFY(control("mnuSortChoices_0")->isChecked());
    QVERIFY(!settings.displaySorted());
    QVERIFY(!header->isSortIndicatorShown());
}

void TestMainWindow::hiddenColumns() {
    ColumnsInfo& columns = m_settings->columns();
    for (qint32 position = 1; position <= columns.count(); ++position)
        columns.item(position)->setDisplayed(columns.item(position)->key() == "Note");
    MainWindow& window = start();
    open(db("a.mdb", {{.description = "A1", .note = "the note"}}));
    const QAbstractItemModel* model = window.listView().model();
    // The note and the empty last column.
    QCOMPARE(model->columnCount(), 2);
    QCOMPARE(listColumn(0), QStringList{"the note"});
    for (int position = 0; position <= 14; ++position)
        QCOMPARE(control(QStringLiteral("mnuSortChoices_%1").arg(position))->isVisible(),
                 position == 0 || position == 5);

    // Sorted by a column that is not displayed: the list shows collection order.
    m_settings->sortChoice().setDisplaySortKey("Company");
    m_settings->sortChoice().setDisplaySorted(true);
    window.showListView(false);
    QVERIFY(!window.listView().header()->isSortIndicatorShown());
    QCOMPARE(model->rowCount(), 1);
}

void TestMainWindow::commandStates_data() {
    QTest::addColumn<QString>("state"); // none, empty, filtered, rows
    QTest::addColumn<bool>("useOutlook");
    QTest::newRow("no database") << "none" << false;
    QTest::newRow("no database, Outlook") << "none" << true;
    QTest::newRow("empty database") << "empty" << false;
    QTest::newRow("all filtered out, Outlook") << "filtered" << true;
    QTest::newRow("rows") << "rows" << false;
    QTest::newRow("rows, Outlook") << "rows" << true;
}

void TestMainWindow::commandStates() {
    QFETCH(QString, state);
    QFETCH(bool, useOutlook);
    m_settings->user().setUseOutlook(useOutlook);
    MainWindow& window = start();
    if (state == "empty")
        open(db("a.mdb", {}));
    else if (state == "filtered")
        open(db("a.mdb", {{"zero", "0"}}));
    else if (state == "rows")
        open(db("a.mdb", {{"A1"}}));
    const bool hasDatabase = state != "none";
    const bool hasRows = state == "rows";
    QCOMPARE(window.hasRows(), hasRows);

    auto enabled = [this](const QString& name) {
        const QAction* action = control(name);
        return action ? action->isEnabled() : control<QWidget>(name)->isEnabled();
    };
    const QList<std::pair<QStringList, bool>> expected{
        {{"mnuSort", "mnuCopyOpportunity", "mnuEditOpportunity", "mnuDeleteOpportunity", "Edit",
          "Delete", "Copy"},
         hasRows},
        // The quick-info panel, the calendar and the mail wait for a selected row.
        {{"combo_Stage", "combo_Probability", "txt_Notes", "mnuTask", "mnuAppt", "mnuEmail"},
         false},
        // A new opportunity can be made in any shown database, also by keyboard.
        {{"mnuClose", "mnuExport", "mnuImport", "mnuPrint", "mnuSaveAs", "mnuFilter", "Close",
          "New", "mnuOpportunity", "mnuNewOpportunity"},
         hasDatabase},
        {{"mnuSend", "Send"}, useOutlook && hasDatabase},
        {{"File"}, true}};
    for (const auto& [names, on] : expected)
        for (const QString& name : names)
            QVERIFY2(enabled(name) == on, qPrintable(name));
    QCOMPARE(window.listView().isEnabled(), hasDatabase);
    if (hasRows) {
        window.listView().setCurrentIndex(window.sortProxy().index(0, 0));
        for (const char* name : {"mnuTask", "mnuAppt", "mnuEmail"})
            QVERIFY2(enabled(name) == useOutlook, name);
    }

    // Paste is hidden and disabled until something was copied, and needs a shown database.
    QAction* paste = control("mnuPasteOpportunity");
    QVERIFY(!paste->isEnabled() && !paste->isVisible() && !enabled("Paste"));
    window.setOpportunityCopied(true);
    window.updateCommandState();
    QCOMPARE(paste->isEnabled(), hasDatabase);
    QCOMPARE(enabled("Paste"), hasDatabase);
    QVERIFY(paste->isVisible());
}

// ---------------------------------------------------------------------------------------------
// The quick-info panel

void TestMainWindow::quickInfo() {
    const QString a = db("a.mdb", {{.description = "A1",
                                    .probability = "50% - Competitive",
                                    .stage = "Assess Business",
                                    .note = "first note"},
                                   {.description = "A2",
                                    .probability = "90% - Verbal Commitment",
                                    .stage = "lead",
                                    .note = "second note"}});
    MainWindow& window = start();
    open(a);
    window.applySortChoice("Probability");
    auto* stage = control<QComboBox>("combo_Stage");
    auto* probability = control<QComboBox>("combo_Probability");
    auto* notes = control<QPlainTextEdit>("txt_Notes");

    selectRow("Key=1");
    QCOMPARE(stage->currentText(), "Assess Business");
    QCOMPARE(probability->currentText(), "50% - Competitive");
    QCOMPARE(notes->toPlainText(), "first note");
    QVERIFY(window.listView().hasFocus());
    // Another row: both combos and the note follow; "lead" is no entry of the list.
    selectRow("Key=2");
    QCOMPARE(stage->currentIndex(), -1);
    QCOMPARE(probability->currentText(), "90% - Verbal Commitment");
    QCOMPARE(notes->toPlainText(), "second note");

    // A choice is written to the file at once; the list is rebuilt, still sorted, with the
    // row selected at its new place.
    choose("combo_Probability", 5);
    QCOMPARE(fromFile(a, "Key=2")->probability(), "100% - Won");
    QCOMPARE(fromFile(a, "Key=1")->probability(), "50% - Competitive");
    QCOMPARE(window.selectedKey(), "Key=2");
    QCOMPARE(listColumn(QStringLiteral("Probability")),
             (QStringList{"100% - Won", "50% - Competitive"}));
    QCOMPARE(window.listView().currentIndex().row(), 0);
    QCOMPARE(notes->toPlainText(), "second note");
    choose("combo_Stage", 4);
    QCOMPARE(fromFile(a, "Key=2")->stage(), "Present/Propose");
    QCOMPARE(window.shownDatabase().opportunities().item("Key=2")->stage(), "Present/Propose");
    QVERIFY(ui().messages().isEmpty());

    // A rebuild without restoring the selection (as when another database is shown) empties and
    // disables the panel; a change then reaches no opportunity.
    window.showListView(false);
    QCOMPARE(window.selectedKey(), QString());
    QCOMPARE(notes->toPlainText(), QString());
    QVERIFY(!notes->isEnabled() && !stage->isEnabled() && !probability->isEnabled());
    choose("combo_Stage", 0);
    QCOMPARE(fromFile(a, "Key=2")->stage(), "Present/Propose");
    QCOMPARE(fromFile(a, "Key=1")->stage(), "Assess Business");
}

void TestMainWindow::noteEditor_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("atStart"); // typed after moving to the start
    QTest::newRow("OK") << true << false << " and new" << QString();
    QTest::newRow("Cancel") << false << false << " and new" << QString();
    QTest::newRow("Enter on the note, OK") << true << true << " and new" << QString();
    // Typing beyond 128 characters, at the end or at the start, is cut back to the limit.
    QTest::newRow("limit") << true << false << QString(140, QLatin1Char('x')) << "yz";
}

void TestMainWindow::noteEditor() {
    QFETCH(bool, ok);
    QFETCH(bool, byKey);
    QFETCH(QString, typed);
    QFETCH(QString, atStart);
    const QString a = db("a.mdb", {{.description = "A1", .note = "old"}});
    MainWindow& window = start();
    open(a);
    selectRow("Key=1");
    auto* notes = control<QPlainTextEdit>("txt_Notes");

    bool ran = false;
    QString shownNote, title, edited;
    QTimer::singleShot(0, this, [&] {
        auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!editor || editor->objectName() != "NoteEditor")
            return;
        auto* text = editor->findChild<QPlainTextEdit*>("txt_Note");
        shownNote = text->toPlainText();
        title = editor->windowTitle();
        QTest::keyClicks(text, typed);
        text->moveCursor(QTextCursor::Start);
        QTest::keyClicks(text, atStart);
        edited = text->toPlainText();
        QTest::mouseClick(editor->findChild<QPushButton*>(ok ? "OKButton" : "CancelButton"),
                          Qt::LeftButton);
        ran = true;
    });
    if (byKey)
        QTest::keyClick(notes, Qt::Key_Return);
    else
        QTest::mousePress(notes->viewport(), Qt::LeftButton);
    QTRY_VERIFY(ran);
    QCOMPARE(shownNote, "old");
    QCOMPARE(title, "Edit Note");
    QCOMPARE(edited, "old" + typed.left(125));
    const QString expected = ok ? edited : QStringLiteral("old");
    QCOMPARE(notes->toPlainText(), expected);
    QCOMPARE(fromFile(a, "Key=1")->note(), expected);
    QCOMPARE(listColumn(QStringLiteral("Note")), QStringList{expected});
    QCOMPARE(window.selectedKey(), "Key=1");
}

// A failed write from the panel reports the file and the cause, and the opportunity returns to
// what the file holds.
void TestMainWindow::quickInfoWriteFailure_data() {
    QTest::addColumn<bool>("locked");
    QTest::newRow("file deleted") << false;
    QTest::newRow("file locked") << true;
}

void TestMainWindow::quickInfoWriteFailure() {
    QFETCH(bool, locked);
    const QString a = db("a.mdb", {{"A1"}, {"A2"}});
    MainWindow& window = start();
    open(a);
    selectRow("Key=2");
    FileLock lock(nullptr, nullptr);
    if (locked)
        lock = lockFile(a);
    else
        QVERIFY(QFile::remove(a));
    const qsizetype cursorChanges = ui().waitCursorChanges().size();
    choose("combo_Probability", 5);
    // The write waited for the file under the busy cursor.
    QCOMPARE(ui().waitCursorChanges().mid(cursorChanges), (QList<bool>{true, false}));

    const QString text = ui().messages().value(0).text;
    QVERIFY2(text.contains(a) && text.size() > a.size() + 20, qPrintable(text)); // and a cause
    checkMessages({{text, "Corvane", Icon::Exclamation, Buttons::Ok}});
    QCOMPARE(window.shownDatabase().opportunities().item("Key=2")->probability(),
             "25% - Long Shot");
    QCOMPARE(control<QComboBox>("combo_Probability")->currentText(), "25% - Long Shot");
    QCOMPARE(listColumn(QStringLiteral("Probability")),
             (QStringList{"25% - Long Shot", "25% - Long Shot"}));
    QCOMPARE(window.selectedKey(), "Key=2");

    if (lock) {
        lock.reset();
        QCOMPARE(fromFile(a, "Key=2")->probability(), "25% - Long Shot");
        // Once the file is free again, the same change goes through.
        choose("combo_Probability", 5);
        checkMessages({});
        QCOMPARE(fromFile(a, "Key=2")->probability(), "100% - Won");
    }
}

// ---------------------------------------------------------------------------------------------
// Found when the window was tried as a new user would

void TestMainWindow::accessKeysAndKeyboard() {
    MainWindow& window = start();
    open(db("a.mdb", {{"A1"}, {"A2"}}));
    // Every menu and item has an access key of its own within its menu.
    const std::function<void(const QList<QAction*>&)> check = [&](const QList<QAction*>& items) {
        QSet<QString> keys;
        for (const QAction* item : items) {
            if (item->isSeparator())
                continue;
            const QString key = QKeySequence::mnemonic(item->text()).toString();
            QVERIFY2(!key.isEmpty() && !keys.contains(key),
                     qPrintable(item->text() + QLatin1Char(' ') + key));
            keys.insert(key);
            if (item->menu())
                check(item->menu()->actions());
        }
    };
    check(window.menuBar()->actions());

    // F10 opens the first menu.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F10);
    QTRY_VERIFY(control<QMenu>("mnuFile")->isVisible());
    control<QMenu>("mnuFile")->close();

    // The first Down in the list selects the first row, though the view has a current row.
    window.listView().setFocus();
    window.listView().selectionModel()->setCurrentIndex(window.sortProxy().index(0, 0),
                                                        QItemSelectionModel::NoUpdate);
    QTest::keyClick(&window.listView(), Qt::Key_Down);
    QCOMPARE(window.selectedKey(), "Key=1");
    QTest::keyClick(&window.listView(), Qt::Key_Down);
    QCOMPARE(window.selectedKey(), "Key=2");
}

// Every panel shown is at least as wide as its text, and panels do not overlap.
void TestMainWindow::statusPanelsNeverCut() {
    MainWindow& window = start();
    open(db("a.mdb", {{.description = "A1", .revenue = "1266939364"}}));
    open(db("b.mdb", {{.description = "B1", .revenue = "1266939364"}}));
    const QStringList keys{"TotalOpportunity",   "TotalForecast",   "TotalRevenue",
                           "CurrentOpportunity", "CurrentForecast", "CurrentRevenue"};
    for (const int width : {1100, 800, 640, 400, 0}) {
        window.resize(width, window.height());
        QTRY_COMPARE(window.statusBar()->width(), window.width());
        QTest::qWait(50); // the bar lays out the panels left shown
        int right = -1;
        for (const QString& key : keys) {
            const auto* label = control<QLabel>(key);
            if (!label->isVisible())
                continue;
            const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
            QVERIFY2(label->contentsRect().width() >= textWidth,
                     qPrintable(QStringLiteral("%1 at %2").arg(key).arg(width)));
            QVERIFY(label->geometry().left() > right);
            right = label->geometry().right();
        }
        QVERIFY(control<QLabel>("CurrentOpportunity")->isVisible());
        QVERIFY2(right <= window.statusBar()->width(),
                 qPrintable(QStringLiteral("%1: %2").arg(width).arg(right)));
    }
}

void TestMainWindow::wheelDoesNotEditCombos() {
    const QString a = db("a.mdb", {{"A1"}});
    MainWindow& window = start();
    open(a);
    selectRow("Key=1");
    for (const char* name : {"combo_Stage", "combo_Probability"}) {
        auto* combo = control<QComboBox>(QLatin1String(name));
        const int before = combo->currentIndex();
        const QPointF at = combo->rect().center();
        QWheelEvent wheel(at, combo->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(combo, &wheel);
        QCOMPARE(combo->currentIndex(), before);
    }
    QCOMPARE(fromFile(a, "Key=1")->stage(), "Lead");
    QCOMPARE(fromFile(a, "Key=1")->probability(), "25% - Long Shot");
    QCOMPARE(window.shownDatabase().opportunities().item("Key=1")->stage(), "Lead");
}

// After a sort the view shows the selected row, or the top; the empty last header leaves the
// arrow where it was.
void TestMainWindow::sortShowsSelectionOrTop() {
    QList<Row> rows;
    for (int i = 0; i < 300; ++i)
        rows.append({.description = QStringLiteral("D%1").arg(i, 3, 10, QLatin1Char('0'))});
    MainWindow& window = start();
    open(db("a.mdb", rows));
    QTreeView& list = window.listView();
    // The view has a current row (as after focus) but nothing selected.
    list.selectionModel()->setCurrentIndex(window.sortProxy().index(0, 0),
                                           QItemSelectionModel::NoUpdate);
    window.applySortChoice(QStringLiteral("Description"));
    window.applySortChoice(QStringLiteral("Description")); // descending: row 1 goes last
    QCOMPARE(list.verticalScrollBar()->value(), 0);

    selectRow("Key=300"); // the top row, which the next sort takes to the bottom
    window.applySortChoice(QStringLiteral("Description"));
    const QRect shown = list.visualRect(list.selectionModel()->selectedRows().value(0));
    QVERIFY(list.viewport()->rect().contains(shown));

    QHeaderView* header = list.header();
    const int sorted = header->sortIndicatorSection();
    const Qt::SortOrder order = header->sortIndicatorOrder();
    clickHeaderAt(header->sectionViewportPosition(window.listModel().columnCount() - 1) + 5);
    QCOMPARE(header->sortIndicatorSection(), sorted);
    QCOMPARE(header->sortIndicatorOrder(), order);
    QVERIFY(header->isSortIndicatorShown());
}

void TestMainWindow::dropsMergeAlikeEverywhere_data() {
    QTest::addColumn<QString>("place"); // list, panel, toolbar
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("note");
    for (const char* place : {"list", "panel", "toolbar"}) {
        QTest::addRow("lead file on the %s", place)
            << place << "LEADS2.TXT" << false << 1 << "Merged 1 opportunity from LEADS2.TXT";
        QTest::addRow("database on the %s", place)
            << place << "Other.MDB" << false << 2 << "Merged 2 opportunities from Other.MDB";
    }
    QTest::newRow("cancelled") << "panel"
                               << "Other.MDB" << true << 0
                               << "Merge of Other.MDB cancelled; nothing was added";
}

void TestMainWindow::dropsMergeAlikeEverywhere() {
    QFETCH(QString, place);
    QFETCH(QString, file);
    QFETCH(bool, cancel);
    QFETCH(int, added);
    QFETCH(QString, note);
    MainWindow& window = start();
    open(db("a.mdb", {{"A1"}}));
    db("Other.MDB", {{"B1"}, {"B2"}});
    QFile leads(path("LEADS2.TXT"));
    QVERIFY(leads.open(QIODevice::WriteOnly));
    leads.write("Vantick leads\r\nFirst\tB\tC\tD\tE\tF\tG\tH\tI\tCompany\tLast\tL\tM\r\nAnn\r\n");
    leads.close();
    ui().clearRecords();
    if (cancel)
        ui().cancelWorkAt(0);

    // Qt hands a drop to the nearest widget under it that takes drops.
    QWidget* under = place == "list"    ? window.listView().viewport()
                     : place == "panel" ? control<QWidget>("txt_Notes")->childAt(2, 2)
                                        : static_cast<QWidget*>(window.findChild<QToolBar*>());
    if (!under)
        under = control<QWidget>("txt_Notes");
    while (under && !under->acceptDrops())
        under = under->parentWidget();
    QVERIFY(under);
    QCOMPARE(under == &window, place != "list");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path(file))});
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Delivered as Qt delivers it during a drag (sendEvent refuses drops outside one): to the
    // event filters of the target, then to the target.
    QObject& windowObject = window;
    QObject& target = *under;
    if (!(under == window.listView().viewport() && windowObject.eventFilter(under, &drop)))
        target.event(&drop);

    QCOMPARE(window.listModel().rowCount(), 1 + added);
    QCOMPARE(window.statusBar()->currentMessage(), note);
    QCOMPARE(ui().works().size(), 1);
    QCOMPARE(ui().works().constFirst().title, QStringLiteral("Merge"));
    QVERIFY(ui().works().constFirst().ended);
    // A cancelled merge leaves no step to undo.
    QCOMPARE(window.databases().history().canUndo(), !cancel);
}

void TestMainWindow::emptyListExplainsItself() {
    MainWindow& window = start();
    // Revenue 0 does not pass the default filter.
    open(db("a.mdb",
            {{.description = "A1", .revenue = "0"}, {.description = "A2", .revenue = "0"}}));
    auto* note = control<QLabel>("lbl_EmptyList");
    QVERIFY(note->isVisible());
    QVERIFY2(note->text().contains("Tools > Filter"), qPrintable(note->text()));
    QCOMPARE(note->parentWidget(), window.listView().viewport());

    open(db("b.mdb", {{"B1"}}));
    QVERIFY(!note->isVisible());
}

void TestMainWindow::signalEndsAsExit_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestMainWindow::signalEndsAsExit() {
    QFETCH(int, signalNumber);
    const QString a = db("a.mdb", {{"A1"}});
    start();
    open(a);
    ::raise(signalNumber);
    QTRY_VERIFY(!m_window->isVisible());
    const QSettings stored(m_env->settingsPath(), QSettings::IniFormat);
    QCOMPARE(m_env->store().getSetting("Corvane", "Settings", "Database", "-"), a);
    QVERIFY(stored.allKeys().size() > 10); // the layout and the filter too
}

// With no widths stored, columns fit their content within a cap, and those widths are stored;
// stored widths are used as they are (the cells' alignment: TestOpportunityListModel).
void TestMainWindow::firstRunColumnWidths() {
    m_env->store().saveSetting("Corvane", "Display", "CompanyWidth", "1500");
    MainWindow& window = start();
    open(db("a.mdb", {{.description = "A rather long description of this deal", .company = "X"},
                      {.description = QString(128, QLatin1Char('W'))}}));
    QHeaderView* header = window.listView().header();
    const int description = window.listModel().columnOf("Description");
    const int product = window.listModel().columnOf("Product");
    const qreal dpi = window.logicalDpiX();
    QCOMPARE(header->sectionSize(window.listModel().columnOf("Company")),
             qRound(1500 * dpi / 1440));
    QVERIFY(header->sectionSize(description) >
            header->fontMetrics().horizontalAdvance("A rather long description"));
    QVERIFY(header->sectionSize(description) < window.width() / 2);
    QVERIFY(header->sectionSize(product) != qRound(1500 * dpi / 1440));
    QCOMPARE(int(m_settings->columns().item("Description")->width()),
             qRound(header->sectionSize(description) * 1440 / dpi));
}

void TestMainWindow::firstWindowFitsScreen() {
    MainWindow& window = start();
    const QRect available = window.screen()->availableGeometry();
    QVERIFY(available.contains(window.frameGeometry()));
    QVERIFY((window.frameGeometry().center() - available.center()).manhattanLength() <= 40);
}

// Files named on the command line take the place of start-up's own choice.
void TestMainWindow::commandLineTakesStartUpsPlace() {
    const QString a = db("a.mdb", {{"A1"}});
    for (const QString& stored : {a, QString()}) {
        m_env->store().saveSetting("Corvane", "Settings", "Database", stored);
        m_window = std::make_unique<MainWindow>(*m_settings);
        m_window->load({a});
        QCOMPARE(m_window->databases().count(), 1);
        QCOMPARE(ui().fileRequests().size(), 0);
        checkMessages({});
    }

    // A name that is not UTF-8 would name another file once decoded: it is refused, the other
    // names open, and no file is made under the decoded name.
    const QByteArray bad = QFile::encodeName(path("bad")) + "\xff.mdb";
    m_window = std::make_unique<MainWindow>(*m_settings);
    m_window->load(QList<QByteArray>{bad, QFile::encodeName(a)});
    QCOMPARE(m_window->databases().count(), 1);
    checkMessages({{"The name " + QFile::decodeName(bad) +
                        " is not valid UTF-8 text: it would name another file. Rename the file "
                        "to use it with Corvane.",
                    "Open Database File.", Icon::Exclamation, Buttons::Ok}});
    QCOMPARE(QDir(path(".")).entryList({"bad*"}, QDir::Files | QDir::Hidden), QStringList());
}

// The board: Ctrl+2 shows it on the list's selected opportunity; Ctrl+Right moves the card to the
// next stage in the file and on the board, Ctrl+Z puts it back; arrows go from card to card, a
// drop moves a card, a refused write leaves it and says why; the choice of view lasts.
void TestMainWindow::boardMovesCardsByKeyboardAndDrop() {
    const QString a =
        db("a.mdb", {{.description = "A1", .company = "Acme"},
                     {.description = "A2", .company = "Birch"},
                     {.description = "A3", .company = "Cobalt", .stage = "Assess Business"}});
    MainWindow& window = start();
    open(a);
    selectRow("Key=2");
    QCOMPARE(caption(control("mnuView")), "View");
    const QList<QAction*> bar = window.menuBar()->actions();
    QCOMPARE(bar.indexOf(control("mnuView")), bar.indexOf(control("mnuEdit")) + 1);

    QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
    auto* board = control<BoardView>("board");
    QCOMPARE(control<QStackedWidget>("stk_Views")->currentWidget(), board);
    QVERIFY(control("mnuViewBoard")->isChecked());
    QCOMPARE(board->selectedKey(), "Key=2");
    auto* lead = control<BoardColumnView>("lv_BoardColumn_0");
    const auto header = [this](int column) {
        return control<QLabel>(QStringLiteral("lbl_BoardColumn_%1").arg(column))->text();
    };
    QVERIFY2(header(0).startsWith("<b>Lead</b> (2)<br>Revenue $2,000.00<br>Weighted $500.00"),
             qPrintable(header(0)));
    // The board has the focus on the selected card's column; Tab reaches the next column.
    QVERIFY(lead->hasFocus());
    QTest::keyClick(lead, Qt::Key_Tab);
    QVERIFY(control<BoardColumnView>("lv_BoardColumn_1")->hasFocus());
    QTest::keyClick(control<BoardColumnView>("lv_BoardColumn_1"), Qt::Key_Backtab,
                    Qt::ShiftModifier);
    QVERIFY(lead->hasFocus());

    QTest::keyClick(lead, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(fromFile(a, "Key=2")->stage(), "Identify Opportunity");
    QVERIFY(header(0).startsWith("<b>Lead</b> (1)"));
    QVERIFY(header(1).startsWith("<b>Identify Opportunity</b> (1)"));
    QCOMPARE(board->selectedKey(), "Key=2");
    QCOMPARE(window.selectedKey(), "Key=2");
    QCOMPARE(control<QComboBox>("combo_Stage")->currentText(), "Identify Opportunity");
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(fromFile(a, "Key=2")->stage(), "Lead");
    QVERIFY(header(0).startsWith("<b>Lead</b> (2)"));
    QVERIFY(header(1).startsWith("<b>Identify Opportunity</b> (0)"));

    // Right goes past the empty column to the next card; Left comes back.
    clickCard("Key=2");
    QTest::keyClick(lead, Qt::Key_Right);
    QCOMPARE(window.selectedKey(), "Key=3");
    QTest::keyClick(control<BoardColumnView>("lv_BoardColumn_2"), Qt::Key_Left);
    QCOMPARE(window.selectedKey(), "Key=1");

    // A card dropped on another column moves there once the drag is over.
    auto* develop = control<BoardColumnView>("lv_BoardColumn_3");
    QMimeData card;
    card.setData("application/x-corvane-opportunity-key", "Key=1");
    QDragEnterEvent enter(QPoint(10, 10), Qt::MoveAction, &card, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(develop->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::MoveAction, &card, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(develop->viewport(), &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE(fromFile(a, "Key=1")->stage(), "Develop Solution");
    QCOMPARE(develop->model()->rowCount(), 1);

    // A file that another program holds: the card stays and the message says why.
    {
        const auto lock = lockFile(a);
        clickCard("Key=3");
        QTest::keyClick(control<BoardColumnView>("lv_BoardColumn_2"), Qt::Key_Right,
                        Qt::ControlModifier);
        QCOMPARE(ui().messages().size(), 1);
        QVERIFY(ui().messages().first().text.contains(a));
        ui().clearRecords();
    }
    QCOMPARE(window.shownDatabase().opportunities().item("Key=3")->stage(), "Assess Business");
    QCOMPARE(board->selectedKey(), "Key=3");
    // The window's commands act on the selected card.
    QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier);
    QVERIFY(ui().clipboardText().contains("Cobalt"));

    // Back to the list with the same selection; the view chosen last is the next run's.
    QTest::keyClick(&window, Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(control<QStackedWidget>("stk_Views")->currentWidget(), &window.listView());
    QCOMPARE(window.selectedKey(), "Key=3");
    // The list alone keeps no cards; the board reads them anew when it is shown again.
    QCOMPARE(lead->model()->rowCount(), 0);
    QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(board->selectedKey(), "Key=3");
    QVERIFY(lead->model()->rowCount() > 0);
    window.close();
    QCOMPARE(QSettings(m_env->settingsPath(), QSettings::IniFormat).value("View/Shown").toString(),
             "Board");
    m_window.reset();
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
    start();
    QCOMPARE(control<QStackedWidget>("stk_Views")->currentWidget(), control<BoardView>("board"));
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
