#include "TestEnvironment.h"

#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "platform/TextForm.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

class TestLocaleAndSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void shortDateRoundTrip_data();
    void shortDateRoundTrip();
    void monthNamesMatchExactly();
    void generalDateTimeHasNoZone_data();
    void generalDateTimeHasNoZone();
    void textForms_data();
    void textForms();
    void storeKeepsTextsAsWritten();
};

void TestLocaleAndSettingsStore::shortDateRoundTrip_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDate>("date");
    const QList<QLocale> locales{QLocale(QLocale::English, QLocale::UnitedStates),
                                 QLocale(QLocale::German, QLocale::Germany),
                                 QLocale(QLocale::English, QLocale::UnitedKingdom),
                                 QLocale(QLocale::Japanese, QLocale::Japan)};
    // Years a two-digit form would move to another century.
    const QList<QDate> dates{QDate(1999, 12, 31), QDate(2049, 1, 2), QDate(1925, 6, 30),
                             QDate(2026, 12, 6)};
    for (const QLocale& locale : locales) {
        for (const QDate& date : dates) {
            QTest::addRow("%s %s", qPrintable(locale.name()),
                          qPrintable(date.toString(Qt::ISODate)))
                << locale << date;
        }
    }
}

void TestLocaleAndSettingsStore::shortDateRoundTrip() {
    QFETCH(QLocale, locale);
    QFETCH(QDate, date);
    TestEnvironment env(locale);
    const QString text = LocaleText::shortDate(date);
    QVERIFY2(text.contains(QString::number(date.year())), qPrintable(text));
    QCOMPARE(LocaleText::parseShortDate(text), date);
}

void TestLocaleAndSettingsStore::monthNamesMatchExactly() {
    TestEnvironment env;
    QCOMPARE(LocaleText::monthName(3), QStringLiteral("March"));
    QCOMPARE(LocaleText::monthNumber(QStringLiteral("March")), 3);
    QCOMPARE(LocaleText::monthNumber(QStringLiteral("march")), 0);
    QCOMPARE(LocaleText::monthNumber(QString()), 0);
    // The names follow a change of the locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(LocaleText::monthName(3), QStringLiteral("März"));
    QCOMPARE(LocaleText::monthNumber(QStringLiteral("March")), 0);
    // Short names are read as well; the full name is stored where it fits twelve characters.
    QCOMPARE(LocaleText::monthNumber(QStringLiteral("Okt.")), 10);
    QCOMPARE(LocaleText::monthNameWithin(10, 12), QStringLiteral("Oktober"));
    QLocale::setDefault(QLocale(QLocale::Irish, QLocale::Ireland));
    QCOMPARE(LocaleText::monthNameWithin(10, 12), QStringLiteral("DFómh"));
    QCOMPARE(LocaleText::monthNumber(QStringLiteral("DFómh")), 10);
    QCOMPARE(LocaleText::monthNumber(QStringLiteral("Deireadh Fómhair")), 10);
}

void TestLocaleAndSettingsStore::generalDateTimeHasNoZone_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                           << "1/3/2024 4:05:06 PM";
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "03.01.2024 16:05:06";
    QTest::newRow("es_ES") << QLocale(QLocale::Spanish, QLocale::Spain) << "3/1/2024 16:05:06";
}

void TestLocaleAndSettingsStore::generalDateTimeHasNoZone() {
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    TestEnvironment env(locale);
    QCOMPARE(LocaleText::generalDateTime(QDateTime(QDate(2024, 1, 3), QTime(16, 5, 6))), expected);
}

void TestLocaleAndSettingsStore::textForms_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("asBool");  // -1: does not convert
    QTest::addColumn<int>("asInt16"); // -99999: does not convert
    QTest::newRow("True") << "True" << 1 << -99999;
    QTest::newRow("false lower") << "false" << 0 << -99999;
    QTest::newRow("number") << " 1500 " << 1 << 1500;
    QTest::newRow("zero") << "0" << 0 << 0;
    QTest::newRow("rounds") << "1500.6" << 1 << 1501;
    QTest::newRow("too wide") << "40000" << 1 << -99999;
    QTest::newRow("negative") << "-12" << 1 << -12;
    QTest::newRow("words") << "Yes" << -1 << -99999;
    QTest::newRow("empty") << "" << -1 << -99999;
}

void TestLocaleAndSettingsStore::textForms() {
    QFETCH(QString, text);
    QFETCH(int, asBool);
    QFETCH(int, asInt16);
    const auto b = TextForm::toBool(text);
    QCOMPARE(b.has_value(), asBool != -1);
    if (b)
        QCOMPARE(int(*b), asBool);
    const auto i = TextForm::toInt16(text);
    QCOMPARE(i.has_value(), asInt16 != -99999);
    if (i)
        QCOMPARE(int(*i), asInt16);
    QCOMPARE(TextForm::fromBool(true), QStringLiteral("True"));
    QCOMPARE(TextForm::fromBool(false), QStringLiteral("False"));
}

void TestLocaleAndSettingsStore::storeKeepsTextsAsWritten() {
    TestEnvironment env;
    SettingsStore& store = env.store();
    const QStringList texts{"a, b, c", "", "  padded  ", "semi;colon", "quote\"d", "ünï"};
    for (int i = 0; i < texts.size(); ++i)
        QVERIFY(store.saveSetting("Corvane", "Settings", QString("v%1").arg(i), texts[i]));
    QVERIFY(store.flush());
    const SettingsStore reader(env.settingsPath()); // a fresh reader of the same file
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(reader.getSetting("Corvane", "Settings", QString("v%1").arg(i), "x"), texts[i]);
}

QTEST_GUILESS_MAIN(TestLocaleAndSettingsStore)
#include "TestLocaleAndSettingsStore.moc"
