#pragma once

#include <QSortFilterProxyModel>

class OpportunityListModel;

// The sorted view of an OpportunityListModel: rows ordered by the text of the sort column,
// compared as text without regard to letter case ("100" sorts before "20"); rows with equal
// texts keep their collection order. Sort column -1 shows the collection order.
class OpportunitySortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit OpportunitySortProxy(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* sourceModel) override;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    const OpportunityListModel* m_list = nullptr;
};
