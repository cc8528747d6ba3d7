#pragma once

#include <QString>

// Amounts are stored and typed as formatted text ("$12,500.00"). NumericText keeps only the
// digits and points; LeadingNumber reads the number at the start of such a cleaned text.
QString numericText(const QString& text);
// The longest beginning of the form digits[.digits]; "" and texts without digits read as 0,
// ".5" as 0.5, "1.2.3" as 1.2.
double leadingNumber(const QString& cleaned);
// The amount a stored amount text (revenue, unit price, quantity, a revenue bound) stands for,
// read by its own shape whatever the reader's locale, so that a file reads the same everywhere:
// only ASCII digits, "." and "," count (currency, blanks, apostrophes, signs and letters are
// skipped). When both "." and "," occur, the last of them is the decimal separator and the other
// groups thousands; one of them occurring more than once groups thousands; a single "," is the
// decimal separator when one or two digits follow it and groups thousands otherwise; a single "."
// is the decimal point ("1.125" is 1.125). "$1,250.00", "1.250,00 €", "1 250,00 €",
// "CHF 1'250.00" and "12,50,000.00" all read as written. Amounts are magnitudes: a minus sign or
// parentheses do not make them negative. Callers that add many amounts keep the value instead of
// reading the text again (Opportunity::RevenueAmount).
double amountOf(QStringView text);
// The amount the user typed into a field: read as a number or currency text of the user's
// locale (LocaleText::amount) when it is a valid one, so that "1.250" typed in German is 1250;
// else as a stored amount (amountOf).
double typedAmountOf(const QString& text);
