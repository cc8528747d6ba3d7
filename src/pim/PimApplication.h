#pragma once

#include "pim/PimResult.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

// The user's mail, calendar and contacts program as the application drives it: an application
// object, a namespace to log on to, the contacts folder with its items, and new mail,
// appointment and task items that are saved and then displayed. Every call can fail; a failure
// carries a message that says what went wrong.
//
// PimApplication::create() gives the application object of this process. It is made by the
// installed factory (tests install their own) or else by the standard one, which works on
// vCard, iCalendar and e-mail draft files in folders named in the settings store.
class SettingsStore;

class PimApplication {
public:
    enum class ItemType { Mail = 0, Appointment = 1, Task = 3 };
    enum class FolderType { Contacts = 10 };
    enum class AttachmentType { ByValue = 1 };

    // The fields of one contact, possibly empty.
    struct ContactFields {
        QString FirstName;
        QString LastName;
        QString FileAs;
        QString CompanyName;
        QString Department;
        QString BusinessTelephoneNumber;
        bool operator==(const ContactFields&) const = default;
    };

    // The items of a folder, in the folder's order, counted from 1.
    class Items {
    public:
        virtual ~Items() = default;
        virtual qint32 count() const = 0;
        virtual PimValue<ContactFields> item(qint32 index) const = 0;
    };

    // The session with the user's store: log on before opening a folder, log off at the end.
    class Namespace {
    public:
        virtual ~Namespace() = default;
        virtual PimResult logon() = 0;
        virtual PimResult logoff() = 0;
        // The items of a default folder.
        virtual PimValue<std::unique_ptr<Items>> getDefaultFolderItems(FolderType folder) = 0;
    };

    // What every new item has: a subject (the title of an appointment or task), a body, Save
    // and display (not modal).
    class Item {
    public:
        virtual ~Item() = default;
        virtual ItemType type() const = 0;
        virtual QString subject() const = 0;
        virtual PimResult setSubject(const QString& subject) = 0;
        virtual QString body() const = 0;
        virtual PimResult setBody(const QString& body) = 0;
        // Stores the item; a second Save stores it again in the same place.
        virtual PimResult save() = 0;
        // Opens the item for the user in his program and returns at once.
        virtual PimResult display() = 0;
        // The file a successful Save wrote the item to; empty before one, and for items that
        // are kept where the user cannot open them as a file.
        virtual QString location() const { return QString(); }
    };

    class AppointmentItem : public Item {
    public:
        virtual QDateTime start() const = 0;
        virtual PimResult setStart(const QDateTime& start) = 0;
        virtual qint32 duration() const = 0; // minutes
        virtual PimResult setDuration(qint32 minutes) = 0;
        virtual qint32 reminderMinutesBeforeStart() const = 0;
        virtual PimResult setReminderMinutesBeforeStart(qint32 minutes) = 0;
        virtual bool reminderSet() const = 0;
        virtual PimResult setReminderSet(bool on) = 0;
    };

    class TaskItem : public Item {
    public:
        virtual QDateTime dueDate() const = 0;
        virtual PimResult setDueDate(const QDateTime& due) = 0;
    };

    class MailItem : public Item {
    public:
        // Recipients: addresses separated by ";" or ",", each "name <address>" or "address".
        virtual QString to() const = 0;
        virtual PimResult setTo(const QString& to) = 0;
        virtual QString cc() const = 0;
        virtual PimResult setCc(const QString& cc) = 0;
        virtual QString bcc() const = 0;
        virtual PimResult setBcc(const QString& bcc) = 0;
        // Attaches a copy of the file `source`, taken now, shown under `displayName`.
        virtual PimResult addAttachment(const QString& source, AttachmentType type, qint32 position,
                                        const QString& displayName) = 0;
        virtual qint32 attachmentCount() const = 0;
    };

    virtual ~PimApplication() = default;

    // The program's name and version, for the user.
    virtual PimValue<QString> version() const = 0;
    // Only "MAPI" is known.
    virtual PimValue<std::unique_ptr<Namespace>> getNamespace(const QString& type) = 0;
    virtual PimValue<std::unique_ptr<MailItem>> createMailItem() = 0;
    virtual PimValue<std::unique_ptr<AppointmentItem>> createAppointmentItem() = 0;
    virtual PimValue<std::unique_ptr<TaskItem>> createTaskItem() = 0;

    using Factory = std::function<PimValue<std::unique_ptr<PimApplication>>()>;
    // The application object; a failure means the program is not available.
    // The standard adapter takes its folders from `store`.
    static PimValue<std::unique_ptr<PimApplication>> create(SettingsStore& store);
    // Installs the factory create() uses; an empty one returns to the standard adapter.
    static void setFactory(Factory factory);
    // The installed factory; empty while the standard adapter is in use.
    static Factory factory();
};
