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
    for (const OpportunityFields::TextLine& line : OpportunityFields::textLines())
        text += labelLine(line.label.leftJustified(11),
                          line.field ? o.text(*line.field) : o.orderDateText());
    return text;
}
