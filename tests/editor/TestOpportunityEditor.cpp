#include "FakePim.h"
#include "TestEnvironment.h"

#include "editor/OpportunityEditor.h"
#include "editor/OrderDateCalendar.h"
#include "outlook/OutlookContacts.h"
#include "platform/LocaleText.h"
#include "settings/User.h"
#include "store/SalesDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <sqlite3.h>

namespace {

const QLocale UnitedStates(QLocale::English, QLocale::UnitedStates);
const QLocale Germany(QLocale::German, QLocale::Germany);

// One field of record `number` as the file holds it, read with a connection of the test's own.
QString stored(const QString& path, int number, const char* field) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    const QByteArray sql = QByteArray("SELECT ") + field + " FROM Sales WHERE RecordNumber = ?1";
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    sqlite3_bind_int(s, 1, number);
    QString value = QStringLiteral("<no record>");
    if (sqlite3_step(s) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    sqlite3_finalize(s);
    sqlite3_close(db);
    return value;
}

// A database file with one opportunity (record 1), the editor open on it as Edit or EditNew
// would open it from the main window.
struct Fixture {
    explicit Fixture(const QLocale& locale = UnitedStates) : env(locale) {
        path = env.path(QStringLiteral("Pipeline.mdb"));
        auto created = SalesDatabase::create(path);
        QVERIFY(created);
        database = std::move(*created);
        Opportunity first;
        first.setDescription(QStringLiteral("Big deal"));
        QVERIFY(database->add(first));
        user.setUseOutlook(false);
    }
    Opportunity& item(int number = 1) {
        return *database->opportunities().item(Opportunities::keyFor(number));
    }
    void edit(int number = 1) {
        const QString key = Opportunities::keyFor(number);
        editor.edit(item(number), [this, key](const Opportunity& edited) {
            return database->update(key, edited);
        });
        editor.show();
    }
    void editNew() {
        const auto added = database->add(Opportunity());
        QVERIFY(added);
        const QString key = *added;
        editor.editNew(
            *database->opportunities().item(key),
            [this, key](const Opportunity& edited) { return database->update(key, edited); },
            [this, key] { return database->remove(key); });
        editor.show();
    }
    template <typename T> T* get(const char* name) {
        return editor.findChild<T*>(QLatin1String(name));
    }
    QLineEdit* line(int index) {
        return editor.findChild<QLineEdit*>(QStringLiteral("txtDescription_%1").arg(index));
    }
    void ok() { QTest::mouseClick(get<QPushButton>("cmdOK"), Qt::LeftButton); }
    void cancel() { QTest::mouseClick(get<QPushButton>("cmdCancel"), Qt::LeftButton); }
    // Chooses an entry of a combo as the user would.
    void choose(const char* combo, int index) {
        QComboBox* box = get<QComboBox>(combo);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    TestEnvironment env;
    QString path;
    std::unique_ptr<SalesDatabase> database;
    User user{env.store()};
    OpportunityEditor editor{user};
};

} // namespace

class TestOpportunityEditor : public QObject {
    Q_OBJECT

private slots:
    void revenue_data();
    void revenue();
    void typedAmounts_data();
    void typedAmounts();
    void textsAndCaption();
    void contactList();
    void endings_data();
    void endings();
    void failedWriteKeepsEverything();
    void orderDate_data();
    void orderDate();
    void foreignValuesAreKept();
};

void TestOpportunityEditor::revenue_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("unitPrice");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QStringList>("shown"); // unit price, quantity, revenue
    QTest::addColumn<QString>("storedQuantity");
    const struct {
        const char* name;
        bool german;
        const char *price, *quantity, *shownPrice, *shownQuantity, *revenue, *storedQuantity;
    } rows[] = {
        // clang-format off
        {"en 1250 x 3", false, "1250", "3", "1,250.00", "3.00", "$3,750.00", "3.00"},
        // Rounded, not cut; the revenue is the product of the numbers shown.
        {"en 1.125 x 4", false, "1.125", "4", "1.13", "4.00", "$4.52", "4.00"},
        {"en thousands", false, "1,250.50", "1,000", "1,250.50", "1,000.00", "$1,250,500.00", "1000.00"},
        {"de 1.250,00 x 3", true, "1.250,00", "3", "1.250,00", "3,00", "3.750,00 €", "3.00"},
        {"de 1,5 x 1.000", true, "1,5", "1.000", "1,50", "1.000,00", "1.500,00 €", "1000.00"},
        // clang-format on
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << (r.german ? Germany : UnitedStates) << r.price << r.quantity
                              << QStringList{r.shownPrice, r.shownQuantity, r.revenue}
                              << r.storedQuantity;
}

// What the dialog shows is what it stores, and an edit that changes nothing (also a second
// opening, in German too) leaves the amounts as they were.
void TestOpportunityEditor::revenue() {
    QFETCH(QLocale, locale);
    QFETCH(QString, unitPrice);
    QFETCH(QString, quantity);
    QFETCH(QStringList, shown);
    QFETCH(QString, storedQuantity);
    Fixture f(locale);
    f.edit();
    f.line(6)->setText(unitPrice);
    f.line(5)->setText(quantity);
    f.ok();
    QCOMPARE((QStringList{f.line(6)->text(), f.line(5)->text(), f.line(7)->text()}), shown);
    const auto amounts = [&] {
        return QStringList{stored(f.path, 1, "UnitPrice"), stored(f.path, 1, "Quantity"),
                           stored(f.path, 1, "Revenue")};
    };
    const QStringList file = amounts();
    QCOMPARE(file, (QStringList{shown[0], storedQuantity, shown[2]}));
    QCOMPARE(f.item().quantity(), storedQuantity);
    if (shown[2].isEmpty())
        return;
    for (int again = 0; again < 2; ++again) {
        f.edit();
        QCOMPARE(f.line(7)->text(), shown[2]);
        f.ok();
    }
    QCOMPARE(amounts(), file);
}

void TestOpportunityEditor::typedAmounts_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("typed");  // into the unit price
    QTest::addColumn<QString>("kept");   // what the field takes of it
    QTest::addColumn<QString>("stored"); // after OK; empty: not written, said next to the field
    const auto row = [](const char* tag, const QLocale& locale, const char* typed, const char* kept,
                        const char* stored) {
        QTest::newRow(tag) << locale << QString(typed) << QString(kept) << QString(stored);
    };
    row("en letters refused", UnitedStates, "12abc-$", "12", "12.00");
    row("en 1,250.5", UnitedStates, "1,250.5", "1,250.5", "1,250.50");
    row("en 1,5 not read", UnitedStates, "1,5", "1,5", "");
    row("de 1.000,5", Germany, "1.000,5", "1.000,5", "1.000,50");
    row("de 1,250.50 not read", Germany, "1,250.50", "1,250.50", "");
    // Too large for the field, or for the revenue: said, never stored as 0.00.
    row("en too large", UnitedStates, "12345678901234567890", "12345678901234567890", "");
    row("en revenue too large", UnitedStates, "99999999999", "99999999999", "");
}

