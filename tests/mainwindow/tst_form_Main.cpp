#include "TestEnvironment.h"

#include "filter/Filters.h"
#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/OpportunitySortProxy.h"
#include "mainwindow/form_Main.h"
#include "outlook/OutlookContacts.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/Settings.h"
#include "settings/User.h"
#include "store/CVN_Database.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>
#include <sqlite3.h>

using Icon = UiServices::Icon;
using Buttons = UiServices::Buttons;
using Answer = UiServices::Answer;

namespace {

struct Row {
    QString description;
    QString revenue = QStringLiteral("1000");
    QString company = QString();
    QString unitPrice = QStringLiteral("1000");
    QString probability = QStringLiteral("25% - Long Shot");
    QString stage = QStringLiteral("Lead");
    QString note = QString();
};

// A sales database file with these opportunities (record numbers 1, 2, ...). With the filter
// criteria at their defaults, an opportunity of revenue 0 does not pass the filter.
QString makeDatabase(const QString& path, const QList<Row>& rows) {
    CVN_Database database;
    database.setDatabaseLocation(path);
    database.NewDatabase();
    if (database.DatabaseError())
        qFatal("cannot create %s", qPrintable(path));
    for (const Row& row : rows) {
        Opportunity o;
        o.setDescription(row.description);
        o.setCompany(row.company);
        o.setRevenue(row.revenue);
        o.setUnitPrice(row.unitPrice);
        o.setProbability(row.probability);
        o.setStage(row.stage);
        o.setNote(row.note);
        if (const StoreResult added = database.AddOpportunity(o); !added)
            qFatal("%s", qPrintable(added.message()));
    }
    return path;
}

// The opportunity as the file holds it now.
std::optional<Opportunity> fromFile(const QString& path, const QString& key) {
    CVN_Database database;
    database.setDatabaseLocation(path);
    if (!database.OpenDatabase())
        return std::nullopt;
    const Opportunity* o = database.Opportunities().Item(key);
    return o ? std::optional<Opportunity>(*o) : std::nullopt;
}

// Holds an exclusive lock on a database file for its life, as another program would.
class FileLock {
public:
    explicit FileLock(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &m_db);
        sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    }
    ~FileLock() {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(m_db);
    }

private:
    sqlite3* m_db = nullptr;
};

QString currency(const QString& amount) {
    return QLatin1Char(' ') + amount + QLatin1Char(' ');
}

} // namespace

class tst_form_Main : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startUp_data();
    void startUp();
    void startUpWithOutlook_data();
    void startUpWithOutlook();
    void openSameFileTwice();
    void twoDatabasesAndWindowMenu();
    void closeOrder();
    void windowIndexAfterClosingAnEarlierDatabase();
    void newDatabase_data();
    void newDatabase();
    void newOnOpenFile();
    void commandLineFiles();
    void exitStoresDatabaseAndWidths_data();
    void exitStoresDatabaseAndWidths();
    void toolbarKeys();
    void titleAndTotals();
    void sortByHeaderAndMenu();
    void notSortedKeepsSelection();
    void hiddenColumns();
    void commandStates_data();
    void commandStates();
    void quickInfoFill();
    void quickInfoWrites();
    void noteEditor_data();
    void noteEditor();
    void noteLimit();
    void quickInfoWriteFailure_data();
    void quickInfoWriteFailure();
    void minimumSize();

private:
    ScriptedUiServices& ui() { return m_env->ui(); }
    QString path(const QString& name) const { return m_env->path(name); }
    void store(const QString& location) {
        SettingsStore::instance().SaveSetting(QStringLiteral("Corvane"), QStringLiteral("Settings"),
                                              QStringLiteral("Database"), location);
    }
    QString stored() const {
        return SettingsStore::instance().GetSetting(
            QStringLiteral("Corvane"), QStringLiteral("Settings"), QStringLiteral("Database"),
            QStringLiteral("<missing>"));
    }
    // Starts the main window as the application does, shown.
    form_Main& start() {
        m_window = std::make_unique<form_Main>();
        m_window->Form_Load();
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qWarning("window not exposed");
        return *m_window;
    }
    // Runs the Open command on a file.
    void open(const QString& location) {
        ui().queueFile(location);
        m_window->mnuOpen_Click();
    }
    template <typename T = QAction> T* control(const QString& name) const {
        T* found = m_window->findChild<T*>(name);
        if (!found)
            qWarning("no control %s", qPrintable(name));
        return found;
    }
    QString panel(const char* key) const { return control<QLabel>(QLatin1String(key))->text(); }
    QStringList listColumn(int column) const {
        QStringList texts;
        const QAbstractItemModel* model = m_window->listView().model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, column).data().toString());
        return texts;
    }
    void selectRow(const QString& key) {
        const int row = m_window->listModel().RowOf(key);
        const QModelIndex index =
            m_window->sortProxy().mapFromSource(m_window->listModel().index(row, 0));
        QTreeView& list = m_window->listView();
        list.scrollTo(index);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(index).center());
    }
    void clickHeader(const QString& columnKey) {
        QHeaderView* header = m_window->listView().header();
        const int column = m_window->listModel().ColumnOf(columnKey);
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<form_Main> m_window;
};

void tst_form_Main::init() {
    m_env = std::make_unique<TestEnvironment>();
    Settings& settings = Settings::instance();
    settings.setDisplaySortKey(QStringLiteral("None"));
    settings.setDisplaySortOrder(0);
    settings.setDisplaySorted(false);
}

void tst_form_Main::cleanup() {
    m_window.reset();
    Filters::releaseInstance();
    ColumnsInfo::releaseInstance();
    User::releaseInstance();
    m_env.reset();
}

// ---------------------------------------------------------------------------------------------
// Start-up and databases

