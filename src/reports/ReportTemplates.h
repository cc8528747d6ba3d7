#pragma once

#include <QString>
#include <QStringList>

// The templates shipped with the application and where they are found: beside the executable
// first, then in the installed data folder.
class ReportTemplates {
public:
    // The menu's templates by index 1 to 8, as the window names them ("\Summary.rpt"); "" for
    // other indexes.
    static QString templateText(int index);
    // The menu item's caption of index 1 to 8 ("Summary", ..., "Forecast (By Month)").
    static QString caption(int index);
    // The names of the shipped templates: Summary, Detail, ..., Mnthfcst.
    static QStringList names();

    // The folders searched for templates, in order.
    static QStringList folders();
    // The template file of `nameOrPath`: an existing path as it is; a template name
    // ("Revenue", "Revenue.rpt") or a path whose file is missing, by its file name in the
    // folders. "" when none is found.
    static QString locate(const QString& nameOrPath);
};
