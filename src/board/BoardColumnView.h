#pragma once

#include <QListView>

// The cards of one board column: a list view whose cards of equal size are placed by
// arithmetic, so that a card that comes or goes costs no layout work per card. Arrow keys move
// the selection (Left and Right to the neighbouring columns, through the board), Ctrl+Left and
// Ctrl+Right move the selected card to the neighbouring stage, Enter asks to edit it. A card
// dragged from another column and dropped here asks to move to this column's stage.
class BoardColumnView : public QListView {
    Q_OBJECT
public:
    explicit BoardColumnView(QWidget* parent = nullptr);

    // Whether cards may be dropped here (not on the column of stages outside the list).
    void setAcceptsCards(bool accepts) { m_acceptsCards = accepts; }
    // The key of the selected card; "" when none is.
    QString selectedKey() const;

signals:
    // Ctrl+Left (-1) or Ctrl+Right (+1) on the selected card.
    void moveRequested(const QString& key, int steps);
    // Left (-1) or Right (+1): the selection goes to a neighbouring column.
    void neighbourRequested(int steps);
    void editRequested();
    // A card of the board was dropped on this column.
    void cardDropped(const QString& key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool carriesCard(const QDropEvent* event) const;
    bool m_acceptsCards = true;
};
