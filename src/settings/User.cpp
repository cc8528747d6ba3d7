#include "settings/User.h"

#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "platform/TextForm.h"

namespace {
const QString Section = QStringLiteral("User");
// Territory was once kept under an application name of its own ("False" in a first instance);
// a profile without a territory of its own still finds that value.
const QString OldTerritoryApp = QStringLiteral("False");

std::unique_ptr<User>& current() {
    static std::unique_ptr<User> user;
    return user;
}
} // namespace

User::User() {
    load();
}

User::~User() = default;

User& User::instance() {
    auto& user = current();
    if (!user)
        user = std::make_unique<User>();
    return *user;
}

void User::releaseInstance() {
    current().reset();
}

void User::load() {
    const SettingsStore& store = SettingsStore::instance();
    const QString app = QLatin1String(SettingsStore::AppName);
    m_Sales_Rep = store.GetSetting(app, Section, QStringLiteral("Sales_Rep"));
    m_Company = store.GetSetting(app, Section, QStringLiteral("Company"));
    if (store.HasSetting(app, Section, QStringLiteral("Territory")))
        m_Territory = store.GetSetting(app, Section, QStringLiteral("Territory"));
    else
        m_Territory = store.GetSetting(OldTerritoryApp, Section, QStringLiteral("Territory"));
    m_ID = store.GetSetting(app, Section, QStringLiteral("ID"));
    m_email = store.GetSetting(app, Section, QStringLiteral("email"));
    m_emailcc = store.GetSetting(app, Section, QStringLiteral("emailcc"));
    m_HQemail = store.GetSetting(app, Section, QStringLiteral("HQemail"));
    const QDate lastSent = LocaleText::parseShortDate(store.GetSetting(
        app, Section, QStringLiteral("LastSent"), LocaleText::shortDate(QDate::currentDate())));
    if (lastSent.isValid())
        m_LastSent = lastSent;
    if (const auto useOutlook = TextForm::toBool(
            store.GetSetting(app, Section, QStringLiteral("UseOutlook"), QStringLiteral("False"))))
        m_UseOutlook = *useOutlook;
}

void User::SaveUser() {
    SettingsStore& store = SettingsStore::instance();
    const QString app = QLatin1String(SettingsStore::AppName);
    store.SaveSetting(app, Section, QStringLiteral("Sales_Rep"), m_Sales_Rep);
    store.SaveSetting(app, Section, QStringLiteral("Company"), m_Company);
    store.SaveSetting(app, Section, QStringLiteral("Territory"), m_Territory);
    store.SaveSetting(app, Section, QStringLiteral("ID"), m_ID);
    store.SaveSetting(app, Section, QStringLiteral("email"), m_email);
    store.SaveSetting(app, Section, QStringLiteral("emailcc"), m_emailcc);
    store.SaveSetting(app, Section, QStringLiteral("HQemail"), m_HQemail);
    store.SaveSetting(app, Section, QStringLiteral("LastSent"), LocaleText::shortDate(m_LastSent));
    store.SaveSetting(app, Section, QStringLiteral("UseOutlook"), TextForm::fromBool(m_UseOutlook));
    store.Flush();
}
