// The filter dialog through its named controls: loading the criteria, the enabling rules, the
// tab keys, the range checks with their warnings, Apply, OK and Cancel.

#include "filter/Filters.h"
#include "filter/frmFilter.h"
#include "platform/SettingsStore.h"
#include "store/NumericText.h"
#include "store/Opportunities.h"

#include "TestEnvironment.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>

namespace {
using Icon = UiServices::Icon;

void store(const QString& section, const QString& name, const QString& text) {
    SettingsStore::instance().SaveSetting(QStringLiteral("Corvane"), section, name, text);
}

// A value as the settings file holds it (not as the store's memory does).
QString stored(const QString& section, const QString& name) {
    QFile file(SettingsStore::instance().filePath());
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<no file>");
    bool inSection = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'['))
            inSection = line.trimmed() == u'[' + section + u']';
        else if (inSection && line.startsWith(name + u'='))
            return line.mid(name.size() + 1).trimmed();
    }
    return QStringLiteral("<none>");
}

template <typename T> T* control(QWidget& dialog, const QString& name) {
    T* found = dialog.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

QRadioButton* option(QWidget& dialog, const QString& name) {
    return control<QRadioButton>(dialog, name);
}

// A click on an option button's circle, as the user makes it.
void choose(QWidget& dialog, const QString& name) {
    QRadioButton* button = option(dialog, name);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QString checks(QWidget& dialog, const char* list) {
    QString marks;
    const auto* widget = control<QListWidget>(dialog, QLatin1String(list));
    for (int row = 0; row < widget->count(); ++row)
        marks += widget->item(row)->checkState() == Qt::Checked ? u'x' : u'-';
    return marks;
}

QString shortDate(const QDate& date) {
    return QLocale().toString(date, QStringLiteral("M/d/yyyy"));
}

Opportunity* addOpportunity(Opportunities& list, qint32 number, const QString& revenue) {
    return list.Add(number, {}, {}, QStringLiteral("Company"), {}, {}, {}, {},
                    QStringLiteral("Deal"), QStringLiteral("0"), QStringLiteral("0"), revenue, {},
                    QStringLiteral("Lead"), QStringLiteral("Yes"),
                    QStringLiteral("50% - Competitive"), QStringLiteral("15"),
                    QStringLiteral("March"), QStringLiteral("2026"), Opportunities::KeyFor(number));
}
} // namespace

class tst_frmFilter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loadsStoredCriteria_data();
    void loadsStoredCriteria();
    void enablingRules_data();
    void enablingRules();
    void ctrlTabWraps();
    void rangeChecks_data();
    void rangeChecks();
    void revenueFieldsRead_data();
    void revenueFieldsRead();
    void showAllMakesEveryDatabaseVisible();
    void applyStaysOpenAndCancelKeepsItsWrites();
    void spanFollowsThePickers();

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<Filters> m_filters;
    int m_passes = 0;

    std::unique_ptr<frmFilter> open() {
        m_filters = std::make_unique<Filters>();
        auto dialog = std::make_unique<frmFilter>(*m_filters, [this] { ++m_passes; });
        dialog->show();
        return dialog;
    }
};

void tst_frmFilter::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_passes = 0;
}

void tst_frmFilter::cleanup() {
    m_filters.reset();
    m_env.reset();
}

void tst_frmFilter::loadsStoredCriteria_data() {
    QTest::addColumn<int>("startOffset");
    QTest::addColumn<int>("endOffset");
    QTest::addColumn<int>("shownStart"); // days from today; 0 with 90 = the fallback range
    QTest::addColumn<int>("shownEnd");
    QTest::addColumn<QString>("span");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");

    QTest::newRow("stored range") << -10 << 80 << -10 << 80 << "90 days." << "1000.5" << "250000";
    QTest::newRow("same day, no bounds") << 5 << 5 << 5 << 5 << " days." << "0" << "0";
    QTest::newRow("exactly a year") << 0 << 365 << 0 << 365 << "365 days." << "12" << "13";
    QTest::newRow("end before start") << 20 << 10 << 0 << 90 << "90 days." << "1" << "2";
    QTest::newRow("over a year") << 0 << 366 << 0 << 90 << "90 days." << "1" << "2";
}

