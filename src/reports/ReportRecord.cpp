#include "reports/ReportRecord.h"

#include "platform/LocaleText.h"
#include "store/NumericText.h"
#include "store/OpportunityFields.h"

#include <QLocale>

int ReportRecord::fieldIndex(const QString& name) {
    const auto field = OpportunityFields::byStoredName(name);
    return field ? static_cast<int>(*field) : -1;
}

void ReportRecord::computeValues() {
    using F = OpportunityFields::Field;
    revenue = amountOf(field(F::Revenue));
    unitPrice = amountOf(field(F::UnitPrice));
    quantity = amountOf(field(F::Quantity));
    probability = probabilityOf(field(F::Probability));
    weighted = revenue * probability / 100.0;
    orderDate = orderDateOf(field(F::OrderYear), field(F::OrderMonth), field(F::OrderDay));
}

double ReportRecord::probabilityOf(const QString& text) {
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size() && end < 3 && trimmed[end].isDigit() &&
           trimmed[end].unicode() < 128)
        ++end;
    if (end == 0 || end >= trimmed.size() || trimmed[end] != QLatin1Char('%'))
        return 0;
    return qMin(100, trimmed.left(end).toInt());
}

QDate ReportRecord::orderDateOf(const QString& yearText, const QString& monthText,
                                const QString& dayText) {
    bool ok = false;
    const int year = yearText.trimmed().toInt(&ok);
    if (!ok || year < 1 || year > 9999)
        return {};
    const QString monthName = monthText.trimmed();
    int month = LocaleText::monthNumber(monthName);
    if (month == 0) {
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        for (int m = 1; m <= 12 && month == 0; ++m) {
            if (monthName.compare(english.monthName(m), Qt::CaseInsensitive) == 0)
                month = m;
        }
    }
    if (month == 0) {
        const int number = monthName.toInt(&ok);
        if (ok && number >= 1 && number <= 12)
            month = number;
    }
    const int day = dayText.trimmed().toInt(&ok);
    if (month == 0 || !ok)
        return {};
    return QDate(year, month, day); // invalid for days the month has not
}
