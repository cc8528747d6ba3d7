#pragma once

#include "store/OpportunityFields.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class ColumnsInfo;
class OpenDatabases;
class Opportunities;
class Opportunity;
class SalesDatabase;

// The rows of the opportunity list: the visible opportunities of one collection, in collection
// order, with one column per displayed data column and an empty last column. Every cell text is
// the opportunity's own field text; each row carries its key ("Key=" + record number) under
// KeyRole and each column its column key under KeyRole in the header.
//
// The model is rebuilt as a whole (a model reset) when another database is shown, the filter or
// the columns change; a single opportunity that changes, arrives or goes updates, adds or removes
// its one row. It holds pointers into the collection, so a row must be removed (or the model
// cleared) before its opportunity leaves the collection.
class OpportunityListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole;

    explicit OpportunityListModel(QObject* parent = nullptr);

    // Follows the shown database of `workspace` by itself: an opportunity that changes updates
    // its one row, one that arrives adds a row (when it passes the filter), one that goes removes
    // its row before it leaves the collection; another shown database, a collection read anew
    // (a merge) and a filter pass rebuild the rows with the columns shown.
    void followWorkspace(OpenDatabases* workspace);
    // The keys of the displayed data columns, in their order.
    QStringList dataColumnKeys() const;

    // The keys of the columns that `columns` displays, in position order.
    static QStringList displayedKeys(const ColumnsInfo& columns);
    // The caption of a column key ("Price" for UnitPrice); "" for an unknown key.
    static QString captionOf(const QString& columnKey);

    // Recomputes every row from `collection`, showing the data columns `columnKeys` (keys of
    // OpportunityFields::columnKeys(), in the order given) and the empty last column.
    void rebuild(const Opportunities& collection, const QStringList& columnKeys);
    // No rows and only the empty last column.
    void clear();
    // The opportunity of a row changed: its cells are read anew.
    void updateRow(const QString& key);
    // Appends a row for an opportunity added to the collection, when it passes the filter.
    void appendRow(const Opportunity& opportunity);
    // Removes the row of an opportunity that is about to leave the collection.
    void removeRow(const QString& key);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The cell text of a row and column ("" for the empty last column).
    const QString& text(int row, int column) const;
    // The key of a row; "" when there is no such row.
    QString keyAt(int row) const;
    // The row of a key; -1 when no row has it.
    int rowOf(const QString& key) const;
    // The opportunity of a row; nullptr when there is no such row.
    const Opportunity* opportunityAt(int row) const;
    // The column of a data column key; -1 for "" (the empty last column) and hidden columns.
    int columnOf(const QString& columnKey) const;
    // The key of a column; "" for the empty last column.
    QString columnKey(int column) const;
    // The number of displayed data columns (without the empty last column).
    int dataColumnCount() const { return static_cast<int>(m_columns.size()) - 1; }

private:
    struct Column {
        QString key;
        QString caption;
        // The field shown; nothing for the order date and the empty last column.
        std::optional<OpportunityFields::Field> field;
        bool orderDate = false;
        bool amount = false;
    };
    // Right for the amount and number columns, left for the others.
    QVariant alignment(int column) const;
    bool showsOrderDate() const;

    OpenDatabases* m_workspace = nullptr;
    std::vector<Column> m_columns;
    std::vector<const Opportunity*> m_rows;
    // The order-date texts per row, computed once per rebuild when that column is displayed, as
    // numbers of InternedTexts (a large list has few distinct dates).
    std::vector<quint32> m_orderDates;
    QString m_empty;
};
