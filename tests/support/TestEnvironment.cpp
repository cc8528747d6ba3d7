#include "TestEnvironment.h"

#include "platform/SettingsStore.h"

TestEnvironment::TestEnvironment(const QLocale& locale) {
    QLocale::setDefault(locale);
    SettingsStore::setFilePath(settingsPath());
    UiServices::setInstance(&m_ui);
}

TestEnvironment::~TestEnvironment() {
    UiServices::setInstance(nullptr);
    SettingsStore::setFilePath(path(QStringLiteral("after.ini")));
    QLocale::setDefault(m_previousLocale);
}
