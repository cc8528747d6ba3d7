#include "exchange/OpportunityText.h"

#include "store/Opportunity.h"

QString labelLine(const QString& label, const QString& value) {
    if (value.isEmpty())
        return QString();
    return label + QLatin1Char('\t') + value + QStringLiteral("\r\n");
}

QString opportunityText(const Opportunity& o) {
    QString text = QStringLiteral("\r\n");
    text += labelLine(QStringLiteral("Description"), o.description());
    text += labelLine(QStringLiteral("Company    "), o.company());
    text += labelLine(QStringLiteral("Contact    "), o.contact());
    text += labelLine(QStringLiteral("Department "), o.department());
    text += labelLine(QStringLiteral("Note       "), o.note());
    text += labelLine(QStringLiteral("Product    "), o.product());
    text += labelLine(QStringLiteral("Quantity   "), o.quantity());
    text += labelLine(QStringLiteral("Price      "), o.unitPrice());
    text += labelLine(QStringLiteral("Revenue    "), o.revenue());
    text += labelLine(QStringLiteral("Stage      "), o.stage());
    text += labelLine(QStringLiteral("Probability"), o.probability());
    text += labelLine(QStringLiteral("Forecast   "), o.forecast());
    text += labelLine(QStringLiteral("Source     "), o.source());
    text += labelLine(QStringLiteral("Order Date "), o.orderDateText());
    return text;
}
