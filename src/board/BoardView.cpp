#include "board/BoardView.h"

#include "board/BoardColumnModel.h"
#include "board/BoardColumnView.h"
#include "board/BoardModel.h"
#include "board/CardDelegate.h"
#include "board/CardSortProxy.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

BoardView::BoardView(BoardModel& model, QWidget* parent) : QScrollArea(parent), m_model(model) {
    setObjectName(QStringLiteral("board"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);
    m_delegate = new CardDelegate(this);
    m_stageDelegate = new CardDelegate(this);
    m_stageDelegate->setShowsStage(true);

    m_strip = new QWidget(this);
    m_strip->setObjectName(QStringLiteral("boardColumns"));
    auto* layout = new QHBoxLayout(m_strip);
    layout->setContentsMargins(0, 0, 0, 0);
    m_columns.resize(static_cast<size_t>(model.columnCount()));
    for (int column = 0; column < model.columnCount(); ++column)
        buildColumn(column);
    layout->addStretch(0);
    setWidget(m_strip);
    // Tab goes from column to column in their order.
    for (int column = 1; column < model.columnCount(); ++column)
        setTabOrder(columnView(column - 1), columnView(column));

    connect(&model, &BoardModel::columnShownChanged, this, [this](int column, bool shown) {
        m_columns[static_cast<size_t>(column)].frame->setVisible(shown);
    });
    setFocusProxy(columnView(0));
}

void BoardView::buildColumn(int column) {
    BoardColumnModel& cards = m_model.column(column);
    Column& parts = m_columns[static_cast<size_t>(column)];
    parts.frame = new QWidget(m_strip);
    parts.frame->setObjectName(QStringLiteral("boardColumn_%1").arg(column));
    auto* layout = new QVBoxLayout(parts.frame);
    layout->setContentsMargins(0, 0, 0, 0);
    parts.header = new QLabel(parts.frame);
    parts.header->setObjectName(QStringLiteral("lbl_BoardColumn_%1").arg(column));
    parts.header->setTextFormat(Qt::RichText);
    parts.header->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    parts.view = new BoardColumnView(parts.frame);
    parts.view->setObjectName(QStringLiteral("lv_BoardColumn_%1").arg(column));
    parts.view->setAcceptsCards(!cards.isOutsideList());
    parts.sorted = new CardSortProxy(parts.view);
    // A view selects a neighbour of a selected card that goes: the board keeps its own
    // selection instead (the card may come back in another column). Connected before the
    // sorted view, so that it is known before the view reacts.
    connect(&cards, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { ++m_removing; });
    parts.sorted->setSourceModel(&cards);
    parts.view->setModel(parts.sorted);
    parts.view->setItemDelegate(cards.isOutsideList() ? m_stageDelegate : m_delegate);
    parts.header->setBuddy(parts.view);
    layout->addWidget(parts.header);
    layout->addWidget(parts.view, 1);
    // The header's three lines are never squeezed, nor the first card: a short window scrolls
    // the board instead.
    const QFontMetrics metrics(font());
    parts.header->setFixedHeight(3 * metrics.lineSpacing() + 2 * parts.header->margin() + 2);
    parts.view->setMinimumHeight(CardDelegate::cardHeight(metrics) + 2 * parts.view->frameWidth());
    // Wide enough for a company name and a revenue beside a probability.
    parts.frame->setFixedWidth(metrics.averageCharWidth() * 32);
    m_strip->layout()->addWidget(parts.frame);
    parts.frame->setVisible(m_model.isShown(column));

    connect(&cards, &BoardColumnModel::totalsChanged, this,
            [this, column] { updateHeader(column); });
    connect(parts.view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, column] { columnSelectionChanged(column); });
    connect(parts.sorted, &QAbstractItemModel::rowsInserted, this,
            [this, column](const QModelIndex&, int first, int last) {
                cardsInserted(column, first, last);
            });
    connect(parts.sorted, &QAbstractItemModel::rowsRemoved, this, [this, column] {
        m_removing = qMax(0, m_removing - 1);
        BoardColumnView* view = columnView(column);
        if (!view->selectedKey().isEmpty() && view->selectedKey() != m_selectedKey) {
            m_selecting = true;
            view->clearSelection();
            m_selecting = false;
        }
    });
    connect(parts.sorted, &QAbstractItemModel::modelReset, this, [this, column] {
        if (!m_selectedKey.isEmpty() && m_model.columnOf(m_selectedKey) == column)
            selectInColumn(m_selectedKey, false);
    });
    connect(parts.view, &BoardColumnView::neighbourRequested, this,
            [this, column](int steps) { goToNeighbour(column, steps); });
    connect(parts.view, &BoardColumnView::moveRequested, this,
            [this](const QString& key, int steps) {
                const int target = m_model.neighbourColumn(key, steps);
                if (target < 0) {
                    UiServices::instance().beep();
                    return;
                }
                moveCard(key, target);
            });
    connect(parts.view, &BoardColumnView::cardDropped, this,
            [this, column](const QString& key) { moveCard(key, column); });
    connect(parts.view, &BoardColumnView::editRequested, this, &BoardView::editRequested);
    connect(parts.view, &QAbstractItemView::doubleClicked, this, &BoardView::editRequested);
    updateHeader(column);
}

