#include "platform/KeyedCollection.h"

#include <QtTest>

// The ordered, keyed collection that the opportunities, columns, filters and contacts are kept
// in; tested here once.
class tst_KeyedCollection : public QObject {
    Q_OBJECT

private slots:
    void keysPositionsAndRemoval();
};

void tst_KeyedCollection::keysPositionsAndRemoval() {
    KeyedCollection<int> c;
    int* twelve = c.Add(std::make_unique<int>(12), "Key=12");
    int* four = c.Add(std::make_unique<int>(4), "Key=4");
    QCOMPARE(c.Item("Key=12"), twelve);
    QCOMPARE(c.Item(1), twelve);
    QCOMPARE(c.Item(2), four);
    QCOMPARE(c.KeyAt(2), QStringLiteral("Key=4"));
    for (const qint32 outside : {0, 3, -1})
        QVERIFY(!c.Item(outside) && !c.Remove(outside) && c.KeyAt(outside).isEmpty());
    QVERIFY(!c.Item("Key=99"));
    QVERIFY(!c.Remove("Key=99"));

    // A key in use is refused and changes nothing.
    QVERIFY(!c.Add(std::make_unique<int>(0), "Key=12"));
    QCOMPARE(c.Count(), 2);

    // Items without a key are counted and reachable by position only.
    int* unkeyed = c.Add(std::make_unique<int>(7));
    QCOMPARE(c.Item(3), unkeyed);
    QCOMPARE(c.KeyAt(3), QString());

    // Removing by position frees the key; removing by key keeps the order of the rest.
    QVERIFY(c.Remove(1));
    QVERIFY(!c.Item("Key=12"));
    QVERIFY(c.Add(std::make_unique<int>(13), "Key=12"));
    QVERIFY(c.Remove("Key=4"));
    QList<int> order;
    for (const int value : c)
        order << value;
    QCOMPARE(order, (QList<int>{7, 13}));
    c.Clear();
    QCOMPARE(c.Count(), 0);
    QVERIFY(!c.Item("Key=12"));
}

QTEST_GUILESS_MAIN(tst_KeyedCollection)
#include "tst_KeyedCollection.moc"
