#include "workspace/ApplicationSettings.h"

#include "filter/Filters.h"
#include "settings/ColumnsInfo.h"
#include "settings/User.h"

ApplicationSettings::ApplicationSettings(const QString& filePath)
    : m_ownStore(std::make_unique<SettingsStore>(filePath)), m_store(*m_ownStore) {}

ApplicationSettings::ApplicationSettings(SettingsStore& store) : m_store(store) {}

ApplicationSettings::~ApplicationSettings() = default;

User& ApplicationSettings::user() {
    if (!m_user)
        m_user = std::make_unique<User>(m_store);
    return *m_user;
}

ColumnsInfo& ApplicationSettings::columns() {
    if (!m_columns)
        m_columns = std::make_unique<ColumnsInfo>(m_store);
    return *m_columns;
}

Filters& ApplicationSettings::filters() {
    if (!m_filters)
        m_filters = std::make_unique<Filters>(m_store);
    return *m_filters;
}

namespace {
const QString ViewSection = QStringLiteral("View");
const QString ShownViewKey = QStringLiteral("Shown");
} // namespace

QString ApplicationSettings::shownView() {
    if (!m_shownView) {
        const QString stored =
            m_store.getSetting(QLatin1String(SettingsStore::AppName), ViewSection, ShownViewKey);
        m_shownView = stored == QLatin1String("Board") ? stored : QStringLiteral("List");
    }
    return *m_shownView;
}

void ApplicationSettings::setShownView(const QString& view) {
    m_shownView = view;
}

bool ApplicationSettings::save() {
    user().saveUser();
    columns().save();
    filters().save();
    if (m_shownView)
        m_store.saveSetting(QLatin1String(SettingsStore::AppName), ViewSection, ShownViewKey,
                            *m_shownView);
    return m_store.flush();
}
