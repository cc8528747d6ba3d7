// The options dialog through its named controls: loading, the column list, Apply with its
// signals and saves, the connection test, Cancel, and the adapter's folders with their checks.

#include "pim/PimApplication.h"
#include "pim/PimFolders.h"
#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/FolderCheck.h"
#include "settings/OptionsDialog.h"
#include "settings/SortChoice.h"
#include "settings/User.h"

#include "DialogTest.h"
#include "TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>

namespace {
QLineEdit* box(QWidget& dialog, const char* name) {
    return control<QLineEdit>(dialog, name);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

void makeFile(const QString& path, const QByteArray& bytes = {}) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_env = std::make_unique<TestEnvironment>();
        m_sorting = SortChoice();
    }
    void cleanup() {
        m_columns.reset();
        m_user.reset();
        m_env.reset();
    }

    void loads_data();
    void loads();
    void applyColumnsAndSort_data();
    void applyColumnsAndSort();
    void applyProfileAndOutlookUse();
    void testOutlook_data();
    void testOutlook();
    void cancelWritesNothing();
    void folderChecks_data();
    void folderChecks();

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<User> m_user;
    std::unique_ptr<ColumnsInfo> m_columns;
    SortChoice m_sorting;

    std::unique_ptr<OptionsDialog> open() {
        m_user = std::make_unique<User>(m_env->store());
        m_columns = std::make_unique<ColumnsInfo>(m_env->store());
        auto dialog =
            std::make_unique<OptionsDialog>(*m_user, *m_columns, m_sorting, m_env->store());
        dialog->show();
        return dialog;
    }
};

void TestOptionsDialog::loads_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("lastSent");
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << "3/7/2026";
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "07.03.2026";
}

void TestOptionsDialog::loads() {
    QFETCH(QLocale, locale);
    QFETCH(QString, lastSent);
    QLocale::setDefault(locale);
    const char* profile[][2] = {{"Sales_Rep", "Kim"}, {"Company", "Northwind"},
                                {"ID", "E-7"},        {"Territory", "Alps"},
                                {"email", "kim@x"},   {"emailcc", "cc@x"},
                                {"HQemail", "hq@x"},  {"UseOutlook", "True"}};
    for (const auto& [name, value] : profile)
        m_env->store().saveSetting("Corvane", "User", name, value);
    m_env->store().saveSetting("Corvane", "User", "LastSent",
                               LocaleText::shortDate(QDate(2026, 3, 7)));
    for (const char* hidden : {"NoteDisplay", "UnitPriceDisplay"})
        m_env->store().saveSetting("Corvane", "Display", hidden, "False");
    const auto dialog = open();
    QString boxes;
    for (const char* name : {"txt_User", "txt_Company", "txt_ID", "txt_Territory", "txt_email",
                             "txt_emailcc", "txt_HQemail", "txt_LasteDate"})
        boxes += box(*dialog, name)->text() + u'|';
    QCOMPARE(boxes, "Kim|Northwind|E-7|Alps|kim@x|cc@x|hq@x|" + lastSent + u'|');
    QVERIFY(box(*dialog, "txt_LasteDate")->isReadOnly());
    QVERIFY(control<QCheckBox>(*dialog, "checkOutlook")->isChecked());
    // The list's columns in its order, with its captions: "Note" and "Price" unmarked, "Price"
    // after "Product" and before "Qty.".
    QCOMPARE(checkMarks(*dialog, "lst_Columns"), QStringLiteral("xxxx-x-xxxxxxx"));
    QCOMPARE(control<QTabBar>(*dialog, "tabOptions")->currentIndex(), 0);
    QVERIFY(control(*dialog, "frame_Columns")->isVisible());
    control<QTabBar>(*dialog, "tabOptions")->setCurrentIndex(2);
    QVERIFY(control(*dialog, "frame_Connect")->isVisible());
    QVERIFY(!control(*dialog, "frame_Columns")->isVisible());
    QVERIFY(!control(*dialog, "frame_User")->isVisible());

    dialog->apply(); // reads the shown date back unchanged
    QCOMPARE(m_user->lastSent(), QDate(2026, 3, 7));
}

void TestOptionsDialog::applyColumnsAndSort_data() {
    QTest::addColumn<QString>("unmark");
    QTest::addColumn<QString>("sortKey");
    QTest::addColumn<QString>("hidden"); // column keys hidden after Apply
    QTest::addColumn<bool>("sortDropped");

    const auto row = [](const char* tag, const char* unmark, const char* sortKey,
                        const char* hidden, bool dropped) {
        QTest::newRow(tag) << QString(unmark) << QString(sortKey) << QString(hidden) << dropped;
    };
    row("Price", "Price", "Revenue", "UnitPrice", false);
    row("Quantity", "Qty.", "", "Quantity", false);
    row("Notes", "Note", "", "Note", false);
    row("sorted column hidden", "YY-MM-DD", "OrderDate", "OrderDate", true);
    row("nothing changed, sorted", "", "Company", "", false);
}

