#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

SettingsStore::SettingsStore(const QString& path)
    : m_settings(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() {
    flush();
}

QString SettingsStore::defaultFilePath() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(dir).filePath(QStringLiteral("Corvane/Corvane.ini"));
}

QString SettingsStore::filePath() const {
    return m_settings->fileName();
}

QString SettingsStore::fullKey(const QString& appName, const QString& section, const QString& key) {
    const QString group =
        appName == QLatin1String(AppName) ? section : appName + QLatin1Char('.') + section;
    return group + QLatin1Char('/') + key;
}

QString SettingsStore::getSetting(const QString& appName, const QString& section,
                                  const QString& key, const QString& defaultValue) const {
    const QVariant value = m_settings->value(fullKey(appName, section, key));
    if (!value.isValid())
        return defaultValue;
    // QSettings turns a comma-separated text into a list; keep the text as written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool SettingsStore::hasSetting(const QString& appName, const QString& section,
                               const QString& key) const {
    return m_settings->contains(fullKey(appName, section, key));
}

bool SettingsStore::saveSetting(const QString& appName, const QString& section, const QString& key,
                                const QString& value) {
    m_settings->setValue(fullKey(appName, section, key), value);
    return m_settings->status() == QSettings::NoError;
}

bool SettingsStore::flush() {
    QDir().mkpath(QFileInfo(m_settings->fileName()).absolutePath());
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
