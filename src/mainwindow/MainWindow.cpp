#include "mainwindow/MainWindow.h"

#include "about/AboutDialog.h"
#include "about/HelpWindow.h"
#include "editor/OpportunityEditor.h"
#include "exchange/DataMerge.h"
#include "exchange/OpportunityText.h"
#include "exchange/TextExport.h"
#include "filter/FilterDialog.h"
#include "filter/Filters.h"
#include "importer/ImportWizard.h"
#include "mainwindow/ListLayout.h"
#include "mainwindow/NoteEditor.h"
#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/OpportunitySortProxy.h"
#include "mainwindow/RecentTeamDatabases.h"
#include "mainwindow/SelectComboText.h"
#include "mainwindow/SignalExit.h"
#include "mainwindow/TeamDatabaseDialog.h"
#include "mainwindow/TeamPasswordDialog.h"
#include "mainwindow/Twips.h"
#include "mainwindow/ViewSwitch.h"
#include "outlook/OutlookContacts.h"
#include "outlook/OutlookItems.h"
#include "platform/AccessKeys.h"
#include "platform/LocaleText.h"
#include "platform/PasswordKeyring.h"
#include "platform/Result.h"
#include "platform/SettingsStore.h"
#include "platform/UiServices.h"
#include "reports/ReportEngine.h"
#include "reports/ReportMenu.h"
#include "reports/ReportPreviewPresenter.h"
#include "settings/ColumnsInfo.h"
#include "settings/OptionsDialog.h"
#include "settings/SortChoice.h"
#include "settings/User.h"
#include "store/OpportunityFields.h"
#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"
#include "store/ValueLists.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSessionManager>
#include <QSet>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QUndoGroup>
#include <QUndoStack>
#include <QUndoView>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <utility>

namespace {

// How long a short note after a command stays in the status bar.
constexpr int StatusNoteMs = 8000;

const QString ProductName = QStringLiteral("Corvane");

// Toolbar buttons in order: key, tool tip, theme icon, bundled icon.
struct ToolButton {
    const char* key;
    const char* toolTip;
    const char* themeIcon;
    const char* bundledIcon;
};
constexpr ToolButton ToolButtons[] = {
    {"File", "Open Database", "document-open", "open"},
    {"Close", "Close Database", "window-close", "close"},
    {"New", "New Opportunity", "document-new", "new"},
    {"Edit", "Edit Opportunity", "document-properties", "edit"},
    {"Delete", "Delete Opportunity", "edit-delete", "delete"},
    {"Copy", "Copy Opportunity", "edit-copy", "copy"},
    {"Paste", "Paste Opportunity", "edit-paste", "paste"},
    {"Send", "Send File", "mail-send", "send"},
    {"Help", "Help", "help-contents", "help"},
};

// Status-bar panels in order: key ("" for a label panel), text of a label panel, description.
struct Panel {
    const char* key;
    const char* label;
    const char* description;
};
constexpr Panel Panels[] = {
    {"", "Total", ""},
    {"TotalOpportunity", "", "Total Opportunities"},
    {"TotalForecast", "", "Total Forecasted Revenues"},
    {"TotalRevenue", "", "Total Revenues"},
    {"", " Current", ""},
    {"CurrentOpportunity", "", "Current Opportunties"},
    {"CurrentForecast", "", "Current Forecasted Revenues"},
    {"CurrentRevenue", "", "Current Revenues"},
};

QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data)
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    }
    return files;
}

QString moneyPanelText(double amount) {
    return QLatin1Char(' ') + LocaleText::currency(amount) + QLatin1Char(' ');
}

// Menu texts show "&" as itself.
QString menuText(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return escaped;
}

} // namespace

MainWindow::MainWindow(ApplicationSettings& settings, QWidget* parent)
    : QMainWindow(parent), m_settings(settings) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(ProductName);
    setWindowIcon(
        QIcon::fromTheme(QStringLiteral("corvane"), QIcon(QStringLiteral(":/corvane.svg"))));

    m_databases = new OpenDatabases(m_settings.filters(), this);
    m_model = new OpportunityListModel(this);
    m_proxy = new OpportunitySortProxy(this);
    m_proxy->setSourceModel(m_model);
    // The list follows the data by itself; the window follows it for the rest of its state.
    m_model->followWorkspace(m_databases);

    buildMenus();
    buildToolbar();
    buildCentral();
    buildStatusBar();
    connectDatabases();
    wireCommands();
    m_views = new ViewSwitch(*this, m_settings);

    const qreal dpi = this->dpi();
    setMinimumSize(Twips::toPixels(3800, dpi), Twips::toPixels(4500, dpi));
    resize(Twips::toPixels(16500, dpi), Twips::toPixels(10500, dpi));
    fitToScreen();
    guardWheel();
    buildEmptyListNote();
    installSignalExit();
    assignAccessKeys();
    // Columns whose width was never stored size to their content.
    m_unsizedColumns = ListLayout::columnsWithoutStoredWidth(m_settings.store());
    connect(m_list->header(), &QHeaderView::sortIndicatorChanged, this,
            &MainWindow::restoreSortIndicator);
    statusBar()->installEventFilter(this);
    m_list->installEventFilter(this);

    // The session ending, or the application quitting without the window being closed, shuts
    // down as Exit does.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { commitData(); });
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            if (!m_unloaded)
                shutDown();
        });
    }
}

MainWindow::~MainWindow() {
    // The widgets outlive this part of the window as it is taken down: no more of their
    // signals reach it.
    m_list->header()->disconnect(this);
    m_list->selectionModel()->disconnect(this);
    m_comboStage->disconnect(this);
    m_comboProbability->disconnect(this);
    m_txtNotes->viewport()->removeEventFilter(this);
    m_list->removeEventFilter(this);
    m_list->viewport()->removeEventFilter(this);
    m_txtNotes->removeEventFilter(this);
    m_databases->disconnect(this);
    // The list points into the databases' collections: let go of it first.
    m_model->clear();
}

ListLayout MainWindow::listLayout() const {
    return ListLayout(m_settings.sortChoice(), m_settings.columns());
}

qreal MainWindow::dpi() const {
    const int dpi = logicalDpiX();
    return dpi > 0 ? dpi : 96;
}

QAction* MainWindow::addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    m_actions.insert(QLatin1String(name), action);
    return action;
}

QAction* MainWindow::addSeparator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

