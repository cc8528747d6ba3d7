#include "store/SalesServerStore.h"

#include "platform/LocaleText.h"
#include "store/Libpq.h"
#include "store/SalesSchema.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTemporaryFile>
#include <QTimeZone>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <cerrno>
#include <filesystem>
#include <libpq-fe.h>
#ifdef _WIN32
#include <winsock2.h>
#define poll WSAPoll
#else
#include <poll.h>
#endif

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <poll.h>
#endif

namespace {

using namespace OpportunityFields;

// The seventeen fields that a client writes as texts: all but RecordNumber and DateCreated, in
// stored order. Statements name them as $1 to $17.
constexpr int WrittenCount = Count - 2;
const std::array<Field, WrittenCount>& writtenFields() {
    static const auto fields = [] {
        std::array<Field, WrittenCount> list{};
        size_t next = 0;
        for (const Info& field : Fields) {
            if (field.field != RecordNumber && field.field != DateCreated)
                list[next++] = field.field;
        }
        return list;
    }();
    return fields;
}

// The creation time as seconds since the epoch (text results read it in any server time zone).
const QString CreatedSeconds = QStringLiteral("floor(extract(epoch FROM DateCreated))::bigint");

// The statements of the store, built from the field table once.
struct Statements {
    QByteArray select;      // RowVersion, then the fields in stored order
    QByteArray insertNew;   // $1..$17; numbered by the sequence
    QByteArray insertKept;  // $1..$17, $18 record number, $19 creation time (epoch seconds)
    QByteArray insertDated; // $1..$17, $18 creation time; numbered by the sequence
    QByteArray update;      // $1..$17, $18 record number, $19 row version read (or NULL)
    QByteArray remove;      // $1 record number, $2 row version read (or NULL)
    QByteArray current;     // $1 record number: who changed it last, when, and its fields
    QByteArray removedBy;   // $1 record number: who deleted it last, and when

    Statements() {
        QString fields;
        QString names;
        QString values;
        QString assignments;
        for (const Info& field : Fields) {
            const QString name = QLatin1String(field.storedName);
            fields += (fields.isEmpty() ? QString() : QStringLiteral(", ")) +
                      (field.field == DateCreated ? CreatedSeconds : name);
        }
        const auto& written = writtenFields();
        for (size_t i = 0; i < written.size(); ++i) {
            const QString name = QLatin1String(info(written[i]).storedName);
            const QString parameter = QStringLiteral("$%1").arg(i + 1);
            const QString separator = i ? QStringLiteral(", ") : QString();
            names += separator + name;
            values += separator + parameter;
            assignments += separator + name + QStringLiteral(" = ") + parameter;
        }
        select = QStringLiteral("SELECT RowVersion, %1 FROM Sales ORDER BY RecordNumber")
                     .arg(fields)
                     .toUtf8();
        insertNew = QStringLiteral("INSERT INTO Sales (%1) VALUES (%2) RETURNING RecordNumber, "
                                   "RowVersion, %3")
                        .arg(names, values, CreatedSeconds)
                        .toUtf8();
        insertKept = QStringLiteral("INSERT INTO Sales (%1, RecordNumber, DateCreated) VALUES "
                                    "(%2, $18, to_timestamp($19::bigint)) ON CONFLICT "
                                    "(RecordNumber) DO NOTHING RETURNING RowVersion")
                         .arg(names, values)
                         .toUtf8();
        insertDated = QStringLiteral("INSERT INTO Sales (%1, DateCreated) VALUES (%2, "
                                     "to_timestamp($18::bigint)) RETURNING RecordNumber")
                          .arg(names, values)
                          .toUtf8();
        update = QStringLiteral("UPDATE Sales SET %1, RowVersion = RowVersion + 1, ChangedBy = "
                                "current_user, ChangedAt = now() WHERE RecordNumber = $18 AND "
                                "($19::bigint IS NULL OR RowVersion = $19) RETURNING RowVersion")
                     .arg(assignments)
                     .toUtf8();
        remove = "DELETE FROM Sales WHERE RecordNumber = $1 AND ($2::bigint IS NULL OR "
                 "RowVersion = $2)";
        current = QStringLiteral("SELECT ChangedBy, floor(extract(epoch FROM ChangedAt))::bigint, "
                                 "RowVersion, CreatedBy, %1 FROM Sales WHERE RecordNumber = $1")
                      .arg(fields)
                      .toUtf8();
        removedBy = "SELECT RemovedBy, floor(extract(epoch FROM RemovedAt))::bigint FROM "
                    "SalesRemoved WHERE RecordNumber = $1 ORDER BY RemovedAt DESC LIMIT 1";
    }
};

const Statements& statements() {
    static const Statements sql;
    return sql;
}

// The tables of schema version 1.
QStringList versionOne() {
    QString table = QStringLiteral("CREATE TABLE Sales (");
    for (const Info& field : Fields) {
        const QString name = QLatin1String(field.storedName);
        switch (field.type) {
        case Type::Integer:
            table += name + QStringLiteral(" integer PRIMARY KEY DEFAULT "
                                           "nextval('SalesRecordNumber'), ");
            break;
        case Type::DateTime:
            table += name + QStringLiteral(" timestamptz DEFAULT now(), ");
            break;
        case Type::Text:
            table += name + QStringLiteral(" varchar(%1), ").arg(field.size);
            break;
        }
    }
    table += QStringLiteral("RowVersion bigint NOT NULL DEFAULT 1, "
                            "CreatedBy text NOT NULL DEFAULT current_user, "
                            "ChangedBy text NOT NULL DEFAULT current_user, "
                            "ChangedAt timestamptz NOT NULL DEFAULT now())");
    return {
        // Numbers come from the sequence: adds from several clients never collide.
        QStringLiteral("CREATE SEQUENCE SalesRecordNumber AS integer"),
        table,
        QStringLiteral("ALTER SEQUENCE SalesRecordNumber OWNED BY Sales.RecordNumber"),
        // A record put back or copied in with its own number moves the sequence past it, so
        // that the numbers handed out later never meet it. The function runs with the rights
        // of the administrator who set the tables up (representatives may not set the
        // sequence); a lock keeps two such inserts from moving it back.
        QStringLiteral("CREATE FUNCTION SalesNumberKept() RETURNS trigger LANGUAGE plpgsql "
                       "SECURITY DEFINER SET search_path FROM CURRENT AS $$BEGIN IF "
                       "NEW.RecordNumber > (SELECT last_value FROM SalesRecordNumber) THEN "
                       "PERFORM pg_advisory_xact_lock(7306092158340188); IF NEW.RecordNumber > "
                       "(SELECT last_value FROM SalesRecordNumber) THEN PERFORM "
                       "setval('SalesRecordNumber', NEW.RecordNumber); END IF; END IF; RETURN "
                       "NEW; END$$"),
        QStringLiteral("CREATE TRIGGER SalesNumberKept BEFORE INSERT ON Sales FOR EACH ROW "
                       "EXECUTE FUNCTION SalesNumberKept()"),
        // Who deleted which record, so that a write that finds it gone can say so.
        QStringLiteral("CREATE TABLE SalesRemoved (RecordNumber integer NOT NULL, RemovedBy text "
                       "NOT NULL DEFAULT current_user, RemovedAt timestamptz NOT NULL DEFAULT "
                       "now())"),
        QStringLiteral("CREATE INDEX SalesRemovedNumber ON SalesRemoved (RecordNumber)"),
        QStringLiteral("CREATE FUNCTION SalesRecordRemoved() RETURNS trigger LANGUAGE plpgsql AS "
                       "$$BEGIN INSERT INTO SalesRemoved (RecordNumber) VALUES "
                       "(OLD.RecordNumber); RETURN OLD; END$$"),
        QStringLiteral("CREATE TRIGGER SalesRecordRemoved AFTER DELETE ON Sales FOR EACH ROW "
                       "EXECUTE FUNCTION SalesRecordRemoved()"),
        // Every change is told to the clients that listen on channel corvane_sales, as
        // "INSERT|UPDATE|DELETE record-number row-version", when its transaction commits.
        QStringLiteral("CREATE FUNCTION SalesRecordChanged() RETURNS trigger LANGUAGE plpgsql AS "
                       "$$BEGIN IF TG_OP = 'DELETE' THEN PERFORM pg_notify('corvane_sales', "
                       "'DELETE ' || OLD.RecordNumber || ' ' || OLD.RowVersion); ELSE PERFORM "
                       "pg_notify('corvane_sales', TG_OP || ' ' || NEW.RecordNumber || ' ' || "
                       "NEW.RowVersion); END IF; RETURN NULL; END$$"),
        QStringLiteral("CREATE TRIGGER SalesRecordChanged AFTER INSERT OR UPDATE OR DELETE ON "
                       "Sales FOR EACH ROW EXECUTE FUNCTION SalesRecordChanged()"),
    };
}

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, ResultDeleter>;

// The parameters of one statement as texts; a null QString is SQL NULL.
class Parameters {
public:
    void add(const QString& text) {
        m_texts.push_back(text.isNull() ? QByteArray() : text.toUtf8());
        m_null.push_back(text.isNull());
    }
    void add(qint64 number) { add(QString::number(number)); }
    void add(std::optional<qint64> number) {
        if (number)
            add(*number);
        else
            add(QString());
    }
    // The texts of the fields that a client writes, as $1 to $17.
    void addWritten(const Opportunity& o) {
        for (const Field field : writtenFields()) {
            // An empty text is stored as "", never as NULL.
            const QString& text = o.text(field);
            add(text.isNull() ? QStringLiteral("") : text);
        }
    }
    PgResult exec(PGconn* connection, const char* sql) {
        const std::vector<const char*> values = pointers();
        return PgResult(PQexecParams(connection, sql, static_cast<int>(values.size()), nullptr,
                                     values.data(), nullptr, nullptr, 0));
    }
    // Sends the statement without waiting for its result (in a pipeline); false when it cannot.
    bool send(PGconn* connection, const char* sql) {
        const std::vector<const char*> values = pointers();
        return PQsendQueryParams(connection, sql, static_cast<int>(values.size()), nullptr,
                                 values.data(), nullptr, nullptr, 0) == 1;
    }

private:
    std::vector<const char*> pointers() const {
        std::vector<const char*> values(m_texts.size());
        for (size_t i = 0; i < m_texts.size(); ++i)
            values[i] = m_null[i] ? nullptr : m_texts[i].constData();
        return values;
    }

