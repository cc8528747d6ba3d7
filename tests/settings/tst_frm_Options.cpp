// The options dialog through its named controls: loading, the column list, Apply with its
// signals and saves, the connection test, Cancel, and the adapter's folders with their checks.

#include "pim/PimApplication.h"
#include "pim/PimFolders.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/FolderCheck.h"
#include "settings/Settings.h"
#include "settings/User.h"
#include "settings/frm_Options.h"

#include "TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

namespace {
template <typename T> T* control(QWidget& dialog, const QString& name) {
    T* found = dialog.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

QListWidgetItem* entry(QWidget& dialog, const QString& text) {
    const auto found = control<QListWidget>(dialog, "lst_Columns")->findItems(text, Qt::MatchExactly);
    if (found.size() != 1)
        qFatal("no entry %s", qPrintable(text));
    return found.first();
}

QString marks(QWidget& dialog) {
    QString text;
    const auto* list = control<QListWidget>(dialog, "lst_Columns");
    for (int row = 0; row < list->count(); ++row)
        text += list->item(row)->checkState() == Qt::Checked ? u'x' : u'-';
    return text;
}
} // namespace

class tst_frm_Options : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loads_data();
    void loads();
    void selectAllTwice();
    void applyColumnsAndSort_data();
    void applyColumnsAndSort();
    void applyProfileAndOutlookUse();
    void testOutlook_data();
    void testOutlook();
    void cancelWritesNothing();
    void folderChecks_data();
    void folderChecks();
    void browseAndStoreFolders();

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<User> m_user;
    std::unique_ptr<ColumnsInfo> m_columns;
    Settings m_sorting;

    std::unique_ptr<frm_Options> open() {
        m_user = std::make_unique<User>();
        m_columns = std::make_unique<ColumnsInfo>();
        auto dialog = std::make_unique<frm_Options>(*m_user, *m_columns, m_sorting);
        dialog->show();
        return dialog;
    }
};

void tst_frm_Options::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_sorting = Settings();
}

void tst_frm_Options::cleanup() {
    m_columns.reset();
    m_user.reset();
    m_env.reset();
}

void tst_frm_Options::loads_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("lastSent");
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << "3/7/2026";
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "07.03.2026";
    QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "07/03/2026";
}

void tst_frm_Options::loads() {
    QFETCH(QLocale, locale);
    QFETCH(QString, lastSent);
    QLocale::setDefault(locale);
    {
        User stored;
        stored.setSales_Rep("Kim Lasser");
        stored.setCompany("Northwind");
        stored.setID("E-7");
        stored.setTerritory("Alps");
        stored.setemail("kim@example.com");
        stored.setemailcc("cc@example.com");
        stored.setHQemail("hq@example.com");
        stored.setLastSent(QDate(2026, 3, 7));
        stored.setUseOutlook(true);
        stored.SaveUser();
        ColumnsInfo columns;
        columns.Item("Note")->setCDisplay(false);
        columns.Item("UnitPrice")->setCDisplay(false);
        columns.Save();
    }
    const auto dialog = open();
    const QList<std::pair<const char*, const char*>> boxes{
        {"txt_User", "Kim Lasser"},     {"txt_Company", "Northwind"},
        {"txt_ID", "E-7"},              {"txt_Territory", "Alps"},
        {"txt_email", "kim@example.com"}, {"txt_emailcc", "cc@example.com"},
        {"txt_HQemail", "hq@example.com"}};
    for (const auto& [name, text] : boxes)
        QCOMPARE(control<QLineEdit>(*dialog, name)->text(), QLatin1String(text));
    auto* last = control<QLineEdit>(*dialog, "txt_LasteDate");
    QCOMPARE(last->text(), lastSent);
    QVERIFY(last->isReadOnly());
    QVERIFY(control<QCheckBox>(*dialog, "checkOutlook")->isChecked());
    // "Notes" and "Price" unmarked; "Quantity" stands above "Price".
    QCOMPARE(marks(*dialog), QStringLiteral("xxxx-xx-xxxxxx"));
    QCOMPARE(control<QListWidget>(*dialog, "lst_Columns")->item(7)->text(), QStringLiteral("Price"));
    QCOMPARE(control<QTabBar>(*dialog, "tabOptions")->currentIndex(), 0);
    QVERIFY(control<QWidget>(*dialog, "frame_Columns")->isVisible());
    QVERIFY(!control<QWidget>(*dialog, "frame_User")->isVisible());
    QVERIFY(!control<QWidget>(*dialog, "frame_Connect")->isVisible());
    control<QTabBar>(*dialog, "tabOptions")->setCurrentIndex(2);
    QVERIFY(control<QWidget>(*dialog, "frame_Connect")->isVisible());
    QVERIFY(!control<QWidget>(*dialog, "frame_Columns")->isVisible());

    // Apply reads the shown date back unchanged.
    dialog->Apply();
    QCOMPARE(m_user->LastSent(), QDate(2026, 3, 7));
}

