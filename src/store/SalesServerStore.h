#pragma once

#include "store/SalesStore.h"

#include <QElapsedTimer>
#include <QStringList>
#include <memory>
#include <vector>

struct pg_conn;
class QSocketNotifier;
class QTimer;

// A team database on a PostgreSQL server, named by a libpq connection URI
// (postgresql://user@host:port/database?sslmode=require). Table Sales holds the fields of the
// field table plus what a shared table needs: record numbers from a sequence, a row version that
// every write raises, the representative who created the record and who changed it last. A
// record's row version is its rowId() here: updates and deletes name the version that was read
// and are refused, naming who changed or deleted the record, when it is no longer that one.
// Triggers announce every change on channel corvane_sales, which watch() listens to. Passwords
// come from ~/.pgpass, a service file or the URI, as libpq finds them, or from setPassword();
// the store keeps a password in memory only, and its location never shows one. One connection
// serves the store's calls, opened when first needed and again after it was lost (it is tried
// with a round trip only when the server sent something while it waited, such as its end); a
// single write is one statement that commits by itself, and every call of several statements is
// one transaction. While the listening connection is lost, every call is refused until it is
// back.
class SalesServerStore : public SalesStore {
public:
    enum class SetUp { Created, Migrated, Current };
    // How the last attempt to connect went, as far as a password goes.
    enum class Login {
        Connected,
        PasswordNeeded,  // the server asks for a password that nothing gave
        PasswordRefused, // the server refused the password given
        Failed           // another cause (no server, no such database...)
    };

    SalesServerStore(const QString& uri, Access access);
    ~SalesServerStore() override;
    SalesServerStore(const SalesServerStore&) = delete;
    SalesServerStore& operator=(const SalesServerStore&) = delete;

    // Whether `location` names a server database (a postgresql:// or postgres:// URI) rather
    // than a file.
    static bool isServerLocation(const QString& location);
    // `uri` without a password, as it may be shown and kept in the settings.
    static QString withoutPassword(const QString& uri);
    // The steps of the team tables' schema: step i brings a database from version i to version
    // i + 1 (the first makes the tables of version 1). A new version is one more step. A step
    // adds what it needs and leaves what the earlier versions read as it is: a program that
    // finds a newer version than its own still reads the records, and refuses to change them.
    static const std::vector<QStringList>& schemaSteps();
    // The schema version that this program reads and writes: the number of its steps.
    static int schemaVersion();
    // Creates the team tables in the database at `uri` or brings them up to this program's
    // version (Migrated), all steps in one transaction that also raises the version table, or
    // finds them there at that version. Refuses a database that holds a table Sales of its own
    // or tables of a newer version; a failure changes nothing.
    static ResultValue<SetUp> setUp(const QString& uri);
    // The same with other `steps` than this program's (tests try steps of their own).
    static ResultValue<SetUp> setUp(const QString& uri, const std::vector<QStringList>& steps);

    // What push() wrote.
    struct Pushed {
        // Whether the team tables were made or brought up to date on the way.
        SetUp setUp = SetUp::Current;
        qint64 count = 0;
        // Of them, the records whose number another record on the server had.
        qint64 renumbered = 0;
    };
    // Writes the records `items` (those of a desktop database) into the team database at `uri`,
    // in one transaction, all or nothing: each keeps its record number where no record on the
    // server has it, else takes the next number of the sequence once every kept number is in
    // (so the sequence ends past all of them); creation times are kept. A database without the
    // team tables, or with those of an older version, gets them first as setUp() makes them, in
    // the same transaction. `progress` hears of each record written and may cancel. A failure
    // or a cancel writes no record; numbers drawn from the sequence meanwhile are not handed out
    // again (as after any add that fails): the sequence moves at once, so that the adds of other
    // clients meanwhile never meet the pushed numbers.
    static ResultValue<Pushed> push(const QString& uri,
                                    const std::vector<const Opportunity*>& items,
                                    const ProgressCallback& progress = {});

    // The password to connect with when ~/.pgpass, a service file and the URI give none (it wins
    // over theirs); kept in memory only, for the connections of this store.
    void setPassword(const QString& password) { m_password = password; }
    // Tells `report` how each connection attempt fared, for a caller that must know it even
    // after a failed open has deleted the store; nullptr stops that.
    void setLoginReport(Login* report) { m_loginReport = report; }
    // Whether the listening connection is lost and being made again (see watch()).
    bool isConnectionLost() const { return m_lost; }

