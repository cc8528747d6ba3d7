#pragma once

#include "store/Opportunity.h"
#include "workspace/DatabaseStep.h"

// An opportunity added (New, Paste): undo deletes its record, redo puts it back with its record
// number, creation time and every field. While the editor of a new opportunity is open, its OK
// joins this step and its Cancel takes the step away.
class AddStep : public DatabaseStep {
public:
    AddStep(OpenDatabases& workspace, qint32 window, const QString& key, const Opportunity& added,
            const QString& action);

    void setOpenForEditor(bool open) { m_openForEditor = open; }
    bool mergeWith(const QUndoCommand* other) override;

protected:
    Result undoIn(SalesDatabase& database) override;
    Result redoIn(SalesDatabase& database) override;

private:
    QString m_key;
    QString m_action;
    Opportunity m_added;
    bool m_openForEditor = false;
};