    std::vector<QByteArray> m_texts;
    std::vector<bool> m_null;
};

PgResult exec(PGconn* connection, const char* sql) {
    return PgResult(PQexec(connection, sql));
}

bool succeeded(const PgResult& result) {
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

QString text(const PgResult& result, int row, int column) {
    return QString::fromUtf8(PQgetvalue(result.get(), row, column),
                             PQgetlength(result.get(), row, column));
}

// Why the last statement failed, in plain words.
QString cause(PGconn* connection, const PgResult& result) {
    if (PQstatus(connection) != CONNECTION_OK)
        return QStringLiteral("the connection to the server was lost");
    const char* state = result ? PQresultErrorField(result.get(), PG_DIAG_SQLSTATE) : nullptr;
    const QString code = QString::fromLatin1(state ? state : "");
    // The server ends the connection (shut down, or an administrator ended it): its last word
    // arrives before the connection is seen to be closed.
    if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") ||
        code == QLatin1String("57P02"))
        return QStringLiteral("the connection to the server was lost");
    if (code == QLatin1String("42501"))
        return QStringLiteral("the server does not allow this representative to do that");
    if (code == QLatin1String("22001"))
        return QStringLiteral("a text is longer than its field allows");
    const char* message = result ? PQresultErrorField(result.get(), PG_DIAG_MESSAGE_PRIMARY)
                                 : PQerrorMessage(connection);
    return QString::fromUtf8(message ? message : "").trimmed();
}

// The time a server gives in epoch seconds, as the list shows times.
QString shownTime(const QString& seconds) {
    bool ok = false;
    const qint64 value = seconds.toLongLong(&ok);
    return ok ? LocaleText::generalDateTime(QDateTime::fromSecsSinceEpoch(value)) : QString();
}

// The creation time of a record put back, as epoch seconds; nothing when it reads as no time.
std::optional<qint64> createdSeconds(const QString& shown) {
    const QDateTime created = QLocale().toDateTime(shown, LocaleText::generalDateTimeFormat());
    if (created.isValid())
        return created.toSecsSinceEpoch();
    const QDateTime stored = QDateTime::fromString(shown, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (stored.isValid())
        return stored.toSecsSinceEpoch();
    return std::nullopt;
}

QString takenMessage(qint32 number) {
    return QStringLiteral("another record in the database has taken record number %1").arg(number);
}

// Statements sent one after the other without waiting for each one's result (libpq's pipeline
// mode), so that a batch of them costs one round trip instead of one each; their results come
// back in the order sent. A batch is kept small enough that the server's answers never fill the
// connection while statements are still being sent.
class Pipeline {
public:
    explicit Pipeline(PGconn* connection)
        : m_connection(connection), m_on(PQenterPipelineMode(connection) == 1) {}
    ~Pipeline() { end(); }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    bool isOn() const { return m_on; }
    bool send(Parameters& parameters, const char* sql) {
        if (!parameters.send(m_connection, sql))
            return false;
        ++m_unread;
        return true;
    }
    // Has the server run what was sent and answer; false when it cannot be sent.
    bool sync() {
        if (PQpipelineSync(m_connection) != 1)
            return false;
        ++m_syncs;
        return true;
    }
    // The result of the next statement sent (after sync()).
    PgResult next() {
        PgResult result(PQgetResult(m_connection));
        if (result && m_unread > 0) {
            --m_unread;
            // Each statement's results end with a null.
            PQclear(PQgetResult(m_connection));
        }
        return result;
    }
    // Reads what is left of the batches sent and leaves pipeline mode, so that the connection
    // takes single statements again (a roll-back).
    void end() {
        if (!m_on)
            return;
        // A bound, so that a connection in a state not foreseen is never waited on for ever.
        for (qint64 left = 2 * m_unread + 2 * m_syncs + 4;
             m_syncs > 0 && left > 0 && PQstatus(m_connection) == CONNECTION_OK; --left) {
            PGresult* result = PQgetResult(m_connection);
            if (result && PQresultStatus(result) == PGRES_PIPELINE_SYNC)
                --m_syncs;
            PQclear(result);
        }
        PQexitPipelineMode(m_connection);
        m_on = false;
    }

private:
    PGconn* m_connection;
    bool m_on;
    qint64 m_unread = 0;
    qint64 m_syncs = 0;
};

class Transaction {
public:
    explicit Transaction(PGconn* connection) : m_connection(connection) {
        m_begun = succeeded(exec(connection, "BEGIN"));
    }
    ~Transaction() {
        if (m_begun && !m_committed && PQstatus(m_connection) == CONNECTION_OK)
            exec(m_connection, "ROLLBACK");
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool begun() const { return m_begun; }
    // "" when committed, else why not.
    QString commit() {
        const PgResult result = exec(m_connection, "COMMIT");
        if (!succeeded(result))
            return cause(m_connection, result);
        m_committed = true;
        return QString();
    }

private:
    PGconn* m_connection;
    bool m_begun = false;
    bool m_committed = false;
};

// The schema version of the team tables in the database, 0 when it holds none; a failure when
// it cannot be read.
ResultValue<int> storedVersion(PGconn* connection) {
    const PgResult found = exec(connection, "SELECT to_regclass('corvaneschema') IS NOT NULL");
    if (!succeeded(found))
        return Result::failure(cause(connection, found));
    if (text(found, 0, 0) != QLatin1String("t"))
        return 0;
    const PgResult version = exec(connection, "SELECT max(Version) FROM CorvaneSchema");
    if (!succeeded(version))
        return Result::failure(cause(connection, version));
    return text(version, 0, 0).toInt();
}

QString newerMessage(int version) {
    return QStringLiteral("the team database was made by a newer Corvane (schema version %1), "
                          "which this version can read but not change")
        .arg(version);
}

// Brings the team tables in the database to the version of `steps`, or makes them, inside the
// caller's transaction: Created from none, Migrated from an older version, Current when they are
// at it. Refuses a database that holds a table Sales of its own, or tables of a newer version;
// the caller's roll-back then undoes whatever was done.
ResultValue<SalesServerStore::SetUp> prepareTables(PGconn* connection,
                                                   const std::vector<QStringList>& steps) {
    // Two set-ups at once: the second waits and then finds the tables of the first.
    const PgResult locked = exec(connection, "SELECT pg_advisory_xact_lock(7306092158340187)");
    if (!succeeded(locked))
        return Result::failure(cause(connection, locked));
    const PgResult found = exec(connection, "SELECT to_regclass('corvaneschema') IS NOT NULL, "
                                            "to_regclass('sales') IS NOT NULL OR "
                                            "to_regclass('\"Sales\"') IS NOT NULL");
    if (!succeeded(found))
        return Result::failure(cause(connection, found));
    const bool made = text(found, 0, 0) == QLatin1String("t");
    if (!made && text(found, 0, 1) == QLatin1String("t"))
        return Result::failure(QStringLiteral("the database holds another table named Sales"));
    const auto stored = storedVersion(connection);
    if (!stored)
        return stored.result();
    const int target = int(steps.size());
    if (*stored > target)
        return Result::failure(newerMessage(*stored));
    if (*stored == target)
        return SalesServerStore::SetUp::Current;
    QStringList statements;
    if (!made)
        statements << QStringLiteral("CREATE TABLE CorvaneSchema (Version integer NOT NULL)")
                   << QStringLiteral("INSERT INTO CorvaneSchema (Version) VALUES (0)");
    for (int version = *stored; version < target; ++version)
        statements += steps[size_t(version)];
    statements << QStringLiteral("UPDATE CorvaneSchema SET Version = %1").arg(target);
    for (const QString& statement : statements) {
        const PgResult done = exec(connection, statement.toUtf8().constData());
        if (!succeeded(done))
            return Result::failure(cause(connection, done));
    }
    return made ? SalesServerStore::SetUp::Migrated : SalesServerStore::SetUp::Created;
}

// Whether something arrived on the idle `connection` (data, its end or an error), without
// waiting.
bool hasInput(PGconn* connection) {
    const int socket = PQsocket(connection);
    if (socket < 0)
        return true;
#ifdef Q_OS_WIN
    WSAPOLLFD watched{SOCKET(socket), POLLIN, 0};
    return WSAPoll(&watched, 1, 0) != 0;
#else
    pollfd watched{socket, POLLIN, 0};
    return ::poll(&watched, 1, 0) != 0;
#endif
}

QString sentence(QString cause) {
    if (!cause.isEmpty())
        cause[0] = cause.at(0).toUpper();
    return cause.endsWith(QLatin1Char('.')) ? cause : cause + QLatin1Char('.');
}

// Reads one record of a result whose columns from `first` are the fields in stored order.
Opportunity recordOf(const PgResult& result, int row, int first, bool withCreation) {
    Opportunity item(Opportunity::Blank{});
    item.setRecordNumber(text(result, row, first + RecordNumber).toInt());
    for (const Info& field : Fields) {
        const int column = first + field.field;
        if (field.field == DateCreated) {
            if (!withCreation)
                continue;
            // Kept as a number; the text is made when it is asked for.
            bool ok = false;
            const qint64 seconds = text(result, row, column).toLongLong(&ok);
            if (ok) {
                const QDateTime when = QDateTime::fromSecsSinceEpoch(seconds);
                item.setCreated(when.date(), when.time());
            }
        } else if (field.field != RecordNumber) {
            item.setText(field.field, text(result, row, column));
        }
    }
    return item;
}

} // namespace

void SalesServerStore::ConnectionDeleter::operator()(pg_conn* connection) const {
    PQfinish(connection);
}

SalesServerStore::SalesServerStore(const QString& uri, Access access)
    : m_uri(uri), m_location(withoutPassword(uri)), m_access(access) {}

SalesServerStore::~SalesServerStore() = default;

bool SalesServerStore::isServerLocation(const QString& location) {
    return location.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           location.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString SalesServerStore::withoutPassword(const QString& uri) {
    QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid())
        return uri;
    url.setPassword(QString());
    QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("password"))) {
        query.removeAllQueryItems(QStringLiteral("password"));
        url.setQuery(query);
    }
    return url.toString(QUrl::FullyEncoded);
}