// The unit price takes what the user's locale reads as a number; a text it cannot read is said
// next to the field and never stored as 0.00; mended, it goes through.
void TestOpportunityEditor::typedAmounts() {
    QFETCH(QLocale, locale);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    QFETCH(QString, stored);
    Fixture f(locale);
    f.edit();
    const QString before = ::stored(f.path, 1, "UnitPrice");
    f.line(6)->clear();
    QTest::keyClicks(f.line(6), typed);
    QCOMPARE(f.line(6)->text(), kept);
    f.line(5)->setText(QStringLiteral("1"));
    f.ok();
    auto* note = f.get<QLabel>("lblAmountProblem");
    QCOMPARE(note->isVisibleTo(&f.editor), stored.isEmpty());
    if (!stored.isEmpty()) {
        QCOMPARE(::stored(f.path, 1, "UnitPrice"), stored);
        return;
    }
    QVERIFY(f.editor.isVisible());
    QCOMPARE(f.line(6)->text(), kept);
    const bool readable = QLocale(locale).toDouble(kept) > 0;
    QCOMPARE(note->text(), "Unit Price: \"" + kept + "\" " +
                               (readable ? QStringLiteral("is too large for this field, or for "
                                                          "the revenue it gives.")
                                         : "is not a number. Type it as " +
                                               locale.toString(1234.5, 'f', 2) + '.'));
    QCOMPARE(::stored(f.path, 1, "UnitPrice"), before);
    f.line(6)->clear();
    QTest::keyClicks(f.line(6), QStringLiteral("7"));
    QVERIFY(!note->isVisibleTo(&f.editor));
    f.ok();
    QVERIFY(!f.editor.isVisible());
    QCOMPARE(::stored(f.path, 1, "UnitPrice"), locale.toString(7.0, 'f', 2));
}

