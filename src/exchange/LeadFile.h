#pragma once

#include "store/Opportunity.h"

#include <QString>

// A lead file of the web lead service: plain text, one lead per line from the third line on,
// up to 13 TAB-separated columns. Each lead becomes a new opportunity of source "Vantick" at
// stage "Lead" with probability "25% - Long Shot". Files come in UTF-8 (with or without a
// byte-order mark), UTF-16 with a byte-order mark, or else Windows-1252; lines end in CR LF,
// LF or CR. LeadReader reads the leads of a file.
class LeadFile {
public:
    // A lead file larger than this is refused.
    static constexpr qint64 MaxBytes = qint64(256) * 1024 * 1024;
    static constexpr int Columns = 13;

    // One cleaned column and the 1-based position at which it ended (the TAB after it, or one
    // after the last character); the next column starts one position after that.
    struct Field {
        QString text;
        qsizetype end = 0;
    };
    // The cleaned column that begins at the 1-based position `start` of `line`.
    static Field nextTabField(const QString& line, qsizetype start);
    // Leading and trailing blanks removed, then one leading and one trailing double quote, then
    // the blanks once more.
    static QString clean(const QString& column);
    // The first `count` characters of `text` (characters, not UTF-16 units).
    static QString leftChars(const QString& text, qsizetype count);

    // Sets the lead's fields of `opportunity` from one line; its other fields stay.
    static void fillLead(Opportunity& opportunity, const QString& line);
};
