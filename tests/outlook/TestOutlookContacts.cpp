#include "FakePim.h"
#include "TestEnvironment.h"

#include "outlook/OutlookContacts.h"
#include "outlook/OutlookProgress.h"

#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

// Records what the operations show, in order: "TellEm <text>", "ButtonOn 1", "Maximum 3",
// "Value 2", "Close", "KeepOpen".
class RecordingProgress : public OutlookProgress {
public:
    explicit RecordingProgress(QStringList& log) : m_log(log) { m_log << QStringLiteral("Show"); }
    void tellEm(const QString& text) override { m_log << QStringLiteral("TellEm ") + text; }
    void buttonOn(bool on) override { m_log << QStringLiteral("ButtonOn %1").arg(on); }
    void setProgressMaximum(int maximum) override {
        m_log << QStringLiteral("Maximum %1").arg(maximum);
    }
    void setProgressValue(int value) override { m_log << QStringLiteral("Value %1").arg(value); }
    void finish() override {
        m_log << QStringLiteral("Close");
        delete this;
    }
    void keepOpen() override {
        m_log << QStringLiteral("KeepOpen");
        delete this;
    }

private:
    QStringList& m_log;
};

// What the log holds after `prefix` and a blank, in order.
QStringList entries(const QStringList& log, const QString& prefix) {
    QStringList found;
    for (const QString& entry : log)
        if (entry.startsWith(prefix + u' '))
            found << entry.mid(prefix.size() + 1);
    return found;
}

// Every field of a contact in one text.
QString describe(const Contact* c) {
    return c ? QStringList{c->key(),     c->firstName(),  c->lastName(),     c->fileAs(),
                           c->company(), c->department(), c->businessPhone()}
                   .join(u'|')
             : QStringLiteral("none");
}

} // namespace

class TestOutlookContacts : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadContactsFromFolder();
    void loadContactsFailureKeepsWhatWasRead();
    void loadContactsWithoutProgram();
    void tryOutlook_data();
    void tryOutlook();
    void readsAtMost32767();

private:
    QStringList m_log;
    QList<QObject*> m_focused;
};

void TestOutlookContacts::init() {
    m_log.clear();
    m_focused.clear();
    OutlookProgress::setFactory([this] { return new RecordingProgress(m_log); });
    OutlookProgress::setFocusHandler([this](QObject* window) { m_focused << window; });
}

void TestOutlookContacts::cleanup() {
    OutlookProgress::setFactory({});
    OutlookProgress::setFocusHandler({});
    FakePim::uninstall();
}

void TestOutlookContacts::loadContactsFromFolder() {
    TestEnvironment env;
    const QString folder = env.path(QStringLiteral("contacts"));
    QVERIFY(QDir().mkpath(folder));
    for (const char* name : {"contacts-1-v21.vcf", "contacts-2-v30.vcf", "contacts-4-damaged.vcf"})
        QVERIFY(QFile::copy(QStringLiteral(CORVANE_TEST_DATA "/vcard/") + QLatin1String(name),
                            folder + u'/' + QLatin1String(name)));
    useContactsFolder(folder, env);

    OutlookContacts contacts(env.store());
    QVERIFY(!contacts.contactsLoaded());
    contacts.loadContacts();
    QVERIFY2(!contacts.outlookError(), qPrintable(contacts.outlookErrorMessage()));
    QVERIFY(contacts.contactsLoaded());
    QCOMPARE(contacts.count(), 8);
    QCOMPARE(contacts.item(8)->key(), QStringLiteral("Key=8"));
    QCOMPARE(describe(contacts.item(1)), QStringLiteral("Key=1|Ingrid|Sjöberg|Sjöberg, Ingrid|"
                                                        "Nordvik Marine Supply|Procurement|"
                                                        "+46 31 555 0177"));

    // The window: maximum, one line and one step per contact, closed at the end.
    QCOMPARE(m_log.first(), QStringLiteral("Show"));
    QCOMPARE(entries(m_log, "Maximum"), QStringList{"8"});
    QCOMPARE(entries(m_log, "TellEm").size(), 8);
    QCOMPARE(entries(m_log, "TellEm").at(3), QStringLiteral("Quade, Marisol (Barrow)"));
    QCOMPARE(entries(m_log, "Value").last(), QStringLiteral("8"));
    QCOMPARE(m_log.last(), QStringLiteral("Close"));
    QCOMPARE(env.ui().waitCursorChanges(), (QList<bool>{true, false}));
    QVERIFY(env.ui().messages().isEmpty());

    // A second load appends again; callers test ContactsLoaded first.
    contacts.loadContacts();
    QCOMPARE(contacts.count(), 16);
    QCOMPARE(contacts.item(9)->key(), QStringLiteral("Key=1"));
}

