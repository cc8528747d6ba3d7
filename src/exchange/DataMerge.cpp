#include "exchange/DataMerge.h"

#include "exchange/LeadReader.h"
#include "store/SalesDatabase.h"
#include "store/SalesStore.h"

#include <QFileInfo>
#include <vector>

QString DataMerge::openFailureCause(const QString& location) {
    const QString cause =
        SalesStore::forLocation(location, SalesStore::Access::ReadOnly)->unreadableCause();
    return cause.isEmpty() ? QStringLiteral("The file could not be read.") : cause;
}

DataMerge::ListDrop DataMerge::listDropKind(const QString& firstFile) {
    if (firstFile.endsWith(QLatin1String(".mdb"), Qt::CaseSensitive))
        return ListDrop::Database;
    if (firstFile.endsWith(QLatin1String(".txt"), Qt::CaseSensitive))
        return ListDrop::LeadFile;
    return ListDrop::Ignore;
}

DataMerge::Outcome DataMerge::mergeText(SalesDatabase& target, const QString& theFileName) {
    Outcome outcome;
    const QString failed = QStringLiteral("Unable to process some or all of the file ") +
                           theFileName + QStringLiteral("\n\n");
    outcome.title = textFailureTitle();

    LeadReader reader(theFileName);
    if (const Result opened = reader.open(); !opened) {
        outcome.message = failed + opened.message();
        return outcome;
    }
    // Leads are read as they are stored, inside the one transaction of the merge.
    const auto added = target.addAll(
        [&reader] { return reader.next(); },
        [&reader](size_t) { return QStringLiteral("line %1").arg(reader.lineNumber()); });
    if (!added) {
        outcome.message = failed + added.message();
        return outcome;
    }
    outcome.status = Status::Merged;
    outcome.added = added->size();
    outcome.keys = *added;
    outcome.title = mergeTitle();
    outcome.message =
        QString::number(outcome.added) + QStringLiteral(" new sales opportunities were merged.");
    return outcome;
}

DataMerge::Outcome DataMerge::mergeDatabase(SalesDatabase& target, const QString& theLocation) {
    Outcome outcome;
    outcome.title = databaseFailureTitle();
    const QString failed = QStringLiteral("Unable to merge ") + theLocation;

    auto read = SalesStore::forLocation(theLocation, SalesStore::Access::ReadOnly)->readCopies();
    if (!read) {
        outcome.message = failed + QStringLiteral("\n\n") + read.message();
        return outcome;
    }
    if (read->empty()) {
        outcome.status = Status::Nothing;
        return outcome;
    }
    std::vector<const Opportunity*> items;
    items.reserve(read->size());
    for (const Opportunity& o : *read)
        items.push_back(&o);
    const auto added = target.addAll(items, [&](size_t i) {
        return QStringLiteral("record %1 of %2").arg(items[i]->recordNumber()).arg(theLocation);
    });
    if (!added) {
        outcome.message = failed + QStringLiteral("\n\n") + added.message();
        return outcome;
    }
    outcome.status = Status::Merged;
    outcome.added = static_cast<qint64>(items.size());
    outcome.keys = *added;
    return outcome;
}
