#include "outlook/OutlookContacts.h"

#include "outlook/OutlookProgress.h"
#include "pim/PimApplication.h"
#include "platform/UiServices.h"

namespace {

// A count in the "#####" form: digits only, and nothing at all for zero.
QString countText(qint32 n) {
    return n == 0 ? QString() : QString::number(n);
}

// The progress of one operation; closed at the end unless it was left open.
class ProgressGuard {
public:
    ProgressGuard() : m_progress(OutlookProgress::showProgress()) {}
    ~ProgressGuard() { close(); }
    ProgressGuard(const ProgressGuard&) = delete;
    ProgressGuard& operator=(const ProgressGuard&) = delete;
    OutlookProgress* operator->() const { return m_progress; }
    void close() {
        if (m_progress)
            std::exchange(m_progress, nullptr)->finish();
    }
    void keepOpen() {
        if (m_progress)
            std::exchange(m_progress, nullptr)->keepOpen();
    }

private:
    OutlookProgress* m_progress;
};

// Session with the contacts folder: the application object, the logged-on namespace and the
// folder's items, each released at the end.
struct ContactsSession {
    std::unique_ptr<PimApplication> application;
    std::unique_ptr<PimApplication::Namespace> mapi;
    std::unique_ptr<PimApplication::Items> items;
};

PimResult logOn(ContactsSession& session, SettingsStore& store) {
    auto application = PimApplication::create(store);
    if (!application)
        return application.result();
    session.application = std::move(application.value());
    auto mapi = session.application->getNamespace(QStringLiteral("MAPI"));
    if (!mapi)
        return mapi.result();
    session.mapi = std::move(mapi.value());
    return session.mapi->logon();
}

PimResult openContacts(ContactsSession& session) {
    auto items = session.mapi->getDefaultFolderItems(PimApplication::FolderType::Contacts);
    if (!items)
        return items.result();
    session.items = std::move(items.value());
    return {};
}

qint32 readableCount(const PimApplication::Items& items) {
    return qBound<qint32>(0, items.count(), OutlookContacts::MaxContacts);
}

} // namespace

Contact* OutlookContacts::add(const QString& key, const QString& firstName, const QString& lastName,
                              const QString& fileAs, const QString& company,
                              const QString& department, const QString& businessPhone,
                              const QString& sKey) {
    if (m_items.contains(sKey))
        return nullptr;
    auto contact = std::make_unique<Contact>();
    contact->setKey(key);
    contact->setFirstName(firstName);
    contact->setLastName(lastName);
    contact->setFileAs(fileAs);
    contact->setCompany(company);
    contact->setDepartment(department);
    contact->setBusinessPhone(businessPhone);
    return m_items.add(std::move(contact), sKey);
}

Contact* OutlookContacts::item(qint32 position) const {
    return m_items.item(position);
}

Contact* OutlookContacts::item(const QString& key) const {
    return m_items.item(key);
}

bool OutlookContacts::remove(qint32 position) {
    return m_items.remove(position);
}

bool OutlookContacts::remove(const QString& key) {
    return m_items.remove(key);
}

void OutlookContacts::loadContacts() {
    m_outlookError = false;
    m_errorMessage.clear();
    WaitCursor wait;
    ProgressGuard progress;
    ContactsSession session;
    const auto fail = [&](const PimResult& failure) {
        m_outlookError = true;
        m_errorMessage = failure.message();
    };

    if (PimResult r = logOn(session, m_store); !r)
        return fail(r);
    if (PimResult r = openContacts(session); !r)
        return fail(r);
    const qint32 n = readableCount(*session.items);
    if (n > 0)
        progress->setProgressMaximum(n);
    for (qint32 i = 1; i <= n; ++i) {
        const auto item = session.items->item(i);
        if (!item)
            return fail(item.result());
        add(QStringLiteral("Key=") + countText(i), item->FirstName, item->LastName, item->FileAs,
            item->CompanyName, item->Department, item->BusinessTelephoneNumber);
        progress->tellEm(item->FileAs);
        progress->setProgressValue(i);
    }
    if (PimResult r = session.mapi->logoff(); !r)
        return fail(r);
    m_contactsLoaded = true;
    m_outlookError = false;
}

bool OutlookContacts::tryOutlook() {
    m_outlookError = false;
    m_errorMessage.clear();
    {
        WaitCursor wait;
        ProgressGuard progress;
        ContactsSession session;
        const auto fail = [&](const PimResult& failure) {
            m_outlookError = true;
            m_errorMessage = failure.message();
            progress->tellEm(QStringLiteral("The folders could not be used."));
            progress->tellEm(QStringLiteral("Press the button on the left to continue."));
            progress->buttonOn(true);
            progress.keepOpen();
            return false;
        };

        progress->tellEm(QStringLiteral("Opening the mail and calendar folders"));
        if (PimResult r = logOn(session, m_store); !r)
            return fail(r);
        const auto version = session.application->version();
        if (!version)
            return fail(version.result());
        progress->tellEm(QStringLiteral("Opened the folders, version ") + version.value());
        progress->tellEm(QStringLiteral("Opening the contacts folder"));
        if (PimResult r = openContacts(session); !r)
            return fail(r);
        progress->tellEm(QStringLiteral("Opened the contacts folder"));
        const qint32 n = readableCount(*session.items);
        if (n > 0)
            progress->setProgressMaximum(n);
        progress->tellEm(QStringLiteral("Reading ") + countText(n) + QStringLiteral(" contacts."));
        for (qint32 i = 1; i <= n; ++i) {
            const auto item = session.items->item(i);
            if (!item)
                return fail(item.result());
            progress->tellEm(item->FileAs);
            progress->setProgressValue(i);
        }
        progress->tellEm(QStringLiteral("Closing the folders"));
        if (PimResult r = session.mapi->logoff(); !r)
            return fail(r);
        progress->tellEm(QStringLiteral("Closed the folders"));
        m_outlookError = false;
    }
    OutlookProgress::focusWindow(m_parentForm);
    UiServices::instance().messageBox(
        QStringLiteral("The contacts folder was read. Corvane can use the mail, calendar and "
                       "contacts folders."),
        QStringLiteral("Test Folders"), UiServices::Icon::Information, UiServices::Buttons::Ok);
    return true;
}
