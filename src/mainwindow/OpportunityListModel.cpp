#include "mainwindow/OpportunityListModel.h"

#include "store/InternedTexts.h"
#include "store/SalesDatabase.h"
#include "workspace/OpenDatabases.h"

#include "settings/ColumnsInfo.h"
#include "store/Opportunities.h"
#include "store/Opportunity.h"
#include "store/OpportunityFields.h"

#include <algorithm>

OpportunityListModel::OpportunityListModel(QObject* parent) : QAbstractTableModel(parent) {
    m_columns.push_back(Column{});
}

QStringList OpportunityListModel::displayedKeys(const ColumnsInfo& columns) {
    QStringList keys;
    for (qint32 position = 1; position <= columns.count(); ++position) {
        const ColumnStatus* status = columns.item(position);
        if (status && status->isDisplayed())
            keys.append(status->key());
    }
    return keys;
}

QString OpportunityListModel::captionOf(const QString& columnKey) {
    const qsizetype index = OpportunityFields::columnKeys().indexOf(columnKey);
    return index < 0 ? QString() : OpportunityFields::columnCaptions().at(index);
}

void OpportunityListModel::rebuild(const Opportunities& collection, const QStringList& columnKeys) {
    beginResetModel();
    m_columns.clear();
    bool withOrderDate = false;
    for (const QString& key : columnKeys) {
        Column column;
        column.key = key;
        column.caption = captionOf(key);
        column.field = OpportunityFields::byKey(key);
        // Only the fields that have a list column show (not the record number, for one).
        if (column.field && OpportunityFields::info(*column.field).column.position < 0)
            column.field.reset();
        column.orderDate = key == QLatin1String(OpportunityFields::OrderDateColumn.key);
        column.amount = OpportunityFields::isAmount(key);
        withOrderDate = withOrderDate || column.orderDate;
        m_columns.push_back(column);
    }
    m_columns.push_back(Column{});

    m_rows.clear();
    m_orderDates.clear();
    m_rows.reserve(static_cast<size_t>(collection.count()));
    if (withOrderDate)
        m_orderDates.reserve(static_cast<size_t>(collection.count()));
    for (const Opportunity& opportunity : collection) {
        if (!opportunity.visible())
            continue;
        m_rows.push_back(&opportunity);
        if (withOrderDate)
            m_orderDates.push_back(InternedTexts::idOf(opportunity.orderDateText()));
    }
    endResetModel();
}

QStringList OpportunityListModel::dataColumnKeys() const {
    QStringList keys;
    for (int column = 0; column < dataColumnCount(); ++column)
        keys.append(m_columns[static_cast<size_t>(column)].key);
    return keys;
}

void OpportunityListModel::followWorkspace(OpenDatabases* workspace) {
    if (m_workspace)
        m_workspace->disconnect(this);
    m_workspace = workspace;
    if (!workspace)
        return;
    const auto readAnew = [this, workspace] {
        if (const SalesDatabase* database = workspace->shown())
            rebuild(database->opportunities(), dataColumnKeys());
        else
            rebuild(Opportunities(), dataColumnKeys());
    };
    OpenDatabases::ShownFollower follower;
    follower.shownChanged = [readAnew](const SalesDatabase*) { readAnew(); };
    follower.readAnew = [readAnew](const SalesDatabase&) { readAnew(); };
    follower.added = [this](const Opportunity& added) { appendRow(added); };
    follower.changed = [this](const QString& key, const Opportunity&) { updateRow(key); };
    follower.aboutToBeRemoved = [this](const QString& key) { removeRow(key); };
    workspace->followShown(this, follower);
}

void OpportunityListModel::clear() {
    beginResetModel();
    m_columns.assign(1, Column{});
    m_rows.clear();
    m_orderDates.clear();
    endResetModel();
}

bool OpportunityListModel::showsOrderDate() const {
    return std::any_of(m_columns.begin(), m_columns.end(),
                       [](const Column& column) { return column.orderDate; });
}

void OpportunityListModel::updateRow(const QString& key) {
    const int row = rowOf(key);
    if (row < 0)
        return;
    if (showsOrderDate())
        m_orderDates[static_cast<size_t>(row)] =
            InternedTexts::idOf(m_rows[static_cast<size_t>(row)]->orderDateText());
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void OpportunityListModel::appendRow(const Opportunity& opportunity) {
    if (!opportunity.visible())
        return;
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(&opportunity);
    if (showsOrderDate())
        m_orderDates.push_back(InternedTexts::idOf(opportunity.orderDateText()));
    endInsertRows();
}

void OpportunityListModel::removeRow(const QString& key) {
    const int row = rowOf(key);
    if (row < 0)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    if (showsOrderDate())
        m_orderDates.erase(m_orderDates.begin() + row);
    endRemoveRows();
}

int OpportunityListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int OpportunityListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

const QString& OpportunityListModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return m_empty;
    const Column& c = m_columns[static_cast<size_t>(column)];
    if (c.field)
        return m_rows[static_cast<size_t>(row)]->text(*c.field);
    if (c.orderDate)
        return InternedTexts::text(m_orderDates[static_cast<size_t>(row)]);
    return m_empty;
}

QVariant OpportunityListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const QString& text = this->text(index.row(), index.column());
        if (role == Qt::ToolTipRole && text.isEmpty())
            return {};
        return text;
    }
    case KeyRole:
        return keyAt(index.row());
    case Qt::TextAlignmentRole:
        return alignment(index.column());
    default:
        return {};
    }
}

QVariant OpportunityListModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column& column = m_columns[static_cast<size_t>(section)];
    if (role == Qt::DisplayRole)
        return column.caption;
    if (role == KeyRole)
        return column.key;
    if (role == Qt::TextAlignmentRole)
        return alignment(section);
    return {};
}

// Amounts and numbers line up on their last digit.
QVariant OpportunityListModel::alignment(int column) const {
    if (column < 0 || column >= columnCount())
        return {};
    const bool amount = m_columns[static_cast<size_t>(column)].amount;
    const Qt::Alignment alignment = (amount ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    return static_cast<int>(alignment);
}

Qt::ItemFlags OpportunityListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString OpportunityListModel::keyAt(int row) const {
    const Opportunity* opportunity = opportunityAt(row);
    return opportunity ? Opportunities::keyFor(opportunity->recordNumber()) : QString();
}

int OpportunityListModel::rowOf(const QString& key) const {
    // Only the plain form that keyFor writes names a row ("Key=007" names none).
    const std::optional<qint32> number = Opportunities::numberOf(key);
    if (!number)
        return -1;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row]->recordNumber() == *number)
            return static_cast<int>(row);
    }
    return -1;
}

const Opportunity* OpportunityListModel::opportunityAt(int row) const {
    if (row < 0 || row >= rowCount())
        return nullptr;
    return m_rows[static_cast<size_t>(row)];
}

int OpportunityListModel::columnOf(const QString& columnKey) const {
    if (columnKey.isEmpty())
        return -1;
    for (size_t column = 0; column + 1 < m_columns.size(); ++column) {
        if (m_columns[column].key == columnKey)
            return static_cast<int>(column);
    }
    return -1;
}

QString OpportunityListModel::columnKey(int column) const {
    if (column < 0 || column >= columnCount())
        return QString();
    return m_columns[static_cast<size_t>(column)].key;
}
