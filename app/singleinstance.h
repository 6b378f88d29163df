#pragma once

// One running instance per executable file.
//
// The instance that starts first takes an exclusive lock on a file in the
// user's runtime folder, named after the executable's canonical path, and
// holds it for the whole run; the kernel drops the lock when the process ends,
// however it ends. It also listens on a Unix socket named the same way (a
// plain socket watched by the event loop: nothing more is needed for one
// line). A later start of the same file fails to take the lock, connects to
// that socket, asks the running instance to come to the front and ends.

#include <QObject>
#include <QPointer>
#include <QString>

class QSocketNotifier;
class QWidget;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // executablePath: the running program's file (links are resolved here).
    // runtimeDirectory: where the lock file and the socket live; empty = the
    // user's runtime folder (RuntimeDirectory()).
    explicit SingleInstance(const QString& executablePath,
                            const QString& runtimeDirectory = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // A short name standing for one executable file: the same for every path
    // that reaches the same file (links to it or to a folder above it),
    // different for different files. Letter case is significant, as it is for
    // the file system. An empty path or a file that does not exist is named
    // after the path as given.
    static QString InstanceIdentity(const QString& executablePath);

    // The user's runtime folder, created with mode 0700 when missing. Without
    // XDG_RUNTIME_DIR this is <temp>/runtime-<user>, as Qt would choose, but
    // without Qt's warning. When that folder cannot be the user's own, a
    // private folder in the user's cache, corbelet-runtime-<host>; empty when
    // no private folder can be had at all.
    static QString RuntimeDirectory();

    // True when this process may go on: it now holds the lock and answers
    // later starts; also true when the lock file cannot be used at all, since
    // a start is never refused by accident. False when another instance of the
    // same file runs: it has been asked to come to the front and this process
    // should end with exit code 0 without creating any window.
    bool EnsureSingleInstance();

    // Asks the instance holding the lock to come to the front. Retries for up
    // to timeoutMs while that instance is still starting. Returns whether the
    // request was delivered.
    bool ActivateInstance(int timeoutMs = 2000);

    // Whether this process holds the lock.
    bool isPrimary() const { return m_lockFd >= 0; }
    // Whether this process answers activation requests.
    bool isListening() const;

    QString identity() const { return m_identity; }
    QString lockFilePath() const;
    QString serverName() const;

    // The window brought to the front on a request; a request that arrives
    // before it is set is remembered and applied then.
    void setMainWindow(QWidget* window);

signals:
    // A later start asked this instance to come to the front.
    void activationRequested();

private:
    enum class LockResult
    {
        Taken,
        HeldElsewhere,
        Unavailable
    };
    LockResult takeLock();
    void startListening();
    void acceptConnections();
    void onActivationRequested();

    QString m_identity;
    QString m_directory;
    int m_lockFd = -1;
    int m_listenFd = -1;
    QSocketNotifier* m_listener = nullptr;
    QPointer<QWidget> m_mainWindow;
    QPointer<QWidget> m_lastActive;
    bool m_pendingActivation = false;
};

// Brings the program to the front on behalf of a later start: the main window
// is restored if it was minimised, then raised and activated; when a modal box
// is up, the box is raised and activated instead, since it holds the input.
// lastActive, when given and still visible, is preferred over the main window
// (the window the player used last, e.g. the configuration window). Other
// windows keep their state.
void BringToFront(QWidget* mainWindow, QWidget* lastActive = nullptr);
