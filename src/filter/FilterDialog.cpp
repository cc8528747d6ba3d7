#include "filter/FilterDialog.h"

#include "filter/FilterRanges.h"
#include "filter/Filters.h"
#include "platform/AccessKeys.h"
#include "platform/AmountValidator.h"
#include "platform/DialogButtons.h"
#include "platform/LocaleText.h"
#include "platform/ScreenFit.h"
#include "platform/ScrollPanel.h"
#include "platform/UiServices.h"
#include "store/ValueLists.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>
#include <cmath>

namespace {
// A range that cannot be shown is replaced by this many days from now.
constexpr qint64 FallbackRangeDays = 90;

const QString DateRangeGroup = QStringLiteral("DateRange");
const QString RevenueGroup = QStringLiteral("Revenue");

QRadioButton* optionButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QListWidget* checkList(QWidget* parent, const char* name, const QStringList& entries,
                       const QString& accessibleName) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setAccessibleName(accessibleName);
    for (const QString& text : entries) {
        auto* item = new QListWidgetItem(text, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    list->setCurrentRow(0);
    // Every entry visible without scrolling.
    const int rows = list->count();
    list->setMinimumHeight(list->sizeHintForRow(0) * rows + 2 * list->frameWidth() + 4);
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 8);
    return list;
}

QLabel* label(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy) {
    auto* text = new QLabel(caption, parent);
    text->setObjectName(name);
    text->setBuddy(buddy);
    return text;
}

// The "#########" form of a revenue bound, kept exact: the number without grouping in the
// user's locale, nothing for 0.
QString boundText(double value) {
    if (!std::isfinite(value) || value == 0.0)
        return QString();
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

QDateTime dateValue(const Filters& filters, const QString& key) {
    const FilterItem* item = filters.item(key);
    const QDateTime when = item ? FilterItem::dateTimeOf(item->value()) : QDateTime();
    return when.isValid() ? when : FilterItem::defaultValue(DateRangeGroup, key).toDateTime();
}

double numberValue(const Filters& filters, const QString& key) {
    const FilterItem* item = filters.item(key);
    bool ok = false;
    const double value = item ? item->value().toDouble(&ok) : 0.0;
    return ok && std::isfinite(value) ? value
                                      : FilterItem::defaultValue(RevenueGroup, key).toDouble();
}

bool boolValue(const Filters& filters, const QString& key) {
    const FilterItem* item = filters.item(key);
    return item ? item->value().toBool() : true;
}

void setValue(Filters& filters, const QString& key, const QVariant& value) {
    if (FilterItem* item = filters.item(key))
        item->setValue(value);
}

void setChecks(QListWidget* list, Filters& filters, const QString& prefix) {
    for (int row = 0; row < list->count(); ++row)
        list->item(row)->setCheckState(
            boolValue(filters, prefix + QString::number(row + 1)) ? Qt::Checked : Qt::Unchecked);
}

void writeChecks(QListWidget* list, Filters& filters, const QString& prefix) {
    for (int row = 0; row < list->count(); ++row)
        setValue(filters, prefix + QString::number(row + 1),
                 list->item(row)->checkState() == Qt::Checked);
}
} // namespace

FilterDialog::FilterDialog(Filters& filters, std::function<void()> filterPass, QWidget* parent)
    : QDialog(parent), m_filters(filters), m_filterPass(std::move(filterPass)),
      m_tbsOptions(new QTabBar(this)), m_pages(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("FilterDialog"));
    setWindowTitle(QStringLiteral("Filter"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    // The pages scroll in a window smaller than they need; the buttons stay in sight.
    auto* scroll = new ScrollPanel(this);
    scroll->setWidget(m_pages);

    m_tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    m_tbsOptions->setExpanding(false);
    const struct {
        const char* caption;
        const char* tip;
    } tabs[] = {{"General", "Choose which filters to use."},
                {"Status", "Set filter by probability, stage, and forecast"},
                {"Other", "Set filters for order dates and revenue ranges"}};
    for (const auto& tab : tabs) {
        const int index = m_tbsOptions->addTab(QLatin1String(tab.caption));
        m_tbsOptions->setTabData(index, QLatin1String(tab.caption));
        m_tbsOptions->setTabToolTip(index, QLatin1String(tab.tip));
    }
    for (int i = 0; i < 3; ++i) {
        m_picOptions[static_cast<std::size_t>(i)] = new QWidget(m_pages);
        m_picOptions[static_cast<std::size_t>(i)]->setObjectName(
            QStringLiteral("picOptions_%1").arg(i));
        m_pages->addWidget(m_picOptions[static_cast<std::size_t>(i)]);
    }
    buildGeneralPage(m_picOptions[0]);
    buildStatusPage(m_picOptions[1]);
    buildOtherPage(m_picOptions[2]);

    const DialogButtons buttons = DialogButtons::okCancelApply(
        this, QStringLiteral("cmdOK"), QStringLiteral("cmdCancel"), QStringLiteral("cmdApply"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tbsOptions);
    layout->addWidget(scroll);
    layout->addWidget(buttons.box);

    connect(m_tbsOptions, &QTabBar::currentChanged, this, &FilterDialog::optionsTabClicked);
    connect(buttons.apply, &QPushButton::clicked, this, [this] { apply(); });
    connect(buttons.ok, &QPushButton::clicked, this, [this] {
        // A failed check keeps the dialog open with everything the user set.
        if (apply())
            accept();
    });
    connect(buttons.cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    nextTab->setContext(Qt::WindowShortcut);
    connect(nextTab, &QShortcut::activated, this, &FilterDialog::nextTab);

    const auto onChosen = [this](const std::array<QRadioButton*, 2>& pair,
                                 void (FilterDialog::*rule)()) {
        for (QRadioButton* button : pair)
            connect(button, &QRadioButton::toggled, this, [this, rule](bool chosen) {
                if (chosen)
                    (this->*rule)();
            });
    };
    onChosen(m_optUse, &FilterDialog::useOptionClicked);
    onChosen(m_optStatus, &FilterDialog::statusOptionClicked);
    onChosen(m_optOrderDate, &FilterDialog::orderDateOptionClicked);
    onChosen(m_optRevenue, &FilterDialog::revenueOptionClicked);
    for (QDateTimeEdit* picker : m_dateRange)
        connect(picker, &QDateTimeEdit::dateTimeChanged, this, &FilterDialog::updateSpan);

    load();
    AccessKeys::assignButtons(this);
    ScreenFit::resizeWithin(this);
}

void FilterDialog::buildGeneralPage(QWidget* page) {
    auto* Frame5 = frame(page, "Frame5", QStringLiteral("Filters"));
    m_optUse = {
        optionButton(Frame5, QStringLiteral("optUse_0"), QStringLiteral("&Filter opportunities.")),
        optionButton(Frame5, QStringLiteral("optUse_1"),
                     QStringLiteral("Show all &opportunities."))};
    m_frameStatus = frame(page, "frameStatus", QStringLiteral("Status"));
    m_optStatus = {
        optionButton(
            m_frameStatus, QStringLiteral("optStatus_0"),
            QStringLiteral("Show filtered &Probability, Stage, and Forecast opportunities.")),
        optionButton(m_frameStatus, QStringLiteral("optStatus_1"),
                     QStringLiteral("Show all Probability, S&tage, and Forecast opportunities."))};
    m_frameDates = frame(page, "frameDates", QStringLiteral("Expected Order Dates"));
    // The date pair lists the range first: optOrderDate_1 above optOrderDate_0.
    m_optOrderDate = {
        optionButton(m_frameDates, QStringLiteral("optOrderDate_0"),
                     QStringLiteral("Show opportunities o&n all dates")),
        optionButton(m_frameDates, QStringLiteral("optOrderDate_1"),
                     QStringLiteral("Show opportunities within the &date range...."))};
    m_frameRevenue = frame(page, "frameRevenue", QStringLiteral("Revenue"));
    m_optRevenue = {
        optionButton(m_frameRevenue, QStringLiteral("optRevenue_0"),
                     QStringLiteral("Show opportunities within the &revenue ranges....")),
        optionButton(m_frameRevenue, QStringLiteral("optRevenue_1"),
                     QStringLiteral("Show opportunities for all re&venue amounts."))};

    const auto pairLayout = [](QGroupBox* box, QRadioButton* upper, QRadioButton* lower) {
        auto* inner = new QVBoxLayout(box);
        inner->addWidget(upper);
        inner->addWidget(lower);
    };
    pairLayout(Frame5, m_optUse[0], m_optUse[1]);
    pairLayout(m_frameStatus, m_optStatus[0], m_optStatus[1]);
    pairLayout(m_frameDates, m_optOrderDate[1], m_optOrderDate[0]);
    pairLayout(m_frameRevenue, m_optRevenue[0], m_optRevenue[1]);
    // Tab moves from pair to pair in the order they are shown.
    setTabOrder(m_optOrderDate[1], m_optOrderDate[0]);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QGroupBox* box : {Frame5, m_frameStatus, m_frameDates, m_frameRevenue})
        layout->addWidget(box);
    layout->addStretch();
}

void FilterDialog::buildStatusPage(QWidget* page) {
    auto* fraProbabilities =
        frame(page, "fraProbabilities", QStringLiteral("Filter Probability and Forecast"));
    m_lstProbabilities = checkList(fraProbabilities, "lstProbabilities", ValueLists::probability(),
                                   QStringLiteral("Probabilities"));
    m_lstStage =
        checkList(fraProbabilities, "lstStage", ValueLists::stage(), QStringLiteral("Stages"));
    auto* Label1 = new QLabel(
        QStringLiteral("Sales opportunities that contain checked values will be displayed."),
        fraProbabilities);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    auto* lists = new QHBoxLayout;
    lists->addWidget(m_lstProbabilities);
    lists->addWidget(m_lstStage);
    auto* probabilities = new QVBoxLayout(fraProbabilities);
    probabilities->addLayout(lists);
    probabilities->addWidget(Label1);

    auto* Frame1 = frame(page, "Frame1", QStringLiteral("Forecast"));
    m_Option1 = {optionButton(Frame1, QStringLiteral("Option1_0"),
                              QStringLiteral("Display forecasted and &unforecasted sales "
                                             "opportunities.")),
                 optionButton(Frame1, QStringLiteral("Option1_1"),
                              QStringLiteral("Display forecasted sales opportunities &only."))};
    auto* forecast = new QVBoxLayout(Frame1);
    forecast->addWidget(m_Option1[0]);
    forecast->addWidget(m_Option1[1]);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fraProbabilities);
    layout->addWidget(Frame1);
    layout->addStretch();
}

void FilterDialog::buildOtherPage(QWidget* page) {
    auto* fraDateRange = frame(page, "fraDateRange", QStringLiteral("Date Range"));
    for (std::size_t i = 0; i < m_dateRange.size(); ++i) {
        auto* picker = new QDateTimeEdit(fraDateRange);
        picker->setObjectName(QStringLiteral("dateRange_%1").arg(i));
        picker->setDisplayFormat(LocaleText::shortDateFormat());
        picker->setCalendarPopup(true);
        // A stray wheel over an unfocused picker does not change the date.
        picker->setFocusPolicy(Qt::StrongFocus);
        picker->installEventFilter(this);
        m_dateRange[i] = picker;
    }
    m_txtDateRange = new QLineEdit(fraDateRange);
    m_txtDateRange->setObjectName(QStringLiteral("txtDateRange"));
    m_txtDateRange->setReadOnly(true);
    m_txtDateRange->setFocusPolicy(Qt::NoFocus);
    m_txtDateRange->setAccessibleName(QStringLiteral("Days in the range"));
    QPalette grey = m_txtDateRange->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    m_txtDateRange->setPalette(grey);
    auto* dates = new QFormLayout(fraDateRange);
    dates->addRow(
        label(fraDateRange, QStringLiteral("Label2_0"), QStringLiteral("&Start"), m_dateRange[0]),
        m_dateRange[0]);
    dates->addRow(
        label(fraDateRange, QStringLiteral("Label2_1"), QStringLiteral("&End"), m_dateRange[1]),
        m_dateRange[1]);
    dates->addRow(QString(), m_txtDateRange);

    auto* Frame2 = frame(page, "Frame2", QStringLiteral("Revenue Range"));
    for (std::size_t i = 0; i < m_txtRevenue.size(); ++i) {
        m_txtRevenue[i] = new QLineEdit(Frame2);
        m_txtRevenue[i]->setObjectName(QStringLiteral("txtRevenue_%1").arg(i));
        m_txtRevenue[i]->setValidator(new AmountValidator(m_txtRevenue[i]));
        connect(m_txtRevenue[i], &QLineEdit::textEdited, this, [this] {
            if (m_lblRevenueProblem->isVisibleTo(this))
                checkRevenueTexts();
        });
    }
    m_lblRevenueProblem = new QLabel(Frame2);
    m_lblRevenueProblem->setObjectName(QStringLiteral("lblRevenueProblem"));
    m_lblRevenueProblem->setWordWrap(true);
    QPalette warning = m_lblRevenueProblem->palette();
    warning.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    m_lblRevenueProblem->setPalette(warning);
    m_lblRevenueProblem->hide();
    auto* revenue = new QFormLayout(Frame2);
    revenue->addRow(
        label(Frame2, QStringLiteral("Label3"), QStringLiteral("&Low"), m_txtRevenue[0]),
        m_txtRevenue[0]);
    revenue->addRow(
        label(Frame2, QStringLiteral("Label4"), QStringLiteral("&High"), m_txtRevenue[1]),
        m_txtRevenue[1]);
    revenue->addRow(m_lblRevenueProblem);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(fraDateRange);
    layout->addWidget(Frame2);
    layout->addStretch();
}

void FilterDialog::load() {
    const auto choose = [](const std::array<QRadioButton*, 2>& pair, bool first) {
        pair[first ? 0 : 1]->setChecked(true);
    };
    choose(m_optUse, boolValue(m_filters, QStringLiteral("All")));
    choose(m_optStatus, boolValue(m_filters, QStringLiteral("Status")));
    choose(m_optOrderDate, boolValue(m_filters, QStringLiteral("DateRange")));
    choose(m_optRevenue, boolValue(m_filters, QStringLiteral("Revenues")));
    enableAtLoad();
    setChecks(m_lstProbabilities, m_filters, QStringLiteral("Probability_"));
    setChecks(m_lstStage, m_filters, QStringLiteral("Stage_"));
    choose(m_Option1, boolValue(m_filters, QStringLiteral("Forecast_1")));

    QDateTime start = dateValue(m_filters, QStringLiteral("Start"));
    QDateTime end = dateValue(m_filters, QStringLiteral("End"));
    if (end < start || start.date().daysTo(end.date()) > FilterRanges::MaxRangeDays) {
        start = QDateTime::currentDateTime();
        end = start.addDays(FallbackRangeDays);
    }
    m_dateRange[0]->setDateTime(start);
    m_dateRange[1]->setDateTime(end);
    updateSpan();

    m_txtRevenue[0]->setText(boundText(numberValue(m_filters, QStringLiteral("Low"))));
    m_txtRevenue[1]->setText(boundText(numberValue(m_filters, QStringLiteral("High"))));

    m_tbsOptions->setCurrentIndex(0);
    optionsTabClicked(0);
}

void FilterDialog::enableAtLoad() {
    const bool filtering = m_optUse[0]->isChecked();
    m_tbsOptions->setEnabled(filtering);
    for (QGroupBox* box : {m_frameStatus, m_frameDates, m_frameRevenue})
        box->setEnabled(filtering);
    for (const auto* pair : {&m_optStatus, &m_optOrderDate, &m_optRevenue})
        for (QRadioButton* button : *pair)
            button->setEnabled(filtering);
    const bool status = filtering && m_optStatus[0]->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{m_lstProbabilities, m_lstStage,
                                                            m_Option1[0], m_Option1[1]})
        control->setEnabled(status);
    for (QDateTimeEdit* picker : m_dateRange)
        picker->setEnabled(filtering && m_optOrderDate[1]->isChecked());
    for (QLineEdit* field : m_txtRevenue)
        field->setEnabled(filtering && m_optRevenue[0]->isChecked());
}

void FilterDialog::useOptionClicked() {
    const bool filtering = m_optUse[0]->isChecked();
    m_tbsOptions->setEnabled(filtering);
    for (QGroupBox* box : {m_frameStatus, m_frameDates, m_frameRevenue})
        box->setEnabled(filtering);
    for (const auto* pair : {&m_optStatus, &m_optOrderDate, &m_optRevenue})
        for (QRadioButton* button : *pair)
            button->setEnabled(filtering);
    statusOptionClicked();
    revenueOptionClicked();
    orderDateOptionClicked();
}

void FilterDialog::statusOptionClicked() {
    const bool status = m_optStatus[0]->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{m_lstProbabilities, m_lstStage,
                                                            m_Option1[0], m_Option1[1]})
        control->setEnabled(status);
}

