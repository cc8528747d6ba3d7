#pragma once

#include "platform/Result.h"
#include "platform/UiServices.h"
#include "platform/WorkProgress.h"

#include <QString>
#include <QStringList>

class Opportunities;
class QIODevice;

// The export of a database's visible opportunities to delimited text: one header row, then one
// row per opportunity in the collection's order, 17 columns, each row ending in CR LF. The file
// name chooses the format through its format key (the three characters that begin four before
// the end of the name): ".cs"/".CS" comma-separated, ".tx"/".TX" TAB-separated, anything else
// comma plus space. In every format a value holding the separator character (comma or TAB), a
// double quote, CR or LF is written between double quotes with its inner double quotes
// doubled, and so is a value that begins or ends with a blank (space or TAB), so that every
// reader gets the rows back as they were; other values are written bare.
//
// Texts come from web forms through lead files: a text that a spreadsheet would run as a formula
// (one beginning with "=", "+", "-" or "@") is written with an apostrophe in front, which makes
// the spreadsheet show it as text. Amounts are written as they are. The export dialog's check
// box and the command-line tool's --raw write such texts unchanged.
class TextExport {
public:
    enum class Format { Comma, Tab, CommaSpace };
    enum class Formulas { Guarded, Raw };

    // The title of every message about an export.
    static QString title() { return QStringLiteral("Data Export"); }

    static QString formatKey(const QString& fileName);
    static Format formatOf(const QString& key);
    // `value`, quoted as its format needs, followed by the key's separator (columns 1 to 16).
    static QString exportSeparator(const QString& value, const QString& key);
    // `value`, quoted as its format needs, without separator (the last column).
    static QString exportQuote(const QString& value, const QString& key);
    // Whether a spreadsheet would take `text` for a formula: it begins with =, +, - or @.
    static bool looksLikeFormula(const QString& text);
    // `text` with an apostrophe in front when it looks like a formula, else as it is.
    static QString formulaSafe(const QString& text);
    // The 17 column headers, "Description" to "Owner".
    static const QStringList& headers();

    // The file dialog of the Export command: a save dialog that asks before overwriting, with
    // the filters "Text(.CSV)", "Text(Tab)" and "All files", the first one selected, and the
    // check box guardFormulasText() that shows and takes `*guardFormulas` (none when null).
    static UiServices::FileRequest fileRequest(bool* guardFormulas = nullptr);
    // The text of the dialog's check box that keeps texts from running as formulas.
    static QString guardFormulasText() {
        return QStringLiteral("&Guard formulas: ' before texts beginning with =, +, - or @");
    }
    // The suffix the dialog adds to a name typed without extension while `filter` (one of
    // FileRequest().filters) is chosen: "csv", "txt", or "" for all files. Never "mdb".
    static QString defaultSuffixFor(const QString& filter);

    // Writes the visible opportunities of `opportunities` to `path` and returns how many rows
    // were written. The file is written through a temporary file that replaces `path` only when
    // complete, so a failure leaves an existing file as it was. Refuses a target that is one of
    // `openDatabases`, any database file, or anything but a regular file (a named pipe, a
    // device, a folder), which the temporary file would replace. The message of a failure names the
    // file and cause. Texts that look like formulas are guarded unless `formulas` is Raw.
    // `progress` hears of the rows written; when it returns false the temporary file is
    // removed, `path` stays as it was (or is not made) and the result is cancelled.
    static ResultValue<qint64> write(const Opportunities& opportunities, const QString& path,
                                     const QStringList& openDatabases,
                                     Formulas formulas = Formulas::Guarded,
                                     const ProgressCallback& progress = {});
    // The same rows in `format` to `device`, open for writing (standard output, for one); the
    // message of a failure is the device's cause.
    static ResultValue<qint64> write(const Opportunities& opportunities, QIODevice& device,
                                     Format format, Formulas formulas = Formulas::Guarded,
                                     const ProgressCallback& progress = {});

    // "N opportunities exported to " + the file name: the message after a successful export.
    static QString doneMessage(qint64 count, const QString& fileName);
};
