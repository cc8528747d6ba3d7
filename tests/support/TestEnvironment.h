#pragma once

#include "ScriptedUiServices.h"

#include <QLocale>
#include <QString>
#include <QTemporaryDir>
#include <memory>

class SettingsStore;

// Per-test surroundings: a temporary folder, a settings store in it, scripted UI services, a
// fixed locale (en_US unless told otherwise) and a short wait for files that another connection
// holds (tests hold files on purpose). Everything is put back when it ends.
class TestEnvironment {
public:
    explicit TestEnvironment(const QLocale& locale = QLocale(QLocale::English,
                                                             QLocale::UnitedStates));
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    // A path inside the temporary folder.
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString settingsPath() const { return path(QStringLiteral("settings.ini")); }
    // The settings store of the test, on settingsPath().
    SettingsStore& store() { return *m_store; }
    ScriptedUiServices& ui() { return m_ui; }

private:
    QTemporaryDir m_dir;
    ScriptedUiServices m_ui;
    std::unique_ptr<SettingsStore> m_store;
    QLocale m_previousLocale;
    int m_previousLockWaitMs = 0;
};
