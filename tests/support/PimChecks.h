#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <libical/ical.h>
#include <memory>

// Independent readers and raw-byte checks for the files of the mail and calendar adapter.
namespace PimChecks {

// The program that runs Python for the mail checks; empty when there is none.
QString python();
// The .eml file read by Python's email package: "to", "cc", "bcc" (lists of [name, address] or
// null), "bccHeaders", "subject", "unsent", "multipart", "defects", "body", "charset",
// "attachments" ([{filename, encoding}]) and "data" (base64 of each attachment). An "error"
// entry tells why the file could not be read.
QJsonObject readMail(const QString& path);

// Faults in the raw bytes of a mail: lines not ended by CR LF, header lines over `headerLimit`
// octets, body lines over 76 octets, blanks or TABs left at the end of a line. Empty when none.
QString mailFaults(const QByteArray& raw, int headerLimit = 78);
// Faults in the raw bytes of an iCalendar file: lines not ended by CR LF, lines over 75
// octets, blanks or TABs at the end of a line. Empty when none.
QString calendarFaults(const QByteArray& raw);

// An iCalendar text parsed by libical.
struct Calendar {
    explicit Calendar(const QByteArray& text);
    icalcomponent* first(icalcomponent_kind kind) const;
    std::unique_ptr<icalcomponent, decltype(&icalcomponent_free)> root;
};
QDateTime toDateTime(icaltimetype time);
// The DESCRIPTION of an item, as UTF-8 bytes; a null array when it has none.
QByteArray description(icalcomponent* item);

} // namespace PimChecks