void MainWindow::buildMenus() {
    auto addMenu = [this](QMenu* parentMenu, const char* name, const char* itemName,
                          const QString& caption) {
        QMenu* menu = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(itemName));
        m_menus.insert(QLatin1String(name), menu);
        m_actions.insert(QLatin1String(itemName), menu->menuAction());
        return menu;
    };

    QMenu* file = addMenu(nullptr, "mnuFile", "mnuFile", QStringLiteral("File"));
    connect(addItem(file, "mnuNew", QStringLiteral("New")), &QAction::triggered, this,
            &MainWindow::newDatabase);
    addSeparator(file, "mnuSeperator0");
    connect(addItem(file, "mnuOpen", QStringLiteral("Open")), &QAction::triggered, this,
            &MainWindow::openDatabase);
    connect(addItem(file, "mnuOpenTeam", QStringLiteral("Open &Team Database...")),
            &QAction::triggered, this, &MainWindow::openTeamDatabase);
    connect(addItem(file, "mnuClose", QStringLiteral("Close")), &QAction::triggered, this,
            &MainWindow::closeDatabase);
    addItem(file, "mnuSaveAs", QStringLiteral("Save As..."));
    addItem(file, "mnuExport", QStringLiteral("Export"));
    connect(addItem(file, "mnuImport", QStringLiteral("&Import...")), &QAction::triggered, this,
            [this] { ImportWizard(*m_databases, m_settings.store(), this).exec(); });
    addItem(file, "mnuSend", QStringLiteral("Send"));
    QMenu* print = addMenu(file, "mnuPrint", "mnuPrint", QStringLiteral("Print..."));
    const char* const reports[] = {
        "Summary",  "Detail",   "By Probability",     "By Revenue",
        "By Stage", "Forecast", "Forecast (By Week)", "Forecast (By Month)"};
    for (int index = 1; index <= 8; ++index) {
        QAction* entry = print->addAction(QLatin1String(reports[index - 1]));
        entry->setObjectName(QStringLiteral("mnuRpt_%1").arg(index));
        entry->setData(index);
    }
    addSeparator(file, "mnuSeperator1");
    connect(addItem(file, "mnuExit", QStringLiteral("E&xit")), &QAction::triggered, this,
            &MainWindow::exitApplication);

    QMenu* opportunity =
        addMenu(nullptr, "mnuOpportunity", "mnuOpportunity", QStringLiteral("Opportunity"));
    addItem(opportunity, "mnuNewOpportunity", QStringLiteral("New"));
    addSeparator(opportunity, "mnuSeperator2");
    addItem(opportunity, "mnuEditOpportunity", QStringLiteral("Edit"));
    addItem(opportunity, "mnuDeleteOpportunity", QStringLiteral("Delete"));
    addSeparator(opportunity, "mnuSeperator3");
    addItem(opportunity, "mnuCopyOpportunity", QStringLiteral("Copy"));
    addItem(opportunity, "mnuPasteOpportunity", QStringLiteral("Paste"));

    QMenu* edit = addMenu(nullptr, "mnuEdit", "mnuEdit", QStringLiteral("Edit"));
    addItem(edit, "mnuUndo", QStringLiteral("&Undo"));
    addItem(edit, "mnuRedo", QStringLiteral("&Redo"));
    addSeparator(edit, "mnuSeparatorHistory");
    addItem(edit, "mnuHistory", QStringLiteral("&History"));

    QMenu* tools = addMenu(nullptr, "mnuTools", "mnuTools", QStringLiteral("Tools"));
    QMenu* sort = addMenu(tools, "mnuSortChoices", "mnuSort", QStringLiteral("Sort..."));
    m_sortGroup = new QActionGroup(this);
    m_sortGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int position = 0; position <= 14; ++position) {
        const QString caption = position == 0 ? QStringLiteral("Not Sorted")
                                              : OpportunityFields::sortCaptions().at(position - 1);
        QAction* choice = sort->addAction(caption);
        choice->setObjectName(QStringLiteral("mnuSortChoices_%1").arg(position));
        choice->setData(position);
        choice->setCheckable(true);
        m_sortGroup->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, position] { applySortChoice(position); });
        m_sortChoices[position] = choice;
    }
    addItem(tools, "mnuFilter", QStringLiteral("Filter"));
    addItem(tools, "mnuOptions", QStringLiteral("Options"));
    addSeparator(tools, "mnuSeparator5");
    addItem(tools, "mnuAppt", QStringLiteral("Appointment"));
    addItem(tools, "mnuTask", QStringLiteral("Task"));
    addItem(tools, "mnuEmail", QStringLiteral("Email"));

    QMenu* window = addMenu(nullptr, "mnuWindow", "mnuWindow", QStringLiteral("Window"));
    m_windowSeparator = addSeparator(window, "mnudbList_0");
    m_windowGroup = new QActionGroup(this);
    m_windowGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);

    QMenu* help = addMenu(nullptr, "mnuHelp", "mnuHelp", QStringLiteral("Help"));
    QAction* helpInfo = addItem(help, "mnuHelpInfo", QStringLiteral("Corvane Help"));
    helpInfo->setShortcut(QKeySequence::HelpContents);
    connect(helpInfo, &QAction::triggered, this,
            [this] { HelpWindow::showTopic(QString(), this); });
    addSeparator(help, "mnuSeperator5");
    connect(addItem(help, "mnuAbout", QStringLiteral("About Corvane")), &QAction::triggered, this,
            [this] {
                AboutDialog box(m_settings.store(), this);
                box.exec();
            });
}

void MainWindow::buildToolbar() {
    m_toolbar = addToolBar(QStringLiteral("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ToolButton& button : ToolButtons) {
        const QString key = QLatin1String(button.key);
        const QIcon fallback(
            QStringLiteral(":/icons/%1.svg").arg(QLatin1String(button.bundledIcon)));
        QAction* action =
            m_toolbar->addAction(QIcon::fromTheme(QLatin1String(button.themeIcon), fallback),
                                 QLatin1String(button.toolTip));
        action->setObjectName(key);
        action->setData(key);
        action->setToolTip(QLatin1String(button.toolTip));
        connect(action, &QAction::triggered, this, [this, key] { runToolbarButton(key); });
        m_toolButtons.insert(key, action);
    }
    setToolbarHandler(QStringLiteral("File"), [this] { openDatabase(); });
    setToolbarHandler(QStringLiteral("Close"), [this] { closeDatabase(); });
    setToolbarHandler(QStringLiteral("Help"), [this] { HelpWindow::showTopic(QString(), this); });
}

void MainWindow::buildCentral() {
    const qreal dpi = this->dpi();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));

    m_list = new QTreeView(central);
    m_list->setObjectName(QStringLiteral("lv_Opportunity"));
    m_list->setModel(m_proxy);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(false);
    m_list->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = m_list->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setStretchLastSection(true);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header, &QHeaderView::sectionClicked, this, &MainWindow::headerClicked);
    connect(header, &QHeaderView::sectionResized, this, &MainWindow::columnResized);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::listSelectionChanged);

    m_frameQuickinfo = new QGroupBox(QStringLiteral("Quick Info"), central);
    m_frameQuickinfo->setObjectName(QStringLiteral("frame_Quickinfo"));
    m_comboStage = new QComboBox(m_frameQuickinfo);
    m_comboStage->setObjectName(QStringLiteral("combo_Stage"));
    m_comboStage->addItems(ValueLists::stage());
    m_comboStage->setPlaceholderText(QStringLiteral("Stage"));
    m_comboStage->setCurrentIndex(-1);
    m_comboProbability = new QComboBox(m_frameQuickinfo);
    m_comboProbability->setObjectName(QStringLiteral("combo_Probability"));
    m_comboProbability->addItems(ValueLists::probability());
    m_comboProbability->setPlaceholderText(QStringLiteral("Probability"));
    m_comboProbability->setCurrentIndex(-1);
    m_comboProbability->setToolTip(
        QStringLiteral("The probabilty of closing this sales opportunity."));
    m_txtNotes = new QPlainTextEdit(m_frameQuickinfo);
    m_txtNotes->setObjectName(QStringLiteral("txt_Notes"));
    // The note changes only through the note editor, which a mouse press opens.
    m_txtNotes->setReadOnly(true);
    m_txtNotes->setTabChangesFocus(true);
    m_txtNotes->setFixedHeight(Twips::toPixels(855, dpi));
    m_txtNotes->viewport()->installEventFilter(this);
    m_txtNotes->installEventFilter(this);
    m_txtNotes->viewport()->setCursor(Qt::PointingHandCursor);
    connect(m_comboStage, &QComboBox::activated, this, &MainWindow::stageChosen);
    connect(m_comboProbability, &QComboBox::activated, this, &MainWindow::probabilityChosen);

    auto* quickLayout = new QGridLayout(m_frameQuickinfo);
    quickLayout->setHorizontalSpacing(Twips::toPixels(150, dpi));
    quickLayout->addWidget(m_comboStage, 0, 0);
    quickLayout->addWidget(m_comboProbability, 0, 1);
    quickLayout->addWidget(m_txtNotes, 1, 0, 1, 2);
    quickLayout->setColumnStretch(0, 1);
    quickLayout->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(central);
    const int margin = Twips::toPixels(120, dpi);
    layout->setContentsMargins(margin, margin / 2, margin, margin / 2);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_frameQuickinfo, 0);
    setCentralWidget(central);
}

void MainWindow::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(true);
    for (const Panel& panel : Panels) {
        auto* label = new QLabel(bar);
        const QString key = QLatin1String(panel.key);
        if (key.isEmpty()) {
            label->setText(QLatin1String(panel.label));
            label->setObjectName(QStringLiteral("StatusLabel") +
                                 QString(QLatin1String(panel.label)).trimmed());
        } else {
            label->setObjectName(key);
            label->setToolTip(QLatin1String(panel.description));
            label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            label->setMinimumWidth(Twips::toPixels(1200, dpi()));
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_panels.insert(key, label);
        }
        bar->addWidget(label, key.isEmpty() ? 0 : 1);
    }
    // Stays while a team database's connection is lost.
    m_connectionNotice = new QLabel(bar);
    m_connectionNotice->setObjectName(QStringLiteral("lbl_ConnectionNotice"));
    m_connectionNotice->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_connectionNotice->hide();
    bar->addPermanentWidget(m_connectionNotice);
}

// ---------------------------------------------------------------------------------------------
// Start-up and databases

SalesDatabase& MainWindow::shownDatabase() {
    if (SalesDatabase* shown = m_databases->shown())
        return *shown;
    if (!m_noDatabase)
        m_noDatabase = std::make_unique<SalesDatabase>(SalesStore::forLocation(QString()));
    return *m_noDatabase;
}

bool MainWindow::hasDatabase() const {
    return !m_databases->isEmpty();
}

