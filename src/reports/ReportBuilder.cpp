#include "reports/ReportBuilder.h"

#include "platform/LocaleText.h"
#include "store/OpportunityFields.h"
#include "store/ValueLists.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <climits>
#include <limits>
#include <map>
#include <numeric>

namespace {

const QString& noDateText() {
    static const QString text = QStringLiteral("No valid order date");
    return text;
}

// Where a record's group stands among the groups: a rank, then a text.
struct GroupKey {
    int rank = 0;
    QString text;
};

struct Sums {
    int count = 0;
    double revenue = 0;
    double weighted = 0;
    void add(const ReportRecord& r) {
        ++count;
        revenue += r.revenue;
        weighted += r.weighted;
    }
};

QString countText(int count) {
    return QLocale().toString(count);
}

QString shareText(double part, double whole) {
    if (whole <= 0)
        return QStringLiteral("-");
    return LocaleText::number(part / whole * 100.0, 1) + QLatin1Char('%');
}

// A group's label under its bar: short, on two lines for periods ("W13" over "2024").
QString chartLabel(const QString& group, const ReportRecord& r) {
    if ((group == QLatin1String("Week") || group == QLatin1String("Month")) &&
        r.orderDate.isValid()) {
        if (group == QLatin1String("Month"))
            return QLocale().standaloneMonthName(r.orderDate.month(), QLocale::ShortFormat) +
                   QLatin1Char('\n') + QString::number(r.orderDate.year());
        int year = 0;
        const int week = r.orderDate.weekNumber(&year);
        return QStringLiteral("W%1\n%2").arg(week).arg(year);
    }
    return ReportBuilder::groupLabel(group, r);
}

class Builder {
public:
    Builder(const ReportTemplate& t, const std::vector<ReportRecord>& records)
        : m_t(t), m_records(records) {
        m_collator.setNumericMode(true);
        m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    }

    ReportContent build() {
        m_content.title = m_t.title;
        m_content.landscape = m_t.landscape;
        Sums all;
        for (const ReportRecord& r : m_records)
            all.add(r);
        m_content.recordCount = all.count;
        m_content.revenueTotal = all.revenue;
        m_content.weightedTotal = all.weighted;
        if (m_t.layout == ReportTemplate::Layout::Summary)
            buildSummary(all);
        else
            buildList(all);
        return std::move(m_content);
    }

private:
    GroupKey groupKey(const QString& group, const ReportRecord& r) const {
        if (group == QLatin1String("Week") || group == QLatin1String("Month")) {
            if (!r.orderDate.isValid())
                return {INT_MAX, QString()};
            if (group == QLatin1String("Month"))
                return {r.orderDate.year() * 100 + r.orderDate.month(), QString()};
            int year = 0;
            const int week = r.orderDate.weekNumber(&year);
            return {year * 100 + week, QString()};
        }
        const QString& text = r.field(ReportRecord::fieldIndex(group));
        const QStringList* list = nullptr;
        if (group == QLatin1String("Stage"))
            list = &ValueLists::stage();
        else if (group == QLatin1String("Probability"))
            list = &ValueLists::probability();
        else if (group == QLatin1String("Source"))
            list = &ValueLists::source();
        if (list) {
            const qsizetype position = list->indexOf(text);
            if (position >= 0)
                return {static_cast<int>(position), QString()};
            return {static_cast<int>(list->size()), text};
        }
        return {0, text};
    }

    int compareKeys(const GroupKey& a, const GroupKey& b) const {
        if (a.rank != b.rank)
            return a.rank < b.rank ? -1 : 1;
        return m_collator.compare(a.text, b.text);
    }

    // The ranks of texts in the collator's order (equal texts share a rank): the collator
    // compares each distinct text a few times instead of each record many times.
    std::vector<int> textRanks(const std::vector<const QString*>& texts) const {
        QHash<QString, int> distinct;
        for (const QString* text : texts)
            distinct.insert(*text, 0);
        QStringList sorted = distinct.keys();
        std::sort(sorted.begin(), sorted.end(),
                  [&](const QString& a, const QString& b) { return m_collator.compare(a, b) < 0; });
        int rank = 0;
        for (qsizetype i = 0; i < sorted.size(); ++i) {
            if (i > 0 && m_collator.compare(sorted[i - 1], sorted[i]) != 0)
                ++rank;
            distinct[sorted[i]] = rank;
        }
        std::vector<int> ranks;
        ranks.reserve(texts.size());
        for (const QString* text : texts)
            ranks.push_back(distinct.value(*text));
        return ranks;
    }

