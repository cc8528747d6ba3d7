// The filter criteria in the settings store: the stored forms written by a save, reading them
// back (damaged values included) and short dates across locales.

#include "filter/Filters.h"
#include "platform/SettingsStore.h"
#include "store/Opportunities.h"

#include "TestEnvironment.h"

#include <QSettings>
#include <QTest>

namespace {
void store(SettingsStore& settings, const QString& section, const QString& name,
           const QString& text) {
    QVERIFY(settings.saveSetting(QLatin1String(SettingsStore::AppName), section, name, text));
}

// The raw text of a value in the INI file, read past the store's own class.
QString rawValue(const QString& file, const QString& section, const QString& name) {
    const QVariant value = QSettings(file, QSettings::IniFormat).value(section + '/' + name);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}
} // namespace

class TestFilterStore : public QObject {
    Q_OBJECT

private slots:
    void writtenBySaveAndReadBack();
    void readBack_data();
    void readBack();
    void datesRoundTripInLocale_data();
    void datesRoundTripInLocale();
    void processSetLoadsAndSaves();
};

void TestFilterStore::writtenBySaveAndReadBack() {
    const struct {
        const char* key;
        QVariant value;
        const char* section;
        const char* name;
        const char* text;
        QVariant readBack;
    } rows[] = {
        {"All", false, "Use", "All", "False", false},
        {"Revenues", false, "Use", "Revenues", "False", false},
        {"Probability_6", false, "Probability", "6", "False", false},
        {"Stage_4", false, "Stage", "4", "False", false},
        {"Forecast_1", false, "Forecast", "1", "False", false},
        {"Start", QDateTime(QDate(2026, 1, 2), QTime(15, 45)), "DateRange", "Start", "1/2/2026",
         QDate(2026, 1, 2).startOfDay()},
        {"Low", 1000.0, "Revenue", "Low", "1000", 1000.0},
        {"High", 12345678.25, "Revenue", "High", "12345678.25", 12345678.25},
    };
    TestEnvironment env;
    {
        Filters filters(env.store());
        for (const auto& row : rows)
            filters.item(row.key)->setValue(row.value);
        QVERIFY(!QFile::exists(env.settingsPath()));
        filters.save();
    }
    // Every criterion is written, changed or not.
    QCOMPARE(QSettings(env.settingsPath(), QSettings::IniFormat).allKeys().size(), 22);
    QCOMPARE(rawValue(env.settingsPath(), "Stage", "7"), QStringLiteral("True"));
    Filters filters(env.store());
    for (const auto& row : rows) {
        QCOMPARE(rawValue(env.settingsPath(), row.section, row.name), QLatin1String(row.text));
        QCOMPARE(filters.item(row.key)->value(), row.readBack);
    }
    QVERIFY(!filters.enabled());
}

void TestFilterStore::readBack_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    const QVariant today = QDate::currentDate().startOfDay();
    const struct {
        const char* row;
        const char* section;
        const char* name;
        const char* text;
        const char* key;
        QVariant value;
    } rows[] = {
        // Switches are on only for the exact text "True"; an empty text keeps the default.
        {"True", "Use", "Status", "True", "Status", true},
        {"true in lower case is off", "Stage", "3", "true", "Stage_3", false},
        {"other text is off", "Forecast", "1", "maybe", "Forecast_1", false},
        {"empty Boolean keeps default", "Probability", "5", "", "Probability_5", true},
        {"All False switches off", "Use", "All", "False", "All", false},
        {"All empty stays on", "Use", "All", "", "All", true},
        {"All other text switches off", "Use", "All", "Yes please", "All", false},
        // Revenue bounds: a number, else the number the text begins with, else the default.
        {"Low number", "Revenue", "Low", "1500.75", "Low", 1500.75},
        {"High padded", "Revenue", "High", " 250 ", "High", 250.0},
        {"leading number", "Revenue", "High", "12,500", "High", 12.0},
        {"letters keep default", "Revenue", "High", "abc", "High", 9999999.0},
        {"infinite keeps default", "Revenue", "High", "inf", "High", 9999999.0},
        // Dates: a short date, with or without a time of day, or ISO; else today.
        {"Start short date", "DateRange", "Start", "3/10/2026", "Start",
         QDate(2026, 3, 10).startOfDay()},
        {"End with time of day", "DateRange", "End", "3/20/2026 4:15:00 PM", "End",
         QDate(2026, 3, 20).startOfDay()},
        {"ISO date", "DateRange", "Start", "2026-03-10", "Start", QDate(2026, 3, 10).startOfDay()},
        {"not a date", "DateRange", "Start", "not a date", "Start", today},
        {"impossible date", "DateRange", "Start", "13/45/2026", "Start", today},
    };
    for (const auto& r : rows)
        QTest::newRow(r.row) << r.section << r.name << r.text << r.key << r.value;
}