void TestOptionsDialog::applyColumnsAndSort() {
    QFETCH(QString, unmark);
    QFETCH(QString, sortKey);
    QFETCH(QString, hidden);
    QFETCH(bool, sortDropped);
    if (!sortKey.isEmpty()) {
        m_sorting.setDisplaySortKey(sortKey);
        m_sorting.setDisplaySorted(true);
    }
    const auto dialog = open();
    QSignalSpy columns(dialog.get(), &OptionsDialog::columnsChanged);
    QSignalSpy dropped(dialog.get(), &OptionsDialog::sortDropped);
    QSignalSpy rebuild(dialog.get(), &OptionsDialog::listRebuildRequested);
    for (QListWidgetItem* entry :
         control<QListWidget>(*dialog, "lst_Columns")->findItems(unmark, Qt::MatchExactly))
        entry->setCheckState(unmark.isEmpty() ? Qt::Checked : Qt::Unchecked);
    click(*dialog, "cmd_Apply");

    QStringList actual;
    for (const ColumnStatus& column : *m_columns)
        if (!column.isDisplayed())
            actual << column.key();
    QCOMPARE(actual.join(u','), hidden);
    QCOMPARE(columns.size(), hidden.isEmpty() ? 0 : 1);
    QCOMPARE(dropped.size(), sortDropped ? 1 : 0);
    QCOMPARE(m_sorting.displaySorted(), !sortKey.isEmpty() && !sortDropped);
    QCOMPARE(m_sorting.displaySortKey().value_or(QString()), sortKey); // the key stays
    QCOMPARE(rebuild.size(), 1);
    QCOMPARE(m_env->ui().beeps(), 1);
    QVERIFY(dialog->isVisible());
    QSettings raw(m_env->settingsPath(), QSettings::IniFormat); // saved at once
    QCOMPARE(raw.value("Display/UnitPriceDisplay").toString(),
             hidden == "UnitPrice" ? QStringLiteral("False") : QStringLiteral("True"));
}

void TestOptionsDialog::applyProfileAndOutlookUse() {
    const auto dialog = open();
    QSignalSpy outlook(dialog.get(), &OptionsDialog::outlookUseChanged);
    auto* check = control<QCheckBox>(*dialog, "checkOutlook");
    click(*dialog, "cmd_Apply");
    QVERIFY(outlook.isEmpty()); // unchanged: no object made or released
    // The folders are stored; the standard ones where the fields were left as shown.
    QCOMPARE(PimFolders::fromSettings(m_env->store()).calendarFolder(),
             PimFolders::defaultFolder("Calendar"));
    box(*dialog, "txt_ContactsFolder")->setText(m_env->path("mine"));

    for (const bool use : {true, false}) {
        check->setChecked(use);
        box(*dialog, "txt_User")->setText(use ? "Ann" : "Ann Berg");
        click(*dialog, use ? "cmd_Apply" : "cmd_OK");
        QCOMPARE(outlook.size(), 1);
        QCOMPARE(outlook.takeFirst().at(0).toBool(), use);
        QCOMPARE(m_user->useOutlook(), use);
    }
    QVERIFY(!dialog->isVisible());
    QSettings raw(m_env->settingsPath(), QSettings::IniFormat);
    QCOMPARE(raw.value("User/Sales_Rep").toString(), QStringLiteral("Ann Berg"));
    QCOMPARE(raw.value("User/UseOutlook").toString(), QStringLiteral("False"));
    QCOMPARE(PimFolders::fromSettings(m_env->store()).contactsFolder(), m_env->path("mine"));
}

void TestOptionsDialog::testOutlook_data() {
    QTest::addColumn<bool>("reachable");
    QTest::newRow("reachable") << true;
    QTest::newRow("unreachable") << false;
}

