#pragma once

#include <QString>

// A formula text as the window hands it over, "SalesRep= 'O'Brien'": the name before the
// equals sign and the value between the first and the last apostrophe, so that apostrophes
// inside the value are part of it. The value is only ever printed; it never changes what a
// template does.
struct ReportFormula {
    QString name;
    QString value;

    static ReportFormula parse(const QString& text);
};
