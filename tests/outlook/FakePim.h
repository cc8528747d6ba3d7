#pragma once

#include "pim/PimApplication.h"

#include <QList>
#include <QString>

class TestEnvironment;

// Points the adapter's contacts folder at `contacts`, its other folders into `env`.
void useContactsFolder(const QString& contacts, TestEnvironment& env);

// An application object for contact tests: a fixed list of contacts, and failures where the
// test asks for them.
struct FakePimScript {
    QList<PimApplication::ContactFields> contacts;
    QString version = QStringLiteral("16.0.4711");
    bool failLogon = false;
    bool failLogoff = false;
    qint32 failAtItem = 0; // 0: none
};

class FakePim : public PimApplication {
public:
    // Makes PimApplication::create() answer from `script` (which must outlive the test).
    static void install(const FakePimScript& script);
    static void uninstall();
    static PimApplication::ContactFields contact(const QString& first, const QString& last);

    explicit FakePim(const FakePimScript& script) : m_script(script) {}
    PimValue<QString> version() const override { return m_script.version; }
    PimValue<std::unique_ptr<Namespace>> getNamespace(const QString& type) override;
    PimValue<std::unique_ptr<MailItem>> createMailItem() override {
        return PimResult::failure(QStringLiteral("not in this test"));
    }
    PimValue<std::unique_ptr<AppointmentItem>> createAppointmentItem() override {
        return PimResult::failure(QStringLiteral("not in this test"));
    }
    PimValue<std::unique_ptr<TaskItem>> createTaskItem() override {
        return PimResult::failure(QStringLiteral("not in this test"));
    }

private:
    const FakePimScript& m_script;
};
