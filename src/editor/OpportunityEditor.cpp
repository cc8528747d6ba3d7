#include "editor/OpportunityEditor.h"

#include "about/HelpManual.h"
#include "about/HelpWindow.h"

#include <QShortcut>

#include "editor/OrderDateRule.h"
#include "editor/RevenueCalculation.h"
#include "outlook/OutlookContacts.h"
#include "platform/AccessKeys.h"
#include "platform/AmountValidator.h"
#include "platform/ScreenFit.h"
#include "platform/UiServices.h"
#include "settings/User.h"
#include "store/NumericText.h"
#include "store/Opportunity.h"
#include "store/ValueLists.h"
#include "ui_OpportunityEditor.h"

#include <QEvent>
#include <QLineEdit>
#include <QTextCursor>

namespace {

// The longest description and note the file keeps.
constexpr int LongTextLength = 128;

// Selects the entry whose text equals `text` exactly (of several equal ones the last), or no
// entry when none does.
void selectComboText(QComboBox& combo, const QString& text) {
    combo.setCurrentIndex(-1);
    for (int index = 0; index < combo.count(); ++index) {
        if (combo.itemText(index) == text)
            combo.setCurrentIndex(index);
    }
}

const QString ProductName = QStringLiteral("Corvane");

} // namespace

OpportunityEditor::OpportunityEditor(User& user, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::OpportunityEditor>()), m_user(user) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->combo_Stage->addItems(ValueLists::stage());
    ui->combo_Probability->addItems(ValueLists::probability());
    ui->combo_Source->addItems(ValueLists::source());
    ui->mvOrderDate->setFirstDayOfWeek(QLocale().firstDayOfWeek());

    // The revenue follows every move of the focus between the fields.
    const QList<QWidget*> fields{ui->txtDescription_0, ui->txtDescription_1, ui->txtDescription_2,
                                 ui->txtDescription_3, ui->txtDescription_4, ui->txtDescription_5,
                                 ui->txtDescription_6, ui->txtDescription_7};
    for (QWidget* field : fields)
        field->installEventFilter(this);
    for (QComboBox* combo :
         {ui->comboContact, ui->combo_Stage, ui->combo_Probability, ui->combo_Source})
        combo->installEventFilter(this);
    ui->comboContact->lineEdit()->installEventFilter(this);
    connect(ui->checkForecast, &QCheckBox::clicked, this, &OpportunityEditor::recalculate);
    // Quantity and unit price take what the user's locale reads as a number; a text it cannot
    // read is said next to them until it is mended.
    QPalette warning = ui->lblAmountProblem->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    ui->lblAmountProblem->setPalette(warning);
    for (QLineEdit* amount : {ui->txtDescription_5, ui->txtDescription_6}) {
        amount->setValidator(new AmountValidator(amount));
        connect(amount, &QLineEdit::textEdited, this, [this] {
            if (ui->lblAmountProblem->isVisibleTo(this))
                checkAmounts();
        });
    }

    for (QPlainTextEdit* edit : {ui->txtDescription_0, ui->txtDescription_3})
        connect(edit, &QPlainTextEdit::textChanged, this,
                [this, edit] { limitLength(edit, LongTextLength); });

    connect(ui->comboContact, qOverload<int>(&QComboBox::activated), this,
            &OpportunityEditor::contactChosen);
    connect(ui->combo_Stage, qOverload<int>(&QComboBox::activated), this,
            [this] { m_stageChosen = true; });
    connect(ui->combo_Probability, qOverload<int>(&QComboBox::activated), this,
            [this] { m_probabilityChosen = true; });
    connect(ui->combo_Source, qOverload<int>(&QComboBox::activated), this,
            [this] { m_sourceChosen = true; });

    connect(ui->mvOrderDate, &QCalendarWidget::clicked, this, [this](QDate date) {
        orderDatePicked(date);
        ui->cmdOK->setFocus();
    });
    // Keys move the selection too; what the calendar shows selected is what OK writes.
    connect(ui->mvOrderDate, &QCalendarWidget::selectionChanged, this, [this] {
        if (!m_showingDate)
            orderDatePicked(ui->mvOrderDate->selectedDate());
    });

    connect(ui->cmdOK, &QPushButton::clicked, this, &OpportunityEditor::accept);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &OpportunityEditor::reject);
    connect(ui->cmdHelp, &QPushButton::clicked, this, &OpportunityEditor::showHelp);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &OpportunityEditor::showHelp);

    AccessKeys::assignButtons(this);
    ScreenFit::resizeWithin(this);
}

OpportunityEditor::~OpportunityEditor() = default;

