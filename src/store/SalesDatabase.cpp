#include "store/SalesDatabase.h"

#include "platform/LocaleText.h"
#include "store/DateCreatedReader.h"
#include "store/OpportunityFields.h"
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

using namespace OpportunityFields;

// The statements of the store, built from the field table once. Parameter ?N is the field of
// index N - 1; ?20 is the row identity of the record.
struct Statements {
    QByteArray select;        // the row identity (NULL when the table has none), then the fields
    QByteArray selectNoRowId; // for tables made WITHOUT ROWID
    QByteArray insert;
    QByteArray updateByRow;    // DateCreated is not written: the record keeps its creation time
    QByteArray updateByNumber; // for an opportunity whose row is unknown
    QByteArray removeByRow;
    QByteArray removeByNumber;

    Statements() {
        const QString names = storedNameList();
        select = QStringLiteral("SELECT rowid, %1 FROM Sales").arg(names).toUtf8();
        selectNoRowId = QStringLiteral("SELECT NULL, %1 FROM Sales").arg(names).toUtf8();
        QString values;
        QString assignments;
        for (const Info& field : Fields) {
            const QString parameter = QStringLiteral("?%1").arg(field.field + 1);
            values += (values.isEmpty() ? QString() : QStringLiteral(", ")) + parameter;
            if (field.field != DateCreated) {
                assignments += (assignments.isEmpty() ? QString() : QStringLiteral(", ")) +
                               QLatin1String(field.storedName) + QStringLiteral(" = ") + parameter;
            }
        }
        insert = QStringLiteral("INSERT INTO Sales (%1) VALUES (%2)").arg(names, values).toUtf8();
        // Record numbers that another program stored as text (' 20', '021') or as 7.0 are
        // compared as the open read them.
        const QString sameNumber = QStringLiteral("CAST(RecordNumber AS INTEGER) = ?1");
        const QString update = QStringLiteral("UPDATE Sales SET %1 WHERE ").arg(assignments);
        updateByRow = (update + QStringLiteral("rowid = ?20 AND ") + sameNumber).toUtf8();
        updateByNumber = (update + sameNumber).toUtf8();
        removeByRow = ("DELETE FROM Sales WHERE rowid = ?20 AND " + sameNumber).toUtf8();
        removeByNumber = ("DELETE FROM Sales WHERE " + sameNumber).toUtf8();
    }
};

const Statements& statements() {
    static const Statements sql;
    return sql;
}

// Binds the record number and the texts of `o` (all but DateCreated) to their parameters.
void bindRecord(SqlStatement& s, const Opportunity& o) {
    for (const Info& field : Fields) {
        if (field.field == RecordNumber)
            sqlite3_bind_int(s.get(), 1, o.recordNumber());
        else if (field.field != DateCreated)
            s.bindText(field.field + 1, o.text(field.field));
    }
}

// Whether the open file keeps its texts in UTF-8 (files may come from anywhere).
bool storesUtf8(sqlite3* db) {
    SqlStatement encoding(db, "PRAGMA encoding");
    if (!encoding.ok() || sqlite3_step(encoding.get()) != SQLITE_ROW)
        return false;
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(encoding.get(), 0));
    return name && std::string_view(name) == "UTF-8";
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

// "" when the last statement changed exactly one record, else why that is a failure (the
// caller then leaves the file as it was).
QString changedOne(sqlite3* db, qint32 number) {
    switch (sqlite3_changes(db)) {
    case 1:
        return QString();
    case 0:
        return QStringLiteral("the file no longer has record number %1 as it was read (another "
                              "program may have changed or deleted it); open the file again to "
                              "see its records as they are now")
            .arg(number);
    default:
        return QStringLiteral("the file has more than one record number %1, and this one cannot "
                              "be told apart from the others; nothing was changed")
            .arg(number);
    }
}

QString createdNow() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QString SalesDatabase::programDirectory() {
    return QCoreApplication::applicationDirPath();
}

QString SalesDatabase::nameOf(const QString& location) {
    const qsizetype separator =
        std::max(location.lastIndexOf(QLatin1Char('/')), location.lastIndexOf(QLatin1Char('\\')));
    return location.mid(separator + 1);
}

bool SalesDatabase::fail(const QString& message) {
    m_DatabaseError = true;
    m_DatabaseErrorMessage = message;
    return false;
}