    // A sort key's value for each record, compared as a number.
    std::vector<double> sortValues(const QString& field) const {
        std::vector<double> values;
        values.reserve(m_records.size());
        const auto each = [&](auto value) {
            for (const ReportRecord& r : m_records)
                values.push_back(value(r));
        };
        if (field == QLatin1String("Revenue")) {
            each([](const ReportRecord& r) { return r.revenue; });
        } else if (field == QLatin1String("Weighted")) {
            each([](const ReportRecord& r) { return r.weighted; });
        } else if (field == QLatin1String("UnitPrice")) {
            each([](const ReportRecord& r) { return r.unitPrice; });
        } else if (field == QLatin1String("Quantity")) {
            each([](const ReportRecord& r) { return r.quantity; });
        } else if (field == QLatin1String("Probability")) {
            each([](const ReportRecord& r) { return r.probability; });
        } else if (field == QLatin1String("RecordNumber")) {
            each([](const ReportRecord& r) { return r.field(0).toDouble(); });
        } else if (field == QLatin1String("OrderDate")) {
            // Records without a valid date come last.
            each([](const ReportRecord& r) {
                return r.orderDate.isValid() ? double(r.orderDate.toJulianDay())
                                             : std::numeric_limits<double>::infinity();
            });
        } else {
            const int index = ReportRecord::fieldIndex(field);
            std::vector<const QString*> texts;
            texts.reserve(m_records.size());
            for (const ReportRecord& r : m_records)
                texts.push_back(&r.field(index));
            for (int rank : textRanks(texts))
                values.push_back(rank);
        }
        return values;
    }