void tst_frmFilter::loadsStoredCriteria() {
    QFETCH(int, startOffset);
    QFETCH(int, endOffset);
    QFETCH(int, shownStart);
    QFETCH(int, shownEnd);
    QFETCH(QString, span);
    QFETCH(QString, low);
    QFETCH(QString, high);
    const QDate today = QDate::currentDate();
    store("DateRange", "Start", shortDate(today.addDays(startOffset)));
    store("DateRange", "End", shortDate(today.addDays(endOffset)));
    store("Revenue", "Low", low);
    store("Revenue", "High", high);
    store("Use", "Status", "False");
    store("Use", "DateRange", "False");
    store("Use", "Revenues", "True");
    for (const char* off : {"2", "5"})
        store("Probability", QLatin1String(off), "False");
    store("Stage", "7", "False");
    store("Forecast", "1", "False");

    const auto dialog = open();
    QVERIFY(option(*dialog, "optUse_0")->isChecked());
    QVERIFY(option(*dialog, "optStatus_1")->isChecked());
    QVERIFY(option(*dialog, "optOrderDate_1")->isChecked());
    QVERIFY(option(*dialog, "optRevenue_0")->isChecked());
    QVERIFY(option(*dialog, "Option1_1")->isChecked());
    QCOMPARE(checks(*dialog, "lstProbabilities"), QStringLiteral("x-xx-x"));
    QCOMPARE(checks(*dialog, "lstStage"), QStringLiteral("xxxxxx-"));
    QCOMPARE(control<QDateTimeEdit>(*dialog, "dateRange_0")->date(), today.addDays(shownStart));
    QCOMPARE(control<QDateTimeEdit>(*dialog, "dateRange_1")->date(), today.addDays(shownEnd));
    QCOMPARE(control<QLineEdit>(*dialog, "txtDateRange")->text(), span);
    // "#########": nothing for 0.
    QCOMPARE(control<QLineEdit>(*dialog, "txtRevenue_0")->text(), low == "0" ? QString() : low);
    QCOMPARE(control<QLineEdit>(*dialog, "txtRevenue_1")->text(), high == "0" ? QString() : high);
    QCOMPARE(control<QTabBar>(*dialog, "tbsOptions")->currentIndex(), 0);
    QVERIFY(control<QWidget>(*dialog, "picOptions_0")->isVisible());
    QVERIFY(!control<QWidget>(*dialog, "picOptions_2")->isVisible());
    // Loading changes no criterion: the shown fallback range is written only by Apply.
    QCOMPARE(m_filters->Item("Start")->Value().toDateTime().date(), today.addDays(startOffset));
}

void tst_frmFilter::enablingRules_data() {
    QTest::addColumn<QString>("stored"); // All, Status, DateRange, Revenues as T/F
    QTest::addColumn<QString>("click");  // the option button clicked after load; "" for none
    // Enabled: tab strip, the three pairs, status lists and forecast, pickers, revenue fields.
    QTest::addColumn<QString>("enabled");

    QTest::newRow("load: every group on") << "TTFT" << "" << "TTTTT";
    QTest::newRow("load: all dates, all statuses") << "TFTF" << "" << "TTFFF";
    QTest::newRow("load: filtering off") << "FTFT" << "" << "FFFFF";
    QTest::newRow("click: show all") << "TTFT" << "optUse_1" << "FFTTT";
    QTest::newRow("click: filter again") << "FTFT" << "optUse_0" << "TTTTT";
    QTest::newRow("click: all statuses") << "TTFT" << "optStatus_1" << "TTFTT";
    QTest::newRow("click: filtered statuses") << "TFFT" << "optStatus_0" << "TTTTT";
    QTest::newRow("click: all dates") << "TTFT" << "optOrderDate_0" << "TTTFT";
    QTest::newRow("click: date range") << "TTTT" << "optOrderDate_1" << "TTTTT";
    QTest::newRow("click: all revenues") << "TTFT" << "optRevenue_1" << "TTTTF";
    QTest::newRow("click: revenue range") << "TTFF" << "optRevenue_0" << "TTTTT";
}

