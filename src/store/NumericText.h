#pragma once

#include <QString>

// Amounts are stored and typed as formatted text ("$12,500.00"). NumericText keeps only the
// digits and points; LeadingNumber reads the number at the start of such a cleaned text.
QString NumericText(const QString& text);
// The longest beginning of the form digits[.digits]; "" and texts without digits read as 0,
// ".5" as 0.5, "1.2.3" as 1.2.
double LeadingNumber(const QString& cleaned);
// LeadingNumber(NumericText(text)): the amount a revenue text stands for.
double AmountOf(const QString& text);