void TestOpportunityEditor::textsAndCaption() {
    Fixture f;
    f.edit();
    QCOMPARE(f.editor.windowTitle(), QStringLiteral("Edit - [Big deal...]"));
    QCOMPARE(f.get<QPlainTextEdit>("txtDescription_0")->textCursor().selectedText(), "Big deal");
    // Leaving a field recomputes the revenue; so does entering a combo.
    QVERIFY(QTest::qWaitForWindowActive(&f.editor));
    f.line(6)->setFocus();
    f.line(6)->setText(QStringLiteral("2"));
    f.line(5)->setFocus();
    QCOMPARE(f.line(7)->text(), QStringLiteral("$0.00"));
    f.line(5)->setText(QStringLiteral("3"));
    f.get<QComboBox>("combo_Stage")->setFocus();
    QCOMPARE(f.line(7)->text(), QStringLiteral("$6.00"));
    // Tab runs from Forecast through the calendar to the buttons.
    f.get<QCheckBox>("checkForecast")->setFocus();
    QStringList order;
    for (int step = 0; step < 3; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        QWidget* calendar = focused;
        while (calendar && !qobject_cast<OrderDateCalendar*>(calendar))
            calendar = calendar->parentWidget();
        order << (calendar ? QStringLiteral("calendar") : focused->objectName());
    }
    QCOMPARE(order, (QStringList{"calendar", "cmdOK", "cmdCancel"}));
    const QString thirty = QStringLiteral("Thirty characters of a descr.");
    const QString forty = QStringLiteral("A company whose name runs to forty chars");
    f.get<QPlainTextEdit>("txtDescription_0")->setPlainText(thirty);
    f.line(1)->setText(forty);
    f.line(2)->setText(forty);
    f.get<QComboBox>("comboContact")->setEditText(forty);
    f.get<QPlainTextEdit>("txtDescription_3")->setPlainText(QString(200, u'n'));
    f.ok();
    for (const char* field : {"Company", "Department", "Contact"})
        QCOMPARE(stored(f.path, 1, field), forty.left(32));
    // The cut never splits a character of two UTF-16 units.
    const QString letters(31, u'w');
    f.edit();
    f.line(1)->setText(letters + QString::fromUtf8("\xF0\x9F\x98\x80"));
    f.ok();
    QCOMPARE(stored(f.path, 1, "Company"), letters);
    QCOMPARE(stored(f.path, 1, "Note"), QString(128, u'n'));
    f.edit();
    QCOMPARE(f.editor.windowTitle(), "Edit - [" + thirty.left(25) + "...]");
    f.get<QPlainTextEdit>("txtDescription_0")->clear();
    f.ok();
    QCOMPARE(stored(f.path, 1, "Description"), QStringLiteral("None"));
    QCOMPARE(f.item().description(), QStringLiteral("None"));
}

