#include "platform/UiServices.h"

#include "platform/HeadlessUiServices.h"
#include "platform/WorkProgress.h"

#include <QProcess>
#include <QStandardPaths>

namespace {
UiServices* g_installed = nullptr;
UiServices* g_default = nullptr;
} // namespace

UiServices& UiServices::instance() {
    if (g_installed)
        return *g_installed;
    if (g_default)
        return *g_default;
    // Without a GUI (command-line tools) nobody can be asked: every question gets its default.
    static HeadlessUiServices headless;
    return headless;
}

void UiServices::setInstance(UiServices* services) {
    g_installed = services;
}

void UiServices::setDefault(UiServices* services) {
    g_default = services;
}

std::unique_ptr<WorkProgress> UiServices::startWork(const QString& /*title*/,
                                                    const QString& /*label*/) {
    return std::make_unique<SilentWorkProgress>();
}

int UiServices::runAndWait(const QString& program, const QStringList& arguments, int waitMs) {
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return -1;
    // Not owned by anybody: a program still running when this process ends is not killed.
    auto* process = new QProcess;
    process->setProgram(found);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return -1;
    }
    if (!process->waitForFinished(waitMs)) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return 0;
    }
    const int status = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    delete process;
    return status;
}
