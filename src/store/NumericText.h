#pragma once

#include <QString>

// Amounts are stored and typed as formatted text ("$12,500.00"). NumericText keeps only the
// digits and points; LeadingNumber reads the number at the start of such a cleaned text.
QString numericText(const QString& text);
// The longest beginning of the form digits[.digits]; "" and texts without digits read as 0,
// ".5" as 0.5, "1.2.3" as 1.2.
double leadingNumber(const QString& cleaned);
// The amount an amount text (revenue, unit price, quantity, a revenue bound) stands for: read
// as a number or currency text of the user's locale (LocaleText::amount) when it is a valid
// one, so that "1.250,00 €" is 1250 in German; else by the digits-and-point rule,
// leadingNumber(numericText(text)), so that "$1,250.00" reads 1250 in every locale. Amounts are
// magnitudes: a minus sign or parentheses do not make them negative. Callers that add many
// amounts keep the value instead of reading the text again (Opportunity::RevenueAmount).
double amountOf(const QString& text);
