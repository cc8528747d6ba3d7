#include "outlook/OutlookItems.h"

#include "outlook/DatabaseSnapshot.h"
#include "pim/PimApplication.h"
#include "settings/User.h"

#include <QDir>
#include <QFileInfo>
#include <functional>

namespace {

// Runs `work` in a logged-on session: the application object, the "MAPI" namespace, log-on,
// the work and log-off. A failure ends it at once (without logging off); the objects are
// released either way.
Result inSession(SettingsStore& store, const std::function<Result(PimApplication&)>& work) {
    auto application = PimApplication::create(store);
    if (!application)
        return application.result();
    auto mapi = application.value()->getNamespace(QStringLiteral("MAPI"));
    if (!mapi)
        return mapi.result();
    if (Result r = mapi.value()->logon(); !r)
        return r;
    if (Result r = work(*application.value()); !r)
        return r;
    return mapi.value()->logoff();
}

// Runs the steps in order and stops at the first that fails.
Result steps(std::initializer_list<std::function<Result()>> list) {
    for (const auto& step : list)
        if (Result r = step(); !r)
            return r;
    return {};
}

// Notes, however the command ends, the file its item was written to.
class WrittenTo {
public:
    WrittenTo(QString& written, const PimApplication::Item& item)
        : m_written(written), m_item(item) {}
    ~WrittenTo() { m_written = m_item.location(); }
    WrittenTo(const WrittenTo&) = delete;
    WrittenTo& operator=(const WrittenTo&) = delete;

private:
    QString& m_written;
    const PimApplication::Item& m_item;
};

// The item a command makes, as the messages name it.
QString itemName(OutlookItems::Command command) {
    switch (command) {
    case OutlookItems::Command::Appointment:
        return QStringLiteral("appointment");
    case OutlookItems::Command::Task:
        return QStringLiteral("task");
    case OutlookItems::Command::Email:
    case OutlookItems::Command::Send:
        break;
    }
    return QStringLiteral("mail message");
}

} // namespace

QString OutlookItems::writtenText(Command command, const QString& path, const QString& failure) {
    return QStringLiteral("The %1 was saved as \"%2\", but it could not be opened: %3\n\nDo you "
                          "want to open its folder?")
        .arg(itemName(command), QDir::toNativeSeparators(path), failure);
}

QString OutlookItems::writtenNote(Command command, const QString& path) {
    QString name = itemName(command);
    name[0] = name[0].toUpper();
    return QStringLiteral("%1 saved as %2").arg(name, QDir::toNativeSeparators(path));
}

QString OutlookItems::itemSubject(const QString& company, const QString& description) {
    QStringList parts;
    for (const QString& part : {company.trimmed(), description.trimmed()})
        if (!part.isEmpty())
            parts.append(part);
    return parts.join(QStringLiteral(" - "));
}

Result OutlookItems::createAppointment(const QString& subject, const QString& body) {
    m_written.clear();
    return inSession(m_store, [&](PimApplication& application) -> Result {
        auto item = application.createAppointmentItem();
        if (!item)
            return item.result();
        auto& appointment = *item.value();
        const WrittenTo written(m_written, appointment);
        return steps({[&] { return appointment.setStart(QDateTime::currentDateTime()); },
                      [&] { return appointment.setDuration(AppointmentMinutes); },
                      [&] { return appointment.setSubject(subject); },
                      [&] { return appointment.setBody(body); },
                      [&] { return appointment.setReminderMinutesBeforeStart(ReminderMinutes); },
                      [&] { return appointment.setReminderSet(true); },
                      [&] { return appointment.save(); }, [&] { return appointment.display(); }});
    });
}

Result OutlookItems::createTask(const QString& subject, const QString& body) {
    m_written.clear();
    return inSession(m_store, [&](PimApplication& application) -> Result {
        auto item = application.createTaskItem();
        if (!item)
            return item.result();
        auto& task = *item.value();
        const WrittenTo written(m_written, task);
        return steps({[&] { return task.setDueDate(QDateTime::currentDateTime()); },
                      [&] { return task.setSubject(subject); }, [&] { return task.setBody(body); },
                      [&] { return task.save(); }, [&] { return task.display(); }});
    });
}

Result OutlookItems::createOutlookMail(const QString& theAttachment, const QString& body) {
    m_written.clear();
    return inSession(m_store, [&](PimApplication& application) -> Result {
        auto item = application.createMailItem();
        if (!item)
            return item.result();
        auto& mail = *item.value();
        const WrittenTo written(m_written, mail);
        if (theAttachment.isEmpty())
            return steps({[&] { return mail.setBody(body); }, [&] { return mail.save(); },
                          [&] { return mail.display(); }});
        const auto unlessEmpty = [](const QString& text, auto set) {
            return [text, set] { return text.isEmpty() ? Result() : set(text); };
        };
        return steps(
            {unlessEmpty(m_user.hqEmail(), [&](const QString& t) { return mail.setTo(t); }),
             unlessEmpty(m_user.emailCc(), [&](const QString& t) { return mail.setCc(t); }),
             unlessEmpty(m_user.email(), [&](const QString& t) { return mail.setBcc(t); }),
             unlessEmpty(m_user.territory(),
                         [&](const QString& t) {
                             return mail.setSubject(QStringLiteral("Pipeline: ") + t);
                         }),
             [&] { return mail.save(); },
             [&]() -> Result {
                 // A copy that no writer can tear, shown under the file's name only: the
                 // receiver learns nothing of the sender's folders.
                 const ResultValue<QString> copy = DatabaseSnapshot::take(theAttachment);
                 if (!copy)
                     return copy.result();
                 return mail.addAttachment(*copy, PimApplication::AttachmentType::ByValue, 1,
                                           QFileInfo(theAttachment).fileName());
             },
             [&] { return mail.save(); },
             [&] {
                 m_user.setLastSent(QDate::currentDate());
                 m_user.saveUser();
                 return Result();
             },
             [&] { return mail.display(); }});
    });
}

QString OutlookItems::failureText(Command command) {
    switch (command) {
    case Command::Appointment:
        return QStringLiteral("Unable to create an Outlook Appointment. Do you wish to continue to "
                              "connect to Outlook?");
    case Command::Task:
        return QStringLiteral(
            "Unable to create an Outlook Task. Do you wish to continue to connect to Outlook?");
    case Command::Email:
    case Command::Send:
        break;
    }
    return QStringLiteral("Unable to create an Outlook mail message. Do you wish to continue to "
                          "connect to Outlook?");
}

QString OutlookItems::failureTitle(Command command) {
    switch (command) {
    case Command::Appointment:
        return QStringLiteral("Outlook Appointment");
    case Command::Task:
        return QStringLiteral("Outlook Task");
    case Command::Email:
    case Command::Send:
        break;
    }
    return QStringLiteral("Outlook Mail Message");
}

bool OutlookItems::keepUsingOutlook(UiServices::Answer answer) {
    if (answer != UiServices::Answer::No)
        return true;
    m_user.setUseOutlook(false);
    m_user.saveUser();
    return false;
}
