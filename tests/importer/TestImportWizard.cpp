#include "DialogTest.h"
#include "RawDatabase.h"
#include "SalesFixtures.h"
#include "TestEnvironment.h"

#include "importer/ImportWizard.h"
#include "platform/SettingsStore.h"
#include "store/SalesDatabase.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QUndoStack>
#include <QtTest>

using namespace SalesFixtures;

// The import wizard driven through its named controls, with scripted file dialogs, messages and
// progress.
class TestImportWizard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void importsWithTheChosenMappingAndDuplicates();
    void unreadableFilesStayOnTheFirstPage_data();
    void unreadableFilesStayOnTheFirstPage();
    void cancelAndRefusalWriteNothing_data();
    void cancelAndRefusalWriteNothing();

private:
    QString path(const QString& name) const { return m_env->path(name); }
    // A wizard on the columns page for deals.csv.
    std::unique_ptr<ImportWizard> toColumns() {
        auto wizard = std::make_unique<ImportWizard>(*m_databases, m_env->store());
        wizard->show();
        m_env->ui().queueFile(path("deals.csv"));
        click(*wizard, "cmdBrowse");
        wizard->next();
        return wizard;
    }
    // Every visible button and labelled control of the page has an access key of its own.
    static void checkAccessKeys(ImportWizard& wizard) {
        QStringList keys;
        const auto add = [&](const QString& text) {
            const QString key = QKeySequence::mnemonic(text).toString();
            QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(text));
            keys.append(key);
        };
        for (const QAbstractButton* button : wizard.findChildren<QAbstractButton*>()) {
            if (button->isVisibleTo(&wizard) && !button->text().isEmpty())
                add(button->text());
        }
        for (const QLabel* label : wizard.findChildren<QLabel*>()) {
            if (label->isVisibleTo(&wizard) && label->buddy())
                add(label->text());
        }
    }
    QComboBox* field(ImportWizard& wizard, int column) {
        return control<QComboBox>(wizard, QStringLiteral("cboField_%1").arg(column));
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<OpenDatabases> m_databases;
    QString m_file;
};

void TestImportWizard::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
    m_databases = std::make_unique<OpenDatabases>(m_settings->filters());
    m_file = makeDatabase(path("shown.mdb"), {{"Roof", "1000", "Acme"}});
    QVERIFY(m_databases->open(m_file).ok());
    QVERIFY(RawDatabase::writeFile(path("deals.csv"), "Deal Name;Company Name;Amount;Colour\r\n"
                                                      "roof;ACME;1.500,00;red\r\n"
                                                      "Door;Beta;lots;blue\r\n"
                                                      "Gate;Gamma;20;green\r\n"));
}

void TestImportWizard::cleanup() {
    m_databases.reset();
    m_settings.reset();
    m_env.reset();
}

