#pragma once

#include "pim/PimResult.h"

#include <QString>

class SettingsStore;

// The folders of the standard mail, calendar and contacts adapter, kept in the settings store
// (section "Outlook": ContactsFolder, CalendarFolder, DraftsFolder). A folder that is not
// stored defaults to one under the user's data directory ("Corvane/Contacts", ...).
class PimFolders {
public:
    static constexpr const char* Section = "Outlook";

    // The stored folders, or their defaults; the defaults are written to the store so that the
    // user can find and change them.
    static PimFolders fromSettings(SettingsStore& store);
    static QString defaultFolder(const QString& name);

    PimFolders() = default;
    PimFolders(const QString& contacts, const QString& calendar, const QString& drafts)
        : m_contacts(contacts), m_calendar(calendar), m_drafts(drafts) {}

    const QString& contactsFolder() const { return m_contacts; }
    const QString& calendarFolder() const { return m_calendar; }
    const QString& draftsFolder() const { return m_drafts; }

    // Writes the three folders to the settings store; false when the store cannot be written.
    bool save(SettingsStore& store) const;

    // Creates missing folders and checks that the contacts folder can be read and that the
    // calendar and drafts folders can be read and written.
    PimResult prepare() const;

private:
    QString m_contacts;
    QString m_calendar;
    QString m_drafts;
};
