#include "TestEnvironment.h"

#include "about/SystemInfoRegistry.h"
#include "about/frmAbout.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

namespace {
// Makes a file `name` in `dir`, executable or not.
void makeProgram(const QDir& dir, const QString& name, bool executable = true) {
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\nexit 0\n");
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable)
        permissions |= QFile::ExeOwner;
    QVERIFY(file.setPermissions(permissions));
}
} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_path = qgetenv("PATH"); }
    void cleanup() { qputenv("PATH", m_path); }
    void textsAndCopy();
    void systemInfoLookUp_data();
    void systemInfoLookUp();

private:
    QByteArray m_path;
};

void tst_frmAbout::textsAndCopy() {
    TestEnvironment environment;
    frmAbout box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About Corvane"));
    const QList<std::pair<const char*, QString>> texts{
        {"lblTitle", QStringLiteral("Corvane")},
        {"lblVersion", QStringLiteral("Version 3.5.0")},
    };
    for (const auto& [name, text] : texts) {
        auto* label = box.findChild<QLabel*>(QLatin1String(name));
        QVERIFY2(label, name);
        QCOMPARE(label->text(), text);
    }
    const QList<std::pair<const char*, QString>> buttons{
        {"cmdOK", QStringLiteral("OK")},
        {"cmdSysInfo", QStringLiteral("&System Info...")},
        {"cmdCopy", QStringLiteral("&Copy")},
    };
    for (const auto& [name, text] : buttons) {
        auto* button = box.findChild<QPushButton*>(QLatin1String(name));
        QVERIFY2(button, name);
        QCOMPARE(button->text(), text);
    }
    QVERIFY(box.findChild<QWidget*>(QStringLiteral("linSeparator_0")));
    QVERIFY(box.findChild<QWidget*>(QStringLiteral("linSeparator_1")));

    const QString qt = QStringLiteral("Qt ") + QString::fromLatin1(qVersion());
    const QString sqlite = QStringLiteral("SQLite ") + QString::fromLatin1(sqlite3_libversion());
    const QString libical = QStringLiteral("libical " CORVANE_LIBICAL_VERSION);
    QCOMPARE(box.findChild<QLabel*>(QStringLiteral("lblComponents"))->text(),
             QStringList({qt, sqlite, libical}).join(QLatin1Char('\n')));

    QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("cmdCopy")), Qt::LeftButton);
    const QStringList copied = environment.ui().clipboardText().split(QLatin1Char('\n'));
    QCOMPARE(copied.mid(0, 4), QStringList({QStringLiteral("Corvane 3.5.0"), qt, sqlite, libical}));
    QVERIFY(copied.at(4).startsWith(QSysInfo::prettyProductName()));

    box.show();
    QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));
}

void tst_frmAbout::systemInfoLookUp_data() {
    QTest::addColumn<QStringList>("onPath"); // fake programs; "-name" is not executable
    QTest::addColumn<QString>("setting");    // [SystemInfo] Program; "@" = the other folder
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QString>("started"); // "" = nothing started, the message shown
    QTest::addColumn<QStringList>("arguments");

    const QStringList all{"hardinfo", "kinfocenter", "cpu-x", "lshw-gtk"};
    QTest::newRow("all four: the first") << all << "" << true << "hardinfo" << QStringList();
    QTest::newRow("the last only")
        << QStringList{"lshw-gtk"} << "" << true << "lshw-gtk" << QStringList();
    QTest::newRow("second and third")
        << QStringList{"cpu-x", "kinfocenter"} << "" << true << "kinfocenter" << QStringList();
    QTest::newRow("not executable is passed over")
        << QStringList{"-hardinfo", "cpu-x"} << "" << true << "cpu-x" << QStringList();
    QTest::newRow("setting first, with arguments")
        << QStringList{"hardinfo", "mysysinfo"} << "mysysinfo --report \"all of it\"" << true
        << "mysysinfo" << QStringList{"--report", "all of it"};
    QTest::newRow("setting as a path off the PATH") << QStringList{"hardinfo"} << "@/elsewhere-info"
                                                    << true << "@/elsewhere-info" << QStringList();
    QTest::newRow("setting naming nothing: the PATH")
        << QStringList{"cpu-x"} << "no-such-program -x" << true << "cpu-x" << QStringList();
    QTest::newRow("nothing found")
        << QStringList{"-hardinfo", "lshw"} << "" << true << "" << QStringList();
    QTest::newRow("found but fails to start") << all << "" << false << "" << QStringList();
}

void tst_frmAbout::systemInfoLookUp() {
    QFETCH(QStringList, onPath);
    QFETCH(QString, setting);
    QFETCH(bool, startSucceeds);
    QFETCH(QString, started);
    QFETCH(QStringList, arguments);

    TestEnvironment environment;
    QTemporaryDir pathDir, otherDir;
    for (const QString& name : onPath)
        makeProgram(QDir(pathDir.path()), name.startsWith('-') ? name.mid(1) : name,
                    !name.startsWith('-'));
    makeProgram(QDir(otherDir.path()), QStringLiteral("elsewhere-info"));
    qputenv("PATH", pathDir.path().toLocal8Bit());
    setting.replace('@', otherDir.path());
    if (!setting.isEmpty())
        QVERIFY(SettingsStore::instance().SaveSetting(QStringLiteral("Corvane"),
                                                      QStringLiteral("SystemInfo"),
                                                      QStringLiteral("Program"), setting));
    environment.ui().setStartSucceeds(startSucceeds);

    frmAbout box;
    QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);

    const auto& programs = environment.ui().started();
    const auto& messages = environment.ui().messages();
    if (started.isEmpty()) {
        QCOMPARE(programs.size(), startSucceeds ? 0 : 1);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text,
                 QStringLiteral("System Information Is Unavailable At This Time"));
        QCOMPARE(messages[0].title, QStringLiteral("Corvane"));
        QCOMPARE(messages[0].icon, UiServices::Icon::None);
        QCOMPARE(messages[0].buttons, UiServices::Buttons::Ok);
        return;
    }
    QVERIFY(messages.isEmpty());
    QCOMPARE(programs.size(), 1);
    const QString expected = started.startsWith('@') ? started.replace('@', otherDir.path())
                                                     : QDir(pathDir.path()).filePath(started);
    QCOMPARE(programs[0].program, expected);
    QCOMPARE(programs[0].arguments, arguments);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
