#include "store/CVN_Database.h"

#include "platform/LocaleText.h"
#include "platform/UiServices.h"
#include "store/DateCreatedReader.h"
#include "store/SalesFile.h"
#include "store/SalesSchema.h"
#include "store/SharedTexts.h"
#include "store/SqlStatement.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

const char* const SelectAllSql =
    "SELECT RecordNumber, SalesOwner, DateCreated, Company, Department, Contact, Description, "
    "Note, Product, UnitPrice, Quantity, Revenue, Source, Stage, Forecast, Probability, "
    "OrderDay, OrderMonth, OrderYear FROM Sales";

const char* const InsertSql =
    "INSERT INTO Sales (RecordNumber, SalesOwner, DateCreated, Company, Department, Contact, "
    "Note, Product, Description, UnitPrice, Quantity, Revenue, Source, Stage, Forecast, "
    "Probability, OrderDay, OrderMonth, OrderYear) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19)";

// DateCreated is not written by an update: the record keeps its creation time.
const char* const UpdateSql =
    "UPDATE Sales SET RecordNumber = ?1, SalesOwner = ?2, Company = ?4, Department = ?5, "
    "Contact = ?6, Note = ?7, Product = ?8, Description = ?9, UnitPrice = ?10, Quantity = ?11, "
    "Revenue = ?12, Source = ?13, Stage = ?14, Forecast = ?15, Probability = ?16, "
    "OrderDay = ?17, OrderMonth = ?18, OrderYear = ?19 WHERE RecordNumber = ?1";

// Binds the record number and the texts of `o` in the parameter order of InsertSql/UpdateSql.
void bindRecord(SqlStatement& s, const Opportunity& o) {
    sqlite3_bind_int(s.get(), 1, o.RecordNumber());
    s.bindText(2, o.SalesOwner());
    s.bindText(4, o.Company());
    s.bindText(5, o.Department());
    s.bindText(6, o.Contact());
    s.bindText(7, o.Note());
    s.bindText(8, o.Product());
    s.bindText(9, o.Description());
    s.bindText(10, o.UnitPrice());
    s.bindText(11, o.Quantity());
    s.bindText(12, o.Revenue());
    s.bindText(13, o.Source());
    s.bindText(14, o.Stage());
    s.bindText(15, o.Forecast());
    s.bindText(16, o.Probability());
    s.bindText(17, o.OrderDay());
    s.bindText(18, o.OrderMonth());
    s.bindText(19, o.OrderYear());
}

// Whether the open file keeps its texts in UTF-8 (files may come from anywhere).
bool storesUtf8(sqlite3* db) {
    SqlStatement encoding(db, "PRAGMA encoding");
    if (!encoding.ok() || sqlite3_step(encoding.get()) != SQLITE_ROW)
        return false;
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(encoding.get(), 0));
    return name && std::string_view(name) == "UTF-8";
}

// The record number of a row, when it has one that fits 32 bits.
std::optional<qint32> recordNumberColumn(sqlite3_stmt* s) {
    qint64 value = 0;
    switch (sqlite3_column_type(s, 0)) {
    case SQLITE_INTEGER:
        value = sqlite3_column_int64(s, 0);
        break;
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(s, 0);
        // Out of range (or not a number) before the conversion, which would be undefined.
        if (!(d >= std::numeric_limits<qint32>::min() && d <= std::numeric_limits<qint32>::max()) ||
            d != std::trunc(d))
            return std::nullopt;
        value = static_cast<qint64>(d);
        break;
    }
    case SQLITE_TEXT: {
        bool ok = false;
        value = textColumn(s, 0).trimmed().toLongLong(&ok);
        if (!ok)
            return std::nullopt;
        break;
    }
    default:
        return std::nullopt;
    }
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

// How many records an open will most likely read, to size the collection once: the highest
// row id, within the data model's limit. 0 when the engine cannot tell.
qint32 expectedRecords(sqlite3* db) {
    SqlStatement highest(db, "SELECT max(rowid) FROM Sales");
    if (!highest.ok() || sqlite3_step(highest.get()) != SQLITE_ROW)
        return 0;
    return static_cast<qint32>(std::clamp<sqlite3_int64>(sqlite3_column_int64(highest.get(), 0), 0,
                                                         std::numeric_limits<qint16>::max()));
}