    // The records in the template's order, grouped by `group` when given.
    std::vector<int> ordered(const QString& group) const {
        std::vector<int> order(m_records.size());
        std::iota(order.begin(), order.end(), 0);
        // Groups by rank, then by their text's rank; then the sort keys.
        std::vector<std::pair<int, int>> groups;
        if (!group.isEmpty()) {
            std::vector<GroupKey> keys;
            keys.reserve(m_records.size());
            for (const ReportRecord& r : m_records)
                keys.push_back(groupKey(group, r));
            std::vector<const QString*> texts;
            texts.reserve(keys.size());
            for (const GroupKey& key : keys)
                texts.push_back(&key.text);
            const std::vector<int> ranks = textRanks(texts);
            for (size_t i = 0; i < keys.size(); ++i)
                groups.emplace_back(keys[i].rank, ranks[i]);
        }
        std::vector<std::pair<std::vector<double>, bool>> sorts;
        for (const ReportTemplate::SortKey& key : m_t.sort)
            sorts.emplace_back(sortValues(key.field), key.descending);
        std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
            if (!groups.empty() && groups[size_t(x)] != groups[size_t(y)])
                return groups[size_t(x)] < groups[size_t(y)];
            for (const auto& [values, descending] : sorts) {
                const double a = values[size_t(x)];
                const double b = values[size_t(y)];
                if (a != b)
                    return descending ? a > b : a < b;
            }
            return false;
        });
        return order;
    }

    // An amount in the currency format; prices and other amounts that come back are written
    // once each.
    QString currency(double amount) const {
        auto found = m_currencyTexts.constFind(amount);
        if (found == m_currencyTexts.constEnd()) {
            if (m_currencyTexts.size() > 100000)
                m_currencyTexts.clear();
            found = m_currencyTexts.insert(amount, LocaleText::currency(amount));
        }
        return *found;
    }

    // Where a cell's text comes from: a value read from the record, or a field's text.
    struct CellSource {
        enum class Kind { Revenue, UnitPrice, Weighted, Share, OrderDate, Text };
        Kind kind = Kind::Text;
        int index = -1;  // of the field, for Text
        QString caption; // the field's caption, for a row's second line
        bool freeText = false;
    };

    static CellSource sourceOf(const QString& field) {
        using Kind = CellSource::Kind;
        CellSource source;
        source.kind = field == QLatin1String("Revenue")     ? Kind::Revenue
                      : field == QLatin1String("UnitPrice") ? Kind::UnitPrice
                      : field == QLatin1String("Weighted")  ? Kind::Weighted
                      : field == QLatin1String("Share")     ? Kind::Share
                      : field == QLatin1String("OrderDate") ? Kind::OrderDate
                                                            : Kind::Text;
        source.index = ReportRecord::fieldIndex(field);
        source.caption = ReportBuilder::caption(field);
        source.freeText = isFreeText(field);
        return source;
    }

    QString cellText(const CellSource& source, const ReportRecord& r, double runningRevenue,
                     double total) const {
        using Kind = CellSource::Kind;
        switch (source.kind) {
        case Kind::Revenue:
            return currency(r.revenue);
        case Kind::UnitPrice:
            return currency(r.unitPrice);
        case Kind::Weighted:
            return currency(r.weighted);
        case Kind::Share:
            return shareText(runningRevenue, total);
        case Kind::OrderDate:
            if (r.orderDate.isValid()) {
                // A report has few dates and many records: each date is written once.
                auto found = m_dateTexts.constFind(r.orderDate.toJulianDay());
                if (found == m_dateTexts.constEnd())
                    found = m_dateTexts.insert(r.orderDate.toJulianDay(),
                                               LocaleText::shortDate(r.orderDate));
                return *found;
            }
            return QStringList{r.field(16), r.field(17), r.field(18)}.join(QLatin1Char(' '));
        case Kind::Text:
            break;
        }
        return source.index >= 0 ? r.field(source.index) : QString();
    }

    int listColumns() {
        ReportContent::ColumnSet set;
        for (const ReportTemplate::Column& column : m_t.columns) {
            set.headings.append(column.heading);
            set.widths.append(column.width);
            // Money, counts and shares line up on their last digit.
            set.rightAligned.append(ReportTemplate::isAmount(column.field) ||
                                    OpportunityFields::isAmount(column.field) ||
                                    column.field == QLatin1String("Share"));
            set.cuttable.append(isFreeText(column.field));
        }
        m_content.columnSets.push_back(set);
        return static_cast<int>(m_content.columnSets.size()) - 1;
    }

    // A subtotal or total: amounts under their columns, the rest in the label.
    ReportContent::Band sumBand(ReportContent::Band::Kind kind, int columnSet, const QString& what,
                                const Sums& sums, double total) const {
        ReportContent::Band band;
        band.kind = kind;
        band.columnSet = columnSet;
        QStringList extra;
        bool revenueShown = false;
        bool weightedShown = false;
        for (const ReportTemplate::Column& column : m_t.columns) {
            QString cell;
            if (column.field == QLatin1String("Revenue") && m_t.totals.contains("Revenue")) {
                cell = LocaleText::currency(sums.revenue);
                revenueShown = true;
            } else if (column.field == QLatin1String("Weighted") &&
                       m_t.totals.contains("Weighted")) {
                cell = LocaleText::currency(sums.weighted);
                weightedShown = true;
            } else if (column.field == QLatin1String("Share") && m_t.totals.contains("Share")) {
                cell = shareText(sums.revenue, total);
            }
            band.cells.append(cell);
        }
        if (m_t.totals.contains("Revenue") && !revenueShown)
            extra.append(QStringLiteral("revenue ") + LocaleText::currency(sums.revenue));
        if (m_t.totals.contains("Weighted") && !weightedShown)
            extra.append(QStringLiteral("weighted ") + LocaleText::currency(sums.weighted));
        band.text = what;
        if (m_t.totals.contains("Count"))
            band.text += QStringLiteral(" (%1)").arg(opportunities(sums.count));
        if (!extra.isEmpty())
            band.text += QStringLiteral(": ") + extra.join(QStringLiteral(", "));
        return band;
    }

    static QString opportunities(int count) {
        return count == 1 ? QStringLiteral("1 opportunity")
                          : countText(count) + QStringLiteral(" opportunities");
    }

    // A row's second line; the first free text in it (a note) is the part that may be cut.
    void setLine(ReportContent::Band& row, const ReportRecord& r) const {
        QString line;
        for (const CellSource& source : m_lineSources) {
            const QString value = cellText(source, r, 0, 0);
            if (value.isEmpty())
                continue;
            if (!line.isEmpty())
                line += QStringLiteral("   ");
            line += source.caption;
            line += QStringLiteral(": ");
            if (row.lineCutFrom < 0 && source.freeText) {
                row.lineCutFrom = line.size();
                row.lineCutLength = value.size();
            }
            line += value;
        }
        row.line = line;
    }

    static bool isFreeText(const QString& field) {
        return field == QLatin1String("Description") || field == QLatin1String("Note");
    }

    // Bars of at most this many periods make one chart; more make several, one after another.
    static constexpr size_t BarsPerChart = 18;

    // `labels`: the bars' labels, one per group.
    void addChart(const std::vector<std::pair<QString, Sums>>& groups, const QStringList& labels) {
        const QString title = QStringLiteral("Revenue and weighted revenue by ") +
                              ReportBuilder::caption(m_t.groups.first()).toLower();
        for (size_t first = 0; first < groups.size(); first += BarsPerChart) {
            const size_t end = std::min(groups.size(), first + BarsPerChart);
            ReportContent::ChartSeries series;
            for (size_t i = first; i < end; ++i) {
                const Sums& sums = groups[i].second;
                series.categories.append(labels.value(qsizetype(i)));
                series.revenue.append(sums.revenue);
                series.weighted.append(sums.weighted);
            }
            ReportContent::Band band;
            band.kind = ReportContent::Band::Kind::Chart;
            band.text = groups.size() <= BarsPerChart ? title
                                                      : QStringLiteral("%1 (%2 to %3 of %4)")
                                                            .arg(title)
                                                            .arg(first + 1)
                                                            .arg(end)
                                                            .arg(groups.size());
            band.chart = static_cast<int>(m_content.charts.size());
            m_content.charts.push_back(series);
            m_content.bands.push_back(band);
        }
    }

    void buildList(const Sums& all) {
        using Kind = ReportContent::Band::Kind;
        const QString group = m_t.groups.isEmpty() ? QString() : m_t.groups.first();
        const std::vector<int> order = ordered(group);
        const int columns = listColumns();
        for (const ReportTemplate::Column& column : m_t.columns)
            m_columnSources.push_back(sourceOf(column.field));
        for (const QString& field : m_t.lineFields)
            m_lineSources.push_back(sourceOf(field));

        // The groups with their sums first: the chart comes before the rows.
        std::vector<std::pair<QString, Sums>> groups;
        QStringList chartLabels;
        std::vector<size_t> groupOf(order.size());
        GroupKey previous;
        for (size_t i = 0; i < order.size(); ++i) {
            const ReportRecord& r = m_records[size_t(order[i])];
            if (!group.isEmpty()) {
                const GroupKey key = groupKey(group, r);
                if (groups.empty() || compareKeys(key, previous) != 0) {
                    groups.emplace_back(ReportBuilder::groupLabel(group, r), Sums());
                    chartLabels.append(chartLabel(group, r));
                }
                previous = key;
            } else if (groups.empty()) {
                groups.emplace_back(QString(), Sums());
            }
            groups.back().second.add(r);
            groupOf[i] = groups.size() - 1;
        }
        if (m_t.chart)
            addChart(groups, chartLabels);
        if (order.empty()) {
            ReportContent::Band none;
            none.kind = Kind::GroupHeader;
            none.text = QStringLiteral("There are no opportunities to report.");
            m_content.bands.push_back(none);
        }

        double running = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            const ReportRecord& r = m_records[size_t(order[i])];
            const bool firstOfGroup = i == 0 || groupOf[i] != groupOf[i - 1];
            if (!group.isEmpty() && firstOfGroup) {
                ReportContent::Band header;
                header.kind = Kind::GroupHeader;
                header.text = groups[groupOf[i]].first;
                m_content.bands.push_back(header);
            }
            running += r.revenue;
            ReportContent::Band row;
            row.kind = Kind::Row;
            row.columnSet = columns;
            row.cells.reserve(qsizetype(m_columnSources.size()));
            for (const CellSource& source : m_columnSources)
                row.cells.append(cellText(source, r, running, all.revenue));
            if (!m_t.lineFields.isEmpty())
                setLine(row, r);
            m_content.bands.push_back(std::move(row));
            const bool lastOfGroup = i + 1 == order.size() || groupOf[i + 1] != groupOf[i];
            if (!group.isEmpty() && lastOfGroup) {
                const auto& [label, sums] = groups[groupOf[i]];
                m_content.bands.push_back(sumBand(Kind::Subtotal, columns,
                                                  QStringLiteral("Subtotal ") + label, sums,
                                                  all.revenue));
            }
        }
        if (!m_t.totals.isEmpty())
            m_content.bands.push_back(
                sumBand(Kind::Total, columns, QStringLiteral("Total"), all, all.revenue));
    }

    void buildSummary(const Sums& all) {
        using Kind = ReportContent::Band::Kind;
        std::vector<std::pair<QString, Sums>> firstGroups;
        for (const QString& group : m_t.groups) {
            // Every entry of a value list has its line, even without opportunities.
            std::map<std::pair<int, QString>, std::pair<QString, Sums>> sums;
            const QStringList* list =
                group == QLatin1String("Stage")
                    ? &ValueLists::stage()
                    : (group == QLatin1String("Probability") ? &ValueLists::probability()
                                                             : nullptr);
            if (list) {
                for (qsizetype i = 0; i < list->size(); ++i)
                    sums[{int(i), QString()}] = {list->at(i), Sums()};
            }
            for (const ReportRecord& r : m_records) {
                const GroupKey key = groupKey(group, r);
                auto& entry = sums[{key.rank, key.text}];
                if (entry.first.isEmpty())
                    entry.first = ReportBuilder::groupLabel(group, r);
                entry.second.add(r);
            }
            // The map orders by rank, then by text exactly; put texts in the collator's order.
            std::vector<std::pair<std::pair<int, QString>, std::pair<QString, Sums>>> rows(
                sums.begin(), sums.end());
            std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
                return compareKeys({a.first.first, a.first.second},
                                   {b.first.first, b.first.second}) < 0;
            });

            ReportContent::ColumnSet set;
            set.headings.append(ReportBuilder::caption(group));
            set.widths.append(3);
            set.rightAligned.append(false);
            set.cuttable.append(false);
            for (const QString& total : m_t.totals) {
                set.headings.append(
                    total == QLatin1String("Count")      ? QStringLiteral("Opportunities")
                    : total == QLatin1String("Revenue")  ? QStringLiteral("Revenue")
                    : total == QLatin1String("Weighted") ? QStringLiteral("Weighted revenue")
                                                         : QStringLiteral("Share of revenue"));
                set.widths.append(total == QLatin1String("Count") ? 1.2 : 1.6);
                set.rightAligned.append(true);
                set.cuttable.append(false);
            }
            m_content.columnSets.push_back(set);
            const int columns = static_cast<int>(m_content.columnSets.size()) - 1;

            ReportContent::Band title;
            title.kind = Kind::SectionTitle;
            title.text = QStringLiteral("By ") + ReportBuilder::caption(group).toLower();
            m_content.bands.push_back(title);
            const auto figures = [&](const Sums& s) {
                QStringList cells;
                for (const QString& total : m_t.totals) {
                    if (total == QLatin1String("Count"))
                        cells.append(countText(s.count));
                    else if (total == QLatin1String("Revenue"))
                        cells.append(LocaleText::currency(s.revenue));
                    else if (total == QLatin1String("Weighted"))
                        cells.append(LocaleText::currency(s.weighted));
                    else
                        cells.append(shareText(s.revenue, all.revenue));
                }
                return cells;
            };
            for (const auto& [key, entry] : rows) {
                ReportContent::Band row;
                row.kind = Kind::Row;
                row.columnSet = columns;
                row.cells = QStringList{entry.first} + figures(entry.second);
                m_content.bands.push_back(row);
                if (group == m_t.groups.first())
                    firstGroups.push_back(entry);
            }
            ReportContent::Band total;
            total.kind = Kind::Total;
            total.columnSet = columns;
            total.cells = QStringList{QString()} + figures(all);
            total.text = QStringLiteral("Total");
            m_content.bands.push_back(total);
            ReportContent::Band gap;
            gap.kind = Kind::Gap;
            m_content.bands.push_back(gap);
        }

        // The pipeline at a glance.
        Sums forecast;
        for (const ReportRecord& r : m_records) {
            if (r.field(15) == QLatin1String("Yes"))
                forecast.add(r);
        }
        m_content.columnSets.push_back({{QStringLiteral("Pipeline"), QStringLiteral("Figure")},
                                        {3, 1.6},
                                        {false, true},
                                        {false, false}});
        const int columns = static_cast<int>(m_content.columnSets.size()) - 1;
        ReportContent::Band title;
        title.kind = Kind::SectionTitle;
        title.text = QStringLiteral("Pipeline totals");
        m_content.bands.push_back(title);
        const QList<QPair<QString, QString>> lines{
            {QStringLiteral("Opportunities"), countText(all.count)},
            {QStringLiteral("Revenue"), LocaleText::currency(all.revenue)},
            {QStringLiteral("Weighted revenue"), LocaleText::currency(all.weighted)},
            {QStringLiteral("Forecast opportunities"), countText(forecast.count)},
            {QStringLiteral("Forecast revenue"), LocaleText::currency(forecast.revenue)},
            {QStringLiteral("Forecast weighted revenue"), LocaleText::currency(forecast.weighted)}};
        for (const auto& [label, value] : lines) {
            ReportContent::Band row;
            row.kind = Kind::Row;
            row.columnSet = columns;
            row.cells = QStringList{label, value};
            m_content.bands.push_back(row);
        }
        if (m_t.chart) {
            QStringList labels;
            for (const auto& entry : firstGroups)
                labels.append(entry.first);
            addChart(firstGroups, labels);
        }
    }

    const ReportTemplate& m_t;
    const std::vector<ReportRecord>& m_records;
    QCollator m_collator;
    ReportContent m_content;
    std::vector<CellSource> m_columnSources;
    std::vector<CellSource> m_lineSources;
    mutable QHash<qint64, QString> m_dateTexts;
    mutable QHash<double, QString> m_currencyTexts;
};

} // namespace