void tst_frmFilter::enablingRules() {
    QFETCH(QString, stored);
    QFETCH(QString, click);
    QFETCH(QString, enabled);
    const char* names[] = {"All", "Status", "DateRange", "Revenues"};
    for (int i = 0; i < 4; ++i)
        store("Use", QLatin1String(names[i]), stored[i] == u'T' ? "True" : "False");

    const auto dialog = open();
    if (!click.isEmpty())
        choose(*dialog, click);

    // Controls on another page count as enabled when their page is shown.
    const auto on = [&](const char* name, const char* page) {
        return control<QWidget>(*dialog, QLatin1String(name))
            ->isEnabledTo(control<QWidget>(*dialog, QLatin1String(page)));
    };
    const auto all = [&](std::initializer_list<const char*> names, const char* page) {
        const bool first = on(*names.begin(), page);
        for (const char* name : names)
            if (on(name, page) != first)
                return QLatin1Char('?');
        return first ? QLatin1Char('T') : QLatin1Char('F');
    };
    QString actual;
    actual += control<QTabBar>(*dialog, "tbsOptions")->isEnabled() ? u'T' : u'F';
    actual += all({"frameStatus", "frameDates", "frameRevenue", "optStatus_0", "optStatus_1",
                   "optOrderDate_0", "optOrderDate_1", "optRevenue_0", "optRevenue_1"},
                  "picOptions_0");
    actual += all({"lstProbabilities", "lstStage", "Option1_0", "Option1_1"}, "picOptions_1");
    actual += all({"dateRange_0", "dateRange_1"}, "picOptions_2");
    actual += all({"txtRevenue_0", "txtRevenue_1"}, "picOptions_2");
    QCOMPARE(actual, enabled);
    QVERIFY(option(*dialog, "optUse_0")->isEnabled());
}

void tst_frmFilter::ctrlTabWraps() {
    const auto dialog = open();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    auto* tabs = control<QTabBar>(*dialog, "tbsOptions");
    auto* pages = control<QWidget>(*dialog, "picOptions_0")->parentWidget();
    const auto* stack = qobject_cast<QStackedWidget*>(pages);
    QVERIFY(stack);
    // From whatever control has the focus; a plain Tab only moves the focus.
    option(*dialog, "optUse_0")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(tabs->currentIndex(), 0);
    for (int expected : {1, 2, 0, 1}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), expected);
        QCOMPARE(stack->currentIndex(), expected);
        for (int page = 0; page < 3; ++page)
            QCOMPARE(stack->widget(page)->isEnabled(), page == expected);
    }
}

void tst_frmFilter::rangeChecks_data() {
    QTest::addColumn<int>("startOffset");
    QTest::addColumn<int>("endOffset");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text"); // "" when the criteria pass
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("icon");

    const QString later =
        QStringLiteral("Warning: Your date range has the start date later than the end date.");
    const QString yearApart = QStringLiteral(
        "Warning: Your date range start and end date cannot be more than one year apart.");
    const QString revenue =
        QStringLiteral("Warning: Your revenue range 'low' cannot be more than the 'high'.");
    const int none = int(Icon::None);
    QTest::newRow("365 days") << 0 << 365 << "1" << "2" << "cmdApply" << "" << "" << none;
    QTest::newRow("same day, low equals high")
        << 3 << 3 << "700" << "700" << "cmdOK" << "" << "" << none;
    QTest::newRow("366 days") << 0 << 366 << "1" << "2" << "cmdApply" << yearApart
                              << "Date range filter" << int(Icon::Critical);
    QTest::newRow("start after end") << 1 << 0 << "1" << "2" << "cmdApply" << later
                                     << "Date range filter." << int(Icon::Exclamation);
    QTest::newRow("low above high") << 0 << 30 << "$500" << "100" << "cmdApply" << revenue
                                    << frmFilter::RevenueWarningTitle() << int(Icon::Critical);
    QTest::newRow("OK after a failed check") << 0 << 30 << "500" << "100" << "cmdOK" << revenue
                                             << frmFilter::RevenueWarningTitle()
                                             << int(Icon::Critical);
}

