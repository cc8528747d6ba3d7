#include "store/SalesFileStore.h"

#include "platform/LocaleText.h"
#include "store/DateCreatedReader.h"
#include "store/SalesFile.h"
#include "store/SalesSchema.h"
#include "store/SalesServerStore.h"
#include "store/SharedTexts.h"
#include "store/SqlStatement.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <limits>
#include <sqlite3.h>
#include <string_view>

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

// A read-only connection under one read transaction, closed at the end of its scope: the records
// are read as they stood at one moment, and read-only files and media are read too.
class ReadOnlyConnection {
public:
    explicit ReadOnlyConnection(const QString& path) {
        m_rc = SalesFile::openDefensively(
            path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE, &m_db);
        if (m_rc == SQLITE_OK)
            m_rc = sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
    }
    ~ReadOnlyConnection() {
        if (m_db) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(m_db);
        }
    }
    ReadOnlyConnection(const ReadOnlyConnection&) = delete;
    ReadOnlyConnection& operator=(const ReadOnlyConnection&) = delete;

    int rc() const { return m_rc; }
    sqlite3* handle() const { return m_db; }
    QString describe(int code) const {
        return SalesFile::describe(code, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code));
    }

private:
    sqlite3* m_db = nullptr;
    int m_rc = SQLITE_OK;
};

