#include "TestEnvironment.h"

#include "about/HelpManual.h"
#include "about/frmHelp.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

namespace {
QTextBrowser* browser() {
    return frmHelp::instance() ? frmHelp::instance()->findChild<QTextBrowser*>("txtHelp") : nullptr;
}

// The anchor names that the shown document carries.
QStringList anchorsShown() {
    QStringList names;
    for (QTextBlock block = browser()->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            names << it.fragment().charFormat().anchorNames();
    return names;
}

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
} // namespace

class tst_frmHelp : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { delete frmHelp::instance(); }
    void manualFoundBesideExecutable();
    void showsTopic_data();
    void showsTopic();
    void navigation();
    void missingManual();
    void linksOfTheManualResolve();
};

void tst_frmHelp::manualFoundBesideExecutable() {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("manual");
    const QStringList folders = HelpManual::DefaultFolders();
    QCOMPARE(folders.value(0), beside);
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QVERIFY(folders.contains(QDir(dataHome).filePath("corvane/manual")));
    QCOMPARE(HelpManual().Folder(), beside);

    // Without the copy beside the executable, the installed one in a data folder serves.
    QTemporaryDir empty, data;
    QVERIFY(QDir(data.path()).mkpath("corvane/manual"));
    QVERIFY(QFile::copy(beside + "/index.html", data.filePath("corvane/manual/index.html")));
    const HelpManual installed({empty.path(), data.filePath("corvane/manual")});
    QCOMPARE(installed.Folder(), data.filePath("corvane/manual"));
    QVERIFY(!installed.TopicUrl(HelpManual::EditorTopic)); // only the start page was copied
    QVERIFY(!installed.TopicUrl("../../index.html"));
}

void tst_frmHelp::showsTopic_data() {
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("anchor");
    QTest::newRow("contents") << QString() << "index.html" << QString();
    QTest::newRow("editor") << QString(HelpManual::EditorTopic) << "editor.html"
                            << "editor";
    QTest::newRow("a section") << "calendar-mail.html#vdirsyncer"
                               << "calendar-mail.html"
                               << "vdirsyncer";
}

void tst_frmHelp::showsTopic() {
    QFETCH(QString, topic);
    QFETCH(QString, page);
    QFETCH(QString, anchor);
    TestEnvironment environment;
    QWidget owner;
    QVERIFY(frmHelp::ShowTopic(topic, &owner));
    QVERIFY(environment.ui().messages().isEmpty());
    QVERIFY(frmHelp::instance()->isVisible());
    QCOMPARE(frmHelp::instance()->parentWidget(), &owner);
    const QUrl source = browser()->source();
    QCOMPARE(QFileInfo(source.toLocalFile()).fileName(), page);
    QCOMPARE(source.fragment(), anchor);
    QVERIFY(frmHelp::instance()->windowTitle().startsWith("Corvane Help - "));
    QVERIFY(browser()->toPlainText().size() > 200);
    if (!anchor.isEmpty())
        QVERIFY2(anchorsShown().contains(anchor), qPrintable(anchorsShown().join(' ')));
}

void tst_frmHelp::navigation() {
    TestEnvironment environment;
    QVERIFY(frmHelp::ShowTopic());
    QVERIFY(frmHelp::ShowTopic(HelpManual::EditorTopic));
    frmHelp* window = frmHelp::instance();
    auto action = [window](const char* name) { return window->findChild<QAction*>(name); };
    QVERIFY(action("cmdBack")->isEnabled());
    QVERIFY(!action("cmdForward")->isEnabled());
    action("cmdBack")->trigger();
    QCOMPARE(QFileInfo(browser()->source().toLocalFile()).fileName(), "index.html");
    QVERIFY(action("cmdForward")->isEnabled());

    emit browser()->anchorClicked(QUrl("filters.html#revenue"));
    QCOMPARE(QFileInfo(browser()->source().toLocalFile()).fileName(), "filters.html");
    action("cmdHome")->trigger();
    QCOMPARE(QFileInfo(browser()->source().toLocalFile()).fileName(), "index.html");

    emit browser()->anchorClicked(QUrl("https://vdirsyncer.pimutils.org/"));
    action("cmdBrowser")->trigger();
    QCOMPARE(environment.ui().opened(),
             QStringList({"https://vdirsyncer.pimutils.org/", browser()->source().toString()}));
}

void tst_frmHelp::missingManual() {
    TestEnvironment environment;
    QTemporaryDir empty;
    QVERIFY(!frmHelp::ShowTopic(HelpManual::EditorTopic, nullptr, HelpManual({empty.path()})));
    QVERIFY(!frmHelp::instance());
    QCOMPARE(environment.ui().messages().size(), 1);
    const auto& message = environment.ui().messages().constFirst();
    QCOMPARE(message.title, "Corvane Help");
    QCOMPARE(message.icon, UiServices::Icon::Exclamation);
    QCOMPARE(message.buttons, UiServices::Buttons::Ok);
    QVERIFY(message.text.startsWith("The Corvane manual cannot be found."));
    QVERIFY(message.text.contains(empty.path()));
}

// Every page, picture, style sheet and anchor that the manual links to is part of it.
void tst_frmHelp::linksOfTheManualResolve() {
    const QDir manual(CORVANE_MANUAL_SOURCE);
    const QRegularExpression link(R"re((?:href|src)="([^"]+)")re");
    int checked = 0;
    for (const QString& name : manual.entryList({"*.html"})) {
        const QString text = readAll(manual.filePath(name));
        for (const auto& match : link.globalMatch(text)) {
            const QUrl url(match.captured(1));
            if (!url.scheme().isEmpty())
                continue;
            const QString target = url.path().isEmpty() ? name : url.path();
            const QString where = name + " -> " + match.captured(1);
            QVERIFY2(QFileInfo(manual.filePath(target)).isFile(), qPrintable(where));
            if (url.hasFragment())
                QVERIFY2(readAll(manual.filePath(target)).contains("id=\"" + url.fragment() + "\""),
                         qPrintable(where));
            ++checked;
        }
    }
    QVERIFY(checked > 50);
}

QTEST_MAIN(tst_frmHelp)
#include "tst_frmHelp.moc"
