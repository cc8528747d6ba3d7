#include "reports/ReportFormula.h"

ReportFormula ReportFormula::parse(const QString& text) {
    ReportFormula formula;
    const qsizetype equals = text.indexOf(QLatin1Char('='));
    if (equals < 0) {
        formula.name = text.trimmed();
        return formula;
    }
    formula.name = text.left(equals).trimmed();
    const QString rest = text.mid(equals + 1);
    const qsizetype first = rest.indexOf(QLatin1Char('\''));
    const qsizetype last = rest.lastIndexOf(QLatin1Char('\''));
    if (first >= 0 && last > first)
        formula.value = rest.mid(first + 1, last - first - 1);
    else
        formula.value = rest.trimmed(); // a value without its apostrophes is taken as it stands
    return formula;
}
