#include "workspace/OpenDatabases.h"

#include "exchange/DatabaseCopy.h"
#include "filter/Filters.h"
#include "store/Opportunity.h"
#include "store/SalesDatabase.h"
#include "store/SalesStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaType>
#include <algorithm>

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
    : QObject(parent), m_filters(filters) {
    // The signals name the database, also for queued connections and signal spies.
    qRegisterMetaType<SalesDatabase*>();
}

OpenDatabases::~OpenDatabases() = default;

QString OpenDatabases::canonicalLocation(const QString& location) {
    if (location.isEmpty())
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
    const QString wanted = canonicalLocation(location);
    for (const auto& database : m_databases) {
        if (canonicalLocation(database->location()) == wanted)
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
    added->setWindow(lowestFreeWindow());
    m_databases.push_back(std::move(database));
    emit databaseOpened(added);
    show(added->window());
    return added;
}

ResultValue<SalesDatabase*> OpenDatabases::open(const QString& location) {
    const QString canonical = canonicalLocation(location);
    if (isOpen(canonical))
        return Result::failure(canonical + QStringLiteral(" is already open."));
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
    emit databaseClosed(window);
    show(m_databases.empty() ? 0 : m_databases.front()->window());
}

void OpenDatabases::show(qint32 window) {
    m_shown = window > 0 ? byWindow(window) : nullptr;
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

ResultValue<SalesDatabase*> OpenDatabases::saveShownAs(const QString& target) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    if (const Result copied = DatabaseCopy::saveAs(m_shown->location(), target, locations());
        !copied)
        return copied;
    return replaceShown(target);
}

Result OpenDatabases::update(const QString& key, const Opportunity& edited) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    if (!m_shown->opportunities().contains(key))
        return Result::failure(
            QStringLiteral("The opportunity %1 is not in %2.").arg(key, m_shown->name()));
    if (const Result written = m_shown->update(key, edited); !written)
        return written;
    emit opportunityChanged(m_shown, key);
    emit totalsChanged();
    return {};
}

ResultValue<QString> OpenDatabases::add(const Opportunity& opportunity) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    return announceAdded(m_shown->add(opportunity));
}

ResultValue<QString> OpenDatabases::restore(const Opportunity& removed) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    return announceAdded(m_shown->restore(removed));
}

ResultValue<QString> OpenDatabases::announceAdded(ResultValue<QString> added) {
    if (added) {
        emit opportunityAdded(m_shown, *added);
        emit totalsChanged();
    }
    return added;
}

Result OpenDatabases::remove(const QString& key) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    if (!m_shown->opportunities().contains(key))
        return Result::failure(
            QStringLiteral("The opportunity %1 is not in %2.").arg(key, m_shown->name()));
    // Whoever shows the opportunity lets go of it after the store removed its record and
    // before it leaves the collection.
    SalesDatabase* database = m_shown;
    const Result removed =
        database->remove(key, [&] { emit opportunityAboutToBeRemoved(database, key); });
    if (!removed)
        return removed;
    emit opportunityRemoved(database, key);
    emit totalsChanged();
    return removed;
}

DataMerge::Outcome OpenDatabases::mergeLeadFile(const QString& path) {
    if (!m_shown)
        return noDatabaseOutcome(DataMerge::textFailureTitle());
    return merged(DataMerge::mergeText(*m_shown, path));
}

DataMerge::Outcome OpenDatabases::mergeDatabase(const QString& location) {
    if (!m_shown)
        return noDatabaseOutcome(DataMerge::databaseFailureTitle());
    return merged(DataMerge::mergeDatabase(*m_shown, location));
}

DataMerge::Outcome OpenDatabases::noDatabaseOutcome(const QString& title) {
    DataMerge::Outcome outcome;
    outcome.title = title;
    outcome.message = QStringLiteral("No database is open.");
    return outcome;
}

DataMerge::Outcome OpenDatabases::merged(DataMerge::Outcome outcome) {
    if (outcome.status == DataMerge::Status::Merged && outcome.added > 0) {
        // Many opportunities at once: whoever shows the collection reads it anew.
        emit opportunitiesReset(m_shown);
        emit totalsChanged();
    }
    return outcome;
}