bool SalesDatabase::openDatabase() {
    // The store asks no one: the window chooses the file first. Without one there is nothing
    // to open, as when the choice was cancelled.
    if (m_DatabaseLocation.isEmpty() || m_DatabaseLocation == programDirectory()) {
        m_DatabaseLocation.clear();
        return fail(QStringLiteral("Canceled"));
    }
    m_Name = nameOf(m_DatabaseLocation);

    const QString couldNotOpen = QStringLiteral("Could not open ") + m_DatabaseLocation;
    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen() || !file.hasSalesTable())
        return fail(couldNotOpen);

    // Files made elsewhere without the index get it here; with duplicate record numbers the
    // index cannot be made, and the open goes on without it.
    file.exec("CREATE UNIQUE INDEX IF NOT EXISTS RecordNumber ON Sales (RecordNumber ASC)");

    auto select = std::make_unique<SqlStatement>(file.handle(), statements().select.constData());
    if (!select->ok())
        select =
            std::make_unique<SqlStatement>(file.handle(), statements().selectNoRowId.constData());
    if (!select->ok())
        return fail(couldNotOpen);
    const bool utf8File = storesUtf8(file.handle());
    DateCreatedReader dateCreated(utf8File);
    SharedTexts texts(utf8File);
    ::Opportunities read;
    read.reserve(expectedRecords(file.handle()));
    int rc;
    while ((rc = sqlite3_step(select->get())) == SQLITE_ROW) {
        sqlite3_stmt* s = select->get();
        // Only a record without a usable record number is skipped; NULL fields read as "".
        const auto number = SalesFile::recordNumberColumn(s, 1 + RecordNumber);
        if (!number)
            continue;
        auto item = std::make_unique<Opportunity>(Opportunity::Blank{});
        item->setRecordNumber(*number);
        if (sqlite3_column_type(s, 0) == SQLITE_INTEGER)
            item->setRowId(sqlite3_column_int64(s, 0));
        for (const Info& field : Fields) {
            const int column = 1 + field.field;
            if (field.field == DateCreated)
                item->setDateCreated(dateCreated.read(s, column));
            else if (field.field != RecordNumber)
                item->setText(field.field, texts.read(s, column));
        }
        // A second record with the same number is not added.
        read.add(std::move(item), ::Opportunities::keyFor(*number));
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

void SalesDatabase::newDatabase() {
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
    if (!file.isOpen() || !file.exec(SalesSchema::createTableSql().toUtf8().constData()) ||
        !file.exec(SalesSchema::createIndexSql().toUtf8().constData()) || !file.commit())
        fail(message);
}

// The highest record number of the file that fits 32 bits, whatever type it was stored as;
// 0 when there is none. Called inside the exclusive transaction, so that no other program can
// take the number that follows.
ResultValue<qint64> SalesDatabase::highestRecordNumber(SalesFile& file) {
    {
        // With only whole numbers in the file (texts sort after numbers) the index answers.
        SqlStatement highest(file.handle(), "SELECT max(RecordNumber) FROM Sales");
        if (!highest.ok() || sqlite3_step(highest.get()) != SQLITE_ROW) {
            file.takeError(highest.ok() ? sqlite3_errcode(file.handle()) : highest.rc());
            return Result::failure(file.error());
        }
        switch (sqlite3_column_type(highest.get(), 0)) {
        case SQLITE_NULL:
            return qint64(0);
        case SQLITE_INTEGER: {
            const qint64 value = sqlite3_column_int64(highest.get(), 0);
            if (value <= std::numeric_limits<qint32>::max())
                return std::max<qint64>(value, 0);
            break;
        }
        default:
            break;
        }
    }
    SqlStatement highest(file.handle(),
                         "SELECT max(CAST(RecordNumber AS INTEGER)) FROM Sales WHERE "
                         "CAST(RecordNumber AS INTEGER) BETWEEN -2147483648 AND 2147483647");
    if (!highest.ok() || sqlite3_step(highest.get()) != SQLITE_ROW) {
        file.takeError(highest.ok() ? sqlite3_errcode(file.handle()) : highest.rc());
        return Result::failure(file.error());
    }
    return std::max<qint64>(sqlite3_column_int64(highest.get(), 0), 0);
}

StoreResult SalesDatabase::addOpportunity(Opportunity& x) {
    const QString where = QStringLiteral("Could not add the opportunity to %1: %2");
    const auto failure = [&](const QString& cause) {
        return StoreResult::failure(where.arg(m_DatabaseLocation, cause));
    };
    const QString noNumberLeft = QStringLiteral("no record number is left");
    const auto inCollection = m_Opportunities.nextRecordNumber();
    if (!inCollection)
        return failure(noNumberLeft);
    Opportunity numbered(x);
    numbered.fitOrderMonth();
    if (const QString tooLong = SalesSchema::checkSizes(numbered); !tooLong.isEmpty())
        return failure(tooLong);

    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return failure(file.error());
    // Another program (or another window on the same file) may have added records since the
    // open: the new number follows the highest of the file and of the collection.
    const auto inFile = highestRecordNumber(file);
    if (!inFile)
        return failure(inFile.message());
    if (*inFile >= std::numeric_limits<qint32>::max())
        return failure(noNumberLeft);
    const qint32 next = std::max(*inCollection, static_cast<qint32>(*inFile + 1));
    numbered.setRecordNumber(next);

    SqlStatement insert(file.handle(), statements().insert.constData());
    if (!insert.ok()) {
        file.takeError(insert.rc());
        return failure(file.error());
    }
    bindRecord(insert, numbered);
    insert.bindText(1 + DateCreated, createdNow());
    const int rc = sqlite3_step(insert.get());
    if (rc != SQLITE_DONE) {
        file.takeError(rc);
        return failure(file.error());
    }
    const qint64 rowId = sqlite3_last_insert_rowid(file.handle());
    if (!file.commit())
        return failure(file.error());

    // As appendOpportunity(x) would, with the number the file allows.
    x.setRecordNumber(next);
    x.setOrderMonth(numbered.orderMonth());
    auto copy = std::make_unique<Opportunity>(Opportunity::Blank{});
    copy->setRecordNumber(next);
    copy->copyFieldsFrom(numbered);
    copy->setRowId(rowId);
    m_Opportunities.add(std::move(copy), ::Opportunities::keyFor(next));
    return {};
}

StoreResult SalesDatabase::updateDBOpportunity(const QString& thekey) {
    const QString where = QStringLiteral("Could not save the opportunity in %1: %2");
    const auto failure = [&](const QString& cause) {
        return StoreResult::failure(where.arg(m_DatabaseLocation, cause));
    };
    Opportunity* item = m_Opportunities.item(thekey);
    if (!item)
        return failure(QStringLiteral("it is not in the list (%1)").arg(thekey));
    item->fitOrderMonth();
    if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
        return failure(tooLong);

    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return failure(file.error());
    const auto row = item->rowId();
    SqlStatement update(file.handle(), row ? statements().updateByRow.constData()
                                           : statements().updateByNumber.constData());
    if (!update.ok()) {
        file.takeError(update.rc());
        return failure(file.error());
    }
    bindRecord(update, *item);
    if (row)
        sqlite3_bind_int64(update.get(), 20, *row);
    const int rc = sqlite3_step(update.get());
    if (rc != SQLITE_DONE) {
        file.takeError(rc);
        return failure(file.error());
    }
    if (const QString changed = changedOne(file.handle(), item->recordNumber()); !changed.isEmpty())
        return failure(changed);
    if (!file.commit())
        return failure(file.error());
    return {};
}

StoreResult SalesDatabase::removeOpportunity(const QString& theRecordKey) {
    const QString where = QStringLiteral("Could not delete the opportunity from %1: %2");
    const auto failure = [&](const QString& cause) {
        return StoreResult::failure(where.arg(m_DatabaseLocation, cause));
    };
    bool isNumber = false;
    const qint32 number = theRecordKey.mid(4).toInt(&isNumber);
    const Opportunity* item = m_Opportunities.item(theRecordKey);
    if (!isNumber || !item)
        return failure(QStringLiteral("it is not in the list (%1)").arg(theRecordKey));

    SalesFile file(m_DatabaseLocation, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return failure(file.error());
    const auto row = item->rowId();
    SqlStatement remove(file.handle(), row ? statements().removeByRow.constData()
                                           : statements().removeByNumber.constData());
    if (!remove.ok()) {
        file.takeError(remove.rc());
        return failure(file.error());
    }
    sqlite3_bind_int(remove.get(), 1, number);
    if (row)
        sqlite3_bind_int64(remove.get(), 20, *row);
    const int rc = sqlite3_step(remove.get());
    if (rc != SQLITE_DONE) {
        file.takeError(rc);
        return failure(file.error());
    }
    if (const QString changed = changedOne(file.handle(), number); !changed.isEmpty())
        return failure(changed);
    if (!file.commit())
        return failure(file.error());
    m_Opportunities.remove(theRecordKey);
    return {};
}
