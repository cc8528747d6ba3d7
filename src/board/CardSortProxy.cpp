#include "board/CardSortProxy.h"

#include "board/BoardColumnModel.h"

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
    sort(columnKey.isEmpty() ? -1 : 0, order);
}

bool CardSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (!m_column)
        return QSortFilterProxyModel::lessThan(left, right);
    return QString::compare(m_column->sortText(left.row(), m_key),
                            m_column->sortText(right.row(), m_key), Qt::CaseInsensitive) < 0;
}