void tst_form_Main::startUpWithOutlook_data() {
    QTest::addColumn<QString>("useOutlook");
    QTest::addColumn<bool>("made");
    QTest::newRow("on") << "True" << true;
    QTest::newRow("off") << "False" << false;
    QTest::newRow("not stored") << "" << false;
}

void tst_form_Main::startUpWithOutlook() {
    QFETCH(QString, useOutlook);
    QFETCH(bool, made);
    if (!useOutlook.isEmpty())
        SettingsStore::instance().SaveSetting("Corvane", "User", "UseOutlook", useOutlook);
    // A contacts folder that would fail if it were read: start-up must not read it.
    SettingsStore::instance().SaveSetting("Corvane", "Outlook", "ContactsFolder",
                                          path("no-such-folder"));
    form_Main& window = start();
    QCOMPARE(window.outlookContacts() != nullptr, made);
    if (made) {
        QVERIFY(!window.outlookContacts()->ContactsLoaded());
        QVERIFY(!window.outlookContacts()->OutlookError());
        QCOMPARE(window.outlookContacts()->Count(), 0);
    }
    QVERIFY(ui().messages().isEmpty());
}

void tst_form_Main::startUp_data() {
    QTest::addColumn<QString>("storedCase");
    QTest::addColumn<int>("dialogs");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("databases");
    QTest::newRow("nothing stored") << "none" << 0 << "" << 0;
    QTest::newRow("empty text stored, dialog cancelled") << "empty" << 1 << "" << 0;
    QTest::newRow("stored file deleted") << "deleted" << 0 << "Could not open %1" << 0;
    QTest::newRow("stored file opens") << "file" << 0 << "" << 1;
}

void tst_form_Main::startUp() {
    QFETCH(QString, storedCase);
    QFETCH(int, dialogs);
    QFETCH(QString, message);
    QFETCH(int, databases);
    const QString file = makeDatabase(path(QStringLiteral("a.mdb")),
                                      {{QStringLiteral("One")}, {QStringLiteral("Two")}});
    const QString missing = path(QStringLiteral("gone.mdb"));
    if (storedCase == QLatin1String("empty"))
        store(QString());
    else if (storedCase == QLatin1String("deleted"))
        store(missing);
    else if (storedCase == QLatin1String("file"))
        store(file);

    form_Main& window = start();
    QCOMPARE(ui().fileRequests().size(), dialogs);
    if (message.isEmpty()) {
        QVERIFY(ui().messages().isEmpty());
    } else {
        QCOMPARE(ui().messages().size(), 1);
        QCOMPARE(ui().messages()[0].text, message.arg(missing));
        QCOMPARE(ui().messages()[0].title, QStringLiteral("Open Database File."));
        QCOMPARE(ui().messages()[0].icon, Icon::Exclamation);
        QCOMPARE(ui().messages()[0].buttons, Buttons::Ok);
    }
    QCOMPARE(window.DatabaseCount(), databases);
    if (databases == 0) {
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvane"));
        QVERIFY(!window.listView().isEnabled());
        QCOMPARE(window.listView().model()->rowCount(), 0);
        QVERIFY(!control(QStringLiteral("mnuClose"))->isEnabled());
        QCOMPARE(panel("TotalOpportunity"), QStringLiteral("0"));
        QCOMPARE(panel("TotalRevenue"), currency(QStringLiteral("$0.00")));
    } else {
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvane - [2/2] a.mdb"));
        QCOMPARE(listColumn(0), (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));
    }
}

void tst_form_Main::openSameFileTwice() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}});
    const QString b = makeDatabase(path(QStringLiteral("b.mdb")), {{QStringLiteral("B1")}});
    form_Main& window = start();
    open(a);
    open(b);
    ui().clearRecords();
    open(a);
    QCOMPARE(ui().messages().size(), 1);
    QCOMPARE(ui().messages()[0].text, a + QStringLiteral(" is already open."));
    QCOMPARE(ui().messages()[0].title, QStringLiteral("Database Open"));
    QCOMPARE(ui().messages()[0].icon, Icon::Information);
    QCOMPARE(ui().messages()[0].buttons, Buttons::Ok);
    // Nothing changes: still two databases, b shown.
    QCOMPARE(window.DatabaseCount(), 2);
    QCOMPARE(window.shownDatabase().DatabaseLocation(), b);
    QCOMPARE(control<QMenu>(QStringLiteral("mnuWindow"))->actions().size(), 3);

    // A cancelled dialog ends Open silently.
    ui().clearRecords();
    window.mnuOpen_Click();
    QVERIFY(ui().messages().isEmpty());
    QCOMPARE(window.DatabaseCount(), 2);
}

void tst_form_Main::twoDatabasesAndWindowMenu() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}});
    const QString b = makeDatabase(path(QStringLiteral("b.mdb")),
                                   {{QStringLiteral("B1")}, {QStringLiteral("B2")}});
    form_Main& window = start();
    open(a);
    open(b);
    QAction* first = control(QStringLiteral("mnudbList_1"));
    QAction* second = control(QStringLiteral("mnudbList_2"));
    QVERIFY(first && second);
    QCOMPARE(first->text(), QStringLiteral("1 ") + a);
    QCOMPARE(second->text(), QStringLiteral("2 ") + b);
    QVERIFY(!first->isChecked());
    QVERIFY(second->isChecked());
    QVERIFY(control(QStringLiteral("mnudbList_0"))->isSeparator());
    QCOMPARE(window.shownDatabase().DatabaseLocation(), b);
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvane - [2/2] b.mdb"));

    first->trigger();
    QCOMPARE(window.shownDatabase().DatabaseLocation(), a);
    QVERIFY(first->isChecked());
    QVERIFY(!second->isChecked());
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvane - [1/1] a.mdb"));
    QCOMPARE(listColumn(0), QStringList{QStringLiteral("A1")});
}

