#include "app/singleinstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

// The one request a later start sends.
constexpr char kActivateRequest[] = "activate\n";
// A request line never gets longer; anything beyond is not ours.
constexpr qint64 kMaxRequestBytes = 64;
// Pause between two tries of a later start while the first is still starting.
constexpr unsigned long kRetryPauseMs = 20;

// Makes sure that `path` is a real folder (not a link) owned by this user with
// mode 0700, creating it when missing.
bool EnsurePrivateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info
    {};
    if (lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != geteuid())
        return false;
    if ((info.st_mode & 07777) != 0700 && chmod(native.constData(), 0700) != 0)
        return false;
    return true;
}

// The socket address of a path; false when the path is too long for one.
bool socketAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray native = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (native.isEmpty() || std::size_t(native.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, native.constData(), std::size_t(native.size()));
    return true;
}

// One connection of a later start: its request lines, read as they come.
// Goes when the other side closes it or sends something that is not ours.
class RequestConnection : public QObject
{
public:
    RequestConnection(int fd, QObject* parent, std::function<void()> onRequest)
        : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read),
          m_onRequest(std::move(onRequest))
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &RequestConnection::read);
    }
    ~RequestConnection() override
    {
        m_notifier.setEnabled(false);
        ::close(m_fd);
    }
    RequestConnection(const RequestConnection&) = delete;
    RequestConnection& operator=(const RequestConnection&) = delete;

    void read()
    {
        char buffer[kMaxRequestBytes];
        for (;;) {
            const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
            if (count > 0) {
                m_pending.append(buffer, count);
                handleLines();
                if (m_pending.size() >= kMaxRequestBytes)
                    return end(); // an endless line: not a start of ours
                continue;
            }
            if (count < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            return end(); // closed, or broken
        }
    }

private:
    void handleLines()
    {
        qsizetype newline;
        while ((newline = m_pending.indexOf('\n')) >= 0) {
            const bool request = m_pending.first(newline + 1) == kActivateRequest;
            m_pending.remove(0, newline + 1);
            if (request)
                m_onRequest();
        }
    }

    void end()
    {
        m_notifier.setEnabled(false);
        deleteLater();
    }

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_pending;
    std::function<void()> m_onRequest;
};

QString UserName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return QFile::decodeName(entry->pw_name);
    return QString::number(geteuid());
}

} // namespace

SingleInstance::SingleInstance(const QString& executablePath, const QString& runtimeDirectory,
                               QObject* parent)
    : QObject(parent), m_identity(InstanceIdentity(executablePath)),
      m_directory(runtimeDirectory.isEmpty() ? RuntimeDirectory() : runtimeDirectory)
{
    // The window the player used last is the one to bring back.
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        connect(application, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now != nullptr)
                m_lastActive = now->window();
        });
    }
}

SingleInstance::~SingleInstance()
{
    if (m_listenFd >= 0) {
        // The socket file goes while the lock is still held.
        ::close(m_listenFd);
        ::unlink(QFile::encodeName(serverName()).constData());
    }
    // The lock file stays: removing it would let a start that opened the old
    // file and one that creates a new file both believe they are first.
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::InstanceIdentity(const QString& executablePath)
{
    QString path = QFileInfo(executablePath).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QFileInfo(executablePath).absoluteFilePath());
    const QByteArray digest =
        QCryptographicHash::hash(QFile::encodeName(path), QCryptographicHash::Sha256);
    return QStringLiteral("corbelet-") + QString::fromLatin1(digest.toHex().left(24));
}

QString SingleInstance::RuntimeDirectory()
{
    QString folder;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        folder = QDir::tempPath() + QStringLiteral("/runtime-") + UserName();
    else
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!folder.isEmpty() && EnsurePrivateFolder(folder))
        return folder;
    // That folder is not the user's (another user made it first, or a link or
    // a file stands in its place): a folder in the user's own cache serves
    // instead, one per machine, since a home folder may be shared by several.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache))
        return QString();
    folder = cache + QStringLiteral("/corbelet-runtime-") + QSysInfo::machineHostName();
    return EnsurePrivateFolder(folder) ? folder : QString();
}