    QString location() const override { return m_location; }
    // "database on host".
    QString description() const override;
    QString unreadableCause() override;
    ResultValue<Opportunities> readAll() override;
    ResultValue<std::vector<Opportunity>> readCopies() override;
    ResultValue<std::vector<StoredTexts>> readStoredTexts(const Conditions& conditions) override;
    // Numbers come from the sequence.
    bool numbersRecords() const override { return true; }
    ResultValue<NewRecord> add(const Opportunity& opportunity, qint32 highestKnown) override;
    using SalesStore::addAll;
    ResultValue<std::vector<NewRecord>> addAll(const Source& next, qint32 highestKnown,
                                               const Describe& describe) override;
    ResultValue<std::optional<qint64>> update(const Opportunity& opportunity) override;
    Result remove(const Opportunity& opportunity) override;
    ResultValue<NewRecord> restore(const Opportunity& opportunity) override;
    Result removeAll(const std::vector<const Opportunity*>& items) override;
    ResultValue<std::vector<NewRecord>>
    restoreAll(const std::vector<const Opportunity*>& items) override;
    ResultValue<std::vector<NewRecord>> changeAll(const Changes& changes, qint32 highestKnown,
                                                  const Describe& describe,
                                                  const ProgressCallback& progress) override;
    // Writes a desktop database file with every record as it is (numbers and creation times
    // kept).
    using SalesStore::backupTo;
    Result backupTo(const QString& target, const ProgressCallback& progress) override;
    // Listens on a connection of its own for the changes that the team tables announce;
    // reconnects by itself when it is lost: the handler hears Lost, then Resync once it is back.
    bool watch(const ChangeHandler& handler) override;
    ResultValue<std::optional<Opportunity>> readRecord(qint32 recordNumber) override;

private:
    struct ConnectionDeleter {
        void operator()(pg_conn* connection) const;
    };
    using Connection = std::unique_ptr<pg_conn, ConnectionDeleter>;

    // Opens a connection to `uri` with `password` when given; why not as a cause ("the server
    // asks for a password..."), and how it went in `login` when given.
    static ResultValue<Connection> connect(const QString& uri, const QString& password = QString(),
                                           Login* login = nullptr);
    // The store's connection, opened (again) when there is none or it was lost, with the team
    // tables checked once per connection: nullptr and the cause in `cause` when it fails.
    pg_conn* connection(QString& cause);
    // The same for a write, which tables of a newer version than this program's refuse.
    pg_conn* writableConnection(QString& cause);
    // Reads every record (with its creation time only `withCreation`), handing each to `keep`.
    QString readRows(bool withCreation, const std::function<void(Opportunity&&)>& keep);
    // Why the write of `opportunity` (record number and row version) found nothing to change:
    // who changed or deleted the record, and what it holds now.
    QString conflict(pg_conn* connection, const Opportunity& opportunity);

    // Starts connecting to `uri` without waiting for the server; nullptr when libpq is missing
    // or out of memory.
    static Connection startConnecting(const QString& uri, const QString& password);
    // A connection whose attempt has ended, checked: it, or why not (with `login` told how a
    // password fared).
    static ResultValue<Connection> connected(Connection connection, Login* login);
    // Listens for the team tables' announcements on `connection`, read as they arrive; false
    // when the server refuses.
    bool listenOn(Connection connection);
    // While the listening connection is lost, each tick of the reconnect timer starts an
    // attempt to connect anew. The attempt goes on as its socket becomes ready (advanceAttempt
    // with libpq's polling state), so a server that does not answer never holds up the window.
    void tryListening();
    void advanceAttempt(int state);
    // Reads what arrived on the listening connection and hands the changes on.
    void takeNotices();

    QString m_uri;
    QString m_location;
    QString m_password;
    Login* m_loginReport = nullptr;
    bool m_lost = false;
    Access m_access;
    Connection m_connection;
    // The schema version of the tables when it is newer than this program's (0 when not).
    int m_newerVersion = 0;
    ChangeHandler m_changeHandler;
    Connection m_listener;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_reconnect;
    Connection m_attempt;
    QElapsedTimer m_attemptStarted;
    // As the connection's connect_timeout.
    static constexpr qint64 AttemptMs = 10'000;
    std::unique_ptr<QSocketNotifier> m_attemptNotifier;
};
