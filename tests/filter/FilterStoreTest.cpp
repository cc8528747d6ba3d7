// The filter criteria in the settings store: defaults, the stored forms written when the set
// ends, reading them back (damaged values included) and short dates across locales.

#include "filter/Filters.h"
#include "platform/SettingsStore.h"
#include "store/Opportunities.h"

#include "TestEnvironment.h"

#include <QSettings>
#include <QTest>

namespace {
const QString App = QLatin1String(SettingsStore::AppName);

void store(const QString& section, const QString& name, const QString& text) {
    QVERIFY(SettingsStore::instance().SaveSetting(App, section, name, text));
}

// The raw text of a value in the INI file, read past the store's own class.
QString rawValue(const QString& file, const QString& section, const QString& name) {
    QSettings ini(file, QSettings::IniFormat);
    const QVariant value = ini.value(section + QLatin1Char('/') + name);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}
} // namespace

class FilterStoreTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Filters::releaseInstance(); }

    void defaultsOnEmptyStore();
    void writtenWhenTheSetEnds_data();
    void writtenWhenTheSetEnds();
    void readBack_data();
    void readBack();
    void enabledFollowsStoredAll_data();
    void enabledFollowsStoredAll();
    void datesRoundTripInLocale_data();
    void datesRoundTripInLocale();
    void processSetLoadsAndSaves();
    void collection();
    void itemOfAnotherSection();
};

void FilterStoreTest::defaultsOnEmptyStore() {
    TestEnvironment env;
    const QDateTime before = QDateTime::currentDateTime();
    Filters filters;
    const QDateTime after = QDateTime::currentDateTime();

    const QStringList keys{"All",           "Status",        "DateRange",     "Revenues",
                           "Probability_1", "Probability_2", "Probability_3", "Probability_4",
                           "Probability_5", "Probability_6", "Stage_1",       "Stage_2",
                           "Stage_3",       "Stage_4",       "Stage_5",       "Stage_6",
                           "Stage_7",       "Forecast_1",    "Start",         "End",
                           "Low",           "High"};
    QCOMPARE(Filters::CriterionKeys(), keys);
    QCOMPARE(filters.Count(), keys.size());
    QStringList order;
    for (const FilterItem& item : filters)
        order.append(item.Key());
    QCOMPARE(order, keys);
    QVERIFY(filters.Enabled());

    for (int position = 1; position <= 18; ++position) {
        const FilterItem* item = filters.Item(position);
        QCOMPARE(item->Value().typeId(), QMetaType::Bool);
        QVERIFY2(item->Value().toBool(), qPrintable(item->Key()));
    }
    const FilterItem* start = filters.Item(QStringLiteral("Start"));
    QCOMPARE(start->FilterGroup(), QStringLiteral("DateRange"));
    QCOMPARE(start->FilterName(), QStringLiteral("Start"));
    QCOMPARE(start->Value().toDateTime(), QDate::currentDate().startOfDay());
    // End keeps the time of day: now plus 30 days.
    const QDateTime end = filters.Item(QStringLiteral("End"))->Value().toDateTime();
    QVERIFY(end >= before.addDays(30) && end <= after.addDays(30));
    const FilterItem* low = filters.Item(QStringLiteral("Low"));
    QCOMPARE(low->Value().typeId(), QMetaType::Double);
    QCOMPARE(low->Value().toDouble(), 0.0);
    QCOMPARE(filters.Item(QStringLiteral("High"))->Value().toDouble(), 9999999.0);
    QCOMPARE(filters.Item(QStringLiteral("High"))->FilterGroup(), QStringLiteral("Revenue"));
    QCOMPARE(filters.Item(QStringLiteral("Stage_7"))->FilterGroup(), QStringLiteral("Stage"));
    QCOMPARE(filters.Item(QStringLiteral("Stage_7"))->FilterName(), QStringLiteral("7"));
    // Building the set reads the store and writes nothing.
    QVERIFY(!QFile::exists(env.settingsPath()));
}

