#include "store/OpportunityFields.h"

namespace OpportunityFields {

namespace {
// The columns in list order, built from the table once.
struct ColumnLists {
    QStringList keys;
    QStringList captions;
    ColumnLists() {
        std::array<const char*, ColumnCount> key{};
        std::array<const char*, ColumnCount> caption{};
        for (const Info& field : Fields) {
            if (field.column >= 0) {
                key[static_cast<size_t>(field.column)] = field.key;
                caption[static_cast<size_t>(field.column)] = field.caption;
            }
        }
        key[OrderDateColumn.column] = OrderDateColumn.key;
        caption[OrderDateColumn.column] = OrderDateColumn.caption;
        for (int i = 0; i < ColumnCount; ++i) {
            keys.append(QLatin1String(key[static_cast<size_t>(i)]));
            captions.append(QLatin1String(caption[static_cast<size_t>(i)]));
        }
    }
};

const ColumnLists& columns() {
    static const ColumnLists lists;
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
    return columns().keys;
}

const QStringList& columnCaptions() {
    return columns().captions;
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