SalesServerStore::Connection SalesServerStore::startConnecting(const QString& uri,
                                                               const QString& password) {
    if (!Libpq::isAvailable())
        return nullptr;
    const QByteArray dbname = uri.toUtf8();
    const QByteArray secret = password.toUtf8();
    // The URI's own settings come after the defaults and win over them; a password given
    // comes last and wins over the URI's. Keepalives find a connection that a network dropped
    // within a minute of quiet, not hours; a statement sent into a dropped network fails after
    // 15 seconds without an answer rather than after TCP's quarter of an hour.
    const char* keywords[] = {"connect_timeout",
                              "fallback_application_name",
                              "keepalives_idle",
                              "keepalives_interval",
                              "keepalives_count",
                              "tcp_user_timeout",
                              "dbname",
                              secret.isEmpty() ? nullptr : "password",
                              nullptr};
    const char* values[] = {
        "10", "corvane", "30", "10", "3", "15000", dbname.constData(), secret.constData(), nullptr};
    Connection connection(PQconnectStartParams(keywords, values, 1));
    // Messages with their SQLSTATE, so that a refused password is known in any language of
    // the server.
    if (connection)
        PQsetErrorVerbosity(connection.get(), PQERRORS_VERBOSE);
    return connection;
}

ResultValue<SalesServerStore::Connection>
SalesServerStore::connect(const QString& uri, const QString& password, Login* login) {
    QString missing;
    if (!Libpq::isAvailable(&missing))
        return Result::failure(missing);
    if (login)
        *login = Login::Failed;
    Connection connection = startConnecting(uri, password);
    if (!connection)
        return Result::failure(QStringLiteral("out of memory"));
    PGconn* c = connection.get();
    const auto failed = [c] { return PQstatus(c) == CONNECTION_BAD; };
    if (!failed()) {
        // The connection's connect_timeout (at least 2 seconds, as libpq has it) bounds the
        // whole attempt.
        int timeout = 10;
        if (PQconninfoOption* options = PQconninfo(c)) {
            for (PQconninfoOption* option = options; option->keyword; ++option) {
                if (qstrcmp(option->keyword, "connect_timeout") == 0 && option->val)
                    timeout = QByteArray(option->val).toInt();
            }
            PQconninfoFree(options);
        }
        QDeadlineTimer deadline = timeout > 0 ? QDeadlineTimer(qMax(timeout, 2) * 1000)
                                              : QDeadlineTimer(QDeadlineTimer::Forever);
        PostgresPollingStatusType state = PGRES_POLLING_WRITING;
        while (state != PGRES_POLLING_OK && state != PGRES_POLLING_FAILED) {
            pollfd wanted{static_cast<decltype(pollfd::fd)>(PQsocket(c)),
                          short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
            const qint64 left = deadline.remainingTime();
            const int ready = ::poll(&wanted, 1, left < 0 ? -1 : int(qMin<qint64>(left, 1000)));
            if (ready < 0 && errno != EINTR)
                break;
            if (ready == 0) {
                if (deadline.hasExpired())
                    return Result::failure(QStringLiteral("the server did not answer in time"));
                continue;
            }
            state = PQconnectPoll(c);
        }
    }
    return connected(std::move(connection), login);
}

ResultValue<SalesServerStore::Connection> SalesServerStore::connected(Connection connection,
                                                                      Login* login) {
    PGconn* c = connection.get();
    const auto tell = [login](Login how) {
        if (login)
            *login = how;
    };
    tell(Login::Failed);
    // libpq's message may run over several lines; the first says what failed, here without
    // its SQLSTATE.
    const QString text = QString::fromUtf8(PQerrorMessage(c)).trimmed();
    QString first = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (first.isEmpty())
        first = QStringLiteral("the connection could not be made");
    if (PQstatus(c) != CONNECTION_OK) {
        if (PQconnectionNeedsPassword(c)) {
            tell(Login::PasswordNeeded);
            return Result::failure(QStringLiteral("the server asks for a password; put it in "
                                                  "~/.pgpass or in a service file"));
        }
        static const QRegularExpression sqlState(QStringLiteral("([A-Z]+:  )([0-9A-Z]{5}): "));
        const QRegularExpressionMatch code = sqlState.match(first);
        // 28P01: the password is wrong.
        if (PQconnectionUsedPassword(c) && code.hasMatch() &&
            code.captured(2) == QLatin1String("28P01"))
            tell(Login::PasswordRefused);
        QString message = first;
        if (code.hasMatch())
            message.replace(code.capturedStart(), code.capturedLength(), code.captured(1));
        return Result::failure(message);
    }
    PQsetErrorVerbosity(c, PQERRORS_DEFAULT);
    tell(Login::Connected);
    // Record texts are Unicode, whatever the server's default.
    PQsetClientEncoding(c, "UTF8");
    // What the server says beside the results (notices, the reason it ends a connection) is
    // not for a terminal: failures come back as results.
    PQsetNoticeProcessor(
        c, [](void*, const char*) {}, nullptr);
    return connection;
}

pg_conn* SalesServerStore::writableConnection(QString& cause) {
    pg_conn* db = connection(cause);
    if (db && m_newerVersion) {
        cause = newerMessage(m_newerVersion);
        return nullptr;
    }
    return db;
}

pg_conn* SalesServerStore::connection(QString& cause) {
    if (m_connection && PQstatus(m_connection.get()) == CONNECTION_OK &&
        PQtransactionStatus(m_connection.get()) == PQTRANS_IDLE) {
        // A connection that was cut while it waited (a restarted server, an administrator who
        // ended it, a network that dropped it and the keepalives found out) has something to
        // read: its end, or the server's reason. Only then does an empty statement find out
        // whether it still works; a quiet connection is used at once, without a round trip.
        if (!hasInput(m_connection.get()) ||
            PQresultStatus(exec(m_connection.get(), "").get()) == PGRES_EMPTY_QUERY)
            return m_connection.get();
    }
    if (m_lost) {
        cause = QStringLiteral("the connection to the server is lost; Corvane is connecting again "
                               "by itself, try again once it is back");
        return nullptr;
    }
    m_connection.reset();
    Login login = Login::Failed;
    auto opened = connect(m_uri, m_password, &login);
    if (m_loginReport)
        *m_loginReport = login;
    if (!opened) {
        cause = opened.message();
        return nullptr;
    }
    const auto version = storedVersion(opened->get());
    if (!version) {
        cause = version.message();
        return nullptr;
    }
    if (*version == 0) {
        cause = QStringLiteral("the database holds no team database; set it up with "
                               "\"corvane-cli team init\"");
        return nullptr;
    }
    if (*version < schemaVersion()) {
        cause = QStringLiteral("the team database was made by an older Corvane (schema version "
                               "%1); bring it up to date with \"corvane-cli team init\"")
                    .arg(*version);
        return nullptr;
    }
    // Read, never changed: this program does not know what the newer tables hold beside.
    m_newerVersion = *version > schemaVersion() ? *version : 0;
    // Stored times are compared and shown in the client's own time zone.
    Parameters zone;
    zone.add(QString::fromUtf8(QTimeZone::systemTimeZoneId()));
    zone.exec(opened->get(), "SELECT set_config('TimeZone', $1, false)");
    m_connection = std::move(*opened);
    return m_connection.get();
}

const std::vector<QStringList>& SalesServerStore::schemaSteps() {
    static const std::vector<QStringList> steps = {versionOne()};
    return steps;
}

int SalesServerStore::schemaVersion() {
    return int(schemaSteps().size());
}

ResultValue<SalesServerStore::SetUp> SalesServerStore::setUp(const QString& uri) {
    return setUp(uri, schemaSteps());
}

ResultValue<SalesServerStore::SetUp>
SalesServerStore::setUp(const QString& uri, const std::vector<QStringList>& steps) {
    // The URI may hold percent signs: both arguments are put in at once.
    const auto where = [&uri](const QString& cause) {
        return QStringLiteral("Could not set up the team database %1: %2")
            .arg(withoutPassword(uri), cause);
    };
    auto opened = connect(uri);
    if (!opened)
        return Result::failure(where(opened.message()));
    PGconn* connection = opened->get();
    Transaction transaction(connection);
    if (!transaction.begun())
        return Result::failure(where(cause(connection, nullptr)));
    const auto prepared = prepareTables(connection, steps);
    if (!prepared)
        return Result::failure(where(prepared.message() + QStringLiteral("; nothing was changed")));
    if (const QString failed = transaction.commit(); !failed.isEmpty())
        return Result::failure(where(failed));
    return *prepared;
}

ResultValue<SalesServerStore::Pushed>
SalesServerStore::push(const QString& uri, const std::vector<const Opportunity*>& items,
                       const ProgressCallback& progress) {
    const auto failure = [&](const QString& cause) {
        return Result::failure(QStringLiteral("Could not push the opportunities to %1: %2 Nothing "
                                              "was written to the team database.")
                                   .arg(withoutPassword(uri), sentence(cause)));
    };
    const auto failureAt = [&](const Opportunity* item, const QString& cause) {
        return failure(QStringLiteral("record %1: %2").arg(item->recordNumber()).arg(cause));
    };
    // What the server would refuse for its sizes is found before anything is sent.
    for (const Opportunity* item : items) {
        if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
            return failureAt(item, tooLong);
    }
    auto opened = connect(uri);
    if (!opened)
        return failure(opened.message());
    PGconn* db = opened->get();
    Transaction transaction(db);
    if (!transaction.begun())
        return failure(cause(db, nullptr));
    const auto prepared = prepareTables(db, schemaSteps());
    if (!prepared)
        return failure(prepared.message());
    Pushed pushed;
    pushed.setUp = *prepared;

    const auto total = qint64(items.size());
    const auto advance = [&] {
        ++pushed.count;
        return !progress || progress(pushed.count, total);
    };
    // Every record that keeps its number goes in first: the sequence moves past each of them,
    // and the records whose number is taken then draw numbers that none of them has. The
    // records go in batches, a round trip each.
    std::vector<const Opportunity*> taken;
    const auto insert = [&](const std::vector<const Opportunity*>& list,
                            bool keepNumbers) -> std::optional<Result> {
        constexpr size_t Batch = 100;
        const char* sql = keepNumbers ? statements().insertKept.constData()
                                      : statements().insertDated.constData();
        for (size_t first = 0; first < list.size(); first += Batch) {
            const size_t last = std::min(list.size(), first + Batch);
            Pipeline pipeline(db);
            if (!pipeline.isOn())
                return failure(cause(db, nullptr));
            for (size_t i = first; i < last; ++i) {
                Parameters parameters;
                parameters.addWritten(*list[i]);
                if (keepNumbers)
                    parameters.add(qint64(list[i]->recordNumber()));
                parameters.add(createdSeconds(list[i]->dateCreated()));
                if (!pipeline.send(parameters, sql))
                    return failureAt(list[i], cause(db, nullptr));
            }
            if (!pipeline.sync())
                return failure(cause(db, nullptr));
            for (size_t i = first; i < last; ++i) {
                const PgResult inserted = pipeline.next();
                if (!succeeded(inserted))
                    return failureAt(list[i], cause(db, inserted));
                if (PQntuples(inserted.get()) != 1) {
                    taken.push_back(list[i]);
                    continue;
                }
                pushed.renumbered += keepNumbers ? 0 : 1;
                if (!advance())
                    return Result::cancelled();
            }
        }
        return std::nullopt;
    };
    if (auto failed = insert(items, true))
        return *failed;
    if (auto failed = insert(std::vector<const Opportunity*>(taken), false))
        return *failed;
    if (const QString committed = transaction.commit(); !committed.isEmpty())
        return failure(committed);
    return pushed;
}

QString SalesServerStore::description() const {
    const QUrl url(m_location);
    QString database = url.path().mid(1);
    if (database.isEmpty())
        database = url.userName();
    const QString host = url.host();
    if (database.isEmpty())
        return m_location;
    return host.isEmpty() ? database : QStringLiteral("%1 on %2").arg(database, host);
}

QString SalesServerStore::unreadableCause() {
    QString why;
    PGconn* db = connection(why);
    if (!db)
        return sentence(why);
    // The representative may lack the right to read the records.
    const PgResult read = exec(db, "SELECT RecordNumber FROM Sales LIMIT 0");
    return succeeded(read) ? QString() : sentence(cause(db, read));
}

QString SalesServerStore::readRows(bool withCreation,
                                   const std::function<void(Opportunity&&)>& keep) {
    QString why;
    PGconn* db = connection(why);
    if (!db)
        return sentence(why);
    const PgResult rows = exec(db, statements().select.constData());
    if (!succeeded(rows))
        return sentence(cause(db, rows));
    const int count = PQntuples(rows.get());
    for (int row = 0; row < count; ++row) {
        Opportunity item = recordOf(rows, row, 1, withCreation);
        item.setRowId(text(rows, row, 0).toLongLong());
        keep(std::move(item));
    }
    return QString();
}

ResultValue<Opportunities> SalesServerStore::readAll() {
    Opportunities read;
    const QString failed = readRows(true, [&read](Opportunity&& item) {
        const qint32 number = item.recordNumber();
        read.add(std::make_unique<Opportunity>(std::move(item)), Opportunities::keyFor(number));
    });
    if (!failed.isEmpty())
        return Result::failure(failed);
    return read;
}

ResultValue<std::vector<Opportunity>> SalesServerStore::readCopies() {
    std::vector<Opportunity> copies;
    const QString failed = readRows(false, [&copies](Opportunity&& item) {
        item.setRowId(std::nullopt);
        copies.push_back(std::move(item));
    });
    if (!failed.isEmpty())
        return Result::failure(failed);
    return copies;
}

ResultValue<std::vector<SalesStore::StoredTexts>>
SalesServerStore::readStoredTexts(const Conditions& conditions) {
    QString why;
    PGconn* db = connection(why);
    if (!db)
        return Result::failure(why);
    // Every field as the file keeps it: texts, the creation time as "yyyy-MM-dd hh:mm:ss".
    QString fields;
    const auto stored = [](const Info& field) {
        const QString name = QLatin1String(field.storedName);
        switch (field.type) {
        case Type::Integer:
            return name + QStringLiteral("::text");
        case Type::DateTime:
            return QStringLiteral("to_char(%1, 'YYYY-MM-DD HH24:MI:SS')").arg(name);
        case Type::Text:
            break;
        }
        return name;
    };
    for (const Info& field : Fields)
        fields += (fields.isEmpty() ? QString() : QStringLiteral(", ")) + stored(field);
    // Field names come from the field table, never from the caller; the values are bound.
    QString sql = QStringLiteral("SELECT ") + fields + QStringLiteral(" FROM Sales");
    Parameters parameters;
    for (qsizetype i = 0; i < conditions.size(); ++i) {
        const int field = conditions[i].first;
        if (field < 0 || field >= Count)
            return Result::failure(QStringLiteral("a condition names no field"));
        sql += (i ? QStringLiteral(" AND ") : QStringLiteral(" WHERE ")) +
               stored(Fields[static_cast<size_t>(field)]) + QStringLiteral(" = $%1").arg(i + 1);
        parameters.add(conditions[i].second);
    }
    sql += QStringLiteral(" ORDER BY RecordNumber");
    const PgResult rows = parameters.exec(db, sql.toUtf8().constData());
    if (!succeeded(rows))
        return Result::failure(cause(db, rows));
    std::vector<StoredTexts> records;
    const int count = PQntuples(rows.get());
    records.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row) {
        StoredTexts& record = records.emplace_back();
        for (int i = 0; i < Count; ++i) {
            if (!PQgetisnull(rows.get(), row, i))
                record[static_cast<size_t>(i)] = text(rows, row, i);
        }
    }
    return records;
}

