#include "mainwindow/MainWindow.h"
#include "outlook/ContactsProgressDialog.h"
#include "platform/QtUiServices.h"
#include "platform/UiServices.h"
#include "workspace/ApplicationSettings.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setDesktopFileName(QStringLiteral("corvane"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("corvane"), QIcon(QStringLiteral(":/corvane.svg"))));

    QtUiServices ui;
    UiServices::setDefault(&ui);
    ContactsProgressDialog::install();

    // The application's objects: the user's settings, then the window over them.
    ApplicationSettings settings;
    MainWindow window(settings);
    window.show();
    window.load(QApplication::arguments().mid(1));
    const int result = QApplication::exec();
    UiServices::setDefault(nullptr);
    return result;
}
