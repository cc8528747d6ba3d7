#pragma once

#include "platform/Result.h"
#include "store/SalesDatabase.h"

#include <QStringList>
#include <QUndoCommand>
#include <vector>

class OpenDatabases;
class Opportunity;

// One change to the data of an open database, as its history keeps it. The change is written
// when it is made; the step is pushed afterwards, so its first redo() writes nothing. undo() and
// redo() write at once through the workspace. A write that fails (the file changed underneath)
// is refused: the workspace puts the history back where it was and reports the message, and the
// file stays as it is.
class DatabaseStep : public QUndoCommand {
public:
    // Every step merges only where a subclass says so (an editor finishing a new opportunity).
    static constexpr int MergeId = 1;

    DatabaseStep(OpenDatabases& workspace, qint32 window, const QString& text);

    void undo() final;
    void redo() final;
    int id() const override { return MergeId; }

    qint32 window() const { return m_window; }
    // How a step names an opportunity in its caption: 'Company - Description'.
    static QString nameOf(const Opportunity& opportunity);

protected:
    virtual Result undoIn(SalesDatabase& database) = 0;
    virtual Result redoIn(SalesDatabase& database) = 0;

    // The workspace's writes that record no step of their own.
    Result update(SalesDatabase& database, const QString& key, const Opportunity& edited);
    Result remove(SalesDatabase& database, const QString& key);
    ResultValue<QString> restore(SalesDatabase& database, const Opportunity& removed);
    Result removeAll(SalesDatabase& database, const QStringList& keys);
    Result restoreAll(SalesDatabase& database, const std::vector<Opportunity>& removed);
    Result changeAll(SalesDatabase& database, SalesDatabase::Changes changes);

    OpenDatabases& workspace() const { return m_workspace; }

private:
    enum class Direction { Undo, Redo };
    void run(Direction direction);

    OpenDatabases& m_workspace;
    qint32 m_window;
    // The next undo() or redo() writes nothing: the change is already in the file (the push
    // after the action, or a history put back after a refused step).
    bool m_passThrough = true;
};
