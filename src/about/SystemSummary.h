#pragma once

#include <QList>
#include <QString>

class SettingsStore;

// What a problem report should say about the computer Corvane runs on: its version, the
// operating system, kernel and architecture, the Qt, SQLite and libical versions, the window
// system, the screen and its scale, the locale, and the settings and data folders.
class SystemSummary {
public:
    struct Entry {
        QString name;
        QString value;
    };

    // The entries in the order shown; the settings file is the one `store` reads.
    static QList<Entry> entries(const SettingsStore& store);
    // One "Name: value" line per entry, for the window and the clipboard.
    static QString text(const QList<Entry>& entries);
};
