#include "RawDatabase.h"
#include "SalesFixtures.h"
#include "TestEnvironment.h"

#include "filter/Filters.h"
#include "store/SalesDatabase.h"
#include "workspace/ApplicationSettings.h"
#include "workspace/OpenDatabases.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>
#include <sys/stat.h>

using namespace SalesFixtures;

class TestOpenDatabases : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void oneFileOpensOnce_data();
    void oneFileOpensOnce();
    void openFailures();
    void failedReplaceLeavesTheOldFile_data();
    void failedReplaceLeavesTheOldFile();
    void saveAs();
    void totals();
    void writesAndTheirRollBack();
    void replaceShownKeepsItsWindow();

private:
    QString path(const QString& name) const { return m_env->path(name); }
    QString db(const QString& name, const QList<Row>& rows = {}) {
        return makeDatabase(path(name), rows);
    }
    QList<qint32> windows() const {
        QList<qint32> list;
        for (int i = 0; i < m_databases->count(); ++i)
            list.append(m_databases->at(i).window());
        return list;
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ApplicationSettings> m_settings;
    std::unique_ptr<OpenDatabases> m_databases;
    QString m_previousFolder;
};

void TestOpenDatabases::init() {
    m_env = std::make_unique<TestEnvironment>();
    m_settings = std::make_unique<ApplicationSettings>(m_env->store());
    m_databases = std::make_unique<OpenDatabases>(m_settings->filters());
    m_previousFolder = QDir::currentPath();
}

void TestOpenDatabases::cleanup() {
    QDir::setCurrent(m_previousFolder);
    m_databases.reset();
    m_settings.reset();
    m_env.reset();
}

void TestOpenDatabases::oneFileOpensOnce_data() {
    QTest::addColumn<QString>("second"); // how the second open names the file; %1 = folder
    QTest::newRow("relative") << QStringLiteral("good.mdb");
    QTest::newRow("dot-dot") << QStringLiteral("%1/sub/../good.mdb");
    QTest::newRow("link") << QStringLiteral("%1/link.mdb");
    QTest::newRow("doubled slash") << QStringLiteral("%1//good.mdb");
}

void TestOpenDatabases::oneFileOpensOnce() {
    QFETCH(QString, second);
    const QString good = db("good.mdb", {{"G1"}});
    const QString folder = QFileInfo(good).absolutePath();
    QVERIFY(QDir(folder).mkdir(QStringLiteral("sub")));
    QVERIFY(QFile::link(good, path(QStringLiteral("link.mdb"))));
    QDir::setCurrent(folder);

    QVERIFY(m_databases->open(good).ok());
    const auto again = m_databases->open(second.arg(folder));
    QVERIFY(!again.ok());
    QVERIFY(!again.isCancelled());
    QVERIFY(m_databases->isOpen(second.arg(folder)));
    QCOMPARE(again.message(),
             QFileInfo(good).canonicalFilePath() + QStringLiteral(" is already open."));
    QCOMPARE(m_databases->count(), 1);
    QCOMPARE(m_databases->allTotals().count, 1);
    // The location kept is absolute, so it opens again from any folder.
    QVERIFY(QFileInfo(m_databases->shown()->location()).isAbsolute());
}

// A file that does not open changes nothing (which files do not open, and why:
// TestSalesDatabase::openFailures).
void TestOpenDatabases::openFailures() {
    const QString good = db("good.mdb", {{"G1"}});
    QVERIFY(m_databases->open(good).ok());
    QSignalSpy opened(m_databases.get(), &OpenDatabases::databaseOpened);
    const QString locked = db("locked.mdb", {{"L1"}});
    const FileLock lock = lockFile(locked);
    const auto result = m_databases->open(locked);
    QVERIFY(!result.ok());
    QCOMPARE(result.message(), QStringLiteral("Could not open ") + locked);
    QCOMPARE(opened.size(), 0);
    QCOMPARE(m_databases->count(), 1);
    QCOMPARE(m_databases->shown()->name(), QStringLiteral("good.mdb"));
}

