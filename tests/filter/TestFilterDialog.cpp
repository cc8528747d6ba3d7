// The filter dialog through its named controls: loading the criteria, the enabling rules, the
// tab keys, the range checks with their warnings, Apply, OK and Cancel.

#include "filter/FilterDialog.h"
#include "filter/Filters.h"
#include "platform/SettingsStore.h"
#include "store/Opportunities.h"

#include "DialogTest.h"
#include "TestEnvironment.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTabBar>

namespace {
void store(SettingsStore& settings, const QString& section, const QString& name,
           const QString& text) {
    settings.saveSetting(QStringLiteral("Corvane"), section, name, text);
}

// A value as the settings file holds it (not as the store's memory does).
QString stored(SettingsStore& settings, const QString& section, const QString& name) {
    return QSettings(settings.filePath(), QSettings::IniFormat)
        .value(section + u'/' + name, QStringLiteral("<none>"))
        .toString();
}

QLineEdit* field(QWidget& dialog, const char* name) {
    return control<QLineEdit>(dialog, QLatin1String(name));
}

bool chosen(QWidget& dialog, const char* name) {
    return control<QRadioButton>(dialog, QLatin1String(name))->isChecked();
}

// A click on an option button's circle, as the user makes it.
void choose(QWidget& dialog, const QString& name) {
    auto* button = control<QRadioButton>(dialog, name);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QDateTimeEdit* picker(QWidget& dialog, int index) {
    return control<QDateTimeEdit>(dialog, QStringLiteral("dateRange_%1").arg(index));
}
} // namespace

class TestFilterDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() {
        m_filters.reset();
        m_env.reset();
    }

    void loadsStoredCriteria_data();
    void loadsStoredCriteria();
    void enablingRules_data();
    void enablingRules();
    void ctrlTabWraps();
    void rangeChecks_data();
    void rangeChecks();
    void unreadableBoundIsSaid();
    void showAllMakesEveryDatabaseVisible();
    void applyStaysOpenAndCancelKeepsItsWrites();

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<Filters> m_filters;
    int m_passes = 0;

    std::unique_ptr<FilterDialog> open() {
        m_passes = 0;
        m_filters = std::make_unique<Filters>(m_env->store());
        auto dialog = std::make_unique<FilterDialog>(*m_filters, [this] { ++m_passes; });
        dialog->show();
        return dialog;
    }
};

void TestFilterDialog::loadsStoredCriteria_data() {
    QTest::addColumn<int>("startOffset"); // days from today
    QTest::addColumn<int>("endOffset");
    QTest::addColumn<int>("shownStart");
    QTest::addColumn<int>("shownEnd");
    QTest::addColumn<QString>("span");
    QTest::addColumn<QString>("low"); // stored, and shown unless "0"
    QTest::addColumn<QString>("high");

    const struct {
        const char* row;
        int start, end, shownStart, shownEnd;
        const char *span, *low, *high;
    } rows[] = {
        {"stored range", -10, 80, -10, 80, "90 days.", "1000.5", "250000"},
        {"same day, no bounds", 5, 5, 5, 5, " days.", "0", "0"},
        {"exactly a year", 0, 365, 0, 365, "365 days.", "12", "13"},
        {"end before start", 20, 10, 0, 90, "90 days.", "1", "2"},
        {"over a year", 0, 366, 0, 90, "90 days.", "1", "2"},
    };
    for (const auto& r : rows)
        QTest::newRow(r.row) << r.start << r.end << r.shownStart << r.shownEnd << QString(r.span)
                             << QString(r.low) << QString(r.high);
}