void FilterStoreTest::writtenWhenTheSetEnds_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("All off") << "All" << QVariant(false) << "Use"
                             << "All"
                             << "False";
    QTest::newRow("Status on") << "Status" << QVariant(true) << "Use"
                               << "Status"
                               << "True";
    QTest::newRow("DateRange switch") << "DateRange" << QVariant(false) << "Use"
                                      << "DateRange"
                                      << "False";
    QTest::newRow("Revenues switch") << "Revenues" << QVariant(false) << "Use"
                                     << "Revenues"
                                     << "False";
    QTest::newRow("Probability_1") << "Probability_1" << QVariant(false) << "Probability"
                                   << "1"
                                   << "False";
    QTest::newRow("Probability_6") << "Probability_6" << QVariant(false) << "Probability"
                                   << "6"
                                   << "False";
    QTest::newRow("Stage_4") << "Stage_4" << QVariant(false) << "Stage"
                             << "4"
                             << "False";
    QTest::newRow("Stage_7") << "Stage_7" << QVariant(true) << "Stage"
                             << "7"
                             << "True";
    QTest::newRow("Forecast_1") << "Forecast_1" << QVariant(false) << "Forecast"
                                << "1"
                                << "False";
    QTest::newRow("Start without time")
        << "Start" << QVariant(QDateTime(QDate(2026, 1, 2), QTime(15, 45))) << "DateRange"
        << "Start"
        << "1/2/2026";
    QTest::newRow("End") << "End" << QVariant(QDateTime(QDate(2026, 11, 12), QTime(0, 0)))
                         << "DateRange"
                         << "End"
                         << "11/12/2026";
    QTest::newRow("Low whole") << "Low" << QVariant(1000.0) << "Revenue"
                               << "Low"
                               << "1000";
    QTest::newRow("High fraction") << "High" << QVariant(5000.5) << "Revenue"
                                   << "High"
                                   << "5000.5";
    QTest::newRow("High large, no grouping") << "High" << QVariant(12345678.25) << "Revenue"
                                             << "High"
                                             << "12345678.25";
}

void FilterStoreTest::writtenWhenTheSetEnds() {
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QString, section);
    QFETCH(QString, name);
    QFETCH(QString, text);

    TestEnvironment env;
    {
        Filters filters;
        filters.Item(key)->setValue(value);
        QVERIFY(!QFile::exists(env.settingsPath()));
    }
    QCOMPARE(rawValue(env.settingsPath(), section, name), text);
    // Every other criterion is written too.
    QSettings ini(env.settingsPath(), QSettings::IniFormat);
    QCOMPARE(ini.allKeys().size(), 22);
}

void FilterStoreTest::readBack_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("True") << "Use"
                          << "Status"
                          << "True"
                          << "Status" << QVariant(true);
    QTest::newRow("False") << "Use"
                           << "Status"
                           << "False"
                           << "Status" << QVariant(false);
    QTest::newRow("true in lower case is off") << "Stage"
                                               << "3"
                                               << "true"
                                               << "Stage_3" << QVariant(false);
    QTest::newRow("FALSE in capitals") << "Probability"
                                       << "2"
                                       << "FALSE"
                                       << "Probability_2" << QVariant(false);
    QTest::newRow("other text is off") << "Forecast"
                                       << "1"
                                       << "maybe"
                                       << "Forecast_1" << QVariant(false);
    QTest::newRow("empty Boolean keeps default") << "Probability"
                                                 << "5"
                                                 << ""
                                                 << "Probability_5" << QVariant(true);
    QTest::newRow("Low number") << "Revenue"
                                << "Low"
                                << "1500.75"
                                << "Low" << QVariant(1500.75);
    QTest::newRow("High padded") << "Revenue"
                                 << "High"
                                 << " 250 "
                                 << "High" << QVariant(250.0);
    QTest::newRow("High negative") << "Revenue"
                                   << "High"
                                   << "-5"
                                   << "High" << QVariant(-5.0);
    QTest::newRow("leading number") << "Revenue"
                                    << "High"
                                    << "12,500"
                                    << "High" << QVariant(12.0);
    QTest::newRow("Low of letters keeps default") << "Revenue"
                                                  << "Low"
                                                  << "abc"
                                                  << "Low" << QVariant(0.0);
    QTest::newRow("High of letters keeps default") << "Revenue"
                                                   << "High"
                                                   << "abc"
                                                   << "High" << QVariant(9999999.0);
    QTest::newRow("High infinite keeps default") << "Revenue"
                                                 << "High"
                                                 << "inf"
                                                 << "High" << QVariant(9999999.0);
    QTest::newRow("Start short date") << "DateRange"
                                      << "Start"
                                      << "3/10/2026"
                                      << "Start" << QVariant(QDate(2026, 3, 10).startOfDay());
    QTest::newRow("End with time of day") << "DateRange"
                                          << "End"
                                          << "3/20/2026 4:15:00 PM"
                                          << "End" << QVariant(QDate(2026, 3, 20).startOfDay());
    QTest::newRow("ISO date") << "DateRange"
                              << "Start"
                              << "2026-03-10"
                              << "Start" << QVariant(QDate(2026, 3, 10).startOfDay());
    QTest::newRow("Start not a date") << "DateRange"
                                      << "Start"
                                      << "not a date"
                                      << "Start" << QVariant(QDate::currentDate().startOfDay());
    QTest::newRow("Start impossible date")
        << "DateRange"
        << "Start"
        << "13/45/2026"
        << "Start" << QVariant(QDate::currentDate().startOfDay());
}

