#pragma once

#include "exchange/ImportMapping.h"
#include "platform/Result.h"
#include "platform/WorkProgress.h"
#include "store/Opportunity.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

class DelimitedFile;
class Opportunities;

// What an import of a delimited file will do to a database, worked out before anything is
// written: the opportunities to add (in row order), the ones to update with their new values,
// the rows left out and why (by line number), and the rows that match an opportunity of the
// database or an earlier row (same company and description, without case and surrounding
// blanks), which are skipped, update the match or are added anyway, as the user chose.
class ImportPlan {
public:
    enum class Duplicates { Skip, Update, Add };
    struct Problem {
        qint64 line = 0;
        QString message;
        bool rejected = true; // the row is left out; else it is imported as said
    };
    struct Addition {
        Opportunity fields;
        qint64 line = 0;
    };
    struct Update {
        QString key; // of the opportunity in the database
        Opportunity fields;
        qint64 line = 0;
    };
    struct Duplicate {
        qint64 line = 0;
        QString name;    // 'Company - Description'
        bool inDatabase; // matches an opportunity of the database, else an earlier row
    };

    // At most this many opportunities in a database (16-bit counters).
    static constexpr int MaxOpportunities = 32767;
    // Problems and duplicates listed one by one; the counts go on beyond them.
    static constexpr int MaxListed = 1000;

    // Reads every record of `file` from its first one and plans the import into a database
    // holding `existing`. Fails, before anything is written, when the database would pass
    // MaxOpportunities; cancelled when `progress` says so. The first `previewRows` rows are kept
    // as they would be stored.
    static ResultValue<ImportPlan> build(DelimitedFile& file, const ImportMapping& mapping,
                                         Duplicates duplicates, const Opportunities& existing,
                                         const ProgressCallback& progress = {},
                                         int previewRows = 0);

    // Date texts of an imported file: ISO 8601, the user's short date, US month/day/year.
    static QDate parseDate(const QString& text);
    // Whether a text is an amount: in the user's locale, or digits with a point or comma, with
    // a currency symbol or code around them.
    static bool isAmount(const QString& text);
    // The duplicate key of an opportunity: company and description without case and blanks
    // around them.
    static QString matchKey(const Opportunity& opportunity);
    // "Import added N, updated N and skipped N opportunities." and so on.
    QString summary() const;

    std::vector<Addition> additions;
    std::vector<Update> updates;
    std::vector<Problem> problems;
    std::vector<Duplicate> duplicateRows;
    std::vector<Addition> preview;
    qint64 rows = 0;       // records read (the header not counted)
    qint64 rejected = 0;   // rows left out as they cannot be stored
    qint64 warnings = 0;   // rows imported with a remark
    qint64 duplicates = 0; // rows that matched
    qint64 skipped = 0;    // duplicates left out
};