bool MainWindow::isDatabaseOpen(const QString& location) const {
    return m_databases->isOpen(location);
}

void MainWindow::connectDatabases() {
    OpenDatabases* databases = m_databases;
    connect(databases, &OpenDatabases::databaseOpened, this, [this](SalesDatabase* database) {
        windowList(*database);
        m_actions.value(QStringLiteral("mnuClose"))->setEnabled(true);
    });
    connect(databases, &OpenDatabases::databaseClosed, this, [this](qint32 window) {
        removeWindowEntry(window);
        if (m_lostConnections.remove(window))
            showConnectionNotice();
    });
    connect(databases, &OpenDatabases::connectionLost, this, [this](SalesDatabase* database) {
        m_lostConnections.insert(database->window(), database->store().description());
        showConnectionNotice();
    });
    connect(databases, &OpenDatabases::connectionRestored, this, [this](SalesDatabase* database) {
        m_lostConnections.remove(database->window());
        showConnectionNotice();
        statusBar()->showMessage(QStringLiteral("Connected to %1 again; its opportunities were "
                                                "read anew")
                                     .arg(database->store().description()),
                                 StatusNoteMs);
    });
    connect(databases, &OpenDatabases::shownChanged, this, &MainWindow::shownChanged);
    // The model has read the rows anew by now: the view takes up its sort, widths and selection.
    connect(databases, &OpenDatabases::visibilityChanged, this,
            [this] { showListView(false, false); });
    connect(databases, &OpenDatabases::totalsChanged, this, [this] {
        showTotals();
        formTitle(shownDatabase());
    });
    connect(databases, &OpenDatabases::opportunitiesReset, this, [this](SalesDatabase* database) {
        if (database == m_databases->shown())
            showListView(true, false);
    });
    connect(databases, &OpenDatabases::opportunityChanged, this,
            [this](SalesDatabase* database, const QString& key) {
                if (database == m_databases->shown() && selectedKey() == key)
                    showQuickInfo();
            });
    connect(databases, &OpenDatabases::opportunityAdded, this, [this] { updateCommandState(); });
    connect(databases, &OpenDatabases::opportunityRemoved, this, [this] { updateCommandState(); });
}

void MainWindow::load(const QStringList& commandLineFiles) {
    if (m_settings.user().useOutlook())
        m_outlookContacts = std::make_unique<OutlookContacts>(m_settings.store());
    m_firstOpen = false;
    // Files named on the command line (by a launcher or a file manager) take the place of the
    // database of the last exit.
    QStringList named = commandLineFiles;
    named.removeAll(QString());
    if (!named.isEmpty()) {
        openFiles(named);
    } else {
        // The program's folder is the stored mark of "no database".
        const QString programDirectory = QCoreApplication::applicationDirPath();
        const QString stored = m_settings.store().getSetting(
            QLatin1String(SettingsStore::AppName), QStringLiteral("Settings"),
            QStringLiteral("Database"), programDirectory);
        if (stored != programDirectory) {
            if (stored.isEmpty()) {
                if (const auto chosen = chooseDatabaseFile())
                    openLocation(*chosen);
            } else {
                openLocation(stored);
            }
        }
    }
    if (!hasDatabase())
        showListView(false);
}

void MainWindow::load(const QList<QByteArray>& commandLineNames) {
    QStringList names;
    for (const QByteArray& raw : commandLineNames) {
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) == raw) {
            names.append(name);
            continue;
        }
        UiServices::instance().messageBox(
            QStringLiteral("The name %1 is not valid UTF-8 text: it would name another file. "
                           "Rename the file to use it with Corvane.")
                .arg(name),
            QStringLiteral("Open Database File."), UiServices::Icon::Exclamation,
            UiServices::Buttons::Ok);
    }
    load(names);
}

std::optional<QString> MainWindow::chooseDatabaseFile() {
    UiServices::FileRequest request;
    request.title = QStringLiteral("Open or Create a Corvane Database");
    request.defaultSuffix = QStringLiteral("mdb");
    request.fileName = QString();
    request.filters = {QStringLiteral("*.mdb (*.mdb)")};
    const auto chosen = UiServices::instance().chooseFile(request);
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    return chosen;
}

void MainWindow::openDatabase() {
    if (const auto chosen = chooseDatabaseFile())
        openLocation(*chosen);
    updateCommandState();
}

void MainWindow::openTeamDatabase() {
    TeamDatabaseDialog dialog(RecentTeamDatabases::read(m_settings.store()), this);
    if (dialog.exec() == QDialog::Accepted)
        openLocation(dialog.location());
    updateCommandState();
}

void MainWindow::openServerLocation(const QString& location) {
    UiServices& ui = UiServices::instance();
    PasswordKeyring& keyring = PasswordKeyring::instance();
    // The keyring names the database as it is shown, never with a password.
    const QString shown = SalesServerStore::withoutPassword(location);
    const SalesServerStore named(location, SalesStore::Access::ReadOnly);
    QString password;
    bool fromKeyring = false;
    if (const auto kept = keyring.read(shown)) {
        password = *kept;
        fromKeyring = true;
    }
    bool remember = false;
    for (;;) {
        SalesServerStore::Login login = SalesServerStore::Login::Failed;
        const auto opened = [&] {
            const WaitCursor wait;
            return m_databases->open(location, password, &login);
        }();
        if (opened) {
            RecentTeamDatabases::add(m_settings.store(), shown);
            if (remember) {
                if (const Result kept = keyring.write(shown, password); !kept)
                    statusBar()->showMessage(
                        QStringLiteral("The password could not be kept in the desktop's "
                                       "keyring (%1); it is used until Corvane ends")
                            .arg(kept.message()),
                        StatusNoteMs);
            }
            return;
        }
        if (login != SalesServerStore::Login::PasswordNeeded &&
            login != SalesServerStore::Login::PasswordRefused) {
            ui.messageBox(opened.message(), QStringLiteral("Open Database File."),
                          UiServices::Icon::Exclamation, UiServices::Buttons::Ok);
            updateCommandState();
            return;
        }
        const QUrl url(shown);
        const QString server =
            url.port() > 0 ? QStringLiteral("%1:%2").arg(url.host()).arg(url.port()) : url.host();
        TeamPasswordDialog dialog(url.userName(), server, this);
        if (login == SalesServerStore::Login::PasswordRefused) {
            // A kept password that the server refuses is forgotten.
            if (fromKeyring)
                keyring.remove(shown);
            const QString cause = opened.message().section(QStringLiteral(": "), 1);
            dialog.setMessage(fromKeyring ? QStringLiteral("The password kept in the keyring "
                                                           "was refused: %1")
                                                .arg(cause)
                                          : cause);
        }
        fromKeyring = false;
        if (dialog.exec() != QDialog::Accepted) {
            statusBar()->showMessage(
                QStringLiteral("Opening %1 cancelled; nothing was opened").arg(named.description()),
                StatusNoteMs);
            updateCommandState();
            return;
        }
        password = dialog.password();
        remember = dialog.remember();
    }
}

void MainWindow::showConnectionNotice() {
    QStringList lost = m_lostConnections.values();
    lost.removeDuplicates();
    m_connectionNotice->setText(QStringLiteral("Connection to %1 lost; reconnecting\u2026")
                                    .arg(lost.join(QStringLiteral(", "))));
    m_connectionNotice->setToolTip(
        QStringLiteral("Corvane connects again by itself; until then nothing can be saved."));
    m_connectionNotice->setVisible(!lost.isEmpty());
    fitStatusPanels();
}

void MainWindow::openFiles(const QStringList& locations) {
    for (const QString& location : locations) {
        if (!location.isEmpty())
            openLocation(location);
    }
}

void MainWindow::openLocation(const QString& location) {
    UiServices& ui = UiServices::instance();
    const QString canonical = OpenDatabases::canonicalLocation(location);
    if (m_databases->isOpen(canonical)) {
        // A team database is named without the password that its URI may carry.
        const QString named = SalesServerStore::isServerLocation(canonical)
                                  ? SalesServerStore::withoutPassword(canonical)
                                  : canonical;
        ui.messageBox(named + QStringLiteral(" is already open."), QStringLiteral("Database Open"),
                      UiServices::Icon::Information, UiServices::Buttons::Ok);
        return;
    }
    if (SalesServerStore::isServerLocation(canonical)) {
        openServerLocation(canonical);
        return;
    }
    // Every write waits a while for a file that another program holds: the cursor shows it.
    const auto opened = [&] {
        const WaitCursor wait;
        return m_databases->open(canonical);
    }();
    if (!opened) {
        ui.messageBox(opened.message(), QStringLiteral("Open Database File."),
                      UiServices::Icon::Exclamation, UiServices::Buttons::Ok);
        updateCommandState();
    }
}

