#pragma once

#include "platform/Result.h"
#include "platform/UiServices.h"

#include <QDateTime>
#include <QString>

class SettingsStore;
class User;

// The items made about the selected opportunity in the user's mail and calendar program: an
// appointment, a task, a mail with the opportunity's text, and the mail that sends the shown
// database file (the Tools menu's Appointment, Task and Email, and File > Send). Each command
// builds its item, saves it and opens it for the user (a calendar file in his calendar program,
// a mail in a compose window); nothing is ever sent from here.
//
// A command that fails returns the failure. When its item was written nonetheless (written()
// names the file), the window says where; only when nothing could be written does it ask
// FailureText / FailureTitle with Yes and No and no icon, and pass the answer to
// KeepUsingOutlook.
class OutlookItems {
public:
    enum class Command { Appointment, Task, Email, Send };

    static constexpr qint32 AppointmentMinutes = 60;
    static constexpr qint32 ReminderMinutes = 15;

    OutlookItems(User& user, SettingsStore& store) : m_user(user), m_store(store) {}

    // An appointment starting now, lasting an hour, with a reminder 15 minutes before its
    // start, `subject` as its title and `body` (the opportunity's text block, empty when none
    // is selected) as its text.
    Result createAppointment(const QString& subject, const QString& body);
    // A task due now with `subject` as its title and `body` as its text.
    Result createTask(const QString& subject, const QString& body);
    // The title of an appointment or task about an opportunity: its company and description as
    // the list shows them, "Company - Description", or the one of them that is not empty.
    static QString itemSubject(const QString& company, const QString& description);
    // Without an attachment (Email): a mail with `body`. With one (Send): a mail to the
    // profile's HQemail, copy to emailcc, blind copy to email, subject "Pipeline: " and the
    // territory (each only when its text is not empty), carrying a consistent copy of the
    // database file `theAttachment` under the file's name; `body` is not used. Once that mail
    // is saved, the profile's LastSent becomes today and the profile is saved.
    Result createOutlookMail(const QString& theAttachment, const QString& body = QString());

    // The file the latest command wrote its item to, also when no program opened it
    // afterwards; empty when it wrote none.
    const QString& written() const { return m_written; }
    // What the window says when the item was written to `path` but `failure` kept it from being
    // opened: where it is, and the offer to open its folder (asked with Yes and No).
    static QString writtenText(Command command, const QString& path, const QString& failure);
    // The status-bar note after an item was written and opened.
    static QString writtenNote(Command command, const QString& path);

    // The question asked after a failed command, with its title.
    static QString failureText(Command command);
    static QString failureTitle(Command command);
    // The answer to that question: No switches the use of Outlook off in the profile (and saves
    // it); the window then updates its command states. Any other answer, also the Cancel of a
    // question closed without a button, keeps it. True when Outlook stays in use.
    bool keepUsingOutlook(UiServices::Answer answer);

private:
    User& m_user;
    SettingsStore& m_store;
    QString m_written;
};
