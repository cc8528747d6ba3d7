#include "pim/FilePimApplication.h"

#include "pim/CalendarItemFile.h"
#include "pim/MailDraft.h"
#include "pim/VCardReader.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

namespace {

using Folders = std::shared_ptr<const PimFolders>;

QString newUid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

// A free file name in `folder`: the prefix, the time of saving, and a counter when needed.
QString freeFileName(const QString& folder, const QString& prefix, const QString& suffix) {
    const QDir dir(folder);
    const QString base =
        prefix + QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmmss"));
    QString path = dir.filePath(base + suffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QLatin1Char('-') + QString::number(n) + suffix);
    return path;
}

PimResult writeFile(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        return PimResult::failure(QStringLiteral("The file \"%1\" cannot be written: %2")
                                      .arg(QDir::toNativeSeparators(path), file.errorString()));
    return {};
}

class FileItems : public PimApplication::Items {
public:
    explicit FileItems(QList<PimApplication::ContactFields> contacts)
        : m_contacts(std::move(contacts)) {}
    qint32 count() const override {
        return static_cast<qint32>(qMin<qsizetype>(m_contacts.size(), INT32_MAX));
    }
    PimValue<PimApplication::ContactFields> item(qint32 index) const override {
        if (index < 1 || index > count())
            return PimValue<PimApplication::ContactFields>::failure(
                QStringLiteral("The contacts folder has no item %1.").arg(index));
        return m_contacts.at(index - 1);
    }

private:
    QList<PimApplication::ContactFields> m_contacts;
};

class FileNamespace : public PimApplication::Namespace {
public:
    explicit FileNamespace(Folders folders) : m_folders(std::move(folders)) {}
    PimResult logon() override {
        if (PimResult prepared = m_folders->prepare(); !prepared)
            return prepared;
        m_loggedOn = true;
        return {};
    }
    PimResult logoff() override {
        m_loggedOn = false;
        return {};
    }
    PimValue<std::unique_ptr<PimApplication::Items>>
    getDefaultFolderItems(PimApplication::FolderType folder) override {
        using Result = PimValue<std::unique_ptr<PimApplication::Items>>;
        if (!m_loggedOn)
            return Result::failure(QStringLiteral("Not logged on."));
        if (folder != PimApplication::FolderType::Contacts)
            return Result::failure(QStringLiteral("There is no such default folder."));
        PimValue<VCardReader::Outcome> read = VCardReader::readFolder(m_folders->contactsFolder());
        if (!read)
            return read.result();
        return std::unique_ptr<PimApplication::Items>(
            std::make_unique<FileItems>(std::move(read->contacts)));
    }

private:
    Folders m_folders;
    bool m_loggedOn = false;
};

// Body, Save and Display of a calendar item: the iCalendar text goes in a file of the calendar
// folder, which the user's calendar program opens.
template <typename Interface> class CalendarItem : public Interface {
public:
    explicit CalendarItem(Folders folders) : m_folders(std::move(folders)), m_uid(newUid()) {}

    QString subject() const override { return m_subject; }
    PimResult setSubject(const QString& subject) override {
        m_subject = subject;
        return {};
    }
    QString body() const override { return m_body; }
    PimResult setBody(const QString& body) override {
        m_body = body;
        return {};
    }
    // Saved in the file named by the item's UID.
    PimResult save() override {
        const PimValue<QByteArray> content = text(m_uid, QDateTime::currentDateTimeUtc());
        if (!content)
            return content.result();
        const QString path =
            QDir(m_folders->calendarFolder()).filePath(CalendarItemFile::fileName(m_uid));
        if (PimResult written = writeFile(path, *content); !written)
            return written;
        m_path = path;
        return {};
    }
    PimResult display() override {
        if (m_path.isEmpty())
            if (PimResult saved = save(); !saved)
                return saved;
        if (!UiServices::instance().openInUserProgram(m_path))
            return PimResult::failure(QStringLiteral("No calendar program could open \"%1\".")
                                          .arg(QDir::toNativeSeparators(m_path)));
        return {};
    }
    QString location() const override { return m_path; }

protected:
    virtual PimValue<QByteArray> text(const QString& uid, const QDateTime& stamp) const = 0;
    QString m_subject;
    QString m_body;

private:
    Folders m_folders;
    QString m_uid;
    QString m_path;
};

class FileAppointment : public CalendarItem<PimApplication::AppointmentItem> {
public:
    explicit FileAppointment(Folders folders) : CalendarItem(std::move(folders)) {}
    PimApplication::ItemType type() const override { return PimApplication::ItemType::Appointment; }
    QDateTime start() const override { return m_start; }
    PimResult setStart(const QDateTime& start) override {
        if (PimResult r = CalendarItemFile::checkTime(QStringLiteral("start"), start); !r)
            return r;
        m_start = start;
        return {};
    }
    qint32 duration() const override { return m_duration; }
    PimResult setDuration(qint32 minutes) override {
        if (PimResult r = CalendarItemFile::checkMinutes(QStringLiteral("duration"), minutes); !r)
            return r;
        m_duration = minutes;
        return {};
    }
    qint32 reminderMinutesBeforeStart() const override { return m_reminderMinutes; }
    PimResult setReminderMinutesBeforeStart(qint32 minutes) override {
        if (PimResult r = CalendarItemFile::checkMinutes(QStringLiteral("reminder"), minutes); !r)
            return r;
        m_reminderMinutes = minutes;
        return {};
    }
    bool reminderSet() const override { return m_reminderSet; }
    PimResult setReminderSet(bool on) override {
        m_reminderSet = on;
        return {};
    }

protected:
    PimValue<QByteArray> text(const QString& uid, const QDateTime& stamp) const override {
        CalendarItemFile::Appointment appointment;
        appointment.start = m_start;
        appointment.durationMinutes = m_duration;
        appointment.summary = m_subject;
        appointment.body = m_body;
        appointment.reminderSet = m_reminderSet;
        appointment.reminderMinutesBeforeStart = m_reminderMinutes;
        return CalendarItemFile::appointmentText(appointment, uid, stamp);
    }

private:
    QDateTime m_start = QDateTime::currentDateTime();
    qint32 m_duration = 30;
    qint32 m_reminderMinutes = 15;
    bool m_reminderSet = false;
};

class FileTask : public CalendarItem<PimApplication::TaskItem> {
public:
    explicit FileTask(Folders folders) : CalendarItem(std::move(folders)) {}
    PimApplication::ItemType type() const override { return PimApplication::ItemType::Task; }
    QDateTime dueDate() const override { return m_due; }
    PimResult setDueDate(const QDateTime& due) override {
        if (PimResult r = CalendarItemFile::checkTime(QStringLiteral("due date"), due); !r)
            return r;
        m_due = due;
        return {};
    }

protected:
    PimValue<QByteArray> text(const QString& uid, const QDateTime& stamp) const override {
        return CalendarItemFile::taskText({m_due, m_subject, m_body}, uid, stamp);
    }

private:
    QDateTime m_due;
};

class FileMail : public PimApplication::MailItem {
public:
    explicit FileMail(Folders folders)
        : m_folders(std::move(folders)),
          m_messageId(newUid() + QStringLiteral("@corvane.invalid")) {}

