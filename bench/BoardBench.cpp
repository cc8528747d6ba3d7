#include "BoardBench.h"

#include "BareSqlite.h"
#include "Measure.h"
#include "board/BoardColumnModel.h"
#include "board/BoardModel.h"
#include "board/BoardView.h"
#include "filter/Filters.h"
#include "store/SalesDatabase.h"
#include "workspace/OpenDatabases.h"

#include <QApplication>
#include <QLocale>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
constexpr int ShowRepeats = 7;
constexpr int MoveRepeats = 15;

QString count(int n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}
} // namespace

BoardBench::BoardBench(const QString& path, SettingsStore& settings)
    : m_path(path), m_settings(settings) {}

void BoardBench::run() {
    // Every opportunity is a card: the filter is off.
    Filters filters(m_settings);
    filters.setEnabled(false);
    OpenDatabases workspace(filters);
    if (!workspace.open(m_path)) {
        std::printf("board: the sample file did not open\n");
        return;
    }
    const int opportunities = workspace.shown()->opportunities().count();
    // With a display (the report figures make the application a QApplication), the board is
    // shown and painted as the window shows it; without, its model alone is measured.
    const bool painted = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;

    std::vector<double> show;
    std::vector<double> modelOnly;
    int cards = 0;
    for (int i = 0; i < ShowRepeats; ++i) {
        modelOnly.push_back(Measure::ms([&] {
            BoardModel model;
            model.followWorkspace(&workspace);
        }));
        show.push_back(Measure::ms([&] {
            BoardModel model;
            model.followWorkspace(&workspace);
            if (painted) {
                BoardView view(model);
                view.sortOn(QStringLiteral("Company"), Qt::AscendingOrder);
                view.resize(1000, 700);
                view.show();
                view.repaint();
                QCoreApplication::processEvents();
            }
            cards = 0;
            for (int column = 0; column < model.columnCount(); ++column)
                cards += model.column(column).rowCount();
        }));
    }
    const double showMs = Measure::median(show);
    Measure::line(QStringLiteral("show the board, sorted by Company (%1 cards of %2)")
                      .arg(count(cards), count(opportunities)),
                  Measure::duration(showMs),
                  painted ? QStringLiteral("columns painted at 1000x700")
                          : QStringLiteral("model only: no display"),
                  QStringLiteral("<300 ms"), showMs < 300.0 && cards == opportunities);
    Measure::line(QStringLiteral("  of which the board's model"),
                  Measure::duration(Measure::median(modelOnly)));

    // One card at a time to another stage, shown on the board: the write, the model's rows and
    // the views' state, against a bare one-row update.
    BoardModel model;
    model.followWorkspace(&workspace);
    std::unique_ptr<BoardView> view;
    if (painted) {
        view = std::make_unique<BoardView>(model);
        view->resize(1000, 700);
        view->show();
        QCoreApplication::processEvents();
    }
    std::vector<BareSqlite::Row> rows;
    if (!BareSqlite::readAll(m_path, rows) || rows.empty()) {
        std::printf("board: the sample file could not be read\n");
        return;
    }
    // The bare update changes the stage of a row that no move touches, to and fro: a write
    // that changes nothing would not reach the disk.
    BareSqlite::Row bareRow = rows.back();
    constexpr size_t StageText = 12;
    const std::string stages[] = {"Lead", "Identify Opportunity"};
    std::vector<double> move;
    std::vector<double> repaint;
    std::vector<double> bare;
    bool moved = true;
    for (int i = 0; i < MoveRepeats && moved; ++i) {
        const BareSqlite::Row& row = rows[static_cast<size_t>(i) * (rows.size() - 1) / MoveRepeats];
        const QString key = QStringLiteral("Key=%1").arg(row.recordNumber);
        const int from = model.columnOf(key);
        const int to = from == 0 ? 1 : 0;
        bareRow.texts[StageText] = stages[bareRow.texts[StageText] == stages[0] ? 1 : 0];
        bare.push_back(Measure::ms(
            [&] { moved = BareSqlite::updateRow(m_path, bareRow.recordNumber, bareRow); }));
        move.push_back(Measure::ms([&] {
            moved = moved && (view ? view->moveCard(key, to) : model.moveCard(key, to).ok());
        }));
        // The window repaints once the move has returned to the event loop.
        repaint.push_back(Measure::ms([] { QCoreApplication::processEvents(); }));
        moved = moved && model.columnOf(key) == to;
    }
    if (!moved) {
        std::printf("board: a move failed\n");
        return;
    }
    const double moveMs = Measure::median(move);
    const double bareMs = Measure::median(bare);
    Measure::line(QStringLiteral("move a card to another stage (write and board update)"),
                  Measure::duration(moveMs),
                  QStringLiteral("bare update %1  ratio %2")
                      .arg(Measure::duration(bareMs), QString::number(moveMs / bareMs, 'f', 2)),
                  QStringLiteral("<=1.5x bare"), moveMs <= 1.5 * bareMs);
    if (view)
        Measure::line(QStringLiteral("  then the repaint of the board (1000x700)"),
                      Measure::duration(Measure::median(repaint)));
}