ReportContent ReportBuilder::build(const ReportTemplate& reportTemplate,
                                   const std::vector<ReportRecord>& records) {
    return Builder(reportTemplate, records).build();
}

QString ReportBuilder::caption(const QString& field) {
    if (const QString text = OpportunityFields::reportCaption(field); !text.isEmpty())
        return text;
    static const QList<QPair<QString, QString>> captions{
        {QStringLiteral("Weighted"), QStringLiteral("Weighted revenue")},
        {QStringLiteral("Share"), QStringLiteral("Running share")}};
    for (const auto& [name, text] : captions) {
        if (name == field)
            return text;
    }
    return field;
}

QString ReportBuilder::groupLabel(const QString& group, const ReportRecord& r) {
    if (group == QLatin1String("Week") || group == QLatin1String("Month")) {
        if (!r.orderDate.isValid())
            return noDateText();
        if (group == QLatin1String("Month"))
            return QLocale().standaloneMonthName(r.orderDate.month()) + QLatin1Char(' ') +
                   QString::number(r.orderDate.year());
        int year = 0;
        const int week = r.orderDate.weekNumber(&year);
        const QDate monday = r.orderDate.addDays(1 - r.orderDate.dayOfWeek());
        return QStringLiteral("Week %1, %2 (from %3)")
            .arg(week)
            .arg(year)
            .arg(LocaleText::shortDate(monday));
    }
    const QString& text = r.field(ReportRecord::fieldIndex(group));
    return text.isEmpty() ? QStringLiteral("(none)") : text;
}
