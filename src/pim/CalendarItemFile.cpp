#include "pim/CalendarItemFile.h"

#include "platform/TextForm.h"

#include <libical/ical.h>

namespace {

icaltimetype utcTime(const QDateTime& when) {
    return icaltime_from_timet_with_zone(static_cast<time_t>(when.toSecsSinceEpoch()), 0,
                                         icaltimezone_get_utc_timezone());
}

QByteArray plainText(const QString& text) {
    return TextForm::withLineFeeds(text).toUtf8();
}

icalcomponent* newCalendar() {
    icalcomponent* calendar = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(
        calendar, icalproperty_new_prodid("-//Corvane//Corvane " CORVANE_VERSION "//EN"));
    return calendar;
}

void addIdentity(icalcomponent* item, const QString& uid, const QDateTime& stamp) {
    icalcomponent_add_property(item, icalproperty_new_uid(uid.toUtf8().constData()));
    icalcomponent_add_property(item, icalproperty_new_dtstamp(utcTime(stamp)));
}

QByteArray finish(icalcomponent* calendar) {
    char* text = icalcomponent_as_ical_string_r(calendar);
    QByteArray out(text ? text : "");
    icalmemory_free_buffer(text);
    icalcomponent_free(calendar);
    return out;
}

} // namespace

QByteArray CalendarItemFile::appointmentText(const Appointment& appointment, const QString& uid,
                                             const QDateTime& stamp) {
    icalcomponent* calendar = newCalendar();
    icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    addIdentity(event, uid, stamp);
    if (appointment.start.isValid())
        icalcomponent_add_property(event, icalproperty_new_dtstart(utcTime(appointment.start)));
    icalcomponent_add_property(event, icalproperty_new_duration(icaldurationtype_from_int(
                                          qMax<qint32>(0, appointment.durationMinutes) * 60)));
    const QByteArray body = plainText(appointment.body);
    icalcomponent_add_property(event, icalproperty_new_description(body.constData()));
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

QByteArray CalendarItemFile::taskText(const Task& task, const QString& uid,
                                      const QDateTime& stamp) {
    icalcomponent* calendar = newCalendar();
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    addIdentity(todo, uid, stamp);
    if (task.due.isValid())
        icalcomponent_add_property(todo, icalproperty_new_due(utcTime(task.due)));
    const QByteArray body = plainText(task.body);
    icalcomponent_add_property(todo, icalproperty_new_description(body.constData()));
    icalcomponent_add_component(calendar, todo);
    return finish(calendar);
}
