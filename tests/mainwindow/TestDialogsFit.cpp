#include "ReportFixture.h"
#include "TestEnvironment.h"

#include "about/AboutDialog.h"
#include "about/HelpWindow.h"
#include "about/SystemInfoWindow.h"
#include "editor/OpportunityEditor.h"
#include "filter/FilterDialog.h"
#include "filter/Filters.h"
#include "mainwindow/NoteEditor.h"
#include "mainwindow/TeamDatabaseDialog.h"
#include "mainwindow/TeamPasswordDialog.h"
#include "platform/AccessKeys.h"
#include "platform/QtUiServices.h"
#include "reports/ReportEngine.h"
#include "reports/ReportPreviewWindow.h"
#include "settings/ColumnsInfo.h"
#include "settings/OptionsDialog.h"
#include "settings/SortChoice.h"
#include "settings/User.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTabBar>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// The room a window frame and a desktop panel take from the screen, in logical pixels.
constexpr int FrameWidth = 16;
constexpr int FrameHeight = 72;

// The windows a user meets, each made as the main window makes it.
struct Windows {
    TestEnvironment env;
    User user{env.store()};
    Filters filters{env.store()};
    ColumnsInfo columns{env.store()};
    SortChoice sorting;

    std::unique_ptr<QWidget> make(const QString& name) {
        if (name == "editor")
            return std::make_unique<OpportunityEditor>(user);
        if (name == "filter")
            return std::make_unique<FilterDialog>(filters, std::function<void()>());
        if (name == "options")
            return std::make_unique<OptionsDialog>(user, columns, sorting, env.store());
        if (name == "note")
            return std::make_unique<NoteEditor>();
        if (name == "team database")
            return std::make_unique<TeamDatabaseDialog>(
                QStringList{"postgresql://representative@db.example.com:5432/pipeline"});
        if (name == "team password") {
            auto dialog =
                std::make_unique<TeamPasswordDialog>("representative", "db.example.com:5432");
            dialog->setMessage("Connection to server at \"db.example.com\", port 5432 failed: "
                               "FATAL: password authentication failed for user "
                               "\"representative\".");
            return dialog;
        }
        if (name == "system info")
            return std::make_unique<SystemInfoWindow>(env.store());
        if (name == "about")
            return std::make_unique<AboutDialog>(env.store());
        if (name == "preview") {
            const QString database = env.path("Pipeline.mdb");
            if (!ReportFixture::write(database))
                return nullptr;
            ReportEngine engine;
            engine.setDataFiles(0, database);
            engine.setReportFileName("Detail");
            return std::make_unique<ReportPreviewWindow>(engine.makeDocument(),
                                                         ReportEngine::MailSettings(), env.store());
        }
        if (name == "help" && HelpWindow::showTopic())
            return std::unique_ptr<QWidget>(HelpWindow::instance());
        return nullptr;
    }
};

const QStringList WindowNames{"editor", "filter",      "options", "note",          "preview",
                              "about",  "system info", "help",    "team database", "team password"};
const QStringList DialogNames{"editor", "filter",      "options",       "note",         "preview",
                              "about",  "system info", "team database", "team password"};

// The smallest size the user can give the window: a minimum size set on it, else its layout's.
QSize smallest(const QWidget& window) {
    const QSize set = window.minimumSize();
    const QSize hint = window.minimumSizeHint();
    return {set.width() > 0 ? set.width() : hint.width(),
            set.height() > 0 ? set.height() : hint.height()};
}

// The access key of a caption, lower case; empty when it has none.
QString accessKey(const QString& text) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    return key.isEmpty() ? QString() : key.toString().back().toLower();
}

// The access keys that two controls shown together (buttons, labels of fields, group boxes)
// share; the buttons without a key are added to `withoutKey`.
QStringList clashes(QWidget& dialog, QStringList& withoutKey) {
    QHash<QString, QString> owners;
    QStringList found;
    const auto note = [&](const QString& text, const QString& what) {
        const QString key = accessKey(text);
        if (key.isEmpty())
            return;
        if (owners.contains(key))
            found << key + ": " + owners.value(key) + " / " + what;
        owners.insert(key, what);
    };
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        // The calendar's month and year buttons are Qt's own.
        if (!button->isVisibleTo(&dialog) || button->text().isEmpty() ||
            button->objectName().startsWith("qt_"))
            continue;
        if (accessKey(button->text()).isEmpty())
            withoutKey << button->objectName() + " \"" + button->text() + '"';
        note(button->text(), button->objectName());
    }
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->isVisibleTo(&dialog) && label->buddy())
            note(label->text(), label->objectName());
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>())
        if (box->isVisibleTo(&dialog))
            note(box->title(), box->objectName());
    return found;
}

} // namespace

