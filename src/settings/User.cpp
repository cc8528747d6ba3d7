#include "settings/User.h"

#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "platform/TextForm.h"

namespace {
const QString Section = QStringLiteral("User");
// Territory was once kept under an application name of its own ("False" in a first instance);
// a profile without a territory of its own still finds that value.
const QString OldTerritoryApp = QStringLiteral("False");
} // namespace

User::User(SettingsStore& store) : m_store(store) {
    load();
}

User::~User() = default;

void User::load() {
    const SettingsStore& store = m_store;
    const QString app = QLatin1String(SettingsStore::AppName);
    m_Sales_Rep = store.getSetting(app, Section, QStringLiteral("Sales_Rep"));
    m_Company = store.getSetting(app, Section, QStringLiteral("Company"));
    if (store.hasSetting(app, Section, QStringLiteral("Territory")))
        m_Territory = store.getSetting(app, Section, QStringLiteral("Territory"));
    else
        m_Territory = store.getSetting(OldTerritoryApp, Section, QStringLiteral("Territory"));
    m_ID = store.getSetting(app, Section, QStringLiteral("ID"));
    m_email = store.getSetting(app, Section, QStringLiteral("email"));
    m_emailcc = store.getSetting(app, Section, QStringLiteral("emailcc"));
    m_HQemail = store.getSetting(app, Section, QStringLiteral("HQemail"));
    const QDate lastSent = LocaleText::parseShortDate(store.getSetting(
        app, Section, QStringLiteral("LastSent"), LocaleText::shortDate(QDate::currentDate())));
    if (lastSent.isValid())
        m_LastSent = lastSent;
    if (const auto useOutlook = TextForm::toBool(
            store.getSetting(app, Section, QStringLiteral("UseOutlook"), QStringLiteral("False"))))
        m_UseOutlook = *useOutlook;
}

void User::saveUser() {
    SettingsStore& store = m_store;
    const QString app = QLatin1String(SettingsStore::AppName);
    store.saveSetting(app, Section, QStringLiteral("Sales_Rep"), m_Sales_Rep);
    store.saveSetting(app, Section, QStringLiteral("Company"), m_Company);
    store.saveSetting(app, Section, QStringLiteral("Territory"), m_Territory);
    store.saveSetting(app, Section, QStringLiteral("ID"), m_ID);
    store.saveSetting(app, Section, QStringLiteral("email"), m_email);
    store.saveSetting(app, Section, QStringLiteral("emailcc"), m_emailcc);
    store.saveSetting(app, Section, QStringLiteral("HQemail"), m_HQemail);
    store.saveSetting(app, Section, QStringLiteral("LastSent"), LocaleText::shortDate(m_LastSent));
    store.saveSetting(app, Section, QStringLiteral("UseOutlook"), TextForm::fromBool(m_UseOutlook));
    store.flush();
}
