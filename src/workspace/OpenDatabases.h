#pragma once

#include "exchange/DataMerge.h"
#include "exchange/ImportPlan.h"
#include "platform/Result.h"
#include "platform/WorkProgress.h"
#include "store/SalesDatabase.h"

#include "store/SalesServerStore.h"
#include "store/SalesStore.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class AddStep;
class DatabaseStep;
class QUndoGroup;
class QUndoStack;
class Filters;
class Opportunity;

// The databases open in this run, in opening order, and the one shown in the list. Each has a
// Window index (its entry in the Window menu, the lowest index free when it opens). The object
// opens, creates, closes and shows databases, sums their totals and runs the single-record
// writes of the shown one, putting an opportunity back as it was when its write fails. It never
// asks the user anything: the window chooses files and shows messages; this object reports what
// changed through its signals.
//
// Every change to the data is a step in the history of its database (a QUndoStack per open
// database, in a QUndoGroup whose active stack is the shown database's). Undo and redo write at
// once; a step that cannot be written is refused (stepRefused) and the history stays where it
// was. The history ends when its database closes and is kept by Save As.
class OpenDatabases : public QObject {
    Q_OBJECT
public:
    // Counts and sums over the opportunities of one or more databases: all of them, the ones
    // that pass the filter, their revenue and the revenue of the whole collection.
    struct Totals {
        qint32 count = 0;
        qint32 visibleCount = 0;
        double forecastRevenue = 0.0;
        double totalRevenue = 0.0;
    };

    // Every database opened is filtered by `filters`, which outlive this object.
    explicit OpenDatabases(const Filters& filters, QObject* parent = nullptr);
    ~OpenDatabases() override;

    // The canonical absolute form of a location, so that one file is always named alike
    // (relative paths, "." and "..", symbolic links); a team database's URI stays as it is.
    static QString canonicalLocation(const QString& location);

    int count() const { return static_cast<int>(m_databases.size()); }
    bool isEmpty() const { return m_databases.empty(); }
    // The database at a position in opening order (0-based).
    SalesDatabase& at(int position) const { return *m_databases.at(static_cast<size_t>(position)); }
    // The shown database; nullptr while none is open.
    SalesDatabase* shown() const { return m_shown; }

    // What a view of the shown database does as it changes. Changes of other databases are
    // not handed on; a handler left empty is not connected.
    struct ShownFollower {
        // Another database is shown (nullptr: none is open).
        std::function<void(const SalesDatabase*)> shownChanged;
        // The filter pass ran, or the shown database was read anew: which opportunities are
        // there, or visible, may have changed.
        std::function<void(const SalesDatabase&)> readAnew;
        std::function<void(const Opportunity& added)> added;
        std::function<void(const QString& key, const Opportunity& changed)> changed;
        std::function<void(const QString& key)> aboutToBeRemoved;
        std::function<void(const QStringList& keys)> manyAboutToBeRemoved;
    };
    // Connects `follower` for as long as `context` lives (or until this disconnects it).
    void followShown(QObject* context, const ShownFollower& follower);
    SalesDatabase* byWindow(qint32 window) const;
    // The open database of a file, compared as canonical locations; nullptr when none.
    SalesDatabase* byLocation(const QString& location) const;
    bool isOpen(const QString& location) const { return byLocation(location) != nullptr; }
    // Whether a file opens as a sales database (without keeping it open).
    static bool isDatabaseFile(const QString& location);

    // Opens the database file at `location`, runs the filter pass over it and shows it. Fails
    // with the open's message ("Could not open " and the location), or when the file is open
    // already (alreadyOpen() tells). A team database connects with `password` when
    // ~/.pgpass, a service file and the URI give none, keeps it in memory only, and tells in
    // `login` whether the server asked for a password or refused the one given.
    ResultValue<SalesDatabase*> open(const QString& location, const QString& password = QString(),
                                     SalesServerStore::Login* login = nullptr);
    // Creates a new, empty database file at `location` and shows it. With `replace`, an existing
    // file there is replaced, but only by a complete new database: should that fail ("Could not
    // replace " and the location), the old file is left as it was. The file must not be open.
    ResultValue<SalesDatabase*> create(const QString& location, bool replace);
    // Opens the file at `location` in place of the shown database (after Save As): the same
    // Window index and position, the filter pass run over it, shown.
    ResultValue<SalesDatabase*> replaceShown(const QString& location);
    // Closes the shown database and shows the earliest opened of the rest.
    void closeShown();
    // Shows the database with this Window index (0 or an unknown index: none).
    void show(qint32 window);

    // The filter pass over every open database (the stored criteria changed).
    void filterAll(const Filters& filters);

    Totals shownTotals() const;
    Totals allTotals() const;

    // The locations of every open database, in opening order.
    QStringList locations() const;

    // Save As: a consistent copy of the shown database at `target`, opened in its place.
    // `progress` hears of the pages copied; when it returns false nothing is written (an
    // existing file at `target` stays as it was) and the result is cancelled.
    ResultValue<SalesDatabase*> saveShownAs(const QString& target,
                                            const ProgressCallback& progress = {});

    // The single-record writes of the shown database. Each is written to the file first; the
    // collection and the listeners follow only when it was written, and then it is a step of
    // the history whose caption is `action` and the opportunity's name.
    // Writes `edited`'s fields to the opportunity under `key`.
    Result update(const QString& key, const Opportunity& edited,
                  const QString& action = QStringLiteral("Edit"));
    // Adds a copy of `opportunity` (numbered anew) and returns its key.
    ResultValue<QString> add(const Opportunity& opportunity,
                             const QString& action = QStringLiteral("Add"));
    // Adds a new opportunity for the editor: until finishNew(), the editor's update of it joins
    // this step and its removal takes the step away, so that New is one step.
    ResultValue<QString> addNew(const Opportunity& opportunity);
    void finishNew();
    // Removes the opportunity under `key`.
    Result remove(const QString& key);
    // Puts back an opportunity that was removed, with its record number, creation time and
    // every field; returns its key.
    ResultValue<QString> restore(const Opportunity& removed);

