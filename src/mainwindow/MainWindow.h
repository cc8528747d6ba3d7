#pragma once

#include "exchange/DataMerge.h"
#include "platform/Result.h"

#include <QHash>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ApplicationSettings;
class ListLayout;
class OutlookContacts;
class OpenDatabases;
class ReportEngine;
class ReportPreviewPresenter;
class OpportunityEditor;
class OptionsDialog;

class SalesDatabase;
class OpportunityListModel;
class OpportunitySortProxy;
class Opportunity;
class QAction;
class QActionGroup;
class QDragEnterEvent;
class QDropEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QToolBar;
class QUndoView;
class QTreeView;
class ViewSwitch;

// The main window over the open databases of the run: the Window menu, the opportunity list
// with its sorting, command states and status-bar totals, and the quick-info panel. It chooses
// files, shows messages and passes the user's answers to the open databases, and follows their
// signals to keep the list, the totals and the title current.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The window reads and keeps its settings (profile, columns, sort, filter) in `settings`,
    // which outlive it.
    explicit MainWindow(ApplicationSettings& settings, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: opens the files named on the command line, or else the database shown at the
    // last exit (or asks, or starts without one).
    void load(const QStringList& commandLineFiles = {});
    // The same from the command line's bytes: a name that is not valid UTF-8 text would name
    // another file once decoded, so it is refused with a message rather than opened or created.
    void load(const QList<QByteArray>& commandLineNames);
    // Shut-down: stores the shown database's location and captures the column widths. Runs when
    // the window closes (Exit, the window frame) and when the session ends.
    void shutDown();
    // The desktop session is ending: shuts down as Exit does, since the process may not reach its
    // normal end.
    void commitData();
    // Opens files named on the command line, each as the Open command opens a file.
    void openFiles(const QStringList& locations);

    // File menu and Window menu.
    void openDatabase();
    // File > Open Team Database: asks for a team database's URI and opens it as the command
    // line does.
    void openTeamDatabase();
    void newDatabase();
    void closeDatabase();
    void exitApplication();
    void showWindowEntry(qint16 index);
    // Adds the Window menu entry of an open database, at its Window index.
    void windowList(const SalesDatabase& database);
    void formTitle(const SalesDatabase& theOppdb);
    bool isDatabaseOpen(const QString& location) const;

    // The list.
    // Shows the rows of the shown database with the stored columns, sort and widths; without
    // `rebuildRows` the rows are the model's own (it follows the data), unless the columns changed.
    void showListView(bool restoreSelectedItem, bool rebuildRows = true);
    void updateCommandState();
    // Sorts by a column key, or "None" for the collection order.
    void applySortChoice(const QString& choice);
    // Sorts by a Sort menu position (0 to 14; any other number is "None").
    void applySortChoice(int sortMenuPosition);

    // The quick-info panel.
    void showQuickInfo();

    // The commands on the selected opportunity; Paste adds the copied one to the shown database.
    void newOpportunity();
    void editOpportunity();
    void deleteOpportunity();
    void copyOpportunity();
    void pasteOpportunity();
    // The labelled text block of the selected opportunity; "" when no row is selected.
    QString opportunityText() const;
    // The title of an appointment or task about the selected opportunity; "" when none is.
    QString opportunitySubject() const;
    // The editor of this window, made on first use.
    OpportunityEditor& editor();

    // Tools menu.
    void showFilter();
    void showOptions();
    void createAppointment();
    void createTask();
    void createMail();

    // File menu: export, a copy of the shown database under another name, mail it, reports.
    void exportOpportunities();
    void saveDatabaseAs();
    void sendDatabase();
    void printReport(int index);
    // Merges a lead file or another database file into the shown database; true when
    // opportunities were added.
    bool mergeText(const QString& theFileName);
    bool mergeDatabase(const QString& theLocation);
    // Files dropped anywhere on the window (the list, the quick-info panel, elsewhere): each
    // is merged into the shown database by its kind (DataMerge::dropKind).
    void dropFiles(const QStringList& files);

    // The toolbar: runs the command of a button key (compared exactly); unknown keys do nothing.
    void runToolbarButton(const QString& key);
    // Lets a command be reached from a toolbar button key.
    void setToolbarHandler(const QString& key, std::function<void()> handler);

    // Shows a failed single-record write: the message names the file and the cause.
    void reportStoreFailure(const Result& result);

    // The database shown in the list; an empty one without location while none is open.
    SalesDatabase& shownDatabase();
    // The open databases of the run.
    OpenDatabases& databases() const { return *m_databases; }
    // The key of the selected row; "" when no row is selected.
    QString selectedKey() const;
    bool hasDatabase() const;
    // The Outlook contacts of this run: made at start-up when the profile uses Outlook (the
    // contacts are read later, when first needed); nullptr otherwise.
    OutlookContacts* outlookContacts() const { return m_outlookContacts.get(); }
    bool hasRows() const;

    OpportunityListModel& listModel() const { return *m_model; }
    OpportunitySortProxy& sortProxy() const { return *m_proxy; }
    QTreeView& listView() const { return *m_list; }
    // The list and the pipeline board, and the View menu between them.
    ViewSwitch& views() const { return *m_views; }
    bool opportunityCopied() const { return m_opportunityCopied; }
    void setOpportunityCopied(bool copied) { m_opportunityCopied = copied; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildCentral();
    void buildStatusBar();
    void wireCommands();
    // Undo, Redo and History of the Edit menu and the toolbar, following the shown database.
    void wireHistory();
    // Undoes (or redoes) the latest step; an opportunity that comes back is selected.
    void runHistoryStep(bool undo);
    void showHistory();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    QAction* addSeparator(QMenu* menu, const char* name);

    // The file dialog for a database file; nothing when the user cancels.
    std::optional<QString> chooseDatabaseFile();
    // Opens a database file and shows it, or says why it cannot.
    void openLocation(const QString& location);
    // Opens a team database: with the password kept in the keyring, else the one the user
    // gives when the server asks for one (kept in the keyring when the user ticks Remember).
    void openServerLocation(const QString& location);
    // The status-bar notice of the team databases whose connection is lost.
    void showConnectionNotice();
    void removeWindowEntry(qint32 index);
    // Follows the open databases.
    void connectDatabases();
    void shownChanged(SalesDatabase* database);
    void showTotals();
    // The status-bar note that ends every merge: what was added from `file`.
    void showMergeNote(const DataMerge::Outcome& outcome, const QString& file);
    // After a calendar or mail command: says where its item was written (with the offer to
    // open the folder when no program opened it), or, when nothing could be written, asks
    // whether to go on using Outlook.
    void reportOutlookOutcome(const Result& result, const QString& written, int command);
    void captureColumnWidths();
    void applyColumnWidths();
    void applyStoredSort();
    void selectKey(const QString& key);
    void listSelectionChanged();
    void headerClicked(int section);
    void columnResized(int section, int oldSize, int newSize);
    int sortMenuPosition(const QString& key) const;
    qreal dpi() const;

    // Every menu and menu item gets an access key; F10 opens the first menu.
    void assignAccessKeys();
    // The first size fits the screen's available area, centred.
    void fitToScreen();
    // Combos change only on an explicit choice: the wheel does nothing without focus.
    void guardWheel();
    // The text over an empty list that says why it is empty.
    void buildEmptyListNote();
    void updateEmptyListNote();
    // Status-bar panels are never narrower than their text; panels that do not fit are hidden
    // as a whole, the totals of all databases first.
    void fitStatusPanels();
    // Columns without a stored width size to their content once there are rows.
    void sizeUnstoredColumns();
    // After a sort, the view shows the selected row, or the top when none is selected.
    void scrollAfterSort();
    // Keeps the header's sort arrow on the sorted column (a click on the empty last column
    // changes nothing).
    void restoreSortIndicator();
    // A signal that ends the process (SIGTERM, SIGINT) shuts down as Exit does.
    void installSignalExit();

    // Quick-info changes.
    void stageChosen();
    void probabilityChosen();
    void editNotes();
    // Changes the selected opportunity with `change` and writes it; a failed write puts the
    // opportunity back as it was and reports the failure. False when nothing was written.
    // Writes a change of the selected opportunity as one step named `action`.
    bool changeSelectedOpportunity(const std::function<void(Opportunity&)>& change,
                                   const QString& action);

    // The list's sort choice and column widths in the settings.
    ListLayout listLayout() const;

    ApplicationSettings& m_settings;
    OpenDatabases* m_databases = nullptr;
    std::unique_ptr<SalesDatabase> m_noDatabase;
    std::unique_ptr<OutlookContacts> m_outlookContacts;
    std::unique_ptr<Opportunity> m_copiedOpportunity;
    std::unique_ptr<OpportunityEditor> m_editor;
    QPointer<OptionsDialog> m_options;
    std::unique_ptr<ReportEngine> m_report;
    std::unique_ptr<ReportPreviewPresenter> m_reportPresenter;
    bool m_firstOpen = true;
    bool m_fillingQuickInfo = false;
    bool m_opportunityCopied = false;
    bool m_rebuilding = false;
    bool m_unloaded = false;

    OpportunityListModel* m_model = nullptr;
    OpportunitySortProxy* m_proxy = nullptr;
    QTreeView* m_list = nullptr;
    QGroupBox* m_frameQuickinfo = nullptr;
    QComboBox* m_comboStage = nullptr;
    QComboBox* m_comboProbability = nullptr;
    QPlainTextEdit* m_txtNotes = nullptr;
    QToolBar* m_toolbar = nullptr;
    QPointer<QUndoView> m_historyWindow;
    ViewSwitch* m_views = nullptr;

    QHash<QString, QAction*> m_actions;     // menu entries by name
    QHash<QString, QMenu*> m_menus;         // menus by name
    QHash<QString, QAction*> m_toolButtons; // toolbar buttons by key
    QHash<QString, std::function<void()>> m_toolbarHandlers;
    QAction* m_sortChoices[15] = {};
    QActionGroup* m_sortGroup = nullptr;
    QActionGroup* m_windowGroup = nullptr;
    QMap<qint32, QAction*> m_windowEntries; // Window menu entries 1.. by index
    QAction* m_windowSeparator = nullptr;   // entry 0
    QHash<QString, QLabel*> m_panels;       // status-bar panels by key
    QLabel* m_emptyListNote = nullptr;
    QLabel* m_connectionNotice = nullptr;
    QMap<qint32, QString> m_lostConnections; // descriptions by Window index
    QStringList m_unsizedColumns;            // column keys without a stored width
};
