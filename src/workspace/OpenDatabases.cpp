#include "workspace/OpenDatabases.h"

#include "exchange/DatabaseCopy.h"
#include "filter/Filters.h"
#include "store/Opportunity.h"
#include "store/SalesDatabase.h"
#include "store/SalesServerStore.h"
#include "store/SalesStore.h"
#include "workspace/AddStep.h"
#include "workspace/EditStep.h"
#include "workspace/ImportStep.h"
#include "workspace/MergeStep.h"
#include "workspace/RemoveStep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMetaType>
#include <QUndoGroup>
#include <QUndoStack>
#include <algorithm>
#include <utility>

namespace {

void addTotals(OpenDatabases::Totals& totals, const SalesDatabase& database) {
    const Opportunities& collection = database.opportunities();
    totals.count += collection.count();
    totals.visibleCount += collection.unFilteredCount();
    totals.forecastRevenue += collection.filteredRevenue();
    totals.totalRevenue += collection.totalRevenue();
}

} // namespace

OpenDatabases::OpenDatabases(const Filters& filters, QObject* parent)
    : QObject(parent), m_filters(filters), m_history(new QUndoGroup(this)) {
    // The signals name the database, also for queued connections and signal spies.
    qRegisterMetaType<SalesDatabase*>();
}

OpenDatabases::~OpenDatabases() = default;

QString OpenDatabases::canonicalLocation(const QString& location) {
    // A team database on a server is named by its URI as given.
    if (location.isEmpty() || SalesServerStore::isServerLocation(location))
        return location;
    const QFileInfo file(location);
    const QString canonical = file.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A file that does not exist yet: its folder may exist and be reached by a link.
    const QString folder = file.absoluteDir().canonicalPath();
    if (!folder.isEmpty())
        return QDir(folder).filePath(file.fileName());
    return QDir::cleanPath(file.absoluteFilePath());
}

SalesDatabase* OpenDatabases::byWindow(qint32 window) const {
    for (const auto& database : m_databases) {
        if (database->window() == window)
            return database.get();
    }
    return nullptr;
}

SalesDatabase* OpenDatabases::byLocation(const QString& location) const {
    // A server's URI is compared without the password that it may carry.
    const auto key = [](const QString& location) {
        return SalesServerStore::isServerLocation(location)
                   ? SalesServerStore::withoutPassword(location)
                   : canonicalLocation(location);
    };
    const QString wanted = key(location);
    for (const auto& database : m_databases) {
        if (key(database->location()) == wanted)
            return database.get();
    }
    return nullptr;
}

bool OpenDatabases::isDatabaseFile(const QString& location) {
    return SalesStore::forLocation(canonicalLocation(location))->unreadableCause().isEmpty();
}

qint32 OpenDatabases::lowestFreeWindow() const {
    qint32 window = 1;
    while (byWindow(window))
        ++window;
    return window;
}

ResultValue<std::unique_ptr<SalesDatabase>>
OpenDatabases::readFile(const QString& canonical) const {
    auto database = SalesDatabase::open(canonical);
    if (database)
        m_filters.filter((*database)->opportunities());
    return database;
}

SalesDatabase* OpenDatabases::addAndShow(std::unique_ptr<SalesDatabase> database) {
    SalesDatabase* added = database.get();
    // The store ends with the database, and with it the changes it hands on.
    added->store().watch(
        [this, added](const std::vector<SalesStore::Change>& changes) { follow(*added, changes); });
    added->setWindow(lowestFreeWindow());
    m_databases.push_back(std::move(database));
    addHistory(added->window());
    emit databaseOpened(added);
    show(added->window());
    return added;
}

bool OpenDatabases::passesFilter(const Opportunity& opportunity) const {
    Opportunities one;
    const Opportunity* probe = one.add(std::make_unique<Opportunity>(opportunity),
                                       Opportunities::keyFor(opportunity.recordNumber()));
    m_filters.filter(one);
    return probe && probe->visible();
}

