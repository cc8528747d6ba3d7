#include "TestEnvironment.h"

#include "platform/LocaleText.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/User.h"

#include <QSettings>
#include <QtTest>

class tst_Settings : public QObject {
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
};

void tst_Settings::firstRunProfile() {
    TestEnvironment env;
    {
        User user;
        QVERIFY(user.Sales_Rep().isEmpty());
        QVERIFY(user.Territory().isEmpty());
        QVERIFY(user.HQemail().isEmpty());
        QVERIFY(!user.UseOutlook());
        QCOMPARE(user.LastSent(), QDate::currentDate());
        user.SaveUser();
    }
    // The save wrote all nine values.
    QSettings raw(env.settingsPath(), QSettings::IniFormat);
    raw.beginGroup("User");
    QCOMPARE(raw.childKeys().size(), 9);
    QCOMPARE(raw.value("LastSent").toString(), LocaleText::shortDate(QDate::currentDate()));
    QCOMPARE(raw.value("UseOutlook").toString(), QStringLiteral("False"));
    QCOMPARE(raw.value("email").toString(), QString());
}

void tst_Settings::profileRoundTrip() {
    TestEnvironment env;
    {
        User user;
        user.setSales_Rep("Kim Lasser");
        user.setCompany("Northwind Trading");
        user.setTerritory("Alps");
        user.setID("E-1042");
        user.setemail("kim@example.com");
        user.setemailcc("boss@example.com");
        user.setHQemail("hq@example.com");
        user.setLastSent(QDate(2026, 2, 3));
        user.setUseOutlook(true);
        user.SaveUser();
        QSettings raw(env.settingsPath(), QSettings::IniFormat);
        QCOMPARE(raw.value("User/UseOutlook").toString(), QStringLiteral("True"));
        QCOMPARE(raw.value("User/LastSent").toString(), QStringLiteral("2/3/2026"));
        QCOMPARE(raw.value("User/Territory").toString(), QStringLiteral("Alps"));
    }
    User again;
    QCOMPARE(again.Sales_Rep(), QStringLiteral("Kim Lasser"));
    QCOMPARE(again.Company(), QStringLiteral("Northwind Trading"));
    QCOMPARE(again.Territory(), QStringLiteral("Alps"));
    QCOMPARE(again.ID(), QStringLiteral("E-1042"));
    QCOMPARE(again.email(), QStringLiteral("kim@example.com"));
    QCOMPARE(again.emailcc(), QStringLiteral("boss@example.com"));
    QCOMPARE(again.HQemail(), QStringLiteral("hq@example.com"));
    QCOMPARE(again.LastSent(), QDate(2026, 2, 3));
    QVERIFY(again.UseOutlook());

    // The process-wide profile is the same object until it is released, which saves nothing.
    User::instance().setID("E-7");
    QCOMPARE(User::instance().ID(), QStringLiteral("E-7"));
    User::releaseInstance();
    QCOMPARE(User::instance().ID(), QStringLiteral("E-1042"));
    User::releaseInstance();
}

void tst_Settings::damagedProfileValues_data() {
    QTest::addColumn<QString>("useOutlook");
    QTest::addColumn<QString>("lastSent");
    QTest::addColumn<bool>("expectedOutlook");
    QTest::addColumn<QDate>("expectedLastSent");
    QTest::newRow("words") << "Maybe"
                           << "soon" << false << User::ZeroDate();
    QTest::newRow("number means on") << "1"
                                     << "" << true << User::ZeroDate();
    QTest::newRow("lower case") << "true"
                                << "12/31/1999" << true << QDate(1999, 12, 31);
}

void tst_Settings::damagedProfileValues() {
    QFETCH(QString, useOutlook);
    QFETCH(QString, lastSent);
    QFETCH(bool, expectedOutlook);
    QFETCH(QDate, expectedLastSent);
    TestEnvironment env;
    SettingsStore::instance().SaveSetting("Corvane", "User", "UseOutlook", useOutlook);
    SettingsStore::instance().SaveSetting("Corvane", "User", "LastSent", lastSent);
    {
        User user;
        QCOMPARE(user.UseOutlook(), expectedOutlook);
        QCOMPARE(user.LastSent(), expectedLastSent);
        user.SaveUser();
    }
    // What loads is what the next save writes.
    QCOMPARE(SettingsStore::instance().GetSetting("Corvane", "User", "LastSent"),
             LocaleText::shortDate(expectedLastSent));
}

