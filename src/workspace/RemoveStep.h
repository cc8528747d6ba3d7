#pragma once

#include "store/Opportunity.h"
#include "workspace/DatabaseStep.h"

// An opportunity deleted: undo puts it back with its record number, creation time and every
// field; redo deletes it again.
class RemoveStep : public DatabaseStep {
public:
    RemoveStep(OpenDatabases& workspace, qint32 window, const QString& key,
               const Opportunity& removed);

    const QString& key() const { return m_key; }

protected:
    Result undoIn(SalesDatabase& database) override;
    Result redoIn(SalesDatabase& database) override;

private:
    QString m_key;
    Opportunity m_removed;
};
