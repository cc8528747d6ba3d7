#include "store/OpportunityFields.h"

namespace OpportunityFields {

namespace {
// Every placement in the table fills positions 0 to count - 1 once each (the Sort menu 1 to 14).
template <typename Position> constexpr bool fillsEachOnce(int count, Position position) {
    std::array<int, 32> uses{};
    const auto place = [&](int at) {
        if (at >= 0 && at < count)
            ++uses[static_cast<size_t>(at)];
        return at < count;
    };
    for (const Info& field : Fields) {
        if (!place(position(field.column, field.exported, field.textLine)))
            return false;
    }
    if (!place(
            position(OrderDateColumn.column, OrderDateColumn.exported, OrderDateColumn.textLine)))
        return false;
    for (int at = 0; at < count; ++at) {
        if (uses[static_cast<size_t>(at)] != 1)
            return false;
    }
    return true;
}
static_assert(fillsEachOnce(ColumnCount, [](const Column& c, auto&, auto&) { return c.position; }),
              "list positions");
static_assert(fillsEachOnce(ColumnCount,
                            [](const Column& c, auto&, auto&) {
                                return c.position < 0 ? -1 : c.sortPosition - 1;
                            }),
              "Sort menu positions");
static_assert(fillsEachOnce(ColumnCount,
                            [](const Column& c, auto&, auto&) {
                                return c.position < 0 ? -1 : c.optionsPosition;
                            }),
              "options entries");
static_assert(fillsEachOnce(ExportColumnCount,
                            [](auto&, const ExportColumn& e, auto&) { return e.position; }),
              "export columns");
static_assert(fillsEachOnce(TextLineCount,
                            [](auto&, auto&, const ExportColumn& t) { return t.position; }),
              "text block lines");

// The lists that the table gives in other orders than the stored one, built from it once.
struct Lists {
    QStringList columnKeys;
    QStringList columnCaptions;
    QStringList sortKeys;
    QStringList sortCaptions;
    QStringList optionsKeys;
    QStringList optionsCaptions;
    QStringList exportHeaders;
    std::array<std::optional<Field>, ExportColumnCount> exportFields{};
    std::array<TextLine, TextLineCount> textLines{};

    Lists() {
        std::array<const char*, ColumnCount> key{};
        std::array<const char*, ColumnCount> caption{};
        std::array<const char*, ColumnCount> sortKey{};
        std::array<const char*, ColumnCount> sortCaption{};
        std::array<const char*, ColumnCount> optionsKey{};
        std::array<const char*, ColumnCount> optionsCaption{};
        std::array<const char*, ExportColumnCount> header{};
        const auto place = [&](const char* columnKey, const Column& column) {
            if (column.position < 0)
                return;
            key[static_cast<size_t>(column.position)] = columnKey;
            caption[static_cast<size_t>(column.position)] = column.caption;
            sortKey[static_cast<size_t>(column.sortPosition - 1)] = columnKey;
            sortCaption[static_cast<size_t>(column.sortPosition - 1)] = column.sortCaption;
            optionsKey[static_cast<size_t>(column.optionsPosition)] = columnKey;
            optionsCaption[static_cast<size_t>(column.optionsPosition)] = column.optionsCaption;
        };
        for (const Info& field : Fields) {
            place(field.key, field.column);
            if (field.exported.position >= 0) {
                header[static_cast<size_t>(field.exported.position)] = field.exported.header;
                exportFields[static_cast<size_t>(field.exported.position)] = field.field;
            }
            if (field.textLine.position >= 0)
                textLines[static_cast<size_t>(field.textLine.position)] = {
                    QLatin1String(field.textLine.header), field.field};
        }
        place(OrderDateColumn.key, OrderDateColumn.column);
        header[static_cast<size_t>(OrderDateColumn.exported.position)] =
            OrderDateColumn.exported.header;
        textLines[static_cast<size_t>(OrderDateColumn.textLine.position)] = {
            QLatin1String(OrderDateColumn.textLine.header), std::nullopt};

        const auto fill = [](QStringList& list, const auto& texts) {
            for (const char* text : texts)
                list.append(QLatin1String(text));
        };
        fill(columnKeys, key);
        fill(columnCaptions, caption);
        fill(sortKeys, sortKey);
        fill(sortCaptions, sortCaption);
        fill(optionsKeys, optionsKey);
        fill(optionsCaptions, optionsCaption);
        fill(exportHeaders, header);
    }
};

const Lists& lists() {
    static const Lists lists;
    return lists;
}
} // namespace

std::optional<Field> byKey(QStringView key) {
    for (const Info& field : Fields) {
        if (field.key && key == QLatin1String(field.key))
            return field.field;
    }
    return std::nullopt;
}

std::optional<Field> byStoredName(QStringView name) {
    for (const Info& field : Fields) {
        if (name.compare(QLatin1String(field.storedName), Qt::CaseInsensitive) == 0)
            return field.field;
    }
    return std::nullopt;
}

const QStringList& columnKeys() {
    return lists().columnKeys;
}

const QStringList& columnCaptions() {
    return lists().columnCaptions;
}

QString sortKey(int sortPosition) {
    const QStringList& keys = lists().sortKeys;
    if (sortPosition < 1 || sortPosition > keys.size())
        return QStringLiteral("None");
    return keys.at(sortPosition - 1);
}

int sortPosition(QStringView columnKey) {
    const QStringList& keys = lists().sortKeys;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys.at(i) == columnKey)
            return static_cast<int>(i + 1);
    }
    return 0;
}

const QStringList& sortCaptions() {
    return lists().sortCaptions;
}

const QStringList& optionsKeys() {
    return lists().optionsKeys;
}

const QStringList& optionsCaptions() {
    return lists().optionsCaptions;
}

const QStringList& exportHeaders() {
    return lists().exportHeaders;
}

const std::array<std::optional<Field>, ExportColumnCount>& exportFields() {
    return lists().exportFields;
}

const std::array<TextLine, TextLineCount>& textLines() {
    return lists().textLines;
}

bool isAmount(QStringView key) {
    const auto field = byKey(key);
    return field && info(*field).amount != Amount::None;
}

bool isMoney(QStringView storedName) {
    for (const Info& field : Fields) {
        if (storedName == QLatin1String(field.storedName))
            return field.amount == Amount::Money;
    }
    return false;
}

QString reportCaption(QStringView name) {
    for (const Info& field : Fields) {
        if (name == QLatin1String(field.storedName))
            return QLatin1String(field.reportCaption ? field.reportCaption : field.storedName);
    }
    if (name == QLatin1String(OrderDateColumn.key))
        return QLatin1String(OrderDateColumn.reportCaption);
    return QString();
}

QString storedNameList() {
    QString list;
    for (const Info& field : Fields) {
        if (!list.isEmpty())
            list += QStringLiteral(", ");
        list += QLatin1String(field.storedName);
    }
    return list;
}

} // namespace OpportunityFields
