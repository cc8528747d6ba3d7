#include "platform/LazyLibrary.h"

#include <QFile>
#include <QtTest>

// Loading on first use: a library is not in the process until it is asked for, a missing one
// is reported with its name, and the functions of a loaded one are found.
class TestLazyLibrary : public QObject {
    Q_OBJECT

    static bool mapped(const char* soname) {
        QFile maps(QStringLiteral("/proc/self/maps"));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(soname);
    }

private slots:
    void loadsWhenFirstAsked() {
        // PostgreSQL's client library: installed with the build's dependencies, and linked by
        // nothing that this test links.
        LazyLibrary library("libpq.so.5");
        QVERIFY(!mapped("libpq.so.5"));
        QString cause;
        QVERIFY2(library.isAvailable(&cause), qPrintable(cause));
        QVERIFY(mapped("libpq.so.5"));
        using Version = int (*)();
        const auto version = reinterpret_cast<Version>(library.function("PQlibVersion"));
        QVERIFY(version() >= 100000);
    }

    void missingLibraryIsNamed() {
        LazyLibrary library("libcorvane-none.so.1");
        QString cause;
        QVERIFY(!library.isAvailable(&cause));
        QVERIFY2(cause.startsWith(QLatin1String("libcorvane-none.so.1 is not installed")),
                 qPrintable(cause));
    }
};

QTEST_GUILESS_MAIN(TestLazyLibrary)
#include "TestLazyLibrary.moc"