void TestFilterDialog::loadsStoredCriteria() {
    QFETCH(int, startOffset);
    QFETCH(int, endOffset);
    QFETCH(int, shownStart);
    QFETCH(int, shownEnd);
    QFETCH(QString, span);
    QFETCH(QString, low);
    QFETCH(QString, high);
    const QDate today = QDate::currentDate();
    const auto date = [&](int days) { return today.addDays(days).toString("M/d/yyyy"); };
    store(m_env->store(), "DateRange", "Start", date(startOffset));
    store(m_env->store(), "DateRange", "End", date(endOffset));
    store(m_env->store(), "Revenue", "Low", low);
    store(m_env->store(), "Revenue", "High", high);
    for (const char* name : {"Status", "DateRange"})
        store(m_env->store(), "Use", QLatin1String(name), "False");
    for (const char* off : {"2", "5"})
        store(m_env->store(), "Probability", QLatin1String(off), "False");
    store(m_env->store(), "Stage", "7", "False");
    store(m_env->store(), "Forecast", "1", "False");

    const auto dialog = open();
    for (const char* name :
         {"optUse_0", "optStatus_1", "optOrderDate_1", "optRevenue_0", "Option1_1"})
        QVERIFY2(chosen(*dialog, name), name);
    QCOMPARE(checkMarks(*dialog, "lstProbabilities"), QStringLiteral("x-xx-x"));
    QCOMPARE(checkMarks(*dialog, "lstStage"), QStringLiteral("xxxxxx-"));
    QCOMPARE(picker(*dialog, 0)->date(), today.addDays(shownStart));
    QCOMPARE(picker(*dialog, 1)->date(), today.addDays(shownEnd));
    QCOMPARE(field(*dialog, "txtDateRange")->text(), span);
    QCOMPARE(field(*dialog, "txtRevenue_0")->text(), low == "0" ? QString() : low);
    QCOMPARE(field(*dialog, "txtRevenue_1")->text(), high == "0" ? QString() : high);
    QCOMPARE(control<QTabBar>(*dialog, "tbsOptions")->currentIndex(), 0);
    QVERIFY(control(*dialog, "picOptions_0")->isVisible());
    // Loading changes no criterion: the shown fallback range is written only by Apply.
    QCOMPARE(m_filters->item("Start")->value().toDateTime().date(), today.addDays(startOffset));

    // The span follows the pickers.
    picker(*dialog, 1)->setDate(today.addDays(shownStart - 2));
    QCOMPARE(field(*dialog, "txtDateRange")->text(), QStringLiteral("-2 days."));
}

void TestFilterDialog::enablingRules_data() {
    // Stored All, Status, DateRange, Revenues (T/F); the option button clicked after load ("-"
    // for none); enabled: tab strip, the three pairs, status lists and forecast, pickers,
    // revenue fields.
    QTest::addColumn<QString>("rule");
    for (const char* rule :
         {"TTFT - TTTTT", "TFTF - TTFFF", "FTFT - FFFFF", "TTFT optUse_1 FFTTT",
          "FTFT optUse_0 TTTTT", "TTFT optStatus_1 TTFTT", "TFFT optStatus_0 TTTTT",
          "TTFT optOrderDate_0 TTTFT", "TTTT optOrderDate_1 TTTTT", "TTFT optRevenue_1 TTTTF",
          "TTFF optRevenue_0 TTTTT"})
        QTest::newRow(rule) << QString(rule);
}

void TestFilterDialog::enablingRules() {
    QFETCH(QString, rule);
    const QString stored = rule.section(u' ', 0, 0);
    const QString click = rule.section(u' ', 1, 1);
    const QString enabled = rule.section(u' ', 2, 2);
    const char* names[] = {"All", "Status", "DateRange", "Revenues"};
    for (int i = 0; i < 4; ++i)
        store(m_env->store(), "Use", QLatin1String(names[i]), stored[i] == u'T' ? "True" : "False");
    const auto dialog = open();
    if (click != "-")
        choose(*dialog, click);

    // Controls on another page count as enabled when their page is shown.
    const auto group = [&](std::initializer_list<const char*> names, const char* page) {
        QString states;
        for (const char* name : names)
            states += control(*dialog, QLatin1String(name))
                              ->isEnabledTo(control(*dialog, QLatin1String(page)))
                          ? u'T'
                          : u'F';
        return states.count(states[0]) == states.size() ? states[0] : QChar(u'?');
    };
    QString actual(control<QTabBar>(*dialog, "tbsOptions")->isEnabled() ? u'T' : u'F');
    actual += group({"frameStatus", "frameDates", "frameRevenue", "optStatus_0", "optStatus_1",
                     "optOrderDate_0", "optOrderDate_1", "optRevenue_0", "optRevenue_1"},
                    "picOptions_0");
    actual += group({"lstProbabilities", "lstStage", "Option1_0", "Option1_1"}, "picOptions_1");
    actual += group({"dateRange_0", "dateRange_1"}, "picOptions_2");
    actual += group({"txtRevenue_0", "txtRevenue_1"}, "picOptions_2");
    QCOMPARE(actual, enabled);
}

void TestFilterDialog::ctrlTabWraps() {
    const auto dialog = open();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    auto* tabs = control<QTabBar>(*dialog, "tbsOptions");
    auto* stack = qobject_cast<QStackedWidget*>(control(*dialog, "picOptions_0")->parentWidget());
    QVERIFY(stack);
    control(*dialog, "optUse_0")->setFocus();
    for (int expected : {1, 2, 0, 1}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), expected);
        QCOMPARE(stack->currentIndex(), expected);
        for (int page = 0; page < 3; ++page)
            QCOMPARE(stack->widget(page)->isEnabled(), page == expected);
    }
}

