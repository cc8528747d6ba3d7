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
    void profileRoundTrip();
    void damagedProfileValues_data();
    void damagedProfileValues();
    void territoryFromTheOldPlace();
    void damagedColumnValues();
    void sortMenuKeys();
};

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
    }
    // Each value under its own key, as the options dialog reads them back.
    QSettings raw(env.settingsPath(), QSettings::IniFormat);
    raw.beginGroup("User");
    QStringList stored;
    for (const char* key : {"Sales_Rep", "Company", "Territory", "ID", "email", "emailcc",
                            "HQemail", "LastSent", "UseOutlook"})
        stored << raw.value(key).toString();
    QCOMPARE(stored.join('|'), "Kim Lasser|Northwind Trading|Alps|E-1042|kim@example.com|"
                               "boss@example.com|hq@example.com|2/3/2026|True");

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

// Positions outside the Sort menu mean no sort.
void TestSettings::sortMenuKeys() {
    for (const int position : {0, 15, -1})
        QCOMPARE(OpportunityFields::sortKey(position), QStringLiteral("None"));
    QCOMPARE(OpportunityFields::sortPosition(QStringLiteral("None")), 0);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
