#include "pim/PimFolders.h"

#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
QString folderSetting(SettingsStore& store, const QString& key, const QString& name) {
    const QString section = QString::fromLatin1(PimFolders::Section);
    const QString app = QString::fromLatin1(SettingsStore::AppName);
    const QString stored = store.getSetting(app, section, key).trimmed();
    if (!stored.isEmpty())
        return stored;
    const QString folder = PimFolders::defaultFolder(name);
    (void)store.saveSetting(app, section, key, folder); // a failed write keeps the default
    return folder;
}

PimResult prepareFolder(const QString& what, const QString& path, bool writable) {
    if (path.isEmpty())
        return PimResult::failure(QStringLiteral("No %1 folder is set.").arg(what));
    const QFileInfo info(path);
    if (!info.exists() && !QDir().mkpath(path))
        return PimResult::failure(
            QStringLiteral("The %1 folder \"%2\" cannot be created.").arg(what, path));
    if (!QFileInfo(path).isDir())
        return PimResult::failure(
            QStringLiteral("The %1 folder \"%2\" is not a folder.").arg(what, path));
    const QDir dir(path);
    if (!dir.isReadable())
        return PimResult::failure(
            QStringLiteral("The %1 folder \"%2\" cannot be read.").arg(what, path));
    if (writable) {
        // Only a real write tells (permissions, read-only mounts, full disks).
        QTemporaryFile probe(dir.filePath(QStringLiteral(".corvane-probe-XXXXXX")));
        if (!probe.open() || probe.write("x", 1) != 1 || !probe.flush())
            return PimResult::failure(
                QStringLiteral("The %1 folder \"%2\" cannot be written.").arg(what, path));
    }
    return {};
}
} // namespace

PimFolders PimFolders::fromSettings(SettingsStore& store) {
    return PimFolders(
        folderSetting(store, QStringLiteral("ContactsFolder"), QStringLiteral("Contacts")),
        folderSetting(store, QStringLiteral("CalendarFolder"), QStringLiteral("Calendar")),
        folderSetting(store, QStringLiteral("DraftsFolder"), QStringLiteral("Drafts")));
}

QString PimFolders::defaultFolder(const QString& name) {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/Corvane/") + name);
}

bool PimFolders::save(SettingsStore& store) const {
    const QString section = QString::fromLatin1(Section);
    const QString app = QString::fromLatin1(SettingsStore::AppName);
    bool written = store.saveSetting(app, section, QStringLiteral("ContactsFolder"), m_contacts);
    written =
        store.saveSetting(app, section, QStringLiteral("CalendarFolder"), m_calendar) && written;
    written = store.saveSetting(app, section, QStringLiteral("DraftsFolder"), m_drafts) && written;
    return store.flush() && written;
}

PimResult PimFolders::prepare() const {
    if (PimResult r = prepareFolder(QStringLiteral("contacts"), m_contacts, false); !r)
        return r;
    if (PimResult r = prepareFolder(QStringLiteral("calendar"), m_calendar, true); !r)
        return r;
    return prepareFolder(QStringLiteral("drafts"), m_drafts, true);
}
