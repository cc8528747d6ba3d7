#pragma once

#include <QString>

class Opportunity;

// The labelled text block of one opportunity (the clipboard text of Copy and the body of the
// mail, appointment and task items): an empty line, then one line per non-empty field:
// an 11-character label, a TAB, the text as stored, CR LF.

// "" when `value` is empty, else `label`, TAB, `value`, CR LF.
QString labelLine(const QString& label, const QString& value);
// The block of `opportunity`.
QString opportunityText(const Opportunity& opportunity);