void TestOpportunityEditor::contactList() {
    Fixture f;
    FakePimScript script;
    script.contacts = {FakePim::contact("Ann", "Lee"), FakePim::contact("Bo", "Kim")};
    FakePim::install(script);
    OutlookContacts contacts(f.env.store());
    f.editor.setContacts(&contacts);
    f.user.setUseOutlook(true);
    f.item().setContact(QStringLiteral("Somebody"));
    f.edit();
    QComboBox* combo = f.get<QComboBox>("comboContact");
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(1), QStringLiteral("Kim, Bo, 555-Bo"));
    QCOMPARE(combo->currentText(), QStringLiteral("Somebody"));
    f.choose("comboContact", 1);
    QCOMPARE(f.line(1)->text(), QStringLiteral("Co Kim"));
    QCOMPARE(f.line(2)->text(), QStringLiteral("Dept"));
    QVERIFY(f.env.ui().messages().isEmpty());

    // Unreachable: one message, Outlook use off, the list as it was.
    script.failLogon = true;
    OutlookContacts unreachable(f.env.store());
    f.editor.setContacts(&unreachable);
    f.edit();
    f.edit();
    FakePim::uninstall();
    QCOMPARE(f.env.ui().messages().size(), 1);
    const auto& m = f.env.ui().messages().first();
    QCOMPARE(m.text + '|' + m.title,
             "Unable to read the contacts folder. 'Use mail and calendar folders' has been "
             "switched off.|Contacts Folder");
    QVERIFY(m.icon == UiServices::Icon::Information && m.buttons == UiServices::Buttons::Ok);
    QVERIFY(!f.user.useOutlook());
    QCOMPARE(combo->count(), 2);
}

void TestOpportunityEditor::endings_data() {
    QTest::addColumn<bool>("isNew");
    QTest::addColumn<QString>("how");
    for (const bool isNew : {true, false})
        for (const char* how : {"ok", "cancel", "escape", "close", "alt+k", "alt+c"})
            QTest::addRow("%s %s", isNew ? "new" : "edit", how) << isNew << QString(how);
}

void TestOpportunityEditor::endings() {
    QFETCH(bool, isNew);
    QFETCH(QString, how);
    Fixture f;
    isNew ? f.editNew() : f.edit();
    const int number = isNew ? 2 : 1;
    const QString before = stored(f.path, number, "Description");
    f.get<QPlainTextEdit>("txtDescription_0")->setPlainText(QStringLiteral("Typed"));
    if (how == "ok")
        f.ok();
    else if (how == "cancel")
        f.cancel();
    else if (how == "escape")
        QTest::keyClick(&f.editor, Qt::Key_Escape);
    else if (how.startsWith("alt+")) {
        // The buttons' access keys, typed in a text field, press the button and type nothing.
        QVERIFY(QTest::qWaitForWindowActive(&f.editor));
        f.line(1)->setFocus();
        QTest::keyClick(f.line(1), how.back().toLatin1(), Qt::AltModifier);
        QCOMPARE(f.line(1)->text(), QString());
        QTRY_VERIFY(!f.editor.isVisible()); // the button shows itself pressed first
    } else
        f.editor.close();
    QVERIFY(!f.editor.isVisible());
    const bool ok = how == "ok" || how == "alt+k";
    QCOMPARE(f.editor.result(), ok ? QDialog::Accepted : QDialog::Rejected);
    QVERIFY(!f.editor.newOpportunity());
    const bool gone = isNew && !ok;
    const QString expected = ok ? QStringLiteral("Typed") : before;
    QCOMPARE(stored(f.path, number, "Description"),
             gone ? QStringLiteral("<no record>") : expected);
    QCOMPARE(f.database->opportunities().count(), gone ? 1 : number);
    if (!gone)
        QCOMPARE(f.item(number).description(), expected);
}

