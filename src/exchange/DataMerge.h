#pragma once

#include <QString>
#include <QStringList>

class SalesDatabase;

// The two merges into the shown database: a lead file (mergeText) and another sales database
// file (mergeDatabase). Each adds everything or nothing, in one transaction of the shown file,
// and then to its collection. The outcome carries the message the window shows, with its title
// and kind; the window rebuilds the list when something was merged.
class DataMerge {
public:
    enum class Status {
        Merged,  // opportunities were added (a lead file may also add none)
        Nothing, // the source database holds no opportunities: no message, no rebuild
        Failed   // nothing was added; show `message` with a critical icon
    };
    struct Outcome {
        Status status = Status::Failed;
        qint64 added = 0;
        QString message; // empty when nothing is to be shown
        QString title;
        QStringList keys; // the keys of the opportunities added
        bool ok() const { return status != Status::Failed; }
    };

    // What a file dropped on the list is merged as: by its last four characters, exactly
    // ".mdb" or ".txt" (other files, and those suffixes in other letter case, are ignored).
    // A drop elsewhere on the window merges its first file as a database whatever its name.
    enum class ListDrop { Ignore, Database, LeadFile };
    static ListDrop listDropKind(const QString& firstFile);

    static QString mergeTitle() { return QStringLiteral("Merge"); }
    static QString textFailureTitle() { return QStringLiteral("Merge Text File"); }
    static QString databaseFailureTitle() { return QStringLiteral("Merge Opportunities"); }

    // Adds the leads of the file `theFileName` to `target`, read and stored one at a time in
    // the one transaction; blank lines are no leads. Success: the message
    // "N new sales opportunities were merged." (title "Merge", information icon; "0" when the
    // file holds no leads). Failure: "Unable to process some or all of the file " + the name,
    // then the line and cause (title "Merge Text File", critical icon).
    static Outcome mergeText(SalesDatabase& target, const QString& theFileName);

    // Adds every opportunity of the database file at `theLocation` to `target`, in the source's
    // order, with new record numbers. Success shows no message; an empty source is Nothing.
    // Failure: "Unable to merge " + the location, then the cause, naming the record at fault
    // (title "Merge Opportunities", critical icon). A file merged into itself doubles.
    static Outcome mergeDatabase(SalesDatabase& target, const QString& theLocation);

    // Why the sales database file at `location` cannot be opened, in plain words ("The file
    // is in use by another program.").
    static QString openFailureCause(const QString& location);
};