void TestFilterStore::readBack() {
    QFETCH(QString, section);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QVariant, value);

    TestEnvironment env;
    store(env.store(), section, name, text);
    Filters filters(env.store());
    const QVariant loaded = filters.item(key)->value();
    QCOMPARE(loaded.typeId(), value.typeId());
    QCOMPARE(loaded, value);
    QCOMPARE(filters.enabled(), filters.item(QStringLiteral("All"))->value().toBool());
}

void TestFilterStore::datesRoundTripInLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("startText");
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << "1/2/2026";
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << "02.01.2026";
    QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "02/01/2026";
}

void TestFilterStore::datesRoundTripInLocale() {
    QFETCH(QLocale, locale);
    QFETCH(QString, startText);

    TestEnvironment env(locale);
    const QDate start(2026, 1, 2);
    const QDate end = start.addDays(200);
    {
        Filters filters(env.store());
        filters.item(QStringLiteral("Start"))->setValue(start.startOfDay());
        filters.item(QStringLiteral("End"))->setValue(QDateTime(end, QTime(8, 30)));
        filters.save();
    }
    QCOMPARE(rawValue(env.settingsPath(), "DateRange", "Start"), startText);

    Filters filters(env.store());
    QCOMPARE(filters.item(QStringLiteral("Start"))->value().toDateTime(), start.startOfDay());
    QCOMPARE(filters.item(QStringLiteral("End"))->value().toDateTime(), end.startOfDay());

    // The pass compares with the bounds read back and reads month names of this locale.
    filters.item(QStringLiteral("DateRange"))->setValue(false);
    filters.item(QStringLiteral("Revenues"))->setValue(false);
    Opportunities list;
    for (const QDate& day : {start.addDays(1), start})
        list.add(list.count() + 1, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, "Lead", "Yes",
                 "50% - Competitive", QString::number(day.day()).rightJustified(2, '0'),
                 locale.monthName(day.month()), QString::number(day.year()),
                 Opportunities::keyFor(list.count() + 1));
    filters.filter(list);
    QVERIFY(list.item(1)->visible());
    QVERIFY(!list.item(2)->visible());
}

void TestFilterStore::processSetLoadsAndSaves() {
    TestEnvironment env;
    store(env.store(), QStringLiteral("Revenue"), QStringLiteral("Low"), QStringLiteral("250"));
    auto filters = std::make_unique<Filters>(env.store());
    QCOMPARE(filters->item(QStringLiteral("Low"))->value().toDouble(), 250.0);
    filters->item(QStringLiteral("Low"))->setValue(750.0);
    QCOMPARE(rawValue(env.settingsPath(), "Revenue", "Low"), QStringLiteral("250"));

    // Written only by an explicit save; a set that ends writes nothing.
    filters.reset();
    env.store().flush();
    QCOMPARE(rawValue(env.settingsPath(), "Revenue", "Low"), QStringLiteral("250"));
    Filters again(env.store());
    again.item(QStringLiteral("Low"))->setValue(750.0);
    again.save();
    QCOMPARE(rawValue(env.settingsPath(), "Revenue", "Low"), QStringLiteral("750"));
}

QTEST_GUILESS_MAIN(TestFilterStore)
#include "TestFilterStore.moc"