// The warnings themselves (text, title, icon): TestFilterRanges.
void TestFilterDialog::rangeChecks_data() {
    QTest::addColumn<int>("startOffset");
    QTest::addColumn<int>("endOffset");
    QTest::addColumn<QString>("low");
    QTest::addColumn<QString>("high");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("failed");  // "", "date" or "revenue"
    QTest::addColumn<QString>("cleaned"); // the revenue fields after the check
    QTest::addColumn<double>("lowValue");
    const struct {
        const char* row;
        int start, end;
        const char *low, *high, *button, *failed, *cleaned;
        double lowValue;
    } rows[] = {
        {"passes", 0, 365, "1,000", "5,000.50", "cmdApply", "", "1000|5000.5", 1000},
        {"empty low, OK", 0, 1, "", "12", "cmdOK", "", "0|12", 0},
        {"start after end", 1, 0, "1", "2", "cmdApply", "date", "1|2", 0},
        {"low above high", 0, 30, "8,000", "5,000.50", "cmdApply", "revenue", "8000|5000.5", 0},
        {"OK after a failed check", 0, 30, "800", "700", "cmdOK", "revenue", "800|700", 0},
    };
    for (const auto& r : rows)
        QTest::newRow(r.row) << r.start << r.end << QString(r.low) << QString(r.high)
                             << QString(r.button) << QString(r.failed) << QString(r.cleaned)
                             << r.lowValue;
}

void TestFilterDialog::rangeChecks() {
    QFETCH(int, startOffset);
    QFETCH(int, endOffset);
    QFETCH(QString, low);
    QFETCH(QString, high);
    QFETCH(QString, button);
    QFETCH(QString, failed);
    QFETCH(QString, cleaned);
    QFETCH(double, lowValue);
    // Filtering and both ranges off: a failed check switches them back on.
    for (const char* name : {"All", "Revenues"})
        store(m_env->store(), "Use", QLatin1String(name), "False");
    const auto dialog = open();
    const QDate today = QDate::currentDate();
    picker(*dialog, 0)->setDate(today.addDays(startOffset));
    picker(*dialog, 1)->setDate(today.addDays(endOffset));
    field(*dialog, "txtRevenue_0")->setText(low);
    field(*dialog, "txtRevenue_1")->setText(high);
    click(*dialog, qPrintable(button));
    if (failed != "date") // the date checks come first and leave the fields alone
        QCOMPARE(field(*dialog, "txtRevenue_0")->text() + u'|' +
                     field(*dialog, "txtRevenue_1")->text(),
                 cleaned);

    if (failed.isEmpty()) {
        QVERIFY(m_env->ui().messages().isEmpty());
        QCOMPARE(m_passes, 1);
        QCOMPARE(m_filters->item("End")->value().toDateTime().date(), today.addDays(endOffset));
        QCOMPARE(m_filters->item("Low")->value().toDouble(), lowValue);
        QCOMPARE(stored(m_env->store(), "Revenue", "High"), cleaned.section(u'|', 1));
        QCOMPARE(dialog->isVisible(), button == "cmdApply");
        return;
    }
    QCOMPARE(m_env->ui().messages().size(), 1);
    QCOMPARE(m_env->ui().messages().first().title.startsWith("Date"), failed == "date");
    // Nothing written; still open on "Other" with filtering and the failed range switched on.
    QCOMPARE(m_passes, 0);
    QVERIFY(!m_filters->item("All")->value().toBool());
    QVERIFY(dialog->isVisible());
    QCOMPARE(control<QTabBar>(*dialog, "tbsOptions")->currentIndex(), 2);
    QVERIFY(chosen(*dialog, "optUse_0"));
    if (failed == "date") {
        QVERIFY(chosen(*dialog, "optOrderDate_1"));
        QVERIFY(picker(*dialog, 0)->isEnabled() && picker(*dialog, 1)->isEnabled());
        QCOMPARE(picker(*dialog, 0)->date(), today);
        QCOMPARE(picker(*dialog, 1)->date(), today.addDays(1));
        QCOMPARE(field(*dialog, "txtDateRange")->text(), QStringLiteral("1 days."));
    } else {
        QVERIFY(chosen(*dialog, "optRevenue_0"));
    }
}