void tst_form_Main::closeOrder() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}});
    const QString b = makeDatabase(path(QStringLiteral("b.mdb")), {{QStringLiteral("B1")}});
    const QString c = makeDatabase(path(QStringLiteral("c.mdb")), {{QStringLiteral("C1")}});
    form_Main& window = start();
    open(a);
    open(b);
    open(c);
    window.mnudbList_Click(2);
    // Closing b shows the earliest opened of the rest: a; then c; then none.
    control(QStringLiteral("mnuClose"))->trigger();
    QCOMPARE(window.shownDatabase().DatabaseLocation(), a);
    QVERIFY(!m_window->findChild<QAction*>(QStringLiteral("mnudbList_2")));
    QVERIFY(control(QStringLiteral("mnudbList_1"))->isChecked());
    window.toolbar_ButtonClick(QStringLiteral("Close"));
    QCOMPARE(window.shownDatabase().DatabaseLocation(), c);
    QCOMPARE(listColumn(0), QStringList{QStringLiteral("C1")});
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvane - [1/1] c.mdb"));
    control(QStringLiteral("mnuClose"))->trigger();
    QCOMPARE(window.DatabaseCount(), 0);
    QCOMPARE(window.shownDatabase().DatabaseLocation(), QString());
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvane"));
    QCOMPARE(window.listView().model()->rowCount(), 0);
    QVERIFY(!window.listView().isEnabled());
    QVERIFY(!control(QStringLiteral("mnuClose"))->isEnabled());
    QCOMPARE(control<QMenu>(QStringLiteral("mnuWindow"))->actions().size(), 1);
    QCOMPARE(panel("TotalOpportunity"), QStringLiteral("0"));
}

// After closing a database other than the last opened, a new database never gets an index that
// an open one still uses; the entry, the Window value and the key agree.
void tst_form_Main::windowIndexAfterClosingAnEarlierDatabase() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}});
    const QString b = makeDatabase(path(QStringLiteral("b.mdb")), {{QStringLiteral("B1")}});
    const QString c = makeDatabase(path(QStringLiteral("c.mdb")), {{QStringLiteral("C1")}});
    const QString d = makeDatabase(path(QStringLiteral("d.mdb")), {{QStringLiteral("D1")}});
    form_Main& window = start();
    open(a);
    open(b);
    open(c);
    window.mnudbList_Click(1);
    window.mnuClose_Click(); // a goes; entries 2 and 3 remain, so the count rule gives 3
    open(d);
    QCOMPARE(window.DatabaseCount(), 3);
    QSet<qint32> windows;
    for (int i = 0; i < window.DatabaseCount(); ++i) {
        const CVN_Database& database = window.DatabaseAt(i);
        windows.insert(database.Window());
        QCOMPARE(window.DatabaseByWindow(database.Window()), &database);
        QAction* entry = control(QStringLiteral("mnudbList_%1").arg(database.Window()));
        QVERIFY(entry);
        QCOMPARE(entry->text(), QString::number(database.Window()) + QLatin1Char(' ') +
                                    database.DatabaseLocation());
    }
    QCOMPARE(windows.size(), 3);
    QCOMPARE(window.shownDatabase().DatabaseLocation(), d);
    QVERIFY(
        control(QStringLiteral("mnudbList_%1").arg(window.shownDatabase().Window()))->isChecked());

    // Every entry still switches to its own database.
    control(QStringLiteral("mnudbList_3"))->trigger();
    QCOMPARE(window.shownDatabase().DatabaseLocation(), c);
    control(QStringLiteral("mnudbList_2"))->trigger();
    QCOMPARE(window.shownDatabase().DatabaseLocation(), b);
    // Closing c and opening again keeps indexes apart as well.
    control(QStringLiteral("mnudbList_3"))->trigger();
    window.mnuClose_Click();
    open(a);
    QCOMPARE(window.DatabaseCount(), 3);
    QSet<qint32> after;
    for (int i = 0; i < window.DatabaseCount(); ++i)
        after.insert(window.DatabaseAt(i).Window());
    QCOMPARE(after.size(), 3);
    QCOMPARE(control<QMenu>(QStringLiteral("mnuWindow"))->actions().size(), 4);
}

void tst_form_Main::newDatabase_data() {
    QTest::addColumn<QString>("existing"); // "", "database" or "text"
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("messages"); // text|title per message, %1 = the path
    QTest::addColumn<bool>("created");
    QTest::newRow("missing file") << "" << QList<int>{} << QStringList{} << true;
    QTest::newRow("existing, replace") << "database" << QList<int>{int(Answer::Yes)}
                                       << QStringList{"Do you wish to replace %1|"
                                                      "Replace Corvane Database"}
                                       << true;
    QTest::newRow("existing, keep") << "database" << QList<int>{int(Answer::No)}
                                    << QStringList{"Do you wish to replace %1|"
                                                   "Replace Corvane Database"}
                                    << false;
    QTest::newRow("existing, not a database")
        << "text" << QList<int>{}
        << QStringList{"Unable to create a new database %1|Create A New Database"} << false;
}

