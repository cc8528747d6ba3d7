#include "workspace/DatabaseStep.h"

#include "store/Opportunity.h"
#include "store/SalesDatabase.h"
#include "workspace/OpenDatabases.h"

DatabaseStep::DatabaseStep(OpenDatabases& workspace, qint32 window, const QString& text)
    : QUndoCommand(text), m_workspace(workspace), m_window(window) {}

QString DatabaseStep::nameOf(const Opportunity& opportunity) {
    const QString company = opportunity.company().trimmed();
    const QString description = opportunity.description().trimmed();
    const QString name = company.isEmpty() || description.isEmpty()
                             ? company + description
                             : company + QStringLiteral(" - ") + description;
    return QLatin1Char('\'') + name + QLatin1Char('\'');
}

void DatabaseStep::undo() {
    run(Direction::Undo);
}

void DatabaseStep::redo() {
    run(Direction::Redo);
}

void DatabaseStep::run(Direction direction) {
    if (m_passThrough) {
        m_passThrough = false;
        return;
    }
    // A step refused earlier in the same jump stops the rest of it.
    if (m_workspace.m_refusal.step) {
        m_passThrough = true;
        return;
    }
    SalesDatabase* database = m_workspace.byWindow(m_window);
    const Result written = !database
                               ? Result::failure(QStringLiteral("The database is no longer open."))
                           : direction == Direction::Undo ? undoIn(*database)
                                                          : redoIn(*database);
    if (written)
        return;
    m_passThrough = true;
    m_workspace.m_refusal.step = this;
    m_workspace.m_refusal.undone = direction == Direction::Undo;
    m_workspace.m_refusal.message =
        (direction == Direction::Undo ? QStringLiteral("Could not undo ")
                                      : QStringLiteral("Could not redo ")) +
        text() + QStringLiteral(".\n\n") + written.message();
}

Result DatabaseStep::update(SalesDatabase& database, const QString& key,
                            const Opportunity& edited) {
    return m_workspace.writeUpdate(database, key, edited);
}

Result DatabaseStep::remove(SalesDatabase& database, const QString& key) {
    return m_workspace.writeRemove(database, key);
}

ResultValue<QString> DatabaseStep::restore(SalesDatabase& database, const Opportunity& removed) {
    return m_workspace.writeRestore(database, removed);
}

Result DatabaseStep::removeAll(SalesDatabase& database, const QStringList& keys) {
    return m_workspace.writeRemoveAll(database, keys);
}

Result DatabaseStep::restoreAll(SalesDatabase& database, const std::vector<Opportunity>& removed) {
    return m_workspace.writeRestoreAll(database, removed);
}

Result DatabaseStep::changeAll(SalesDatabase& database, SalesDatabase::Changes changes) {
    return m_workspace.writeChanges(database, std::move(changes), {}).result();
}