// A cause as a sentence: "The file is in use by another program."
QString sentence(QString cause) {
    if (!cause.isEmpty())
        cause[0] = cause.at(0).toUpper();
    return cause + QLatin1Char('.');
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

// How many records a read will most likely meet, to size the collection once: the highest row
// id, within the data model's limit. 0 when the engine cannot tell.
qint32 expectedRecords(sqlite3* db) {
    SqlStatement highest(db, "SELECT max(rowid) FROM Sales");
    if (!highest.ok() || sqlite3_step(highest.get()) != SQLITE_ROW)
        return 0;
    return static_cast<qint32>(std::clamp<sqlite3_int64>(sqlite3_column_int64(highest.get(), 0), 0,
                                                         std::numeric_limits<qint16>::max()));
}

// Reads the records of an open file in stored order and hands each one that has a usable record
// number to `keep` (which leaves out numbers met before); NULL fields read as "". The creation
// time is read only `withCreation`. "" when every record was read, else why not: a damaged file
// fails as a whole rather than giving part of its records as if that were all of them.
template <typename Keep>
QString readRows(sqlite3* db, bool withCreation, const std::function<QString(int)>& describe,
                 Keep keep) {
    auto select = std::make_unique<SqlStatement>(db, statements().select.constData());
    if (!select->ok())
        select = std::make_unique<SqlStatement>(db, statements().selectNoRowId.constData());
    if (!select->ok())
        return describe(select->rc());
    const bool utf8File = storesUtf8(db);
    std::optional<DateCreatedReader> dateCreated;
    if (withCreation)
        dateCreated.emplace(utf8File);
    SharedTexts texts(utf8File);
    int rc;
    while ((rc = sqlite3_step(select->get())) == SQLITE_ROW) {
        sqlite3_stmt* s = select->get();
        const auto number = SalesFile::recordNumberColumn(s, 1 + RecordNumber);
        if (!number)
            continue;
        Opportunity item(Opportunity::Blank{});
        item.setRecordNumber(*number);
        if (sqlite3_column_type(s, 0) == SQLITE_INTEGER)
            item.setRowId(sqlite3_column_int64(s, 0));
        for (const Info& field : Fields) {
            const int column = 1 + field.field;
            if (field.field == DateCreated) {
                if (dateCreated)
                    dateCreated->readInto(item, s, column);
            } else if (field.field != RecordNumber) {
                item.setText(field.field, texts.read(s, column));
            }
        }
        keep(std::move(item));
    }
    return rc == SQLITE_DONE ? QString() : describe(rc);
}

// Every record of an open file as the collection of an open database.
ResultValue<Opportunities> readRecords(sqlite3* db, const std::function<QString(int)>& describe) {
    Opportunities read;
    read.reserve(expectedRecords(db));
    // A second record with the same number is not added.
    const QString failed = readRows(db, true, describe, [&read](Opportunity&& item) {
        const qint32 number = item.recordNumber();
        read.add(std::make_unique<Opportunity>(std::move(item)), Opportunities::keyFor(number));
    });
    if (!failed.isEmpty())
        return Result::failure(failed);
    return read;
}

// The table Sales is a plain table with every field, else why not.
QString checkTable(sqlite3* db, const std::function<QString(int)>& describe) {
    QString definition;
    {
        SqlStatement table(db, "SELECT sql FROM sqlite_schema WHERE type = 'table' AND name = "
                               "'Sales' COLLATE NOCASE");
        if (!table.ok())
            return describe(table.rc());
        const int rc = sqlite3_step(table.get());
        if (rc == SQLITE_ROW)
            definition = textColumn(table.get(), 0);
        else if (rc != SQLITE_DONE)
            return describe(rc);
    }
    if (definition.isEmpty() ||
        definition.trimmed().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
        return QStringLiteral("the file has no table Sales");
    QSet<QString> columns;
    SqlStatement fields(db, "SELECT name FROM pragma_table_info('Sales')");
    if (!fields.ok())
        return describe(fields.rc());
    while (sqlite3_step(fields.get()) == SQLITE_ROW)
        columns.insert(textColumn(fields.get(), 0).toLower());
    for (const Info& field : Fields) {
        if (!columns.contains(QString::fromLatin1(field.storedName).toLower()))
            return QStringLiteral("the table Sales has no field %1").arg(field.storedName);
    }
    return QString();
}

// Opens the file at `path` read-only for one read, in `db`: "" when it can be read, else why not
// as a sentence ("The file is in use by another program.").
QString openForReading(const QString& path, std::optional<ReadOnlyConnection>& db) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("The file does not exist.");
    if (!info.isFile())
        return QStringLiteral("It is not a file.");
    db.emplace(path);
    if (db->rc() != SQLITE_OK)
        return sentence(db->describe(db->rc()));
    const QString table =
        checkTable(db->handle(), [&](int rc) { return sentence(db->describe(rc)); });
    if (table.isEmpty())
        return QString();
    return table.endsWith(QLatin1Char('.')) ? table : sentence(table);
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

const QString StoredDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The creation time of a record put back, in its stored form when it reads as the locale's text.
QString storedCreation(const QString& shown) {
    const QDateTime created = QLocale().toDateTime(shown, LocaleText::generalDateTimeFormat());
    return created.isValid() ? created.toString(StoredDateTimeFormat) : shown;
}

QString takenMessage(qint32 number) {
    return QStringLiteral("another record in the file has taken record number %1").arg(number);
}

// A text of no more UTF-16 units than its field's size fits; only longer ones need the count
// of characters.
bool mayBeTooLong(const Opportunity& o) {
    for (const Info& field : Fields) {
        if (isText(field.field) && o.text(field.field).size() > field.size)
            return true;
    }
    return false;
}

// Binds one UTF-8 text; the bytes live in `keep` until the row is written.
void bindKept(sqlite3_stmt* s, int index, const QString& text, QByteArray& keep) {
    keep = text.toUtf8();
    sqlite3_bind_text(s, index, keep.constData(), static_cast<int>(keep.size()), SQLITE_STATIC);
}

// Copies every page of `from` to `to` in one step, under one read lock of the source: a
// consistent copy, even while another program writes. Waits a while for a busy source.
// Copies every page of `from` to `to`: in one step without `progress`, else in steps of a few
// hundred pages, each reported; a false answer stops the copy (`*cancelled` becomes true).
int copyPages(sqlite3* from, sqlite3* to, const ProgressCallback& progress, bool* cancelled) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        return sqlite3_errcode(to);
    const int pagesPerStep = progress ? 256 : -1;
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < 30;) {
        rc = sqlite3_backup_step(backup, pagesPerStep);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            ++attempt;
            QThread::msleep(100);
            continue;
        }
        if (rc != SQLITE_OK && rc != SQLITE_DONE)
            break;
        const int total = sqlite3_backup_pagecount(backup);
        if (progress && !progress(total - sqlite3_backup_remaining(backup), total)) {
            *cancelled = true;
            break;
        }
        if (rc == SQLITE_DONE)
            break;
    }
    const int finished = sqlite3_backup_finish(backup);
    if (*cancelled)
        return SQLITE_OK;
    return rc != SQLITE_DONE ? rc : finished;
}

// Renames `from` over `to` in one step (the old file stays whole until then).
QString renameOver(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).toStdString(),
                            QFile::encodeName(to).toStdString(), error);
    return error ? QString::fromStdString(error.message()) : QString();
}

} // namespace

std::unique_ptr<SalesStore> SalesStore::forLocation(const QString& location, Access access) {
    if (SalesServerStore::isServerLocation(location))
        return std::make_unique<SalesServerStore>(location, access);
    return std::make_unique<SalesFileStore>(location, access);
}

QString SalesStore::engineVersion() {
    return QString::fromLatin1(sqlite3_libversion());
}

