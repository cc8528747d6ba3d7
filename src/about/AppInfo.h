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

    static QString Title();
    static int Major();
    static int Minor();
    static int Revision();
    // "Version 3.5.0".
    static QString VersionText();
    // Qt (the one running), SQLite (the one running) and libical (the one built against).
    static QList<Component> Components();
    // The application, its components and the system, one per line, for the clipboard.
    static QString ReportText();
};