void TestOpportunityEditor::failedWriteKeepsEverything() {
    Fixture f;
    f.edit();
    const Opportunity before(f.item());
    f.get<QPlainTextEdit>("txtDescription_0")->setPlainText(QStringLiteral("Typed"));
    f.line(6)->setText(QStringLiteral("99"));
    QVERIFY(QFile::remove(f.path));
    f.ok();
    QVERIFY(f.editor.isVisible());
    QCOMPARE(f.env.ui().messages().size(), 1);
    const auto& m = f.env.ui().messages().first();
    QVERIFY(m.text.startsWith("Could not save the opportunity in " + f.path));
    QVERIFY(m.title == "Corvane" && m.icon == UiServices::Icon::Exclamation);
    QVERIFY(f.item().sameRecord(before));
    QCOMPARE(f.get<QPlainTextEdit>("txtDescription_0")->toPlainText(), QStringLiteral("Typed"));
    QCOMPARE(f.line(6)->text(), QStringLiteral("99.00"));
}

void TestOpportunityEditor::orderDate_data() {
    QTest::addColumn<int>("storedDays"); // from today
    QTest::addColumn<int>("pickedDays"); // 0: nothing picked
    QTest::addColumn<int>("writtenDays");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("ahead") << 40 << 0 << 40 << "40 days until the order.";
    QTest::newRow("past kept") << -400 << 0 << -400 << " days until the order.";
    QTest::newRow("far ahead kept") << 500 << 0 << 500 << "500 days until the order.";
    QTest::newRow("picked") << -400 << 10 << 10 << "10 days until the order.";
    QTest::newRow("picked past is today") << -400 << -3 << 0 << " days until the order.";
}

void TestOpportunityEditor::orderDate() {
    QFETCH(int, storedDays);
    QFETCH(int, pickedDays);
    QFETCH(int, writtenDays);
    QFETCH(QString, toolTip);
    Fixture f;
    const QDate today = QDate::currentDate();
    const QDate storedDate = today.addDays(storedDays);
    f.item().setOrderDay(QString::number(storedDate.day()));
    f.item().setOrderMonth(LocaleText::monthName(storedDate.month()));
    f.item().setOrderYear(QString::number(storedDate.year()));
    f.edit();
    auto* calendar = f.get<OrderDateCalendar>("mvOrderDate");
    QCOMPARE(calendar->selectedDate(), storedDate);
    if (pickedDays != 0)
        emit calendar->clicked(today.addDays(pickedDays));
    QCOMPARE(calendar->toolTip(), toolTip);
    QCOMPARE(calendar->markedFrom(), today);
    QCOMPARE(calendar->markedTo(), std::max(today, today.addDays(writtenDays)));
    f.ok();
    const QDate written = today.addDays(writtenDays);
    // A kept date keeps its stored texts, the day without its leading zero too.
    const QString day =
        pickedDays ? written.toString(QStringLiteral("dd")) : QString::number(written.day());
    QCOMPARE((QStringList{stored(f.path, 1, "OrderDay"), stored(f.path, 1, "OrderMonth"),
                          stored(f.path, 1, "OrderYear")}),
             (QStringList{day, LocaleText::monthName(written.month()),
                          QString::number(written.year())}));
    QCOMPARE(f.item().orderDay(), day);
}

void TestOpportunityEditor::foreignValuesAreKept() {
    Fixture f;
    f.item().setStage(QStringLiteral("Negotiation"));
    f.item().setSource(QStringLiteral("Fax"));
    f.item().setProbability(QStringLiteral("50%"));
    f.edit();
    for (const char* combo : {"combo_Stage", "combo_Source", "combo_Probability"})
        QCOMPARE(f.get<QComboBox>(combo)->currentIndex(), -1);
    f.choose("combo_Source", 1);
    f.ok();
    QCOMPARE(stored(f.path, 1, "Stage"), QStringLiteral("Negotiation"));
    QCOMPARE(stored(f.path, 1, "Probability"), QStringLiteral("50%"));
    QCOMPARE(stored(f.path, 1, "Source"), QStringLiteral("Article"));
}

QTEST_MAIN(TestOpportunityEditor)
#include "TestOpportunityEditor.moc"