void tst_frmFilter::rangeChecks() {
    QFETCH(int, startOffset);
    QFETCH(int, endOffset);
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(QString, button);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(int, icon);
    // Filtering off and every range off: a failed check switches its range back on.
    for (const char* name : {"All", "DateRange", "Revenues"})
        store("Use", QLatin1String(name), name == QLatin1String("DateRange") ? "True" : "False");
    const auto dialog = open();
    const QDate today = QDate::currentDate();
    auto* start = control<QDateTimeEdit>(*dialog, "dateRange_0");
    auto* end = control<QDateTimeEdit>(*dialog, "dateRange_1");
    start->setDate(today.addDays(startOffset));
    end->setDate(today.addDays(endOffset));
    control<QLineEdit>(*dialog, "txtRevenue_0")->setText(low);
    control<QLineEdit>(*dialog, "txtRevenue_1")->setText(high);
    const double storedLow = m_filters->Item("Low")->Value().toDouble();

    QTest::mouseClick(control<QPushButton>(*dialog, button), Qt::LeftButton);

    if (text.isEmpty()) {
        QVERIFY(m_env->ui().messages().isEmpty());
        QCOMPARE(m_passes, 1);
        QCOMPARE(m_filters->Item("Start")->Value().toDateTime().date(), today.addDays(startOffset));
        QCOMPARE(m_filters->Item("End")->Value().toDateTime().date(), today.addDays(endOffset));
        QCOMPARE(m_filters->Item("Low")->Value().toDouble(), AmountOf(low));
        QCOMPARE(stored("Revenue", "High"), high);
        QCOMPARE(dialog->isVisible(), button == "cmdApply");
        return;
    }
    QCOMPARE(m_env->ui().messages().size(), 1);
    const auto& message = m_env->ui().messages().first();
    QCOMPARE(message.text, text);
    QCOMPARE(message.title, title);
    QCOMPARE(int(message.icon), icon);
    QCOMPARE(message.buttons, UiServices::Buttons::Ok);
    // Nothing written, the dialog still open on "Other" with filtering and the range on.
    QCOMPARE(m_passes, 0);
    QCOMPARE(m_filters->Item("Low")->Value().toDouble(), storedLow);
    QVERIFY(!m_filters->Item("All")->Value().toBool());
    QVERIFY(dialog->isVisible());
    QCOMPARE(control<QTabBar>(*dialog, "tbsOptions")->currentIndex(), 2);
    QVERIFY(option(*dialog, "optUse_0")->isChecked());
    QVERIFY(control<QTabBar>(*dialog, "tbsOptions")->isEnabled());
    if (title.startsWith("Date")) {
        QVERIFY(option(*dialog, "optOrderDate_1")->isChecked());
        QVERIFY(start->isEnabled() && end->isEnabled());
        QCOMPARE(start->date(), today);
        QCOMPARE(end->date(), today.addDays(1));
        QCOMPARE(control<QLineEdit>(*dialog, "txtDateRange")->text(), QStringLiteral("1 days."));
    } else {
        QVERIFY(option(*dialog, "optRevenue_0")->isChecked());
        QVERIFY(control<QLineEdit>(*dialog, "txtRevenue_0")->isEnabled());
        // The cleaned texts stay.
        QCOMPARE(control<QLineEdit>(*dialog, "txtRevenue_0")->text(), QStringLiteral("500"));
    }
}

void tst_frmFilter::revenueFieldsRead_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<double>("lowValue");
    QTest::addColumn<double>("highValue");
    QTest::addColumn<QString>("lowShown");
    QTest::addColumn<QString>("highShown");
    QTest::addColumn<QString>("highStored");

    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("en_US") << us << "$1,000" << "5,000.50" << 1000.0 << 5000.5 << "1000"
                           << "5000.5" << "5000.5";
    QTest::newRow("empty low") << us << "" << "$12" << 0.0 << 12.0 << "0" << "12" << "12";
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "1.000,50"
                           << "2.500.000" << 1000.5 << 2500000.0 << "1000,5" << "2500000"
                           << "2500000";
}

void tst_frmFilter::revenueFieldsRead() {
    QFETCH(QLocale, locale);
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(double, lowValue);
    QFETCH(double, highValue);
    QFETCH(QString, lowShown);
    QFETCH(QString, highShown);
    QFETCH(QString, highStored);
    QLocale::setDefault(locale);
    if (AmountOf(low) != lowValue)
        QSKIP("amounts are not read in this locale by this build's AmountOf");

    const auto dialog = open();
    control<QLineEdit>(*dialog, "txtRevenue_0")->setText(low);
    control<QLineEdit>(*dialog, "txtRevenue_1")->setText(high);
    QVERIFY(dialog->Apply());
    QCOMPARE(control<QLineEdit>(*dialog, "txtRevenue_0")->text(), lowShown);
    QCOMPARE(control<QLineEdit>(*dialog, "txtRevenue_1")->text(), highShown);
    QCOMPARE(m_filters->Item("Low")->Value().toDouble(), lowValue);
    QCOMPARE(m_filters->Item("High")->Value().toDouble(), highValue);
    QCOMPARE(stored("Revenue", "High"), highStored);
    // The shown texts read back to the same bounds at the next opening.
    const auto again = open();
    QCOMPARE(control<QLineEdit>(*again, "txtRevenue_1")->text(), highShown);
}