    PimApplication::ItemType type() const override { return PimApplication::ItemType::Mail; }
    QString body() const override { return m_draft.Body; }
    PimResult setBody(const QString& body) override {
        m_draft.Body = body;
        return {};
    }
    QString to() const override { return m_draft.To; }
    PimResult setTo(const QString& to) override {
        if (PimResult r = MailDraft::checkRecipients(to); !r)
            return r;
        m_draft.To = to;
        return {};
    }
    QString cc() const override { return m_draft.CC; }
    PimResult setCc(const QString& cc) override {
        if (PimResult r = MailDraft::checkRecipients(cc); !r)
            return r;
        m_draft.CC = cc;
        return {};
    }
    QString bcc() const override { return m_draft.BCC; }
    PimResult setBcc(const QString& bcc) override {
        if (PimResult r = MailDraft::checkRecipients(bcc); !r)
            return r;
        m_draft.BCC = bcc;
        return {};
    }
    QString subject() const override { return m_draft.Subject; }
    PimResult setSubject(const QString& subject) override {
        m_draft.Subject = subject;
        return {};
    }
    PimResult addAttachment(const QString& source, PimApplication::AttachmentType type,
                            qint32 position, const QString& displayName) override {
        if (type != PimApplication::AttachmentType::ByValue)
            return PimResult::failure(QStringLiteral("Only copies of files can be attached."));
        QFile file(source);
        if (source.isEmpty() || !QFileInfo(source).isFile() || !file.open(QIODevice::ReadOnly))
            return PimResult::failure(QStringLiteral("The file \"%1\" cannot be read.")
                                          .arg(QDir::toNativeSeparators(source)));
        QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return PimResult::failure(
                QStringLiteral("The file \"%1\" cannot be read: %2")
                    .arg(QDir::toNativeSeparators(source), file.errorString()));
        const qsizetype at =
            qBound(qsizetype(0), qsizetype(position) - 1, m_draft.Attachments.size());
        m_draft.Attachments.insert(
            at, {displayName.isEmpty() ? source : displayName, std::move(content)});
        m_sources.insert(at, QFileInfo(source).absoluteFilePath());
        return {};
    }
    qint32 attachmentCount() const override {
        return static_cast<qint32>(m_draft.Attachments.size());
    }
    PimResult save() override {
        if (m_path.isEmpty())
            m_path = freeFileName(m_folders->draftsFolder(), QStringLiteral("Mail"),
                                  QStringLiteral(".eml"));
        PimResult written =
            writeFile(m_path, m_draft.toMime(QDateTime::currentDateTime(), m_messageId));
        m_written = m_written || written.ok();
        return written;
    }
    QString location() const override { return m_written ? m_path : QString(); }
    PimResult display() override {
        if (m_path.isEmpty())
            if (PimResult saved = save(); !saved)
                return saved;
        // Every value travels inside the mailto: URI; attachments are our own absolute paths.
        QStringList arguments;
        for (const QString& source : m_sources)
            arguments << QStringLiteral("--attach") << source;
        arguments << m_draft.composeUri();
        const QString program = QString::fromLatin1(FilePimApplication::MailProgram);
        const int status = UiServices::instance().runProgram(program, arguments,
                                                             FilePimApplication::ComposeWaitMs);
        if (status < 0)
            return PimResult::failure(
                QStringLiteral("The mail program (%1) cannot be started.").arg(program));
        if (status > 0)
            return PimResult::failure(
                QStringLiteral("The mail program (%1) could not open a compose window (exit "
                               "status %2).")
                    .arg(program)
                    .arg(status));
        return {};
    }

private:
    Folders m_folders;
    QString m_messageId;
    MailDraft m_draft;
    QStringList m_sources;
    QString m_path;
    bool m_written = false;
};

} // namespace