void TestImportWizard::importsWithTheChosenMappingAndDuplicates() {
    auto wizard = std::make_unique<ImportWizard>(*m_databases, m_env->store());
    wizard->show();
    checkAccessKeys(*wizard);
    wizard = toColumns();
    QCOMPARE(control<QComboBox>(*wizard, "cboDelimiter")->currentText(), "Semicolon");
    QCOMPARE(wizard->currentId(), int(ImportWizard::ColumnsPage));
    QCOMPARE(field(*wizard, 0)->currentText(), "Description");
    QCOMPARE(field(*wizard, 3)->currentText(), "(ignore)");
    // A field chosen for a second column leaves the first.
    field(*wizard, 3)->setCurrentIndex(field(*wizard, 3)->findText("Description"));
    QCOMPARE(field(*wizard, 0)->currentText(), "(ignore)");
    field(*wizard, 0)->setCurrentIndex(field(*wizard, 0)->findText("Description"));
    field(*wizard, 3)->setCurrentIndex(field(*wizard, 3)->findText("Note"));

    wizard->next();
    QCOMPARE(wizard->currentId(), int(ImportWizard::PreviewPage));
    const auto* preview = control<QTableWidget>(*wizard, "tblPreview");
    QCOMPARE(preview->rowCount(), 2);
    QCOMPARE(preview->item(1, 0)->text(), "4");
    QCOMPARE(preview->item(1, 1)->text(), "Gate");
    QCOMPARE(control<QListWidget>(*wizard, "lstProblems")->item(0)->text(),
             "Line 3: not imported. Revenue 'lots' is not a number.");

    wizard->next();
    QCOMPARE(control<QLabel>(*wizard, "lblDuplicates")->text(),
             "1 row matches. What becomes of it?");
    QCOMPARE(control<QListWidget>(*wizard, "lstDuplicates")->item(0)->text(),
             "Line 2: ACME - roof (in the database)");
    checkAccessKeys(*wizard);
    control<QRadioButton>(*wizard, "optUpdate")->setChecked(true);
    wizard->button(QWizard::FinishButton)->click();
    QVERIFY(!wizard->isVisible());
    QCOMPARE(m_env->ui().messages().last().text,
             "Import of deals.csv: 1 added, 1 updated, 0 skipped, 1 not imported (see the "
             "problems listed).");
    QCOMPARE(fromFile(m_file, "Key=1")->note(), "red");
    QCOMPARE(fromFile(m_file, "Key=2")->description(), "Gate");
    QCOMPARE(m_databases->historyOf(m_databases->shown())->count(), 1);

    // The same header row next time: the mapping used is offered again.
    auto again = toColumns();
    QCOMPARE(field(*again, 3)->currentText(), "Note");
    QVERIFY(m_env->store().hasSetting(
        SettingsStore::AppName, ImportWizard::settingsSection(),
        ImportWizard::mappingKey({"Deal Name", "Company Name", "Amount", "Colour"})));
}

void TestImportWizard::unreadableFilesStayOnTheFirstPage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* tag, const char* name, const char* message) {
        QTest::newRow(tag) << QString(name) << QString(message);
    };
    row("none typed", "", "Choose the file to import.");
    row("missing", "gone.csv", "gone.csv does not exist.");
    row("a folder", ".", "is not a plain file.");
    row("binary", "binary.csv", "holds NUL characters: it is no text file.");
}

void TestImportWizard::unreadableFilesStayOnTheFirstPage() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    QVERIFY(RawDatabase::writeFile(path("binary.csv"), QByteArray("a,b\n\0\1,c\n", 9)));
    ImportWizard wizard(*m_databases, m_env->store());
    wizard.show();
    control<QLineEdit>(wizard, "txtImportFile")->setText(name.isEmpty() ? name : path(name));
    wizard.next();
    QCOMPARE(wizard.currentId(), int(ImportWizard::FilePage));
    QCOMPARE(m_env->ui().messages().size(), 1);
    QVERIFY2(m_env->ui().messages().first().text.endsWith(message),
             qPrintable(m_env->ui().messages().first().text));
}

void TestImportWizard::cancelAndRefusalWriteNothing_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("message");
    QTest::newRow("cancelled") << QString("cancel") << QString();
    QTest::newRow("locked") << QString("lock") << QString("in use by another program");
}

void TestImportWizard::cancelAndRefusalWriteNothing() {
    QFETCH(QString, obstacle);
    QFETCH(QString, message);
    auto wizard = toColumns();
    wizard->next();
    wizard->next();
    QCOMPARE(wizard->currentId(), int(ImportWizard::DuplicatesPage));
    const QByteArray before = RawDatabase::readFile(m_file);
    m_env->ui().clearRecords();
    FileLock lock(nullptr, [](sqlite3*) {});
    if (obstacle == "cancel")
        m_env->ui().cancelWorkAt(1);
    else
        lock = lockFile(m_file);
    wizard->button(QWizard::FinishButton)->click();
    lock.reset();
    // The wizard stays, to try again or cancel; the file and the history are as they were.
    QVERIFY(wizard->isVisible());
    QCOMPARE(RawDatabase::readFile(m_file), before);
    QCOMPARE(m_databases->historyOf(m_databases->shown())->count(), 0);
    QCOMPARE(m_env->ui().works().size(), 1);
    if (message.isEmpty()) {
        QVERIFY(m_env->ui().messages().isEmpty());
    } else {
        QCOMPARE(m_env->ui().messages().size(), 1);
        QVERIFY2(m_env->ui().messages().first().text.contains(message),
                 qPrintable(m_env->ui().messages().first().text));
    }
}

QTEST_MAIN(TestImportWizard)
#include "TestImportWizard.moc"
