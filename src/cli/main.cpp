// corvane-cli: Corvane's pipelines from a terminal or a script. See CommandLine.h.

#include "cli/CommandLine.h"

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    // Without regional settings (the C locale) write and read the texts a US user would see.
    if (QLocale().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QTextStream out(stdout);
    QTextStream err(stderr);
    CommandLine commandLine(out, err);
    return commandLine.run(application.arguments().mid(1));
}
