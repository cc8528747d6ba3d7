// The list's sort choice and column widths without the window: the header and Sort menu toggle,
// twips and pixels, and the columns whose width was never stored.

#include "TestEnvironment.h"

#include "mainwindow/ListLayout.h"
#include "platform/SettingsStore.h"
#include "settings/ColumnsInfo.h"
#include "settings/SortChoice.h"

#include <QtTest>

class TestListLayout : public QObject {
    Q_OBJECT
private slots:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void sortToggles();
    void widthRoundTrip_data();
    void widthRoundTrip();
    void captureKeepsDisplayedColumnsOnly();
    void columnsWithoutStoredWidth();

private:
    std::unique_ptr<TestEnvironment> m_env;
};

void TestListLayout::sortToggles() {
    SortChoice sorting;
    ColumnsInfo columns(m_env->store());
    ListLayout layout(sorting, columns);
    QCOMPARE(layout.sortKey(), QString());
    QCOMPARE(layout.checkedSortPosition(), 0);

    // Each step: a header click or menu choice (a key), or a Sort menu position; then the sort.
    const struct {
        const char* key;
        int menuPosition;
        const char* sortKey;
        Qt::SortOrder order;
        int checked;
    } steps[] = {
        {"Company", 0, "Company", Qt::AscendingOrder, 2},
        {"Company", 0, "Company", Qt::DescendingOrder, 2},
        {"Company", 0, "Company", Qt::AscendingOrder, 2},
        {"Company", 0, "Company", Qt::DescendingOrder, 2},
        // Another column starts ascending, whatever the order was.
        {nullptr, 9, "Revenue", Qt::AscendingOrder, 9},
        {"Revenue", 0, "Revenue", Qt::DescendingOrder, 9},
        {nullptr, 0, "", Qt::AscendingOrder, 0}, // "Not Sorted"
        {"Revenue", 0, "Revenue", Qt::AscendingOrder, 9},
        // The menu's order differs from the list's: Probability is its 13th choice.
        {nullptr, 13, "Probability", Qt::AscendingOrder, 13},
        {nullptr, 13, "Probability", Qt::DescendingOrder, 13},
        {"None", 0, "", Qt::AscendingOrder, 0},
        {nullptr, 14, "OrderDate", Qt::AscendingOrder, 14},
    };
    for (const auto& step : steps) {
        if (step.key)
            layout.chooseSort(QLatin1String(step.key));
        else
            layout.chooseSort(step.menuPosition);
        QCOMPARE(layout.sortKey(), QLatin1String(step.sortKey));
        QCOMPARE(layout.sortOrder(), step.order);
        QCOMPARE(layout.checkedSortPosition(), step.checked);
        QCOMPARE(sorting.displaySorted(), *step.sortKey != '\0');
    }
}

void TestListLayout::widthRoundTrip_data() {
    QTest::addColumn<qreal>("dpi");
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("twipsAgain");

    QTest::newRow("96 dpi") << qreal(96) << 1500 << 100 << 1500;
    QTest::newRow("144 dpi") << qreal(144) << 1500 << 150 << 1500;
    QTest::newRow("72 dpi") << qreal(72) << 1500 << 75 << 1500;
    // Not a whole number of pixels: rounded to the nearest, and back to that pixel's twips.
    QTest::newRow("96 dpi, 1234 twips") << qreal(96) << 1234 << 82 << 1230;
    QTest::newRow("120 dpi, 1000 twips") << qreal(120) << 1000 << 83 << 996;
}

void TestListLayout::widthRoundTrip() {
    QFETCH(qreal, dpi);
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QFETCH(int, twipsAgain);
    SortChoice sorting;
    ColumnsInfo columns(m_env->store());
    ListLayout layout(sorting, columns);
    columns.item(QStringLiteral("Note"))->setWidth(qint16(twips));

    QCOMPARE(layout.columnWidth(QStringLiteral("Note"), dpi), pixels);
    layout.setColumnWidth(QStringLiteral("Note"), pixels, dpi);
    QCOMPARE(columns.item(QStringLiteral("Note"))->width(), qint16(twipsAgain));
    QCOMPARE(layout.columnWidth(QStringLiteral("Note"), dpi), pixels);

    // A key without a column has no width and keeps none.
    QCOMPARE(layout.columnWidth(QStringLiteral("RecordNumber"), dpi), -1);
    layout.setColumnWidth(QStringLiteral("RecordNumber"), pixels, dpi);
    QVERIFY(!columns.item(QStringLiteral("RecordNumber")));
}

void TestListLayout::captureKeepsDisplayedColumnsOnly() {
    SortChoice sorting;
    ColumnsInfo columns(m_env->store());
    ListLayout layout(sorting, columns);
    columns.item(QStringLiteral("Stage"))->setDisplayed(false);
    // The list shows every column 200 pixels wide but Source, which it does not show.
    layout.captureColumnWidths(
        [](const QString& key) { return key == QLatin1String("Source") ? -1 : 200; }, 96);
    QCOMPARE(columns.item(QStringLiteral("Company"))->width(), qint16(3000));
    QCOMPARE(columns.item(QStringLiteral("OrderDate"))->width(), qint16(3000));
    QCOMPARE(columns.item(QStringLiteral("Stage"))->width(), qint16(1500));
    QCOMPARE(columns.item(QStringLiteral("Source"))->width(), qint16(1500));
}

void TestListLayout::columnsWithoutStoredWidth() {
    SettingsStore& store = m_env->store();
    store.saveSetting("Corvane", "Display", "DescriptionWidth", "2000");
    store.saveSetting("Corvane", "Display", "RevenueWidth", "900");
    // Other values of a column do not count as its width.
    store.saveSetting("Corvane", "Display", "NoteDisplay", "False");
    const QStringList expected{"Company",     "Department", "Contact",  "Note",
                               "Product",     "UnitPrice",  "Quantity", "Stage",
                               "Probability", "Forecast",   "Source",   "OrderDate"};
    QCOMPARE(ListLayout::columnsWithoutStoredWidth(store), expected);
}

QTEST_GUILESS_MAIN(TestListLayout)
#include "TestListLayout.moc"
