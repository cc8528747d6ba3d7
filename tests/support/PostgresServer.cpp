#include "PostgresServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <arpa/inet.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP port on 127.0.0.1 that nothing listens on now.
int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

} // namespace

PostgresServer::PostgresServer(Durability durability) : m_durability(durability) {
    const QByteArray configured = qgetenv("CORVANE_POSTGRESQL_BINDIR");
    m_binDir = configured.isEmpty() ? QStringLiteral("/usr/lib/postgresql/15/bin")
                                    : QString::fromLocal8Bit(configured);
    m_asPostgres = ::geteuid() == 0;
}

PostgresServer::~PostgresServer() {
    stop();
}

bool PostgresServer::run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_folder->path());
    const QString path = QDir(m_binDir).filePath(program);
    if (m_asPostgres)
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                  QStringLiteral("--"), path} +
                          arguments);
    else
        process.start(path, arguments);
    if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        m_error = QStringLiteral("%1 failed: %2 %3")
                      .arg(program, process.errorString(),
                           QString::fromLocal8Bit(process.readAll()).trimmed());
        return false;
    }
    return true;
}

bool PostgresServer::start() {
    if (m_running)
        return true;
    if (!QFileInfo(QDir(m_binDir).filePath(QStringLiteral("initdb"))).isExecutable() ||
        !QFileInfo(QDir(m_binDir).filePath(QStringLiteral("pg_ctl"))).isExecutable()) {
        m_error = QStringLiteral("the PostgreSQL 15 server programs are not in %1 (install the "
                                 "package postgresql: scripts/install-deps.sh)")
                      .arg(m_binDir);
        return false;
    }
    if (!m_folder) {
        m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                   QStringLiteral("/corvane-pg-XXXXXX"));
        if (!m_folder->isValid()) {
            m_error = QStringLiteral("no temporary folder: ") + m_folder->errorString();
            return false;
        }
        if (m_asPostgres) {
            const passwd* postgres = ::getpwnam("postgres");
            if (!postgres) {
                m_error = QStringLiteral("running as root, and there is no user postgres to run "
                                         "the server as (install the package postgresql)");
                return false;
            }
            if (::chown(QFile::encodeName(m_folder->path()).constData(), postgres->pw_uid,
                        postgres->pw_gid) != 0) {
                m_error = QStringLiteral("cannot give the server's folder to the user postgres");
                return false;
            }
        }
        m_dataDir = m_folder->filePath(QStringLiteral("data"));
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), m_dataDir, QStringLiteral("-U"), QStringLiteral("admin"),
                  QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"),
                  QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")}))
            return false;
    }
    for (int attempt = 0; attempt < 3 && !m_running; ++attempt) {
        if (m_port == 0 || attempt > 0)
            m_port = freePort();
        const QString options =
            QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -c unix_socket_directories='' "
                           "-c max_connections=40 -c shared_buffers=16MB%2")
                .arg(m_port)
                .arg(m_durability == Durability::Fast
                         ? QStringLiteral(" -c fsync=off -c full_page_writes=off")
                         : QString());
        m_running = run(QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), m_dataDir, QStringLiteral("-l"),
                         m_folder->filePath(QStringLiteral("server.log")), QStringLiteral("-o"),
                         options, QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                         QStringLiteral("start")});
    }
    if (!m_running) {
        QFile log(m_folder->filePath(QStringLiteral("server.log")));
        if (log.open(QIODevice::ReadOnly))
            m_error += QLatin1Char('\n') + QString::fromLocal8Bit(log.readAll().right(2000));
    }
    return m_running;
}

bool PostgresServer::stop() {
    if (!m_running)
        return true;
    m_running = !run(QStringLiteral("pg_ctl"),
                     {QStringLiteral("-D"), m_dataDir, QStringLiteral("-m"),
                      QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
    return !m_running;
}

QString PostgresServer::program(const QString& name) const {
    return QDir(m_binDir).filePath(name);
}

QString PostgresServer::uri(const QString& database, const QString& role) const {
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3")
        .arg(role.isEmpty() ? QStringLiteral("admin") : role)
        .arg(m_port)
        .arg(database);
}

QString PostgresServer::exec(const QString& database, const QString& sql, QString* value) {
    PGconn* connection = PQconnectdb(uri(database).toUtf8().constData());
    QString failure;
    if (PQstatus(connection) != CONNECTION_OK) {
        failure = QString::fromUtf8(PQerrorMessage(connection)).trimmed();
    } else {
        PGresult* result = PQexec(connection, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            failure = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
        else if (value && PQntuples(result) > 0)
            *value = QString::fromUtf8(PQgetvalue(result, 0, 0));
        PQclear(result);
    }
    PQfinish(connection);
    return failure;
}

bool PostgresServer::addRole(const QString& name) {
    if (m_roles.contains(name))
        return true;
    if (m_roles.isEmpty() && !exec(QStringLiteral("postgres"), "CREATE ROLE team").isEmpty())
        return false;
    if (!exec(QStringLiteral("postgres"),
              QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE team").arg(name))
             .isEmpty())
        return false;
    m_roles.append(name);
    return true;
}

QString PostgresServer::teamGrants() {
    return QStringLiteral("GRANT SELECT ON CorvaneSchema TO team; "
                          "GRANT SELECT, INSERT, UPDATE, DELETE ON Sales TO team; "
                          "GRANT SELECT, INSERT ON SalesRemoved TO team; "
                          "GRANT USAGE ON SEQUENCE SalesRecordNumber TO team");
}

bool PostgresServer::requirePassword(const QString& name, const QString& password) {
    if (!exec(QStringLiteral("postgres"),
              QStringLiteral("ALTER ROLE %1 PASSWORD '%2'").arg(name, password))
             .isEmpty())
        return false;
    // The first matching line of pg_hba.conf decides: this role's goes before the trusting ones.
    QFile hba(QDir(m_dataDir).filePath(QStringLiteral("pg_hba.conf")));
    if (!hba.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line =
        QStringLiteral("host all %1 127.0.0.1/32 scram-sha-256\n").arg(name).toUtf8();
    QByteArray rules = hba.readAll();
    hba.close();
    if (!rules.startsWith(line) && !rules.contains("\n" + line)) {
        rules.prepend(line);
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) || hba.write(rules) < 0)
            return false;
        hba.close();
        if (!run(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), m_dataDir, QStringLiteral("reload")}))
            return false;
    }
    // The server takes up the rules a moment after the reload.
    const QByteArray target = uri(QStringLiteral("postgres"), name).toUtf8();
    for (int attempt = 0; attempt < 100; ++attempt) {
        PGconn* probe = PQconnectdb(target.constData());
        const bool asks = PQconnectionNeedsPassword(probe);
        PQfinish(probe);
        if (asks)
            return true;
        QThread::msleep(50);
    }
    return false;
}

QString PostgresServer::createDatabase(const QString& name, const QString& role) {
    if (m_roles.isEmpty() && !addRole(QStringLiteral("representative")))
        return QString();
    const QString failed =
        exec(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1 OWNER team").arg(name));
    if (!failed.isEmpty()) {
        m_error = failed;
        return QString();
    }
    // The representatives share the public schema of the team's database.
    exec(name, QStringLiteral("GRANT ALL ON SCHEMA public TO team"));
    return uri(name, role);
}
