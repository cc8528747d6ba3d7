#include "mainwindow/OpportunitySortProxy.h"

#include "mainwindow/OpportunityListModel.h"

OpportunitySortProxy::OpportunitySortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void OpportunitySortProxy::setSourceModel(QAbstractItemModel* sourceModel) {
    m_list = qobject_cast<const OpportunityListModel*>(sourceModel);
    QSortFilterProxyModel::setSourceModel(sourceModel);
}

bool OpportunitySortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (!m_list)
        return QSortFilterProxyModel::lessThan(left, right);
    // Straight from the opportunities' texts: no QVariant per comparison.
    return QString::compare(m_list->text(left.row(), left.column()),
                            m_list->text(right.row(), right.column()), Qt::CaseInsensitive) < 0;
}
