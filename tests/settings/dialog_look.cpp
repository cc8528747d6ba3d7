// Shows the filter dialog or the options dialog on a temporary settings store, for looking at
// them on a desktop:  dialog_look filter|options [TAB]
#include "filter/Filters.h"
#include "filter/frmFilter.h"
#include "platform/QtUiServices.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/Settings.h"
#include "settings/User.h"
#include "settings/frm_Options.h"

#include <QApplication>
#include <QTabBar>
#include <QTemporaryDir>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QtUiServices ui;
    UiServices::setDefault(&ui);
    QTemporaryDir folder;
    SettingsStore::setFilePath(folder.filePath(QStringLiteral("Corvane.ini")));
    const QStringList arguments = application.arguments().mid(1);
    const QString which = arguments.value(0, QStringLiteral("filter"));
    const int tab = arguments.value(1, QStringLiteral("0")).toInt();

    std::unique_ptr<QDialog> dialog;
    User user;
    user.setSales_Rep(QStringLiteral("Kim Lasser"));
    user.setCompany(QStringLiteral("Northwind Trading"));
    user.setemail(QStringLiteral("kim@example.com"));
    ColumnsInfo columns;
    Settings sorting;
    if (which == QLatin1String("options")) {
        dialog = std::make_unique<frm_Options>(user, columns, sorting);
    } else {
        Filters::instance().Item(QStringLiteral("Low"))->setValue(1000.0);
        dialog = std::make_unique<frmFilter>(Filters::instance(), [] {});
    }
    if (auto* tabs = dialog->findChild<QTabBar*>())
        tabs->setCurrentIndex(tab);
    dialog->show();
    const int result = application.exec();
    Filters::releaseInstance();
    return result;
}
