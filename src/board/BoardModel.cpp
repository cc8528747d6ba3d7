#include "board/BoardModel.h"

#include "board/BoardColumnModel.h"
#include "store/Opportunities.h"
#include "store/Opportunity.h"
#include "store/SalesDatabase.h"
#include "store/ValueLists.h"
#include "workspace/OpenDatabases.h"

#include <QSet>
#include <optional>

BoardModel::BoardModel(QObject* parent) : QObject(parent) {
    const QStringList& stages = ValueLists::stage();
    for (qsizetype i = 0; i < stages.size(); ++i) {
        m_columns.push_back(new BoardColumnModel(stages[i], false, this));
        m_stageColumns.insert(stages[i], static_cast<int>(i));
    }
    m_columns.push_back(new BoardColumnModel(QString(), true, this));
}

BoardModel::~BoardModel() = default;

bool BoardModel::isShown(int column) const {
    if (column < 0 || column >= columnCount())
        return false;
    return column != outsideColumn() || m_columns.back()->rowCount() > 0;
}

int BoardModel::columnOfStage(const QString& stage) const {
    return m_stageColumns.value(stage, outsideColumn());
}

int BoardModel::columnOf(const QString& key) const {
    const auto number = Opportunities::numberOf(key);
    if (!number)
        return -1;
    const auto found = m_places.constFind(*number);
    return found == m_places.constEnd() ? -1 : found->column;
}

int BoardModel::rowOf(const QString& key) const {
    const int column = columnOf(key);
    if (column < 0)
        return -1;
    const qint32 number = *Opportunities::numberOf(key);
    return m_columns[static_cast<size_t>(column)]->rowAt(
        positionOf(number), [this](qint32 n) { return positionOf(n); });
}

qint64 BoardModel::positionOf(qint32 recordNumber) const {
    return m_places.value(recordNumber).position;
}

bool BoardModel::isFollowing() const {
    return !m_workspace.isNull();
}

void BoardModel::followWorkspace(OpenDatabases* workspace) {
    if (m_workspace)
        m_workspace->disconnect(this);
    m_workspace = workspace;
    if (!workspace)
        return;
    OpenDatabases::ShownFollower follower;
    follower.shownChanged = [this](const SalesDatabase* database) {
        if (database)
            rebuild(database->opportunities());
        else
            clear();
    };
    follower.readAnew = [this](const SalesDatabase& database) { sync(database.opportunities()); };
    follower.added = [this](const Opportunity& added) { opportunityAdded(added); };
    follower.changed = [this](const QString&, const Opportunity& changed) {
        opportunityChanged(changed);
    };
    follower.aboutToBeRemoved = [this](const QString& key) { opportunityAboutToBeRemoved(key); };
    follower.manyAboutToBeRemoved = [this](const QStringList& keys) {
        opportunitiesAboutToBeRemoved(keys);
    };
    workspace->followShown(this, follower);
    if (const SalesDatabase* database = workspace->shown())
        rebuild(database->opportunities());
    else
        clear();
}

std::vector<std::vector<const Opportunity*>> BoardModel::place(const Opportunities& collection) {
    std::vector<std::vector<const Opportunity*>> cards(m_columns.size());
    m_places.clear();
    m_places.reserve(collection.count());
    qint64 position = 0;
    for (const Opportunity& opportunity : collection) {
        Place place;
        place.position = position++;
        if (opportunity.visible()) {
            place.column = columnOfStage(opportunity.stage());
            cards[static_cast<size_t>(place.column)].push_back(&opportunity);
        }
        m_places.insert(opportunity.recordNumber(), place);
    }
    m_nextPosition = position;
    return cards;
}

void BoardModel::rebuild(const Opportunities& collection) {
    const bool wasShown = isShown(outsideColumn());
    auto cards = place(collection);
    for (size_t column = 0; column < m_columns.size(); ++column)
        m_columns[column]->reset(std::move(cards[column]));
    announceOutsideColumn(wasShown);
}

void BoardModel::clear() {
    const bool wasShown = isShown(outsideColumn());
    m_places.clear();
    m_nextPosition = 0;
    for (BoardColumnModel* column : m_columns)
        column->reset({});
    announceOutsideColumn(wasShown);
}

void BoardModel::sync(const Opportunities& collection) {
    const bool wasShown = isShown(outsideColumn());
    const auto cards = place(collection);
    for (size_t column = 0; column < m_columns.size(); ++column)
        m_columns[column]->sync(cards[column]);
    announceOutsideColumn(wasShown);
}