void TestOutlookContacts::loadContactsFailureKeepsWhatWasRead() {
    TestEnvironment env;
    FakePimScript script;
    for (const char* name : {"Ada", "Ben", "Cal", "Dee", "Eve"})
        script.contacts << FakePim::contact(QLatin1String(name), QStringLiteral("Lee"));
    script.failAtItem = 3;
    FakePim::install(script);

    OutlookContacts contacts(env.store());
    contacts.loadContacts();
    QVERIFY(contacts.outlookError());
    QVERIFY(!contacts.contactsLoaded());
    QVERIFY(contacts.outlookErrorMessage().contains(QStringLiteral("item 3")));
    QCOMPARE(contacts.count(), 2);
    QCOMPARE(describe(contacts.item(2)),
             QStringLiteral("Key=2|Ben|Lee|Lee, Ben|Co Lee|Dept|555-Ben"));
    QCOMPARE(m_log.last(), QStringLiteral("Close"));
    QCOMPARE(env.ui().waitCursorChanges(), (QList<bool>{true, false}));
    QVERIFY(env.ui().messages().isEmpty());

    // A failing log-off also fails the load.
    script.failAtItem = 0;
    script.failLogoff = true;
    OutlookContacts other(env.store());
    other.loadContacts();
    QVERIFY(other.outlookError());
    QVERIFY(!other.contactsLoaded());
    QCOMPARE(other.count(), 5);

    // OutlookError tells of the last operation only.
    script.failLogoff = false;
    contacts.loadContacts();
    QVERIFY(!contacts.outlookError());
    QVERIFY(contacts.contactsLoaded());
    QCOMPARE(contacts.count(), 7);
}

