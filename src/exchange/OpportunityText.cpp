#include "exchange/OpportunityText.h"

#include "store/Opportunity.h"

QString LabelLine(const QString& label, const QString& value) {
    if (value.isEmpty())
        return QString();
    return label + QLatin1Char('\t') + value + QStringLiteral("\r\n");
}

QString OpportunityText(const Opportunity& o) {
    QString text = QStringLiteral("\r\n");
    text += LabelLine(QStringLiteral("Description"), o.Description());
    text += LabelLine(QStringLiteral("Company    "), o.Company());
    text += LabelLine(QStringLiteral("Contact    "), o.Contact());
    text += LabelLine(QStringLiteral("Department "), o.Department());
    text += LabelLine(QStringLiteral("Note       "), o.Note());
    text += LabelLine(QStringLiteral("Product    "), o.Product());
    text += LabelLine(QStringLiteral("Quantity   "), o.Quantity());
    text += LabelLine(QStringLiteral("Price      "), o.UnitPrice());
    text += LabelLine(QStringLiteral("Revenue    "), o.Revenue());
    text += LabelLine(QStringLiteral("Stage      "), o.Stage());
    text += LabelLine(QStringLiteral("Probability"), o.Probability());
    text += LabelLine(QStringLiteral("Forecast   "), o.Forecast());
    text += LabelLine(QStringLiteral("Source     "), o.Source());
    text += LabelLine(QStringLiteral("Order Date "), o.OrderDateText());
    return text;
}
