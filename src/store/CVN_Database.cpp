#include "store/CVN_Database.h"

#include "platform/LocaleText.h"
#include "platform/UiServices.h"
#include "store/SalesFile.h"
#include "store/SalesSchema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <limits>
#include <sqlite3.h>

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

// A prepared statement, finalized at the end of its scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        m_rc = sqlite3_prepare_v2(db, sql, -1, &m_s, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_s); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool ok() const { return m_rc == SQLITE_OK; }
    int rc() const { return m_rc; }
    sqlite3_stmt* get() const { return m_s; }
    void bindText(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_s, index, utf8.constData(), static_cast<int>(utf8.size()),
                          SQLITE_TRANSIENT);
    }

private:
    sqlite3_stmt* m_s = nullptr;
    int m_rc = SQLITE_OK;
};

// Binds the record number and the texts of `o` in the parameter order of InsertSql/UpdateSql.
void bindRecord(Statement& s, const Opportunity& o) {
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

// A column as text; NULL reads as "".
QString textColumn(sqlite3_stmt* s, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
    if (!text)
        return QString();
    return QString::fromUtf8(text, sqlite3_column_bytes(s, column));
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
        if (d != static_cast<double>(static_cast<qint64>(d)))
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

// DateCreated as the locale's general date-and-time text; a stored text that is no date and
// time stays as it is.
class DateCreatedReader {
public:
    QString read(sqlite3_stmt* s, int column) {
        const QString stored = textColumn(s, column);
        const QDateTime when = parse(stored);
        return when.isValid() ? m_locale.toString(when, m_format) : stored;
    }

private:
    // "YYYY-MM-DD HH:MM:SS" or with "T", as the engine writes it; a bare date is midnight.
    static QDateTime parse(const QString& text) {
        if (text.size() < 10)
            return {};
        const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
        if (!date.isValid())
            return {};
        if (text.size() == 10)
            return QDateTime(date, QTime(0, 0));
        const QTime time = QTime::fromString(text.mid(11, 8), Qt::ISODate);
        return time.isValid() ? QDateTime(date, time) : QDateTime();
    }

    QLocale m_locale;
    QString m_format = LocaleText::generalDateTimeFormat();
};

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

    Statement select(file.handle(), SelectAllSql);
    if (!select.ok())
        return fail(couldNotOpen);
    DateCreatedReader dateCreated;
    ::Opportunities read;
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        sqlite3_stmt* s = select.get();
        // Only a record without a usable record number is skipped; NULL fields read as "".
        const auto number = recordNumberColumn(s);
        if (!number)
            continue;
        const QString key = ::Opportunities::KeyFor(*number);
        if (read.Contains(key))
            continue;
        read.Add(*number, textColumn(s, 1), dateCreated.read(s, 2), textColumn(s, 3),
                 textColumn(s, 4), textColumn(s, 5), textColumn(s, 7), textColumn(s, 8),
                 textColumn(s, 6), textColumn(s, 9), textColumn(s, 10), textColumn(s, 11),
                 textColumn(s, 12), textColumn(s, 13), textColumn(s, 14), textColumn(s, 15),
                 textColumn(s, 16), textColumn(s, 17), textColumn(s, 18), key);
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
    Statement insert(file.handle(), InsertSql);
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

    m_Opportunities.AppendOpportunity(x);
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
    Statement update(file.handle(), UpdateSql);
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
    Statement remove(file.handle(), "DELETE FROM Sales WHERE RecordNumber = ?1");
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