ResultValue<std::unique_ptr<SalesStore>> SalesStore::create(const QString& location, bool replace) {
    if (SalesServerStore::isServerLocation(location)) {
        const auto made = SalesServerStore::setUp(location);
        if (!made)
            return made.result();
        if (*made != SalesServerStore::SetUp::Created)
            return Result::failure(QStringLiteral("Unable to create a new database %1: it holds a "
                                                  "team database already")
                                       .arg(SalesServerStore::withoutPassword(location)));
        return forLocation(location);
    }
    const QString couldNotReplace = QStringLiteral("Could not replace ") + location;
    if (!replace || !QFileInfo::exists(location)) {
        if (const Result created = SalesFileStore::createFile(location); !created)
            return created;
        return forLocation(location);
    }
    // The new database is made complete beside the old one, then takes its name: whatever
    // fails on the way, the old file stays as it was.
    if (!QFileInfo(location).isFile())
        return Result::failure(couldNotReplace);
    QString temporaryPath;
    {
        QTemporaryFile temporary(
            QFileInfo(location).absoluteDir().filePath(QStringLiteral(".corvane-new-XXXXXX")));
        if (!temporary.open())
            return Result::failure(couldNotReplace);
        temporaryPath = temporary.fileName();
    }
    if (!SalesFileStore::createFile(temporaryPath)) {
        QFile::remove(temporaryPath);
        return Result::failure(couldNotReplace);
    }
    if (!renameOver(temporaryPath, location).isEmpty()) {
        QFile::remove(temporaryPath);
        return Result::failure(couldNotReplace);
    }
    return forLocation(location);
}

SalesFileStore::SalesFileStore(const QString& path, Access access)
    : m_path(path), m_access(access) {}

Result SalesFileStore::createFile(const QString& path) {
    const QString message = QStringLiteral("Unable to create a new database ") + path;
    // Creating fails when the file exists; opening it as new is atomic.
    {
        QFile create(path);
        if (path.isEmpty() || !create.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return Result::failure(message);
    }
    SalesFile file(path, SalesFile::Mode::Existing);
    if (!file.isOpen() || !file.exec(SalesSchema::createTableSql().toUtf8().constData()) ||
        !file.exec(SalesSchema::createIndexSql().toUtf8().constData()) || !file.commit()) {
        // Nothing half-made is left behind under the chosen name.
        QFile::remove(path);
        return Result::failure(message);
    }
    return {};
}

QString SalesFileStore::description() const {
    const qsizetype separator =
        std::max(m_path.lastIndexOf(QLatin1Char('/')), m_path.lastIndexOf(QLatin1Char('\\')));
    return m_path.mid(separator + 1);
}

QString SalesFileStore::unreadableCause() {
    const QFileInfo info(m_path);
    if (!info.exists())
        return QStringLiteral("The file does not exist.");
    if (!info.isFile())
        return QStringLiteral("It is not a file.");
    SalesFile file(m_path, SalesFile::Mode::Existing);
    if (file.isOpen() && file.hasSalesTable())
        return QString();
    return sentence(file.error());
}

ResultValue<Opportunities> SalesFileStore::readAll() {
    if (m_access == Access::ReadWrite) {
        SalesFile file(m_path, SalesFile::Mode::Existing);
        if (!file.isOpen() || !file.hasSalesTable())
            return Result::failure(file.error());
        // Files made elsewhere without the index get it here; with duplicate record numbers the
        // index cannot be made, and the read goes on without it.
        file.exec("CREATE UNIQUE INDEX IF NOT EXISTS RecordNumber ON Sales (RecordNumber ASC)");
        auto read = readRecords(file.handle(), [&](int rc) {
            file.takeError(rc);
            return file.error();
        });
        if (read)
            file.commit();
        return read;
    }
    std::optional<ReadOnlyConnection> db;
    if (const QString cause = openForReading(m_path, db); !cause.isEmpty())
        return Result::failure(cause);
    return readRecords(db->handle(), [&](int rc) { return sentence(db->describe(rc)); });
}

ResultValue<std::vector<Opportunity>> SalesFileStore::readCopies() {
    std::optional<ReadOnlyConnection> db;
    if (const QString cause = openForReading(m_path, db); !cause.isEmpty())
        return Result::failure(cause);
    const auto describe = [&](int rc) { return sentence(db->describe(rc)); };
    std::vector<Opportunity> copies;
    copies.reserve(static_cast<size_t>(expectedRecords(db->handle())));
    QSet<qint32> numbers;
    const QString failed = readRows(db->handle(), false, describe, [&](Opportunity&& item) {
        if (numbers.contains(item.recordNumber()))
            return;
        numbers.insert(item.recordNumber());
        copies.push_back(std::move(item));
    });
    if (!failed.isEmpty())
        return Result::failure(failed);
    return copies;
}

ResultValue<std::vector<SalesStore::StoredTexts>>
SalesFileStore::readStoredTexts(const Conditions& conditions) {
    const QFileInfo info(m_path);
    if (!info.exists())
        return Result::failure(QStringLiteral("the file does not exist"));
    if (!info.isFile())
        return Result::failure(QStringLiteral("it is not a file"));
    const ReadOnlyConnection db(m_path);
    if (db.rc() != SQLITE_OK)
        return Result::failure(db.describe(db.rc()));
    // The first read of the file takes the shared lock: a file held by another program, or one
    // that is no database, fails here.
    if (const QString table = checkTable(db.handle(), [&](int rc) { return db.describe(rc); });
        !table.isEmpty())
        return Result::failure(table);

    // Field names come from the field table, never from the caller; the values are bound.
    QString sql = QStringLiteral("SELECT ") + storedNameList() + QStringLiteral(" FROM Sales");
    for (qsizetype i = 0; i < conditions.size(); ++i) {
        const int field = conditions[i].first;
        if (field < 0 || field >= Count)
            return Result::failure(QStringLiteral("a condition names no field"));
        sql += (i ? QStringLiteral(" AND ") : QStringLiteral(" WHERE ")) +
               QLatin1String(Fields[static_cast<size_t>(field)].storedName) +
               QStringLiteral(" = ?");
    }
    sql += QStringLiteral(" ORDER BY rowid");
    const QByteArray statementText = sql.toUtf8();
    SqlStatement statement(db.handle(), statementText.constData());
    if (!statement.ok())
        return Result::failure(db.describe(statement.rc()));
    for (qsizetype i = 0; i < conditions.size(); ++i)
        statement.bindText(static_cast<int>(i + 1), conditions[i].second);

    std::vector<StoredTexts> records;
    QSet<qint64> numbers;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        // As an open reads the file: a record without a record number is left out, any other
        // empty (NULL) field reads as "".
        if (sqlite3_column_type(statement.get(), RecordNumber) == SQLITE_NULL)
            continue;
        const qint64 number = sqlite3_column_int64(statement.get(), RecordNumber);
        if (numbers.contains(number))
            continue;
        numbers.insert(number);
        StoredTexts& record = records.emplace_back();
        for (int i = 0; i < Count; ++i) {
            if (sqlite3_column_type(statement.get(), i) != SQLITE_NULL)
                record[static_cast<size_t>(i)] = textColumn(statement.get(), i);
        }
    }
    if (rc != SQLITE_DONE)
        return Result::failure(db.describe(rc));
    return records;
}