void tst_form_Main::newDatabase() {
    QFETCH(QString, existing);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, messages);
    QFETCH(bool, created);
    const QString file = path(QStringLiteral("new.mdb"));
    if (existing == QLatin1String("database"))
        makeDatabase(file, {{QStringLiteral("Old")}});
    if (existing == QLatin1String("text")) {
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a database\n");
    }
    form_Main& window = start();
    for (int answer : answers)
        ui().queueAnswer(Answer(answer));
    ui().queueFile(file);
    control(QStringLiteral("mnuNew"))->trigger();

    QCOMPARE(ui().messages().size(), messages.size());
    for (qsizetype i = 0; i < messages.size(); ++i) {
        const QStringList parts = messages[i].split(QLatin1Char('|'));
        QCOMPARE(ui().messages()[i].text, parts[0].arg(file));
        QCOMPARE(ui().messages()[i].title, parts[1]);
        const bool asks = parts[1] == QLatin1String("Replace Corvane Database");
        QCOMPARE(ui().messages()[i].icon, asks ? Icon::None : Icon::Exclamation);
        QCOMPARE(ui().messages()[i].buttons, asks ? Buttons::YesNo : Buttons::Ok);
    }
    QCOMPARE(window.DatabaseCount(), created ? 1 : 0);
    const auto onFile = fromFile(file, QStringLiteral("Key=1"));
    if (created) {
        QCOMPARE(window.shownDatabase().DatabaseLocation(), file);
        QCOMPARE(window.listView().model()->rowCount(), 0);
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvane - [0/0] new.mdb"));
        QVERIFY(control(QStringLiteral("mnudbList_1"))->isChecked());
        QVERIFY(m_window->findChild<QAction*>(QStringLiteral("New"))->isEnabled());
        // The file is a new, empty database.
        QVERIFY(!onFile);
        CVN_Database reopened;
        reopened.setDatabaseLocation(file);
        QVERIFY(reopened.OpenDatabase());
        QCOMPARE(reopened.Opportunities().Count(), 0);
    } else if (existing == QLatin1String("database")) {
        QVERIFY(onFile); // kept
        QCOMPARE(onFile->Description(), QStringLiteral("Old"));
    }

    // A cancelled dialog ends New silently.
    ui().clearRecords();
    window.mnuNew_Click();
    QVERIFY(ui().messages().isEmpty());
    QCOMPARE(window.DatabaseCount(), created ? 1 : 0);
}

void tst_form_Main::newOnOpenFile() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}});
    form_Main& window = start();
    open(a);
    ui().clearRecords();
    ui().queueFile(a);
    window.mnuNew_Click();
    QCOMPARE(ui().messages().size(), 1);
    QCOMPARE(ui().messages()[0].text, a + QStringLiteral(" is currently open."));
    QCOMPARE(ui().messages()[0].title, QStringLiteral("Replacing An Open Database"));
    QCOMPARE(ui().messages()[0].icon, Icon::Critical);
    QCOMPARE(ui().messages()[0].buttons, Buttons::Ok);
    QCOMPARE(window.DatabaseCount(), 1);
    QVERIFY(fromFile(a, QStringLiteral("Key=1")));
}

void tst_form_Main::commandLineFiles() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}});
    const QString b = makeDatabase(path(QStringLiteral("b.mdb")), {{QStringLiteral("B1")}});
    const QString missing = path(QStringLiteral("missing.mdb"));
    form_Main& window = start();
    window.OpenFiles({a, missing, b, a});
    QCOMPARE(window.DatabaseCount(), 2);
    QCOMPARE(window.shownDatabase().DatabaseLocation(), b);
    QVERIFY(ui().fileRequests().isEmpty());
    QCOMPARE(ui().messages().size(), 2);
    QCOMPARE(ui().messages()[0].text, QStringLiteral("Could not open ") + missing);
    QCOMPARE(ui().messages()[0].title, QStringLiteral("Open Database File."));
    QCOMPARE(ui().messages()[1].text, a + QStringLiteral(" is already open."));
    QCOMPARE(ui().messages()[1].title, QStringLiteral("Database Open"));
}

void tst_form_Main::exitStoresDatabaseAndWidths_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Exit") << "exit";
    QTest::newRow("window frame") << "close";
    QTest::newRow("session ends") << "session";
}

void tst_form_Main::exitStoresDatabaseAndWidths() {
    QFETCH(QString, how);
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}});
    const QString b = makeDatabase(path(QStringLiteral("b.mdb")), {{QStringLiteral("B1")}});
    ColumnsInfo::instance().Item(QStringLiteral("Note"))->setCDisplay(false);
    User::instance().setTerritory(QStringLiteral("North"));
    form_Main& window = start();
    open(b);
    open(a);
    const qreal dpi = window.logicalDpiX();
    QHeaderView* header = window.listView().header();
    header->resizeSection(window.listModel().ColumnOf(QStringLiteral("Company")), 150);
    // A rebuild keeps the width the user gave the column.
    window.ShowListView(true);
    QCOMPARE(header->sectionSize(window.listModel().ColumnOf(QStringLiteral("Company"))), 150);

    if (how == QLatin1String("exit"))
        control(QStringLiteral("mnuExit"))->trigger();
    else if (how == QLatin1String("close"))
        window.close();
    else
        window.CommitData();
    QCOMPARE(stored(), a);
    if (how == QLatin1String("session")) {
        // Written at once, not left for the process end.
        auto storedValue = [](const char* section, const char* name) {
            return SettingsStore::instance().GetSetting(
                QStringLiteral("Corvane"), QLatin1String(section), QLatin1String(name));
        };
        QCOMPARE(storedValue("Display", "NoteDisplay"), QStringLiteral("False"));
        QCOMPARE(storedValue("User", "Territory"), QStringLiteral("North"));
        QCOMPARE(storedValue("Revenue", "High"), QStringLiteral("9999999"));
    }
    const ColumnsInfo& columns = ColumnsInfo::instance();
    QCOMPARE(int(columns.Item(QStringLiteral("Company"))->cWidth()), qRound(150 * 1440 / dpi));
    QCOMPARE(int(columns.Item(QStringLiteral("Description"))->cWidth()),
             qRound(qRound(1500 * dpi / 1440) * 1440 / dpi));
    QCOMPARE(int(columns.Item(QStringLiteral("Note"))->cWidth()), 1500); // hidden: kept

    // The layout writes itself at process end; with nothing shown "" is stored.
    ColumnsInfo::releaseInstance();
    QCOMPARE(SettingsStore::instance().GetSetting(QStringLiteral("Corvane"),
                                                  QStringLiteral("Display"),
                                                  QStringLiteral("CompanyWidth")),
             QString::number(qRound(150 * 1440 / dpi)));
    window.mnuClose_Click();
    window.mnuClose_Click();
    window.Form_Unload();
    QCOMPARE(stored(), QString());
}