void MainWindow::newDatabase() {
    UiServices& ui = UiServices::instance();
    const auto chosen = chooseDatabaseFile();
    if (!chosen)
        return;
    const QString location = OpenDatabases::canonicalLocation(*chosen);
    bool replace = false;
    if (m_databases->isOpen(location)) {
        ui.messageBox(location + QStringLiteral(" is currently open."),
                      QStringLiteral("Replacing An Open Database"), UiServices::Icon::Critical,
                      UiServices::Buttons::Ok);
        return;
    }
    if (OpenDatabases::isDatabaseFile(location)) {
        if (ui.messageBox(QStringLiteral("Do you wish to replace ") + location,
                          QStringLiteral("Replace Corvane Database"), UiServices::Icon::None,
                          UiServices::Buttons::YesNo) != UiServices::Answer::Yes)
            return;
        replace = true;
    }
    // A replaced file gives way only to a complete new database.
    const auto created = [&] {
        const WaitCursor wait;
        return m_databases->create(location, replace);
    }();
    if (!created)
        ui.messageBox(created.message(),
                      replace ? QStringLiteral("Replace Database")
                              : QStringLiteral("Create A New Database"),
                      UiServices::Icon::Exclamation, UiServices::Buttons::Ok);
}

void MainWindow::closeDatabase() {
    m_databases->closeShown();
    updateCommandState();
}

void MainWindow::exitApplication() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

void MainWindow::shutDown() {
    // The editor window is closed by its own shut-down when it exists.
    const SalesDatabase* shown = m_databases->shown();
    m_settings.store().saveSetting(QLatin1String(SettingsStore::AppName),
                                   QStringLiteral("Settings"), QStringLiteral("Database"),
                                   shown ? shown->location() : QString());
    captureColumnWidths();
    m_settings.save();
    m_unloaded = true;
}

void MainWindow::commitData() {
    shutDown();
}

void MainWindow::showWindowEntry(qint16 index) {
    m_databases->show(index);
}

void MainWindow::shownChanged(SalesDatabase* database) {
    if (database) {
        if (QAction* entry = m_windowEntries.value(database->window()))
            entry->setChecked(true);
        formTitle(*database);
    } else {
        if (QAction* checked = m_windowGroup->checkedAction())
            checked->setChecked(false);
        setWindowTitle(ProductName);
    }
    showListView(false, false);
}

void MainWindow::windowList(const SalesDatabase& database) {
    const qint32 index = database.window();
    QMenu* window = m_menus.value(QStringLiteral("mnuWindow"));
    auto* entry = new QAction(QLatin1Char('&') + menuText(QString::number(index) +
                                                          QLatin1Char(' ') + database.location()),
                              window);
    entry->setObjectName(QStringLiteral("mnudbList_%1").arg(index));
    entry->setData(index);
    entry->setCheckable(true);
    m_windowGroup->addAction(entry);
    // Entries stand in index order.
    const auto next = m_windowEntries.upperBound(index);
    window->insertAction(next == m_windowEntries.end() ? nullptr : next.value(), entry);
    m_windowEntries.insert(index, entry);
    const auto shown = static_cast<qint16>(index);
    connect(entry, &QAction::triggered, this, [this, shown] { showWindowEntry(shown); });
}

void MainWindow::removeWindowEntry(qint32 index) {
    if (QAction* entry = m_windowEntries.take(index))
        delete entry;
}

void MainWindow::formTitle(const SalesDatabase& theOppdb) {
    if (!hasDatabase()) {
        setWindowTitle(ProductName);
        return;
    }
    const ::Opportunities& collection = theOppdb.opportunities();
    setWindowTitle(QStringLiteral("%1 - [%2/%3] %4")
                       .arg(ProductName)
                       .arg(collection.count())
                       .arg(collection.unFilteredCount())
                       .arg(theOppdb.name()));
}

// ---------------------------------------------------------------------------------------------
// The list

bool MainWindow::hasRows() const {
    return m_model->rowCount() > 0;
}

QString MainWindow::selectedKey() const {
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return QString();
    return m_model->keyAt(m_proxy->mapToSource(selected.constFirst()).row());
}

void MainWindow::selectKey(const QString& key) {
    const int row = m_model->rowOf(key);
    if (row < 0)
        return;
    const QModelIndex index = m_proxy->mapFromSource(m_model->index(row, 0));
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_list->scrollTo(index);
}

void MainWindow::showListView(bool restoreSelectedItem, bool rebuildRows) {
    const QString remembered = restoreSelectedItem ? selectedKey() : QString();

    m_rebuilding = true;
    const QStringList columns = OpportunityListModel::displayedKeys(m_settings.columns());
    if (rebuildRows || m_model->dataColumnKeys() != columns) {
        m_proxy->sort(-1);
        m_model->rebuild(shownDatabase().opportunities(), columns);
    }
    applyColumnWidths();
    applyStoredSort();
    m_rebuilding = false;

    if (restoreSelectedItem && !remembered.isEmpty() && m_model->rowOf(remembered) >= 0) {
        m_rebuilding = true;
        selectKey(remembered);
        m_rebuilding = false;
        showQuickInfo();
    }
    if (selectedKey().isEmpty())
        showQuickInfo();

    updateCommandState();
    showTotals();
    formTitle(shownDatabase());
}

void MainWindow::showTotals() {
    const OpenDatabases::Totals shown = m_databases->shownTotals();
    m_panels.value(QStringLiteral("CurrentOpportunity"))
        ->setText(QString::number(shown.visibleCount));
    m_panels.value(QStringLiteral("CurrentForecast"))
        ->setText(moneyPanelText(shown.forecastRevenue));
    m_panels.value(QStringLiteral("CurrentRevenue"))->setText(moneyPanelText(shown.totalRevenue));
    const OpenDatabases::Totals all = m_databases->allTotals();
    m_panels.value(QStringLiteral("TotalOpportunity"))->setText(QString::number(all.visibleCount));
    m_panels.value(QStringLiteral("TotalForecast"))->setText(moneyPanelText(all.forecastRevenue));
    m_panels.value(QStringLiteral("TotalRevenue"))->setText(moneyPanelText(all.totalRevenue));
    fitStatusPanels();
}

void MainWindow::applyColumnWidths() {
    const qreal dpi = this->dpi();
    const ListLayout layout = listLayout();
    for (int column = 0; column < m_model->dataColumnCount(); ++column) {
        if (const int width = layout.columnWidth(m_model->columnKey(column), dpi); width >= 0)
            m_list->header()->resizeSection(column, width);
    }
    sizeUnstoredColumns();
}

void MainWindow::captureColumnWidths() {
    listLayout().captureColumnWidths(
        [this](const QString& key) {
            const int column = m_model->columnOf(key);
            return column >= 0 ? m_list->header()->sectionSize(column) : -1;
        },
        dpi());
}

// A width the user drags is kept for the rest of the run, so that the next rebuild does not
// undo it; at shut-down it is captured as every other width.
void MainWindow::columnResized(int section, int, int newSize) {
    if (m_rebuilding || section >= m_model->dataColumnCount())
        return;
    listLayout().setColumnWidth(m_model->columnKey(section), newSize, dpi());
    m_unsizedColumns.removeAll(m_model->columnKey(section));
}

void MainWindow::applyStoredSort() {
    const ListLayout layout = listLayout();
    const Qt::SortOrder order = layout.sortOrder();
    const QString key = layout.sortKey();
    const int column = key.isEmpty() ? -1 : m_model->columnOf(key);
    m_proxy->sort(column, order);
    QHeaderView* header = m_list->header();
    header->setSortIndicatorShown(column >= 0);
    if (column >= 0)
        header->setSortIndicator(column, order);
}

void MainWindow::headerClicked(int section) {
    const QString key = m_model->columnKey(section);
    if (key.isEmpty())
        return;
    applySortChoice(key);
}

void MainWindow::applySortChoice(int sortMenuPosition) {
    applySortChoice(OpportunityFields::sortKey(sortMenuPosition));
}

void MainWindow::applySortChoice(const QString& choice) {
    ListLayout layout = listLayout();
    layout.chooseSort(choice);
    applyStoredSort();
    scrollAfterSort();

    updateCommandState();
    if (layout.sortKey().isEmpty())
        showListView(true);
}

int MainWindow::sortMenuPosition(const QString& key) const {
    return OpportunityFields::sortPosition(key);
}

