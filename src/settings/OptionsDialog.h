#pragma once

#include <QDialog>
#include <QStringList>
#include <array>

class ColumnsInfo;
class PimFolders;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTabBar;
class SettingsStore;
class SortChoice;
class User;

// The options dialog: the list columns to display, the sales representative's profile, the
// mail addresses, the use of the mail, calendar and contacts program with its connection test,
// and that program's folders. Not modal. Apply copies everything into the profile and the
// column layout and saves them, tells the window what changed (signals) and beeps; OK applies
// and closes; Cancel closes without writing anything.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(User& user, ColumnsInfo& columns, SortChoice& sorting, SettingsStore& store,
                  QWidget* parent = nullptr);

    // The Apply button.
    void apply();

signals:
    // Outlook use was switched on (the window makes its contacts object) or off (it releases
    // it); sent while Apply runs, before the profile is saved.
    void outlookUseChanged(bool useOutlook);
    // Apply changed which columns are displayed.
    void columnsChanged();
    // Apply hid the sorted column: the list is no longer sorted.
    void sortDropped();
    // Apply is done with the settings: the window rebuilds its list (keeping the selection).
    void listRebuildRequested();

private:
    struct FolderRow {
        QLineEdit* field = nullptr;
        QPushButton* browse = nullptr;
        QLabel* check = nullptr;
        bool writable = false;
    };

    QWidget* buildColumnsFrame();
    QWidget* buildUserFrame();
    QWidget* buildConnectPage();
    void load();
    void optionsTabChosen(int index);
    void selectAllFolders();
    void testConnection();
    void browse(FolderRow& row, const QString& what);
    void checkFolder(FolderRow& row);
    // The folders as the dialog shows them; an empty field stands for the standard folder.
    PimFolders shownFolders() const;

    User& m_user;
    ColumnsInfo& m_columns;
    SortChoice& m_sorting;
    SettingsStore& m_store;

    QTabBar* m_tabOptions;
    QStackedWidget* m_frames;
    QListWidget* m_lstColumns = nullptr;
    QPushButton* m_cmdSelectAll = nullptr;
    QLineEdit* m_txtUser = nullptr;
    QLineEdit* m_txtCompany = nullptr;
    QLineEdit* m_txtID = nullptr;
    QLineEdit* m_txtTerritory = nullptr;
    QLineEdit* m_txtEmail = nullptr;
    QLineEdit* m_txtHQemail = nullptr;
    QLineEdit* m_txtEmailcc = nullptr;
    QLineEdit* m_txtLasteDate = nullptr;
    QCheckBox* m_checkOutlook = nullptr;
    std::array<FolderRow, 3> m_folders;
};
