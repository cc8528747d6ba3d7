#include "reports/ReportRecord.h"

#include "platform/LocaleText.h"
#include "store/NumericText.h"
#include "store/OpportunityFields.h"

#include <QLocale>

namespace {
int indexOf(const char* name) {
    return ReportRecord::fieldIndex(QLatin1String(name));
}
} // namespace

int ReportRecord::fieldIndex(const QString& name) {
    for (size_t i = 0; i < OpportunityFields::Fields.size(); ++i) {
        if (name.compare(QLatin1String(OpportunityFields::Fields[i].storedName),
                         Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

void ReportRecord::computeValues() {
    static const int revenueField = indexOf("Revenue");
    static const int unitPriceField = indexOf("UnitPrice");
    static const int quantityField = indexOf("Quantity");
    static const int probabilityField = indexOf("Probability");
    static const int yearField = indexOf("OrderYear");
    static const int monthField = indexOf("OrderMonth");
    static const int dayField = indexOf("OrderDay");
    revenue = amountOf(field(revenueField));
    unitPrice = amountOf(field(unitPriceField));
    quantity = amountOf(field(quantityField));
    probability = probabilityOf(field(probabilityField));
    weighted = revenue * probability / 100.0;
    orderDate = orderDateOf(field(yearField), field(monthField), field(dayField));
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
