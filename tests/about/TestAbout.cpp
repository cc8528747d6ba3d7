#include "TestEnvironment.h"

#include "about/AboutDialog.h"
#include "about/HelpWindow.h"
#include "about/SystemInfoWindow.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>
#include <sqlite3.h>

namespace {
QString row(const ScriptedUiServices::Message& m) {
    return QStringLiteral("%1|%2|%3|%4").arg(m.text, m.title).arg(int(m.icon)).arg(int(m.buttons));
}

QTextBrowser* browser() {
    return HelpWindow::instance()->findChild<QTextBrowser*>("txtHelp");
}

QString shownPage() {
    return QFileInfo(browser()->source().toLocalFile()).fileName();
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_path = qgetenv("PATH"); }
    void cleanup() {
        qputenv("PATH", m_path);
        delete HelpWindow::instance();
    }
    void aboutTextsAndCopy();
    void systemInfoLookUp_data();
    void systemInfoLookUp();
    void systemSummaryAndCopy();
    void manualFoundBesideExecutable();
    void helpShowsTopic_data();
    void helpShowsTopic();
    void helpNavigation();
    void helpWithoutManual();
    void linksOfTheManualResolve();

private:
    QByteArray m_path;
};

// Copy puts the versions a problem report needs on the clipboard.
void TestAbout::aboutTextsAndCopy() {
    TestEnvironment environment;
    AboutDialog box(environment.store());
    QTest::mouseClick(box.findChild<QPushButton*>("cmdCopy"), Qt::LeftButton);
    const QStringList copied = environment.ui().clipboardText().split('\n');
    QCOMPARE(copied.mid(0, 4),
             QStringList({"Corvane 3.5.0", "Qt " + QString::fromLatin1(qVersion()),
                          "SQLite " + QString::fromLatin1(sqlite3_libversion()),
                          "libical " CORVANE_LIBICAL_VERSION}));
    QVERIFY(copied.value(4).startsWith(QSysInfo::prettyProductName()));
}

void TestAbout::systemInfoLookUp_data() {
    QTest::addColumn<QStringList>("onPath"); // fake programs; "-name": not executable
    QTest::addColumn<QString>("setting");    // [SystemInfo] Program; "@": another folder
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QStringList>("started"); // program then arguments; empty: the message

    const QStringList all{"hardinfo", "kinfocenter", "cpu-x", "lshw-gtk"};
    QTest::newRow("all: the first") << all << "" << true << QStringList{"hardinfo"};
    QTest::newRow("the last only")
        << QStringList{"lshw-gtk"} << "" << true << QStringList{"lshw-gtk"};
    QTest::newRow("not executable")
        << QStringList{"-hardinfo", "-kinfocenter", "cpu-x"} << "" << true << QStringList{"cpu-x"};
    QTest::newRow("setting, arguments") << QStringList{"hardinfo", "mine"} << "mine -r \"a b\""
                                        << true << QStringList{"mine", "-r", "a b"};
    QTest::newRow("setting, a path") << all << "@/info" << true << QStringList{"@/info"};
    QTest::newRow("setting, nothing there")
        << QStringList{"cpu-x"} << "none -x" << true << QStringList{"cpu-x"};
    QTest::newRow("nothing found")
        << QStringList{"-hardinfo", "lshw"} << "" << true << QStringList();
    QTest::newRow("fails to start") << all << "" << false << QStringList();
}

