#include "workspace/RemoveStep.h"

RemoveStep::RemoveStep(OpenDatabases& workspace, qint32 window, const QString& key,
                       const Opportunity& removed)
    : DatabaseStep(workspace, window, QStringLiteral("Delete ") + nameOf(removed)), m_key(key),
      m_removed(removed) {}

Result RemoveStep::undoIn(SalesDatabase& database) {
    return restore(database, m_removed).result();
}

Result RemoveStep::redoIn(SalesDatabase& database) {
    return remove(database, m_key);
}
