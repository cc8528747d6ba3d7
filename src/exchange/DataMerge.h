#pragma once

#include <QString>
#include <QStringList>

#include "platform/WorkProgress.h"

class SalesDatabase;

// The two merges into the shown database: a lead file (mergeText) and another sales database
// file (mergeDatabase). Each adds everything or nothing, in one transaction of the shown file,
// and then to its collection. The outcome carries the message the window shows, with its title
// and kind; the window rebuilds the list when something was merged.
class DataMerge {
public:
    enum class Status {
        Merged,   // opportunities were added (a lead file may also add none)
        Nothing,  // the source database holds no opportunities: no message, no rebuild
        Failed,   // nothing was added; show `message` with a critical icon
        Cancelled // the user stopped it: nothing was added, nothing is to be shown
    };
    struct Outcome {
        Status status = Status::Failed;
        qint64 added = 0;
        QString message; // empty when nothing is to be shown
        QString title;
        QStringList keys; // the keys of the opportunities added
        bool ok() const { return status == Status::Merged || status == Status::Nothing; }
    };

    // What a dropped file is merged as, wherever on the window it lands: by its extension,
    // compared without letter case, ".txt" as a lead file and anything else as a database file
    // (whose reading then says when it is none).
    enum class DropKind { Database, LeadFile };
    static DropKind dropKind(const QString& file);

    // The short status-bar note that ends a merge of `file`: what was added, or that nothing
    // was.
    static QString note(const Outcome& outcome, const QString& file);

    static QString mergeTitle() { return QStringLiteral("Merge"); }
    static QString textFailureTitle() { return QStringLiteral("Merge Text File"); }
    static QString databaseFailureTitle() { return QStringLiteral("Merge Opportunities"); }

    // Adds the leads of the file `theFileName` to `target`, read and stored one at a time in
    // the one transaction; blank lines are no leads. Success: the message
    // "N new sales opportunities were merged." (title "Merge", information icon; "0" when the
    // file holds no leads). Failure: "Unable to process some or all of the file " + the name,
    // then the line and cause (title "Merge Text File", critical icon).
    // `progress` hears of every lead stored (the total is the file's size in bytes, the steps
    // how far it was read); when it returns false the merge stops and nothing is added.
    static Outcome mergeText(SalesDatabase& target, const QString& theFileName,
                             const ProgressCallback& progress = {});

    // Adds every opportunity of the database file at `theLocation` to `target`, in the source's
    // order, with new record numbers. Success shows no message; an empty source is Nothing.
    // Failure: "Unable to merge " + the location, then the cause, naming the record at fault
    // (title "Merge Opportunities", critical icon). A file merged into itself doubles.
    // `progress` hears of every opportunity stored; when it returns false the merge stops and
    // nothing is added.
    static Outcome mergeDatabase(SalesDatabase& target, const QString& theLocation,
                                 const ProgressCallback& progress = {});

    // Why the sales database file at `location` cannot be opened, in plain words ("The file
    // is in use by another program.").
    static QString openFailureCause(const QString& location);
};
