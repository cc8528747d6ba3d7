#include "workspace/EditStep.h"

EditStep::EditStep(OpenDatabases& workspace, qint32 window, const QString& key,
                   const Opportunity& before, const Opportunity& after, const QString& action)
    : DatabaseStep(workspace, window, action + QLatin1Char(' ') + nameOf(after)), m_key(key),
      m_before(before), m_after(after) {}

Result EditStep::undoIn(SalesDatabase& database) {
    return update(database, m_key, m_before);
}

Result EditStep::redoIn(SalesDatabase& database) {
    return update(database, m_key, m_after);
}
