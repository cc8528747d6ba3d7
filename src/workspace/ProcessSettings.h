#pragma once

#include <QString>

// The settings objects of the process (the user profile, the column layout and the filter
// criteria) as one: they load on first use and are written only when save() is called.
class ProcessSettings {
public:
    // Writes the profile, the column layout and the filter criteria, with one flush of the
    // store; false when the store's file could not be written.
    static bool save();
    // Points the process at another settings file and lets go of what was loaded from the old
    // one, without writing it; the objects load anew from `path` on next use.
    static void useFile(const QString& path);
};