ResultValue<qint64> SalesFileStore::highestRecordNumber(SalesFile& file) {
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

ResultValue<SalesStore::NewRecord> SalesFileStore::add(const Opportunity& opportunity,
                                                       qint32 highestKnown) {
    const QString where = QStringLiteral("Could not add the opportunity to %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_path, cause));
    };
    const QString noNumberLeft = QStringLiteral("no record number is left");
    if (const QString tooLong = SalesSchema::checkSizes(opportunity); !tooLong.isEmpty())
        return failure(tooLong);

    SalesFile file(m_path, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return failure(file.error());
    // Another program (or another window on the same file) may have added records since the
    // open: the new number follows the highest of the file and of the collection.
    const auto inFile = highestRecordNumber(file);
    if (!inFile)
        return failure(inFile.message());
    const qint64 highest = std::max<qint64>(*inFile, highestKnown);
    if (highest >= std::numeric_limits<qint32>::max())
        return failure(noNumberLeft);
    Opportunity numbered(opportunity);
    numbered.setRecordNumber(static_cast<qint32>(highest + 1));

    const QDateTime now = QDateTime::currentDateTime();
    const auto rowId = insertOne(file, numbered, now.toString(StoredDateTimeFormat));
    if (!rowId)
        return failure(rowId.message());
    if (!file.commit())
        return failure(file.error());
    return NewRecord{numbered.recordNumber(), *rowId, LocaleText::generalDateTime(now)};
}

ResultValue<std::vector<SalesStore::NewRecord>>
SalesStore::addAll(const std::vector<const Opportunity*>& items, qint32 highestKnown,
                   const Describe& describe) {
    size_t next = 0;
    return addAll(
        [&]() -> ResultValue<const Opportunity*> {
            return next < items.size() ? items[next++] : nullptr;
        },
        highestKnown, describe);
}

ResultValue<std::vector<SalesStore::NewRecord>>
SalesFileStore::addAll(const Source& next, qint32 highestKnown, const Describe& describe) {
    const QString failed = QStringLiteral("Could not add the opportunities to %1: %2");
    const auto fail = [&](const QString& cause) {
        return Result::failure(failed.arg(m_path, cause) + QStringLiteral(" Nothing was added."));
    };
    // Nothing to add leaves the file alone.
    auto item = next();
    if (!item)
        return item.result();
    if (!*item)
        return std::vector<NewRecord>();

    SalesFile file(m_path, SalesFile::Mode::Existing);
    if (!file.isOpen() || !file.hasSalesTable())
        return fail(file.error() + QLatin1Char('.'));
    SqlStatement highestInFile(file.handle(),
                               "SELECT max(CAST(RecordNumber AS INTEGER)) FROM Sales WHERE "
                               "CAST(RecordNumber AS INTEGER) BETWEEN -2147483648 AND 2147483647");
    if (!highestInFile.ok() || sqlite3_step(highestInFile.get()) != SQLITE_ROW) {
        file.takeError(sqlite3_errcode(file.handle()));
        return fail(file.error() + QLatin1Char('.'));
    }
    const qint64 first =
        std::max({sqlite3_column_int64(highestInFile.get(), 0), qint64(highestKnown), qint64(0)}) +
        1;

    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray created = now.toString(StoredDateTimeFormat).toUtf8();
    SqlStatement insert(file.handle(), statements().insert.constData());
    if (!insert.ok()) {
        file.takeError(insert.rc());
        return fail(file.error() + QLatin1Char('.'));
    }
    sqlite3_stmt* s = insert.get();
    sqlite3_bind_text(s, 1 + DateCreated, created.constData(), static_cast<int>(created.size()),
                      SQLITE_STATIC);
    std::array<QByteArray, Count> keep;
    std::vector<NewRecord> added;
    const QString createdText = LocaleText::generalDateTime(now);
    // Whatever fails on the way leaves the transaction uncommitted: the file rolls it back.
    for (size_t i = 0; *item; ++i) {
        const Opportunity& o = **item;
        if (mayBeTooLong(o)) {
            if (const QString tooLong = SalesSchema::checkSizes(o); !tooLong.isEmpty())
                return fail(describe(i) + QStringLiteral(": ") + tooLong + QLatin1Char('.'));
        }
        const qint64 number = first + static_cast<qint64>(i);
        if (number > std::numeric_limits<qint32>::max())
            return fail(describe(i) + QStringLiteral(": no record number is left."));
        sqlite3_bind_int(s, 1 + RecordNumber, static_cast<qint32>(number));
        for (const Info& field : Fields) {
            if (field.field != DateCreated && isText(field.field))
                bindKept(s, field.field + 1, o.text(field.field), keep[field.field]);
        }
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_DONE) {
            file.takeError(rc);
            return fail(describe(i) + QStringLiteral(": ") + file.error() + QLatin1Char('.'));
        }
        added.push_back(
            {static_cast<qint32>(number), sqlite3_last_insert_rowid(file.handle()), createdText});
        sqlite3_reset(s);
        item = next();
        if (!item)
            return item.result();
    }
    if (!file.commit())
        return fail(file.error() + QLatin1Char('.'));
    return added;
}

ResultValue<std::optional<qint64>> SalesFileStore::update(const Opportunity& opportunity) {
    const QString where = QStringLiteral("Could not save the opportunity in %1: %2");
    if (const QString tooLong = SalesSchema::checkSizes(opportunity); !tooLong.isEmpty())
        return Result::failure(where.arg(m_path, tooLong));
    if (const Result changed = changeOne(opportunity, Change::Update, where); !changed)
        return changed;
    return opportunity.rowId();
}

Result SalesFileStore::remove(const Opportunity& opportunity) {
    return changeOne(opportunity, Change::Remove,
                     QStringLiteral("Could not delete the opportunity from %1: %2"));
}

Result SalesFileStore::changeOne(const Opportunity& opportunity, Change change,
                                 const QString& where) {
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_path, cause));
    };
    SalesFile file(m_path, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return failure(file.error());
    // The record it was read from: by its row where the file gave one, else by its number.
    const auto row = opportunity.rowId();
    const Statements& sql = statements();
    const QByteArray& text = change == Change::Update
                                 ? (row ? sql.updateByRow : sql.updateByNumber)
                                 : (row ? sql.removeByRow : sql.removeByNumber);
    SqlStatement statement(file.handle(), text.constData());
    if (!statement.ok()) {
        file.takeError(statement.rc());
        return failure(file.error());
    }
    if (change == Change::Update)
        bindRecord(statement, opportunity);
    else
        sqlite3_bind_int(statement.get(), 1, opportunity.recordNumber());
    if (row)
        sqlite3_bind_int64(statement.get(), 20, *row);
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_DONE) {
        file.takeError(rc);
        return failure(file.error());
    }
    if (const QString changed = changedOne(file.handle(), opportunity.recordNumber());
        !changed.isEmpty())
        return failure(changed);
    if (!file.commit())
        return failure(file.error());
    return {};
}

