#include "tests/support/mariadbserver.h"

#include "wordstore/wordstore.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace {

constexpr char kServerProgram[] = "/usr/sbin/mariadbd";
constexpr char kShare[] = "/usr/share/mysql";

// The account the server runs as when the test runs as root.
const passwd* serverAccount()
{
    return geteuid() == 0 ? getpwnam("nobody") : nullptr;
}

quint16 freePort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

MariaDbServer::MariaDbServer() = default;

MariaDbServer::~MariaDbServer()
{
    stop();
}

QStringList MariaDbServer::serverArguments() const
{
    QStringList arguments{QStringLiteral("--no-defaults"),
                          QStringLiteral("--datadir=") + m_folder.filePath(QStringLiteral("data")),
                          QStringLiteral("--lc-messages-dir=") + QLatin1String(kShare),
                          QStringLiteral("--character-sets-dir=") + QLatin1String(kShare) +
                              QStringLiteral("/charsets"),
                          QStringLiteral("--skip-innodb"),
                          QStringLiteral("--default-storage-engine=MyISAM"),
                          QStringLiteral("--log-warnings=0"),
                          QStringLiteral("--silent-startup")};
    if (const passwd* account = serverAccount())
        arguments << QStringLiteral("--user=") + QString::fromLocal8Bit(account->pw_name);
    return arguments;
}

QString MariaDbServer::bootstrap()
{
    const QString data = m_folder.filePath(QStringLiteral("data"));
    const QString run = m_folder.filePath(QStringLiteral("server"));
    if (!m_folder.isValid() || !QDir().mkpath(data) || !QDir().mkpath(run))
        return QStringLiteral("no folder for the server");
    if (const passwd* account = serverAccount()) {
        // The server's user reaches its folder and owns its data, socket and
        // process file.
        if (chmod(QFile::encodeName(m_folder.path()).constData(), 0755) != 0 ||
            chown(QFile::encodeName(data).constData(), account->pw_uid, account->pw_gid) != 0 ||
            chown(QFile::encodeName(run).constData(), account->pw_uid, account->pw_gid) != 0)
            return QStringLiteral("cannot hand the server's folders to its user");
    }
    QByteArray script = "CREATE DATABASE mysql;\nUSE mysql;\n";
    for (const char* file : {"mysql_system_tables.sql", "mysql_system_tables_data.sql"}) {
        QFile part(QLatin1String(kShare) + QLatin1Char('/') + QLatin1String(file));
        if (!part.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read ") + part.fileName();
        script += part.readAll() + "\n";
    }
    QProcess bootstrap;
    bootstrap.setProcessChannelMode(QProcess::MergedChannels);
    bootstrap.start(QLatin1String(kServerProgram), serverArguments()
                                                       << QStringLiteral("--bootstrap"));
    bootstrap.write(script);
    bootstrap.closeWriteChannel();
    if (!bootstrap.waitForFinished(60000) || bootstrap.exitCode() != 0)
        return QStringLiteral("the server's bootstrap failed: ") +
               QString::fromLocal8Bit(bootstrap.readAll());
    m_bootstrapped = true;
    return {};
}

QString MariaDbServer::start()
{
    if (!m_bootstrapped) {
        if (const QString failure = bootstrap(); !failure.isEmpty())
            return failure;
        m_port = freePort();
    }
    QFile::remove(socket());
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QLatin1String(kServerProgram),
                   serverArguments() << QStringLiteral("--socket=") + socket()
                                     << QStringLiteral("--port=%1").arg(m_port)
                                     << QStringLiteral("--bind-address=127.0.0.1")
                                     << QStringLiteral("--log-error=") + errorLog()
                                     << QStringLiteral("--pid-file=") +
                                            m_folder.filePath(QStringLiteral("server/mysqld.pid")));
    if (!m_server.waitForStarted())
        return QStringLiteral("cannot start ") + QLatin1String(kServerProgram);
    const bool ready = QTest::qWaitFor(
        [&] {
            return m_server.state() != QProcess::Running ||
                   administer({QStringLiteral("SELECT 1")}).isEmpty();
        },
        60000);
    if (!ready || m_server.state() != QProcess::Running) {
        QFile log(errorLog());
        return QStringLiteral("the server did not come up: ") +
               (log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString());
    }
    return {};
}

void MariaDbServer::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(30000))
        m_server.kill();
    m_server.waitForFinished();
}

QString MariaDbServer::administer(const QStringList& statements) const
{
    TWordStore store;
    ServerSettings settings;
    settings.socket = socket().toStdString();
    settings.user = "root";
    settings.database = "mysql";
    store.Server = settings;
    try {
        for (const QString& statement : statements)
            store.Execute(statement.toStdString());
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}