void TestOptionsDialog::testOutlook() {
    QFETCH(bool, reachable);
    makeFile(m_env->path("file"));
    m_env->store().flush();
    const QByteArray before = fileBytes(m_env->settingsPath());

    const auto dialog = open();
    auto* check = control<QCheckBox>(*dialog, "checkOutlook");
    check->setChecked(!reachable);
    // The test uses the folders as the dialog shows them.
    const QString base = m_env->path(reachable ? "pim/" : "file/");
    box(*dialog, "txt_ContactsFolder")->setText(base + "contacts");
    box(*dialog, "txt_CalendarFolder")->setText(base + "calendar");
    QVERIFY(QDir().mkpath(base + "drafts") == reachable);
    m_env->ui().queueFile(base + "drafts");
    click(*dialog, "cmdBrowseDrafts"); // a folder chosen in the file dialog
    QVERIFY(m_env->ui().fileRequests().value(0).folder);
    QCOMPARE(box(*dialog, "txt_DraftsFolder")->text(), base + "drafts");
    QCOMPARE(control<QLabel>(*dialog, "lbl_DraftsCheck")->text(),
             reachable ? "Can be read and written." : "Does not exist and cannot be made.");
    click(*dialog, "cmdTest");

    QCOMPARE(check->isChecked(), reachable);
    QVERIFY(!PimApplication::factory()); // the standard adapter is back
    // The success message itself: TestOutlookContacts.
    QCOMPARE(m_env->ui().messages().size(), reachable ? 1 : 0);
    // Nothing applied: Cancel leaves the profile and the store as they were.
    click(*dialog, "cmd_Cancel");
    QVERIFY(!dialog->isVisible());
    QVERIFY(!m_user->useOutlook());
    QCOMPARE(fileBytes(m_env->settingsPath()), before);
}

void TestOptionsDialog::cancelWritesNothing() {
    {
        User stored(m_env->store());
        stored.setSalesRep("Kim");
        stored.saveUser();
    }
    const QByteArray before = fileBytes(m_env->settingsPath());
    const auto dialog = open();
    QSignalSpy rebuild(dialog.get(), &OptionsDialog::listRebuildRequested);
    for (const char* name : {"txt_User", "txt_Company", "txt_ID", "txt_Territory", "txt_email",
                             "txt_HQemail", "txt_emailcc", "txt_DraftsFolder"})
        box(*dialog, name)->setText("changed");
    control<QCheckBox>(*dialog, "checkOutlook")->setChecked(true);
    control<QListWidget>(*dialog, "lst_Columns")->item(9)->setCheckState(Qt::Unchecked);
    for (const char* next : {"Unse&lect All", "Se&lect All"}) { // Select All twice
        click(*dialog, "cmdSelectAll");
        QCOMPARE(checkMarks(*dialog, "lst_Columns"), QString(14, next[0] == 'U' ? u'x' : u'-'));
        QCOMPARE(control<QPushButton>(*dialog, "cmdSelectAll")->text(), QLatin1String(next));
    }
    dialog->close(); // the window frame's close is Cancel

    QCOMPARE(fileBytes(m_env->settingsPath()), before);
    QCOMPARE(m_user->salesRep(), QStringLiteral("Kim"));
    QVERIFY(!m_user->useOutlook());
    QVERIFY(m_columns->item("Description")->isDisplayed());
    QVERIFY(rebuild.isEmpty());
    QCOMPARE(m_env->ui().beeps(), 0);
}

void TestOptionsDialog::folderChecks_data() {
    QTest::addColumn<QString>("path"); // "@" stands for the test folder
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");

    QTest::newRow("folder, read") << "@/dir" << false << true << "Can be read.";
    QTest::newRow("folder, written") << "@/dir" << true << true << "Can be read and written.";
    QTest::newRow("read-only, written")
        << "@/readonly" << true << false << "Can be read but not written.";
    QTest::newRow("not there yet")
        << "@/dir/new/deeper" << true << true << "Not there yet; it is made when first used.";
    QTest::newRow("under a file") << "@/file/sub" << true << false
                                  << "Does not exist and cannot be made.";
    QTest::newRow("a file") << "@/file" << false << false << "Not a folder.";
    QTest::newRow("relative") << "contacts" << false << false
                              << "Give the full path of the folder.";
    QTest::newRow("empty") << "  " << false << false << "No folder is set.";
}

void TestOptionsDialog::folderChecks() {
    QFETCH(QString, path);
    QFETCH(bool, writable);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    QVERIFY(QDir().mkpath(m_env->path("dir")) && QDir().mkpath(m_env->path("readonly")));
    QFile::setPermissions(m_env->path("readonly"), QFile::ReadOwner | QFile::ExeOwner);
    makeFile(m_env->path("file"));
    if (path.contains("readonly") && QFileInfo(m_env->path("readonly")).isWritable())
        QSKIP("the read-only folder is writable for this user (root)");

    const FolderCheck check = FolderCheck::check(path.replace(u'@', m_env->path("")), writable);
    QFile::setPermissions(m_env->path("readonly"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(check.text(), text);
    QCOMPARE(check.ok(), ok);
    QVERIFY(!QFileInfo::exists(m_env->path("dir/new"))); // a check makes nothing
}

QTEST_MAIN(TestOptionsDialog)
#include "TestOptionsDialog.moc"
