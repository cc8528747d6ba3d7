#pragma once

#include "store/OpportunityFields.h"

#include <QSortFilterProxyModel>
#include <optional>
#include <vector>

class BoardColumnModel;

// A board column in the list's sort order: cards ordered by the text of the list's sort column,
// compared as text without regard to letter case, cards with equal texts in collection order.
// Without a sort column the cards stand in collection order.
class CardSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit CardSortProxy(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* sourceModel) override;
    // Sorts on a list column key ("" for the collection order).
    void sortOn(const QString& columnKey, Qt::SortOrder order);
    const QString& sortKey() const { return m_key; }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    // The text a card is sorted by, without regard to letter case.
    QString keyOf(int row) const;
    void readKeys();

    const BoardColumnModel* m_column = nullptr;
    std::vector<QString> m_keys; // by source row, while sorted
    QString m_key;
    // The field of the sort key, compared in place; nothing for the order date.
    std::optional<OpportunityFields::Field> m_field;
};