void TestOutlookContacts::loadContactsWithoutProgram() {
    TestEnvironment env;
    QFile blocker(env.path(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    useContactsFolder(env.path(QStringLiteral("file/contacts")), env);
    OutlookContacts contacts(env.store());
    contacts.loadContacts();
    QVERIFY(contacts.outlookError());
    QVERIFY(contacts.outlookErrorMessage().contains(env.path(QStringLiteral("file/contacts"))));
    QVERIFY(!contacts.contactsLoaded());
    QCOMPARE(contacts.count(), 0);
    QCOMPARE(m_log, (QStringList{"Show", "Close"}));
    QCOMPARE(env.ui().waitCursorChanges(), (QList<bool>{true, false}));
}

void TestOutlookContacts::tryOutlook_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("failLogon");
    QTest::addColumn<int>("failAtItem");
    QTest::addColumn<QStringList>("lines");

    const QStringList start{"Opening the mail and calendar folders",
                            "Opened the folders, version 16.0.4711", "Opening the contacts folder",
                            "Opened the contacts folder"};
    const QStringList end{"Closing the folders", "Closed the folders"};
    const QStringList failed{"The folders could not be used.",
                             "Press the button on the left to continue."};
    QTest::newRow("three contacts")
        << 3 << false << 0
        << start + QStringList{"Reading 3 contacts.", "Lee, Ada", "Lee, Ben", "Lee, Cal"} + end;
    // No number at all for none.
    QTest::newRow("no contacts") << 0 << false << 0
                                 << start + QStringList{"Reading  contacts."} + end;
    QTest::newRow("log-on refused")
        << 3 << true << 0 << QStringList{"Opening the mail and calendar folders"} + failed;
    QTest::newRow("item unreadable")
        << 3 << false << 2 << start + QStringList{"Reading 3 contacts.", "Lee, Ada"} + failed;
}

void TestOutlookContacts::tryOutlook() {
    QFETCH(int, count);
    QFETCH(bool, failLogon);
    QFETCH(int, failAtItem);
    QFETCH(QStringList, lines);
    const bool success = !failLogon && failAtItem == 0;

    TestEnvironment env;
    FakePimScript script;
    for (const char* name : {"Ada", "Ben", "Cal"})
        script.contacts << FakePim::contact(QLatin1String(name), QStringLiteral("Lee"));
    script.contacts = script.contacts.mid(0, count);
    script.failLogon = failLogon;
    script.failAtItem = failAtItem;
    FakePim::install(script);

    QObject parentForm;
    OutlookContacts contacts(env.store());
    contacts.setParentForm(&parentForm);
    QCOMPARE(contacts.tryOutlook(), success);
    QCOMPARE(contacts.outlookError(), !success);
    QCOMPARE(entries(m_log, "TellEm"), lines);
    QCOMPARE(contacts.count(), 0); // only read, never added
    QVERIFY(!contacts.contactsLoaded());
    QCOMPARE(env.ui().waitCursorChanges(), (QList<bool>{true, false}));
    QCOMPARE(entries(m_log, "Maximum"),
             count > 0 && !failLogon ? QStringList{QString::number(count)} : QStringList());
    if (success) {
        QCOMPARE(m_log.last(), QStringLiteral("Close"));
        QVERIFY(entries(m_log, "ButtonOn").isEmpty());
        QCOMPARE(m_focused, QList<QObject*>{&parentForm});
        QCOMPARE(env.ui().messages().size(), 1);
        const ScriptedUiServices::Message& message = env.ui().messages().first();
        QCOMPARE(message.text, QStringLiteral("The contacts folder was read. Corvane can use the "
                                              "mail, calendar and contacts folders."));
        QCOMPARE(message.title, QStringLiteral("Test Folders"));
        QCOMPARE(message.icon, UiServices::Icon::Information);
        QCOMPARE(message.buttons, UiServices::Buttons::Ok);
    } else {
        // The window stays for the user, with its button on; nothing else is said.
        QCOMPARE(m_log.mid(m_log.size() - 2), (QStringList{"ButtonOn 1", "KeepOpen"}));
        QVERIFY(!m_log.contains(QStringLiteral("Close")));
        QVERIFY(m_focused.isEmpty());
        QVERIFY(env.ui().messages().isEmpty());
        QVERIFY(!contacts.outlookErrorMessage().isEmpty());
    }
}

void TestOutlookContacts::readsAtMost32767() {
    TestEnvironment env;
    FakePimScript script;
    script.contacts.fill(FakePim::contact(QStringLiteral("Ann"), QStringLiteral("Ash")), 32768);
    FakePim::install(script);
    OutlookContacts contacts(env.store());
    contacts.loadContacts();
    QVERIFY(contacts.contactsLoaded());
    QCOMPARE(contacts.count(), 32767);
    QCOMPARE(contacts.item(32767)->key(), QStringLiteral("Key=32767"));
    m_log.clear();
    QVERIFY(contacts.tryOutlook());
    QVERIFY(entries(m_log, "TellEm").contains(QStringLiteral("Reading 32767 contacts.")));
}

QTEST_GUILESS_MAIN(TestOutlookContacts)
#include "TestOutlookContacts.moc"
