#pragma once

#include <QString>

// The editor's amounts: quantity and unit price shown as regional numbers, the revenue as a
// regional currency text, each read back in the user's locale first so that what the editor
// shows reads back as the same value.
class RevenueCalculation {
public:
    // What CalculateRevenue puts into the three fields.
    struct Outcome {
        QString quantity;
        QString unitPrice;
        QString revenue; // "" when an amount was too large
    };

    // Reads both fields, writes them back in the regional number format and gives the revenue
    // in the regional currency format. An amount too large for its field sets that field to
    // zero and empties the revenue (a revenue too large for its field counts against the unit
    // price).
    static Outcome calculate(const QString& quantityText, const QString& unitPriceText);

    // The amount a field's text stands for: a plain regional number (no sign, no exponent) as
    // the user's locale reads it, anything else by amountOf ("3 pcs" reads 3, "-3" reads 3).
    static double readAmount(const QString& text);

    // The stored form of a shown quantity: digits and "." only, two decimals ("1000.00" for a
    // shown "1,000.00" or "1.000,00"), which reads back the same in every locale.
    static QString storedQuantity(const QString& shownQuantity);

    // The regional text of an amount as the quantity and unit price fields show it.
    static QString shown(double amount);
};