void OpenDatabases::follow(SalesDatabase& database,
                           const std::vector<SalesStore::Change>& changes) {
    using Kind = SalesStore::Change::Kind;
    Opportunities& items = database.opportunities();
    bool changed = false;
    for (const SalesStore::Change& change : changes) {
        if (change.kind == Kind::Lost) {
            emit connectionLost(&database);
            continue;
        }
        if (change.kind == Kind::Resync) {
            auto read = database.store().readAll();
            if (!read)
                continue;
            m_filters.filter(*read);
            items = std::move(*read);
            emit opportunitiesReset(&database);
            emit connectionRestored(&database);
            changed = true;
            continue;
        }
        const QString key = Opportunities::keyFor(change.recordNumber);
        Opportunity* item = items.item(key);
        // This window's own writes, and changes it has read already, are known.
        if (change.kind == Kind::Removed ? !item || item->rowId() > change.rowId
                                         : item && item->rowId() >= change.rowId)
            continue;
        std::optional<Opportunity> now;
        if (change.kind != Kind::Removed) {
            auto read = database.store().readRecord(change.recordNumber);
            if (!read)
                continue;
            now = std::move(*read);
        }
        if (!now) {
            if (item) {
                emit opportunityAboutToBeRemoved(&database, key);
                items.remove(key);
                emit opportunityRemoved(&database, key);
                changed = true;
            }
            continue;
        }
        const bool visible = passesFilter(*now);
        const bool known = item != nullptr;
        if (known) {
            item->copyFieldsFrom(*now);
            item->setRowId(now->rowId());
        } else {
            item = items.add(std::make_unique<Opportunity>(std::move(*now)), key);
        }
        item->setVisible(visible);
        if (known)
            emit opportunityChanged(&database, key);
        else
            emit opportunityAdded(&database, key);
        changed = true;
    }
    if (changed)
        emit totalsChanged();
}

void OpenDatabases::followShown(QObject* context, const ShownFollower& follower) {
    const auto shown = [this](SalesDatabase* database) { return database && database == m_shown; };
    if (follower.shownChanged)
        connect(this, &OpenDatabases::shownChanged, context, follower.shownChanged);
    if (const auto& readAnew = follower.readAnew) {
        connect(this, &OpenDatabases::visibilityChanged, context, [this, readAnew] {
            if (m_shown)
                readAnew(*m_shown);
        });
        connect(this, &OpenDatabases::opportunitiesReset, context,
                [shown, readAnew](SalesDatabase* database) {
                    if (shown(database))
                        readAnew(*database);
                });
    }
    if (const auto& added = follower.added) {
        connect(this, &OpenDatabases::opportunityAdded, context,
                [shown, added](SalesDatabase* database, const QString& key) {
                    if (const Opportunity* item =
                            shown(database) ? database->opportunities().item(key) : nullptr)
                        added(*item);
                });
    }
    if (const auto& changed = follower.changed) {
        connect(this, &OpenDatabases::opportunityChanged, context,
                [shown, changed](SalesDatabase* database, const QString& key) {
                    if (const Opportunity* item =
                            shown(database) ? database->opportunities().item(key) : nullptr)
                        changed(key, *item);
                });
    }
    if (const auto& leaving = follower.aboutToBeRemoved) {
        connect(this, &OpenDatabases::opportunityAboutToBeRemoved, context,
                [shown, leaving](SalesDatabase* database, const QString& key) {
                    if (shown(database))
                        leaving(key);
                });
    }
    if (const auto& leaving = follower.manyAboutToBeRemoved) {
        connect(this, &OpenDatabases::opportunitiesAboutToBeRemoved, context,
                [shown, leaving](SalesDatabase* database, const QStringList& keys) {
                    if (shown(database))
                        leaving(keys);
                });
    }
}

ResultValue<SalesDatabase*> OpenDatabases::open(const QString& location, const QString& password,
                                                SalesServerStore::Login* login) {
    const QString canonical = canonicalLocation(location);
    const bool server = SalesServerStore::isServerLocation(canonical);
    // A team database is named without the password that its URI may carry.
    if (isOpen(canonical))
        return Result::failure((server ? SalesServerStore::withoutPassword(canonical) : canonical) +
                               QStringLiteral(" is already open."));
    if (server) {
        auto store = std::make_unique<SalesServerStore>(canonical, SalesStore::Access::ReadWrite);
        SalesServerStore& server = *store;
        server.setPassword(password);
        // A failed open deletes the store: how the login fared is kept here.
        SalesServerStore::Login outcome = SalesServerStore::Login::Failed;
        server.setLoginReport(&outcome);
        auto database = SalesDatabase::open(std::move(store));
        if (login)
            *login = outcome;
        if (!database)
            return database.result();
        server.setLoginReport(nullptr);
        m_filters.filter((*database)->opportunities());
        return addAndShow(std::move(*database));
    }
    auto database = readFile(canonical);
    if (!database)
        return database.result();
    return addAndShow(std::move(*database));
}

ResultValue<SalesDatabase*> OpenDatabases::create(const QString& location, bool replace) {
    const QString canonical = canonicalLocation(location);
    if (isOpen(canonical))
        return Result::failure(canonical + QStringLiteral(" is currently open."));
    auto database = SalesDatabase::create(canonical, replace);
    if (!database)
        return database.result();
    return addAndShow(std::move(*database));
}