// ---------------------------------------------------------------------------------------------
// Menus, toolbar, status bar

void tst_form_Main::toolbarKeys() {
    form_Main& window = start();
    // Keys compare exactly: "file" is no key, "File" opens.
    window.toolbar_ButtonClick(QStringLiteral("file"));
    window.toolbar_ButtonClick(QStringLiteral("Nothing"));
    QCOMPARE(ui().fileRequests().size(), 0);
    m_window->findChild<QAction*>(QStringLiteral("File"))->trigger();
    QCOMPARE(ui().fileRequests().size(), 1);

    // Every button shows an icon, from the theme or the bundled ones, and carries its key.
    const QList<QAction*> buttons = control<QToolBar>(QStringLiteral("toolbar"))->actions();
    QCOMPARE(buttons.size(), 9);
    for (QAction* button : buttons) {
        QVERIFY2(!button->icon().pixmap(24, 24).isNull(), qPrintable(button->objectName()));
        QCOMPARE(button->data().toString(), button->objectName());
    }
}

// ---------------------------------------------------------------------------------------------
// The list

void tst_form_Main::titleAndTotals() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")),
                                   {{QStringLiteral("A1"), QStringLiteral("1000")},
                                    {QStringLiteral("A2"), QStringLiteral("$2,500.50")},
                                    {QStringLiteral("A3 filtered out"), QStringLiteral("0")},
                                    {QStringLiteral("A4 filtered out"), QStringLiteral("5000")}});
    const QString b = makeDatabase(path(QStringLiteral("b.mdb")),
                                   {{QStringLiteral("B1"), QStringLiteral("400")}});
    // The stored revenue bounds (0 and 3000, both exclusive) keep A3 and A4 out of the list.
    SettingsStore::instance().SaveSetting(QStringLiteral("Corvane"), QStringLiteral("Revenue"),
                                          QStringLiteral("High"), QStringLiteral("3000"));
    form_Main& window = start();
    open(b);
    open(a);
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvane - [4/2] a.mdb"));
    QCOMPARE(listColumn(0), (QStringList{QStringLiteral("A1"), QStringLiteral("A2")}));
    QCOMPARE(panel("CurrentOpportunity"), QStringLiteral("2"));
    QCOMPARE(panel("CurrentForecast"), currency(QStringLiteral("$3,500.50")));
    QCOMPARE(panel("CurrentRevenue"), currency(QStringLiteral("$8,500.50")));
    QCOMPARE(panel("TotalOpportunity"), QStringLiteral("3"));
    QCOMPARE(panel("TotalForecast"), currency(QStringLiteral("$3,900.50")));
    QCOMPARE(panel("TotalRevenue"), currency(QStringLiteral("$8,900.50")));

    // Hidden by the filter after opening: absent from the list and the forecast, present in
    // the revenue.
    window.shownDatabase().Opportunities().Item(QStringLiteral("Key=2"))->setVisible(false);
    window.ShowListView(false);
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvane - [4/1] a.mdb"));
    QCOMPARE(panel("CurrentOpportunity"), QStringLiteral("1"));
    QCOMPARE(panel("CurrentForecast"), currency(QStringLiteral("$1,000.00")));
    QCOMPARE(panel("CurrentRevenue"), currency(QStringLiteral("$8,500.50")));
    QCOMPARE(panel("TotalOpportunity"), QStringLiteral("2"));
    QCOMPARE(panel("TotalForecast"), currency(QStringLiteral("$1,400.00")));
    QCOMPARE(panel("TotalRevenue"), currency(QStringLiteral("$8,900.50")));

    window.mnudbList_Click(1);
    QCOMPARE(window.windowTitle(), QStringLiteral("Corvane - [1/1] b.mdb"));
    QCOMPARE(panel("CurrentRevenue"), currency(QStringLiteral("$400.00")));
    QCOMPARE(panel("TotalRevenue"), currency(QStringLiteral("$8,900.50")));
}

void tst_form_Main::sortByHeaderAndMenu() {
    const QString a = makeDatabase(
        path(QStringLiteral("a.mdb")),
        {{QStringLiteral("b"), QStringLiteral("1"), QStringLiteral("Kilo"), QStringLiteral("20")},
         {QStringLiteral("c"), QStringLiteral("1"), QStringLiteral("alpha"), QStringLiteral("100")},
         {QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("Zulu"), QStringLiteral("3")}});
    form_Main& window = start();
    open(a);
    const int company = window.listModel().ColumnOf(QStringLiteral("Company"));
    const Settings& settings = Settings::instance();
    QVERIFY(control(QStringLiteral("mnuSortChoices_0"))->isChecked());

    // Three clicks on one header: ascending, descending, ascending.
    const QList<QStringList> expected{
        {"alpha", "Kilo", "Zulu"}, {"Zulu", "Kilo", "alpha"}, {"alpha", "Kilo", "Zulu"}};
    for (const QStringList& order : expected) {
        clickHeader(QStringLiteral("Company"));
        QCOMPARE(listColumn(company), order);
        QVERIFY(settings.DisplaySorted());
        QCOMPARE(*settings.DisplaySortKey(), QStringLiteral("Company"));
        QVERIFY(control(QStringLiteral("mnuSortChoices_2"))->isChecked());
        QVERIFY(!control(QStringLiteral("mnuSortChoices_0"))->isChecked());
    }

    // The empty last column changes nothing.
    QHeaderView* header = window.listView().header();
    const int last = window.listModel().columnCount() - 1;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(last) + 5, header->height() / 2));
    QCOMPARE(listColumn(company), expected.last());
    QCOMPARE(*settings.DisplaySortKey(), QStringLiteral("Company"));
    QCOMPARE(int(settings.DisplaySortOrder()), 0);

    // "Price" in the Sort menu sorts the UnitPrice cells as text: "100" before "20".
    control(QStringLiteral("mnuSortChoices_7"))->trigger();
    QCOMPARE(listColumn(window.listModel().ColumnOf(QStringLiteral("UnitPrice"))),
             (QStringList{"100", "20", "3"}));
    QVERIFY(control(QStringLiteral("mnuSortChoices_7"))->isChecked());
    QVERIFY(!control(QStringLiteral("mnuSortChoices_2"))->isChecked());

    // A rebuild keeps the sort column and direction.
    control(QStringLiteral("mnuSortChoices_7"))->trigger();
    window.ShowListView(true);
    QCOMPARE(listColumn(window.listModel().ColumnOf(QStringLiteral("UnitPrice"))),
             (QStringList{"3", "20", "100"}));
}

