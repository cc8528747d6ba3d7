#pragma once

#include "store/Opportunity.h"
#include "workspace/DatabaseStep.h"

#include <vector>

// The opportunities that one merge (a database, a lead file, a drop) added: undo deletes exactly
// those records in one transaction, redo puts them all back as they were in one transaction.
class MergeStep : public DatabaseStep {
public:
    MergeStep(OpenDatabases& workspace, qint32 window, const QStringList& keys,
              const QString& text);

protected:
    Result undoIn(SalesDatabase& database) override;
    Result redoIn(SalesDatabase& database) override;

private:
    QStringList m_keys;
    // The records as they were when the merge was undone, for its redo.
    std::vector<Opportunity> m_removed;
};
