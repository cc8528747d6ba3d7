#include "store/SalesSchema.h"

#include "store/Opportunity.h"
#include "store/OpportunityFields.h"

namespace SalesSchema {

using namespace OpportunityFields;

QString createTableSql() {
    QString sql = QStringLiteral("CREATE TABLE Sales (");
    bool first = true;
    for (const Info& field : Fields) {
        if (!first)
            sql += QStringLiteral(", ");
        first = false;
        const QString name = QLatin1String(field.storedName);
        switch (field.type) {
        case Type::Integer:
            sql += name + QStringLiteral(" INTEGER CHECK (") + name +
                   QStringLiteral(" BETWEEN -2147483648 AND 2147483647)");
            break;
        case Type::DateTime:
            sql += name + QStringLiteral(" DATETIME");
            break;
        case Type::Text:
            sql += name + QStringLiteral(" TEXT CHECK (length(") + name + QStringLiteral(") <= ") +
                   QString::number(field.size) + QLatin1Char(')');
            break;
        }
    }
    return sql + QLatin1Char(')');
}

QString createIndexSql() {
    return QStringLiteral("CREATE UNIQUE INDEX RecordNumber ON Sales (RecordNumber ASC)");
}

QString checkSizes(const Opportunity& opportunity) {
    for (const Info& field : Fields) {
        if (field.type != Type::Text)
            continue;
        // Sizes count characters, as the engine's length() does, not UTF-16 units.
        const QString& text = opportunity.text(field.field);
        if (text.size() > field.size && text.toUcs4().size() > field.size) {
            return QStringLiteral("%1 is longer than %2 characters")
                .arg(QLatin1String(field.storedName))
                .arg(field.size);
        }
    }
    return QString();
}

} // namespace SalesSchema
