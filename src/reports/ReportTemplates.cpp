#include "reports/ReportTemplates.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
struct Entry {
    const char* caption;
    const char* name;
};
constexpr Entry Entries[] = {{"Summary", "Summary"},
                             {"Detail", "Detail"},
                             {"By Probability", "Probability"},
                             {"By Revenue", "Revenue"},
                             {"By Stage", "Stage"},
                             {"Forecast", "Forecast"},
                             {"Forecast (By Week)", "Wklyfcst"},
                             {"Forecast (By Month)", "Mnthfcst"}};
constexpr int EntryCount = int(sizeof(Entries) / sizeof(Entries[0]));
} // namespace

QString ReportTemplates::templateText(int index) {
    if (index < 1 || index > EntryCount)
        return QString();
    return QLatin1Char('\\') + QLatin1String(Entries[index - 1].name) + QStringLiteral(".rpt");
}

QString ReportTemplates::caption(int index) {
    if (index < 1 || index > EntryCount)
        return QString();
    return QLatin1String(Entries[index - 1].caption);
}

QStringList ReportTemplates::names() {
    QStringList result;
    for (const Entry& entry : Entries)
        result.append(QLatin1String(entry.name));
    return result;
}

QStringList ReportTemplates::folders() {
    QStringList result;
    const QString programDir = QCoreApplication::applicationDirPath();
    if (!programDir.isEmpty()) {
        result.append(programDir);
        result.append(QDir::cleanPath(programDir + QStringLiteral("/../share/corvane/reports")));
    }
    result.append(QStringLiteral(CORVANE_INSTALLED_REPORTS));
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        result.append(data + QStringLiteral("/corvane/reports"));
    result.removeDuplicates();
    return result;
}

QString ReportTemplates::locate(const QString& nameOrPath) {
    if (nameOrPath.isEmpty())
        return QString();
    // The window names its templates with a backslash, as "\Summary.rpt" after the folder.
    QString path = nameOrPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo given(path);
    if (given.isFile())
        return given.absoluteFilePath();
    QString fileName = given.fileName();
    if (fileName.isEmpty())
        return QString();
    if (!fileName.endsWith(QLatin1String(".rpt"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".rpt");
    // Only a shipped template named bare or in the program's folder is looked for elsewhere;
    // any other missing file stays missing.
    const bool bare = !path.contains(QLatin1Char('/'));
    const QString programDir = QCoreApplication::applicationDirPath();
    if (!bare && (programDir.isEmpty() || QFileInfo(given.absolutePath()) != QFileInfo(programDir)))
        return QString();
    bool shipped = false;
    for (const QString& name : names())
        shipped =
            shipped || fileName.compare(name + QStringLiteral(".rpt"), Qt::CaseInsensitive) == 0;
    if (!shipped)
        return QString();
    for (const QString& folder : folders()) {
        const QDir dir(folder);
        for (const QString& name : names()) {
            const QString candidate = name + QStringLiteral(".rpt");
            if (candidate.compare(fileName, Qt::CaseInsensitive) == 0 &&
                QFileInfo(dir.filePath(candidate)).isFile())
                return dir.filePath(candidate);
        }
    }
    return QString();
}
