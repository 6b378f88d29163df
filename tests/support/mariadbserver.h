#pragma once

// A real MariaDB server for the tests and the classroom benchmark: Debian's
// mariadbd, started with --no-defaults on a data folder of its own (system
// tables made with --bootstrap), listening on its own socket and a free TCP
// port of the loopback interface. Run as root, the server runs as the
// unprivileged user "nobody", as a server should.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class MariaDbServer
{
public:
    MariaDbServer();
    ~MariaDbServer();
    MariaDbServer(const MariaDbServer&) = delete;
    MariaDbServer& operator=(const MariaDbServer&) = delete;

    // Makes the data folder the first time, then starts the server and waits
    // until it accepts connections. An empty text when it runs, else what
    // went wrong.
    QString start();
    // Stops the server as an administrator would (SIGTERM) and waits for it.
    void stop();
    qint64 pid() const { return m_server.processId(); }

    QString socket() const { return m_folder.filePath(QStringLiteral("server/mysqld.sock")); }
    quint16 port() const { return m_port; }
    // A folder the test may write its own files to (a password file…).
    QString folder() const { return m_folder.path(); }

    // Runs statements as the server's root account; an empty text when all
    // ran, else the server's error.
    QString administer(const QStringList& statements) const;

private:
    QString bootstrap();
    QStringList serverArguments() const;
    QString errorLog() const { return m_folder.filePath(QStringLiteral("server/error.log")); }

    QTemporaryDir m_folder{QStringLiteral("/tmp/corbelet-mariadb-XXXXXX")};
    QProcess m_server;
    quint16 m_port = 0;
    bool m_bootstrapped = false;
};
