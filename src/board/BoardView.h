#pragma once

#include <QScrollArea>
#include <QString>
#include <vector>

class BoardColumnView;
class BoardModel;
class CardDelegate;
class CardSortProxy;
class QLabel;

// The pipeline board on screen: a row of columns, each a header (stage, count, revenue and
// weighted revenue) over the column's cards, sideways scrolling when they do not fit. One card
// of the board is selected at a time; Left and Right take the selection to the neighbouring
// column, Ctrl+Left and Ctrl+Right (or a drag) move the card to another stage through the model.
class BoardView : public QScrollArea {
    Q_OBJECT
public:
    explicit BoardView(BoardModel& model, QWidget* parent = nullptr);

    // The key of the selected card; "" when none is.
    QString selectedKey() const;
    // Selects the card of `key` and scrolls to it (none for "" or a key without card); the
    // focus stays where it is.
    void selectKey(const QString& key);
    // Orders the cards of every column by a list column key ("" for the collection order).
    void sortOn(const QString& columnKey, Qt::SortOrder order);
    // The view of a column (in the model's order), and the one the keys act on.
    BoardColumnView* columnView(int column) const;
    BoardColumnView* currentColumnView() const;
    QLabel* columnHeader(int column) const;
    // Moves the card of `key` to a column through the model; a failed write is reported by
    // moveFailed and the card stays. Returns whether it moved.
    bool moveCard(const QString& key, int column);

signals:
    // The user selected a card (never sent for "").
    void selectedKeyChanged(const QString& key);
    void editRequested();
    // A move could not be written: the message says why.
    void moveFailed(const QString& message);

private:
    struct Column {
        QWidget* frame = nullptr;
        QLabel* header = nullptr;
        BoardColumnView* view = nullptr;
        CardSortProxy* sorted = nullptr;
    };
    void buildColumn(int column);
    void updateHeader(int column);
    void columnSelectionChanged(int column);
    void goToNeighbour(int column, int steps);
    void setCurrentColumn(int column);
    // Selects the card of `key` in its column; false when it has none.
    bool selectInColumn(const QString& key, bool focus);
    void cardsInserted(int column, int first, int last);

    BoardModel& m_model;
    CardDelegate* m_delegate = nullptr;
    CardDelegate* m_stageDelegate = nullptr;
    QWidget* m_strip = nullptr;
    std::vector<Column> m_columns;
    int m_currentColumn = 0;
    // The card the user (or the list) selected last: found again when it comes back.
    QString m_selectedKey;
    bool m_selecting = false;
    int m_removing = 0; // cards are being removed
};