ResultValue<SalesStore::NewRecord> SalesServerStore::add(const Opportunity& opportunity, qint32) {
    const QString where = QStringLiteral("Could not add the opportunity to %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_location, cause));
    };
    if (const QString tooLong = SalesSchema::checkSizes(opportunity); !tooLong.isEmpty())
        return failure(tooLong);
    QString why;
    PGconn* db = writableConnection(why);
    if (!db)
        return failure(why);
    Parameters parameters;
    parameters.addWritten(opportunity);
    const PgResult added = parameters.exec(db, statements().insertNew.constData());
    if (!succeeded(added))
        return failure(cause(db, added));
    return NewRecord{text(added, 0, 0).toInt(), text(added, 0, 1).toLongLong(),
                     shownTime(text(added, 0, 2))};
}

ResultValue<std::vector<SalesStore::NewRecord>> SalesServerStore::addAll(const Source& next, qint32,
                                                                         const Describe& describe) {
    const QString failed = QStringLiteral("Could not add the opportunities to %1: %2");
    const auto fail = [&](const QString& cause) {
        const QString full = cause.endsWith(QLatin1Char('.')) ? cause : cause + QLatin1Char('.');
        return Result::failure(failed.arg(m_location, full) +
                               QStringLiteral(" Nothing was added."));
    };
    auto item = next();
    if (!item)
        return item.result();
    if (!*item)
        return std::vector<NewRecord>();
    QString why;
    PGconn* db = writableConnection(why);
    if (!db)
        return fail(why);
    Transaction transaction(db);
    if (!transaction.begun())
        return fail(cause(db, nullptr));
    const PgResult prepared =
        PgResult(PQprepare(db, "", statements().insertNew.constData(), WrittenCount, nullptr));
    if (!succeeded(prepared))
        return fail(cause(db, prepared));
    std::vector<NewRecord> added;
    QHash<QString, QString> times;
    std::array<QByteArray, WrittenCount> texts;
    std::array<const char*, WrittenCount> values{};
    for (size_t i = 0; *item; ++i) {
        const Opportunity& o = **item;
        if (const QString tooLong = SalesSchema::checkSizes(o); !tooLong.isEmpty())
            return fail(describe(i) + QStringLiteral(": ") + tooLong);
        for (size_t f = 0; f < texts.size(); ++f) {
            texts[f] = o.text(writtenFields()[f]).toUtf8();
            values[f] = texts[f].constData();
        }
        const PgResult row =
            PgResult(PQexecPrepared(db, "", WrittenCount, values.data(), nullptr, nullptr, 0));
        if (!succeeded(row))
            return fail(describe(i) + QStringLiteral(": ") + cause(db, row));
        const QString seconds = text(row, 0, 2);
        auto shown = times.find(seconds);
        if (shown == times.end())
            shown = times.insert(seconds, shownTime(seconds));
        added.push_back({text(row, 0, 0).toInt(), text(row, 0, 1).toLongLong(), *shown});
        item = next();
        if (!item)
            return item.result();
    }
    if (const QString committed = transaction.commit(); !committed.isEmpty())
        return fail(committed);
    return added;
}

