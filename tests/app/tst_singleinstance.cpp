// One instance per executable file, within one process: the identity of
// paths, the lock, the activation request and its answer, and the cases where
// the lock cannot be used and the program must still run.

#include "app/singleinstance.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool makeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n") > 0;
}

mode_t modeOf(const QString& path)
{
    struct stat info
    {};
    if (lstat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

// Restores an environment variable at the end of a test.
class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(const char* name)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_value(qgetenv(name))
    {}
    ~EnvironmentGuard()
    {
        if (m_had)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_value;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_program; // <root>/jeu/corbelet
    QString m_runtime; // <root>/runtime, mode 0700

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("jeu")));
        m_program = m_root.filePath(QStringLiteral("jeu/corbelet"));
        QVERIFY(makeFile(m_program));
    }

    void init()
    {
        // A fresh runtime folder per test, so no lock or socket carries over.
        static int count = 0;
        m_runtime = m_root.filePath(QStringLiteral("runtime%1").arg(++count));
        QVERIFY(QDir().mkdir(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void identityFollowsTheFileNotThePath()
    {
        const QString identity = SingleInstance::InstanceIdentity(m_program);
        QVERIFY(identity.startsWith(QStringLiteral("corbelet-")));
        QVERIFY(identity.size() < 40); // fits in a socket path with room to spare

        // A link to the file, a link to its folder, a path with "..": the same file.
        const QString fileLink = m_root.filePath(QStringLiteral("lien-corbelet"));
        QVERIFY(QFile::link(m_program, fileLink));
        const QString folderLink = m_root.filePath(QStringLiteral("lien-jeu"));
        QVERIFY(QFile::link(m_root.filePath(QStringLiteral("jeu")), folderLink));
        QCOMPARE(SingleInstance::InstanceIdentity(fileLink), identity);
        QCOMPARE(SingleInstance::InstanceIdentity(folderLink + QStringLiteral("/corbelet")),
                 identity);
        QCOMPARE(SingleInstance::InstanceIdentity(
                     m_root.filePath(QStringLiteral("jeu/../jeu/corbelet"))),
                 identity);

        // Two files whose names differ in letter case are two programs.
        const QString upper = m_root.filePath(QStringLiteral("jeu/Corbelet"));
        QVERIFY(makeFile(upper));
        QVERIFY(QFileInfo(upper).canonicalFilePath() != QFileInfo(m_program).canonicalFilePath());
        QVERIFY(SingleInstance::InstanceIdentity(upper) != identity);

        // A copy in another folder is another program.
        QVERIFY(QDir(m_root.path()).mkpath(QStringLiteral("copie")));
        const QString copy = m_root.filePath(QStringLiteral("copie/corbelet"));
        QVERIFY(QFile::copy(m_program, copy));
        QVERIFY(SingleInstance::InstanceIdentity(copy) != identity);
    }

    void secondStartIsRefusedAndAsksTheFirstToComeForward()
    {
        SingleInstance first(m_program, m_runtime);
        QVERIFY(first.EnsureSingleInstance());
        QVERIFY(first.isPrimary());
        QVERIFY(first.isListening());
        QCOMPARE(modeOf(first.lockFilePath()), mode_t(0600));
        QSignalSpy activations(&first, &SingleInstance::activationRequested);

        // The same file through a link to its folder.
        const QString folderLink = m_root.filePath(QStringLiteral("autre-lien"));
        QVERIFY(QFile::link(m_root.filePath(QStringLiteral("jeu")), folderLink));
        SingleInstance second(folderLink + QStringLiteral("/corbelet"), m_runtime);
        QVERIFY(!second.EnsureSingleInstance());
        QVERIFY(!second.isPrimary());
        QVERIFY(!second.isListening());

        QVERIFY(activations.wait(5000));
        QCOMPARE(activations.size(), 1);

        // A third start meets the same answer.
        SingleInstance third(m_program, m_runtime);
        QVERIFY(!third.EnsureSingleInstance());
        QTRY_COMPARE(activations.size(), 2);
    }

    void anotherFileRunsBeside()
    {
        SingleInstance first(m_program, m_runtime);
        QVERIFY(first.EnsureSingleInstance());
        const QString upper = m_root.filePath(QStringLiteral("jeu/CORBELET"));
        QVERIFY(makeFile(upper));
        SingleInstance other(upper, m_runtime);
        QVERIFY(other.EnsureSingleInstance());
        QVERIFY(other.isPrimary());
        QVERIFY(other.isListening());
    }

    void theLockIsFreedWhenTheInstanceEnds()
    {
        QString lockFile;
        {
            SingleInstance first(m_program, m_runtime);
            QVERIFY(first.EnsureSingleInstance());
            lockFile = first.lockFilePath();
        }
        // The lock file itself stays (removing it would race with a starter
        // that has it open); only its lock is gone, and the stale socket file
        // does not get in the way.
        QVERIFY(QFileInfo::exists(lockFile));
        SingleInstance next(m_program, m_runtime);
        QVERIFY(next.EnsureSingleInstance());
        QVERIFY(next.isPrimary());
        QVERIFY(next.isListening());
    }

    void aStaleSocketFileIsReplaced()
    {
        SingleInstance probe(m_program, m_runtime);
        QVERIFY(makeFile(probe.serverName()));
        SingleInstance first(m_program, m_runtime);
        QVERIFY(first.EnsureSingleInstance());
        QVERIFY(first.isListening());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);
        QVERIFY(first.ActivateInstance(1000));
        QVERIFY(activations.wait(5000));
    }

    void theSocketIsForThisUserOnly()
    {
        SingleInstance first(m_program, m_runtime);
        QVERIFY(first.EnsureSingleInstance());
        QCOMPARE(modeOf(first.serverName()) & 0077, mode_t(0));
    }

    void onlyTheActivationRequestIsHeard()
    {
        SingleInstance first(m_program, m_runtime);
        QVERIFY(first.EnsureSingleInstance());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);

        QLocalSocket stranger;
        stranger.connectToServer(first.serverName());
        QVERIFY(stranger.waitForConnected(1000));
        stranger.write("bonjour\n");
        stranger.write(QByteArray(200, 'x')); // an endless line is cut off
        QVERIFY(stranger.waitForBytesWritten(1000));
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(activations.size(), 0);

        // Two requests on one connection count twice.
        QLocalSocket twice;
        twice.connectToServer(first.serverName());
        QVERIFY(twice.waitForConnected(1000));
        twice.write("activate\nactivate\n");
        QVERIFY(twice.waitForBytesWritten(1000));
        QTRY_COMPARE(activations.size(), 2);
    }

    void aLinkInPlaceOfTheLockFileIsNotFollowed()
    {
        SingleInstance probe(m_program, m_runtime);
        const QString target = m_root.filePath(QStringLiteral("cible"));
        QVERIFY(makeFile(target));
        QVERIFY(QFile::link(target, probe.lockFilePath()));
        SingleInstance first(m_program, m_runtime);
        // The lock cannot be had, so the start is not refused.
        QVERIFY(first.EnsureSingleInstance());
        QVERIFY(!first.isPrimary());
        QCOMPARE(QFileInfo(target).size(), qint64(10)); // untouched
    }

    void withoutARuntimeFolderTheProgramRuns()
    {
        const QString blocker = m_root.filePath(QStringLiteral("fichier"));
        QVERIFY(makeFile(blocker));
        SingleInstance first(m_program, blocker + QStringLiteral("/sous-dossier"));
        QVERIFY(first.EnsureSingleInstance());
        QVERIFY(!first.isPrimary());
        SingleInstance second(m_program, blocker + QStringLiteral("/sous-dossier"));
        QVERIFY(second.EnsureSingleInstance());
    }

    void runtimeFolderWithoutXdgRuntimeDir()
    {
        EnvironmentGuard runtime("XDG_RUNTIME_DIR");
        EnvironmentGuard temp("TMPDIR");
        const QString temporary = m_root.filePath(QStringLiteral("tmp-sans-xdg"));
        QVERIFY(QDir().mkdir(temporary));
        qputenv("TMPDIR", QFile::encodeName(temporary));
        qunsetenv("XDG_RUNTIME_DIR");

        const QString folder = SingleInstance::RuntimeDirectory();
        QVERIFY(folder.startsWith(temporary + QStringLiteral("/runtime-")));
        QCOMPARE(modeOf(folder), mode_t(0700));

        // A folder left too open is closed again.
        QVERIFY(chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QCOMPARE(SingleInstance::RuntimeDirectory(), folder);
        QCOMPARE(modeOf(folder), mode_t(0700));

        // A folder that is not the user's (another user's, where the system
        // allows making one, and a link) is not used: a private folder in the
        // user's cache serves instead, and one instance still runs.
        EnvironmentGuard cacheHome("XDG_CACHE_HOME");
        const QString cache = m_root.filePath(QStringLiteral("cache"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
        if (geteuid() == 0) {
            QVERIFY(chown(QFile::encodeName(folder).constData(), 65534, 65534) == 0);
            QVERIFY(SingleInstance::RuntimeDirectory().startsWith(cache));
        }
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QFile::link(m_runtime, folder));
        const QString fallback = SingleInstance::RuntimeDirectory();
        QVERIFY2(fallback.startsWith(cache + QStringLiteral("/corbelet-runtime-")),
                 qPrintable(fallback));
        QCOMPARE(modeOf(fallback), mode_t(0700));
        {
            SingleInstance first(m_program);
            QVERIFY(first.EnsureSingleInstance());
            QVERIFY(first.isPrimary());
            SingleInstance second(m_program);
            QVERIFY(!second.EnsureSingleInstance());
        }

        // Without any private folder the program runs all the same.
        const QString blocker = m_root.filePath(QStringLiteral("pas-un-cache"));
        QVERIFY(makeFile(blocker));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(blocker));
        QCOMPARE(SingleInstance::RuntimeDirectory(), QString());
        SingleInstance instance(m_program);
        QVERIFY(instance.EnsureSingleInstance());
        QVERIFY(!instance.isPrimary());
    }

    void runtimeFolderFromXdgRuntimeDir()
    {
        EnvironmentGuard runtime("XDG_RUNTIME_DIR");
        const QString folder = m_root.filePath(QStringLiteral("xdg-neuf"));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
        QCOMPARE(SingleInstance::RuntimeDirectory(), folder);
        QCOMPARE(modeOf(folder), mode_t(0700));
    }

    void aRequestBeforeTheWindowExistsIsKept()
    {
        SingleInstance first(m_program, m_runtime);
        QVERIFY(first.EnsureSingleInstance());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);
        QVERIFY(first.ActivateInstance(1000));
        QVERIFY(activations.wait(5000));

        QWidget other;
        other.show();
        QWidget window;
        window.showMinimized();
        QVERIFY(window.isMinimized());
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        first.setMainWindow(&window);
        QVERIFY(!window.isMinimized());
        QVERIFY(window.isVisible());
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    void theRunningInstanceComesForward()
    {
        SingleInstance first(m_program, m_runtime);
        QVERIFY(first.EnsureSingleInstance());
        QWidget window;
        QWidget dialog(&window, Qt::Dialog); // stays hidden, as the configuration window
        window.show();
        first.setMainWindow(&window);
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        window.showMinimized();

        SingleInstance second(m_program, m_runtime);
        QVERIFY(!second.EnsureSingleInstance());
        QTRY_VERIFY(!window.isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(!dialog.isVisible()); // the hidden windows stay hidden
    }

    void theLastUsedWindowIsPreferred()
    {
        QWidget window;
        QWidget dialog(&window, Qt::Dialog);
        window.show();
        dialog.show();
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        BringToFront(&window, &dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));

        // A last-used window that has been closed since does not count.
        dialog.hide();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        BringToFront(&window, &dialog);
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    void aModalBoxKeepsTheInput()
    {
        QWidget window;
        window.show();
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Corbelet"),
                        QStringLiteral("Erreur."), QMessageBox::Ok, &window);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        window.showMinimized();
        BringToFront(&window);
        QVERIFY(!window.isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(&box));
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
