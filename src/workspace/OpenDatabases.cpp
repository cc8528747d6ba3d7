#include "workspace/OpenDatabases.h"

#include "filter/Filters.h"
#include "store/Opportunity.h"
#include "store/SalesDatabase.h"
#include "store/SalesFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

OpenDatabases::OpenDatabases(QObject* parent) : QObject(parent) {}

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
        if (canonicalLocation(database->databaseLocation()) == wanted)
            return database.get();
    }
    return nullptr;
}

bool OpenDatabases::isDatabaseFile(const QString& location) {
    SalesFile file(canonicalLocation(location), SalesFile::Mode::Existing);
    return file.isOpen() && file.hasSalesTable();
}

qint32 OpenDatabases::lowestFreeWindow() const {
    qint32 window = 1;
    while (byWindow(window))
        ++window;
    return window;
}

ResultValue<std::unique_ptr<SalesDatabase>> OpenDatabases::readFile(const QString& canonical) {
    auto database = std::make_unique<SalesDatabase>();
    database->setDatabaseLocation(canonical);
    if (!database->openDatabase())
        return Result::failure(database->databaseErrorMessage());
    Filters::instance().filter(*database);
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
    if (replace && QFileInfo::exists(canonical) && !QFile::remove(canonical))
        return Result::failure(QStringLiteral("Could not replace ") + canonical);
    auto database = std::make_unique<SalesDatabase>();
    database->setDatabaseLocation(canonical);
    database->setName(QFileInfo(canonical).fileName());
    database->newDatabase();
    if (database->databaseError())
        return Result::failure(database->databaseErrorMessage());
    return addAndShow(std::move(database));
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

Result OpenDatabases::update(const QString& key, const std::function<void(Opportunity&)>& change) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    Opportunity* opportunity = m_shown->opportunities().item(key);
    if (!opportunity)
        return Result::failure(
            QStringLiteral("The opportunity %1 is not in %2.").arg(key, m_shown->name()));
    const Opportunity before(*opportunity);
    change(*opportunity);
    const Result written = m_shown->updateDBOpportunity(key);
    if (!written) {
        opportunity->copyFieldsFrom(before);
        return written;
    }
    emit opportunityChanged(m_shown, key);
    emit totalsChanged();
    return written;
}

ResultValue<QString> OpenDatabases::add(Opportunity& opportunity) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    const Result added = m_shown->addOpportunity(opportunity);
    if (!added)
        return added;
    const QString key = Opportunities::keyFor(opportunity.recordNumber());
    emit opportunityAdded(m_shown, key);
    emit totalsChanged();
    return key;
}

Result OpenDatabases::remove(const QString& key) {
    if (!m_shown)
        return Result::failure(QStringLiteral("No database is open."));
    if (!m_shown->opportunities().contains(key))
        return Result::failure(
            QStringLiteral("The opportunity %1 is not in %2.").arg(key, m_shown->name()));
    // The list lets go of the row before the opportunity goes; should the write fail, the
    // collection is shown anew as it still is.
    emit opportunityAboutToBeRemoved(m_shown, key);
    const Result removed = m_shown->removeOpportunity(key);
    if (!removed) {
        emit opportunitiesReset(m_shown);
        return removed;
    }
    emit opportunityRemoved(m_shown, key);
    emit totalsChanged();
    return removed;
}

void OpenDatabases::collectionChanged(SalesDatabase* database) {
    emit opportunitiesReset(database);
    emit totalsChanged();
}