ResultValue<std::vector<SalesStore::NewRecord>>
SalesServerStore::changeAll(const Changes& changes, qint32, const Describe& describe,
                            const ProgressCallback& progress) {
    const QString where = QStringLiteral("Could not write the changes to %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_location, cause) +
                               QStringLiteral(" Nothing was changed."));
    };
    const auto failureAt = [&](size_t index, const QString& cause) {
        return failure(describe(index) + QStringLiteral(": ") + cause + QLatin1Char('.'));
    };
    std::vector<NewRecord> added;
    const size_t total = changes.removals.size() + changes.updates.size() +
                         changes.restorations.size() + changes.additions.size();
    if (total == 0)
        return added;
    QString why;
    PGconn* db = writableConnection(why);
    if (!db)
        return failure(sentence(why));
    // Whatever fails or is cancelled on the way is rolled back with the transaction.
    Transaction transaction(db);
    if (!transaction.begun())
        return failure(sentence(cause(db, nullptr)));
    size_t done = 0;
    const auto advance = [&]() {
        ++done;
        return !progress || done % 256 != 0 || progress(qint64(done), qint64(total));
    };
    const Statements& sql = statements();
    for (const Opportunity* item : changes.removals) {
        Parameters parameters;
        parameters.add(qint64(item->recordNumber()));
        parameters.add(item->rowId());
        const PgResult removed = parameters.exec(db, sql.remove.constData());
        if (!succeeded(removed))
            return failure(sentence(cause(db, removed)));
        if (QByteArray(PQcmdTuples(removed.get())) != "1")
            return failure(sentence(conflict(db, *item)));
        if (!advance())
            return Result::cancelled();
    }
    size_t index = 0;
    for (const Opportunity* item : changes.updates) {
        if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
            return failureAt(index, tooLong);
        Parameters parameters;
        parameters.addWritten(*item);
        parameters.add(qint64(item->recordNumber()));
        parameters.add(item->rowId());
        const PgResult updated = parameters.exec(db, sql.update.constData());
        if (!succeeded(updated))
            return failureAt(index, cause(db, updated));
        if (PQntuples(updated.get()) != 1)
            return failureAt(index, conflict(db, *item));
        ++index;
        if (!advance())
            return Result::cancelled();
    }
    added.reserve(changes.restorations.size() + changes.additions.size());
    for (const Opportunity* item : changes.restorations) {
        if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
            return failureAt(index, tooLong);
        Parameters parameters;
        parameters.addWritten(*item);
        parameters.add(qint64(item->recordNumber()));
        parameters.add(createdSeconds(item->dateCreated()));
        const PgResult inserted = parameters.exec(db, sql.insertKept.constData());
        if (!succeeded(inserted))
            return failureAt(index, cause(db, inserted));
        if (PQntuples(inserted.get()) != 1)
            return failureAt(index, takenMessage(item->recordNumber()));
        added.push_back(
            {item->recordNumber(), text(inserted, 0, 0).toLongLong(), item->dateCreated()});
        ++index;
        if (!advance())
            return Result::cancelled();
    }
    QHash<QString, QString> times;
    for (const Opportunity* item : changes.additions) {
        if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
            return failureAt(index, tooLong);
        Parameters parameters;
        parameters.addWritten(*item);
        const PgResult inserted = parameters.exec(db, sql.insertNew.constData());
        if (!succeeded(inserted))
            return failureAt(index, cause(db, inserted));
        const QString seconds = text(inserted, 0, 2);
        auto shown = times.find(seconds);
        if (shown == times.end())
            shown = times.insert(seconds, shownTime(seconds));
        added.push_back({text(inserted, 0, 0).toInt(), text(inserted, 0, 1).toLongLong(), *shown});
        ++index;
        if (!advance())
            return Result::cancelled();
    }
    if (const QString committed = transaction.commit(); !committed.isEmpty())
        return failure(sentence(committed));
    return added;
}