void TestAbout::systemInfoLookUp() {
    QFETCH(QStringList, onPath);
    QFETCH(QString, setting);
    QFETCH(bool, startSucceeds);
    QFETCH(QStringList, started);
    TestEnvironment environment;
    QTemporaryDir pathDir, otherDir;
    auto makeProgram = [](const QString& path, bool executable) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0);
        QVERIFY(file.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner
                                               : QFile::ReadOwner));
    };
    for (const QString& name : onPath)
        makeProgram(pathDir.filePath(name.startsWith('-') ? name.mid(1) : name),
                    !name.startsWith('-'));
    makeProgram(otherDir.filePath("info"), true);
    qputenv("PATH", pathDir.path().toLocal8Bit());
    QVERIFY(environment.store().saveSetting("Corvane", "SystemInfo", "Program",
                                            setting.replace('@', otherDir.path())));
    environment.ui().setStartSucceeds(startSucceeds);

    AboutDialog box(environment.store());
    QTest::mouseClick(box.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    // Corvane's own summary opens over the about box; it offers the program found.
    auto* window = box.findChild<QDialog*>("SystemInfoWindow");
    QVERIFY(window && window->isVisible());
    auto* offered = window->findChild<QPushButton*>("cmdProgram");
    const bool found = !started.isEmpty() || !startSucceeds;
    QCOMPARE(offered != nullptr, found);
    if (!found) {
        QVERIFY(environment.ui().messages().isEmpty());
        return;
    }
    QTest::mouseClick(offered, Qt::LeftButton);
    const auto& programs = environment.ui().started();
    if (started.isEmpty()) {
        QCOMPARE(programs.size(), 1);
        QCOMPARE(environment.ui().messages().size(), 1);
        QCOMPARE(row(environment.ui().messages()[0]),
                 "System Information Is Unavailable At This Time|Corvane|0|0");
        return;
    }
    QVERIFY(environment.ui().messages().isEmpty());
    QCOMPARE(programs.size(), 1);
    const QString program = started.takeFirst();
    QCOMPARE(programs[0].program, program.startsWith('@')
                                      ? QString(program).replace('@', otherDir.path())
                                      : pathDir.filePath(program));
    QCOMPARE(programs[0].arguments, started);
}

// The summary names what a problem report needs, and Copy puts it on the clipboard as shown.
void TestAbout::systemSummaryAndCopy() {
    TestEnvironment environment(QLocale(QLocale::German, QLocale::Germany));
    SystemInfoWindow window(environment.store());
    const QString shown = window.findChild<QPlainTextEdit*>("txtSummary")->toPlainText();
    const QStringList expected{"Corvane: 3.5.0",
                               "Operating system: " + QSysInfo::prettyProductName(),
                               "Kernel: " + QSysInfo::kernelType() + ' ' +
                                   QSysInfo::kernelVersion(),
                               "Architecture: " + QSysInfo::currentCpuArchitecture(),
                               "Qt: " + QString::fromLatin1(qVersion()),
                               "SQLite: " + QString::fromLatin1(sqlite3_libversion()),
                               "libical: " CORVANE_LIBICAL_VERSION,
                               "Window system: offscreen",
                               "Locale: de_DE (German, Germany)",
                               "Settings file: " + environment.settingsPath()};
    for (const QString& line : expected)
        QVERIFY2(shown.split('\n').contains(line), qPrintable(line + " in\n" + shown));
    QVERIFY(shown.contains(QRegularExpression("\nScreen: \\d+x\\d+ pixels, scale \\d+%")));
    QVERIFY(shown.contains("\nData folder: "));
    QTest::mouseClick(window.findChild<QPushButton*>("cmdCopy"), Qt::LeftButton);
    QCOMPARE(environment.ui().clipboardText(), shown);
}

void TestAbout::manualFoundBesideExecutable() {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("manual");
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QCOMPARE(HelpManual::defaultFolders().value(0), beside);
    QVERIFY(HelpManual::defaultFolders().contains(QDir(data).filePath("corvane/manual")));
    QCOMPARE(HelpManual().folder(), beside);
    // Without a manual in the first folder, the next serves; no page outside it is shown.
    QTemporaryDir empty;
    const HelpManual later({empty.path(), beside});
    QCOMPARE(later.folder(), beside);
    QVERIFY(later.topicUrl(HelpManual::EditorTopic));
    QVERIFY(!later.topicUrl("../TestAbout"));
    QVERIFY(!later.topicUrl("no-such-page.html"));
}

