#include "UndoBench.h"

#include "BareSqlite.h"
#include "Measure.h"

#include "store/Opportunity.h"
#include "store/SalesDatabase.h"
#include "workspace/OpenDatabases.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QUndoStack>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int Repeats = 3;
constexpr int Edits = 100;

QString count(qint64 n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

// Deletes the records numbered `first` to `last` in one transaction, as plainly as SQLite can.
bool bareDelete(const QString& path, int first, int last) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK;
    sqlite3_stmt* statement = nullptr;
    ok = ok && sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_prepare_v2(db, "DELETE FROM Sales WHERE RecordNumber = ?", -1, &statement,
                                  nullptr) == SQLITE_OK;
    for (int number = first; ok && number <= last; ++number) {
        sqlite3_bind_int(statement, 1, number);
        ok = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

UndoBench::UndoBench(SalesDatabase& database, const Filters& filters, const QString& folder)
    : m_database(database), m_filters(filters), m_folder(folder) {}

void UndoBench::run() {
    mergeFigures();
    editMemoryFigure();
}

QString UndoBench::emptyDatabase() {
    const QString path = QDir(m_folder).filePath(QStringLiteral("undo-%1.mdb").arg(++m_files));
    QFile::remove(path);
    (void)SalesDatabase::create(path);
    return path;
}

void UndoBench::mergeFigures() {
    const QString source = m_database.location();
    std::vector<double> undo, redo, bare, bareInsert;
    // The redo's baseline puts the same rows into an empty file with a bare insert loop.
    std::vector<BareSqlite::Row> rows;
    bool ok = BareSqlite::readAll(source, rows);
    qint64 merged = -1;
    for (int i = 0; i < Repeats; ++i) {
        OpenDatabases workspace(m_filters);
        const QString target = emptyDatabase();
        if (!workspace.open(target)) {
            ok = false;
            break;
        }
        const DataMerge::Outcome outcome = workspace.mergeDatabase(source);
        merged = outcome.ok() ? outcome.added : -1;
        // The bare baseline deletes the same rows from a copy of the merged file.
        const QString copy = emptyDatabase();
        QFile::remove(copy);
        QFile::copy(target, copy);
        bool undone = false;
        bool redone = false;
        undo.push_back(Measure::ms([&] { undone = workspace.undo(); }));
        redo.push_back(Measure::ms([&] { redone = workspace.redo(); }));
        bool bareOk = false;
        bare.push_back(
            Measure::ms([&] { bareOk = bareDelete(copy, 1, static_cast<int>(merged)); }));
        const QString empty = emptyDatabase();
        bool insertOk = false;
        bareInsert.push_back(
            Measure::ms([&] { insertOk = BareSqlite::insertAll(empty, rows, 1); }));
        QFile::remove(empty);
        bareOk = bareOk && insertOk;
        ok = ok && undone && redone && bareOk &&
             workspace.shown()->opportunities().count() == merged &&
             workspace.historyOf(workspace.shown())->count() == 1;
        workspace.closeShown();
        QFile::remove(target);
        QFile::remove(copy);
    }
    ok = ok && merged == m_database.opportunities().count();
    // The undo deletes what the bare delete loop deletes; the redo inserts what the bare insert
    // loop inserts.
    const auto figure = [&](const char* what, const std::vector<double>& values,
                            const char* bareWhat, const std::vector<double>& bareValues) {
        const double ms = Measure::median(values);
        const double bareMs = Measure::median(bareValues);
        Measure::line(QStringLiteral("%1 a merge of %2").arg(QLatin1String(what), count(merged)),
                      Measure::duration(ms),
                      QStringLiteral("%1 %2  ratio %3")
                          .arg(QLatin1String(bareWhat), Measure::duration(bareMs),
                               QString::number(ms / bareMs, 'f', 2)),
                      QStringLiteral("<1 s and <=2x bare"),
                      ok && ms < 1000.0 && ms <= 2.0 * bareMs);
    };
    figure("undo", undo, "bare delete", bare);
    figure("redo", redo, "bare insert", bareInsert);
}

void UndoBench::editMemoryFigure() {
    OpenDatabases workspace(m_filters);
    const QString target = emptyDatabase();
    if (!workspace.open(target))
        return;
    Opportunity edited;
    edited.setCompany(QStringLiteral("Acme Corp"));
    edited.setDescription(QStringLiteral("40 seats"));
    const auto key = workspace.add(edited);
    bool ok = key.ok();
    const size_t before = Measure::heapInUse();
    for (int i = 0; ok && i < Edits; ++i) {
        edited.setNote(QStringLiteral("Revised quote %1 sent; call back on Friday.").arg(i));
        ok = workspace.update(*key, edited).ok();
    }
    const size_t after = Measure::heapInUse();
    ok = ok && workspace.historyOf(workspace.shown())->count() == Edits + 1;
    const double held = after > before ? static_cast<double>(after - before) : 0.0;
    Measure::line(QStringLiteral("heap held by a history of %1 single edits").arg(Edits),
                  Measure::megabytes(held), {}, QStringLiteral("<1 MB"),
                  ok && held < 1024.0 * 1024.0);
    workspace.closeShown();
    QFile::remove(target);
}
