#include "filter/Filters.h"
#include "mainwindow/form_Main.h"
#include "outlook/frmOutlookProgress.h"
#include "platform/QtUiServices.h"
#include "platform/UiServices.h"
#include "settings/ColumnsInfo.h"
#include "settings/User.h"

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

    int result = 0;
    {
        form_Main window;
        window.Form_Load();
        window.show();
        window.OpenFiles(QApplication::arguments().mid(1));
        result = QApplication::exec();
    }

    // The process-wide settings write themselves back as the process ends.
    Filters::releaseInstance();
    ColumnsInfo::releaseInstance();
    User::releaseInstance();
    UiServices::setDefault(nullptr);
    return result;
}
