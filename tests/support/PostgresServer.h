#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A private PostgreSQL 15 server for the tests of the team database: its own cluster in a
// temporary folder, listening on 127.0.0.1 and a free port only, with password-free logins for
// the administrator "admin" and the roles the tests make, unless a test asks for a password.
// Started by start(), stopped by stop() and at the end. initdb and the server refuse to run as
// root: as root their programs run as the "postgres" user (made by Debian's package), whose folder
// it is. The tests' server trades durability for speed (no fsync); a Durable one keeps the
// server's defaults, so that a commit waits for its flush to the disk as on a real server.
class PostgresServer {
public:
    enum class Durability { Fast, Durable };

    explicit PostgresServer(Durability durability = Durability::Fast);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // Makes the cluster (once) and starts the server; false, with error(), when it cannot (the
    // programs are missing, the cluster cannot be made, the server does not come up).
    bool start();
    // Stops the server at once, as a crash or a pulled cable would (connections are cut).
    bool stop();
    bool isRunning() const { return m_running; }
    // The port on 127.0.0.1 that the server listens on, kept from one start to the next.
    int port() const { return m_port; }
    const QString& error() const { return m_error; }

    // The path of one of the server's programs (pg_dump, pg_restore...).
    QString program(const QString& name) const;
    // The URI of `database` for `role` ("admin" when empty).
    QString uri(const QString& database, const QString& role = QString()) const;
    // A new, empty database owned by the role "team", which every role made by addRole()
    // belongs to; its URI for `role`.
    QString createDatabase(const QString& name, const QString& role = QString());
    // A login role (a representative) in the group "team".
    bool addRole(const QString& name);
    // The role `name` (made by addRole()) logs in with `password` only, from now on; a later
    // call changes its password.
    bool requirePassword(const QString& name, const QString& password);
    // The rights on the team tables that the group "team" needs to work with them.
    static QString teamGrants();
    // Runs `sql` in `database` as the administrator; "" when it succeeded, else the server's
    // message. The first row's first value goes to `value` when given.
    QString exec(const QString& database, const QString& sql, QString* value = nullptr);

private:
    bool run(const QString& program, const QStringList& arguments);

    QString m_binDir;
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_dataDir;
    int m_port = 0;
    bool m_running = false;
    bool m_asPostgres = false;
    Durability m_durability;
    QString m_error;
    QStringList m_roles;
};
