#include "TestEnvironment.h"

#include "platform/SettingsStore.h"

TestEnvironment::TestEnvironment(const QLocale& locale) {
    QLocale::setDefault(locale);
    m_store = std::make_unique<SettingsStore>(settingsPath());
    UiServices::setInstance(&m_ui);
}

TestEnvironment::~TestEnvironment() {
    UiServices::setInstance(nullptr);
    m_store.reset();
    QLocale::setDefault(m_previousLocale);
}
