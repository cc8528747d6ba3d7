#include "editor/RevenueCalculation.h"

#include "platform/LocaleText.h"
#include "store/NumericText.h"
#include "store/OpportunityFields.h"

#include <QLocale>
#include <cmath>

namespace {

// An amount as the field shows it, or nothing when it is no finite number or its text would
// not fit the field it is stored in.
std::optional<QString> fitting(double amount, int size) {
    if (!std::isfinite(amount))
        return std::nullopt;
    QString text = RevenueCalculation::shown(amount);
    if (text.size() > size)
        return std::nullopt;
    return text;
}

// The amount as shown: rounded to the two decimals of the field, so that the revenue is the
// product of the numbers the user sees.
double rounded(double amount) {
    return std::round(amount * 100.0) / 100.0;
}

} // namespace

QString RevenueCalculation::shown(double amount) {
    return LocaleText::number(amount, 2);
}

double RevenueCalculation::readAmount(const QString& text) {
    const QString trimmed = text.trimmed();
    const QLocale locale;
    const bool plain = !trimmed.contains(locale.negativeSign()) &&
                       !trimmed.contains(QLatin1Char('-')) &&
                       !trimmed.contains(locale.exponential(), Qt::CaseInsensitive);
    if (plain) {
        bool ok = false;
        const double value = locale.toDouble(trimmed, &ok);
        if (ok && std::isfinite(value))
            return value;
    }
    return amountOf(text);
}

QString RevenueCalculation::storedQuantity(const QString& shownQuantity) {
    const double amount = readAmount(shownQuantity);
    return std::isfinite(amount) ? QString::number(rounded(amount), 'f', 2)
                                 : QStringLiteral("0.00");
}

RevenueCalculation::Outcome RevenueCalculation::calculate(const QString& quantityText,
                                                          const QString& unitPriceText) {
    static const int amountSize = OpportunityFields::info(OpportunityFields::Quantity).size;
    static const int revenueSize = OpportunityFields::info(OpportunityFields::Revenue).size;
    Outcome outcome;
    const QString zero = shown(0.0);

    const double quantity = rounded(readAmount(quantityText));
    const auto quantityShown = fitting(quantity, amountSize);
    if (!quantityShown) {
        outcome.quantity = zero;
        outcome.unitPrice = unitPriceText;
        return outcome;
    }
    outcome.quantity = *quantityShown;

    const double unitPrice = rounded(readAmount(unitPriceText));
    const auto unitPriceShown = fitting(unitPrice, amountSize);
    const double revenue = unitPrice * quantity;
    QString revenueText = std::isfinite(revenue) ? LocaleText::currency(revenue) : QString();
    if (!unitPriceShown || revenueText.isEmpty() || revenueText.size() > revenueSize) {
        outcome.unitPrice = zero;
        return outcome;
    }
    outcome.unitPrice = *unitPriceShown;
    outcome.revenue = std::move(revenueText);
    return outcome;
}