// A bound takes only what the locale reads as a number; one it cannot read is said next to the
// fields, writes nothing and is never taken for 0.
void TestFilterDialog::unreadableBoundIsSaid() {
    for (const char* name : {"All", "Revenues"})
        store(m_env->store(), "Use", QLatin1String(name), "True");
    const auto dialog = open();
    control<QTabBar>(*dialog, "tbsOptions")->setCurrentIndex(2);
    QLineEdit* low = field(*dialog, "txtRevenue_0");
    low->clear();
    QTest::keyClicks(low, "12abc");
    QCOMPARE(low->text(), QStringLiteral("12"));
    QTest::keyClicks(low, ",5");
    const QString before = stored(m_env->store(), "Revenue", "Low");
    click(*dialog, "cmdOK");
    QVERIFY(dialog->isVisible());
    QCOMPARE(m_passes, 0);
    QVERIFY(m_env->ui().messages().isEmpty());
    QCOMPARE(control<QTabBar>(*dialog, "tbsOptions")->currentIndex(), 2);
    auto* note = control<QLabel>(*dialog, "lblRevenueProblem");
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), "Low: \"12,5\" is not a number. Type it as 1,234.50.");
    QCOMPARE(low->text(), QStringLiteral("12,5"));
    QCOMPARE(stored(m_env->store(), "Revenue", "Low"), before);
    QTest::keyClick(low, Qt::Key_End); // the failed OK selected the text
    QTest::keyClick(low, Qt::Key_Backspace);
    QTest::keyClick(low, Qt::Key_Backspace);
    QVERIFY(!note->isVisible());
    click(*dialog, "cmdOK");
    QCOMPARE(m_passes, 1);
    QCOMPARE(stored(m_env->store(), "Revenue", "Low"), QStringLiteral("12"));
}

void TestFilterDialog::showAllMakesEveryDatabaseVisible() {
    // Two open databases; the stored revenue bounds hide the small deals of both.
    store(m_env->store(), "Revenue", "Low", "1000");
    Opportunities databases[2];
    for (qint32 n = 1; n <= 4; ++n)
        for (Opportunities& list : databases)
            list.add(n, {}, {}, {}, {}, {}, {}, {}, {}, {}, {},
                     n % 2 ? QStringLiteral("$10") : QStringLiteral("$5,000"), {},
                     QStringLiteral("Lead"), {}, {}, {}, {}, {}, Opportunities::keyFor(n));
    m_filters = std::make_unique<Filters>(m_env->store());
    FilterDialog dialog(*m_filters, [&] {
        for (Opportunities& list : databases)
            m_filters->filter(list);
    });
    dialog.show();
    QVERIFY(dialog.apply());
    QCOMPARE(databases[0].unFilteredCount() + databases[1].unFilteredCount(), 4);

    control<QListWidget>(dialog, "lstStage")->item(0)->setCheckState(Qt::Unchecked);
    choose(dialog, "optUse_1");
    click(dialog, "cmdApply");
    QCOMPARE(databases[0].unFilteredCount() + databases[1].unFilteredCount(), 8);
    QVERIFY(!m_filters->enabled());
    QCOMPARE(stored(m_env->store(), "Use", "All"), QStringLiteral("False"));
    // Every other criterion as the dialog holds it.
    QCOMPARE(stored(m_env->store(), "Stage", "1"), QStringLiteral("False"));
    QCOMPARE(stored(m_env->store(), "Revenue", "Low"), QStringLiteral("1000"));
}

void TestFilterDialog::applyStaysOpenAndCancelKeepsItsWrites() {
    auto dialog = open();
    const QDateTime end = m_filters->item("End")->value().toDateTime();
    control<QListWidget>(*dialog, "lstProbabilities")->item(5)->setCheckState(Qt::Unchecked);
    click(*dialog, "cmdApply");
    QVERIFY(dialog->isVisible());
    QCOMPARE(m_passes, 1);
    QCOMPARE(stored(m_env->store(), "Probability", "6"), QStringLiteral("False"));
    // A bound the user left alone keeps its time of day (orders on End's day stay in range).
    QCOMPARE(m_filters->item("End")->value().toDateTime().toSecsSinceEpoch(),
             end.toSecsSinceEpoch());

    // A change after Apply is dropped by Cancel; what Apply wrote stays.
    control<QListWidget>(*dialog, "lstStage")->item(2)->setCheckState(Qt::Unchecked);
    click(*dialog, "cmdCancel");
    QVERIFY(!dialog->isVisible());
    QCOMPARE(m_passes, 1);
    QCOMPARE(stored(m_env->store(), "Stage", "3"), QStringLiteral("True"));
    // The next opening starts from the applied criteria.
    FilterDialog next(*m_filters, {});
    QCOMPARE(checkMarks(next, "lstProbabilities") + checkMarks(next, "lstStage"),
             QStringLiteral("xxxxx-xxxxxxx"));
}

QTEST_MAIN(TestFilterDialog)
#include "TestFilterDialog.moc"
