#include "about/HelpManual.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString ManualFolder = QStringLiteral("manual");
const QString DataSubfolder = QStringLiteral("corvane/manual");

QString notFoundText(const QStringList& folders) {
    QStringList shown;
    for (const QString& folder : folders)
        shown << QDir::toNativeSeparators(folder);
    return QStringLiteral("The Corvane manual cannot be found. It was looked for in:\n%1\n\n"
                          "Building or installing Corvane again puts it back.")
        .arg(shown.join(QLatin1Char('\n')));
}
} // namespace

QStringList HelpManual::defaultFolders() {
    const QString appDir = QCoreApplication::applicationDirPath();
    QStringList folders{QDir(appDir).filePath(ManualFolder),
                        QDir::cleanPath(appDir + QStringLiteral("/../") +
                                        QStringLiteral(CORVANE_DATADIR "/") + DataSubfolder)};
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << QDir(data).filePath(DataSubfolder);
    folders.removeDuplicates();
    return folders;
}

HelpManual::HelpManual(const QStringList& folders) : m_folders(folders) {}

QString HelpManual::folder() const {
    for (const QString& folder : m_folders)
        if (QFileInfo(QDir(folder).filePath(QLatin1String(Contents))).isFile())
            return QDir(folder).absolutePath();
    return QString();
}

ResultValue<QUrl> HelpManual::topicUrl(const QString& topic) const {
    const QString folder = this->folder();
    if (folder.isEmpty())
        return ResultValue<QUrl>::failure(notFoundText(m_folders));

    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    QString page = hash < 0 ? topic : topic.left(hash);
    const QString anchor = hash < 0 ? QString() : topic.mid(hash + 1);
    if (page.isEmpty())
        page = QLatin1String(Contents);

    const QDir dir(folder);
    const QString path = QDir::cleanPath(dir.filePath(page));
    const bool inside = path.startsWith(dir.absolutePath() + QLatin1Char('/'));
    if (!inside || !QFileInfo(path).isFile())
        return ResultValue<QUrl>::failure(
            QStringLiteral("The page \"%1\" is missing from the Corvane manual in %2.")
                .arg(page, QDir::toNativeSeparators(folder)));

    QUrl url = QUrl::fromLocalFile(path);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}