void TestAbout::helpShowsTopic_data() {
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("anchor");
    QTest::newRow("contents") << QString() << "index.html" << QString();
    QTest::newRow("editor") << QString(HelpManual::EditorTopic) << "editor.html"
                            << "editor";
    QTest::newRow("section") << "calendar-mail.html#vdirsyncer"
                             << "calendar-mail.html"
                             << "vdirsyncer";
}

void TestAbout::helpShowsTopic() {
    QFETCH(QString, topic);
    QFETCH(QString, page);
    QFETCH(QString, anchor);
    TestEnvironment environment;
    QWidget owner;
    QVERIFY(HelpWindow::showTopic(topic, &owner));
    QVERIFY(environment.ui().messages().isEmpty());
    QVERIFY(HelpWindow::instance()->isVisible());
    QCOMPARE(HelpWindow::instance()->parentWidget(), &owner);
    QCOMPARE(shownPage(), page);
    QCOMPARE(browser()->source().fragment(), anchor);
    QVERIFY(HelpWindow::instance()->windowTitle().startsWith("Corvane Help - "));
    QStringList anchors; // those the shown document carries
    for (QTextBlock block = browser()->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            anchors << it.fragment().charFormat().anchorNames();
    QVERIFY(anchor.isEmpty() || anchors.contains(anchor));
}

void TestAbout::helpNavigation() {
    TestEnvironment environment;
    QVERIFY(HelpWindow::showTopic() && HelpWindow::showTopic(HelpManual::EditorTopic));
    auto action = [](const char* name) {
        return HelpWindow::instance()->findChild<QAction*>(name);
    };
    QVERIFY(action("cmdBack")->isEnabled() && !action("cmdForward")->isEnabled());
    action("cmdBack")->trigger();
    QCOMPARE(shownPage(), "index.html");
    QVERIFY(action("cmdForward")->isEnabled());
    emit browser()->anchorClicked(QUrl("filters.html#revenue"));
    QCOMPARE(shownPage(), "filters.html");
    action("cmdHome")->trigger();
    QCOMPARE(shownPage(), "index.html");
    emit browser()->anchorClicked(QUrl("https://example.org/"));
    action("cmdBrowser")->trigger();
    QCOMPARE(environment.ui().opened(),
             QStringList({"https://example.org/", browser()->source().toString()}));
}

void TestAbout::helpWithoutManual() {
    TestEnvironment environment;
    QTemporaryDir empty;
    QVERIFY(!HelpWindow::showTopic(HelpManual::EditorTopic, nullptr, HelpManual({empty.path()})));
    QVERIFY(!HelpWindow::instance());
    QCOMPARE(environment.ui().messages().size(), 1);
    QCOMPARE(row(environment.ui().messages()[0]),
             "The Corvane manual cannot be found. It was looked for in:\n" + empty.path() +
                 "\n\nBuilding or installing Corvane again puts it back.|Corvane Help|3|0");
}

// Every page, picture, style sheet and anchor that the manual links to is part of it.
void TestAbout::linksOfTheManualResolve() {
    const QDir manual(CORVANE_MANUAL_SOURCE);
    const QRegularExpression link(R"re((?:href|src)="([^"]+)")re");
    int checked = 0;
    for (const QString& name : manual.entryList({"*.html"})) {
        for (const auto& match : link.globalMatch(readAll(manual.filePath(name)))) {
            const QUrl url(match.captured(1));
            if (!url.scheme().isEmpty())
                continue;
            const QString target = manual.filePath(url.path().isEmpty() ? name : url.path());
            QVERIFY2(QFileInfo(target).isFile() &&
                         (!url.hasFragment() ||
                          readAll(target).contains("id=\"" + url.fragment() + '"')),
                     qPrintable(name + " -> " + match.captured(1)));
            ++checked;
        }
    }
    QVERIFY(checked > 50);
}

QTEST_MAIN(TestAbout)
#include "TestAbout.moc"
