#pragma once

#include "outlook/Contact.h"
#include "platform/KeyedCollection.h"

#include <QPointer>
#include <QString>

// The contacts of the user's contacts folder, in folder order, read once per run, with the
// connection test of the options dialog. Positions count from 1; a contact may also stand under
// a collection key.
class SettingsStore;

class OutlookContacts {
public:
    // The contacts folder is the one `store` names.
    explicit OutlookContacts(SettingsStore& store) : m_store(store) {}

    // Contacts read at most: positions are 16-bit numbers.
    static constexpr qint32 MaxContacts = 32767;

    // Creates a contact with these texts and appends it, under the collection key `sKey`
    // unless that is empty. Returns nullptr (and adds nothing) when `sKey` is taken.
    Contact* add(const QString& key, const QString& firstName, const QString& lastName,
                 const QString& fileAs, const QString& company, const QString& department,
                 const QString& businessPhone, const QString& sKey = QString());
    // The contact at a 1-based position, or under a collection key; nullptr when none.
    Contact* item(qint32 position) const;
    Contact* item(const QString& key) const;
    qint32 count() const { return m_items.count(); }
    // Removes the contact at a position or under a key; false when there is none.
    bool remove(qint32 position);
    bool remove(const QString& key);

    // Reads every contact of the contacts folder and appends them under "Key=1", "Key=2", ...
    // A failure ends it, keeps what was read, and sets OutlookError.
    void loadContacts();
    // Tests the connection, telling every step in the progress window; true on success.
    bool tryOutlook();

    // The window that gets the focus back after a successful test.
    QObject* parentForm() const { return m_parentForm; }
    void setParentForm(QObject* form) { m_parentForm = form; }
    bool outlookError() const { return m_outlookError; }
    // What went wrong in the last failed operation.
    const QString& outlookErrorMessage() const { return m_errorMessage; }
    bool contactsLoaded() const { return m_contactsLoaded; }

    // Enumeration in order.
    using const_iterator = KeyedCollection<Contact>::const_iterator;
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    SettingsStore& m_store;
    KeyedCollection<Contact> m_items;
    QPointer<QObject> m_parentForm;
    bool m_outlookError = false;
    bool m_contactsLoaded = false;
    QString m_errorMessage;
};
