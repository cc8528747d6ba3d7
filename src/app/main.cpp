#include "mainwindow/MainWindow.h"
#include "outlook/ContactsProgressDialog.h"
#include "platform/DesktopKeyring.h"
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
    DesktopKeyring keyring;
    PasswordKeyring::setDefault(&keyring);
    ContactsProgressDialog::install();

    // The application's objects: the user's settings, then the window over them.
    ApplicationSettings settings;
    MainWindow window(settings);
    window.show();
    // The names as their bytes: QApplication has taken out its own options by now.
    QList<QByteArray> names;
    for (int i = 1; i < argc; ++i)
        names.append(QByteArray(argv[i]));
    window.load(names);
    const int result = QApplication::exec();
    UiServices::setDefault(nullptr);
    PasswordKeyring::setDefault(nullptr);
    return result;
}