ResultValue<SalesStore::NewRecord> SalesFileStore::restore(const Opportunity& opportunity) {
    const QString where = QStringLiteral("Could not put the opportunity back into %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_path, cause));
    };
    if (const QString tooLong = SalesSchema::checkSizes(opportunity); !tooLong.isEmpty())
        return failure(tooLong);
    SalesFile file(m_path, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return failure(file.error());
    const auto rowId = insertRemoved(file, opportunity, storedCreation(opportunity.dateCreated()));
    if (!rowId)
        return failure(rowId.message());
    if (!file.commit())
        return failure(file.error());
    return NewRecord{opportunity.recordNumber(), *rowId, opportunity.dateCreated()};
}

ResultValue<qint64> SalesFileStore::insertRemoved(SalesFile& file, const Opportunity& opportunity,
                                                  const QString& storedCreated) {
    {
        SqlStatement taken(file.handle(),
                           "SELECT 1 FROM Sales WHERE CAST(RecordNumber AS INTEGER) = ?1");
        if (!taken.ok()) {
            file.takeError(taken.rc());
            return Result::failure(file.error());
        }
        sqlite3_bind_int(taken.get(), 1, opportunity.recordNumber());
        const int rc = sqlite3_step(taken.get());
        if (rc == SQLITE_ROW)
            return Result::failure(takenMessage(opportunity.recordNumber()));
        if (rc != SQLITE_DONE) {
            file.takeError(rc);
            return Result::failure(file.error());
        }
    }
    return insertOne(file, opportunity, storedCreated);
}

Result SalesFileStore::removeAll(const std::vector<const Opportunity*>& items) {
    const QString where = QStringLiteral("Could not delete the opportunities from %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_path, cause) + QStringLiteral(" Nothing was deleted."));
    };
    if (items.empty())
        return {};
    SalesFile file(m_path, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return failure(file.error() + QLatin1Char('.'));
    const Statements& sql = statements();
    SqlStatement byRow(file.handle(), sql.removeByRow.constData());
    SqlStatement byNumber(file.handle(), sql.removeByNumber.constData());
    if (!byRow.ok() || !byNumber.ok()) {
        file.takeError(byRow.ok() ? byNumber.rc() : byRow.rc());
        return failure(file.error() + QLatin1Char('.'));
    }
    // Whatever fails on the way leaves the transaction uncommitted: the file rolls it back.
    for (const Opportunity* item : items) {
        const auto row = item->rowId();
        sqlite3_stmt* s = row ? byRow.get() : byNumber.get();
        sqlite3_bind_int(s, 1, item->recordNumber());
        if (row)
            sqlite3_bind_int64(s, 20, *row);
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_DONE) {
            file.takeError(rc);
            return failure(file.error() + QLatin1Char('.'));
        }
        if (const QString changed = changedOne(file.handle(), item->recordNumber());
            !changed.isEmpty())
            return failure(changed + QLatin1Char('.'));
        sqlite3_reset(s);
    }
    if (!file.commit())
        return failure(file.error() + QLatin1Char('.'));
    return {};
}

ResultValue<std::vector<SalesStore::NewRecord>>
SalesFileStore::restoreAll(const std::vector<const Opportunity*>& items) {
    const QString where = QStringLiteral("Could not put the opportunities back into %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_path, cause) + QStringLiteral(". Nothing was added."));
    };
    std::vector<NewRecord> added;
    if (items.empty())
        return added;
    SalesFile file(m_path, SalesFile::Mode::Existing);
    if (!file.isOpen())
        return failure(file.error());
    added.reserve(items.size());
    // The numbers in the file, read once: another program may have taken one of them.
    QSet<qint64> taken;
    {
        SqlStatement numbers(file.handle(), "SELECT CAST(RecordNumber AS INTEGER) FROM Sales");
        if (!numbers.ok()) {
            file.takeError(numbers.rc());
            return failure(file.error());
        }
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(numbers.get())) == SQLITE_ROW)
            taken.insert(sqlite3_column_int64(numbers.get(), 0));
        if (rc != SQLITE_DONE) {
            file.takeError(rc);
            return failure(file.error());
        }
    }
    SqlStatement insert(file.handle(), statements().insert.constData());
    if (!insert.ok()) {
        file.takeError(insert.rc());
        return failure(file.error());
    }
    // A merge's records share few creation times: each is converted once.
    QHash<QString, QString> created;
    for (const Opportunity* item : items) {
        if (mayBeTooLong(*item)) {
            if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
                return failure(tooLong);
        }
        if (taken.contains(item->recordNumber()))
            return failure(takenMessage(item->recordNumber()));
        taken.insert(item->recordNumber());
        auto stored = created.find(item->dateCreated());
        if (stored == created.end())
            stored = created.insert(item->dateCreated(), storedCreation(item->dateCreated()));
        bindRecord(insert, *item);
        insert.bindText(1 + DateCreated, *stored);
        if (const int rc = sqlite3_step(insert.get()); rc != SQLITE_DONE) {
            file.takeError(rc);
            return failure(file.error());
        }
        sqlite3_reset(insert.get());
        added.push_back(
            {item->recordNumber(), sqlite3_last_insert_rowid(file.handle()), item->dateCreated()});
    }
    if (!file.commit())
        return failure(file.error());
    return added;
}