void MainWindow::updateCommandState() {
    const bool hasRows = this->hasRows();
    const bool hasDatabase = this->hasDatabase();
    const bool useOutlook = m_settings.user().useOutlook();
    auto enable = [this](const char* name, bool enabled) {
        if (QAction* action = m_actions.value(QLatin1String(name)))
            action->setEnabled(enabled);
    };
    // New and Paste serve any shown database, also an empty one or one filtered to no rows.
    const bool hasSelection = hasRows && !selectedKey().isEmpty();
    enable("mnuOpportunity", hasDatabase);
    enable("mnuNewOpportunity", hasDatabase);
    for (const char* name : {"mnuEditOpportunity", "mnuDeleteOpportunity"})
        enable(name, hasRows);
    enable("mnuSort", hasRows);
    for (const char* name :
         {"mnuClose", "mnuExport", "mnuImport", "mnuPrint", "mnuSaveAs", "mnuFilter"})
        enable(name, hasDatabase);

    const SortChoice& settings = m_settings.sortChoice();
    const int checkedPosition = settings.displaySorted() && settings.displaySortKey()
                                    ? sortMenuPosition(*settings.displaySortKey())
                                    : 0;
    const ColumnsInfo& columns = m_settings.columns();
    for (int position = 0; position <= 14; ++position) {
        m_sortChoices[position]->setChecked(position == checkedPosition);
        if (position > 0) {
            const ColumnStatus* status = columns.item(ColumnsInfo::keyValue(position));
            m_sortChoices[position]->setVisible(status && status->isDisplayed());
        }
    }

    // Calendar and mail items are about the selected opportunity.
    for (const char* name : {"mnuTask", "mnuAppt", "mnuEmail"})
        enable(name, useOutlook && hasSelection);
    enable("mnuSend", useOutlook && hasDatabase);
    enable("mnuCopyOpportunity", hasRows);
    enable("mnuPasteOpportunity", m_opportunityCopied && hasDatabase);
    m_actions.value(QStringLiteral("mnuPasteOpportunity"))->setVisible(m_opportunityCopied);

    auto enableButton = [this](const char* key, bool enabled) {
        m_toolButtons.value(QLatin1String(key))->setEnabled(enabled);
    };
    for (const char* key : {"Edit", "Delete", "Copy"})
        enableButton(key, hasRows);
    enableButton("Send", useOutlook && hasDatabase);
    enableButton("Close", hasDatabase);
    enableButton("New", hasDatabase);
    enableButton("Paste", m_opportunityCopied && hasDatabase);

    m_list->setEnabled(hasDatabase);
    // The panel serves the selected row only.
    m_comboStage->setEnabled(hasSelection);
    m_comboProbability->setEnabled(hasSelection);
    m_txtNotes->setEnabled(hasSelection);
}

void MainWindow::runToolbarButton(const QString& key) {
    const auto handler = m_toolbarHandlers.constFind(key);
    if (handler != m_toolbarHandlers.constEnd())
        (*handler)();
}

void MainWindow::setToolbarHandler(const QString& key, std::function<void()> handler) {
    m_toolbarHandlers.insert(key, std::move(handler));
}

void MainWindow::wireHistory() {
    QUndoGroup& history = m_databases->history();
    QAction* undo = m_actions.value(QStringLiteral("mnuUndo"));
    QAction* redo = m_actions.value(QStringLiteral("mnuRedo"));
    undo->setShortcut(QKeySequence::Undo);
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(undo, &QAction::triggered, this, [this] { runHistoryStep(true); });
    connect(redo, &QAction::triggered, this, [this] { runHistoryStep(false); });
    connect(m_actions.value(QStringLiteral("mnuHistory")), &QAction::triggered, this,
            &MainWindow::showHistory);
    connect(m_databases, &OpenDatabases::stepRefused, this,
            [this](const QString& message) { reportStoreFailure(Result::failure(message)); });

    // The toolbar's Undo and Redo buttons, after Paste.
    QAction* send = m_toolButtons.value(QStringLiteral("Send"));
    const auto addButton = [this, send](const QString& key, const char* themeIcon,
                                        QStyle::StandardPixmap fallback, bool undoing) {
        auto* button =
            new QAction(QIcon::fromTheme(QLatin1String(themeIcon), style()->standardIcon(fallback)),
                        key, m_toolbar);
        button->setObjectName(key);
        button->setData(key);
        m_toolbar->insertAction(send, button);
        connect(button, &QAction::triggered, this, [this, key] { runToolbarButton(key); });
        m_toolButtons.insert(key, button);
        setToolbarHandler(key, [this, undoing] { runHistoryStep(undoing); });
        return button;
    };
    QAction* undoButton =
        addButton(QStringLiteral("Undo"), "edit-undo", QStyle::SP_ArrowBack, true);
    QAction* redoButton =
        addButton(QStringLiteral("Redo"), "edit-redo", QStyle::SP_ArrowForward, false);

    // The captions name the step; an ampersand in an opportunity's name is no access key.
    const auto follow = [&history, undo, redo, undoButton, redoButton] {
        const auto caption = [](const QString& verb, QString step) {
            return step.isEmpty() ? verb
                                  : verb + QLatin1Char(' ') +
                                        step.replace(QLatin1Char('&'), QStringLiteral("&&"));
        };
        undo->setText(caption(QStringLiteral("&Undo"), history.undoText()));
        undo->setEnabled(history.canUndo());
        redo->setText(caption(QStringLiteral("&Redo"), history.redoText()));
        redo->setEnabled(history.canRedo());
        const auto tip = [](const QString& verb, const QString& step) {
            return step.isEmpty() ? verb : verb + QLatin1Char(' ') + step;
        };
        undoButton->setToolTip(tip(QStringLiteral("Undo"), history.undoText()));
        undoButton->setEnabled(history.canUndo());
        redoButton->setToolTip(tip(QStringLiteral("Redo"), history.redoText()));
        redoButton->setEnabled(history.canRedo());
    };
    connect(&history, &QUndoGroup::undoTextChanged, this, follow);
    connect(&history, &QUndoGroup::redoTextChanged, this, follow);
    connect(&history, &QUndoGroup::canUndoChanged, this, follow);
    connect(&history, &QUndoGroup::canRedoChanged, this, follow);
    connect(&history, &QUndoGroup::activeStackChanged, this, follow);
    follow();
}

void MainWindow::runHistoryStep(bool undo) {
    // An opportunity that comes back is selected.
    QString restored;
    const QMetaObject::Connection added =
        connect(m_databases, &OpenDatabases::opportunityAdded, this,
                [&restored](SalesDatabase*, const QString& key) { restored = key; });
    {
        const WaitCursor wait;
        if (undo)
            m_databases->undo();
        else
            m_databases->redo();
    }
    disconnect(added);
    if (!restored.isEmpty())
        selectKey(restored);
    showQuickInfo();
    updateCommandState();
}

