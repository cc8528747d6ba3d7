#include "reports/ReportMenu.h"

#include "platform/UiServices.h"
#include "reports/ReportEngine.h"
#include "reports/ReportTemplates.h"
#include "settings/User.h"

#include <QCoreApplication>

void ReportMenu::printReport(ReportEngine& report, int index, const QString& databaseLocation,
                             const User& user, UiServices& ui) {
    report.setDataFiles(0, databaseLocation);
    report.setFormulas(0, QStringLiteral("SalesRep= '") + user.salesRep() + QLatin1Char('\''));
    report.setFormulas(1, QStringLiteral("UserCompany= '") + user.company() + QLatin1Char('\''));
    report.setMailToList(user.hqEmail());
    report.setMailCcList(user.emailCc());
    report.setMailMessage(QStringLiteral("Sales report. ") + user.salesRep());
    if (index >= 1 && index <= 8)
        report.setReportFileName(QCoreApplication::applicationDirPath() +
                                 ReportTemplates::templateText(index));
    const int status = report.setAction(1);
    if (status >= 1)
        ui.messageBox(report.lastErrorString(), QLatin1String(MessageTitle),
                      UiServices::Icon::Critical, UiServices::Buttons::Ok);
}
