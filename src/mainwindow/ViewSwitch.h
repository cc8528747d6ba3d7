#pragma once

#include <QObject>
#include <QString>

class ApplicationSettings;
class BoardModel;
class BoardView;
class MainWindow;
class QAction;
class QStackedWidget;

// The main window's two views of the shown database, the list and the pipeline board, and the
// View menu that switches between them (List Ctrl+1, Board Ctrl+2), remembered in the settings.
// Both views show the same selection, so that every command of the window acts alike in either:
// a card selected on the board selects its row in the list, and the board opens on the list's
// selected opportunity.
class ViewSwitch : public QObject {
    Q_OBJECT
public:
    enum class View { List, Board };

    // Puts the views in a stack in the list's place and the View menu before the Tools menu.
    ViewSwitch(MainWindow& window, ApplicationSettings& settings);
    ~ViewSwitch() override;

    View view() const { return m_view; }
    void show(View view);
    BoardView& board() const { return *m_board; }
    BoardModel& boardModel() const { return *m_model; }

private:
    void buildMenu();
    // The list's sort order goes to the board's columns.
    void followSort();
    void boardSelected(const QString& key);
    void listSelected();

    MainWindow& m_window;
    ApplicationSettings& m_settings;
    BoardModel* m_model = nullptr;
    BoardView* m_board = nullptr;
    QStackedWidget* m_stack = nullptr;
    QAction* m_listAction = nullptr;
    QAction* m_boardAction = nullptr;
    View m_view = View::List;
    bool m_syncing = false;
    // Whether the hidden list is cut off from its selection's signals (see show()).
    bool m_listDetached = false;
};
