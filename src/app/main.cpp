#include "mainwindow/form_Main.h"
#include "outlook/frmOutlookProgress.h"
#include "platform/QtUiServices.h"
#include "platform/UiServices.h"

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
    frmOutlookProgress::install();

    form_Main window;
    window.show();
    window.Form_Load(QApplication::arguments().mid(1));
    const int result = QApplication::exec();
    UiServices::setDefault(nullptr);
    return result;
}
