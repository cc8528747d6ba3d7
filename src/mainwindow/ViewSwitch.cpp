#include "mainwindow/ViewSwitch.h"

#include "board/BoardModel.h"
#include "board/BoardView.h"
#include "mainwindow/MainWindow.h"
#include "mainwindow/OpportunityListModel.h"
#include "mainwindow/OpportunitySortProxy.h"
#include "platform/Result.h"
#include "workspace/ApplicationSettings.h"

#include <QActionGroup>
#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTreeView>

ViewSwitch::ViewSwitch(MainWindow& window, ApplicationSettings& settings)
    : QObject(&window), m_window(window), m_settings(settings) {
    setObjectName(QStringLiteral("viewSwitch"));
    // The board follows the workspace only while it is shown: the list alone keeps no cards.
    m_model = new BoardModel(this);

    QTreeView& list = window.listView();
    QWidget* central = window.centralWidget();
    m_stack = new QStackedWidget(central);
    m_stack->setObjectName(QStringLiteral("stk_Views"));
    delete central->layout()->replaceWidget(&list, m_stack);
    m_stack->addWidget(&list);
    m_board = new BoardView(*m_model, m_stack);
    m_stack->addWidget(m_board);
    buildMenu();

    connect(m_board, &BoardView::selectedKeyChanged, this, &ViewSwitch::boardSelected);
    connect(m_board, &BoardView::editRequested, &window, &MainWindow::editOpportunity);
    connect(m_board, &BoardView::moveFailed, this, [this](const QString& message) {
        m_window.reportStoreFailure(Result::failure(message));
    });
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ViewSwitch::listSelected);
    // The list re-selects its row after a rebuild; the board follows the list's row.
    connect(&window.sortProxy(), &QAbstractItemModel::modelReset, this, &ViewSwitch::listSelected);
    OpportunitySortProxy& sorted = window.sortProxy();
    connect(&sorted, &QAbstractItemModel::layoutChanged, this, &ViewSwitch::followSort);
    connect(&sorted, &QAbstractItemModel::modelReset, this, &ViewSwitch::followSort);
    followSort();

    show(settings.shownView() == QLatin1String("Board") ? View::Board : View::List);
}

ViewSwitch::~ViewSwitch() {
    // The board points into the databases' collections: it lets go of them first.
    m_model->followWorkspace(nullptr);
    m_model->clear();
}

void ViewSwitch::buildMenu() {
    QMenuBar* bar = m_window.menuBar();
    QAction* tools = nullptr;
    if (const QMenu* toolsMenu = m_window.findChild<QMenu*>(QStringLiteral("mnuTools")))
        tools = toolsMenu->menuAction();
    auto* menu = new QMenu(QStringLiteral("&View"), bar);
    menu->setObjectName(QStringLiteral("mnuView"));
    menu->menuAction()->setObjectName(QStringLiteral("mnuView"));
    bar->insertMenu(tools, menu);
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    const auto add = [menu, group](const char* name, const QString& caption,
                                   const QKeySequence& shortcut) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        action->setShortcut(shortcut);
        group->addAction(action);
        return action;
    };
    m_listAction = add("mnuViewList", QStringLiteral("&List"), QKeySequence(Qt::CTRL | Qt::Key_1));
    m_boardAction =
        add("mnuViewBoard", QStringLiteral("&Board"), QKeySequence(Qt::CTRL | Qt::Key_2));
    connect(m_listAction, &QAction::triggered, this, [this] { show(View::List); });
    connect(m_boardAction, &QAction::triggered, this, [this] { show(View::Board); });
}

void ViewSwitch::show(View view) {
    m_view = view;
    const bool board = view == View::Board;
    m_settings.setShownView(board ? QStringLiteral("Board") : QStringLiteral("List"));
    (board ? m_boardAction : m_listAction)->setChecked(true);
    QTreeView& list = m_window.listView();
    const bool hadFocus = m_stack->isAncestorOf(QApplication::focusWidget()) ||
                          QApplication::focusWidget() == nullptr;
    // While the board is shown, the hidden list does not follow its selection: the selection
    // still changes with the selected card (the window's commands and the quick-info panel
    // read it), but the list would lay out all its rows again for each card moved. It catches
    // up when it is shown.
    QItemSelectionModel* selection = list.selectionModel();
    if (board && !m_listDetached) {
        QObject::disconnect(selection, nullptr, &list, nullptr);
        m_listDetached = true;
    } else if (!board && m_listDetached) {
        connect(selection, SIGNAL(selectionChanged(QItemSelection, QItemSelection)), &list,
                SLOT(selectionChanged(QItemSelection, QItemSelection)));
        connect(selection, SIGNAL(currentChanged(QModelIndex, QModelIndex)), &list,
                SLOT(currentChanged(QModelIndex, QModelIndex)));
        m_listDetached = false;
        list.viewport()->update();
    }
    if (board) {
        if (!m_model->isFollowing())
            m_model->followWorkspace(&m_window.databases());
        // The board opens on the list's selected opportunity.
        m_stack->setCurrentWidget(m_board);
        m_board->selectKey(m_window.selectedKey());
        // The window gives the focus to the list after each command: on the board it goes to
        // the column of the selected card.
        list.setFocusProxy(m_board);
    } else {
        list.setFocusProxy(nullptr);
        m_stack->setCurrentWidget(&list);
        m_model->followWorkspace(nullptr);
        m_model->clear();
        const QModelIndexList selected = list.selectionModel()->selectedRows();
        if (!selected.isEmpty())
            list.scrollTo(selected.constFirst());
    }
    if (hadFocus)
        (board ? static_cast<QWidget*>(m_board) : &list)->setFocus(Qt::OtherFocusReason);
}

void ViewSwitch::followSort() {
    const OpportunitySortProxy& sorted = m_window.sortProxy();
    const int column = sorted.sortColumn();
    m_board->sortOn(column < 0 ? QString() : m_window.listModel().columnKey(column),
                    sorted.sortOrder());
}

void ViewSwitch::boardSelected(const QString& key) {
    if (m_syncing)
        return;
    const OpportunityListModel& model = m_window.listModel();
    const int row = model.rowOf(key);
    if (row < 0)
        return;
    const QModelIndex index = m_window.sortProxy().mapFromSource(model.index(row, 0));
    m_syncing = true;
    QTreeView& list = m_window.listView();
    list.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    list.scrollTo(index);
    m_syncing = false;
}

void ViewSwitch::listSelected() {
    if (m_syncing)
        return;
    m_syncing = true;
    m_board->selectKey(m_window.selectedKey());
    m_syncing = false;
}
