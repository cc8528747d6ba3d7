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

bool ApplicationSettings::save() {
    user().saveUser();
    columns().save();
    filters().save();
    return m_store.flush();
}