QString SalesServerStore::conflict(pg_conn* connection, const Opportunity& opportunity) {
    const qint32 number = opportunity.recordNumber();
    Parameters parameters;
    parameters.add(qint64(number));
    const PgResult current = parameters.exec(connection, statements().current.constData());
    if (succeeded(current) && PQntuples(current.get()) == 1) {
        // Unchanged, yet not written: a row security policy of the administrator's keeps it.
        if (!opportunity.rowId() || text(current, 0, 2).toLongLong() == *opportunity.rowId()) {
            return QStringLiteral("the server lets only %1, who created record number %2, change "
                                  "it")
                .arg(text(current, 0, 3))
                .arg(number);
        }
        QStringList now;
        const Opportunity stored = recordOf(current, 0, 4, false);
        for (const Field field : writtenFields()) {
            if (stored.text(field) != opportunity.text(field)) {
                now.append(QStringLiteral("%1 \"%2\"")
                               .arg(QLatin1String(info(field).storedName), stored.text(field)));
            }
        }
        QString message = QStringLiteral("%1 changed record number %2 at %3 after it was read")
                              .arg(text(current, 0, 0))
                              .arg(number)
                              .arg(shownTime(text(current, 0, 1)));
        if (!now.isEmpty())
            message += QStringLiteral("; it now has ") + now.join(QStringLiteral(", "));
        return message;
    }
    const PgResult removed = parameters.exec(connection, statements().removedBy.constData());
    if (succeeded(removed) && PQntuples(removed.get()) == 1) {
        return QStringLiteral("%1 deleted record number %2 at %3")
            .arg(text(removed, 0, 0))
            .arg(number)
            .arg(shownTime(text(removed, 0, 1)));
    }
    return QStringLiteral("the database no longer has record number %1").arg(number);
}