void BoardView::updateHeader(int column) {
    const BoardColumnModel& cards = m_model.column(column);
    Column& parts = m_columns[static_cast<size_t>(column)];
    parts.header->setText(
        QStringLiteral("<b>%1</b> (%2)<br>Revenue %3<br>Weighted %4")
            .arg(cards.title().toHtmlEscaped())
            .arg(cards.rowCount())
            .arg(cards.revenueText().toHtmlEscaped(), cards.weightedRevenueText().toHtmlEscaped()));
    const QString summary = cards.accessibleSummary();
    parts.header->setAccessibleName(summary);
    parts.view->setAccessibleName(summary);
}

BoardColumnView* BoardView::columnView(int column) const {
    if (column < 0 || column >= static_cast<int>(m_columns.size()))
        return nullptr;
    return m_columns[static_cast<size_t>(column)].view;
}

QLabel* BoardView::columnHeader(int column) const {
    if (column < 0 || column >= static_cast<int>(m_columns.size()))
        return nullptr;
    return m_columns[static_cast<size_t>(column)].header;
}

BoardColumnView* BoardView::currentColumnView() const {
    return columnView(m_currentColumn);
}

void BoardView::setCurrentColumn(int column) {
    if (column == m_currentColumn)
        return;
    m_currentColumn = column;
    setFocusProxy(columnView(column));
}

QString BoardView::selectedKey() const {
    for (const Column& column : m_columns) {
        if (const QString key = column.view->selectedKey(); !key.isEmpty())
            return key;
    }
    return QString();
}

void BoardView::columnSelectionChanged(int column) {
    if (m_selecting || m_removing > 0)
        return;
    const QString key = columnView(column)->selectedKey();
    if (key.isEmpty())
        return;
    // One card of the board is selected at a time.
    m_selecting = true;
    for (size_t other = 0; other < m_columns.size(); ++other) {
        if (static_cast<int>(other) != column)
            m_columns[other].view->clearSelection();
    }
    m_selecting = false;
    setCurrentColumn(column);
    m_selectedKey = key;
    emit selectedKeyChanged(key);
}

bool BoardView::selectInColumn(const QString& key, bool focus) {
    const int column = m_model.columnOf(key);
    const int row = m_model.rowOf(key);
    if (column < 0 || row < 0)
        return false;
    const Column& parts = m_columns[static_cast<size_t>(column)];
    const QModelIndex index = parts.sorted->mapFromSource(m_model.column(column).index(row));
    m_selecting = true;
    for (size_t other = 0; other < m_columns.size(); ++other) {
        if (static_cast<int>(other) != column)
            m_columns[other].view->clearSelection();
    }
    parts.view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_selecting = false;
    parts.view->scrollTo(index);
    setCurrentColumn(column);
    ensureWidgetVisible(parts.frame, 0, 0);
    if (focus)
        parts.view->setFocus(Qt::OtherFocusReason);
    return true;
}

void BoardView::selectKey(const QString& key) {
    m_selectedKey = key;
    if (key.isEmpty() || !selectInColumn(key, false)) {
        const bool selecting = m_selecting;
        m_selecting = true;
        for (const Column& column : m_columns)
            column.view->clearSelection();
        m_selecting = selecting;
    }
}

void BoardView::cardsInserted(int column, int first, int last) {
    // The selected card came back, in this column (moved by another command, or put back).
    if (m_selectedKey.isEmpty() || !selectedKey().isEmpty())
        return;
    const Column& parts = m_columns[static_cast<size_t>(column)];
    for (int row = first; row <= last; ++row) {
        if (parts.sorted->index(row, 0).data(BoardColumnModel::KeyRole).toString() ==
            m_selectedKey) {
            const bool hadFocus =
                m_strip->isAncestorOf(QApplication::focusWidget()) || !isVisible();
            selectInColumn(m_selectedKey, hadFocus && isVisible());
            return;
        }
    }
}

void BoardView::goToNeighbour(int column, int steps) {
    const int row = qMax(0, columnView(column)->currentIndex().row());
    for (int next = column + steps; next >= 0 && next < m_model.columnCount(); next += steps) {
        if (!m_model.isShown(next) || m_model.column(next).rowCount() == 0)
            continue;
        const Column& parts = m_columns[static_cast<size_t>(next)];
        const QModelIndex index = parts.sorted->index(qMin(row, parts.sorted->rowCount() - 1), 0);
        parts.view->setFocus(Qt::OtherFocusReason);
        parts.view->setCurrentIndex(index);
        ensureWidgetVisible(parts.frame, 0, 0);
        return;
    }
    UiServices::instance().beep();
}

bool BoardView::moveCard(const QString& key, int column) {
    const bool hadFocus = m_strip->isAncestorOf(QApplication::focusWidget());
    m_selectedKey = key;
    const Result moved = m_model.moveCard(key, column);
    if (!moved) {
        emit moveFailed(moved.message());
        selectInColumn(key, hadFocus);
        return false;
    }
    selectInColumn(key, hadFocus);
    return true;
}

void BoardView::sortOn(const QString& columnKey, Qt::SortOrder order) {
    for (const Column& column : m_columns)
        column.sorted->sortOn(columnKey, order);
    if (!m_selectedKey.isEmpty()) {
        const int column = m_model.columnOf(m_selectedKey);
        if (BoardColumnView* view = columnView(column))
            view->scrollTo(view->currentIndex());
    }
}