void BoardModel::opportunityChanged(const Opportunity& opportunity) {
    const bool wasShown = isShown(outsideColumn());
    const qint32 number = opportunity.recordNumber();
    auto found = m_places.find(number);
    if (found == m_places.end())
        found = m_places.insert(number, Place{-1, m_nextPosition++});
    const int from = found->column;
    const int to = opportunity.visible() ? columnOfStage(opportunity.stage()) : -1;
    const qint64 position = found->position;
    const auto positions = [this](qint32 n) { return positionOf(n); };
    if (from >= 0 && from == to) {
        BoardColumnModel& column = *m_columns[static_cast<size_t>(from)];
        if (const int row = column.rowAt(position, positions); row >= 0)
            column.cardChanged(row);
        return;
    }
    if (from >= 0) {
        BoardColumnModel& column = *m_columns[static_cast<size_t>(from)];
        if (const int row = column.rowAt(position, positions); row >= 0)
            column.removeCardAt(row);
    }
    found->column = to;
    if (to >= 0) {
        BoardColumnModel& column = *m_columns[static_cast<size_t>(to)];
        column.insertCard(column.insertionRow(position, positions), opportunity);
    }
    announceOutsideColumn(wasShown);
}

void BoardModel::opportunityAdded(const Opportunity& opportunity) {
    m_places.remove(opportunity.recordNumber());
    opportunityChanged(opportunity);
}

void BoardModel::opportunitiesAboutToBeRemoved(const QStringList& keys) {
    // The cards go while their opportunities can still be read: a view may read a row that is
    // about to be removed.
    QSet<qint32> leaving;
    leaving.reserve(keys.size());
    for (const QString& key : keys) {
        if (const auto number = Opportunities::numberOf(key)) {
            leaving.insert(*number);
            m_places.remove(*number);
        }
    }
    const bool wasShown = isShown(outsideColumn());
    for (BoardColumnModel* column : m_columns) {
        std::vector<const Opportunity*> staying;
        staying.reserve(column->m_cards.size());
        for (const auto& card : column->m_cards) {
            if (!leaving.contains(card.recordNumber))
                staying.push_back(card.opportunity);
        }
        if (staying.size() != column->m_cards.size())
            column->sync(staying);
    }
    announceOutsideColumn(wasShown);
}

void BoardModel::opportunityAboutToBeRemoved(const QString& key) {
    const auto number = Opportunities::numberOf(key);
    if (!number)
        return;
    const auto found = m_places.constFind(*number);
    if (found == m_places.constEnd())
        return;
    const bool wasShown = isShown(outsideColumn());
    if (found->column >= 0) {
        BoardColumnModel& column = *m_columns[static_cast<size_t>(found->column)];
        const int row = column.rowAt(found->position, [this](qint32 n) { return positionOf(n); });
        if (row >= 0)
            column.removeCardAt(row);
    }
    m_places.erase(found);
    announceOutsideColumn(wasShown);
}

void BoardModel::announceOutsideColumn(bool wasShown) {
    const bool shown = isShown(outsideColumn());
    if (shown != wasShown)
        emit columnShownChanged(outsideColumn(), shown);
}

int BoardModel::neighbourColumn(const QString& key, int steps) const {
    const int from = columnOf(key);
    if (from < 0 || steps == 0)
        return -1;
    // From the outside column, a step to the left reaches the last stage.
    const int start = from == outsideColumn() && steps < 0 ? outsideColumn() : from;
    const int to = start + steps;
    return to >= 0 && to < outsideColumn() ? to : -1;
}

Result BoardModel::moveCard(const QString& key, int column) {
    if (!m_workspace || !m_workspace->shown())
        return Result::failure(QStringLiteral("No database is open."));
    if (column < 0 || column >= outsideColumn())
        return Result::failure(QStringLiteral("A card can only be moved to a stage of the list."));
    const Opportunity* current = m_workspace->shown()->opportunities().item(key);
    if (!current || columnOf(key) < 0)
        return Result::failure(QStringLiteral("The opportunity %1 is not on the board.").arg(key));
    if (columnOf(key) == column)
        return {};
    Opportunity moved(*current);
    moved.setStage(m_columns[static_cast<size_t>(column)]->stage());
    return m_workspace->update(key, moved, QStringLiteral("Move"));
}
