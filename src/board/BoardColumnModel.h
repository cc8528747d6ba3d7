#pragma once

#include <QAbstractListModel>
#include <QString>
#include <functional>
#include <vector>

class Opportunity;
class QMimeData;

// The cards of one column of the pipeline board: the visible opportunities of one stage (or of
// the stages outside the stage list), in collection order, with the column's count, revenue and
// weighted revenue. It holds pointers into the collection, so a card must be removed (or the
// column cleared) before its opportunity leaves the collection. The board (BoardModel) changes
// the cards; views read them.
class BoardColumnModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        KeyRole = Qt::UserRole,
        CompanyRole,
        DescriptionRole,
        RevenueRole,
        ProbabilityRole,
        OrderDateRole,
        StageRole,
        OutcomeRole, // an Outcome
    };
    enum class Outcome { Open, Won, Lost };

    // The column of `stage`; `outsideList` for the column of every stage outside the list.
    BoardColumnModel(const QString& stage, bool outsideList, QObject* parent = nullptr);

    // The stage the column stands for; "" for the column of stages outside the list.
    const QString& stage() const { return m_stage; }
    bool isOutsideList() const { return m_outsideList; }
    // The column's caption: its stage, or "Other stages".
    QString title() const;

    // The sums over the column's cards: revenue (the amount each opportunity reads from its
    // Revenue) and weighted revenue (revenue times the probability's percentage).
    double revenue() const { return m_revenue; }
    double weightedRevenue() const { return m_weighted; }
    // The sums as the status bar shows amounts.
    QString revenueText() const;
    QString weightedRevenueText() const;
    // "Lead, 3 cards, revenue $1,000.00, weighted $250.00": the column for screen readers.
    QString accessibleSummary() const;

    // The percentage of a probability text ("25% - Long Shot" is 25), from 0 to 100; 0 for a
    // text without digits.
    static int percentOf(const QString& probability);
    static Outcome outcomeOf(const QString& probability);

    // The key of a card ("Key=" + record number); "" when there is no such row.
    QString keyAt(int row) const;
    // The row of a record number; -1 when no card has it.
    int rowOf(qint32 recordNumber) const;
    const Opportunity* opportunityAt(int row) const;
    // The record numbers of the cards, in their order.
    std::vector<qint32> recordNumbers() const;

    // The text a sorted view compares for a card: the text of a list column key, the order date
    // for "OrderDate".
    QString sortText(int row, const QString& columnKey) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    // The MIME type of a card being dragged: its key as UTF-8 text.
    static QString cardMimeType();

signals:
    // The count or the sums changed.
    void totalsChanged();

private:
    friend class BoardModel;
    struct Card {
        const Opportunity* opportunity;
        qint32 recordNumber;
        double revenue; // read when the card was placed or changed
        double weighted;
    };
    static Card cardOf(const Opportunity& opportunity);
    // percentOf for any other text: the digits-and-point rule of amounts.
    static int percentOfText(const QString& probability);
    // The changes the board makes, each with its row signals.
    void reset(std::vector<const Opportunity*> cards);
    void insertCard(int row, const Opportunity& opportunity);
    void removeCardAt(int row);
    // Brings the cards in line with `cards` (in collection order) by removing and inserting
    // runs of rows; cards that stay keep their rows.
    void sync(const std::vector<const Opportunity*>& cards);
    void cardChanged(int row);
    // The row at which a card at collection position `position` belongs (cards keep collection
    // order; `positionOf` gives a card's position from its record number), and the row of the
    // card at that position (-1 when there is none).
    int insertionRow(qint64 position, const std::function<qint64(qint32)>& positionOf) const;
    int rowAt(qint64 position, const std::function<qint64(qint32)>& positionOf) const;
    void recomputeTotals();

    QString m_stage;
    bool m_outsideList = false;
    std::vector<Card> m_cards;
    double m_revenue = 0.0;
    double m_weighted = 0.0;
};
