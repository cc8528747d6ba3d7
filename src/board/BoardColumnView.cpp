#include "board/BoardColumnView.h"

#include "board/BoardColumnModel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

BoardColumnView::BoardColumnView(QWidget* parent) : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setMovement(QListView::Static);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

QString BoardColumnView::selectedKey() const {
    if (!selectionModel())
        return QString();
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString()
                              : selected.constFirst().data(BoardColumnModel::KeyRole).toString();
}

void BoardColumnView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
    const int key = event->key();
    if ((key == Qt::Key_Left || key == Qt::Key_Right) &&
        (modifiers == Qt::ControlModifier || modifiers == Qt::NoModifier)) {
        const int steps = key == Qt::Key_Left ? -1 : 1;
        if (modifiers == Qt::ControlModifier) {
            if (const QString selected = selectedKey(); !selected.isEmpty())
                emit moveRequested(selected, steps);
        } else {
            emit neighbourRequested(steps);
        }
        event->accept();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !selectedKey().isEmpty()) {
        emit editRequested();
        event->accept();
        return;
    }
    // With no card selected, the first Up or Down selects the top card.
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && selectedKey().isEmpty() && model() &&
        model()->rowCount() > 0) {
        setCurrentIndex(model()->index(0, 0));
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void BoardColumnView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    // A column reached by Tab selects a card, so that the keys have one to act on.
    const bool byTab =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (byTab && selectedKey().isEmpty() && model() && model()->rowCount() > 0)
        setCurrentIndex(model()->index(0, 0));
}

bool BoardColumnView::carriesCard(const QDropEvent* event) const {
    return m_acceptsCards && event->mimeData() &&
           event->mimeData()->hasFormat(BoardColumnModel::cardMimeType());
}

void BoardColumnView::dragEnterEvent(QDragEnterEvent* event) {
    if (!carriesCard(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void BoardColumnView::dragMoveEvent(QDragMoveEvent* event) {
    if (!carriesCard(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void BoardColumnView::dropEvent(QDropEvent* event) {
    if (!carriesCard(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    const QString key =
        QString::fromUtf8(event->mimeData()->data(BoardColumnModel::cardMimeType()));
    // The write (and a message about it) waits until the drag has ended.
    QMetaObject::invokeMethod(
        this, [this, key] { emit cardDropped(key); }, Qt::QueuedConnection);
}
