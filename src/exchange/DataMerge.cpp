#include "exchange/DataMerge.h"

#include "exchange/DatabaseReader.h"
#include "exchange/LeadFile.h"
#include "exchange/OpportunityBatch.h"
#include "store/SalesDatabase.h"
#include "store/SalesFile.h"

#include <QFileInfo>
#include <vector>

QString DataMerge::openFailureCause(const QString& location) {
    const QFileInfo info(location);
    if (!info.exists())
        return QStringLiteral("The file does not exist.");
    if (!info.isFile())
        return QStringLiteral("It is not a file.");
    SalesFile file(location, SalesFile::Mode::Existing);
    if (file.isOpen() && file.hasSalesTable())
        return QStringLiteral("The file could not be read.");
    QString cause = file.error();
    if (!cause.isEmpty())
        cause[0] = cause.at(0).toUpper();
    return cause + QLatin1Char('.');
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

    auto leads = LeadFile::read(theFileName);
    if (!leads) {
        outcome.message = failed + leads.message();
        return outcome;
    }
    std::vector<const Opportunity*> items;
    items.reserve(leads->size());
    for (const Opportunity& lead : *leads)
        items.push_back(&lead);
    // Leads begin on the third line of the file.
    const Result added = OpportunityBatch::addAll(
        target, items, [](size_t i) { return QStringLiteral("line %1").arg(i + 3); });
    if (!added) {
        outcome.message = failed + added.message();
        return outcome;
    }
    outcome.status = Status::Merged;
    outcome.added = static_cast<qint64>(items.size());
    outcome.title = mergeTitle();
    outcome.message =
        QString::number(outcome.added) + QStringLiteral(" new sales opportunities were merged.");
    return outcome;
}

DataMerge::Outcome DataMerge::mergeDatabase(SalesDatabase& target, const QString& theLocation) {
    Outcome outcome;
    outcome.title = databaseFailureTitle();
    const QString failed = QStringLiteral("Unable to merge ") + theLocation;

    auto read = DatabaseReader::read(theLocation);
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
    const Result added = OpportunityBatch::addAll(target, items, [&](size_t i) {
        return QStringLiteral("record %1 of %2").arg(items[i]->recordNumber()).arg(theLocation);
    });
    if (!added) {
        outcome.message = failed + QStringLiteral("\n\n") + added.message();
        return outcome;
    }
    outcome.status = Status::Merged;
    outcome.added = static_cast<qint64>(items.size());
    return outcome;
}
