#include "editor/frm_Edit.h"

#include "about/HelpManual.h"
#include "about/frmHelp.h"

#include <QShortcut>

#include "editor/OrderDateRule.h"
#include "editor/RevenueCalculation.h"
#include "outlook/OutlookContacts.h"
#include "platform/UiServices.h"
#include "settings/User.h"
#include "store/NumericText.h"
#include "store/Opportunity.h"
#include "store/ValueLists.h"
#include "ui_frm_Edit.h"

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

frm_Edit::frm_Edit(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::frm_Edit>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->combo_Stage->addItems(ValueLists::Stage());
    ui->combo_Probability->addItems(ValueLists::Probability());
    ui->combo_Source->addItems(ValueLists::Source());
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
    connect(ui->checkForecast, &QCheckBox::clicked, this, &frm_Edit::recalculate);

    for (QPlainTextEdit* edit : {ui->txtDescription_0, ui->txtDescription_3})
        connect(edit, &QPlainTextEdit::textChanged, this,
                [this, edit] { limitLength(edit, LongTextLength); });

    connect(ui->comboContact, qOverload<int>(&QComboBox::activated), this,
            &frm_Edit::comboContact_Click);
    connect(ui->combo_Stage, qOverload<int>(&QComboBox::activated), this,
            [this] { m_stageChosen = true; });
    connect(ui->combo_Probability, qOverload<int>(&QComboBox::activated), this,
            [this] { m_probabilityChosen = true; });
    connect(ui->combo_Source, qOverload<int>(&QComboBox::activated), this,
            [this] { m_sourceChosen = true; });

    connect(ui->mvOrderDate, &QCalendarWidget::clicked, this, [this](QDate date) {
        mvOrderDate_Pick(date);
        ui->cmdOK->setFocus();
    });
    // Keys move the selection too; what the calendar shows selected is what OK writes.
    connect(ui->mvOrderDate, &QCalendarWidget::selectionChanged, this, [this] {
        if (!m_showingDate)
            mvOrderDate_Pick(ui->mvOrderDate->selectedDate());
    });

    connect(ui->cmdOK, &QPushButton::clicked, this, &frm_Edit::accept);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frm_Edit::reject);
    connect(ui->cmdHelp, &QPushButton::clicked, this, &frm_Edit::cmdHelp_Click);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &frm_Edit::cmdHelp_Click);

    resize(sizeHint());
}

frm_Edit::~frm_Edit() = default;

QString frm_Edit::text(int index) const {
    switch (index) {
    case 0:
        return ui->txtDescription_0->toPlainText();
    case 3:
        return ui->txtDescription_3->toPlainText();
    default:
        return findChild<QLineEdit*>(QStringLiteral("txtDescription_%1").arg(index))->text();
    }
}