ResultValue<std::optional<qint64>> SalesServerStore::update(const Opportunity& opportunity) {
    const QString where = QStringLiteral("Could not save the opportunity in %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_location, cause));
    };
    if (const QString tooLong = SalesSchema::checkSizes(opportunity); !tooLong.isEmpty())
        return failure(tooLong);
    QString why;
    PGconn* db = writableConnection(why);
    if (!db)
        return failure(why);
    Parameters parameters;
    parameters.addWritten(opportunity);
    parameters.add(qint64(opportunity.recordNumber()));
    parameters.add(opportunity.rowId());
    const PgResult updated = parameters.exec(db, statements().update.constData());
    if (!succeeded(updated))
        return failure(cause(db, updated));
    if (PQntuples(updated.get()) != 1)
        return failure(conflict(db, opportunity) + QStringLiteral("; nothing was saved"));
    return std::optional<qint64>(text(updated, 0, 0).toLongLong());
}

Result SalesServerStore::remove(const Opportunity& opportunity) {
    return removeAll({&opportunity});
}

Result SalesServerStore::removeAll(const std::vector<const Opportunity*>& items) {
    const bool one = items.size() == 1;
    const QString where = one ? QStringLiteral("Could not delete the opportunity from %1: %2")
                              : QStringLiteral("Could not delete the opportunities from %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_location, cause) +
                               (one ? QString() : QStringLiteral(". Nothing was deleted.")));
    };
    if (items.empty())
        return {};
    QString why;
    PGconn* db = writableConnection(why);
    if (!db)
        return failure(why);
    Transaction transaction(db);
    if (!transaction.begun())
        return failure(cause(db, nullptr));
    for (const Opportunity* item : items) {
        Parameters parameters;
        parameters.add(qint64(item->recordNumber()));
        parameters.add(item->rowId());
        const PgResult removed = parameters.exec(db, statements().remove.constData());
        if (!succeeded(removed))
            return failure(cause(db, removed));
        if (QByteArray(PQcmdTuples(removed.get())) != "1")
            return failure(conflict(db, *item) +
                           (one ? QStringLiteral("; nothing was deleted") : QString()));
    }
    if (const QString committed = transaction.commit(); !committed.isEmpty())
        return failure(committed);
    return {};
}

ResultValue<SalesStore::NewRecord> SalesServerStore::restore(const Opportunity& opportunity) {
    auto restored = restoreAll({&opportunity});
    if (!restored)
        return restored.result();
    return restored->front();
}

