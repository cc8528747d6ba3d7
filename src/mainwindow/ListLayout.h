#pragma once

#include <QString>
#include <QStringList>
#include <QtCore/qnamespace.h>
#include <functional>

class ColumnsInfo;
class SettingsStore;
class SortChoice;

// The list's sort choice and column widths, apart from the widgets that show them. The sort
// lives in Settings (key, order 0 ascending / 1 descending, sorted); the widths in ColumnsInfo,
// in twips, which the screen's dots per inch turn into pixels.
class ListLayout {
public:
    ListLayout(SortChoice& sorting, ColumnsInfo& columns);

    // A click on a column's header or a Sort menu choice: a column key, or "None" to stop
    // sorting. Choosing the sorted column again turns its order round; any other column sorts
    // ascending.
    void chooseSort(const QString& choice);
    // A Sort menu position (1 to 14); any other position is "None".
    void chooseSort(int sortMenuPosition);
    // The column key the list is sorted on; "" when it is not sorted.
    QString sortKey() const;
    Qt::SortOrder sortOrder() const;
    // The Sort menu position of the stored choice; 0 ("Not Sorted") when the list is not sorted.
    int checkedSortPosition() const;

    // The width of a column in pixels; -1 for a key without a column.
    int columnWidth(const QString& key, qreal dpi) const;
    // Keeps a column's width, given in pixels; a key without a column is ignored.
    void setColumnWidth(const QString& key, int pixels, qreal dpi);
    // Keeps the width of every displayed column that `pixelsOf` knows (-1: it shows no such
    // column).
    void captureColumnWidths(const std::function<int(const QString& key)>& pixelsOf, qreal dpi);
    // The column keys whose width the settings store does not hold, in list order: they size to
    // their content.
    static QStringList columnsWithoutStoredWidth(const SettingsStore& store);

private:
    SortChoice& m_sorting;
    ColumnsInfo& m_columns;
};
