#pragma once

#include "platform/Result.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A report template: a small text file of "setting: value" lines ("#" starts a comment).
//
//   title: Pipeline by Stage           the report's title, on every page
//   layout: list | summary             rows with groups and totals, or tables of group totals
//   orientation: portrait | landscape
//   select: Forecast = Yes             only records whose field holds exactly this text
//   group: Stage                       a field, or Week / Month of the expected order date;
//                                      a summary has one table per group line
//   sort: Revenue descending           sort keys, in order; "ascending" when not given
//   column: Company | Customer | 20    field, heading, relative width (list layout)
//   line: Note                         fields printed on a second line under each row
//   totals: Count, Revenue, Weighted   the figures of subtotals and totals (summary: Share too)
//   chart: bars                        revenue and weighted revenue per group, as bars
//
// Fields are those of table Sales and the values made from them: OrderDate, Weighted (revenue
// times probability) and share (the running share of the total revenue).
class ReportTemplate {
public:
    enum class Layout { List, Summary };
    struct Column {
        QString field;
        QString heading;
        double width = 1;
    };
    struct SortKey {
        QString field;
        bool descending = false;
    };

    static ResultValue<ReportTemplate> parse(const QString& text);
    static ResultValue<ReportTemplate> load(const QString& path);

    // The fields a column or a sort key may name; the groups (Week, Month and fields).
    static bool isField(const QString& name);
    static bool isGroup(const QString& name);
    // A field of amounts (shown in the currency format and added up).
    static bool isAmount(const QString& field);

    QString title;
    Layout layout = Layout::List;
    bool landscape = false;
    QList<QPair<QString, QString>> select;
    QStringList groups;
    QList<SortKey> sort;
    QList<Column> columns;
    QStringList lineFields;
    QStringList totals;
    bool chart = false;
};