    // Merges a lead file, or another sales database file, into the shown database: all or
    // nothing, in one transaction of its file, and one step.
    DataMerge::Outcome mergeLeadFile(const QString& path, const ProgressCallback& progress = {});
    DataMerge::Outcome mergeDatabase(const QString& location,
                                     const ProgressCallback& progress = {});

    // Imports a planned file into the shown database: its updates and additions in one
    // transaction, all or nothing, and one step of the history named after `source` (the file
    // name). A failure names the row (its line) and changes nothing; `progress` may cancel,
    // which writes nothing. The keys of the added opportunities.
    ResultValue<QStringList> import(ImportPlan plan, const QString& source,
                                    const ProgressCallback& progress = {});

    // The histories of the open databases; the active stack is the shown database's.
    QUndoGroup& history() const { return *m_history; }
    // The history of an open database; nullptr for another.
    QUndoStack* historyOf(const SalesDatabase* database) const;
    // Undoes or redoes the latest step of the shown database (nothing without one); false when
    // the step was refused.
    bool undo();
    bool redo();

signals:
    void databaseOpened(SalesDatabase* database);
    // The database with this Window index has been closed (it no longer exists).
    void databaseClosed(qint32 window);
    // Another database (or none) is shown.
    void shownChanged(SalesDatabase* database);
    // The opportunities of every database have a new visibility.
    void visibilityChanged();
    void opportunityAdded(SalesDatabase* database, const QString& key);
    void opportunityChanged(SalesDatabase* database, const QString& key);
    // Sent before the opportunity leaves the collection, while it can still be read.
    void opportunityAboutToBeRemoved(SalesDatabase* database, const QString& key);
    void opportunityRemoved(SalesDatabase* database, const QString& key);
    // Sent before many opportunities leave the collection at once (an undone merge or import),
    // while they can still be read; opportunitiesReset follows.
    void opportunitiesAboutToBeRemoved(SalesDatabase* database, const QStringList& keys);
    // The collection changed as a whole (many opportunities added at once): whoever shows it
    // reads it anew.
    void opportunitiesReset(SalesDatabase* database);
    // A team database lost its connection to the server: it refuses every write until the
    // connection is back.
    void connectionLost(SalesDatabase* database);
    // Its connection is back, and its opportunities were read anew (opportunitiesReset came
    // first).
    void connectionRestored(SalesDatabase* database);
    // Counts or sums of the shown database or of all of them changed.
    void totalsChanged();
    // An undo or redo could not be written: `message` names the step, the record and the
    // cause. The file and the history are as they were before it.
    void stepRefused(const QString& message);

private:
    // The opportunity under `key` in the shown database, or why there is none.
    ResultValue<const Opportunity*> shownItem(const QString& key) const;
    friend class DatabaseStep;

    // The writes without a step, to any open database, with their signals.
    Result writeUpdate(SalesDatabase& database, const QString& key, const Opportunity& edited);
    Result writeRemove(SalesDatabase& database, const QString& key);
    ResultValue<QString> writeRestore(SalesDatabase& database, const Opportunity& removed);
    Result writeRemoveAll(SalesDatabase& database, const QStringList& keys);
    Result writeRestoreAll(SalesDatabase& database, const std::vector<Opportunity>& removed);
    // Many changes in one transaction; the list follows row by row when they are few.
    ResultValue<QStringList> writeChanges(SalesDatabase& database, SalesDatabase::Changes changes,
                                          const SalesStore::Describe& describe,
                                          const ProgressCallback& progress = {});
    // Records a step of the shown database's history (its change is written already).
    void record(DatabaseStep* step);
    QUndoStack* addHistory(qint32 window);
    // After an undo or redo: a refused step puts the history back where it was.
    void settleHistory(QUndoStack* stack);
    qint32 lowestFreeWindow() const;
    SalesDatabase* addAndShow(std::unique_ptr<SalesDatabase> database);
    // Brings the collection of `database` up to the changes that its store heard of (another
    // client's writes to a team database), record by record, with the signals of each.
    void follow(SalesDatabase& database, const std::vector<SalesStore::Change>& changes);
    // Whether `opportunity` passes the filter.
    bool passesFilter(const Opportunity& opportunity) const;
    // Reads the file at a canonical location and runs the filter pass over it.
    ResultValue<std::unique_ptr<SalesDatabase>> readFile(const QString& canonical) const;
    static DataMerge::Outcome noDatabaseOutcome(const QString& title);
    // Tells the listeners of an opportunity added to the shown database.
    ResultValue<QString> announceAdded(SalesDatabase& database, ResultValue<QString> added);
    DataMerge::Outcome merged(DataMerge::Outcome outcome, const QString& text);

    const Filters& m_filters;
    std::vector<std::unique_ptr<SalesDatabase>> m_databases;
    SalesDatabase* m_shown = nullptr;
    QUndoGroup* m_history = nullptr;
    std::map<qint32, QUndoStack*> m_histories; // by Window index
    AddStep* m_openNew = nullptr;
    // The step that could not be written during the undo or redo under way.
    struct Refusal {
        const DatabaseStep* step = nullptr;
        bool undone = false; // refused while undoing
        QString message;
    } m_refusal;
    bool m_settling = false;
};