PimValue<std::unique_ptr<PimApplication>> FilePimApplication::open(const PimFolders& folders) {
    if (PimResult prepared = folders.prepare(); !prepared)
        return prepared;
    return std::unique_ptr<PimApplication>(std::make_unique<FilePimApplication>(folders));
}

QString FilePimApplication::versionText() {
    return QStringLiteral(CORVANE_VERSION " (Corvane mail, calendar and contacts files)");
}

FilePimApplication::FilePimApplication(const PimFolders& folders)
    : m_folders(std::make_shared<const PimFolders>(folders)) {}

PimValue<QString> FilePimApplication::version() const {
    return versionText();
}

PimValue<std::unique_ptr<PimApplication::Namespace>>
FilePimApplication::getNamespace(const QString& type) {
    if (type.compare(QLatin1String("MAPI"), Qt::CaseInsensitive) != 0)
        return PimValue<std::unique_ptr<Namespace>>::failure(
            QStringLiteral("There is no namespace \"%1\".").arg(type));
    return std::unique_ptr<Namespace>(std::make_unique<FileNamespace>(m_folders));
}

PimValue<std::unique_ptr<PimApplication::MailItem>> FilePimApplication::createMailItem() {
    return std::unique_ptr<MailItem>(std::make_unique<FileMail>(m_folders));
}

PimValue<std::unique_ptr<PimApplication::AppointmentItem>>
FilePimApplication::createAppointmentItem() {
    return std::unique_ptr<AppointmentItem>(std::make_unique<FileAppointment>(m_folders));
}

PimValue<std::unique_ptr<PimApplication::TaskItem>> FilePimApplication::createTaskItem() {
    return std::unique_ptr<TaskItem>(std::make_unique<FileTask>(m_folders));
}