ResultValue<std::vector<SalesStore::NewRecord>>
SalesFileStore::changeAll(const Changes& changes, qint32 highestKnown, const Describe& describe,
                          const ProgressCallback& progress) {
    const QString where = QStringLiteral("Could not write the changes to %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_path, cause) + QStringLiteral(" Nothing was changed."));
    };
    const auto failureAt = [&](size_t index, const QString& cause) {
        return failure(describe(index) + QStringLiteral(": ") + cause + QLatin1Char('.'));
    };
    std::vector<NewRecord> added;
    const size_t total = changes.removals.size() + changes.updates.size() +
                         changes.restorations.size() + changes.additions.size();
    if (total == 0)
        return added;
    SalesFile file(m_path, SalesFile::Mode::Existing);
    if (!file.isOpen() || !file.hasSalesTable())
        return failure(file.error() + QLatin1Char('.'));
    const auto engineFailure = [&](int rc) {
        file.takeError(rc);
        return file.error();
    };
    size_t done = 0;
    // Whatever fails or is cancelled on the way leaves the transaction uncommitted: the file
    // rolls it back.
    const auto advance = [&]() {
        ++done;
        return !progress || done % 256 != 0 || progress(qint64(done), qint64(total));
    };
    const Statements& sql = statements();

    if (!changes.removals.empty()) {
        SqlStatement byRow(file.handle(), sql.removeByRow.constData());
        SqlStatement byNumber(file.handle(), sql.removeByNumber.constData());
        if (!byRow.ok() || !byNumber.ok())
            return failure(engineFailure(byRow.ok() ? byNumber.rc() : byRow.rc()) +
                           QLatin1Char('.'));
        for (const Opportunity* item : changes.removals) {
            const auto row = item->rowId();
            sqlite3_stmt* s = row ? byRow.get() : byNumber.get();
            sqlite3_bind_int(s, 1, item->recordNumber());
            if (row)
                sqlite3_bind_int64(s, 20, *row);
            if (const int rc = sqlite3_step(s); rc != SQLITE_DONE)
                return failure(engineFailure(rc) + QLatin1Char('.'));
            if (const QString changed = changedOne(file.handle(), item->recordNumber());
                !changed.isEmpty())
                return failure(changed + QLatin1Char('.'));
            sqlite3_reset(s);
            if (!advance())
                return Result::cancelled();
        }
    }

    size_t index = 0;
    if (!changes.updates.empty()) {
        SqlStatement byRow(file.handle(), sql.updateByRow.constData());
        SqlStatement byNumber(file.handle(), sql.updateByNumber.constData());
        if (!byRow.ok() || !byNumber.ok())
            return failure(engineFailure(byRow.ok() ? byNumber.rc() : byRow.rc()) +
                           QLatin1Char('.'));
        for (const Opportunity* item : changes.updates) {
            if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
                return failureAt(index, tooLong);
            const auto row = item->rowId();
            SqlStatement& statement = row ? byRow : byNumber;
            bindRecord(statement, *item);
            if (row)
                sqlite3_bind_int64(statement.get(), 20, *row);
            if (const int rc = sqlite3_step(statement.get()); rc != SQLITE_DONE)
                return failureAt(index, engineFailure(rc));
            if (const QString changed = changedOne(file.handle(), item->recordNumber());
                !changed.isEmpty())
                return failureAt(index, changed);
            sqlite3_reset(statement.get());
            ++index;
            if (!advance())
                return Result::cancelled();
        }
    }

    SqlStatement insert(file.handle(), sql.insert.constData());
    if (!insert.ok())
        return failure(engineFailure(insert.rc()) + QLatin1Char('.'));
    added.reserve(changes.restorations.size() + changes.additions.size());
    if (!changes.restorations.empty()) {
        SqlStatement taken(file.handle(),
                           "SELECT 1 FROM Sales WHERE CAST(RecordNumber AS INTEGER) = ?1");
        if (!taken.ok())
            return failure(engineFailure(taken.rc()) + QLatin1Char('.'));
        QHash<QString, QString> created;
        for (const Opportunity* item : changes.restorations) {
            if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
                return failureAt(index, tooLong);
            sqlite3_bind_int(taken.get(), 1, item->recordNumber());
            const int found = sqlite3_step(taken.get());
            if (found == SQLITE_ROW)
                return failureAt(index, takenMessage(item->recordNumber()));
            if (found != SQLITE_DONE)
                return failureAt(index, engineFailure(found));
            sqlite3_reset(taken.get());
            auto stored = created.find(item->dateCreated());
            if (stored == created.end())
                stored = created.insert(item->dateCreated(), storedCreation(item->dateCreated()));
            bindRecord(insert, *item);
            insert.bindText(1 + DateCreated, *stored);
            if (const int rc = sqlite3_step(insert.get()); rc != SQLITE_DONE)
                return failureAt(index, engineFailure(rc));
            sqlite3_reset(insert.get());
            added.push_back({item->recordNumber(), sqlite3_last_insert_rowid(file.handle()),
                             item->dateCreated()});
            ++index;
            if (!advance())
                return Result::cancelled();
        }
    }

    if (!changes.additions.empty()) {
        const auto inFile = highestRecordNumber(file);
        if (!inFile)
            return failure(inFile.message() + QLatin1Char('.'));
        const qint64 first = std::max<qint64>({*inFile, qint64(highestKnown), 0}) + 1;
        const QDateTime now = QDateTime::currentDateTime();
        const QByteArray createdBytes = now.toString(StoredDateTimeFormat).toUtf8();
        const QString createdText = LocaleText::generalDateTime(now);
        sqlite3_stmt* s = insert.get();
        std::array<QByteArray, Count> keep;
        for (size_t i = 0; i < changes.additions.size(); ++i) {
            const Opportunity& o = *changes.additions[i];
            if (mayBeTooLong(o)) {
                if (const QString tooLong = SalesSchema::checkSizes(o); !tooLong.isEmpty())
                    return failureAt(index, tooLong);
            }
            const qint64 number = first + static_cast<qint64>(i);
            if (number > std::numeric_limits<qint32>::max())
                return failureAt(index, QStringLiteral("no record number is left"));
            sqlite3_bind_int(s, 1 + RecordNumber, static_cast<qint32>(number));
            sqlite3_bind_text(s, 1 + DateCreated, createdBytes.constData(),
                              static_cast<int>(createdBytes.size()), SQLITE_STATIC);
            for (const Info& field : Fields) {
                if (field.field != DateCreated && isText(field.field))
                    bindKept(s, field.field + 1, o.text(field.field), keep[field.field]);
            }
            if (const int rc = sqlite3_step(s); rc != SQLITE_DONE)
                return failureAt(index, engineFailure(rc));
            sqlite3_reset(s);
            added.push_back({static_cast<qint32>(number), sqlite3_last_insert_rowid(file.handle()),
                             createdText});
            ++index;
            if (!advance())
                return Result::cancelled();
        }
    }
    if (progress && !progress(qint64(total), qint64(total)))
        return Result::cancelled();
    if (!file.commit())
        return failure(file.error() + QLatin1Char('.'));
    return added;
}

