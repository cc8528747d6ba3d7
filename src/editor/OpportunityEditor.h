#pragma once

#include "editor/OpportunityEdit.h"
#include "platform/Result.h"
#include "store/Opportunity.h"

#include <QDate>
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

class OutlookContacts;
class User;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace Ui {
class OpportunityEditor;
}

// The dialog in which the user fills in or changes one opportunity: description, contact,
// company, department and note; product, unit price and quantity with the computed revenue;
// stage, probability, source and forecast; and the expected order date in a month calendar.
//
// It knows neither the main window nor the open databases: editNew and edit hand it a copy of
// the opportunity and the functions that write the edited copy or remove a new one's
// placeholder; it never holds anything of the collection. The caller then shows it modally with
// exec(): Accepted after the opportunity was written, Rejected after Cancel, Escape or closing the
// frame (a new opportunity's placeholder is then removed). A failed write is reported, the
// opportunity goes back to its stored values and the dialog stays open with what the user typed.
class OpportunityEditor : public QDialog {
    Q_OBJECT
public:
    // Writes the edited copy of the opportunity (every field as the dialog shows it).
    using WriteFunction = std::function<Result(const Opportunity& edited)>;
    // Removes a new opportunity's placeholder from its collection and file.
    using RemoveFunction = std::function<Result()>;

    // The profile says whether the contacts are listed.
    explicit OpportunityEditor(User& user, QWidget* parent = nullptr);
    ~OpportunityEditor() override;

    // The application's contacts, listed while the user profile's UseOutlook is on; nullptr
    // when there are none.
    void setContacts(OutlookContacts* contacts) { m_contacts = contacts; }

    // Edit for an opportunity that New has just added as a placeholder; Cancel removes it.
    void editNew(const Opportunity& opportunity, WriteFunction write, RemoveFunction removeNew);
    // Fills the dialog from `opportunity`; OK writes it through `write`. Does not show it.
    void edit(const Opportunity& opportunity, WriteFunction write);
    // True between EditNew and the end of the dialog.
    bool newOpportunity() const { return m_newOpportunity; }

public slots:
    // OK: writes the opportunity; the dialog stays open when that fails.
    void accept() override;
    // Cancel, Escape and the frame's close: nothing typed is written.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString calculateRevenue();
    void recalculate();
    // The first amount field whose text the user's locale does not read as a number; its note
    // is shown next to the fields, or hidden when there is none.
    QLineEdit* checkAmounts();
    void fillContactList();
    void contactChosen(int index);
    void orderDatePicked(const QDate& date);
    void showHelp();
    void showOrderDate(const QDate& date);
    void limitLength(QPlainTextEdit* edit, int length);
    OpportunityEdit edited() const;
    void finish();

    QString text(int index) const;
    void setText(int index, const QString& text);

    std::unique_ptr<Ui::OpportunityEditor> ui;
    User& m_user;
    OutlookContacts* m_contacts = nullptr;
    std::optional<Opportunity> m_opportunity; // the copy being edited
    WriteFunction m_write;
    RemoveFunction m_removeNew;
    bool m_newOpportunity = false;
    // The combos the user chose an entry in since Edit; the others keep the stored text.
    bool m_stageChosen = false;
    bool m_probabilityChosen = false;
    bool m_sourceChosen = false;
    // The date the user picked in the calendar since Edit; else the stored date is kept.
    std::optional<QDate> m_pickedDate;
    bool m_showingDate = false;
};
