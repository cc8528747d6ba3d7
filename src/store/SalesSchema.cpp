#include "store/SalesSchema.h"

#include "store/Opportunity.h"

#include <cstring>

namespace SalesSchema {

QString CreateTableSql() {
    QString sql = QStringLiteral("CREATE TABLE Sales (");
    bool first = true;
    for (const Field& field : Fields) {
        if (!first)
            sql += QStringLiteral(", ");
        first = false;
        const QString name = QLatin1String(field.name);
        switch (field.type) {
        case FieldType::Integer:
            sql += name + QStringLiteral(" INTEGER CHECK (") + name +
                   QStringLiteral(" BETWEEN -2147483648 AND 2147483647)");
            break;
        case FieldType::DateTime:
            sql += name + QStringLiteral(" DATETIME");
            break;
        case FieldType::Text:
            sql += name + QStringLiteral(" TEXT CHECK (length(") + name + QStringLiteral(") <= ") +
                   QString::number(field.size) + QLatin1Char(')');
            break;
        }
    }
    return sql + QLatin1Char(')');
}

QString CreateIndexSql() {
    return QStringLiteral("CREATE UNIQUE INDEX RecordNumber ON Sales (RecordNumber ASC)");
}

QString TextOf(const Opportunity& o, const char* fieldName) {
    static const struct {
        const char* name;
        const QString& (Opportunity::*get)() const;
    } getters[] = {{"SalesOwner", &Opportunity::SalesOwner},
                   {"DateCreated", &Opportunity::DateCreated},
                   {"Company", &Opportunity::Company},
                   {"Contact", &Opportunity::Contact},
                   {"Department", &Opportunity::Department},
                   {"Description", &Opportunity::Description},
                   {"Note", &Opportunity::Note},
                   {"Product", &Opportunity::Product},
                   {"UnitPrice", &Opportunity::UnitPrice},
                   {"Quantity", &Opportunity::Quantity},
                   {"Revenue", &Opportunity::Revenue},
                   {"Source", &Opportunity::Source},
                   {"Stage", &Opportunity::Stage},
                   {"Probability", &Opportunity::Probability},
                   {"Forecast", &Opportunity::Forecast},
                   {"OrderDay", &Opportunity::OrderDay},
                   {"OrderMonth", &Opportunity::OrderMonth},
                   {"OrderYear", &Opportunity::OrderYear}};
    for (const auto& getter : getters) {
        if (std::strcmp(getter.name, fieldName) == 0)
            return (o.*getter.get)();
    }
    return QString();
}

QString CheckSizes(const Opportunity& opportunity) {
    for (const Field& field : Fields) {
        if (field.type != FieldType::Text)
            continue;
        // Sizes count characters, as the engine's length() does, not UTF-16 units.
        const QString text = TextOf(opportunity, field.name);
        const auto characters = text.toUcs4().size();
        if (characters > field.size) {
            return QStringLiteral("%1 is longer than %2 characters")
                .arg(QLatin1String(field.name))
                .arg(field.size);
        }
    }
    return QString();
}

} // namespace SalesSchema
