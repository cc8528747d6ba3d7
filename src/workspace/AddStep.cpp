#include "workspace/AddStep.h"

#include "workspace/EditStep.h"
#include "workspace/RemoveStep.h"

AddStep::AddStep(OpenDatabases& workspace, qint32 window, const QString& key,
                 const Opportunity& added, const QString& action)
    : DatabaseStep(workspace, window, action + QLatin1Char(' ') + nameOf(added)), m_key(key),
      m_action(action), m_added(added) {}

bool AddStep::mergeWith(const QUndoCommand* other) {
    if (!m_openForEditor)
        return false;
    if (const auto* edit = dynamic_cast<const EditStep*>(other);
        edit && edit->window() == window() && edit->key() == m_key) {
        // The record keeps its number and creation time; the fields are the editor's.
        m_added.copyFieldsFrom(edit->after());
        m_added.setDateCreated(edit->after().dateCreated());
        setText(m_action + QLatin1Char(' ') + nameOf(m_added));
        return true;
    }
    if (const auto* removal = dynamic_cast<const RemoveStep*>(other);
        removal && removal->window() == window() && removal->key() == m_key) {
        m_openForEditor = false;
        setObsolete(true);
        return true;
    }
    return false;
}

Result AddStep::undoIn(SalesDatabase& database) {
    return remove(database, m_key);
}

Result AddStep::redoIn(SalesDatabase& database) {
    return restore(database, m_added).result();
}