void FilterStoreTest::readBack() {
    QFETCH(QString, section);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(QVariant, value);

    TestEnvironment env;
    store(section, name, text);
    Filters filters;
    const QVariant loaded = filters.Item(key)->Value();
    QCOMPARE(loaded.typeId(), value.typeId());
    QCOMPARE(loaded, value);
}

void FilterStoreTest::enabledFollowsStoredAll_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("True") << "True" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("other text") << "Yes please" << false;
}

void FilterStoreTest::enabledFollowsStoredAll() {
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    TestEnvironment env;
    store(QStringLiteral("Use"), QStringLiteral("All"), text);
    Filters filters;
    QCOMPARE(filters.Enabled(), enabled);
    QCOMPARE(filters.Item(QStringLiteral("All"))->Value().toBool(), enabled);
}

void FilterStoreTest::datesRoundTripInLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("startText");
    QTest::addColumn<QString>("monthName");

    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << QDate(2026, 1, 2)
                           << "1/2/2026"
                           << "March";
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << QDate(2026, 1, 2)
                           << "02.01.2026" << QString::fromUtf8("März");
    QTest::newRow("en_GB") << QLocale(QLocale::English, QLocale::UnitedKingdom) << QDate(2026, 1, 2)
                           << "02/01/2026"
                           << "March";
    QTest::newRow("en_GB late day")
        << QLocale(QLocale::English, QLocale::UnitedKingdom) << QDate(2031, 12, 31) << "31/12/2031"
        << "March";
    QTest::newRow("de_DE last century")
        << QLocale(QLocale::German, QLocale::Germany) << QDate(1999, 7, 4) << "04.07.1999"
        << QString::fromUtf8("März");
}

void FilterStoreTest::datesRoundTripInLocale() {
    QFETCH(QLocale, locale);
    QFETCH(QDate, start);
    QFETCH(QString, startText);
    QFETCH(QString, monthName);

    TestEnvironment env(locale);
    const QDate end = start.addDays(200);
    {
        Filters filters;
        filters.Item(QStringLiteral("Start"))->setValue(start.startOfDay());
        filters.Item(QStringLiteral("End"))->setValue(QDateTime(end, QTime(8, 30)));
    }
    QCOMPARE(rawValue(env.settingsPath(), "DateRange", "Start"), startText);

    Filters filters;
    QCOMPARE(filters.Item(QStringLiteral("Start"))->Value().toDateTime(), start.startOfDay());
    QCOMPARE(filters.Item(QStringLiteral("End"))->Value().toDateTime(), end.startOfDay());

    // The pass compares with the bounds read back and reads month names of this locale.
    filters.Item(QStringLiteral("DateRange"))->setValue(false);
    filters.Item(QStringLiteral("Revenues"))->setValue(false);
    Opportunities list;
    const QDate inside = start.addDays(1);
    const QDate outside = start;
    for (const QDate& day : {inside, outside})
        list.Add(list.Count() + 1, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, "Lead", "Yes",
                 "50% - Competitive", QString::number(day.day()).rightJustified(2, '0'),
                 locale.monthName(day.month()), QString::number(day.year()),
                 Opportunities::KeyFor(list.Count() + 1));
    filters.Filter(list);
    QVERIFY(list.Item(1)->Visible());
    QVERIFY(!list.Item(2)->Visible());
    QCOMPARE(locale.monthName(3), monthName);
}

