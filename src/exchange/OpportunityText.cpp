#include "exchange/OpportunityText.h"

#include "store/Opportunity.h"
#include "store/OpportunityFields.h"

QString labelLine(const QString& label, const QString& value) {
    if (value.isEmpty())
        return QString();
    return label + QLatin1Char('\t') + value + QStringLiteral("\r\n");
}

QString opportunityText(const Opportunity& o) {
    QString text = QStringLiteral("\r\n");
    // The labels line up: each is filled with blanks to the longest.
    static const qsizetype width = [] {
        qsizetype longest = 0;
        for (const OpportunityFields::TextLine& line : OpportunityFields::textLines())
            longest = qMax(longest, line.label.size());
        return longest;
    }();
    for (const OpportunityFields::TextLine& line : OpportunityFields::textLines())
        text += labelLine(line.label.leftJustified(width),
                          line.field ? o.text(*line.field) : o.orderDateText());
    return text;
}
