#include "board/CardSortProxy.h"

#include "board/BoardColumnModel.h"
#include "store/Opportunity.h"

CardSortProxy::CardSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void CardSortProxy::setSourceModel(QAbstractItemModel* sourceModel) {
    m_column = qobject_cast<const BoardColumnModel*>(sourceModel);
    QSortFilterProxyModel::setSourceModel(sourceModel);
}

void CardSortProxy::sortOn(const QString& columnKey, Qt::SortOrder order) {
    if (columnKey == m_key && sortOrder() == order && (columnKey.isEmpty() == (sortColumn() < 0)))
        return;
    m_key = columnKey;
    m_field = OpportunityFields::byKey(columnKey);
    sort(columnKey.isEmpty() ? -1 : 0, order);
}

bool CardSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (!m_column)
        return QSortFilterProxyModel::lessThan(left, right);
    // Straight from the opportunities' texts: no copy per comparison.
    if (m_field) {
        const Opportunity* first = m_column->opportunityAt(left.row());
        const Opportunity* second = m_column->opportunityAt(right.row());
        if (first && second)
            return QString::compare(first->text(*m_field), second->text(*m_field),
                                    Qt::CaseInsensitive) < 0;
    }
    return QString::compare(m_column->sortText(left.row(), m_key),
                            m_column->sortText(right.row(), m_key), Qt::CaseInsensitive) < 0;
}
