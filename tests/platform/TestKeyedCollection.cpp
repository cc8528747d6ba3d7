#include "platform/KeyedCollection.h"

#include <QStringList>

#include <QtTest>

// The ordered, keyed collection that the opportunities, columns, filters and contacts are kept
// in; tested here once.
class TestKeyedCollection : public QObject {
    Q_OBJECT

private slots:
    void keysPositionsAndRemoval();
};

void TestKeyedCollection::keysPositionsAndRemoval() {
    KeyedCollection<int> c;
    int* twelve = c.add(std::make_unique<int>(12), "Key=12");
    int* four = c.add(std::make_unique<int>(4), "Key=4");
    QCOMPARE(c.item("Key=12"), twelve);
    QCOMPARE(c.item(1), twelve);
    QCOMPARE(c.item(2), four);
    QCOMPARE(c.keyAt(2), QStringLiteral("Key=4"));
    for (const qint32 outside : {0, 3, -1})
        QVERIFY(!c.item(outside) && !c.remove(outside) && c.keyAt(outside).isEmpty());
    QVERIFY(!c.item("Key=99"));
    QVERIFY(!c.remove("Key=99"));

    // A key in use is refused and changes nothing.
    QVERIFY(!c.add(std::make_unique<int>(0), "Key=12"));
    QCOMPARE(c.count(), 2);

    // Items without a key are counted and reachable by position only.
    int* unkeyed = c.add(std::make_unique<int>(7));
    QCOMPARE(c.item(3), unkeyed);
    QCOMPARE(c.keyAt(3), QString());

    // Removing by position frees the key; removing by key keeps the order of the rest.
    QVERIFY(c.remove(1));
    QVERIFY(!c.item("Key=12"));
    QVERIFY(c.add(std::make_unique<int>(13), "Key=12"));
    QVERIFY(c.remove("Key=4"));
    QList<int> order;
    for (const int value : c)
        order << value;
    QCOMPARE(order, (QList<int>{7, 13}));

    // Removing many keys at once keeps the order of the rest and the items without key; keys
    // not in the collection are passed over.
    c.add(std::make_unique<int>(20), "Key=20");
    c.add(std::make_unique<int>(21), "Key=21");
    QCOMPARE(c.removeAll(QStringList{"Key=12", "Key=99", "Key=21"}), 2);
    order.clear();
    for (const int value : c)
        order << value;
    QCOMPARE(order, (QList<int>{7, 20}));
    QVERIFY(!c.item("Key=21") && c.item("Key=20"));
    c.clear();
    QCOMPARE(c.count(), 0);
    QVERIFY(!c.item("Key=12"));
}

QTEST_GUILESS_MAIN(TestKeyedCollection)
#include "TestKeyedCollection.moc"