ResultValue<SalesDatabase*> OpenDatabases::replaceShown(const QString& location) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    const QString canonical = canonicalLocation(location);
    if (isOpen(canonical))
        return Result::failure(canonical + QStringLiteral(" is already open."));
    auto read = readFile(canonical);
    if (!read)
        return read.result();
    std::unique_ptr<SalesDatabase> database = std::move(*read);
    const qint32 window = m_shown->window();
    database->setWindow(window);
    m_shown = nullptr;
    emit shownChanged(nullptr);
    for (auto& open : m_databases) {
        if (open->window() == window) {
            open = std::move(database);
            emit databaseClosed(window);
            emit databaseOpened(open.get());
            show(window);
            return m_shown;
        }
    }
    return Result::failure(QStringLiteral("No database is open."));
}

void OpenDatabases::closeShown() {
    if (!m_shown)
        return;
    const qint32 window = m_shown->window();
    // Whoever shows the closing database's opportunities lets go of them first.
    m_shown = nullptr;
    emit shownChanged(nullptr);
    std::erase_if(m_databases, [window](const std::unique_ptr<SalesDatabase>& database) {
        return database->window() == window;
    });
    // Its history ends with it.
    if (const auto history = m_histories.find(window); history != m_histories.end()) {
        m_openNew = nullptr;
        delete history->second;
        m_histories.erase(history);
    }
    emit databaseClosed(window);
    show(m_databases.empty() ? 0 : m_databases.front()->window());
}

void OpenDatabases::show(qint32 window) {
    m_shown = window > 0 ? byWindow(window) : nullptr;
    m_history->setActiveStack(m_shown ? historyOf(m_shown) : nullptr);
    emit shownChanged(m_shown);
    emit totalsChanged();
}

void OpenDatabases::filterAll(const Filters& filters) {
    for (const auto& database : m_databases)
        filters.filter(*database);
    emit visibilityChanged();
    emit totalsChanged();
}

OpenDatabases::Totals OpenDatabases::shownTotals() const {
    Totals totals;
    if (m_shown)
        addTotals(totals, *m_shown);
    return totals;
}

OpenDatabases::Totals OpenDatabases::allTotals() const {
    Totals totals;
    for (const auto& database : m_databases)
        addTotals(totals, *database);
    return totals;
}

QStringList OpenDatabases::locations() const {
    QStringList locations;
    for (const auto& database : m_databases)
        locations.append(database->location());
    return locations;
}

ResultValue<SalesDatabase*> OpenDatabases::saveShownAs(const QString& target,
                                                       const ProgressCallback& progress) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    if (const Result copied =
            DatabaseCopy::saveAs(m_shown->location(), target, locations(), progress);
        !copied)
        return copied;
    return replaceShown(target);
}

ResultValue<const Opportunity*> OpenDatabases::shownItem(const QString& key) const {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    const Opportunity* item = m_shown->opportunities().item(key);
    if (!item)
        return Result::failure(
            QStringLiteral("The opportunity %1 is not in %2.").arg(key, m_shown->name()));
    return item;
}

Result OpenDatabases::update(const QString& key, const Opportunity& edited, const QString& action) {
    const auto item = shownItem(key);
    if (!item)
        return item.result();
    const Opportunity before(**item);
    if (const Result written = writeUpdate(*m_shown, key, edited); !written)
        return written;
    record(new EditStep(*this, m_shown->window(), key, before, *m_shown->opportunities().item(key),
                        action));
    return {};
}

ResultValue<QString> OpenDatabases::add(const Opportunity& opportunity, const QString& action) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    auto added = announceAdded(*m_shown, m_shown->add(opportunity));
    if (added)
        record(new AddStep(*this, m_shown->window(), *added, *m_shown->opportunities().item(*added),
                           action));
    return added;
}

ResultValue<QString> OpenDatabases::addNew(const Opportunity& opportunity) {
    auto added = add(opportunity, QStringLiteral("New"));
    if (added) {
        QUndoStack* stack = historyOf(m_shown);
        m_openNew =
            static_cast<AddStep*>(const_cast<QUndoCommand*>(stack->command(stack->index() - 1)));
        if (m_openNew)
            m_openNew->setOpenForEditor(true);
    }
    return added;
}

void OpenDatabases::finishNew() {
    if (m_openNew)
        m_openNew->setOpenForEditor(false);
    m_openNew = nullptr;
}

ResultValue<QString> OpenDatabases::restore(const Opportunity& removed) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    auto restored = writeRestore(*m_shown, removed);
    if (restored)
        record(new AddStep(*this, m_shown->window(), *restored,
                           *m_shown->opportunities().item(*restored), QStringLiteral("Restore")));
    return restored;
}

