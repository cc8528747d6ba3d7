#include "board/CardSortProxy.h"

#include "board/BoardColumnModel.h"
#include "store/Opportunity.h"

CardSortProxy::CardSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void CardSortProxy::setSourceModel(QAbstractItemModel* sourceModel) {
    if (m_column)
        m_column->disconnect(this);
    m_column = qobject_cast<const BoardColumnModel*>(sourceModel);
    // The folded texts follow the cards before the sorted view re-sorts them: connected before
    // the view's own connections.
    if (m_column) {
        connect(m_column, &QAbstractItemModel::modelReset, this, [this] { readKeys(); });
        connect(m_column, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex&, int first, int last) {
                    if (m_key.isEmpty())
                        return;
                    std::vector<QString> added;
                    for (int row = first; row <= last; ++row)
                        added.push_back(keyOf(row));
                    m_keys.insert(m_keys.begin() + first, added.begin(), added.end());
                });
        connect(m_column, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex&, int first, int last) {
                    if (!m_key.isEmpty())
                        m_keys.erase(m_keys.begin() + first, m_keys.begin() + last + 1);
                });
        connect(m_column, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                    if (m_key.isEmpty())
                        return;
                    for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                        m_keys[static_cast<size_t>(row)] = keyOf(row);
                });
    }
    QSortFilterProxyModel::setSourceModel(sourceModel);
    readKeys();
}

QString CardSortProxy::keyOf(int row) const {
    const Opportunity* opportunity = m_column->opportunityAt(row);
    if (!opportunity)
        return QString();
    return (m_field ? opportunity->text(*m_field) : m_column->sortText(row, m_key)).toCaseFolded();
}

void CardSortProxy::readKeys() {
    m_keys.clear();
    if (!m_column || m_key.isEmpty())
        return;
    m_keys.reserve(static_cast<size_t>(m_column->rowCount()));
    for (int row = 0; row < m_column->rowCount(); ++row)
        m_keys.push_back(keyOf(row));
}

void CardSortProxy::sortOn(const QString& columnKey, Qt::SortOrder order) {
    if (columnKey == m_key && sortOrder() == order && (columnKey.isEmpty() == (sortColumn() < 0)))
        return;
    m_key = columnKey;
    m_field = OpportunityFields::byKey(columnKey);
    readKeys();
    sort(columnKey.isEmpty() ? -1 : 0, order);
}

bool CardSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const auto size = static_cast<int>(m_keys.size());
    if (!m_column || left.row() >= size || right.row() >= size)
        return QSortFilterProxyModel::lessThan(left, right);
    // The texts folded once per card: each comparison is a plain one.
    return m_keys[static_cast<size_t>(left.row())] < m_keys[static_cast<size_t>(right.row())];
}