void tst_form_Main::notSortedKeepsSelection() {
    const QString a = makeDatabase(
        path(QStringLiteral("a.mdb")),
        {{QStringLiteral("Charlie")}, {QStringLiteral("Alpha")}, {QStringLiteral("Bravo")}});
    form_Main& window = start();
    open(a);
    window.ApplySortChoice(QStringLiteral("Description"));
    QCOMPARE(listColumn(0), (QStringList{"Alpha", "Bravo", "Charlie"}));
    selectRow(QStringLiteral("Key=3"));
    QCOMPARE(window.SelectedKey(), QStringLiteral("Key=3"));

    control(QStringLiteral("mnuSortChoices_0"))->trigger();
    QCOMPARE(listColumn(0), (QStringList{"Charlie", "Alpha", "Bravo"}));
    QCOMPARE(window.SelectedKey(), QStringLiteral("Key=3"));
    QVERIFY(control(QStringLiteral("mnuSortChoices_0"))->isChecked());
    QVERIFY(!control(QStringLiteral("mnuSortChoices_1"))->isChecked());
    QVERIFY(!Settings::instance().DisplaySorted());
    QVERIFY(!window.listView().header()->isSortIndicatorShown());
}

void tst_form_Main::hiddenColumns() {
    ColumnsInfo& columns = ColumnsInfo::instance();
    for (qint32 position = 1; position <= columns.Count(); ++position)
        columns.Item(position)->setCDisplay(columns.Item(position)->cKey() ==
                                            QLatin1String("Note"));
    const QString a = makeDatabase(
        path(QStringLiteral("a.mdb")),
        {{QStringLiteral("A1"), QStringLiteral("1"), QString(), QStringLiteral("1"),
          QStringLiteral("25% - Long Shot"), QStringLiteral("Lead"), QStringLiteral("the note")}});
    form_Main& window = start();
    open(a);
    const QAbstractItemModel* model = window.listView().model();
    QCOMPARE(model->columnCount(), 2);
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Note"));
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QString());
    QCOMPARE(listColumn(0), QStringList{QStringLiteral("the note")});
    QCOMPARE(model->index(0, 0).data(OpportunityListModel::KeyRole).toString(),
             QStringLiteral("Key=1"));
    for (int position = 0; position <= 14; ++position)
        QCOMPARE(control(QStringLiteral("mnuSortChoices_%1").arg(position))->isVisible(),
                 position == 0 || position == 5);

    // Sorted by a column that is not displayed: the list shows collection order.
    Settings::instance().setDisplaySortKey(QStringLiteral("Company"));
    Settings::instance().setDisplaySorted(true);
    window.ShowListView(false);
    QVERIFY(!window.listView().header()->isSortIndicatorShown());
    QCOMPARE(model->rowCount(), 1);
}

void tst_form_Main::commandStates_data() {
    QTest::addColumn<QString>("state"); // none, empty, rows
    QTest::addColumn<bool>("useOutlook");
    QTest::newRow("no database") << "none" << false;
    QTest::newRow("no database, Outlook") << "none" << true;
    QTest::newRow("empty database") << "empty" << false;
    QTest::newRow("all filtered out") << "filtered" << true;
    QTest::newRow("rows") << "rows" << false;
    QTest::newRow("rows, Outlook") << "rows" << true;
}

void tst_form_Main::commandStates() {
    QFETCH(QString, state);
    QFETCH(bool, useOutlook);
    User::instance().setUseOutlook(useOutlook);
    form_Main& window = start();
    if (state == QLatin1String("empty"))
        open(makeDatabase(path(QStringLiteral("a.mdb")), {}));
    if (state == QLatin1String("filtered"))
        open(makeDatabase(path(QStringLiteral("a.mdb")),
                          {{QStringLiteral("zero"), QStringLiteral("0")}}));
    if (state == QLatin1String("rows"))
        open(makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}}));
    const bool hasDatabase = state != QLatin1String("none");
    const bool hasRows = state == QLatin1String("rows");
    QCOMPARE(window.HasRows(), hasRows);

    auto enabled = [this](const char* name) { return control(QLatin1String(name))->isEnabled(); };
    QCOMPARE(enabled("mnuOpportunity"), hasRows);
    QCOMPARE(enabled("mnuSort"), hasRows);
    for (const char* name : {"mnuClose", "mnuExport", "mnuPrint", "mnuSaveAs", "mnuFilter"})
        QVERIFY2(enabled(name) == hasDatabase, name);
    for (const char* name : {"mnuTask", "mnuAppt", "mnuEmail"})
        QVERIFY2(enabled(name) == useOutlook, name);
    QCOMPARE(enabled("mnuSend"), useOutlook && hasDatabase);
    QCOMPARE(enabled("mnuCopyOpportunity"), hasRows);
    QVERIFY(!enabled("mnuPasteOpportunity"));
    QVERIFY(!control(QStringLiteral("mnuPasteOpportunity"))->isVisible());
    for (const char* key : {"Edit", "Delete", "Copy"})
        QVERIFY2(enabled(key) == hasRows, key);
    QCOMPARE(enabled("Send"), useOutlook && hasDatabase);
    QCOMPARE(enabled("Close"), hasDatabase);
    QCOMPARE(enabled("New"), hasDatabase);
    QVERIFY(!enabled("Paste"));
    QVERIFY(enabled("File"));
    QCOMPARE(window.listView().isEnabled(), hasDatabase);
    for (const char* name : {"combo_Stage", "combo_Probability"})
        QVERIFY2(control<QComboBox>(QLatin1String(name))->isEnabled() == hasRows, name);
    QCOMPARE(control<QPlainTextEdit>(QStringLiteral("txt_Notes"))->isEnabled(), hasRows);

    // Paste is shown and enabled once something was copied.
    window.setOpportunityCopied(true);
    window.UpdateCommandState();
    QVERIFY(enabled("mnuPasteOpportunity"));
    QVERIFY(control(QStringLiteral("mnuPasteOpportunity"))->isVisible());
    QVERIFY(enabled("Paste"));
}