ResultValue<qint64> SalesFileStore::insertOne(SalesFile& file, const Opportunity& opportunity,
                                              const QString& storedCreated) {
    SqlStatement insert(file.handle(), statements().insert.constData());
    if (!insert.ok()) {
        file.takeError(insert.rc());
        return Result::failure(file.error());
    }
    bindRecord(insert, opportunity);
    insert.bindText(1 + DateCreated, storedCreated);
    if (const int rc = sqlite3_step(insert.get()); rc != SQLITE_DONE) {
        file.takeError(rc);
        return Result::failure(file.error());
    }
    return sqlite3_last_insert_rowid(file.handle());
}

Result SalesFileStore::backupTo(const QString& target, const ProgressCallback& progress) {
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && !targetInfo.isFile())
        return Result::failure(QStringLiteral("%1 exists and is not a regular file").arg(target));
    QString temporaryPath;
    {
        QTemporaryFile temporary(
            targetInfo.absoluteDir().filePath(QStringLiteral(".corvane-save-XXXXXX")));
        if (!temporary.open())
            return Result::failure(temporary.errorString());
        temporaryPath = temporary.fileName();
        temporary.setAutoRemove(false);
    }
    QString error;
    bool cancelled = false;
    {
        const ReadOnlyConnection from(m_path);
        sqlite3* to = nullptr;
        const int opened = SalesFile::openDefensively(
            temporaryPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE,
            &to);
        if (from.rc() != SQLITE_OK) {
            error = from.describe(from.rc());
        } else if (opened != SQLITE_OK) {
            error = SalesFile::describe(opened, to ? sqlite3_errmsg(to) : sqlite3_errstr(opened));
        } else if (const int rc = copyPages(from.handle(), to, progress, &cancelled);
                   rc != SQLITE_OK) {
            error = SalesFile::describe(rc, sqlite3_errmsg(to));
        }
        sqlite3_close(to);
    }
    if (cancelled) {
        QFile::remove(temporaryPath);
        return Result::cancelled();
    }
    if (error.isEmpty()) {
        QFile::setPermissions(temporaryPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ReadGroup | QFileDevice::ReadOther);
        error = renameOver(temporaryPath, target);
    }
    if (!error.isEmpty()) {
        QFile::remove(temporaryPath);
        return Result::failure(error);
    }
    return {};
}
