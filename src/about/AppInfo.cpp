#include "about/AppInfo.h"

#include "store/SalesStore.h"

#include <QSysInfo>
#include <QtGlobal>
#include <libical/ical.h>

QString AppInfo::title() {
    return QStringLiteral("Corvane");
}

int AppInfo::major() {
    return CORVANE_VERSION_MAJOR;
}

int AppInfo::minor() {
    return CORVANE_VERSION_MINOR;
}

int AppInfo::revision() {
    return CORVANE_VERSION_PATCH;
}

QString AppInfo::versionText() {
    return QStringLiteral("Version %1.%2.%3").arg(major()).arg(minor()).arg(revision());
}

QList<AppInfo::Component> AppInfo::components() {
    return {
        {QStringLiteral("Qt"), QString::fromLatin1(qVersion())},
        {QStringLiteral("SQLite"), SalesStore::engineVersion()},
        {QStringLiteral("libical"), QStringLiteral("%1.%2.%3")
                                        .arg(ICAL_MAJOR_VERSION)
                                        .arg(ICAL_MINOR_VERSION)
                                        .arg(ICAL_PATCH_VERSION)},
    };
}

QString AppInfo::reportText() {
    QStringList lines{
        QStringLiteral("%1 %2.%3.%4").arg(title()).arg(major()).arg(minor()).arg(revision())};
    for (const Component& component : components())
        lines << component.name + QLatin1Char(' ') + component.version;
    lines << QSysInfo::prettyProductName() + QStringLiteral(", ") +
                 QSysInfo::currentCpuArchitecture();
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