void tst_frm_Options::selectAllTwice() {
    const auto dialog = open();
    entry(*dialog, "Stage")->setCheckState(Qt::Unchecked);
    auto* button = control<QPushButton>(*dialog, "cmdSelectAll");
    QCOMPARE(button->text(), QStringLiteral("Select All"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(marks(*dialog), QString(14, u'x'));
    QCOMPARE(button->text(), QStringLiteral("Unselect All"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(marks(*dialog), QString(14, u'-'));
    QCOMPARE(button->text(), QStringLiteral("Select All"));
    // Nothing applied yet.
    QVERIFY(m_columns->Item("Stage")->CDisplay());
}

void tst_frm_Options::applyColumnsAndSort_data() {
    QTest::addColumn<QString>("unmark");
    QTest::addColumn<QString>("sortKey");
    QTest::addColumn<QString>("hidden"); // column keys hidden after Apply
    QTest::addColumn<bool>("sortDropped");

    QTest::newRow("Price") << "Price" << "Revenue" << "UnitPrice" << false;
    QTest::newRow("Quantity") << "Quantity" << "" << "Quantity" << false;
    QTest::newRow("Notes") << "Notes" << "" << "Note" << false;
    QTest::newRow("sorted column hidden") << "Order Date" << "OrderDate" << "OrderDate" << true;
    QTest::newRow("nothing changed, sorted") << "" << "Company" << "" << false;
}

void tst_frm_Options::applyColumnsAndSort() {
    QFETCH(QString, unmark);
    QFETCH(QString, sortKey);
    QFETCH(QString, hidden);
    QFETCH(bool, sortDropped);
    if (!sortKey.isEmpty()) {
        m_sorting.setDisplaySortKey(sortKey);
        m_sorting.setDisplaySorted(true);
    }
    const auto dialog = open();
    QSignalSpy columns(dialog.get(), &frm_Options::columnsChanged);
    QSignalSpy dropped(dialog.get(), &frm_Options::sortDropped);
    QSignalSpy rebuild(dialog.get(), &frm_Options::listRebuildRequested);
    if (!unmark.isEmpty())
        entry(*dialog, unmark)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(control<QPushButton>(*dialog, "cmd_Apply"), Qt::LeftButton);

    QStringList actual;
    for (const ColumnStatus& column : *m_columns)
        if (!column.CDisplay())
            actual << column.cKey();
    QCOMPARE(actual.join(u','), hidden);
    QCOMPARE(columns.size(), hidden.isEmpty() ? 0 : 1);
    QCOMPARE(dropped.size(), sortDropped ? 1 : 0);
    QCOMPARE(m_sorting.DisplaySorted(), !sortKey.isEmpty() && !sortDropped);
    if (!sortKey.isEmpty())
        QCOMPARE(m_sorting.DisplaySortKey().value_or(QString()), sortKey); // the key stays
    QCOMPARE(rebuild.size(), 1);
    QCOMPARE(m_env->ui().beeps(), 1);
    QVERIFY(dialog->isVisible());
    // Saved at once.
    if (!hidden.isEmpty()) {
        QSettings raw(m_env->settingsPath(), QSettings::IniFormat);
        QCOMPARE(raw.value("Display/" + hidden + "Display").toString(), QStringLiteral("False"));
    }
}

void tst_frm_Options::applyProfileAndOutlookUse() {
    const auto dialog = open();
    QSignalSpy outlook(dialog.get(), &frm_Options::outlookUseChanged);
    QSignalSpy rebuild(dialog.get(), &frm_Options::listRebuildRequested);
    auto* check = control<QCheckBox>(*dialog, "checkOutlook");
    QVERIFY(!check->isChecked());
    QTest::mouseClick(control<QPushButton>(*dialog, "cmd_Apply"), Qt::LeftButton);
    QVERIFY(outlook.isEmpty()); // unchanged: no object made or released

    check->setChecked(true);
    control<QLineEdit>(*dialog, "txt_User")->setText("Ann Berg");
    QTest::mouseClick(control<QPushButton>(*dialog, "cmd_Apply"), Qt::LeftButton);
    QCOMPARE(outlook.size(), 1);
    QCOMPARE(outlook.takeFirst().at(0).toBool(), true);
    QVERIFY(m_user->UseOutlook());

    check->setChecked(false);
    control<QLineEdit>(*dialog, "txt_User")->setText("Ann Berg-Lund");
    QTest::mouseClick(control<QPushButton>(*dialog, "cmd_OK"), Qt::LeftButton);
    QCOMPARE(outlook.size(), 1);
    QCOMPARE(outlook.takeFirst().at(0).toBool(), false);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(rebuild.size(), 3);
    QSettings raw(m_env->settingsPath(), QSettings::IniFormat);
    QCOMPARE(raw.value("User/Sales_Rep").toString(), QStringLiteral("Ann Berg-Lund"));
    QCOMPARE(raw.value("User/UseOutlook").toString(), QStringLiteral("False"));
}

void tst_frm_Options::testOutlook_data() {
    QTest::addColumn<bool>("reachable");
    QTest::newRow("reachable") << true;
    QTest::newRow("unreachable") << false;
}

void tst_frm_Options::testOutlook() {
    QFETCH(bool, reachable);
    QVERIFY(!PimApplication::factory());
    QFile blocker(m_env->path("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString base = m_env->path(reachable ? "pim" : "file");
    QVERIFY(QDir().mkpath(m_env->path("pim/contacts")));
    QFile card(m_env->path("pim/contacts/ann.vcf"));
    QVERIFY(card.open(QIODevice::WriteOnly));
    card.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Berg\r\nN:Berg;Ann;;;\r\nEND:VCARD\r\n");
    card.close();
    SettingsStore::instance().Flush();
    const QByteArray before = fileBytes(m_env->settingsPath());

    const auto dialog = open();
    auto* check = control<QCheckBox>(*dialog, "checkOutlook");
    check->setChecked(!reachable);
    control<QLineEdit>(*dialog, "txt_ContactsFolder")->setText(base + "/contacts");
    control<QLineEdit>(*dialog, "txt_CalendarFolder")->setText(base + "/calendar");
    control<QLineEdit>(*dialog, "txt_DraftsFolder")->setText(base + "/drafts");
    QTest::mouseClick(control<QPushButton>(*dialog, "cmdTest"), Qt::LeftButton);

    QCOMPARE(check->isChecked(), reachable);
    QVERIFY(!PimApplication::factory()); // the standard adapter is back
    if (reachable) {
        QCOMPARE(m_env->ui().messages().size(), 1);
        QCOMPARE(m_env->ui().messages().first().text,
                 QStringLiteral("Connection to Outlook was successful."));
        QCOMPARE(m_env->ui().messages().first().title, QStringLiteral("Test Outlook"));
        QCOMPARE(m_env->ui().messages().first().icon, UiServices::Icon::Information);
    } else {
        QVERIFY(m_env->ui().messages().isEmpty());
    }
    // Nothing applied: Cancel leaves the profile and the store as they were.
    QTest::mouseClick(control<QPushButton>(*dialog, "cmd_Cancel"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QVERIFY(!m_user->UseOutlook());
    QCOMPARE(fileBytes(m_env->settingsPath()), before);
}

void tst_frm_Options::cancelWritesNothing() {
    {
        User stored;
        stored.setSales_Rep("Kim");
        stored.SaveUser();
    }
    const QByteArray before = fileBytes(m_env->settingsPath());
    const auto dialog = open();
    QSignalSpy rebuild(dialog.get(), &frm_Options::listRebuildRequested);
    for (const char* name : {"txt_User", "txt_Company", "txt_ID", "txt_Territory", "txt_email",
                             "txt_HQemail", "txt_emailcc", "txt_DraftsFolder"})
        control<QLineEdit>(*dialog, name)->setText("changed");
    control<QCheckBox>(*dialog, "checkOutlook")->setChecked(true);
    QTest::mouseClick(control<QPushButton>(*dialog, "cmdSelectAll"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(*dialog, "cmdSelectAll"), Qt::LeftButton);
    dialog->close(); // the window frame's close is Cancel

    QVERIFY(!dialog->isVisible());
    QCOMPARE(fileBytes(m_env->settingsPath()), before);
    QCOMPARE(m_user->Sales_Rep(), QStringLiteral("Kim"));
    QVERIFY(!m_user->UseOutlook());
    QVERIFY(m_columns->Item("Description")->CDisplay());
    QVERIFY(rebuild.isEmpty());
    QCOMPARE(m_env->ui().beeps(), 0);
}

void tst_frm_Options::folderChecks_data() {
    QTest::addColumn<QString>("path"); // relative to the test folder; "" as it stands
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");

    QTest::newRow("folder, read") << "@dir" << false << true << "Can be read.";
    QTest::newRow("folder, written") << "@dir" << true << true << "Can be read and written.";
    QTest::newRow("read-only, written")
        << "@readonly" << true << false << "Can be read but not written.";
    QTest::newRow("read-only, read") << "@readonly" << false << true << "Can be read.";
    QTest::newRow("not there yet") << "@dir/new/deeper" << true << true
                                   << "Not there yet; it is made when first used.";
    QTest::newRow("under a file") << "@file/sub" << true << false
                                  << "Does not exist and cannot be made.";
    QTest::newRow("a file") << "@file" << false << false << "Not a folder.";
    QTest::newRow("relative") << "contacts" << false << false << "Give the full path of the folder.";
    QTest::newRow("empty") << "  " << false << false << "No folder is set.";
}

void tst_frm_Options::folderChecks() {
    QFETCH(QString, path);
    QFETCH(bool, writable);
    QFETCH(bool, ok);
    QFETCH(QString, text);
    QVERIFY(QDir().mkpath(m_env->path("dir")));
    QVERIFY(QDir().mkpath(m_env->path("readonly")));
    QFile::setPermissions(m_env->path("readonly"), QFile::ReadOwner | QFile::ExeOwner);
    QFile file(m_env->path("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    if (path.startsWith(u'@') && path.contains("readonly") &&
        QFileInfo(m_env->path("readonly")).isWritable())
        QSKIP("the read-only folder is writable for this user (root)");
    if (path.startsWith(u'@'))
        path = m_env->path(path.mid(1));

    const FolderCheck check = FolderCheck::check(path, writable);
    QFile::setPermissions(m_env->path("readonly"), QFile::ReadOwner | QFile::WriteOwner |
                                                       QFile::ExeOwner);
    QCOMPARE(check.text(), text);
    QCOMPARE(check.ok(), ok);
    QVERIFY(!QFileInfo::exists(m_env->path("dir/new"))); // a check makes nothing
}

void tst_frm_Options::browseAndStoreFolders() {
    QVERIFY(QDir().mkpath(m_env->path("mine/drafts")));
    const auto dialog = open();
    // The standard folders are shown where none is stored.
    QCOMPARE(control<QLineEdit>(*dialog, "txt_CalendarFolder")->text(),
             PimFolders::defaultFolder("Calendar"));
    m_env->ui().queueFile(m_env->path("mine/drafts"));
    QTest::mouseClick(control<QPushButton>(*dialog, "cmdBrowseDrafts"), Qt::LeftButton);
    QCOMPARE(m_env->ui().fileRequests().size(), 1);
    QVERIFY(m_env->ui().fileRequests().first().folder);
    QCOMPARE(control<QLineEdit>(*dialog, "txt_DraftsFolder")->text(), m_env->path("mine/drafts"));
    QCOMPARE(control<QLabel>(*dialog, "lbl_DraftsCheck")->text(),
             QStringLiteral("Can be read and written."));
    // A cancelled choice keeps the field.
    QTest::mouseClick(control<QPushButton>(*dialog, "cmdBrowseDrafts"), Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(*dialog, "txt_DraftsFolder")->text(), m_env->path("mine/drafts"));
    // A typed folder is checked when the field is left.
    auto* contacts = control<QLineEdit>(*dialog, "txt_ContactsFolder");
    QFile plain(m_env->path("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    contacts->setText(m_env->path("plain/x"));
    emit contacts->editingFinished();
    QCOMPARE(control<QLabel>(*dialog, "lbl_ContactsCheck")->text(),
             QStringLiteral("Does not exist and cannot be made."));

    contacts->setText(m_env->path("mine/contacts"));
    dialog->Apply();
    const PimFolders stored = PimFolders::fromSettings();
    QCOMPARE(stored.ContactsFolder(), m_env->path("mine/contacts"));
    QCOMPARE(stored.DraftsFolder(), m_env->path("mine/drafts"));
    QCOMPARE(stored.CalendarFolder(), PimFolders::defaultFolder("Calendar"));
}

QTEST_MAIN(tst_frm_Options)
#include "tst_frm_Options.moc"