void MainWindow::showHistory() {
    if (!m_historyWindow) {
        m_historyWindow = new QUndoView(&m_databases->history(), this);
        m_historyWindow->setObjectName(QStringLiteral("historyWindow"));
        m_historyWindow->setWindowFlag(Qt::Tool);
        m_historyWindow->setWindowTitle(QStringLiteral("History"));
        m_historyWindow->setEmptyLabel(QStringLiteral("<opened>"));
        // Beside the list's right edge, inside the main window and never past the screen.
        const QRect screen = this->screen()->availableGeometry();
        const QSize size(qMin(Twips::toPixels(6000, dpi()), screen.width()),
                         qMin(Twips::toPixels(6000, dpi()), screen.height()));
        const QRect frame = frameGeometry();
        QRect place(QPoint(frame.right() - size.width(), frame.top() + frame.height() / 8), size);
        place.moveRight(qMin(place.right(), screen.right()));
        place.moveLeft(qMax(place.left(), screen.left()));
        place.moveBottom(qMin(place.bottom(), screen.bottom()));
        place.moveTop(qMax(place.top(), screen.top()));
        m_historyWindow->setGeometry(place);
    }
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

void MainWindow::reportStoreFailure(const Result& result) {
    if (result.ok())
        return;
    UiServices::instance().messageBox(result.message(), ProductName, UiServices::Icon::Exclamation,
                                      UiServices::Buttons::Ok);
}

// ---------------------------------------------------------------------------------------------
// The quick-info panel

void MainWindow::listSelectionChanged() {
    if (m_rebuilding)
        return;
    showQuickInfo();
    updateCommandState();
}

void MainWindow::showQuickInfo() {
    m_fillingQuickInfo = true;
    const QString key = selectedKey();
    const Opportunity* opportunity =
        hasRows() && !key.isEmpty() ? shownDatabase().opportunities().item(key) : nullptr;
    if (opportunity) {
        selectComboText(*m_comboProbability, opportunity->probability());
        selectComboText(*m_comboStage, opportunity->stage());
        m_txtNotes->setPlainText(opportunity->note());
    } else {
        // No row, no opportunity: nothing to show and nothing to change.
        m_comboProbability->setCurrentIndex(-1);
        m_comboStage->setCurrentIndex(-1);
        m_txtNotes->clear();
    }
    m_comboStage->setEnabled(opportunity != nullptr);
    m_comboProbability->setEnabled(opportunity != nullptr);
    m_txtNotes->setEnabled(opportunity != nullptr);
    m_fillingQuickInfo = false;
    if (!QApplication::activeModalWidget())
        m_list->setFocus();
}

bool MainWindow::changeSelectedOpportunity(const std::function<void(Opportunity&)>& change,
                                           const QString& action) {
    const QString key = selectedKey();
    const Opportunity* selected =
        key.isEmpty() ? nullptr : shownDatabase().opportunities().item(key);
    if (!selected)
        return false;
    Opportunity edited(*selected);
    change(edited);
    const Result written = [&] {
        const WaitCursor wait;
        return m_databases->update(key, edited, action);
    }();
    reportStoreFailure(written);
    return written.ok();
}

void MainWindow::stageChosen() {
    if (m_fillingQuickInfo)
        return;
    const QString text = m_comboStage->currentText();
    // A failed write leaves the opportunity as the file has it, and the panel shows that.
    if (!changeSelectedOpportunity([&text](Opportunity& o) { o.setStage(text); },
                                   QStringLiteral("Change Stage of")))
        showQuickInfo();
}

void MainWindow::probabilityChosen() {
    if (m_fillingQuickInfo)
        return;
    const QString text = m_comboProbability->currentText();
    if (!changeSelectedOpportunity([&text](Opportunity& o) { o.setProbability(text); },
                                   QStringLiteral("Change Probability of")))
        showQuickInfo();
}

void MainWindow::editNotes() {
    NoteEditor editor(this);
    editor.edit(m_txtNotes->toPlainText());
    if (editor.exec() == QDialog::Accepted)
        m_txtNotes->setPlainText(editor.note());
    const QString note = m_txtNotes->toPlainText();
    changeSelectedOpportunity([&note](Opportunity& o) { o.setNote(note); },
                              QStringLiteral("Change Note of"));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !selectedKey().isEmpty()) {
            editOpportunity();
            return true;
        }
    }
    // A wheel turned over a combo that has no focus edits nothing.
    if (event->type() == QEvent::Wheel &&
        (watched == m_comboStage || watched == m_comboProbability) &&
        !static_cast<QWidget*>(watched)->hasFocus()) {
        event->ignore();
        return true;
    }
    if (watched == statusBar() && event->type() == QEvent::Resize)
        fitStatusPanels();
    if (m_emptyListNote && watched == m_list->viewport() && event->type() == QEvent::Resize)
        m_emptyListNote->setGeometry(m_list->viewport()->rect());
    // With no row selected, the first Down or Up selects the top row.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Down || key == Qt::Key_Up) && selectedKey().isEmpty() &&
            m_proxy->rowCount() > 0) {
            m_list->selectionModel()->setCurrentIndex(m_proxy->index(0, 0),
                                                      QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
            m_list->scrollToTop();
            return true;
        }
    }
    // Files dragged onto the list merge as the list's drop rule says.
    if (watched == m_list->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (hasDatabase() && !droppedFiles(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            drop->acceptProposedAction();
            dropFiles(droppedFiles(drop->mimeData()));
            return true;
        }
    }
    if (watched == m_txtNotes->viewport() && event->type() == QEvent::MouseButtonPress &&
        m_txtNotes->isEnabled()) {
        editNotes();
        return true;
    }
    // From the keyboard, Enter or F2 on the note box opens the note editor as a click does.
    if (watched == m_txtNotes && event->type() == QEvent::KeyPress && m_txtNotes->isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2) {
            editNotes();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Commands on opportunities, the Tools menu, exchange, mail and reports

void MainWindow::wireCommands() {
    const auto wire = [this](const char* name, void (MainWindow::*handler)(),
                             const QKeySequence& shortcut = QKeySequence()) {
        QAction* action = m_actions.value(QLatin1String(name));
        if (!action)
            return;
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, handler);
    };
    // Shortcuts are standard keys that change nothing by themselves; New database keeps its
    // own with Shift.
    m_actions.value(QStringLiteral("mnuNew"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    wire("mnuNewOpportunity", &MainWindow::newOpportunity, QKeySequence::New);
    wire("mnuEditOpportunity", &MainWindow::editOpportunity);
    wire("mnuDeleteOpportunity", &MainWindow::deleteOpportunity, QKeySequence::Delete);
    wire("mnuCopyOpportunity", &MainWindow::copyOpportunity, QKeySequence::Copy);
    wire("mnuPasteOpportunity", &MainWindow::pasteOpportunity, QKeySequence::Paste);
    wire("mnuFilter", &MainWindow::showFilter);
    wire("mnuOptions", &MainWindow::showOptions);
    wire("mnuAppt", &MainWindow::createAppointment);
    wire("mnuTask", &MainWindow::createTask);
    wire("mnuEmail", &MainWindow::createMail);
    wire("mnuExport", &MainWindow::exportOpportunities);
    wire("mnuSaveAs", &MainWindow::saveDatabaseAs);
    wire("mnuSend", &MainWindow::sendDatabase);
    for (int index = 1; index <= 8; ++index) {
        if (auto* report = findChild<QAction*>(QStringLiteral("mnuRpt_%1").arg(index)))
            connect(report, &QAction::triggered, this, [this, index] { printReport(index); });
    }
    setToolbarHandler(QStringLiteral("New"), [this] { newOpportunity(); });
    setToolbarHandler(QStringLiteral("Edit"), [this] { editOpportunity(); });
    setToolbarHandler(QStringLiteral("Delete"), [this] { deleteOpportunity(); });
    setToolbarHandler(QStringLiteral("Copy"), [this] { copyOpportunity(); });
    setToolbarHandler(QStringLiteral("Paste"), [this] { pasteOpportunity(); });
    setToolbarHandler(QStringLiteral("Send"), [this] { sendDatabase(); });
    wireHistory();

    connect(m_list, &QTreeView::doubleClicked, this, [this] { editOpportunity(); });
    // Enter on a row edits it (see eventFilter).
    m_list->installEventFilter(this);
    // Files dropped anywhere merge alike: the list takes them itself, every other place leaves
    // them to the window (the read-only note box takes no text).
    setAcceptDrops(true);
    m_list->setAcceptDrops(true);
    m_list->viewport()->setAcceptDrops(true);
    m_txtNotes->setAcceptDrops(false);
    m_txtNotes->viewport()->setAcceptDrops(false);
    m_list->viewport()->installEventFilter(this);
}

OpportunityEditor& MainWindow::editor() {
    if (!m_editor)
        m_editor = std::make_unique<OpportunityEditor>(m_settings.user(), this);
    m_editor->setContacts(m_outlookContacts.get());
    return *m_editor;
}

QString MainWindow::opportunityText() const {
    const QString key = selectedKey();
    const SalesDatabase* shown = m_databases->shown();
    const Opportunity* selected =
        shown && !key.isEmpty() ? shown->opportunities().item(key) : nullptr;
    return selected ? ::opportunityText(*selected) : QString();
}

QString MainWindow::opportunitySubject() const {
    const QString key = selectedKey();
    const SalesDatabase* shown = m_databases->shown();
    const Opportunity* selected =
        shown && !key.isEmpty() ? shown->opportunities().item(key) : nullptr;
    return selected ? OutlookItems::itemSubject(selected->company(), selected->description())
                    : QString();
}

void MainWindow::newOpportunity() {
    if (!hasDatabase())
        return;
    Opportunity fresh;
    const auto added = [&] {
        const WaitCursor wait;
        return m_databases->addNew(fresh);
    }();
    if (!added) {
        reportStoreFailure(added.result());
        return;
    }
    const QString key = *added;
    selectKey(key);
    const Opportunity* placeholder = shownDatabase().opportunities().item(key);
    if (!placeholder)
        return;
    OpportunityEditor& dialog = editor();
    dialog.editNew(
        *placeholder,
        [this, key](const Opportunity& edited) {
            const WaitCursor wait;
            return m_databases->update(key, edited);
        },
        [this, key] {
            const WaitCursor wait;
            return m_databases->remove(key);
        });
    dialog.exec();
    m_databases->finishNew();
    updateCommandState();
}

void MainWindow::editOpportunity() {
    if (!hasRows())
        return;
    const QString key = selectedKey();
    const Opportunity* opportunity =
        key.isEmpty() ? nullptr : shownDatabase().opportunities().item(key);
    if (!opportunity)
        return;
    OpportunityEditor& dialog = editor();
    dialog.edit(*opportunity, [this, key](const Opportunity& edited) {
        const WaitCursor wait;
        return m_databases->update(key, edited);
    });
    dialog.exec();
}

void MainWindow::deleteOpportunity() {
    const QString key = selectedKey();
    const Opportunity* opportunity =
        key.isEmpty() ? nullptr : shownDatabase().opportunities().item(key);
    if (!opportunity)
        return;
    if (UiServices::instance().messageBox(QStringLiteral("Delete ") + opportunity->description(),
                                          QStringLiteral("Delete Opportunity"),
                                          UiServices::Icon::Question,
                                          UiServices::Buttons::YesNo) != UiServices::Answer::Yes)
        return;
    const Result removed = [&] {
        const WaitCursor wait;
        return m_databases->remove(key);
    }();
    reportStoreFailure(removed);
    showQuickInfo();
}

void MainWindow::copyOpportunity() {
    const QString key = selectedKey();
    const Opportunity* opportunity =
        key.isEmpty() ? nullptr : shownDatabase().opportunities().item(key);
    if (!opportunity)
        return;
    if (!m_copiedOpportunity)
        m_copiedOpportunity = std::make_unique<Opportunity>();
    m_copiedOpportunity->copyFieldsFrom(*opportunity);
    m_opportunityCopied = true;
    updateCommandState();
    UiServices::instance().setClipboardText(::opportunityText(*opportunity));
}

void MainWindow::pasteOpportunity() {
    if (!m_opportunityCopied || !m_copiedOpportunity)
        return;
    // Each paste adds a new opportunity of its own; the copy itself stays as it was copied.
    const auto added = [&] {
        const WaitCursor wait;
        return m_databases->add(*m_copiedOpportunity, QStringLiteral("Paste"));
    }();
    if (!added) {
        reportStoreFailure(added.result());
        return;
    }
    selectKey(*added);
}

void MainWindow::showFilter() {
    FilterDialog dialog(
        m_settings.filters(), [this] { m_databases->filterAll(m_settings.filters()); }, this);
    dialog.exec();
}

void MainWindow::showOptions() {
    if (m_options) {
        m_options->raise();
        m_options->activateWindow();
        return;
    }
    m_options = new OptionsDialog(m_settings.user(), m_settings.columns(), m_settings.sortChoice(),
                                  m_settings.store(), this);
    m_options->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_options, &OptionsDialog::outlookUseChanged, this, [this](bool use) {
        if (use && !m_outlookContacts)
            m_outlookContacts = std::make_unique<OutlookContacts>(m_settings.store());
        else if (!use)
            m_outlookContacts.reset();
        if (m_editor)
            m_editor->setContacts(m_outlookContacts.get());
        updateCommandState();
    });
    connect(m_options, &OptionsDialog::listRebuildRequested, this, [this] { showListView(true); });
    m_options->show();
}

void MainWindow::reportOutlookOutcome(const Result& result, const QString& written, int command) {
    const auto which = static_cast<OutlookItems::Command>(command);
    UiServices& ui = UiServices::instance();
    if (!written.isEmpty()) {
        if (result.ok()) {
            statusBar()->showMessage(OutlookItems::writtenNote(which, written), StatusNoteMs);
            return;
        }
        const UiServices::Answer open =
            ui.messageBox(OutlookItems::writtenText(which, written, result.message()),
                          OutlookItems::failureTitle(which), UiServices::Icon::Information,
                          UiServices::Buttons::YesNo);
        if (open == UiServices::Answer::Yes)
            ui.openInUserProgram(QFileInfo(written).absolutePath());
        return;
    }
    if (result.ok())
        return;
    const UiServices::Answer answer =
        ui.messageBox(OutlookItems::failureText(which), OutlookItems::failureTitle(which),
                      UiServices::Icon::None, UiServices::Buttons::YesNo);
    OutlookItems items(m_settings.user(), m_settings.store());
    if (!items.keepUsingOutlook(answer)) {
        m_outlookContacts.reset();
        if (m_editor)
            m_editor->setContacts(nullptr);
    }
    updateCommandState();
}

void MainWindow::createAppointment() {
    const WaitCursor wait;
    OutlookItems items(m_settings.user(), m_settings.store());
    const Result result = items.createAppointment(opportunitySubject(), opportunityText());
    reportOutlookOutcome(result, items.written(),
                         static_cast<int>(OutlookItems::Command::Appointment));
}

void MainWindow::createTask() {
    const WaitCursor wait;
    OutlookItems items(m_settings.user(), m_settings.store());
    const Result result = items.createTask(opportunitySubject(), opportunityText());
    reportOutlookOutcome(result, items.written(), static_cast<int>(OutlookItems::Command::Task));
}

void MainWindow::createMail() {
    const WaitCursor wait;
    OutlookItems items(m_settings.user(), m_settings.store());
    const Result result = items.createOutlookMail(QString(), opportunityText());
    reportOutlookOutcome(result, items.written(), static_cast<int>(OutlookItems::Command::Email));
}

void MainWindow::sendDatabase() {
    const SalesDatabase* shown = m_databases->shown();
    if (!shown || !m_settings.user().useOutlook())
        return;
    const WaitCursor wait;
    OutlookItems items(m_settings.user(), m_settings.store());
    const Result result = items.createOutlookMail(shown->location());
    reportOutlookOutcome(result, items.written(), static_cast<int>(OutlookItems::Command::Send));
}

void MainWindow::exportOpportunities() {
    const SalesDatabase* shown = m_databases->shown();
    if (!shown)
        return;
    UiServices& ui = UiServices::instance();
    bool guardFormulas = true;
    const auto path = ui.chooseFile(TextExport::fileRequest(&guardFormulas));
    if (!path || path->isEmpty())
        return;
    const auto written = [&] {
        const auto work =
            ui.startWork(TextExport::title(),
                         QStringLiteral("Exporting to %1...").arg(QFileInfo(*path).fileName()));
        return TextExport::write(shown->opportunities(), *path, m_databases->locations(),
                                 guardFormulas ? TextExport::Formulas::Guarded
                                               : TextExport::Formulas::Raw,
                                 work->callback());
    }();
    if (written.isCancelled())
        statusBar()->showMessage(QStringLiteral("Export cancelled; nothing was written"),
                                 StatusNoteMs);
    else if (written)
        ui.messageBox(TextExport::doneMessage(*written, *path), TextExport::title(),
                      UiServices::Icon::Information, UiServices::Buttons::Ok);
    else
        ui.messageBox(written.message(), TextExport::title(), UiServices::Icon::Critical,
                      UiServices::Buttons::Ok);
}

void MainWindow::saveDatabaseAs() {
    const SalesDatabase* shown = m_databases->shown();
    if (!shown)
        return;
    UiServices& ui = UiServices::instance();
    UiServices::FileRequest request;
    request.title = QStringLiteral("Save Database As");
    request.defaultSuffix = QStringLiteral("mdb");
    request.filters = {QStringLiteral("*.mdb (*.mdb)")};
    request.save = true;
    request.confirmOverwrite = true;
    const auto chosen = ui.chooseFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    const QString target = OpenDatabases::canonicalLocation(*chosen);
    const auto reopened = [&] {
        const auto work =
            ui.startWork(QStringLiteral("Save As"),
                         QStringLiteral("Saving %1...").arg(QFileInfo(target).fileName()));
        return m_databases->saveShownAs(target, work->callback());
    }();
    if (reopened.isCancelled())
        statusBar()->showMessage(QStringLiteral("Save As cancelled; nothing was written"),
                                 StatusNoteMs);
    else if (!reopened)
        ui.messageBox(reopened.message(), QStringLiteral("Save As"), UiServices::Icon::Critical,
                      UiServices::Buttons::Ok);
}

void MainWindow::printReport(int index) {
    if (!m_report) {
        m_report = std::make_unique<ReportEngine>();
        m_reportPresenter = std::make_unique<ReportPreviewPresenter>(m_settings.store(), this);
        m_report->setPresenter(m_reportPresenter.get());
    }
    ReportMenu::printReport(*m_report, index, shownDatabase().location(), m_settings.user(),
                            UiServices::instance());
}

bool MainWindow::mergeText(const QString& theFileName) {
    if (!m_databases->shown())
        return false;
    const DataMerge::Outcome outcome = [&] {
        const auto work = UiServices::instance().startWork(
            DataMerge::mergeTitle(),
            QStringLiteral("Merging %1...").arg(QFileInfo(theFileName).fileName()));
        return m_databases->mergeLeadFile(theFileName, work->callback());
    }();
    showMergeNote(outcome, theFileName);
    if (outcome.status == DataMerge::Status::Cancelled)
        return false;
    UiServices::instance().messageBox(outcome.message, outcome.title,
                                      outcome.ok() ? UiServices::Icon::Information
                                                   : UiServices::Icon::Critical,
                                      UiServices::Buttons::Ok);
    return outcome.ok();
}

bool MainWindow::mergeDatabase(const QString& theLocation) {
    if (!m_databases->shown())
        return false;
    const DataMerge::Outcome outcome = [&] {
        const auto work = UiServices::instance().startWork(
            DataMerge::mergeTitle(),
            QStringLiteral("Merging %1...").arg(QFileInfo(theLocation).fileName()));
        return m_databases->mergeDatabase(theLocation, work->callback());
    }();
    showMergeNote(outcome, theLocation);
    if (outcome.status == DataMerge::Status::Failed) {
        UiServices::instance().messageBox(outcome.message, DataMerge::databaseFailureTitle(),
                                          UiServices::Icon::Critical, UiServices::Buttons::Ok);
        return false;
    }
    return outcome.status == DataMerge::Status::Merged;
}

void MainWindow::showMergeNote(const DataMerge::Outcome& outcome, const QString& file) {
    statusBar()->showMessage(DataMerge::note(outcome, file), StatusNoteMs);
}

void MainWindow::dropFiles(const QStringList& files) {
    for (const QString& file : files) {
        if (DataMerge::dropKind(file) == DataMerge::DropKind::LeadFile)
            mergeText(file);
        else
            mergeDatabase(file);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (hasDatabase() && !droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList files = droppedFiles(event->mimeData());
    event->acceptProposedAction();
    dropFiles(files);
}

// ---------------------------------------------------------------------------------------------
// Keyboard, screen, status bar and first-run layout

void MainWindow::assignAccessKeys() {
    AccessKeys::assign(menuBar()->actions());
    // F10 opens the first menu, as on other desktops.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    f10->setObjectName(QStringLiteral("shortcutMenuBar"));
    connect(f10, &QShortcut::activated, this, [this] {
        for (QAction* action : menuBar()->actions()) {
            if (action->isVisible() && action->isEnabled()) {
                menuBar()->setActiveAction(action);
                return;
            }
        }
    });
}

void MainWindow::fitToScreen() {
    const QScreen* shownOn = screen();
    if (!shownOn)
        return;
    const QRect available = shownOn->availableGeometry();
    // The frame is not known before the window is shown: leave room for a usual one.
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const QSize frame(2 * border, title + 2 * border);
    const QSize fitted = size().boundedTo(available.size() - frame).expandedTo(minimumSize());
    resize(fitted);
    const QSize outer = fitted + frame;
    move(available.x() + qMax(0, (available.width() - outer.width()) / 2),
         available.y() + qMax(0, (available.height() - outer.height()) / 2));
}

void MainWindow::guardWheel() {
    for (QComboBox* combo : {m_comboStage, m_comboProbability}) {
        combo->setFocusPolicy(Qt::StrongFocus);
        combo->installEventFilter(this);
    }
}

void MainWindow::buildEmptyListNote() {
    m_emptyListNote = new QLabel(m_list->viewport());
    m_emptyListNote->setObjectName(QStringLiteral("lbl_EmptyList"));
    m_emptyListNote->setAlignment(Qt::AlignCenter);
    m_emptyListNote->setWordWrap(true);
    m_emptyListNote->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_emptyListNote->setForegroundRole(QPalette::PlaceholderText);
    m_emptyListNote->hide();
    m_list->viewport()->installEventFilter(this);
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &MainWindow::updateEmptyListNote);
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, &MainWindow::updateEmptyListNote);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, &MainWindow::updateEmptyListNote);
}

void MainWindow::updateEmptyListNote() {
    const qint32 count = hasDatabase() ? shownDatabase().opportunities().count() : 0;
    QString text;
    if (hasDatabase() && m_model->rowCount() == 0) {
        text = count > 0
                   ? QStringLiteral("The filter hides all %1 opportunities of this database.\n"
                                    "To change the filter, choose Tools > Filter.")
                         .arg(count)
                   : QStringLiteral("This database has no opportunities yet.\n"
                                    "To add one, click New Opportunity on the toolbar.");
    }
    m_emptyListNote->setText(text);
    m_emptyListNote->setGeometry(m_list->viewport()->rect());
    m_emptyListNote->setVisible(!text.isEmpty());
}

void MainWindow::fitStatusPanels() {
    QStatusBar* bar = statusBar();
    const int least = Twips::toPixels(1200, dpi());
    for (QLabel* label : std::as_const(m_panels))
        label->setMinimumWidth(qMax(least, label->sizeHint().width()));
    // Hidden as a whole when the bar is too narrow, in this order; the shown database's count
    // always stays.
    const QList<QStringList> groups{
        {QStringLiteral("StatusLabelTotal"), QStringLiteral("TotalOpportunity"),
         QStringLiteral("TotalForecast"), QStringLiteral("TotalRevenue")},
        {QStringLiteral("CurrentForecast")},
        {QStringLiteral("CurrentRevenue")},
    };
    auto show = [bar](const QStringList& names, bool visible) {
        for (const QString& name : names) {
            if (auto* widget = bar->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly))
                widget->setVisible(visible);
        }
    };
    // The bar's own layout may not have caught up with the new texts yet: count the panels
    // shown, with room for the spacing, the margins and the size grip.
    auto fits = [bar] {
        int needed = 2 * bar->style()->pixelMetric(QStyle::PM_SizeGripSize) + 16;
        for (const QWidget* widget : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<const QLabel*>(widget) && !widget->isHidden())
                needed += qMax(widget->minimumWidth(), widget->sizeHint().width()) + 16;
        }
        return needed <= bar->width();
    };
    for (const QStringList& group : groups)
        show(group, true);
    for (const QStringList& group : groups) {
        if (fits())
            break;
        show(group, false);
    }
}

