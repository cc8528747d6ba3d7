#include "reports/ReportDataReader.h"

#include "store/SalesStore.h"

namespace {
// The store's sentence as the cause that follows "Could not read the database X: ".
QString cause(QString sentence) {
    if (sentence.endsWith(QLatin1Char('.')))
        sentence.chop(1);
    if (sentence.size() > 1 && sentence[0].isUpper() && sentence[1].isLower())
        sentence[0] = sentence[0].toLower();
    return sentence;
}
} // namespace

ResultValue<std::vector<ReportRecord>> ReportDataReader::read(const QString& path,
                                                              const Conditions& conditions) {
    for (const auto& [field, text] : conditions) {
        if (field < 0 || field >= ReportRecord::FieldCount)
            return Result::failure(QStringLiteral("a condition names no field"));
    }
    // The store is read-only: a report never changes the file or locks it out for longer than
    // its read. The records are those the window shows (the first record of each usable record
    // number); the template's selection is made among them, so that a second record with a
    // number already seen never stands in for the first.
    const auto store = SalesStore::forLocation(path, SalesStore::Access::ReadOnly);
    const auto opportunities = store->readAll();
    if (!opportunities)
        return Result::failure(cause(opportunities.message()));
    std::vector<ReportRecord> records;
    records.reserve(static_cast<size_t>(opportunities->count()));
    ReportRecord record;
    for (const Opportunity& opportunity : *opportunities) {
        for (int i = 0; i < ReportRecord::FieldCount; ++i) {
            const auto field = static_cast<OpportunityFields::Field>(i);
            record.fields[static_cast<size_t>(i)] =
                field == OpportunityFields::RecordNumber
                    ? QString::number(opportunity.recordNumber())
                    : opportunity.text(field);
        }
        bool selected = true;
        for (const auto& [field, text] : conditions)
            selected = selected && record.field(field) == text;
        if (!selected)
            continue;
        record.computeValues();
        records.push_back(record);
    }
    return records;
}
