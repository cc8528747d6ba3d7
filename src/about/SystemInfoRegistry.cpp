#include "about/SystemInfoRegistry.h"

#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {
bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// The absolute path of `program`: a name is looked up on the PATH, a path (with a slash, or
// starting with "~/") is taken as it is.
QString resolve(const QString& program) {
    QString path = program;
    if (path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    if (!path.contains(QLatin1Char('/')))
        return QStandardPaths::findExecutable(path);
    return isExecutableFile(path) ? QFileInfo(path).absoluteFilePath() : QString();
}
} // namespace

const QStringList& SystemInfoRegistry::programsOnPath() {
    static const QStringList programs{
        QStringLiteral("hardinfo"),    // System Profiler and Benchmark (GTK)
        QStringLiteral("kinfocenter"), // KDE Info Center
        QStringLiteral("cpu-x"),       // CPU-X (GTK)
        QStringLiteral("lshw-gtk"),    // the hardware lister's window
    };
    return programs;
}

QString SystemInfoRegistry::unavailableText() {
    return QStringLiteral("System Information Is Unavailable At This Time");
}

std::optional<SystemInfoRegistry::Command>
SystemInfoRegistry::fromSettings(const SettingsStore& store) {
    const QString stored = store.getSetting(QLatin1String(SettingsStore::AppName),
                                            QLatin1String(Section), QLatin1String(Key));
    QStringList words = QProcess::splitCommand(stored);
    if (words.isEmpty())
        return std::nullopt;
    const QString program = resolve(words.takeFirst());
    if (program.isEmpty())
        return std::nullopt;
    return Command{program, words};
}

std::optional<SystemInfoRegistry::Command> SystemInfoRegistry::fromPath() {
    for (const QString& name : programsOnPath()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty())
            return Command{program, {}};
    }
    return std::nullopt;
}

ResultValue<SystemInfoRegistry::Command> SystemInfoRegistry::find(const SettingsStore& store) {
    if (auto command = fromSettings(store))
        return *command;
    if (auto command = fromPath())
        return *command;
    return ResultValue<Command>::failure(unavailableText());
}
