#include "workspace/ProcessSettings.h"

#include "filter/Filters.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/Settings.h"
#include "settings/User.h"

bool ProcessSettings::save() {
    User::instance().saveUser();
    ColumnsInfo::instance().save();
    Filters::instance().save();
    return SettingsStore::instance().flush();
}

void ProcessSettings::useFile(const QString& path) {
    Filters::releaseInstance();
    ColumnsInfo::releaseInstance();
    User::releaseInstance();
    // The sort choice lasts one run: a new store starts unsorted.
    Settings::instance() = Settings();
    SettingsStore::setFilePath(path);
}