void FilterDialog::orderDateOptionClicked() {
    for (QDateTimeEdit* picker : m_dateRange)
        picker->setEnabled(!m_optOrderDate[0]->isChecked());
}

void FilterDialog::revenueOptionClicked() {
    for (QLineEdit* field : m_txtRevenue)
        field->setEnabled(m_optRevenue[0]->isChecked());
}

void FilterDialog::optionsTabClicked(int index) {
    for (std::size_t i = 0; i < m_picOptions.size(); ++i)
        m_picOptions[i]->setEnabled(static_cast<int>(i) == index);
    m_pages->setCurrentIndex(index);
}

void FilterDialog::nextTab() {
    m_tbsOptions->setCurrentIndex((m_tbsOptions->currentIndex() + 1) % m_tbsOptions->count());
}

void FilterDialog::updateSpan() {
    const qint64 days = m_dateRange[0]->date().daysTo(m_dateRange[1]->date());
    m_txtDateRange->setText((days == 0 ? QString() : QString::number(days)) +
                            QStringLiteral(" days."));
}

void FilterDialog::resetDateRange() {
    m_optUse[0]->setChecked(true);
    m_frameDates->setEnabled(true);
    m_optOrderDate[1]->setChecked(true);
    for (QDateTimeEdit* picker : m_dateRange)
        picker->setEnabled(true);
    const QDateTime now = QDateTime::currentDateTime();
    m_dateRange[0]->setDateTime(now);
    m_dateRange[1]->setDateTime(now.addDays(1));
    m_tbsOptions->setCurrentIndex(2);
}

