#pragma once

#include <QStringList>

class SettingsStore;

// The team databases opened last, newest first, as the Open Team Database dialog offers them.
// Kept in the settings (section Team, keys Recent1 to Recent5) by location, which never holds a
// password.
class RecentTeamDatabases {
public:
    static constexpr int MaxCount = 5;

    static QStringList read(const SettingsStore& store);
    // Puts `location` (without its password) first.
    static void add(SettingsStore& store, const QString& location);
};
