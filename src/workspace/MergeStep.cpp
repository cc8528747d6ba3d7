#include "workspace/MergeStep.h"

#include "store/SalesDatabase.h"

MergeStep::MergeStep(OpenDatabases& workspace, qint32 window, const QStringList& keys,
                     const QString& text)
    : DatabaseStep(workspace, window, text), m_keys(keys) {}

Result MergeStep::undoIn(SalesDatabase& database) {
    std::vector<Opportunity> removed;
    removed.reserve(static_cast<size_t>(m_keys.size()));
    for (const QString& key : m_keys) {
        const Opportunity* item = database.opportunities().item(key);
        if (!item)
            return Result::failure(
                QStringLiteral("The opportunity %1 is no longer in %2.").arg(key, database.name()));
        removed.push_back(*item);
    }
    if (const Result written = removeAll(database, m_keys); !written)
        return written;
    m_removed = std::move(removed);
    return {};
}

Result MergeStep::redoIn(SalesDatabase& database) {
    if (const Result written = restoreAll(database, m_removed); !written)
        return written;
    m_removed.clear();
    m_removed.shrink_to_fit();
    return {};
}