void FilterDialog::resetRevenueRange() {
    m_optUse[0]->setChecked(true);
    m_frameRevenue->setEnabled(true);
    m_optRevenue[0]->setChecked(true);
    for (QLineEdit* field : m_txtRevenue)
        field->setEnabled(true);
    m_tbsOptions->setCurrentIndex(2);
}

QLineEdit* FilterDialog::checkRevenueTexts() {
    const std::pair<QLineEdit*, const char*> bounds[] = {{m_txtRevenue[0], "Low"},
                                                         {m_txtRevenue[1], "High"}};
    for (const auto& [field, name] : bounds) {
        if (!AmountValidator::read(field->text())) {
            m_lblRevenueProblem->setText(
                AmountValidator::problemText(QLatin1String(name), field->text()));
            m_lblRevenueProblem->show();
            return field;
        }
    }
    m_lblRevenueProblem->hide();
    return nullptr;
}

double FilterDialog::cleanRevenue(QLineEdit* field) {
    const double amount = AmountValidator::read(field->text()).value_or(0.0);
    const QString cleaned = boundText(amount);
    field->setText(cleaned.isEmpty() ? QStringLiteral("0") : cleaned);
    return amount;
}

bool FilterDialog::apply() {
    UiServices& ui = UiServices::instance();
    // A bound the locale cannot read is said next to it; nothing is written, nothing reset.
    if (QLineEdit* unreadable = checkRevenueTexts()) {
        m_tbsOptions->setCurrentIndex(2);
        unreadable->setFocus();
        unreadable->selectAll();
        ui.beep();
        return false;
    }
    const QDateTime start = m_dateRange[0]->dateTime();
    const QDateTime end = m_dateRange[1]->dateTime();
    // The revenue fields are cleaned only once the dates passed.
    FilterRanges::Verdict verdict = FilterRanges::checkDates(start.date(), end.date());
    double low = 0.0;
    double high = 0.0;
    if (verdict.passed()) {
        low = cleanRevenue(m_txtRevenue[0]);
        high = cleanRevenue(m_txtRevenue[1]);
        verdict = FilterRanges::checkRevenue(low, high);
    }
    if (!verdict.passed()) {
        ui.messageBox(verdict.text, verdict.title, verdict.icon, UiServices::Buttons::Ok);
        if (verdict.range == FilterRanges::Range::OrderDate)
            resetDateRange();
        else
            resetRevenueRange();
        return false;
    }

    const bool filtering = m_optUse[0]->isChecked();
    setValue(m_filters, QStringLiteral("All"), filtering);
    m_filters.setEnabled(filtering);
    setValue(m_filters, QStringLiteral("Status"), m_optStatus[0]->isChecked());
    setValue(m_filters, QStringLiteral("DateRange"), m_optOrderDate[0]->isChecked());
    setValue(m_filters, QStringLiteral("Revenues"), m_optRevenue[0]->isChecked());
    writeChecks(m_lstProbabilities, m_filters, QStringLiteral("Probability_"));
    writeChecks(m_lstStage, m_filters, QStringLiteral("Stage_"));
    setValue(m_filters, QStringLiteral("Forecast_1"), m_Option1[0]->isChecked());
    setValue(m_filters, QStringLiteral("Start"), start);
    setValue(m_filters, QStringLiteral("End"), end);
    setValue(m_filters, QStringLiteral("Low"), low);
    setValue(m_filters, QStringLiteral("High"), high);
    // Applied criteria outlive a process that does not end normally.
    m_filters.save();

    if (m_filterPass)
        m_filterPass();
    return true;
}

bool FilterDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && !widget->hasFocus())
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