void TestOpenDatabases::failedReplaceLeavesTheOldFile_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("a folder of that name") << "folder";
    QTest::newRow("a read-only folder") << "readonly";
}

// The new database is made beside the old file and takes its name only when complete: when that
// cannot be done, the old file is left byte for byte as it was and nothing is opened.
void TestOpenDatabases::failedReplaceLeavesTheOldFile() {
    QFETCH(QString, obstacle);
    const QString folder = path(QStringLiteral("kept"));
    QVERIFY(QDir().mkpath(folder));
    QString target = folder + QStringLiteral("/old.mdb");
    if (obstacle == "folder") {
        // A folder where the file should be: there is nothing to replace it with.
        target = folder + QStringLiteral("/folder.mdb");
        QVERIFY(QDir().mkpath(target));
        QVERIFY(QFile::exists(makeDatabase(target + QStringLiteral("/inside.mdb"), {{"In"}})));
    } else {
        makeDatabase(target, {{"Old one"}, {"Old two"}});
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        if (QFileInfo(folder).isWritable() || QFile(folder + "/probe").open(QIODevice::WriteOnly)) {
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("running as a user who may write into read-only folders");
        }
    }
    const auto snapshot = [&] {
        QFile file(obstacle == "folder" ? target + QStringLiteral("/inside.mdb") : target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = snapshot();
    QVERIFY(!before.isEmpty());

    const auto created = m_databases->create(target, true);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!created);
    QCOMPARE(created.message(), QStringLiteral("Could not replace ") + target);
    QCOMPARE(snapshot(), before);
    QVERIFY(m_databases->isEmpty());
    // Nothing half-made is left beside it.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(),
             obstacle == "folder" ? 0 : 1);
}

