#include "TestEnvironment.h"

#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/User.h"
#include "store/OpportunityFields.h"

#include <QSettings>
#include <QtTest>

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void firstRunProfile();
    void profileRoundTrip();
    void damagedProfileValues_data();
    void damagedProfileValues();
    void territoryFromTheOldPlace();
    void lastSentInEveryLocale_data();
    void lastSentInEveryLocale();
    void firstRunColumns();
    void columnsRoundTrip();
    void damagedColumnValues();
    void sortMenuKeys_data();
    void sortMenuKeys();
    void keepsSort_data();
    void keepsSort();
};

void TestSettings::firstRunProfile() {
    TestEnvironment env;
    {
        User user(env.store());
        QVERIFY(user.salesRep().isEmpty());
        QVERIFY(user.territory().isEmpty());
        QVERIFY(user.hqEmail().isEmpty());
        QVERIFY(!user.useOutlook());
        QCOMPARE(user.lastSent(), QDate::currentDate());
        user.saveUser();
    }
    // The save wrote all nine values.
    QSettings raw(env.settingsPath(), QSettings::IniFormat);
    raw.beginGroup("User");
    QCOMPARE(raw.childKeys().size(), 9);
    QCOMPARE(raw.value("LastSent").toString(), LocaleText::shortDate(QDate::currentDate()));
    QCOMPARE(raw.value("UseOutlook").toString(), QStringLiteral("False"));
    QCOMPARE(raw.value("email").toString(), QString());
}

void TestSettings::profileRoundTrip() {
    TestEnvironment env;
    {
        User user(env.store());
        user.setSalesRep("Kim Lasser");
        user.setCompany("Northwind Trading");
        user.setTerritory("Alps");
        user.setId("E-1042");
        user.setEmail("kim@example.com");
        user.setEmailCc("boss@example.com");
        user.setHqEmail("hq@example.com");
        user.setLastSent(QDate(2026, 2, 3));
        user.setUseOutlook(true);
        user.saveUser();
        QSettings raw(env.settingsPath(), QSettings::IniFormat);
        QCOMPARE(raw.value("User/UseOutlook").toString(), QStringLiteral("True"));
        QCOMPARE(raw.value("User/LastSent").toString(), QStringLiteral("2/3/2026"));
        QCOMPARE(raw.value("User/Territory").toString(), QStringLiteral("Alps"));
    }
    User again(env.store());
    QCOMPARE(again.salesRep(), QStringLiteral("Kim Lasser"));
    QCOMPARE(again.company(), QStringLiteral("Northwind Trading"));
    QCOMPARE(again.territory(), QStringLiteral("Alps"));
    QCOMPARE(again.id(), QStringLiteral("E-1042"));
    QCOMPARE(again.email(), QStringLiteral("kim@example.com"));
    QCOMPARE(again.emailCc(), QStringLiteral("boss@example.com"));
    QCOMPARE(again.hqEmail(), QStringLiteral("hq@example.com"));
    QCOMPARE(again.lastSent(), QDate(2026, 2, 3));
    QVERIFY(again.useOutlook());

    // A profile that ends unsaved writes nothing.
    {
        User changed(env.store());
        changed.setId("E-7");
    }
    QCOMPARE(User(env.store()).id(), QStringLiteral("E-1042"));
}

void TestSettings::damagedProfileValues_data() {
    QTest::addColumn<QString>("useOutlook");
    QTest::addColumn<QString>("lastSent");
    QTest::addColumn<bool>("expectedOutlook");
    QTest::addColumn<QDate>("expectedLastSent");
    QTest::newRow("words") << "Maybe"
                           << "soon" << false << User::zeroDate();
    QTest::newRow("number means on") << "1"
                                     << "" << true << User::zeroDate();
    QTest::newRow("lower case") << "true"
                                << "12/31/1999" << true << QDate(1999, 12, 31);
}

void TestSettings::damagedProfileValues() {
    QFETCH(QString, useOutlook);
    QFETCH(QString, lastSent);
    QFETCH(bool, expectedOutlook);
    QFETCH(QDate, expectedLastSent);
    TestEnvironment env;
    env.store().saveSetting("Corvane", "User", "UseOutlook", useOutlook);
    env.store().saveSetting("Corvane", "User", "LastSent", lastSent);
    {
        User user(env.store());
        QCOMPARE(user.useOutlook(), expectedOutlook);
        QCOMPARE(user.lastSent(), expectedLastSent);
        user.saveUser();
    }
    // What loads is what the next save writes.
    QCOMPARE(env.store().getSetting("Corvane", "User", "LastSent"),
             LocaleText::shortDate(expectedLastSent));
}

void TestSettings::territoryFromTheOldPlace() {
    TestEnvironment env;
    env.store().saveSetting("False", "User", "Territory", "Old North");
    {
        User first(env.store());
        QCOMPARE(first.territory(), QStringLiteral("Old North"));
        first.saveUser();
    }
    // Saved under the application's own name: a second instance reads the same territory.
    QCOMPARE(env.store().getSetting("Corvane", "User", "Territory"), QStringLiteral("Old North"));
    {
        User first(env.store());
        first.setTerritory("South");
        first.saveUser();
    }
    User second(env.store());
    QCOMPARE(second.territory(), QStringLiteral("South"));
    // An empty territory of its own wins over the old value.
    second.setTerritory("");
    second.saveUser();
    User third(env.store());
    QCOMPARE(third.territory(), QString());
}