Result OpenDatabases::remove(const QString& key) {
    const auto item = shownItem(key);
    if (!item)
        return item.result();
    const Opportunity removed(**item);
    if (const Result written = writeRemove(*m_shown, key); !written)
        return written;
    record(new RemoveStep(*this, m_shown->window(), key, removed));
    return {};
}

ResultValue<QString> OpenDatabases::announceAdded(SalesDatabase& database,
                                                  ResultValue<QString> added) {
    if (added) {
        emit opportunityAdded(&database, *added);
        emit totalsChanged();
    }
    return added;
}

Result OpenDatabases::writeUpdate(SalesDatabase& database, const QString& key,
                                  const Opportunity& edited) {
    if (const Result written = database.update(key, edited); !written)
        return written;
    emit opportunityChanged(&database, key);
    emit totalsChanged();
    return {};
}

Result OpenDatabases::writeRemove(SalesDatabase& database, const QString& key) {
    // Whoever shows the opportunity lets go of it after the store removed its record and
    // before it leaves the collection.
    const Result removed =
        database.remove(key, [&] { emit opportunityAboutToBeRemoved(&database, key); });
    if (!removed)
        return removed;
    emit opportunityRemoved(&database, key);
    emit totalsChanged();
    return removed;
}

ResultValue<QString> OpenDatabases::writeRestore(SalesDatabase& database,
                                                 const Opportunity& removed) {
    return announceAdded(database, database.restore(removed));
}

Result OpenDatabases::writeRemoveAll(SalesDatabase& database, const QStringList& keys) {
    if (const Result removed =
            database.removeAll(keys, [&] { emit opportunitiesAboutToBeRemoved(&database, keys); });
        !removed)
        return removed;
    emit opportunitiesReset(&database);
    emit totalsChanged();
    return {};
}

Result OpenDatabases::writeRestoreAll(SalesDatabase& database,
                                      const std::vector<Opportunity>& removed) {
    const auto restored = database.restoreAll(removed);
    if (!restored)
        return restored.result();
    emit opportunitiesReset(&database);
    emit totalsChanged();
    return {};
}

ResultValue<QStringList> OpenDatabases::writeChanges(SalesDatabase& database,
                                                     SalesDatabase::Changes changes,
                                                     const SalesStore::Describe& describe,
                                                     const ProgressCallback& progress) {
    // Up to this many opportunities the list follows row by row; beyond, it reads them anew.
    constexpr qsizetype RowByRow = 500;
    const bool removes = !changes.removals.isEmpty();
    const QStringList removals = changes.removals;
    QStringList updated;
    for (const auto& update : changes.updates)
        updated.append(update.first);
    const auto describeRecord = [&](size_t index) {
        if (index < changes.updates.size())
            return QStringLiteral("record %1").arg(changes.updates[index].first.mid(4));
        index -= changes.updates.size();
        if (index < changes.restorations.size())
            return QStringLiteral("record %1").arg(changes.restorations[index].recordNumber());
        return QStringLiteral("new opportunity %1").arg(index + 1);
    };
    const SalesStore::Describe names = describe ? describe : SalesStore::Describe(describeRecord);
    auto keys = database.changeAll(std::move(changes), names, progress, [&] {
        emit opportunitiesAboutToBeRemoved(&database, removals);
    });
    if (!keys)
        return keys;
    if (removes || keys->size() + updated.size() > RowByRow) {
        emit opportunitiesReset(&database);
    } else {
        for (const QString& key : std::as_const(updated))
            emit opportunityChanged(&database, key);
        for (const QString& key : std::as_const(*keys))
            emit opportunityAdded(&database, key);
    }
    emit totalsChanged();
    return keys;
}

