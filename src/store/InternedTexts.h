#pragma once

#include <QString>
#include <QtGlobal>

// Texts that come from short lists (stage, probability, source, owner, month, day...) are held
// once for the whole process and named by a 32-bit number, so that an opportunity keeps four
// bytes for such a field instead of a string of its own. Number 0 is the empty text. A text,
// once held, stays for the life of the process (the lists are short, and a file's own values
// are held once however often it is opened). Safe to use from several threads.
class InternedTexts {
public:
    // The number of `text`, which is held from now on when it was not yet.
    static quint32 idOf(const QString& text);
    // The text of a number that idOf() gave; the reference stays valid for the process.
    static const QString& text(quint32 id);

private:
    // The number of a non-empty text, looked up (or added) under the table's lock.
    static quint32 find(const QString& text);
};
