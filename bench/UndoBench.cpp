#include "UndoBench.h"

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
    std::vector<double> undo, redo, bare;
    qint64 merged = -1;
    bool ok = true;
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
        ok = ok && undone && redone && bareOk &&
             workspace.shown()->opportunities().count() == merged &&
             workspace.historyOf(workspace.shown())->count() == 1;
        workspace.closeShown();
        QFile::remove(target);
        QFile::remove(copy);
    }
    ok = ok && merged == m_database.opportunities().count();
    const double bareMs = Measure::median(bare);
    // The undo deletes what the bare loop deletes; the redo puts the records back, so only its
    // own bound applies.
    const auto figure = [&](const char* what, const std::vector<double>& values, bool againstBare) {
        const double ms = Measure::median(values);
        Measure::line(QStringLiteral("%1 a merge of %2").arg(QLatin1String(what), count(merged)),
                      Measure::duration(ms),
                      QStringLiteral("bare delete %1  ratio %2")
                          .arg(Measure::duration(bareMs), QString::number(ms / bareMs, 'f', 2)),
                      againstBare ? QStringLiteral("<1 s and <=2x bare") : QStringLiteral("<1 s"),
                      ok && ms < 1000.0 && (!againstBare || ms <= 2.0 * bareMs));
    };
    figure("undo", undo, true);
    figure("redo", redo, false);
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
