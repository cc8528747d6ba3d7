#include "workspace/ProcessSettings.h"

#include "filter/Filters.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/Settings.h"
#include "settings/User.h"

bool ProcessSettings::save() {
    User::instance().SaveUser();
    ColumnsInfo::instance().Save();
    Filters::instance().Save();
    return SettingsStore::instance().Flush();
}

void ProcessSettings::useFile(const QString& path) {
    Filters::releaseInstance();
    ColumnsInfo::releaseInstance();
    User::releaseInstance();
    // The sort choice lasts one run: a new store starts unsorted.
    Settings::instance() = Settings();
    SettingsStore::setFilePath(path);
}