ResultValue<QStringList> OpenDatabases::import(ImportPlan plan, const QString& source,
                                               const ProgressCallback& progress) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    SalesDatabase& database = *m_shown;
    SalesDatabase::Changes changes;
    ImportStep::Values before;
    std::vector<qint64> lines;
    lines.reserve(plan.updates.size() + plan.additions.size());
    for (ImportPlan::Update& update : plan.updates) {
        const Opportunity* item = database.opportunities().item(update.key);
        if (!item)
            return Result::failure(QStringLiteral("The opportunity %1 is no longer in %2.")
                                       .arg(update.key, database.name()));
        before.emplace_back(update.key, *item);
        lines.push_back(update.line);
        changes.updates.emplace_back(update.key, std::move(update.fields));
    }
    changes.additions.reserve(plan.additions.size());
    for (ImportPlan::Addition& addition : plan.additions) {
        lines.push_back(addition.line);
        changes.additions.push_back(std::move(addition.fields));
    }
    if (changes.updates.empty() && changes.additions.empty())
        return QStringList();
    const auto describe = [&lines](size_t index) {
        return QStringLiteral("line %1 of the file").arg(index < lines.size() ? lines[index] : 0);
    };
    const qsizetype updateCount = static_cast<qsizetype>(changes.updates.size());
    auto keys = writeChanges(database, std::move(changes), describe, progress);
    if (!keys)
        return keys;
    ImportStep::Values after;
    after.reserve(before.size());
    for (const auto& [key, earlier] : before)
        after.emplace_back(key, *database.opportunities().item(key));
    const QLocale locale;
    const QString text =
        QStringLiteral("Import of %1 (%2 added, %3 updated)")
            .arg(source, locale.toString(keys->size()), locale.toString(updateCount));
    record(
        new ImportStep(*this, database.window(), *keys, std::move(before), std::move(after), text));
    return keys;
}

QUndoStack* OpenDatabases::historyOf(const SalesDatabase* database) const {
    if (!database)
        return nullptr;
    const auto history = m_histories.find(database->window());
    return history != m_histories.end() && byWindow(database->window()) == database
               ? history->second
               : nullptr;
}

QUndoStack* OpenDatabases::addHistory(qint32 window) {
    auto* stack = new QUndoStack(m_history);
    m_histories[window] = stack;
    connect(stack, &QUndoStack::indexChanged, this, [this, stack] { settleHistory(stack); });
    return stack;
}

void OpenDatabases::record(DatabaseStep* step) {
    QUndoStack* stack = historyOf(m_shown);
    if (!stack) {
        delete step;
        return;
    }
    // A step that the open editor's step takes in is no step of its own.
    const int before = stack->count();
    stack->push(step);
    if (stack->count() < before)
        m_openNew = nullptr;
}

void OpenDatabases::settleHistory(QUndoStack* stack) {
    if (m_settling || !m_refusal.step)
        return;
    const Refusal refusal = std::exchange(m_refusal, Refusal{});
    int position = -1;
    for (int i = 0; i < stack->count(); ++i) {
        if (stack->command(i) == refusal.step)
            position = i;
    }
    if (position >= 0) {
        // Back to where the history stood before the refused step; the steps passed over on the
        // way write nothing.
        m_settling = true;
        stack->setIndex(refusal.undone ? position + 1 : position);
        m_settling = false;
    }
    emit stepRefused(refusal.message);
}

bool OpenDatabases::undo() {
    QUndoStack* stack = historyOf(m_shown);
    if (!stack || !stack->canUndo())
        return false;
    const int before = stack->index();
    stack->undo();
    return stack->index() != before;
}

bool OpenDatabases::redo() {
    QUndoStack* stack = historyOf(m_shown);
    if (!stack || !stack->canRedo())
        return false;
    const int before = stack->index();
    stack->redo();
    return stack->index() != before;
}

DataMerge::Outcome OpenDatabases::mergeLeadFile(const QString& path,
                                                const ProgressCallback& progress) {
    if (!m_shown)
        return noDatabaseOutcome(DataMerge::textFailureTitle());
    return merged(DataMerge::mergeText(*m_shown, path, progress),
                  QStringLiteral("Lead File Import"));
}

DataMerge::Outcome OpenDatabases::mergeDatabase(const QString& location,
                                                const ProgressCallback& progress) {
    if (!m_shown)
        return noDatabaseOutcome(DataMerge::databaseFailureTitle());
    return merged(DataMerge::mergeDatabase(*m_shown, location, progress), QStringLiteral("Merge"));
}

DataMerge::Outcome OpenDatabases::noDatabaseOutcome(const QString& title) {
    DataMerge::Outcome outcome;
    outcome.title = title;
    outcome.message = QStringLiteral("No database is open.");
    return outcome;
}

DataMerge::Outcome OpenDatabases::merged(DataMerge::Outcome outcome, const QString& action) {
    if (outcome.status == DataMerge::Status::Merged && outcome.added > 0) {
        // One merge is one step, however many opportunities it added.
        const QString count = QLocale().toString(outcome.added);
        record(new MergeStep(*this, m_shown->window(), outcome.keys,
                             outcome.added == 1
                                 ? action + QStringLiteral(" of 1 opportunity")
                                 : action + QStringLiteral(" of %1 opportunities").arg(count)));
        // Many opportunities at once: whoever shows the collection reads it anew.
        emit opportunitiesReset(m_shown);
        emit totalsChanged();
    }
    return outcome;
}
