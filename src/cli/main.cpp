// corvane-cli: Corvane's pipelines from a terminal or a script. See CommandLine.h.

#include "cli/CommandLine.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>
#include <cstring>
#include <memory>

#ifdef CORVANE_CLI_REPORTS
#include <QGuiApplication>
#endif

int main(int argc, char* argv[]) {
    std::unique_ptr<QCoreApplication> application;
#ifdef CORVANE_CLI_REPORTS
    // The report command paints pages and charts, whose fonts need the GUI application. It
    // never shows a window: unless told otherwise it draws off screen, so that it runs without
    // a display (and a display that cannot be reached does not stop it). Every other command
    // stays on the light core application.
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
#endif
    if (!application)
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    // Without regional settings (the C locale) write and read the texts a US user would see.
    if (QLocale().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QTextStream out(stdout);
    QTextStream err(stderr);
    int status = 0;
    {
        CommandLine commandLine(out, err);
        // The bytes as given: file names are passed on unchanged or refused.
        QList<QByteArray> arguments;
        for (int i = 1; i < argc; ++i)
            arguments.append(QByteArray(argv[i]));
        status = commandLine.run(arguments);
    }
    return status;
}
