#include "mainwindow/RecentTeamDatabases.h"

#include "platform/SettingsStore.h"
#include "store/SalesServerStore.h"

namespace {

QString key(int position) {
    return QStringLiteral("Recent%1").arg(position);
}

const QString Section = QStringLiteral("Team");

} // namespace

QStringList RecentTeamDatabases::read(const SettingsStore& store) {
    QStringList locations;
    for (int position = 1; position <= MaxCount; ++position) {
        const QString location = store.getSetting(QLatin1String(SettingsStore::AppName), Section,
                                                  key(position), QString());
        if (SalesServerStore::isServerLocation(location) && !locations.contains(location))
            locations.append(location);
    }
    return locations;
}

void RecentTeamDatabases::add(SettingsStore& store, const QString& location) {
    QStringList locations = read(store);
    const QString kept = SalesServerStore::withoutPassword(location);
    locations.removeAll(kept);
    locations.prepend(kept);
    for (int position = 1; position <= MaxCount; ++position) {
        store.saveSetting(QLatin1String(SettingsStore::AppName), Section, key(position),
                          position <= locations.size() ? locations.at(position - 1) : QString());
    }
    store.flush();
}
