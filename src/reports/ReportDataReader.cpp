#include "reports/ReportDataReader.h"

#include "store/SalesStore.h"

ResultValue<std::vector<ReportRecord>> ReportDataReader::read(const QString& path,
                                                              const Conditions& conditions) {
    // The store is read-only: a report never changes the file or locks it out for longer than
    // its read.
    const auto store = SalesStore::forLocation(path, SalesStore::Access::ReadOnly);
    auto stored = store->readStoredTexts(conditions);
    if (!stored)
        return stored.result();
    std::vector<ReportRecord> records;
    records.reserve(stored->size());
    for (SalesStore::StoredTexts& texts : *stored) {
        ReportRecord& record = records.emplace_back();
        for (int i = 0; i < ReportRecord::FieldCount; ++i)
            record.fields[static_cast<size_t>(i)] = std::move(texts[static_cast<size_t>(i)]);
        record.computeValues();
    }
    return records;
}
