#include "pim/CalendarItemFile.h"

#include "platform/TextForm.h"

#include <libical/ical.h>

namespace {

// A date-time property in UTC, "YYYYMMDDTHHMMSSZ". libical's own writer gives up on years
// after 3000 (it writes zeros, which no reader accepts) although it reads them; the value is
// therefore made from its text, which libical keeps as it is.
icalproperty* utcTimeProperty(icalproperty_kind kind, const QDateTime& when) {
    const QDateTime utc = when.toUTC();
    const QByteArray text = QStringLiteral("%1%2%3T%4%5%6Z")
                                .arg(utc.date().year(), 4, 10, QLatin1Char('0'))
                                .arg(utc.date().month(), 2, 10, QLatin1Char('0'))
                                .arg(utc.date().day(), 2, 10, QLatin1Char('0'))
                                .arg(utc.time().hour(), 2, 10, QLatin1Char('0'))
                                .arg(utc.time().minute(), 2, 10, QLatin1Char('0'))
                                .arg(utc.time().second(), 2, 10, QLatin1Char('0'))
                                .toLatin1();
    icalproperty* property = icalproperty_new(kind);
    icalproperty_set_value(property,
                           icalvalue_new_from_string(ICAL_DATETIME_VALUE, text.constData()));
    return property;
}

icalcomponent* newCalendar() {
    icalcomponent* calendar = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(
        calendar, icalproperty_new_prodid("-//Corvane//Corvane " CORVANE_VERSION "//EN"));
    return calendar;
}

void addIdentity(icalcomponent* item, const QString& uid, const QDateTime& stamp) {
    icalcomponent_add_property(
        item, icalproperty_new_uid(CalendarItemFile::plainText(uid).toUtf8().constData()));
    icalcomponent_add_property(item, utcTimeProperty(ICAL_DTSTAMP_PROPERTY, stamp));
}

// libical refuses an empty DESCRIPTION when the file is read again: no text, no property.
// Readers drop blanks at the end of a line, so the text ends with its last visible character.
void addDescription(icalcomponent* item, const QString& body) {
    QByteArray text = CalendarItemFile::plainText(body).toUtf8();
    while (text.endsWith(' ') || text.endsWith('\t'))
        text.chop(1);
    if (!text.isEmpty())
        icalcomponent_add_property(item, icalproperty_new_description(text.constData()));
}

// The title of an item on one line: line breaks and TABs become blanks.
void addSummary(icalcomponent* item, const QString& summary) {
    QString line = CalendarItemFile::plainText(summary);
    for (QChar& c : line)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    const QByteArray text = line.trimmed().toUtf8();
    if (!text.isEmpty())
        icalcomponent_add_property(item, icalproperty_new_summary(text.constData()));
}

// Folds a content line at 75 octets, never inside a UTF-8 sequence and never right after a
// blank (a blank at the end of a line is lost to many readers).
void appendFolded(QByteArray& out, QByteArrayView line) {
    qsizetype start = 0;
    while (line.size() - start > (start == 0 ? 75 : 74)) {
        const qsizetype limit = start == 0 ? 75 : 74;
        qsizetype cut = start + limit;
        while (cut > start + 1 &&
               ((uchar(line[cut]) & 0xC0) == 0x80 || line[cut - 1] == ' ' || line[cut - 1] == '\t'))
            --cut;
        if (cut <= start + 1)
            cut = start + limit; // a line of blanks only: nothing better to do
        if (start > 0)
            out.append(' ');
        out.append(line.sliced(start, cut - start));
        out.append("\r\n");
        start = cut;
    }
    if (start > 0)
        out.append(' ');
    out.append(line.sliced(start));
    out.append("\r\n");
}

QByteArray finish(icalcomponent* calendar) {
    char* text = icalcomponent_as_ical_string_r(calendar);
    QByteArray written(text ? text : "");
    icalmemory_free_buffer(text);
    icalcomponent_free(calendar);
    // libical folds after blanks; fold again as readers need it.
    written.replace("\r\n ", "").replace("\r\n\t", "");
    QByteArray out;
    out.reserve(written.size() + written.size() / 37);
    for (const QByteArray& line : written.split('\n')) {
        const QByteArrayView content = QByteArrayView(line).chopped(line.endsWith('\r') ? 1 : 0);
        if (!content.isEmpty())
            appendFolded(out, content);
    }
    return out;
}

} // namespace

PimResult CalendarItemFile::checkMinutes(const QString& what, qint64 minutes) {
    if (minutes < 0 || minutes > MaxMinutes)
        return PimResult::failure(QStringLiteral("The %1 of %2 minutes is out of range (0 to %3).")
                                      .arg(what)
                                      .arg(minutes)
                                      .arg(MaxMinutes));
    return {};
}

PimResult CalendarItemFile::checkTime(const QString& what, const QDateTime& when) {
    if (when.isValid()) {
        const int year = when.toUTC().date().year();
        if (year < 1 || year > 9999)
            return PimResult::failure(
                QStringLiteral("The %1 is out of range (years 1 to 9999).").arg(what));
    }
    return {};
}

QString CalendarItemFile::plainText(const QString& text) {
    const QString lines = TextForm::withLineFeeds(text);
    QString out;
    out.reserve(lines.size());
    for (const QChar c : lines)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\t') ||
            (c.unicode() >= 0x20 && c.unicode() != 0x7F))
            out.append(c);
    return out;
}

PimValue<QByteArray> CalendarItemFile::appointmentText(const Appointment& appointment,
                                                       const QString& uid, const QDateTime& stamp) {
    if (PimResult r = checkTime(QStringLiteral("start"), appointment.start); !r)
        return r;
    if (PimResult r = checkMinutes(QStringLiteral("duration"), appointment.durationMinutes); !r)
        return r;
    if (appointment.reminderSet)
        if (PimResult r =
                checkMinutes(QStringLiteral("reminder"), appointment.reminderMinutesBeforeStart);
            !r)
            return r;
    icalcomponent* calendar = newCalendar();
    icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    addIdentity(event, uid, stamp);
    if (appointment.start.isValid())
        icalcomponent_add_property(event,
                                   utcTimeProperty(ICAL_DTSTART_PROPERTY, appointment.start));
    icalcomponent_add_property(event, icalproperty_new_duration(icaldurationtype_from_int(
                                          appointment.durationMinutes * 60)));
    addSummary(event, appointment.summary);
    addDescription(event, appointment.body);
    if (appointment.reminderSet) {
        icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger;
        trigger.time = icaltime_null_time();
        trigger.duration = icaldurationtype_from_int(-appointment.reminderMinutesBeforeStart * 60);
        icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_property(alarm, icalproperty_new_description("Reminder"));
        icalcomponent_add_component(event, alarm);
    }
    icalcomponent_add_component(calendar, event);
    return finish(calendar);
}

PimValue<QByteArray> CalendarItemFile::taskText(const Task& task, const QString& uid,
                                                const QDateTime& stamp) {
    if (PimResult r = checkTime(QStringLiteral("due date"), task.due); !r)
        return r;
    icalcomponent* calendar = newCalendar();
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    addIdentity(todo, uid, stamp);
    if (task.due.isValid())
        icalcomponent_add_property(todo, utcTimeProperty(ICAL_DUE_PROPERTY, task.due));
    addSummary(todo, task.summary);
    addDescription(todo, task.body);
    icalcomponent_add_component(calendar, todo);
    return finish(calendar);
}