void frm_Edit::setText(int index, const QString& text) {
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

void frm_Edit::EditNew(Opportunity& opportunity, WriteFunction write, RemoveFunction removeNew) {
    m_newOpportunity = true;
    m_removeNew = std::move(removeNew);
    Edit(opportunity, std::move(write));
}

void frm_Edit::Edit(Opportunity& opportunity, WriteFunction write) {
    m_opportunity = &opportunity;
    m_write = std::move(write);
    setWindowTitle(OpportunityEdit::Caption(opportunity.Description()));

    setText(0, opportunity.Description());
    setText(1, opportunity.Company());
    setText(2, opportunity.Department());
    setText(3, opportunity.Note());
    setText(4, opportunity.Product());
    setText(5, NumericText(opportunity.Quantity()));
    setText(6, opportunity.UnitPrice());
    setText(7, opportunity.Revenue());
    setText(7, CalculateRevenue());

    fillContactList();
    ui->comboContact->setCurrentIndex(-1);
    ui->comboContact->setEditText(opportunity.Contact());

    selectComboText(*ui->combo_Probability, opportunity.Probability());
    selectComboText(*ui->combo_Stage, opportunity.Stage());
    selectComboText(*ui->combo_Source, opportunity.Source());
    m_stageChosen = m_probabilityChosen = m_sourceChosen = false;

    ui->checkForecast->setChecked(opportunity.Forecast() == QLatin1String("Yes"));

    m_pickedDate.reset();
    showOrderDate(OrderDateRule::ShownDate(opportunity, QDate::currentDate()));

    ui->txtDescription_0->selectAll();
    ui->txtDescription_0->setFocus();
}

// Lists the contacts while Outlook is used, reading them on first need. A failed connection is
// reported once and switches Outlook use off; the list then stays as it was.
void frm_Edit::fillContactList() {
    User& user = User::instance();
    if (!user.UseOutlook() || !m_contacts)
        return;
    if (!m_contacts->ContactsLoaded())
        m_contacts->LoadContacts();
    if (m_contacts->OutlookError()) {
        UiServices::instance().messageBox(
            QStringLiteral("Unable to contect with Outlook. 'Use Outlook' option has been reset."),
            QStringLiteral("Outlook Connection"), UiServices::Icon::Information,
            UiServices::Buttons::Ok);
        user.setUseOutlook(false);
        return;
    }
    QStringList entries;
    entries.reserve(m_contacts->Count());
    for (qint32 position = 1; position <= m_contacts->Count(); ++position) {
        const Contact* contact = m_contacts->Item(position);
        entries.append(contact->FileAs() + QStringLiteral(", ") + contact->BusinessPhone());
    }
    ui->comboContact->clear();
    ui->comboContact->addItems(entries);
}

void frm_Edit::comboContact_Click(int index) {
    const Contact* contact = m_contacts ? m_contacts->Item(index + 1) : nullptr;
    if (!contact)
        return;
    setText(1, contact->Company());
    setText(2, contact->Department());
}

QString frm_Edit::CalculateRevenue() {
    const RevenueCalculation::Outcome outcome = RevenueCalculation::Calculate(text(5), text(6));
    setText(5, outcome.quantity);
    setText(6, outcome.unitPrice);
    return outcome.revenue;
}

void frm_Edit::recalculate() {
    setText(7, CalculateRevenue());
}

bool frm_Edit::eventFilter(QObject* watched, QEvent* event) {
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

void frm_Edit::showOrderDate(const QDate& date) {
    const QDate today = QDate::currentDate();
    m_showingDate = true;
    ui->mvOrderDate->setDateRange(OrderDateRule::Earliest(date, today),
                                  OrderDateRule::Latest(date, today));
    ui->mvOrderDate->setSelectedDate(date);
    ui->mvOrderDate->setCurrentPage(date.year(), date.month());
    ui->mvOrderDate->setMarkedRange(today, OrderDateRule::RangeEnd(date, today));
    ui->mvOrderDate->setToolTip(OrderDateRule::DaysToolTip(date, today));
    m_showingDate = false;
}

void frm_Edit::mvOrderDate_Pick(const QDate& date) {
    const QDate picked = OrderDateRule::Picked(date, QDate::currentDate());
    m_pickedDate = picked;
    showOrderDate(picked);
}

void frm_Edit::cmdHelp_Click() {
    frmHelp::ShowTopic(QString::fromLatin1(HelpManual::EditorTopic), this);
}

// Typing or pasting beyond the field's size is cut back, the earlier text surviving.
void frm_Edit::limitLength(QPlainTextEdit* edit, int length) {
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

OpportunityEdit frm_Edit::edited() const {
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

void frm_Edit::accept() {
    if (!m_opportunity) {
        QDialog::accept();
        return;
    }
    recalculate();
    if (text(0).isEmpty())
        setText(0, QStringLiteral("None"));
    const Opportunity before(*m_opportunity);
    edited().WriteInto(*m_opportunity);
    const Result written = m_write ? m_write(*m_opportunity) : Result();
    if (!written) {
        // The opportunity stays equal to its record; the dialog keeps what was typed.
        m_opportunity->copyFieldsFrom(before);
        UiServices::instance().messageBox(written.message(), ProductName,
                                          UiServices::Icon::Exclamation, UiServices::Buttons::Ok);
        return;
    }
    finish();
    QDialog::accept();
}

void frm_Edit::reject() {
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

void frm_Edit::finish() {
    m_newOpportunity = false;
    m_opportunity = nullptr;
    m_write = {};
    m_removeNew = {};
}
