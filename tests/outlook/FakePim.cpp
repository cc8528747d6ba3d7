#include "FakePim.h"
#include "TestEnvironment.h"

#include "platform/SettingsStore.h"

#include <QTest>

namespace {
class FakeItems : public PimApplication::Items {
public:
    explicit FakeItems(const FakePimScript& script) : m_script(script) {}
    qint32 count() const override { return static_cast<qint32>(m_script.contacts.size()); }
    PimValue<PimApplication::ContactFields> item(qint32 index) const override {
        if (index == m_script.failAtItem)
            return PimResult::failure(QStringLiteral("item %1 is damaged").arg(index));
        return m_script.contacts.at(index - 1);
    }

private:
    const FakePimScript& m_script;
};

class FakeNamespace : public PimApplication::Namespace {
public:
    explicit FakeNamespace(const FakePimScript& script) : m_script(script) {}
    PimResult logon() override {
        return m_script.failLogon ? PimResult::failure(QStringLiteral("log-on refused"))
                                  : PimResult();
    }
    PimResult logoff() override {
        return m_script.failLogoff ? PimResult::failure(QStringLiteral("log-off refused"))
                                   : PimResult();
    }
    PimValue<std::unique_ptr<PimApplication::Items>>
    getDefaultFolderItems(PimApplication::FolderType) override {
        return std::unique_ptr<PimApplication::Items>(std::make_unique<FakeItems>(m_script));
    }

private:
    const FakePimScript& m_script;
};
} // namespace

void FakePim::install(const FakePimScript& script) {
    PimApplication::setFactory([&script]() -> PimValue<std::unique_ptr<PimApplication>> {
        return std::unique_ptr<PimApplication>(std::make_unique<FakePim>(script));
    });
}

void FakePim::uninstall() {
    PimApplication::setFactory({});
}

PimApplication::ContactFields FakePim::contact(const QString& first, const QString& last) {
    return {first,
            last,
            last + QStringLiteral(", ") + first,
            QStringLiteral("Co ") + last,
            QStringLiteral("Dept"),
            QStringLiteral("555-") + first};
}

PimValue<std::unique_ptr<PimApplication::Namespace>> FakePim::getNamespace(const QString&) {
    return std::unique_ptr<Namespace>(std::make_unique<FakeNamespace>(m_script));
}

void useContactsFolder(const QString& contacts, TestEnvironment& env) {
    const QString app = QStringLiteral("Corvane");
    const QString section = QStringLiteral("Outlook");
    SettingsStore& store = env.store();
    QVERIFY(store.saveSetting(app, section, QStringLiteral("ContactsFolder"), contacts));
    QVERIFY(store.saveSetting(app, section, QStringLiteral("CalendarFolder"),
                              env.path(QStringLiteral("calendar"))));
    QVERIFY(store.saveSetting(app, section, QStringLiteral("DraftsFolder"),
                              env.path(QStringLiteral("drafts"))));
}