QString createdNow() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QString CVN_Database::ProgramDirectory() {
    return QCoreApplication::applicationDirPath();
}

QString CVN_Database::NameOf(const QString& location) {
    const qsizetype separator =
        std::max(location.lastIndexOf(QLatin1Char('/')), location.lastIndexOf(QLatin1Char('\\')));
    return location.mid(separator + 1);
}

bool CVN_Database::fail(const QString& message) {
    m_DatabaseError = true;
    m_DatabaseErrorMessage = message;
    return false;
}

bool CVN_Database::OpenDatabase() {
    if (m_DatabaseLocation.isEmpty() || m_DatabaseLocation == ProgramDirectory()) {
        UiServices::FileRequest request;
        request.title = QStringLiteral("Open or Create a Corvane Database");
        request.defaultSuffix = QStringLiteral("mdb");
        request.fileName = QString();
        request.filters = {QStringLiteral("*.mdb (*.mdb)")};
        const auto chosen = UiServices::instance().chooseFile(request);
        if (!chosen || chosen->isEmpty()) {
            m_DatabaseLocation.clear();
            return fail(QStringLiteral("Canceled"));
        }
        m_DatabaseLocation = *chosen;
    }
    m_Name = NameOf(m_DatabaseLocation);

    const QString couldNotOpen = QStringLiteral("Could not open ") + m_DatabaseLocation;
    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen() || !file.hasSalesTable())
        return fail(couldNotOpen);

    // Files made elsewhere without the index get it here; with duplicate record numbers the
    // index cannot be made, and the open goes on without it.
    file.exec("CREATE UNIQUE INDEX IF NOT EXISTS RecordNumber ON Sales (RecordNumber ASC)");

    SqlStatement select(file.handle(), SelectAllSql);
    if (!select.ok())
        return fail(couldNotOpen);
    const bool utf8File = storesUtf8(file.handle());
    DateCreatedReader dateCreated(utf8File);
    SharedTexts texts(utf8File);
    ::Opportunities read;
    read.reserve(expectedRecords(file.handle()));
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        sqlite3_stmt* s = select.get();
        // Only a record without a usable record number is skipped; NULL fields read as "".
        const auto number = recordNumberColumn(s);
        if (!number)
            continue;
        auto item = std::make_unique<Opportunity>(Opportunity::Blank{});
        item->setRecordNumber(*number);
        item->setSalesOwner(texts.read(s, 1));
        item->setDateCreated(dateCreated.read(s, 2));
        item->setCompany(texts.read(s, 3));
        item->setDepartment(texts.read(s, 4));
        item->setContact(texts.read(s, 5));
        item->setDescription(texts.read(s, 6));
        item->setNote(texts.read(s, 7));
        item->setProduct(texts.read(s, 8));
        item->setUnitPrice(texts.read(s, 9));
        item->setQuantity(texts.read(s, 10));
        item->setRevenue(texts.read(s, 11));
        item->setSource(texts.read(s, 12));
        item->setStage(texts.read(s, 13));
        item->setForecast(texts.read(s, 14));
        item->setProbability(texts.read(s, 15));
        item->setOrderDay(texts.read(s, 16));
        item->setOrderMonth(texts.read(s, 17));
        item->setOrderYear(texts.read(s, 18));
        // A second record with the same number is not added.
        read.Add(std::move(item), ::Opportunities::KeyFor(*number));
    }
    // A damaged file fails as a whole rather than showing part of its records as if that were
    // all of them.
    if (rc != SQLITE_DONE)
        return fail(couldNotOpen);
    file.commit();

    m_Opportunities = std::move(read);
    m_DatabaseError = false;
    return true;
}