QString SingleInstance::lockFilePath() const
{
    return m_directory + QLatin1Char('/') + m_identity + QStringLiteral(".lock");
}

QString SingleInstance::serverName() const
{
    return m_directory + QLatin1Char('/') + m_identity + QStringLiteral(".socket");
}

bool SingleInstance::isListening() const
{
    return m_listenFd >= 0;
}

SingleInstance::LockResult SingleInstance::takeLock()
{
    if (m_lockFd >= 0)
        return LockResult::Taken;
    if (m_directory.isEmpty())
        return LockResult::Unavailable;
    const QByteArray path = QFile::encodeName(lockFilePath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return LockResult::Unavailable;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_lockFd = fd;
        return LockResult::Taken;
    }
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? LockResult::HeldElsewhere : LockResult::Unavailable;
}

bool SingleInstance::EnsureSingleInstance()
{
    const QDeadlineTimer deadline(2000);
    for (;;) {
        switch (takeLock()) {
        case LockResult::Taken:
            startListening();
            return true;
        case LockResult::Unavailable:
            // No lock can be had at all (no runtime folder, a foreign file in
            // the way, no lock support): the program runs rather than refusing
            // a start it cannot judge.
            return true;
        case LockResult::HeldElsewhere:
            break;
        }
        // Another instance holds the lock; it may still be starting and not
        // listen yet, or be ending and let go of the lock, so both are retried.
        if (ActivateInstance(0))
            return false;
        if (deadline.hasExpired())
            return false; // It neither answers nor ends: nothing is brought forward.
        QThread::msleep(kRetryPauseMs);
    }
}

bool SingleInstance::ActivateInstance(int timeoutMs)
{
    sockaddr_un address;
    if (!socketAddress(serverName(), address))
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        // A connection to a listening Unix socket is made at once, or refused
        // at once (none there yet, or its queue full): never waited for.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd >= 0) {
            const ssize_t size = sizeof kActivateRequest - 1;
            const bool written =
                ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                ::send(fd, kActivateRequest, size, MSG_NOSIGNAL) == size;
            ::close(fd);
            if (written)
                return true;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kRetryPauseMs);
    }
}

void SingleInstance::startListening()
{
    if (m_listenFd >= 0)
        return;
    // Without a socket the program still runs as the only instance (the lock
    // sees to that); later starts just cannot bring it forward and end anyway.
    sockaddr_un address;
    if (!socketAddress(serverName(), address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // A socket file left by an instance that was killed would block bind();
    // holding the lock proves nobody else uses it.
    ::unlink(address.sun_path);
    // For this user only (in a folder that is already the user's own).
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return;
    }
    m_listenFd = fd;
    m_listener = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listener, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
    connect(this, &SingleInstance::activationRequested, this,
            &SingleInstance::onActivationRequested);
}

void SingleInstance::acceptConnections()
{
    int connection;
    while ((connection = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >=
           0) {
        auto* request =
            new RequestConnection(connection, this, [this] { emit activationRequested(); });
        // What was sent before the connection was seen is read at once.
        request->read();
    }
}

void SingleInstance::setMainWindow(QWidget* window)
{
    m_mainWindow = window;
    if (m_pendingActivation && window != nullptr) {
        m_pendingActivation = false;
        BringToFront(window, m_lastActive);
    }
}

void SingleInstance::onActivationRequested()
{
    if (m_mainWindow.isNull()) {
        m_pendingActivation = true;
        return;
    }
    BringToFront(m_mainWindow, m_lastActive);
}

void BringToFront(QWidget* mainWindow, QWidget* lastActive)
{
    if (mainWindow == nullptr)
        return;
    // Only the minimised flag goes: a window that was maximised comes back so.
    if (mainWindow->isMinimized())
        mainWindow->setWindowState(mainWindow->windowState() & ~Qt::WindowMinimized);
    mainWindow->show();
    QWidget* target = QApplication::activeModalWidget();
    if (target == nullptr && lastActive != nullptr && lastActive->isVisible() &&
        !lastActive->isMinimized())
        target = lastActive;
    if (target == nullptr)
        target = mainWindow;
    target->raise();
    target->activateWindow();
}
