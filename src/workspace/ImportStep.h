#pragma once

#include "store/Opportunity.h"
#include "workspace/DatabaseStep.h"

#include <utility>
#include <vector>

// One import of a file: the opportunities it added and the ones it updated, with their values
// before and after. Undo deletes the added and writes back the earlier values, redo puts the
// added back as they were and writes the imported values again, each in one transaction.
class ImportStep : public DatabaseStep {
public:
    using Values = std::vector<std::pair<QString, Opportunity>>; // by key

    ImportStep(OpenDatabases& workspace, qint32 window, const QStringList& added, Values before,
               Values after, const QString& text);

protected:
    Result undoIn(SalesDatabase& database) override;
    Result redoIn(SalesDatabase& database) override;

private:
    QStringList m_added;
    Values m_before;
    Values m_after;
    // The added records as they were when the import was undone, for its redo.
    std::vector<Opportunity> m_removed;
};
