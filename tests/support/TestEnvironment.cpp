#include "TestEnvironment.h"

#include "platform/SettingsStore.h"
#ifdef CORVANE_TEST_STORE
#include "store/SalesFile.h"

namespace {
// Long enough for a test's own quick operations, short enough that a held file fails fast.
constexpr int TestLockWaitMs = 200;
} // namespace
#endif

TestEnvironment::TestEnvironment(const QLocale& locale) {
    QLocale::setDefault(locale);
    m_store = std::make_unique<SettingsStore>(settingsPath());
    UiServices::setInstance(&m_ui);
#ifdef CORVANE_TEST_STORE
    m_previousLockWaitMs = SalesFile::lockWaitMs();
    SalesFile::setLockWaitMs(TestLockWaitMs);
#endif
}

TestEnvironment::~TestEnvironment() {
#ifdef CORVANE_TEST_STORE
    SalesFile::setLockWaitMs(m_previousLockWaitMs);
#endif
    UiServices::setInstance(nullptr);
    m_store.reset();
    QLocale::setDefault(m_previousLocale);
}
