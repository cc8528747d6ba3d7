#pragma once

#include <QDate>
#include <QString>
#include <array>

// One opportunity as a report sees it: the texts of the nineteen fields of table Sales, and the
// values read from them once (amounts, probability, expected order date).
struct ReportRecord {
    static constexpr int FieldCount = 19;

    std::array<QString, FieldCount> fields;
    double revenue = 0;
    double unitPrice = 0;
    double quantity = 0;
    double probability = 0; // percent, 0 to 100
    double weighted = 0;    // revenue x probability
    QDate orderDate;        // invalid when the stored date cannot be read

    // The position of a field of table Sales (case-insensitive); -1 for none.
    static int fieldIndex(const QString& name);
    const QString& field(int index) const { return fields[static_cast<size_t>(index)]; }

    // Reads the values from the texts.
    void computeValues();

    // The percent at the start of a probability text ("75% - Favored" reads as 75).
    static double probabilityOf(const QString& text);
    // The expected order date of the three stored texts: the month by its full name in the
    // user's locale, in English, or as a number; an invalid date when they give none.
    static QDate orderDateOf(const QString& year, const QString& month, const QString& day);
};
