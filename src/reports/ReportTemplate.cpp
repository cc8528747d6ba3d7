#include "reports/ReportTemplate.h"

#include "reports/ReportRecord.h"
#include "store/OpportunityFields.h"

#include <QFile>
#include <algorithm>

namespace {

// Templates are a few lines; anything much larger is no template.
constexpr qint64 MaxTemplateBytes = 256 * 1024;

const QStringList& computedFields() {
    static const QStringList fields{QLatin1String(OpportunityFields::OrderDateColumn.key),
                                    QStringLiteral("Weighted"), QStringLiteral("Share")};
    return fields;
}

// The canonical spelling of a field name, or "" for none.
QString canonicalField(const QString& name) {
    for (const QString& field : computedFields()) {
        if (field.compare(name, Qt::CaseInsensitive) == 0)
            return field;
    }
    const int index = ReportRecord::fieldIndex(name);
    if (index < 0)
        return QString();
    return QLatin1String(OpportunityFields::Fields[static_cast<size_t>(index)].storedName);
}

QString canonicalGroup(const QString& name) {
    if (name.compare(QLatin1String("Week"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Week");
    if (name.compare(QLatin1String("Month"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Month");
    const QString field = canonicalField(name);
    return ReportRecord::fieldIndex(field) >= 0 ? field : QString();
}

} // namespace

bool ReportTemplate::isField(const QString& name) {
    return !canonicalField(name).isEmpty();
}

bool ReportTemplate::isGroup(const QString& name) {
    return !canonicalGroup(name).isEmpty();
}

bool ReportTemplate::isAmount(const QString& field) {
    return OpportunityFields::isMoney(field) || field == QLatin1String("Weighted");
}

ResultValue<ReportTemplate> ReportTemplate::parse(const QString& text) {
    ReportTemplate result;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto fail = [&](const QString& why) {
            return Result::failure(QStringLiteral("line %1: %2").arg(n + 1).arg(why));
        };
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            return fail(QStringLiteral("a line must read \"setting: value\""));
        const QString key = line.left(colon).trimmed().toLower();
        const QString value = line.mid(colon + 1).trimmed();
        const auto unknownField = [&](const QString& name) {
            return fail(QStringLiteral("there is no field \"%1\"").arg(name));
        };

        if (key == QLatin1String("title")) {
            result.title = value;
        } else if (key == QLatin1String("layout")) {
            if (value.compare(QLatin1String("list"), Qt::CaseInsensitive) == 0)
                result.layout = Layout::List;
            else if (value.compare(QLatin1String("summary"), Qt::CaseInsensitive) == 0)
                result.layout = Layout::Summary;
            else
                return fail(QStringLiteral("the layout is \"list\" or \"summary\""));
        } else if (key == QLatin1String("orientation")) {
            if (value.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0)
                result.landscape = true;
            else if (value.compare(QLatin1String("portrait"), Qt::CaseInsensitive) == 0)
                result.landscape = false;
            else
                return fail(QStringLiteral("the orientation is \"portrait\" or \"landscape\""));
        } else if (key == QLatin1String("select")) {
            const qsizetype equals = value.indexOf(QLatin1Char('='));
            const QString field = canonicalField(value.left(equals).trimmed());
            if (equals < 0)
                return fail(QStringLiteral("a selection reads \"field = text\""));
            if (ReportRecord::fieldIndex(field) < 0)
                return unknownField(value.left(equals).trimmed());
            result.select.append({field, value.mid(equals + 1).trimmed()});
        } else if (key == QLatin1String("group")) {
            const QString group = canonicalGroup(value);
            if (group.isEmpty())
                return fail(QStringLiteral("there is no grouping \"%1\"").arg(value));
            result.groups.append(group);
        } else if (key == QLatin1String("sort")) {
            const QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (words.isEmpty() || words.size() > 2)
                return fail(QStringLiteral("a sort key reads \"field [ascending|descending]\""));
            SortKey sortKey{canonicalField(words[0]), false};
            if (sortKey.field.isEmpty() || sortKey.field == QLatin1String("Share"))
                return unknownField(words[0]);
            if (words.size() == 2) {
                if (words[1].compare(QLatin1String("descending"), Qt::CaseInsensitive) == 0)
                    sortKey.descending = true;
                else if (words[1].compare(QLatin1String("ascending"), Qt::CaseInsensitive) != 0)
                    return fail(QStringLiteral("a sort is \"ascending\" or \"descending\""));
            }
            result.sort.append(sortKey);
        } else if (key == QLatin1String("column")) {
            const QStringList parts = value.split(QLatin1Char('|'));
            if (parts.size() != 3)
                return fail(QStringLiteral("a column reads \"field | heading | width\""));
            Column column{canonicalField(parts[0].trimmed()), parts[1].trimmed(), 0};
            if (column.field.isEmpty())
                return unknownField(parts[0].trimmed());
            bool ok = false;
            column.width = parts[2].trimmed().toDouble(&ok);
            if (!ok || column.width <= 0 || column.width > 1000)
                return fail(QStringLiteral("a column's width is a number from 1 to 1000"));
            result.columns.append(column);
        } else if (key == QLatin1String("line")) {
            for (const QString& name : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const QString field = canonicalField(name.trimmed());
                if (field.isEmpty())
                    return unknownField(name.trimmed());
                result.lineFields.append(field);
            }
        } else if (key == QLatin1String("totals")) {
            static const QStringList known{QStringLiteral("Count"), QStringLiteral("Revenue"),
                                           QStringLiteral("Weighted"), QStringLiteral("Share")};
            for (const QString& name : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const auto found = std::find_if(known.begin(), known.end(), [&](const QString& k) {
                    return k.compare(name.trimmed(), Qt::CaseInsensitive) == 0;
                });
                if (found == known.end())
                    return fail(QStringLiteral("there is no total \"%1\"").arg(name.trimmed()));
                result.totals.append(*found);
            }
        } else if (key == QLatin1String("chart")) {
            if (value.compare(QLatin1String("bars"), Qt::CaseInsensitive) == 0)
                result.chart = true;
            else if (value.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
                result.chart = false;
            else
                return fail(QStringLiteral("a chart is \"bars\" or \"none\""));
        } else {
            return fail(QStringLiteral("there is no setting \"%1\"").arg(line.left(colon)));
        }
    }
    if (result.title.isEmpty())
        return Result::failure(QStringLiteral("the template has no title"));
    if (result.layout == Layout::List && result.columns.isEmpty())
        return Result::failure(QStringLiteral("the template has no columns"));
    if (result.layout == Layout::Summary && result.groups.isEmpty())
        return Result::failure(QStringLiteral("a summary needs at least one group"));
    if (result.layout == Layout::List && result.groups.size() > 1)
        return Result::failure(QStringLiteral("a list has at most one group"));
    if (result.chart && result.groups.isEmpty())
        return Result::failure(QStringLiteral("a chart needs a group"));
    return result;
}

ResultValue<ReportTemplate> ReportTemplate::load(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return Result::failure(QStringLiteral("the file does not exist"));
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(file.errorString());
    if (file.size() > MaxTemplateBytes)
        return Result::failure(QStringLiteral("the file is too large for a report template"));
    const QByteArray bytes = file.read(MaxTemplateBytes + 1);
    if (bytes.size() > MaxTemplateBytes)
        return Result::failure(QStringLiteral("the file is too large for a report template"));
    if (bytes.contains('\0'))
        return Result::failure(QStringLiteral("the file is no report template"));
    QString text = QString::fromUtf8(bytes);
    text.remove(QLatin1Char('\r'));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return parse(text);
}
