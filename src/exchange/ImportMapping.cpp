#include "exchange/ImportMapping.h"

#include "store/OpportunityFields.h"

#include <QCryptographicHash>
#include <QHash>

namespace {

using namespace OpportunityFields;

// A header as it is compared: without case, blanks, underscores, hyphens and dots.
QString normalized(QStringView header) {
    QString name;
    name.reserve(header.size());
    for (const QChar c : header) {
        if (c.isLetterOrNumber() || c == QLatin1Char('#') || c == QLatin1Char('%'))
            name += c.toCaseFolded();
    }
    return name;
}

const QHash<QString, int>& knownHeaders() {
    static const QHash<QString, int> known = [] {
        QHash<QString, int> names;
        const auto add = [&](const char* header, int target) {
            const QString key = normalized(QString::fromLatin1(header));
            if (!names.contains(key))
                names.insert(key, target);
        };
        // Our own export's headers, the stored names and the list's captions first.
        for (const Info& field : Fields) {
            if (field.field == RecordNumber || field.field == DateCreated)
                continue;
            if (field.exported.header)
                add(field.exported.header, field.field);
            add(field.storedName, field.field);
            if (field.column.caption)
                add(field.column.caption, field.field);
            if (field.column.sortCaption)
                add(field.column.sortCaption, field.field);
            if (field.reportCaption)
                add(field.reportCaption, field.field);
        }
        add(OrderDateColumn.exported.header, ImportMapping::OrderDate);
        add(OrderDateColumn.column.sortCaption, ImportMapping::OrderDate);
        add(OrderDateColumn.reportCaption, ImportMapping::OrderDate);
        // What other programs call them.
        const std::initializer_list<std::pair<const char*, int>> synonyms = {
            {"Title", Description},
            {"Deal Name", Description},
            {"Deal", Description},
            {"Opportunity", Description},
            {"Opportunity Name", Description},
            {"Name", Description},
            {"Subject", Description},
            {"Organization", Company},
            {"Organisation", Company},
            {"Organization Name", Company},
            {"Account", Company},
            {"Account Name", Company},
            {"Company Name", Company},
            {"Customer", Company},
            {"Client", Company},
            {"Value", Revenue},
            {"Amount", Revenue},
            {"Deal Value", Revenue},
            {"Opportunity Value", Revenue},
            {"Expected Revenue", Revenue},
            {"Price", UnitPrice},
            {"Qty", Quantity},
            {"Contact Name", Contact},
            {"Contact Person", Contact},
            {"Person", Contact},
            {"Notes", Note},
            {"Comment", Note},
            {"Comments", Note},
            {"Lead Source", Source},
            {"Deal Stage", Stage},
            {"Sales Stage", Stage},
            {"Status", Stage},
            {"Win Probability", Probability},
            {"Probability (%)", Probability},
            {"Owner", SalesOwner},
            {"Deal Owner", SalesOwner},
            {"Opportunity Owner", SalesOwner},
            {"Sales Rep", SalesOwner},
            {"Salesperson", SalesOwner},
            {"Assigned To", SalesOwner},
            {"Expected Close Date", ImportMapping::OrderDate},
            {"Close Date", ImportMapping::OrderDate},
            {"Expected Close", ImportMapping::OrderDate},
            {"Closing Date", ImportMapping::OrderDate},
            {"Order Date", ImportMapping::OrderDate},
            {"Expected Order Date", ImportMapping::OrderDate},
        };
        for (const auto& [header, target] : synonyms)
            add(header, target);
        return names;
    }();
    return known;
}

} // namespace

int ImportMapping::guessTarget(QStringView header) {
    return knownHeaders().value(normalized(header), Ignore);
}

ImportMapping ImportMapping::guess(const QStringList& headers) {
    QList<int> targets;
    targets.reserve(headers.size());
    for (const QString& header : headers) {
        int target = guessTarget(header);
        if (target != Ignore && targets.contains(target))
            target = Ignore;
        targets.append(target);
    }
    return ImportMapping(targets);
}

const QList<int>& ImportMapping::targets() {
    static const QList<int> list = [] {
        QList<int> all{Ignore};
        for (const Info& field : Fields) {
            if (field.field != RecordNumber && field.field != DateCreated)
                all.append(field.field);
        }
        all.append(OrderDate);
        return all;
    }();
    return list;
}

QString ImportMapping::targetName(int target) {
    if (target == OrderDate)
        return QLatin1String(OrderDateColumn.key);
    if (target >= 0 && target < Count)
        return QLatin1String(Fields[static_cast<size_t>(target)].storedName);
    return QStringLiteral("ignore");
}

QString ImportMapping::targetCaption(int target) {
    if (target == OrderDate)
        return QStringLiteral("Expected order date");
    if (target >= 0 && target < Count)
        return reportCaption(QString::fromLatin1(Fields[static_cast<size_t>(target)].storedName));
    return QStringLiteral("(ignore)");
}

std::optional<int> ImportMapping::targetByName(QStringView name) {
    for (const int target : targets()) {
        if (name.compare(targetName(target), Qt::CaseInsensitive) == 0)
            return target;
    }
    return std::nullopt;
}

int ImportMapping::target(int column) const {
    return column >= 0 && column < m_targets.size() ? m_targets.at(column) : Ignore;
}

void ImportMapping::setTarget(int column, int target) {
    if (column < 0)
        return;
    while (m_targets.size() <= column)
        m_targets.append(Ignore);
    m_targets[column] = target;
}

int ImportMapping::columnOf(int target) const {
    return static_cast<int>(m_targets.indexOf(target));
}

bool ImportMapping::isEmpty() const {
    for (const int target : m_targets) {
        if (target != Ignore)
            return false;
    }
    return true;
}

QString ImportMapping::toText() const {
    QStringList names;
    for (const int target : m_targets)
        names.append(targetName(target));
    return names.join(QLatin1Char(','));
}

ImportMapping ImportMapping::fromText(const QString& text) {
    QList<int> targets;
    if (text.isEmpty())
        return ImportMapping();
    for (const QString& name : text.split(QLatin1Char(',')))
        targets.append(targetByName(name.trimmed()).value_or(Ignore));
    return ImportMapping(targets);
}

QString ImportMapping::headerKey(const QStringList& headers) {
    const QByteArray bytes = headers.join(QChar(0x1F)).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16));
}
