#include "exchange/DataMerge.h"

#include "exchange/LeadReader.h"
#include "store/SalesDatabase.h"
#include "store/SalesStore.h"

#include <QFileInfo>
#include <QLocale>
#include <vector>

QString DataMerge::openFailureCause(const QString& location) {
    const QString cause =
        SalesStore::forLocation(location, SalesStore::Access::ReadOnly)->unreadableCause();
    return cause.isEmpty() ? QStringLiteral("The file could not be read.") : cause;
}

DataMerge::DropKind DataMerge::dropKind(const QString& file) {
    return file.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ? DropKind::LeadFile
                                                                     : DropKind::Database;
}

QString DataMerge::note(const Outcome& outcome, const QString& file) {
    const QString name = QFileInfo(file).fileName();
    if (outcome.status == Status::Cancelled)
        return QStringLiteral("Merge of %1 cancelled; nothing was added").arg(name);
    if (!outcome.ok())
        return QStringLiteral("Nothing was merged from %1").arg(name);
    if (outcome.added == 0)
        return QStringLiteral("%1 held no opportunities to merge").arg(name);
    const QString count = QLocale().toString(outcome.added);
    return outcome.added == 1 ? QStringLiteral("Merged 1 opportunity from %1").arg(name)
                              : QStringLiteral("Merged %1 opportunities from %2").arg(count, name);
}

namespace {
// How many items are stored between two reports of progress.
constexpr size_t ProgressEvery = 64;
} // namespace

DataMerge::Outcome DataMerge::mergeText(SalesDatabase& target, const QString& theFileName,
                                        const ProgressCallback& progress) {
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
    const qint64 size = QFileInfo(theFileName).size();
    size_t count = 0;
    const auto added = target.addAll(
        [&]() -> ResultValue<const Opportunity*> {
            // A cancel ends the source: the store rolls its transaction back.
            if (progress && ++count % ProgressEvery == 0 && !progress(reader.position(), size))
                return Result::cancelled();
            return reader.next();
        },
        [&reader](size_t) { return QStringLiteral("line %1").arg(reader.lineNumber()); });
    if (added.isCancelled()) {
        outcome.status = Status::Cancelled;
        return outcome;
    }
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

DataMerge::Outcome DataMerge::mergeDatabase(SalesDatabase& target, const QString& theLocation,
                                            const ProgressCallback& progress) {
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
    size_t next = 0;
    const auto total = static_cast<qint64>(items.size());
    const auto added = target.addAll(
        [&]() -> ResultValue<const Opportunity*> {
            if (progress && next % ProgressEvery == 0 && !progress(qint64(next), total))
                return Result::cancelled();
            return next < items.size() ? items[next++] : nullptr;
        },
        [&](size_t i) {
            return QStringLiteral("record %1 of %2").arg(items[i]->recordNumber()).arg(theLocation);
        });
    if (added.isCancelled()) {
        outcome.status = Status::Cancelled;
        return outcome;
    }
    if (!added) {
        outcome.message = failed + QStringLiteral("\n\n") + added.message();
        return outcome;
    }
    outcome.status = Status::Merged;
    outcome.added = static_cast<qint64>(items.size());
    outcome.keys = *added;
    return outcome;
}
