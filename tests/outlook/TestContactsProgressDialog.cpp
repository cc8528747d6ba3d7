#include "FakePim.h"
#include "TestEnvironment.h"

#include "outlook/ContactsProgressDialog.h"
#include "outlook/OutlookContacts.h"
#include "pim/VCardReader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>
#include <QtTest>

namespace {
QList<ContactsProgressDialog*> progressWindows() {
    QList<ContactsProgressDialog*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<ContactsProgressDialog*>(widget);
            window && window->isVisible())
            windows << window;
    return windows;
}

void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

class TestContactsProgressDialog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ContactsProgressDialog::install(); }
    void cleanup();
    void controlsAndStatusLines();
    void failedTestWaitsForButton();
    void successfulTestClosesWindow();
};

void TestContactsProgressDialog::cleanup() {
    FakePim::uninstall();
    for (ContactsProgressDialog* window : progressWindows())
        window->close();
    flushDeletes();
}

void TestContactsProgressDialog::controlsAndStatusLines() {
    ContactsProgressDialog window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    auto* status = window.findChild<QPlainTextEdit*>(QStringLiteral("txtStatus"));
    QVERIFY(status && status->isReadOnly());
    // Closing the window never ends the application.
    QVERIFY(!window.testAttribute(Qt::WA_QuitOnClose));
    window.show();
    window.tellEm(QStringLiteral("Opening the mail and calendar folders"));
    window.tellEm(QString());
    window.tellEm(QStringLiteral("Quade, Marisol"));
    // Each line after CR LF, so the text begins with an empty line.
    QCOMPARE(window.statusText(),
             QStringLiteral("\r\nOpening the mail and calendar folders\r\n\r\nQuade, Marisol"));
    QCOMPARE(status->toPlainText(),
             QStringLiteral("\nOpening the mail and calendar folders\n\nQuade, Marisol"));
    QVERIFY(status->textCursor().atEnd());
}

void TestContactsProgressDialog::failedTestWaitsForButton() {
    TestEnvironment env;
    FakePimScript script;
    script.failLogon = true;
    FakePim::install(script);
    OutlookContacts contacts(env.store());
    QVERIFY(!contacts.tryOutlook());
    flushDeletes();

    const QList<ContactsProgressDialog*> windows = progressWindows();
    QCOMPARE(windows.size(), 1);
    QPointer<ContactsProgressDialog> window = windows.first();
    auto* status = window->findChild<QPlainTextEdit*>(QStringLiteral("txtStatus"));
    QCOMPARE(
        status->toPlainText(),
        QStringLiteral("\nOpening the mail and calendar folders\nThe folders could not be used.\n"
                       "Press the button on the left to continue."));
    auto* button = window->findChild<QToolButton*>(QStringLiteral("cmdPushed"));
    QVERIFY(button->isEnabled());
    QVERIFY(env.ui().messages().isEmpty());

    QTest::mouseClick(button, Qt::LeftButton);
    flushDeletes();
    QVERIFY(window.isNull());
}

void TestContactsProgressDialog::successfulTestClosesWindow() {
    TestEnvironment env;
    FakePimScript script;
    script.contacts << FakePim::contact(QStringLiteral("Ada"), QStringLiteral("Lee"));
    FakePim::install(script);
    QWidget parentForm;
    parentForm.show();
    OutlookContacts contacts(env.store());
    contacts.setParentForm(&parentForm);
    // While the message box is up the window is already gone.
    env.ui().onMessage([&](const ScriptedUiServices::Message&) {
        flushDeletes();
        QVERIFY(progressWindows().isEmpty());
    });
    QVERIFY(contacts.tryOutlook());
    flushDeletes();
    QVERIFY(progressWindows().isEmpty());
    QCOMPARE(env.ui().messages().size(), 1);
}

QTEST_MAIN(TestContactsProgressDialog)
#include "TestContactsProgressDialog.moc"