void FilterStoreTest::processSetLoadsAndSaves() {
    TestEnvironment env;
    store(QStringLiteral("Revenue"), QStringLiteral("Low"), QStringLiteral("250"));
    Filters& filters = Filters::instance();
    QCOMPARE(&Filters::instance(), &filters);
    QCOMPARE(filters.Item(QStringLiteral("Low"))->Value().toDouble(), 250.0);
    filters.Item(QStringLiteral("Low"))->setValue(750.0);
    filters.Item(QStringLiteral("Stage_2"))->setValue(false);
    QCOMPARE(rawValue(env.settingsPath(), "Revenue", "Low"), QStringLiteral("250"));

    Filters::releaseInstance();
    QCOMPARE(rawValue(env.settingsPath(), "Revenue", "Low"), QStringLiteral("750"));
    QCOMPARE(rawValue(env.settingsPath(), "Stage", "2"), QStringLiteral("False"));
    QCOMPARE(Filters::instance().Item(QStringLiteral("Low"))->Value().toDouble(), 750.0);
    QCOMPARE(Filters::instance().Item(QStringLiteral("Stage_2"))->Value().toBool(), false);
}

void FilterStoreTest::collection() {
    TestEnvironment env;
    Filters filters;
    QVERIFY(!filters.Add("Low", 1.0, "Low", "Revenue", "Low"));
    QCOMPARE(filters.Count(), 22);
    QVERIFY(!filters.Item(0));
    QVERIFY(!filters.Item(23));
    QVERIFY(!filters.Item(QStringLiteral("low")));
    QCOMPARE(filters.Item(1)->Key(), QStringLiteral("All"));
    QCOMPARE(filters.Item(22)->Key(), QStringLiteral("High"));

    FilterItem* extra = filters.Add("Note", "kept", "Note", "Extra", "");
    QVERIFY(extra);
    QCOMPARE(filters.Count(), 23);
    QCOMPARE(filters.Item(23), extra);
    QVERIFY(!filters.Item(QString()));

    // A removed item ends, and so writes itself.
    filters.Item(QStringLiteral("Stage_5"))->setValue(false);
    QVERIFY(filters.Remove(QStringLiteral("Stage_5")));
    QVERIFY(!filters.Remove(QStringLiteral("Stage_5")));
    QCOMPARE(rawValue(env.settingsPath(), "Stage", "5"), QStringLiteral("False"));
    QCOMPARE(filters.Item(15)->Key(), QStringLiteral("Stage_6"));
    QVERIFY(filters.Remove(22));
    QVERIFY(!filters.Remove(22));
    QCOMPARE(rawValue(env.settingsPath(), "Extra", "Note"), QStringLiteral("kept"));
}

void FilterStoreTest::itemOfAnotherSection() {
    TestEnvironment env;
    store(QStringLiteral("Custom"), QStringLiteral("Name"), QStringLiteral("some text"));
    {
        FilterItem item;
        QCOMPARE(item.LoadFilter("Custom", "Name"), QVariant(QStringLiteral("some text")));
        QCOMPARE(item.FilterGroup(), QStringLiteral("Custom"));
        QCOMPARE(item.FilterName(), QStringLiteral("Name"));
        FilterItem missing;
        QCOMPARE(missing.LoadFilter("Custom", "Missing"), QVariant(QString()));
        missing.setValue(true);
        // An item that was never given a section or name writes nothing.
        FilterItem unnamed;
        unnamed.setValue(QStringLiteral("lost"));
    }
    QCOMPARE(rawValue(env.settingsPath(), "Custom", "Missing"), QStringLiteral("True"));
    QSettings ini(env.settingsPath(), QSettings::IniFormat);
    QCOMPARE(ini.allKeys().size(), 2);
}

QTEST_GUILESS_MAIN(FilterStoreTest)
#include "FilterStoreTest.moc"