ResultValue<std::vector<SalesStore::NewRecord>>
SalesServerStore::restoreAll(const std::vector<const Opportunity*>& items) {
    const bool one = items.size() == 1;
    const QString where = one ? QStringLiteral("Could not put the opportunity back into %1: %2")
                              : QStringLiteral("Could not put the opportunities back into %1: %2");
    const auto failure = [&](const QString& cause) {
        return Result::failure(where.arg(m_location, cause) +
                               (one ? QString() : QStringLiteral(". Nothing was added.")));
    };
    std::vector<NewRecord> added;
    if (items.empty())
        return added;
    QString why;
    PGconn* db = writableConnection(why);
    if (!db)
        return failure(why);
    Transaction transaction(db);
    if (!transaction.begun())
        return failure(cause(db, nullptr));
    added.reserve(items.size());
    for (const Opportunity* item : items) {
        if (const QString tooLong = SalesSchema::checkSizes(*item); !tooLong.isEmpty())
            return failure(tooLong);
        Parameters parameters;
        parameters.addWritten(*item);
        parameters.add(qint64(item->recordNumber()));
        parameters.add(createdSeconds(item->dateCreated()));
        const PgResult inserted = parameters.exec(db, statements().insertKept.constData());
        if (!succeeded(inserted))
            return failure(cause(db, inserted));
        if (PQntuples(inserted.get()) != 1)
            return failure(takenMessage(item->recordNumber()));
        added.push_back(
            {item->recordNumber(), text(inserted, 0, 0).toLongLong(), item->dateCreated()});
    }
    if (const QString committed = transaction.commit(); !committed.isEmpty())
        return failure(committed);
    return added;
}

Result SalesServerStore::backupTo(const QString& target, const ProgressCallback& progress) {
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && !targetInfo.isFile())
        return Result::failure(QStringLiteral("%1 exists and is not a regular file").arg(target));
    auto records = readAll();
    if (!records)
        return records.result();
    QString temporaryPath;
    {
        QTemporaryFile temporary(
            targetInfo.absoluteDir().filePath(QStringLiteral(".corvane-save-XXXXXX")));
        if (!temporary.open())
            return Result::failure(temporary.errorString());
        temporaryPath = temporary.fileName();
    }
    auto file = SalesStore::create(temporaryPath, false);
    if (!file)
        return file.result();
    std::vector<const Opportunity*> items;
    items.reserve(static_cast<size_t>(records->count()));
    for (qint32 i = 1; i <= records->count(); ++i)
        items.push_back(records->item(i));
    if (const auto copied = (*file)->restoreAll(items); !copied) {
        QFile::remove(temporaryPath);
        return copied.result();
    }
    const auto count = qint64(items.size());
    if (progress && !progress(count, count)) {
        QFile::remove(temporaryPath);
        return Result::cancelled();
    }
    // The finished copy takes the target's name in one step.
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(temporaryPath).toStdString(),
                            QFile::encodeName(target).toStdString(), error);
    if (error) {
        QFile::remove(temporaryPath);
        return Result::failure(QString::fromStdString(error.message()));
    }
    return {};
}

ResultValue<std::optional<Opportunity>> SalesServerStore::readRecord(qint32 recordNumber) {
    QString why;
    PGconn* db = connection(why);
    if (!db)
        return Result::failure(why);
    Parameters parameters;
    parameters.add(qint64(recordNumber));
    const PgResult row = parameters.exec(db, statements().current.constData());
    if (!succeeded(row))
        return Result::failure(cause(db, row));
    if (PQntuples(row.get()) != 1)
        return std::optional<Opportunity>();
    Opportunity record = recordOf(row, 0, 4, true);
    record.setRowId(text(row, 0, 2).toLongLong());
    return std::optional<Opportunity>(std::move(record));
}

bool SalesServerStore::watch(const ChangeHandler& handler) {
    m_changeHandler = handler;
    m_reconnect = std::make_unique<QTimer>();
    m_reconnect->setInterval(2000);
    QObject::connect(m_reconnect.get(), &QTimer::timeout, m_reconnect.get(),
                     [this] { tryListening(); });
    if (auto opened = connect(m_uri, m_password); !opened || !listenOn(std::move(*opened)))
        m_reconnect->start();
    return true;
}

bool SalesServerStore::listenOn(Connection connection) {
    m_notifier.reset();
    m_listener.reset();
    if (!succeeded(exec(connection.get(), "LISTEN corvane_sales")))
        return false;
    m_listener = std::move(connection);
    m_notifier =
        std::make_unique<QSocketNotifier>(PQsocket(m_listener.get()), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { takeNotices(); });
    return true;
}

void SalesServerStore::tryListening() {
    // An attempt under way goes on until its connect_timeout has passed.
    if (m_attempt && !m_attemptStarted.hasExpired(AttemptMs))
        return;
    m_attempt = startConnecting(m_uri, m_password);
    m_attemptStarted.start();
    advanceAttempt(PGRES_POLLING_WRITING);
}

void SalesServerStore::advanceAttempt(int state) {
    if (QSocketNotifier* done = m_attemptNotifier.release()) {
        // This may run inside the notifier's own signal.
        done->setEnabled(false);
        done->deleteLater();
    }
    if (!m_attempt || state == PGRES_POLLING_FAILED ||
        PQstatus(m_attempt.get()) == CONNECTION_BAD) {
        // The next tick of the reconnect timer tries again.
        m_attempt.reset();
        return;
    }
    if (state == PGRES_POLLING_OK) {
        auto made = connected(std::move(m_attempt), nullptr);
        if (made && listenOn(std::move(*made))) {
            m_reconnect->stop();
            m_lost = false;
            // What changed while no one listened is unknown.
            m_changeHandler({Change{Change::Kind::Resync, 0, 0}});
        }
        return;
    }
    m_attemptNotifier = std::make_unique<QSocketNotifier>(
        PQsocket(m_attempt.get()),
        state == PGRES_POLLING_READING ? QSocketNotifier::Read : QSocketNotifier::Write);
    QObject::connect(m_attemptNotifier.get(), &QSocketNotifier::activated, m_attemptNotifier.get(),
                     [this] { advanceAttempt(PQconnectPoll(m_attempt.get())); });
}

void SalesServerStore::takeNotices() {
    if (!PQconsumeInput(m_listener.get()) || PQstatus(m_listener.get()) != CONNECTION_OK) {
        // Lost: nothing is written until the server can be reached again, and then listened
        // to again.
        m_notifier->setEnabled(false);
        m_reconnect->start();
        m_lost = true;
        m_connection.reset();
        m_changeHandler({Change{Change::Kind::Lost, 0, 0}});
        return;
    }
    std::vector<Change> changes;
    while (PGnotify* notice = PQnotifies(m_listener.get())) {
        const QStringList parts = QString::fromUtf8(notice->extra).split(QLatin1Char(' '));
        PQfreemem(notice);
        if (parts.size() != 3)
            continue;
        Change change;
        if (parts[0] == QLatin1String("INSERT"))
            change.kind = Change::Kind::Added;
        else if (parts[0] == QLatin1String("UPDATE"))
            change.kind = Change::Kind::Changed;
        else if (parts[0] == QLatin1String("DELETE"))
            change.kind = Change::Kind::Removed;
        else
            continue;
        change.recordNumber = parts[1].toInt();
        change.rowId = parts[2].toLongLong();
        changes.push_back(change);
    }
    if (!changes.empty())
        m_changeHandler(changes);
}