QString OpportunityEditor::text(int index) const {
    switch (index) {
    case 0:
        return ui->txtDescription_0->toPlainText();
    case 3:
        return ui->txtDescription_3->toPlainText();
    default:
        return findChild<QLineEdit*>(QStringLiteral("txtDescription_%1").arg(index))->text();
    }
}

void OpportunityEditor::setText(int index, const QString& text) {
    switch (index) {
    case 0:
        ui->txtDescription_0->setPlainText(text);
        return;
    case 3:
        ui->txtDescription_3->setPlainText(text);
        return;
    default: {
        auto* field = findChild<QLineEdit*>(QStringLiteral("txtDescription_%1").arg(index));
        // Unchanged text keeps the cursor and the undo history.
        if (field->text() != text)
            field->setText(text);
    }
    }
}

void OpportunityEditor::editNew(const Opportunity& opportunity, WriteFunction write,
                                RemoveFunction removeNew) {
    m_newOpportunity = true;
    m_removeNew = std::move(removeNew);
    edit(opportunity, std::move(write));
}

void OpportunityEditor::edit(const Opportunity& opportunity, WriteFunction write) {
    m_opportunity = opportunity;
    m_write = std::move(write);
    ui->lblAmountProblem->hide();
    setWindowTitle(OpportunityEdit::caption(opportunity.description()));

    setText(0, opportunity.description());
    setText(1, opportunity.company());
    setText(2, opportunity.department());
    setText(3, opportunity.note());
    setText(4, opportunity.product());
    // Stored amounts read by their own shape (the file may come from another locale) and show
    // in the user's, where what the user types is read.
    setText(5, RevenueCalculation::shown(amountOf(opportunity.quantity())));
    setText(6, RevenueCalculation::shown(amountOf(opportunity.unitPrice())));
    setText(7, opportunity.revenue());
    setText(7, calculateRevenue());

    fillContactList();
    ui->comboContact->setCurrentIndex(-1);
    ui->comboContact->setEditText(opportunity.contact());

    selectComboText(*ui->combo_Probability, opportunity.probability());
    selectComboText(*ui->combo_Stage, opportunity.stage());
    selectComboText(*ui->combo_Source, opportunity.source());
    m_stageChosen = m_probabilityChosen = m_sourceChosen = false;

    ui->checkForecast->setChecked(opportunity.forecast() == QLatin1String("Yes"));

    m_pickedDate.reset();
    showOrderDate(OrderDateRule::shownDate(opportunity, QDate::currentDate()));

    ui->txtDescription_0->selectAll();
    ui->txtDescription_0->setFocus();
}

// Lists the contacts while Outlook is used, reading them on first need. A failed connection is
// reported once and switches Outlook use off; the list then stays as it was.
void OpportunityEditor::fillContactList() {
    User& user = m_user;
    if (!user.useOutlook() || !m_contacts)
        return;
    if (!m_contacts->contactsLoaded())
        m_contacts->loadContacts();
    if (m_contacts->outlookError()) {
        UiServices::instance().messageBox(
            QStringLiteral("Unable to read the contacts folder. 'Use mail and calendar folders' "
                           "has been switched off."),
            QStringLiteral("Contacts Folder"), UiServices::Icon::Information,
            UiServices::Buttons::Ok);
        user.setUseOutlook(false);
        return;
    }
    QStringList entries;
    entries.reserve(m_contacts->count());
    for (qint32 position = 1; position <= m_contacts->count(); ++position) {
        const Contact* contact = m_contacts->item(position);
        entries.append(contact->fileAs() + QStringLiteral(", ") + contact->businessPhone());
    }
    ui->comboContact->clear();
    ui->comboContact->addItems(entries);
}

void OpportunityEditor::contactChosen(int index) {
    const Contact* contact = m_contacts ? m_contacts->item(index + 1) : nullptr;
    if (!contact)
        return;
    setText(1, contact->company());
    setText(2, contact->department());
}

QString OpportunityEditor::calculateRevenue() {
    const RevenueCalculation::Outcome outcome = RevenueCalculation::calculate(text(5), text(6));
    setText(5, outcome.quantity);
    setText(6, outcome.unitPrice);
    return outcome.revenue;
}

void OpportunityEditor::recalculate() {
    // An amount the locale cannot read is left as typed, never taken for 0.
    if (checkAmounts())
        return;
    setText(7, calculateRevenue());
}

