#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user settings store: text values addressed by application name, section and value
// name, kept in one INI file. Values of the application `Corvane` live in sections named after
// the section ("[User]"); values of any other application name in "[<app>.<section>]".
class SettingsStore {
public:
    static constexpr const char* AppName = "Corvane";

    // The user's settings file: Corvane/Corvane.ini in the configuration directory.
    static QString defaultFilePath();

    QString filePath() const;
    // The stored text, or `defaultValue` when the value is not stored.
    QString getSetting(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue = QString()) const;
    bool hasSetting(const QString& appName, const QString& section, const QString& key) const;
    // Sets the value; it reaches the file at the next flush() (or when the store ends).
    // False when the store's file is known not to be writable.
    bool saveSetting(const QString& appName, const QString& section, const QString& key,
                     const QString& value);
    // Writes the changed values to the file; false when that fails. Savers call it once after a
    // batch of values rather than once per value.
    bool flush();

    explicit SettingsStore(const QString& path);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

private:
    static QString fullKey(const QString& appName, const QString& section, const QString& key);
    std::unique_ptr<QSettings> m_settings;
};
