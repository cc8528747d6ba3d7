#pragma once

#include "pim/PimResult.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// iCalendar text of an appointment (VEVENT) or a task (VTODO), written with libical. Times are
// written in UTC; the summary (the item's title) is written on one line, line ends of the body
// become plain line feeds, other control characters are dropped, and an empty summary or body
// gives no SUMMARY or DESCRIPTION at all. Each item is kept in a file of its
// own named by its UID (the vdir layout that calendar sync programs read and write).
class CalendarItemFile {
public:
    // Durations and reminders in minutes: from 0 up to what a 32-bit count of seconds holds.
    static constexpr qint32 MaxMinutes = INT32_MAX / 60;

    struct Appointment {
        QDateTime start;
        qint32 durationMinutes = 0;
        QString summary;
        QString body;
        bool reminderSet = false;
        qint32 reminderMinutesBeforeStart = 0;
    };
    struct Task {
        QDateTime due; // invalid: no due date
        QString summary;
        QString body;
    };

    // Fails for a start outside the years 1 to 9999 or a duration or reminder outside 0 to
    // MaxMinutes.
    static PimValue<QByteArray> appointmentText(const Appointment& appointment, const QString& uid,
                                                const QDateTime& stamp);
    static PimValue<QByteArray> taskText(const Task& task, const QString& uid,
                                         const QDateTime& stamp);

    static PimResult checkMinutes(const QString& what, qint64 minutes);
    static PimResult checkTime(const QString& what, const QDateTime& when);
    // The text as iCalendar may carry it: line breaks as LF, without other control characters.
    static QString plainText(const QString& text);
    // The file name of an item: its UID and ".ics".
    static QString fileName(const QString& uid) { return uid + QStringLiteral(".ics"); }
};
