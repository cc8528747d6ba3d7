#include "workspace/ImportStep.h"

#include "store/SalesDatabase.h"

ImportStep::ImportStep(OpenDatabases& workspace, qint32 window, const QStringList& added,
                       Values before, Values after, const QString& text)
    : DatabaseStep(workspace, window, text), m_added(added), m_before(std::move(before)),
      m_after(std::move(after)) {}

Result ImportStep::undoIn(SalesDatabase& database) {
    std::vector<Opportunity> removed;
    removed.reserve(static_cast<size_t>(m_added.size()));
    for (const QString& key : std::as_const(m_added)) {
        const Opportunity* item = database.opportunities().item(key);
        if (!item)
            return Result::failure(
                QStringLiteral("The opportunity %1 is no longer in %2.").arg(key, database.name()));
        removed.push_back(*item);
    }
    SalesDatabase::Changes changes;
    changes.removals = m_added;
    changes.updates = m_before;
    if (const Result written = changeAll(database, std::move(changes)); !written)
        return written;
    m_removed = std::move(removed);
    return {};
}

Result ImportStep::redoIn(SalesDatabase& database) {
    SalesDatabase::Changes changes;
    changes.restorations = m_removed;
    changes.updates = m_after;
    if (const Result written = changeAll(database, std::move(changes)); !written)
        return written;
    m_removed.clear();
    m_removed.shrink_to_fit();
    return {};
}