// ---------------------------------------------------------------------------------------------
// The quick-info panel

void tst_form_Main::quickInfoFill() {
    const QString a =
        makeDatabase(path(QStringLiteral("a.mdb")),
                     {{QStringLiteral("A1"), QStringLiteral("1"), QString(), QStringLiteral("1"),
                       QStringLiteral("50% - Competitive"), QStringLiteral("Assess Business"),
                       QStringLiteral("first note")},
                      {QStringLiteral("A2"), QStringLiteral("1"), QString(), QStringLiteral("1"),
                       QStringLiteral("90% - Verbal Commitment"), QStringLiteral("lead"),
                       QStringLiteral("second note")}});
    form_Main& window = start();
    open(a);
    auto* stage = control<QComboBox>(QStringLiteral("combo_Stage"));
    auto* probability = control<QComboBox>(QStringLiteral("combo_Probability"));
    auto* notes = control<QPlainTextEdit>(QStringLiteral("txt_Notes"));

    selectRow(QStringLiteral("Key=1"));
    QCOMPARE(stage->currentText(), QStringLiteral("Assess Business"));
    QCOMPARE(probability->currentText(), QStringLiteral("50% - Competitive"));
    QCOMPARE(notes->toPlainText(), QStringLiteral("first note"));
    QVERIFY(window.listView().hasFocus());

    // Another row: both combos and the note follow; "lead" is no entry of the list.
    selectRow(QStringLiteral("Key=2"));
    QCOMPARE(stage->currentIndex(), -1);
    QCOMPARE(probability->currentText(), QStringLiteral("90% - Verbal Commitment"));
    QCOMPARE(notes->toPlainText(), QStringLiteral("second note"));

    // A rebuild without restoring the selection leaves the panel as it was.
    window.ShowListView(false);
    QCOMPARE(window.SelectedKey(), QString());
    QCOMPARE(notes->toPlainText(), QStringLiteral("second note"));
}

void tst_form_Main::quickInfoWrites() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")),
                                   {{QStringLiteral("A1")}, {QStringLiteral("A2")}});
    form_Main& window = start();
    open(a);
    window.ApplySortChoice(QStringLiteral("Probability"));
    selectRow(QStringLiteral("Key=2"));
    auto* probability = control<QComboBox>(QStringLiteral("combo_Probability"));
    auto* stage = control<QComboBox>(QStringLiteral("combo_Stage"));

    probability->setCurrentIndex(5);
    emit probability->activated(5);
    QCOMPARE(fromFile(a, QStringLiteral("Key=2"))->Probability(), QStringLiteral("100% - Won"));
    QCOMPARE(fromFile(a, QStringLiteral("Key=1"))->Probability(),
             QStringLiteral("25% - Long Shot"));
    // Rebuilt, still sorted, the row still selected and showing the new text.
    QCOMPARE(window.SelectedKey(), QStringLiteral("Key=2"));
    const int column = window.listModel().ColumnOf(QStringLiteral("Probability"));
    QCOMPARE(listColumn(column), (QStringList{"100% - Won", "25% - Long Shot"}));
    QCOMPARE(window.listView().currentIndex().row(), 0);

    stage->setCurrentIndex(4);
    emit stage->activated(4);
    QCOMPARE(fromFile(a, QStringLiteral("Key=2"))->Stage(), QStringLiteral("Present/Propose"));
    QCOMPARE(window.shownDatabase().Opportunities().Item(QStringLiteral("Key=2"))->Stage(),
             QStringLiteral("Present/Propose"));
    QVERIFY(ui().messages().isEmpty());

    // With no row selected a change reaches no opportunity.
    window.ShowListView(false);
    stage->setCurrentIndex(0);
    emit stage->activated(0);
    QCOMPARE(fromFile(a, QStringLiteral("Key=2"))->Stage(), QStringLiteral("Present/Propose"));
    QCOMPARE(fromFile(a, QStringLiteral("Key=1"))->Stage(), QStringLiteral("Lead"));
}

void tst_form_Main::noteEditor_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("byKey");
    QTest::newRow("OK") << true << false;
    QTest::newRow("Cancel") << false << false;
    QTest::newRow("Enter on the note, OK") << true << true;
}

