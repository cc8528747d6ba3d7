#include "store/CVN_Database.h"

#include "platform/LocaleText.h"
#include "platform/UiServices.h"
#include "store/SalesFile.h"
#include "store/SalesSchema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <array>
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

// The UTF-8 bytes of a text column, read without a copy when the file itself stores UTF-8
// (sqlite3_column_text copies every value to add a terminator). Null data for NULL.
struct ColumnBytes {
    const char* data = nullptr;
    int size = 0;
};
ColumnBytes columnBytes(sqlite3_stmt* s, int column, bool utf8File) {
    const void* data = utf8File ? sqlite3_column_blob(s, column) : sqlite3_column_text(s, column);
    // No data is NULL or an empty value; only then is the type worth asking for.
    if (!data)
        return sqlite3_column_type(s, column) == SQLITE_NULL ? ColumnBytes{} : ColumnBytes{"", 0};
    return {static_cast<const char*>(data), sqlite3_column_bytes(s, column)};
}

// Whether the open file keeps its texts in UTF-8 (files may come from anywhere).
bool storesUtf8(sqlite3* db) {
    Statement encoding(db, "PRAGMA encoding");
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

// Texts that repeat from record to record (stage, probability, forecast, month names, source,
// companies, contacts, products...) are converted once per open and then shared by every
// opportunity that has them (implicit sharing): a large file takes about half the memory
// and most conversions are skipped. Long texts (descriptions, notes) are converted each time.
class SharedTexts {
public:
    explicit SharedTexts(bool utf8File) : m_utf8File(utf8File) {}

    QString read(sqlite3_stmt* s, int column) {
        const auto [text, size] = columnBytes(s, column, m_utf8File);
        if (!text)
            return QString();
        if (size > MaxSharedBytes)
            return QString::fromUtf8(text, size);
        auto& texts = m_texts[static_cast<size_t>(column)];
        const std::string_view bytes(text, static_cast<size_t>(size));
        if (const auto found = texts.find(bytes); found != texts.end())
            return found->second;
        QString converted = QString::fromUtf8(text, size);
        // A column whose texts hardly repeat stops collecting.
        if (texts.size() < MaxDistinctPerColumn)
            texts.emplace(std::string(bytes), converted);
        return converted;
    }

private:
    static constexpr int MaxSharedBytes = 32;
    static constexpr size_t MaxDistinctPerColumn = 4096;

    struct BytesHash {
        using is_transparent = void;
        size_t operator()(std::string_view bytes) const {
            return std::hash<std::string_view>{}(bytes);
        }
    };
    bool m_utf8File;
    std::array<std::unordered_map<std::string, QString, BytesHash, std::equal_to<>>, 19> m_texts;
};

// The text of a time as QLocale::toString(time, format) gives it, without going through the
// pattern for every record. Knows the pattern letters of time texts (h, hh, H, HH, m, mm, s,
// ss, AP, ap, A, a) and quoted text; with any other pattern, or should its texts differ from
// the locale's for a sample of times, every time is left to the locale.
class TimeText {
public:
    TimeText(const QLocale& locale, const QString& format) : m_locale(locale), m_format(format) {
        m_compiled = compile() && agreesWithLocale();
    }

    // Appends the text of `time` to `out`.
    void appendTo(QString& out, const QTime& time) const {
        if (!m_compiled) {
            out.append(m_locale.toString(time, m_format));
            return;
        }
        for (const Piece& piece : m_pieces) {
            int value = 0;
            switch (piece.kind) {
            case Kind::Literal:
                out.append(piece.text);
                continue;
            case Kind::AmPm:
                out.append(time.hour() < 12 ? piece.text : piece.other);
                continue;
            case Kind::Hour12:
                value = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
                break;
            case Kind::Hour24:
                value = time.hour();
                break;
            case Kind::Minute:
                value = time.minute();
                break;
            case Kind::Second:
                value = time.second();
                break;
            }
            if (value >= 10 || piece.width == 2)
                out.append(QChar(u'0' + value / 10));
            out.append(QChar(u'0' + value % 10));
        }
    }
    // The most characters a text can have.
    qsizetype maxSize() const { return m_compiled ? m_size : 64; }

private:
    enum class Kind { Literal, Hour12, Hour24, Minute, Second, AmPm };
    struct Piece {
        Kind kind;
        int width = 1;
        QString text;  // the literal, or the morning text
        QString other; // the afternoon text
    };

    bool compile() {
        const QString& f = m_format;
        const qsizetype n = f.size();
        bool hasAmPm = false;
        for (qsizetype i = 0, quoted = 0; i < n; ++i) {
            if (f[i] == QLatin1Char('\''))
                quoted ^= 1;
            else if (!quoted && (f[i] == QLatin1Char('a') || f[i] == QLatin1Char('A')))
                hasAmPm = true;
        }
        for (qsizetype i = 0; i < n;) {
            const QChar c = f[i];
            if (c == QLatin1Char('\'')) {
                // 'text' is literal; '' is a quote, inside quoted text too.
                QString literal;
                if (i + 1 < n && f[i + 1] == QLatin1Char('\'')) {
                    literal = QStringLiteral("'");
                    i += 2;
                } else {
                    for (++i; i < n; ++i) {
                        if (f[i] != QLatin1Char('\''))
                            literal.append(f[i]);
                        else if (i + 1 < n && f[i + 1] == QLatin1Char('\''))
                            literal.append(f[++i]);
                        else
                            break;
                    }
                    ++i;
                }
                m_pieces.push_back({Kind::Literal, 1, literal, {}});
            } else if (c == QLatin1Char('h') || c == QLatin1Char('H') || c == QLatin1Char('m') ||
                       c == QLatin1Char('s')) {
                const int width = i + 1 < n && f[i + 1] == c ? 2 : 1;
                const Kind kind = c == QLatin1Char('m')              ? Kind::Minute
                                  : c == QLatin1Char('s')            ? Kind::Second
                                  : c == QLatin1Char('h') && hasAmPm ? Kind::Hour12
                                                                     : Kind::Hour24;
                m_pieces.push_back({kind, width, {}, {}});
                i += width;
            } else if (c == QLatin1Char('a') || c == QLatin1Char('A')) {
                const bool lower = c == QLatin1Char('a');
                const QString am = m_locale.amText();
                const QString pm = m_locale.pmText();
                m_pieces.push_back({Kind::AmPm, 1, lower ? am.toLower() : am.toUpper(),
                                    lower ? pm.toLower() : pm.toUpper()});
                i += i + 1 < n && (f[i + 1] == QLatin1Char('p') || f[i + 1] == QLatin1Char('P'))
                         ? 2
                         : 1;
            } else if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                       (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
                return false; // milliseconds, time zones and the like: the locale's business
            } else {
                m_pieces.push_back({Kind::Literal, 1, QString(c), {}});
                ++i;
            }
        }
        m_size = 0;
        for (const Piece& piece : m_pieces)
            m_size += std::max<qsizetype>({2, piece.text.size(), piece.other.size()});
        return true;
    }

    bool agreesWithLocale() {
        m_compiled = true;
        for (int hour = 0; hour < 24; ++hour) {
            for (const auto& [minute, second] : {std::pair{0, 0}, {7, 9}, {59, 59}}) {
                const QTime time(hour, minute, second);
                QString text;
                appendTo(text, time);
                if (text != m_locale.toString(time, m_format))
                    return false;
            }
        }
        return true;
    }

    QLocale m_locale;
    QString m_format;
    bool m_compiled = false;
    std::vector<Piece> m_pieces;
    qsizetype m_size = 0;
};

// DateCreated as the locale's general date-and-time text; a stored text that is no date and
// time stays as it is.
class DateCreatedReader {
public:
    explicit DateCreatedReader(bool utf8File) : m_utf8File(utf8File) {
        // The general text is the short date, a blank and the long time, so the date and the
        // time can be formatted apart: each date once, and no time-zone work per record. Should
        // a locale's patterns not split that way, every record takes the general path.
        const QString dateFormat = LocaleText::shortDateFormat();
        if (m_format.startsWith(dateFormat + QLatin1Char(' '))) {
            m_dateFormat = dateFormat;
            m_time = std::make_unique<TimeText>(m_locale, m_format.mid(dateFormat.size() + 1));
            const QDateTime probe(QDate(2004, 12, 31), QTime(23, 59, 58));
            m_split = m_locale.toString(probe, m_format) == formatApart(probe.date(), probe.time());
        }
    }

    QString read(sqlite3_stmt* s, int column) {
        if (m_split) {
            const auto [text, size] = columnBytes(s, column, m_utf8File);
            QDate date;
            QTime time;
            if (text && parseExact(std::string_view(text, static_cast<size_t>(size)), date, time)) {
                if (QString general = formatApart(date, time); !general.isNull())
                    return general;
            }
        }
        const QString stored = textColumn(s, column);
        const QDateTime when = parse(stored);
        return when.isValid() ? m_locale.toString(when, m_format) : stored;
    }

private:
    // "YYYY-MM-DD HH:MM:SS" (or with "T") and "YYYY-MM-DD", as this program writes them, with
    // a valid date and time; anything else is left to parse().
    static bool parseExact(std::string_view text, QDate& date, QTime& time) {
        if (text.size() != 10 && text.size() != 19)
            return false;
        const auto number = [&](size_t at, size_t digits, int& value) {
            value = 0;
            for (size_t i = at; i < at + digits; ++i) {
                if (text[i] < '0' || text[i] > '9')
                    return false;
                value = value * 10 + (text[i] - '0');
            }
            return true;
        };
        int year, month, day, hour = 0, minute = 0, second = 0;
        if (!number(0, 4, year) || text[4] != '-' || !number(5, 2, month) || text[7] != '-' ||
            !number(8, 2, day))
            return false;
        if (text.size() == 19 &&
            ((text[10] != ' ' && text[10] != 'T') || !number(11, 2, hour) || text[13] != ':' ||
             !number(14, 2, minute) || text[16] != ':' || !number(17, 2, second)))
            return false;
        date = QDate(year, month, day);
        time = QTime(hour, minute, second);
        return year > 0 && date.isValid() && time.isValid();
    }

    // The general text of a date and time; null on days on which the local clock changes
    // (those take the general path, which knows the local time zone).
    QString formatApart(const QDate& date, const QTime& time) {
        auto found = m_dates.constFind(date.toJulianDay());
        if (found == m_dates.constEnd()) {
            const bool clockChanges = QDateTime(date, QTime(0, 0)).offsetFromUtc() !=
                                      QDateTime(date.addDays(1), QTime(0, 0)).offsetFromUtc();
            found =
                m_dates.insert(date.toJulianDay(),
                               clockChanges ? QString() : m_locale.toString(date, m_dateFormat));
        }
        if (found->isNull())
            return QString();
        QString text;
        text.reserve(found->size() + 1 + m_time->maxSize());
        text.append(*found).append(QLatin1Char(' '));
        m_time->appendTo(text, time);
        return text;
    }

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

    bool m_utf8File;
    QLocale m_locale;
    QString m_format = LocaleText::generalDateTimeFormat();
    bool m_split = false;
    QString m_dateFormat;
    std::unique_ptr<TimeText> m_time;
    QHash<qint64, QString> m_dates;
};

// How many records an open will most likely read, to size the collection once: the highest
// row id, within the data model's limit. 0 when the engine cannot tell.
qint32 expectedRecords(sqlite3* db) {
    Statement highest(db, "SELECT max(rowid) FROM Sales");
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

    Statement select(file.handle(), SelectAllSql);
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