// Save As goes through the workspace: the copy takes the shown database's place, and nothing
// replaces the original, itself or a named pipe.
void TestOpenDatabases::saveAs() {
    const QString file = db("target.mdb", {{"T1"}, {"T2"}, {"T3"}});
    QVERIFY(m_databases->open(file).ok());
    // Save As: the copy is shown in the original's place; the original stays as it was.
    const QString copy = path(QStringLiteral("copy.mdb"));
    const auto saved = m_databases->saveShownAs(copy);
    QVERIFY2(saved, qPrintable(saved.message()));
    QCOMPARE(m_databases->shown()->location(), OpenDatabases::canonicalLocation(copy));
    QCOMPARE(m_databases->shown()->opportunities().count(), 3);
    QVERIFY(!m_databases->saveShownAs(copy)); // not over itself
    // Nor in place of a named pipe, which the renamed copy would replace.
    const QString pipe = path(QStringLiteral("pipe.mdb"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const auto overPipe = m_databases->saveShownAs(pipe);
    QVERIFY(!overPipe);
    QVERIFY2(overPipe.message().endsWith(pipe + " exists and is not a regular file"),
             qPrintable(overPipe.message()));
    struct stat status {};
    QVERIFY(::stat(QFile::encodeName(pipe).constData(), &status) == 0 && S_ISFIFO(status.st_mode));
    QCOMPARE(m_databases->shown()->location(), OpenDatabases::canonicalLocation(copy));
    QCOMPARE(m_databases->count(), 1);
}

// A new filter reaches every open database; the window's tests check the totals themselves.
void TestOpenDatabases::totals() {
    // Revenue 0 does not pass the default filter.
    QVERIFY(m_databases->open(db("a.mdb", {{"A1", "$1,250.50"}, {"A2", "0"}})).ok());
    QVERIFY(m_databases->open(db("b.mdb", {{"B1", "0"}})).ok());
    QCOMPARE(m_databases->allTotals().visibleCount, 1);
    // A new filter reaches every open database.
    QSignalSpy visibility(m_databases.get(), &OpenDatabases::visibilityChanged);
    Filters& filters = m_settings->filters();
    filters.item(QStringLiteral("All"))->setValue(false);
    filters.setEnabled(false);
    m_databases->filterAll(filters);
    QCOMPARE(visibility.size(), 1);
    QCOMPARE(m_databases->allTotals().visibleCount, 3);
}

void TestOpenDatabases::writesAndTheirRollBack() {
    const QString file = db("w.mdb", {{"One"}, {"Two"}});
    QVERIFY(m_databases->open(file).ok());
    QSignalSpy changed(m_databases.get(), &OpenDatabases::opportunityChanged);
    QSignalSpy added(m_databases.get(), &OpenDatabases::opportunityAdded);
    QSignalSpy leaving(m_databases.get(), &OpenDatabases::opportunityAboutToBeRemoved);
    QSignalSpy removed(m_databases.get(), &OpenDatabases::opportunityRemoved);
    QSignalSpy reset(m_databases.get(), &OpenDatabases::opportunitiesReset);
    QSignalSpy totals(m_databases.get(), &OpenDatabases::totalsChanged);
    const QString one = QStringLiteral("Key=1");
    Opportunities& collection = m_databases->shown()->opportunities();

    Opportunity won(*collection.item(one));
    won.setStage(QStringLiteral("Won"));
    QVERIFY(m_databases->update(one, won));
    QCOMPARE(collection.item(one)->stage(), QStringLiteral("Won"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(1).toString(), one);
    QCOMPARE(fromFile(file, one)->stage(), QStringLiteral("Won"));

    Opportunity fresh;
    fresh.setDescription(QStringLiteral("Three"));
    const auto key = m_databases->add(fresh);
    QCOMPARE(*key, QStringLiteral("Key=3"));
    QCOMPARE(added.size(), 1);
    QCOMPARE(fromFile(file, *key)->description(), QStringLiteral("Three"));

    QVERIFY(m_databases->remove(QStringLiteral("Key=2")));
    QCOMPARE(leaving.size(), 1);
    QCOMPARE(removed.size(), 1);
    QVERIFY(!fromFile(file, QStringLiteral("Key=2")));
    QCOMPARE(totals.size(), 3);

    // While another program holds the file, every write fails and memory stays equal to it.
    {
        const FileLock lock = lockFile(file);
        Opportunity lost(*collection.item(one));
        lost.setStage(QStringLiteral("Lost"));
        const Result update = m_databases->update(one, lost);
        QVERIFY(!update.ok());
        QVERIFY2(update.message().contains(file), qPrintable(update.message()));
        QCOMPARE(collection.item(one)->stage(), QStringLiteral("Won"));
        Opportunity refused;
        QVERIFY(!m_databases->add(refused).ok());
        QCOMPARE(collection.count(), 2);
        // The record stays, and so does its row: nobody was told it would go.
        QVERIFY(!m_databases->remove(one));
        QVERIFY(collection.contains(one));
        QCOMPARE(leaving.size(), 1);
        QCOMPARE(reset.size(), 0);
    }
    QCOMPARE(changed.size(), 1);
    QCOMPARE(added.size(), 1);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(totals.size(), 3);
    QCOMPARE(fromFile(file, one)->stage(), QStringLiteral("Won"));
}

// After Save As the copy takes the original's place: its Window index and position.
void TestOpenDatabases::replaceShownKeepsItsWindow() {
    QVERIFY(m_databases->open(db("a.mdb", {{"A1"}})).ok());
    QVERIFY(m_databases->open(db("b.mdb", {{"B1"}})).ok());
    const QString copy = db("copy.mdb", {{"C1"}, {"C2"}});
    m_databases->show(1);
    QVERIFY(!m_databases->replaceShown(path("b.mdb")).ok()); // open already
    const auto replaced = m_databases->replaceShown(copy);
    QVERIFY(replaced.ok());
    QCOMPARE(m_databases->shown(), *replaced);
    QCOMPARE((*replaced)->window(), 1);
    QCOMPARE(&m_databases->at(0), *replaced);
    QCOMPARE((*replaced)->opportunities().count(), 2);
    QVERIFY(!m_databases->isOpen(path("a.mdb")));
    QCOMPARE(windows(), (QList<qint32>{1, 2}));
}

QTEST_GUILESS_MAIN(TestOpenDatabases)
#include "TestOpenDatabases.moc"