void tst_form_Main::noteEditor() {
    QFETCH(bool, ok);
    QFETCH(bool, byKey);
    const QString a = makeDatabase(
        path(QStringLiteral("a.mdb")),
        {{QStringLiteral("A1"), QStringLiteral("1"), QString(), QStringLiteral("1"),
          QStringLiteral("25% - Long Shot"), QStringLiteral("Lead"), QStringLiteral("old")}});
    form_Main& window = start();
    open(a);
    selectRow(QStringLiteral("Key=1"));
    auto* notes = control<QPlainTextEdit>(QStringLiteral("txt_Notes"));

    bool ran = false;
    QString shownNote;
    QString title;
    QTimer::singleShot(0, this, [&] {
        auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!editor || editor->objectName() != QLatin1String("frm_editNote"))
            return;
        auto* text = editor->findChild<QPlainTextEdit*>(QStringLiteral("txt_Note"));
        shownNote = text->toPlainText();
        title = editor->windowTitle();
        QTest::keyClicks(text, QStringLiteral(" and new"));
        QTest::mouseClick(editor->findChild<QPushButton*>(ok ? QStringLiteral("OKButton")
                                                             : QStringLiteral("CancelButton")),
                          Qt::LeftButton);
        ran = true;
    });
    if (byKey)
        QTest::keyClick(notes, Qt::Key_Return);
    else
        QTest::mousePress(notes->viewport(), Qt::LeftButton);
    QTRY_VERIFY(ran);
    QCOMPARE(shownNote, QStringLiteral("old"));
    QCOMPARE(title, QStringLiteral("Edit Note"));
    const QString expected = ok ? QStringLiteral("old and new") : QStringLiteral("old");
    QCOMPARE(notes->toPlainText(), expected);
    QCOMPARE(fromFile(a, QStringLiteral("Key=1"))->Note(), expected);
    QCOMPARE(listColumn(window.listModel().ColumnOf(QStringLiteral("Note"))),
             QStringList{expected});
    QCOMPARE(window.SelectedKey(), QStringLiteral("Key=1"));
}

void tst_form_Main::noteLimit() {
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")), {{QStringLiteral("A1")}});
    form_Main& window = start();
    open(a);
    selectRow(QStringLiteral("Key=1"));
    bool ran = false;
    int length = 0;
    QTimer::singleShot(0, this, [&] {
        auto* editor = QApplication::activeModalWidget();
        if (!editor)
            return;
        auto* text = editor->findChild<QPlainTextEdit*>(QStringLiteral("txt_Note"));
        QTest::keyClicks(text, QString(140, QLatin1Char('x')));
        // Typing in the middle at the limit leaves the text as it was.
        text->moveCursor(QTextCursor::Start);
        QTest::keyClicks(text, QStringLiteral("yz"));
        length = static_cast<int>(text->toPlainText().size());
        ran = text->toPlainText() == QString(128, QLatin1Char('x'));
        QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("OKButton")),
                          Qt::LeftButton);
    });
    QTest::mousePress(control<QPlainTextEdit>(QStringLiteral("txt_Notes"))->viewport(),
                      Qt::LeftButton);
    QTRY_VERIFY2(ran, qPrintable(QString::number(length)));
    QCOMPARE(fromFile(a, QStringLiteral("Key=1"))->Note(), QString(128, QLatin1Char('x')));
    Q_UNUSED(window);
}

// A failed write from the panel reports the file and the cause, and the opportunity returns to
// what the file holds.
void tst_form_Main::quickInfoWriteFailure_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("file deleted") << "deleted";
    QTest::newRow("file locked") << "locked";
}

void tst_form_Main::quickInfoWriteFailure() {
    QFETCH(QString, how);
    const QString a = makeDatabase(path(QStringLiteral("a.mdb")),
                                   {{QStringLiteral("A1")}, {QStringLiteral("A2")}});
    form_Main& window = start();
    open(a);
    selectRow(QStringLiteral("Key=2"));
    std::unique_ptr<FileLock> lock;
    if (how == QLatin1String("deleted"))
        QVERIFY(QFile::remove(a));
    else
        lock = std::make_unique<FileLock>(a);

    auto* probability = control<QComboBox>(QStringLiteral("combo_Probability"));
    probability->setCurrentIndex(5);
    emit probability->activated(5);

    QCOMPARE(ui().messages().size(), 1);
    const auto& message = ui().messages()[0];
    QVERIFY2(message.text.contains(a), qPrintable(message.text));
    QVERIFY2(message.text.size() > a.size() + 20, qPrintable(message.text)); // and a cause
    QCOMPARE(message.title, QStringLiteral("Corvane"));
    QCOMPARE(message.icon, Icon::Exclamation);
    QCOMPARE(message.buttons, Buttons::Ok);

    const Opportunity* inMemory =
        window.shownDatabase().Opportunities().Item(QStringLiteral("Key=2"));
    QCOMPARE(inMemory->Probability(), QStringLiteral("25% - Long Shot"));
    QCOMPARE(probability->currentText(), QStringLiteral("25% - Long Shot"));
    const int column = window.listModel().ColumnOf(QStringLiteral("Probability"));
    QCOMPARE(listColumn(column), (QStringList{"25% - Long Shot", "25% - Long Shot"}));
    QCOMPARE(window.SelectedKey(), QStringLiteral("Key=2"));

    if (lock) {
        lock.reset();
        QCOMPARE(fromFile(a, QStringLiteral("Key=2"))->Probability(),
                 QStringLiteral("25% - Long Shot"));
        // Once the file is free again, the same change goes through.
        probability->setCurrentIndex(5);
        emit probability->activated(5);
        QCOMPARE(ui().messages().size(), 1);
        QCOMPARE(fromFile(a, QStringLiteral("Key=2"))->Probability(), QStringLiteral("100% - Won"));
    }
}

void tst_form_Main::minimumSize() {
    form_Main& window = start();
    const qreal dpi = window.logicalDpiX();
    window.resize(50, 50);
    QCOMPARE(window.width(), qRound(3800 * dpi / 1440));
    QCOMPARE(window.height(), qRound(4500 * dpi / 1440));
    // The list sits above the quick-info frame, which sits above the status bar.
    QTRY_VERIFY(control<QWidget>(QStringLiteral("frame_Quickinfo"))->geometry().top() >=
                window.listView().geometry().bottom());
}

QTEST_MAIN(tst_form_Main)
#include "tst_form_Main.moc"
