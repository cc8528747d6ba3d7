#include "about/AppInfo.h"

#include <QSysInfo>
#include <QtGlobal>
#include <libical/ical.h>
#include <sqlite3.h>

QString AppInfo::Title() {
    return QStringLiteral("Corvane");
}

int AppInfo::Major() {
    return CORVANE_VERSION_MAJOR;
}

int AppInfo::Minor() {
    return CORVANE_VERSION_MINOR;
}

int AppInfo::Revision() {
    return CORVANE_VERSION_PATCH;
}

QString AppInfo::VersionText() {
    return QStringLiteral("Version %1.%2.%3").arg(Major()).arg(Minor()).arg(Revision());
}

QList<AppInfo::Component> AppInfo::Components() {
    return {
        {QStringLiteral("Qt"), QString::fromLatin1(qVersion())},
        {QStringLiteral("SQLite"), QString::fromLatin1(sqlite3_libversion())},
        {QStringLiteral("libical"), QStringLiteral("%1.%2.%3")
                                        .arg(ICAL_MAJOR_VERSION)
                                        .arg(ICAL_MINOR_VERSION)
                                        .arg(ICAL_PATCH_VERSION)},
    };
}

QString AppInfo::ReportText() {
    QStringList lines{
        QStringLiteral("%1 %2.%3.%4").arg(Title()).arg(Major()).arg(Minor()).arg(Revision())};
    for (const Component& component : Components())
        lines << component.name + QLatin1Char(' ') + component.version;
    lines << QSysInfo::prettyProductName() + QStringLiteral(", ") +
                 QSysInfo::currentCpuArchitecture();
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
