#pragma once

#include "store/StoreResult.h"

#include <QHash>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class OutlookContacts;
class OpenDatabases;
class ReportEngine;
class ReportPreviewPresenter;
class frm_Edit;
class frm_Options;

class CVN_Database;
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
class QTreeView;

// The main window over the open databases of the run: the Window menu, the opportunity list
// with its sorting, command states and status-bar totals, and the quick-info panel. It chooses
// files, shows messages and passes the user's answers to the open databases, and follows their
// signals to keep the list, the totals and the title current.
class form_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit form_Main(QWidget* parent = nullptr);
    ~form_Main() override;

    // Start-up: opens the files named on the command line, or else the database shown at the
    // last exit (or asks, or starts without one).
    void Form_Load(const QStringList& commandLineFiles = {});
    // Shut-down: stores the shown database's location and captures the column widths. Runs when
    // the window closes (Exit, the window frame) and when the session ends.
    void Form_Unload();
    // The desktop session is ending: shuts down as Exit does, since the process may not reach its
    // normal end.
    void CommitData();
    // Opens files named on the command line, each as the Open command opens a file.
    void OpenFiles(const QStringList& locations);

    // File menu and Window menu.
    void mnuOpen_Click();
    void mnuNew_Click();
    void mnuClose_Click();
    void mnuExit_Click();
    void mnudbList_Click(qint16 index);
    // Adds the Window menu entry of an open database, at its Window index.
    void WindowList(const CVN_Database& database);
    void FormTitle(const CVN_Database& theOppdb);
    bool IsDatabaseOpen(const QString& location) const;

    // The list.
    void ShowListView(bool restoreSelectedItem);
    void UpdateCommandState();
    // Sorts by a column key, or "None" for the collection order.
    void ApplySortChoice(const QString& choice);
    // Sorts by a Sort menu position (0 to 14; any other number is "None").
    void ApplySortChoice(int sortMenuPosition);

    // The quick-info panel.
    void ShowQuickInfo();

    // The commands on the selected opportunity; Paste adds the copied one to the shown database.
    void mnuNewOpportunity_Click();
    void mnuEditOpportunity_Click();
    void mnuDeleteOpportunity_Click();
    void mnuCopyOpportunity_Click();
    void mnuPasteOpportunity_Click();
    // The labelled text block of the selected opportunity; "" when no row is selected.
    QString OpportunityText() const;
    // The editor of this window, made on first use.
    frm_Edit& editor();

    // Tools menu.
    void mnuFilter_Click();
    void mnuOptions_Click();
    void mnuAppt_Click();
    void mnuTask_Click();
    void mnuEmail_Click();

    // File menu: export, a copy of the shown database under another name, mail it, reports.
    void mnuExport_Click();
    void mnuSaveAs_Click();
    void mnuSend_Click();
    void mnuRpt_Click(int index);
    // Merges a lead file or another database file into the shown database; true when
    // opportunities were added.
    bool mergeText(const QString& theFileName);
    bool mergeDatabase(const QString& theLocation);
    // Files dropped on the list, and elsewhere on the window.
    void lv_Opportunity_OLEDragDrop(const QStringList& files);
    void Form_OLEDragDrop(const QStringList& files);

    // The toolbar: runs the command of a button key (compared exactly); unknown keys do nothing.
    void toolbar_ButtonClick(const QString& key);
    // Lets a command be reached from a toolbar button key.
    void setToolbarHandler(const QString& key, std::function<void()> handler);

    // Shows a failed single-record write: the message names the file and the cause.
    void ReportStoreFailure(const StoreResult& result);

    // The database shown in the list; an empty one without location while none is open.
    CVN_Database& shownDatabase();
    // The open databases of the run.
    OpenDatabases& databases() const { return *m_databases; }
    // The key of the selected row; "" when no row is selected.
    QString SelectedKey() const;
    bool HasDatabase() const;
    // The Outlook contacts of this run: made at start-up when the profile uses Outlook (the
    // contacts are read later, when first needed); nullptr otherwise.
    OutlookContacts* outlookContacts() const { return m_outlookContacts.get(); }
    bool HasRows() const;

    OpportunityListModel& listModel() const { return *m_model; }
    OpportunitySortProxy& sortProxy() const { return *m_proxy; }
    QTreeView& listView() const { return *m_list; }
    bool OpportunityCopied() const { return m_opportunityCopied; }
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
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    QAction* addSeparator(QMenu* menu, const char* name);

    // The file dialog for a database file; nothing when the user cancels.
    std::optional<QString> ChooseDatabaseFile();
    // Opens a database file and shows it, or says why it cannot.
    void OpenLocation(const QString& location);
    void RemoveWindowEntry(qint32 index);
    // Follows the open databases.
    void connectDatabases();
    void ShownChanged(CVN_Database* database);
    void ShowTotals();
    // Asks after a failed calendar or mail command whether to go on using Outlook.
    void ReportOutlookFailure(const Result& result, int command);
    // The open databases' locations.
    QStringList OpenLocations() const;
    void CaptureColumnWidths();
    void ApplyColumnWidths();
    void ApplyStoredSort();
    void SelectKey(const QString& key);
    void ListSelectionChanged();
    void HeaderClicked(int section);
    void ColumnResized(int section, int oldSize, int newSize);
    int SortMenuPosition(const QString& key) const;
    qreal Dpi() const;

    // Every menu and menu item gets an access key; F10 opens the first menu.
    void assignAccessKeys();
    // The first size fits the screen's available area, centred.
    void fitToScreen();
    // Combos change only on an explicit choice: the wheel does nothing without focus.
    void guardWheel();
    // The text over an empty list that says why it is empty.
    void buildEmptyListNote();
    void UpdateEmptyListNote();
    // Status-bar panels are never narrower than their text; panels that do not fit are hidden
    // as a whole, the totals of all databases first.
    void FitStatusPanels();
    // Columns without a stored width size to their content once there are rows.
    void SizeUnstoredColumns();
    // After a sort, the view shows the selected row, or the top when none is selected.
    void ScrollAfterSort();
    // Keeps the header's sort arrow on the sorted column (a click on the empty last column
    // changes nothing).
    void RestoreSortIndicator();
    // A signal that ends the process (SIGTERM, SIGINT) shuts down as Exit does.
    void installSignalExit();

    // Quick-info changes.
    void combo_Stage_Click();
    void combo_Probability_Click();
    void txt_Notes_MouseDown();
    // Changes the selected opportunity with `change` and writes it; a failed write puts the
    // opportunity back as it was and reports the failure. False when nothing was written.
    bool ChangeSelectedOpportunity(const std::function<void(Opportunity&)>& change);

    OpenDatabases* m_databases = nullptr;
    std::unique_ptr<CVN_Database> m_noDatabase;
    std::unique_ptr<OutlookContacts> m_outlookContacts;
    std::unique_ptr<Opportunity> m_copiedOpportunity;
    std::unique_ptr<frm_Edit> m_editor;
    QPointer<frm_Options> m_options;
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
    QStringList m_unsizedColumns; // column keys without a stored width
};