void tst_frmFilter::showAllMakesEveryDatabaseVisible() {
    // Two open databases; the stored revenue bounds hide the small deals of both.
    store("Revenue", "Low", "1000");
    Opportunities first;
    Opportunities second;
    for (qint32 n = 1; n <= 4; ++n) {
        addOpportunity(first, n, n % 2 ? QStringLiteral("$10") : QStringLiteral("$5,000"));
        addOpportunity(second, n, QStringLiteral("$20"));
    }
    m_filters = std::make_unique<Filters>();
    m_filters->Filter(first);
    m_filters->Filter(second);
    QCOMPARE(first.UnFilteredCount() + second.UnFilteredCount(), 2);

    frmFilter dialog(*m_filters, [&] {
        m_filters->Filter(first);
        m_filters->Filter(second);
    });
    dialog.show();
    control<QListWidget>(dialog, "lstStage")->item(0)->setCheckState(Qt::Unchecked);
    choose(dialog, "optUse_1");
    QTest::mouseClick(control<QPushButton>(dialog, "cmdApply"), Qt::LeftButton);

    QCOMPARE(first.UnFilteredCount(), 4);
    QCOMPARE(second.UnFilteredCount(), 4);
    QVERIFY(!m_filters->Enabled());
    QVERIFY(!m_filters->Item("All")->Value().toBool());
    // Every other criterion as the dialog holds it.
    QVERIFY(!m_filters->Item("Stage_1")->Value().toBool());
    QCOMPARE(m_filters->Item("Low")->Value().toDouble(), 1000.0);
    QCOMPARE(stored("Use", "All"), QStringLiteral("False"));
}

void tst_frmFilter::applyStaysOpenAndCancelKeepsItsWrites() {
    auto dialog = open();
    auto* probabilities = control<QListWidget>(*dialog, "lstProbabilities");
    probabilities->item(5)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(control<QPushButton>(*dialog, "cmdApply"), Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QCOMPARE(m_passes, 1);
    QVERIFY(!m_filters->Item("Probability_6")->Value().toBool());

    // A change after Apply is dropped by Cancel; what Apply wrote stays.
    control<QListWidget>(*dialog, "lstStage")->item(2)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(control<QPushButton>(*dialog, "cmdCancel"), Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(m_passes, 1);
    QVERIFY(m_filters->Item("Stage_3")->Value().toBool());
    QCOMPARE(stored("Probability", "6"), QStringLiteral("False"));
    QCOMPARE(stored("Stage", "3"), QStringLiteral("True"));

    // The next opening starts from the applied criteria.
    Filters& applied = *m_filters;
    frmFilter next(applied, {});
    QCOMPARE(checks(next, "lstProbabilities"), QStringLiteral("xxxxx-"));
    QCOMPARE(checks(next, "lstStage"), QStringLiteral("xxxxxxx"));
}

void tst_frmFilter::spanFollowsThePickers() {
    const auto dialog = open();
    auto* start = control<QDateTimeEdit>(*dialog, "dateRange_0");
    auto* end = control<QDateTimeEdit>(*dialog, "dateRange_1");
    auto* span = control<QLineEdit>(*dialog, "txtDateRange");
    start->setDate(QDate(2026, 2, 1));
    end->setDate(QDate(2026, 3, 1));
    QCOMPARE(span->text(), QStringLiteral("28 days."));
    // Typed into the picker as the user does.
    choose(*dialog, "optOrderDate_1");
    control<QTabBar>(*dialog, "tbsOptions")->setCurrentIndex(2);
    end->setFocus();
    end->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClick(end, Qt::Key_Up);
    QCOMPARE(span->text(), QStringLiteral("29 days."));
    end->setDate(QDate(2026, 1, 30));
    QCOMPARE(span->text(), QStringLiteral("-2 days."));
}

QTEST_MAIN(tst_frmFilter)
#include "tst_frmFilter.moc"
