#include "editor/OpportunityEdit.h"

#include "editor/OrderDateRule.h"
#include "editor/RevenueCalculation.h"
#include "store/Opportunity.h"

namespace {
// The first `length` characters, without splitting a character made of two UTF-16 units.
QString cut(const QString& text, int length) {
    if (text.size() <= length)
        return text;
    return text.left(text.at(length - 1).isHighSurrogate() ? length - 1 : length);
}
} // namespace

void OpportunityEdit::writeInto(Opportunity& opportunity) const {
    opportunity.setDescription(description.isEmpty() ? QStringLiteral("None") : description);
    opportunity.setCompany(cut(company, ShortTextLength));
    opportunity.setDepartment(cut(department, ShortTextLength));
    opportunity.setNote(note);
    opportunity.setProduct(product);
    opportunity.setQuantity(RevenueCalculation::storedQuantity(quantity));
    opportunity.setUnitPrice(unitPrice);
    opportunity.setRevenue(revenue);
    opportunity.setContact(cut(contact, ShortTextLength));
    if (probability)
        opportunity.setProbability(*probability);
    if (stage)
        opportunity.setStage(*stage);
    if (source)
        opportunity.setSource(*source);
    opportunity.setForecast(forecast ? QStringLiteral("Yes") : QStringLiteral("No"));
    if (orderDate)
        OrderDateRule::write(*orderDate, opportunity);
}

QString OpportunityEdit::caption(const QString& description) {
    return QStringLiteral("Edit - [") + cut(description, CaptionLength) + QStringLiteral("...]");
}