void MainWindow::sizeUnstoredColumns() {
    if (m_unsizedColumns.isEmpty() || m_model->rowCount() == 0)
        return;
    const qreal dpi = this->dpi();
    const int cap = Twips::toPixels(4500, dpi);
    const QFontMetrics cells(m_list->font());
    const QFontMetrics captions(m_list->header()->font());
    const int padding = 2 * m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    // The first rows are enough to judge the content.
    const int rows = qMin(m_model->rowCount(), 1000);
    for (int column = 0; column < m_model->dataColumnCount(); ++column) {
        const QString key = m_model->columnKey(column);
        if (!m_unsizedColumns.contains(key))
            continue;
        // Room for the caption and the sort arrow.
        int width =
            captions.horizontalAdvance(m_model->headerData(column, Qt::Horizontal).toString()) +
            padding + 16;
        for (int row = 0; row < rows && width < cap; ++row)
            width = qMax(width, cells.horizontalAdvance(m_model->text(row, column)) + padding);
        width = qMin(width, cap);
        m_list->header()->resizeSection(column, width);
        if (ColumnStatus* status = m_settings.columns().item(key))
            status->setWidth(Twips::fromPixels(width, dpi));
        m_unsizedColumns.removeAll(key);
    }
}

void MainWindow::scrollAfterSort() {
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty())
        m_list->scrollToTop();
    else
        m_list->scrollTo(selected.constFirst());
}

void MainWindow::restoreSortIndicator() {
    const SortChoice& settings = m_settings.sortChoice();
    const int column = settings.displaySorted() && settings.displaySortKey()
                           ? m_model->columnOf(*settings.displaySortKey())
                           : -1;
    const Qt::SortOrder order =
        settings.displaySortOrder() == 1 ? Qt::DescendingOrder : Qt::AscendingOrder;
    QHeaderView* header = m_list->header();
    const QSignalBlocker blocker(header);
    header->setSortIndicatorShown(column >= 0);
    header->setSortIndicator(column, order);
}

void MainWindow::installSignalExit() {
    auto* signalExit = new SignalExit(this);
    connect(signalExit, &SignalExit::exitRequested, this, [this] {
        if (!m_unloaded)
            exitApplication();
        if (!m_unloaded)
            shutDown();
        QCoreApplication::quit();
    });
}