class TestDialogsFit : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { delete HelpWindow::instance(); }
    void fitsSmallScreens_data();
    void fitsSmallScreens();
    void accessKeys_data();
    void accessKeys();
    void messageBoxKeys_data();
    void messageBoxKeys();
};

void TestDialogsFit::fitsSmallScreens_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QSize>("screen"); // logical pixels
    for (const QString& name : WindowNames) {
        QTest::addRow("%s 640x480", qPrintable(name)) << name << QSize(640, 480);
        // 1920x1080 at 200 %.
        QTest::addRow("%s 1920x1080 at 2", qPrintable(name)) << name << QSize(960, 540);
    }
}

// The whole window, its buttons too, can be shown on the screen, and it opens no larger than
// the screen it is on.
void TestDialogsFit::fitsSmallScreens() {
    QFETCH(QString, window);
    QFETCH(QSize, screen);
    Windows windows;
    std::unique_ptr<QWidget> shown = windows.make(window);
    QVERIFY(shown);
    const QSize minimum = smallest(*shown);
    const QSize room = screen - QSize(FrameWidth, FrameHeight);
    QVERIFY2(minimum.width() <= room.width() && minimum.height() <= room.height(),
             qPrintable(QStringLiteral("%1x%2").arg(minimum.width()).arg(minimum.height())));
    shown->show();
    const QSize available = shown->screen()->availableSize();
    QVERIFY2(shown->width() <= available.width() && shown->height() <= available.height(),
             qPrintable(QStringLiteral("%1x%2").arg(shown->width()).arg(shown->height())));
}

void TestDialogsFit::accessKeys_data() {
    QTest::addColumn<QString>("dialog");
    for (const QString& name : DialogNames)
        QTest::newRow(qPrintable(name)) << name;
}

// Every button has an access key, and no two controls shown together share one (on every page
// of a dialog with tabs).
void TestDialogsFit::accessKeys() {
    QFETCH(QString, dialog);
    Windows windows;
    std::unique_ptr<QWidget> shown = windows.make(dialog);
    QVERIFY(shown);
    QTabBar* tabs = shown->findChild<QTabBar*>();
    const int pages = tabs ? tabs->count() : 1;
    for (int page = 0; page < pages; ++page) {
        if (tabs)
            tabs->setCurrentIndex(page);
        QStringList withoutKey;
        const QStringList found = clashes(*shown, withoutKey);
        QVERIFY2(found.isEmpty(), qPrintable(QString::number(page) + ": " + found.join(", ")));
        QVERIFY2(withoutKey.isEmpty(), qPrintable(withoutKey.join(", ")));
    }
}

void TestDialogsFit::messageBoxKeys_data() {
    QTest::addColumn<UiServices::Buttons>("buttons");
    QTest::addColumn<int>("count");
    QTest::newRow("Ok") << UiServices::Buttons::Ok << 1;
    QTest::newRow("OkCancel") << UiServices::Buttons::OkCancel << 2;
    QTest::newRow("YesNo") << UiServices::Buttons::YesNo << 2;
    QTest::newRow("YesNoCancel") << UiServices::Buttons::YesNoCancel << 3;
    QTest::newRow("RetryCancel") << UiServices::Buttons::RetryCancel << 2;
}

// The buttons of every message box have access keys of their own.
void TestDialogsFit::messageBoxKeys() {
    QFETCH(UiServices::Buttons, buttons);
    QFETCH(int, count);
    QSet<QChar> keys;
    QStringList captions;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (const QAbstractButton* button : box->buttons()) {
            captions << button->text();
            keys.insert(AccessKeys::keyOf(button->text()));
        }
        box->reject();
    });
    QtUiServices().messageBox("Text", "Title", UiServices::Icon::Question, buttons);
    QCOMPARE(captions.size(), count);
    keys.remove(QChar());
    QVERIFY2(keys.size() == count, qPrintable(captions.join(", ")));
}

QTEST_MAIN(TestDialogsFit)
#include "TestDialogsFit.moc"
