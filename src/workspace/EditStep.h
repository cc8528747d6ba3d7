#pragma once

#include "store/Opportunity.h"
#include "workspace/DatabaseStep.h"

// New field values written to one opportunity (the editor's OK, a quick-info change): undo
// writes the earlier values, redo the new ones.
class EditStep : public DatabaseStep {
public:
    EditStep(OpenDatabases& workspace, qint32 window, const QString& key, const Opportunity& before,
             const Opportunity& after, const QString& action);

    const QString& key() const { return m_key; }
    const Opportunity& after() const { return m_after; }

protected:
    Result undoIn(SalesDatabase& database) override;
    Result redoIn(SalesDatabase& database) override;

private:
    QString m_key;
    Opportunity m_before;
    Opportunity m_after;
};