void CVN_Database::NewDatabase() {
    m_DatabaseError = false;
    const QString message = QStringLiteral("Unable to create a new database ") + m_DatabaseLocation;
    // Creating fails when the file exists; opening it as new is atomic.
    {
        QFile create(m_DatabaseLocation);
        if (m_DatabaseLocation.isEmpty() ||
            !create.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            fail(message);
            return;
        }
    }
    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen() || !file.exec(SalesSchema::CreateTableSql().toUtf8().constData()) ||
        !file.exec(SalesSchema::CreateIndexSql().toUtf8().constData()) || !file.commit())
        fail(message);
}

StoreResult CVN_Database::AddOpportunity(Opportunity& x) {
    const QString where = QStringLiteral("Could not add the opportunity to %1: %2");
    const auto next = m_Opportunities.NextRecordNumber();
    if (!next)
        return StoreResult::failure(
            where.arg(m_DatabaseLocation, QStringLiteral("no record number is left")));
    Opportunity numbered(x);
    numbered.setRecordNumber(*next);
    if (const QString tooLong = SalesSchema::CheckSizes(numbered); !tooLong.isEmpty())
        return StoreResult::failure(where.arg(m_DatabaseLocation, tooLong));

    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    SqlStatement insert(file.handle(), InsertSql);
    if (!insert.ok()) {
        file.takeError(insert.rc());
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    }
    bindRecord(insert, numbered);
    insert.bindText(3, createdNow());
    const int rc = sqlite3_step(insert.get());
    if (rc != SQLITE_DONE) {
        file.takeError(rc);
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    }
    if (!file.commit())
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));

    // As AppendOpportunity(x) would, without looking for the highest number a second time.
    x.setRecordNumber(*next);
    auto copy = std::make_unique<Opportunity>(Opportunity::Blank{});
    copy->setRecordNumber(*next);
    copy->copyFieldsFrom(x);
    m_Opportunities.Add(std::move(copy), ::Opportunities::KeyFor(*next));
    return {};
}

StoreResult CVN_Database::UpdateDBOpportunity(const QString& thekey) {
    const QString where = QStringLiteral("Could not save the opportunity in %1: %2");
    const Opportunity* item = m_Opportunities.Item(thekey);
    if (!item)
        return StoreResult::failure(where.arg(
            m_DatabaseLocation, QStringLiteral("it is not in the list (%1)").arg(thekey)));
    if (const QString tooLong = SalesSchema::CheckSizes(*item); !tooLong.isEmpty())
        return StoreResult::failure(where.arg(m_DatabaseLocation, tooLong));

    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    SqlStatement update(file.handle(), UpdateSql);
    if (!update.ok()) {
        file.takeError(update.rc());
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    }
    bindRecord(update, *item);
    const int rc = sqlite3_step(update.get());
    if (rc != SQLITE_DONE) {
        file.takeError(rc);
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    }
    if (sqlite3_changes(file.handle()) == 0) {
        return StoreResult::failure(where.arg(
            m_DatabaseLocation,
            QStringLiteral("the file has no record number %1 any more").arg(item->RecordNumber())));
    }
    if (!file.commit())
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    return {};
}

StoreResult CVN_Database::RemoveOpportunity(const QString& theRecordKey) {
    const QString where = QStringLiteral("Could not delete the opportunity from %1: %2");
    bool isNumber = false;
    const qint32 number = theRecordKey.mid(4).toInt(&isNumber);
    if (!isNumber || !m_Opportunities.Contains(theRecordKey))
        return StoreResult::failure(where.arg(
            m_DatabaseLocation, QStringLiteral("it is not in the list (%1)").arg(theRecordKey)));

    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    SqlStatement remove(file.handle(), "DELETE FROM Sales WHERE RecordNumber = ?1");
    if (!remove.ok()) {
        file.takeError(remove.rc());
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    }
    sqlite3_bind_int(remove.get(), 1, number);
    const int rc = sqlite3_step(remove.get());
    if (rc != SQLITE_DONE) {
        file.takeError(rc);
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    }
    // A record that is already gone from the file leaves the same result: the file lacks it.
    if (!file.commit())
        return StoreResult::failure(where.arg(m_DatabaseLocation, file.error()));
    m_Opportunities.Remove(theRecordKey);
    return {};
}
