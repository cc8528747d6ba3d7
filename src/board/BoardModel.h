#pragma once

#include "platform/Result.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class BoardColumnModel;
class OpenDatabases;
class Opportunities;
class Opportunity;

// The pipeline board: the visible opportunities of the shown database as cards, one column per
// stage of the stage list in its order, and a last column for the stage texts outside the list
// (files made by other programs), shown only while it has cards. Cards keep collection order
// within their column; moving a card writes its new stage through the workspace.
//
// The board follows the workspace row by row: an opportunity that changes updates its card (or
// moves it to another column), one that arrives adds a card, one that goes removes its card
// before it leaves the collection, and a filter pass or a collection read anew (a merge and its
// undo) removes and inserts only the cards that differ. Another shown database resets the
// columns.
class BoardModel : public QObject {
    Q_OBJECT
public:
    explicit BoardModel(QObject* parent = nullptr);
    ~BoardModel() override;

    // Whether the model follows a workspace.
    bool isFollowing() const;
    void followWorkspace(OpenDatabases* workspace);

    // Reads every card anew from `collection` (a reset of each column).
    void rebuild(const Opportunities& collection);
    // No cards.
    void clear();
    // Brings the cards in line with the visibility and stages of `collection` with row changes.
    void sync(const Opportunities& collection);
    // An opportunity of the shown collection changed, arrived, or is about to leave it.
    void opportunityChanged(const Opportunity& opportunity);
    void opportunityAdded(const Opportunity& opportunity);
    void opportunitiesAboutToBeRemoved(const QStringList& keys);
    void opportunityAboutToBeRemoved(const QString& key);

    // Every column, the one for stages outside the list last.
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    BoardColumnModel& column(int column) const {
        return *m_columns.at(static_cast<size_t>(column));
    }
    int outsideColumn() const { return columnCount() - 1; }
    // Whether a column is on the board: every stage's; the outside column while it has cards.
    bool isShown(int column) const;
    // The column of a stage text: its stage's, or the outside column.
    int columnOfStage(const QString& stage) const;
    // The column that holds the card of `key`; -1 when no card has it.
    int columnOf(const QString& key) const;
    // The row of the card of `key` in its column; -1 when no card has it.
    int rowOf(const QString& key) const;

    // Moves a card to a stage's column: writes the stage through the workspace as one undoable
    // step; the board follows when the write succeeds. Fails, changing nothing, when there is no
    // workspace or card, for the outside column, or when the write fails (with its message).
    Result moveCard(const QString& key, int column);
    // The stage column `steps` columns to the left (negative) or right of the card's; -1 when
    // there is none (the board's edge, or a move into the outside column).
    int neighbourColumn(const QString& key, int steps) const;

signals:
    // The outside column came onto the board or left it.
    void columnShownChanged(int column, bool shown);

private:
    struct Place {
        int column = -1; // -1: no card (the opportunity does not pass the filter)
        qint64 position = 0;
    };
    qint64 positionOf(qint32 recordNumber) const;
    // Reads the places of `collection` and the cards each column gets.
    std::vector<std::vector<const Opportunity*>> place(const Opportunities& collection);
    void announceOutsideColumn(bool wasShown);

    QPointer<OpenDatabases> m_workspace;
    std::vector<BoardColumnModel*> m_columns;
    QHash<QString, int> m_stageColumns;
    QHash<qint32, Place> m_places; // by record number
    qint64 m_nextPosition = 0;
};