QLineEdit* OpportunityEditor::checkAmounts() {
    const std::pair<QLineEdit*, const char*> amounts[] = {{ui->txtDescription_6, "Unit Price"},
                                                          {ui->txtDescription_5, "Quantity"}};
    for (const auto& [field, name] : amounts) {
        if (!AmountValidator::read(field->text())) {
            ui->lblAmountProblem->setText(
                AmountValidator::problemText(QLatin1String(name), field->text()));
            ui->lblAmountProblem->show();
            return field;
        }
    }
    ui->lblAmountProblem->hide();
    return nullptr;
}

bool OpportunityEditor::eventFilter(QObject* watched, QEvent* event) {
    const bool isCombo = qobject_cast<QComboBox*>(watched) != nullptr;
    switch (event->type()) {
    case QEvent::FocusIn:
        recalculate();
        break;
    case QEvent::FocusOut:
        if (!isCombo && watched != ui->comboContact->lineEdit())
            recalculate();
        break;
    case QEvent::Wheel:
        // A wheel turned over a combo on its way elsewhere does not change it.
        if (isCombo && !static_cast<QWidget*>(watched)->hasFocus())
            return true;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void OpportunityEditor::showOrderDate(const QDate& date) {
    const QDate today = QDate::currentDate();
    m_showingDate = true;
    ui->mvOrderDate->setDateRange(OrderDateRule::earliest(date, today),
                                  OrderDateRule::latest(date, today));
    ui->mvOrderDate->setSelectedDate(date);
    ui->mvOrderDate->setCurrentPage(date.year(), date.month());
    ui->mvOrderDate->setMarkedRange(today, OrderDateRule::rangeEnd(date, today));
    ui->mvOrderDate->setToolTip(OrderDateRule::daysToolTip(date, today));
    m_showingDate = false;
}

void OpportunityEditor::orderDatePicked(const QDate& date) {
    const QDate picked = OrderDateRule::picked(date, QDate::currentDate());
    m_pickedDate = picked;
    showOrderDate(picked);
}

void OpportunityEditor::showHelp() {
    HelpWindow::showTopic(QString::fromLatin1(HelpManual::EditorTopic), this);
}

// Typing or pasting beyond the field's size is cut back, the earlier text surviving.
void OpportunityEditor::limitLength(QPlainTextEdit* edit, int length) {
    const QString current = edit->toPlainText();
    if (current.size() <= length)
        return;
    QTextCursor cursor = edit->textCursor();
    const int excess = static_cast<int>(current.size()) - length;
    const int from = qMax(0, cursor.position() - excess);
    cursor.setPosition(from);
    cursor.setPosition(from + excess, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    edit->setTextCursor(cursor);
}

OpportunityEdit OpportunityEditor::edited() const {
    OpportunityEdit values;
    values.description = text(0);
    values.company = text(1);
    values.department = text(2);
    values.note = text(3);
    values.product = text(4);
    values.quantity = text(5);
    values.unitPrice = text(6);
    values.revenue = text(7);
    values.contact = ui->comboContact->currentText();
    if (m_probabilityChosen)
        values.probability = ui->combo_Probability->currentText();
    if (m_stageChosen)
        values.stage = ui->combo_Stage->currentText();
    if (m_sourceChosen)
        values.source = ui->combo_Source->currentText();
    values.forecast = ui->checkForecast->isChecked();
    values.orderDate = m_pickedDate;
    return values;
}

void OpportunityEditor::accept() {
    if (!m_opportunity) {
        QDialog::accept();
        return;
    }
    recalculate();
    if (QLineEdit* amount = checkAmounts()) {
        // Nothing is written until the amount reads as a number.
        amount->setFocus();
        amount->selectAll();
        UiServices::instance().beep();
        return;
    }
    if (text(0).isEmpty())
        setText(0, QStringLiteral("None"));
    Opportunity changed(*m_opportunity);
    edited().writeInto(changed);
    const Result written = m_write ? m_write(changed) : Result();
    if (!written) {
        // Nothing was stored; the dialog keeps what was typed.
        UiServices::instance().messageBox(written.message(), ProductName,
                                          UiServices::Icon::Exclamation, UiServices::Buttons::Ok);
        return;
    }
    finish();
    QDialog::accept();
}

void OpportunityEditor::reject() {
    if (m_newOpportunity && m_removeNew) {
        const Result removed = m_removeNew();
        if (!removed)
            UiServices::instance().messageBox(removed.message(), ProductName,
                                              UiServices::Icon::Exclamation,
                                              UiServices::Buttons::Ok);
    }
    finish();
    QDialog::reject();
}

void OpportunityEditor::finish() {
    m_newOpportunity = false;
    m_opportunity.reset();
    m_write = {};
    m_removeNew = {};
}
