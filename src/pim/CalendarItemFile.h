#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// iCalendar text of an appointment (VEVENT) or a task (VTODO), written with libical. Times are
// written in UTC; line ends of the body become plain line feeds.
class CalendarItemFile {
public:
    struct Appointment {
        QDateTime start;
        qint32 durationMinutes = 0;
        QString body;
        bool reminderSet = false;
        qint32 reminderMinutesBeforeStart = 0;
    };
    struct Task {
        QDateTime due; // invalid: no due date
        QString body;
    };

    static QByteArray appointmentText(const Appointment& appointment, const QString& uid,
                                      const QDateTime& stamp);
    static QByteArray taskText(const Task& task, const QString& uid, const QDateTime& stamp);
};
