#pragma once

#include <QDate>
#include <QString>
#include <optional>

class Opportunity;

// What the editor's OK writes into an opportunity: the texts of its fields, the combos' texts
// where the user chose one, and the order date where he picked one. What he left alone keeps
// its stored text, so a value another program wrote (a stage not in the list, an order date in
// the past) survives an edit of the note.
struct OpportunityEdit {
    // Longest Company, Department and Contact kept.
    static constexpr int ShortTextLength = 32;
    // Characters of the description the caption shows.
    static constexpr int CaptionLength = 25;

    QString description;
    QString company;
    QString department;
    QString note;
    QString product;
    QString quantity; // as shown; stored in its plain form
    QString unitPrice;
    QString revenue;
    QString contact;
    std::optional<QString> probability; // nothing: keep the stored text
    std::optional<QString> stage;
    std::optional<QString> source;
    bool forecast = false;
    std::optional<QDate> orderDate; // nothing: keep the stored date

    // Writes the fields in the editor's order; an empty description becomes "None", Company,
    // Department and Contact are cut to their first 32 characters.
    void writeInto(Opportunity& opportunity) const;

    // The dialog's caption for an opportunity: "Edit - [", the first 25 characters of its
    // description, "...]".
    static QString caption(const QString& description);
};