void TestSettings::lastSentInEveryLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France);
}

void TestSettings::lastSentInEveryLocale() {
    QFETCH(QLocale, locale);
    TestEnvironment env(locale);
    {
        User user(env.store());
        user.setLastSent(QDate(1931, 7, 4));
        user.saveUser();
    }
    User again(env.store());
    QCOMPARE(again.lastSent(), QDate(1931, 7, 4));
}

void TestSettings::firstRunColumns() {
    TestEnvironment env;
    {
        ColumnsInfo info(env.store());
        QCOMPARE(info.count(), 14);
        for (int position = 1; position <= 14; ++position) {
            const ColumnStatus* c = info.item(position);
            QCOMPARE(c->key(), OpportunityFields::columnKeys().at(position - 1));
            QCOMPARE(c->width(), qint16(1500));
            QCOMPARE(c->order(), qint16(position));
            QVERIFY(c->isDisplayed());
            QCOMPARE(info.item(c->key()), c);
        }
        info.save();
        env.store().flush();
    }
    QSettings raw(env.settingsPath(), QSettings::IniFormat);
    raw.beginGroup("Display");
    QCOMPARE(raw.childKeys().size(), 42);
    QCOMPARE(raw.value("OrderDateOrder").toString(), QStringLiteral("14"));
    QCOMPARE(raw.value("UnitPriceWidth").toString(), QStringLiteral("1500"));
    QCOMPARE(raw.value("SourceDisplay").toString(), QStringLiteral("True"));
}

void TestSettings::columnsRoundTrip() {
    TestEnvironment env;
    {
        ColumnsInfo info(env.store());
        info.item("Note")->setDisplayed(false);
        info.item("Note")->setWidth(2222);
        info.item("Revenue")->setWidth(999);
        info.item("Stage")->setOrder(3);
        info.save();
    }
    ColumnsInfo again(env.store());
    QVERIFY(!again.item("Note")->isDisplayed());
    QCOMPARE(again.item("Note")->width(), qint16(2222));
    QCOMPARE(again.item("Revenue")->width(), qint16(999));
    QCOMPARE(again.item("Stage")->order(), qint16(3)); // kept, though the list ignores it
    QVERIFY(again.item("Company")->isDisplayed());
}

void TestSettings::damagedColumnValues() {
    TestEnvironment env;
    SettingsStore& store = env.store();
    store.saveSetting("Corvane", "Display", "DescriptionWidth", "wide");
    store.saveSetting("Corvane", "Display", "CompanyWidth", "99999");
    store.saveSetting("Corvane", "Display", "ContactDisplay", "perhaps");
    store.saveSetting("Corvane", "Display", "NoteDisplay", "0");
    store.saveSetting("Corvane", "Display", "ProductOrder", "");
    ColumnsInfo info(env.store());
    QCOMPARE(info.item("Description")->width(), qint16(1500));
    QCOMPARE(info.item("Company")->width(), qint16(1500));
    QVERIFY(info.item("Contact")->isDisplayed());
    QVERIFY(!info.item("Note")->isDisplayed());
    QCOMPARE(info.item("Product")->order(), qint16(6));
}

void TestSettings::sortMenuKeys_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("key");
    QTest::newRow("0") << 0 << "None";
    QTest::newRow("1") << 1 << "Description";
    QTest::newRow("7") << 7 << "UnitPrice";
    QTest::newRow("10") << 10 << "Source";
    QTest::newRow("11") << 11 << "Stage";
    QTest::newRow("12") << 12 << "Forecast";
    QTest::newRow("13") << 13 << "Probability";
    QTest::newRow("14") << 14 << "OrderDate";
    QTest::newRow("15") << 15 << "None";
    QTest::newRow("-1") << -1 << "None";
}

void TestSettings::sortMenuKeys() {
    QFETCH(int, position);
    QFETCH(QString, key);
    QCOMPARE(OpportunityFields::sortKey(position), key);
    QCOMPARE(OpportunityFields::sortPosition(key), key == "None" ? 0 : position);
}

void TestSettings::keepsSort_data() {
    QTest::addColumn<QString>("sortKey"); // "-" for no key at all
    QTest::addColumn<bool>("kept");
    QTest::newRow("hidden column") << "Note" << false;
    QTest::newRow("displayed column") << "Revenue" << true;
    QTest::newRow("None") << "None" << true;
    QTest::newRow("no key") << "-" << true;
    QTest::newRow("no such column") << "RecordNumber" << true;
}

void TestSettings::keepsSort() {
    QFETCH(QString, sortKey);
    QFETCH(bool, kept);
    TestEnvironment env;
    ColumnsInfo columns(env.store());
    columns.item("Note")->setDisplayed(false);
    const std::optional<QString> key =
        sortKey == "-" ? std::nullopt : std::optional<QString>(sortKey);
    QCOMPARE(columns.keepsSort(key), kept);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
