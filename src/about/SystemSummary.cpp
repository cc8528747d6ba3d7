#include "about/SystemSummary.h"

#include "about/AppInfo.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>
#include <QSysInfo>

namespace {

// The primary screen in pixels and in the units windows are laid out in, with its scale.
QString screenText() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QStringLiteral("none");
    const qreal ratio = screen->devicePixelRatio();
    const QSize logical = screen->size();
    const QSize pixels = (QSizeF(logical) * ratio).toSize();
    return QStringLiteral("%1x%2 pixels, scale %3% (%4x%5 for windows), %6 dpi")
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(qRound(ratio * 100))
        .arg(logical.width())
        .arg(logical.height())
        .arg(qRound(screen->logicalDotsPerInch()));
}

QString dataFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::cleanPath(base + QStringLiteral("/Corvane"));
}

} // namespace

QList<SystemSummary::Entry> SystemSummary::entries(const SettingsStore& store) {
    QList<Entry> list{
        {AppInfo::title(), QStringLiteral("%1.%2.%3")
                               .arg(AppInfo::major())
                               .arg(AppInfo::minor())
                               .arg(AppInfo::revision())},
        {QStringLiteral("Operating system"), QSysInfo::prettyProductName()},
        {QStringLiteral("Kernel"),
         QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion()},
        {QStringLiteral("Architecture"), QSysInfo::currentCpuArchitecture()},
    };
    for (const AppInfo::Component& component : AppInfo::components())
        list.append({component.name, component.version});
    const QLocale locale;
    list.append({
        {QStringLiteral("Window system"), QGuiApplication::platformName()},
        {QStringLiteral("Screen"), screenText()},
        {QStringLiteral("Locale"),
         locale.name() + QStringLiteral(" (") + QLocale::languageToString(locale.language()) +
             QStringLiteral(", ") + QLocale::territoryToString(locale.territory()) +
             QLatin1Char(')')},
        {QStringLiteral("Settings file"), QDir::toNativeSeparators(store.filePath())},
        {QStringLiteral("Data folder"), QDir::toNativeSeparators(dataFolder())},
    });
    return list;
}

QString SystemSummary::text(const QList<Entry>& entries) {
    QString lines;
    for (const Entry& entry : entries)
        lines += entry.name + QStringLiteral(": ") + entry.value + QLatin1Char('\n');
    return lines;
}
