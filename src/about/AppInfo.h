#pragma once

#include <QList>
#include <QString>

// The application's title and version, and the versions of the libraries it runs on, as the
// about box shows them and as a problem report should quote them.
class AppInfo {
public:
    struct Component {
        QString name;
        QString version;
    };

    static QString title();
    static int major();
    static int minor();
    static int revision();
    // "Version 3.5.0".
    static QString versionText();
    // Qt (the one running), SQLite (the one running) and libical (the one built against).
    static QList<Component> components();
    // The application, its components and the system, one per line, for the clipboard.
    static QString reportText();
};