void tst_Settings::territoryFromTheOldPlace() {
    TestEnvironment env;
    SettingsStore::instance().SaveSetting("False", "User", "Territory", "Old North");
    {
        User first;
        QCOMPARE(first.Territory(), QStringLiteral("Old North"));
        first.SaveUser();
    }
    // Saved under the application's own name: a second instance reads the same territory.
    QCOMPARE(SettingsStore::instance().GetSetting("Corvane", "User", "Territory"),
             QStringLiteral("Old North"));
    {
        User first;
        first.setTerritory("South");
        first.SaveUser();
    }
    User second;
    QCOMPARE(second.Territory(), QStringLiteral("South"));
    // An empty territory of its own wins over the old value.
    second.setTerritory("");
    second.SaveUser();
    User third;
    QCOMPARE(third.Territory(), QString());
}

void tst_Settings::lastSentInEveryLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom);
    QTest::newRow("fr_FR") << QLocale(QLocale::French, QLocale::France);
}

void tst_Settings::lastSentInEveryLocale() {
    QFETCH(QLocale, locale);
    TestEnvironment env(locale);
    {
        User user;
        user.setLastSent(QDate(1931, 7, 4));
        user.SaveUser();
    }
    User again;
    QCOMPARE(again.LastSent(), QDate(1931, 7, 4));
}

void tst_Settings::firstRunColumns() {
    TestEnvironment env;
    {
        ColumnsInfo info;
        QCOMPARE(info.Count(), 14);
        for (int position = 1; position <= 14; ++position) {
            const ColumnStatus* c = info.Item(position);
            QCOMPARE(c->cKey(), ColumnsInfo::ColumnKeys().at(position - 1));
            QCOMPARE(c->cWidth(), qint16(1500));
            QCOMPARE(c->COrder(), qint16(position));
            QVERIFY(c->CDisplay());
            QCOMPARE(info.Item(c->cKey()), c);
        }
        info.Save();
        SettingsStore::instance().Flush();
    }
    QSettings raw(env.settingsPath(), QSettings::IniFormat);
    raw.beginGroup("Display");
    QCOMPARE(raw.childKeys().size(), 42);
    QCOMPARE(raw.value("OrderDateOrder").toString(), QStringLiteral("14"));
    QCOMPARE(raw.value("UnitPriceWidth").toString(), QStringLiteral("1500"));
    QCOMPARE(raw.value("SourceDisplay").toString(), QStringLiteral("True"));
}

void tst_Settings::columnsRoundTrip() {
    TestEnvironment env;
    {
        ColumnsInfo info;
        info.Item("Note")->setCDisplay(false);
        info.Item("Note")->setcWidth(2222);
        info.Item("Revenue")->setcWidth(999);
        info.Item("Stage")->setCOrder(3);
        info.Save();
    }
    ColumnsInfo again;
    QVERIFY(!again.Item("Note")->CDisplay());
    QCOMPARE(again.Item("Note")->cWidth(), qint16(2222));
    QCOMPARE(again.Item("Revenue")->cWidth(), qint16(999));
    QCOMPARE(again.Item("Stage")->COrder(), qint16(3)); // kept, though the list ignores it
    QVERIFY(again.Item("Company")->CDisplay());
}

void tst_Settings::damagedColumnValues() {
    TestEnvironment env;
    SettingsStore& store = SettingsStore::instance();
    store.SaveSetting("Corvane", "Display", "DescriptionWidth", "wide");
    store.SaveSetting("Corvane", "Display", "CompanyWidth", "99999");
    store.SaveSetting("Corvane", "Display", "ContactDisplay", "perhaps");
    store.SaveSetting("Corvane", "Display", "NoteDisplay", "0");
    store.SaveSetting("Corvane", "Display", "ProductOrder", "");
    ColumnsInfo info;
    QCOMPARE(info.Item("Description")->cWidth(), qint16(1500));
    QCOMPARE(info.Item("Company")->cWidth(), qint16(1500));
    QVERIFY(info.Item("Contact")->CDisplay());
    QVERIFY(!info.Item("Note")->CDisplay());
    QCOMPARE(info.Item("Product")->COrder(), qint16(6));
}

void tst_Settings::sortMenuKeys_data() {
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

void tst_Settings::sortMenuKeys() {
    QFETCH(int, position);
    QFETCH(QString, key);
    QCOMPARE(ColumnsInfo::KeyValue(position), key);
}

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_Settings.moc"
