// One instance per executable file, end to end: the built program started
// several times on a private X server (Xvfb) with a window manager (openbox),
// watched from outside with xdotool and xprop.
//
// Every program runs from a private copy of the run directory (so that the
// settings file it writes beside itself lands there), with its own runtime
// folder shared by the instances of one test and the audio sent nowhere.

#include "../support/fixturebase.h"
#include "../support/xsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a refused start may take, from its launch to its end (the
// sanitizers slow a start several times over).
#if defined(__SANITIZE_ADDRESS__)
constexpr int kRefusedStartMs = 5000;
#else
constexpr int kRefusedStartMs = 1000;
#endif
// How long a program may take to show its first window.
constexpr int kWindowMs = 15000;

} // namespace

class TestInstances : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_runDirectory;
    XSession m_session;
    QString m_first; // the program in its first folder
    QString m_copy;  // the same program copied into another folder
    QString m_runtime;

    // Starts a program on the desktop, from its own folder. The instances of
    // one test share a runtime folder; `environment` may change that.
    QProcess* start(const QString& program,
                    const std::function<void(QProcessEnvironment&)>& environment = {})
    {
        QProcessEnvironment variables = m_session.environment();
        if (environment)
            environment(variables);
        return m_session.startProgram(program, variables);
    }
    bool waitForWindow(QProcess* program) { return m_session.waitForWindow(program, kWindowMs); }
    qint64 activePid() const { return m_session.activePid(); }

    // Starts the program expecting it to be refused: it must end by itself,
    // quickly, with exit code 0.
    void expectRefused(const QString& program,
                       const std::function<void(QProcessEnvironment&)>& environment = {})
    {
        QElapsedTimer clock;
        clock.start();
        QProcess* later = start(program, environment);
        QVERIFY2(later->waitForFinished(5000), qPrintable(program));
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(later->exitStatus(), QProcess::NormalExit);
        QCOMPARE(later->exitCode(), 0);
        QVERIFY2(elapsed < kRefusedStartMs, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    }

private slots:
    void initTestCase()
    {
        const QStringList missing = XSession::missingTools();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing.join(QStringLiteral(", ")) + QStringLiteral(" missing")));
        m_runDirectory = qEnvironmentVariable("CORBELET_RUN_DIR", QStringLiteral(CORBELET_RUN_DIR));
        QVERIFY2(QFileInfo(m_runDirectory + QStringLiteral("/corbelet")).isExecutable(),
                 qPrintable(m_runDirectory));
        QVERIFY(m_root.isValid());

        // Two copies of the run directory: the first folder and another one.
        for (const QString& folder : {QStringLiteral("premier"), QStringLiteral("copie")}) {
            QVERIFY(FixtureBase::copyRunDirectory(m_root.filePath(folder)));
        }
        m_first = m_root.filePath(QStringLiteral("premier/corbelet"));
        m_copy = m_root.filePath(QStringLiteral("copie/corbelet"));

        const QString failure = m_session.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void init()
    {
        // One runtime folder for all the instances of a test, private to the user.
        static int count = 0;
        m_runtime = m_root.filePath(QStringLiteral("runtime%1").arg(++count));
        QVERIFY(QDir().mkdir(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        m_session.setRuntimeDirectory(m_runtime);
    }

    void cleanup() { m_session.endPrograms(); }

    void secondStartBringsTheFirstForward()
    {
        QProcess* first = start(m_first);
        QVERIFY(waitForWindow(first));
        QTRY_COMPARE_WITH_TIMEOUT(activePid(), first->processId(), kWindowMs);

        // A copy in another folder is another program: it runs beside the
        // first and takes the front.
        QProcess* copy = start(m_copy);
        QVERIFY(waitForWindow(copy));
        QTRY_COMPARE_WITH_TIMEOUT(activePid(), copy->processId(), kWindowMs);
        QCOMPARE(first->state(), QProcess::Running);

        // The first, behind the copy, comes to the front.
        expectRefused(m_first);
        QTRY_COMPARE_WITH_TIMEOUT(activePid(), first->processId(), 5000);

        // The first, minimised, comes back and to the front.
        const QString window = m_session.gameWindow(first->processId());
        QVERIFY(!window.isEmpty());
        QVERIFY(
            m_session.tool(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), window})
                .isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(m_session.isIconic(window), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(activePid() != first->processId(), 5000);

        expectRefused(m_first);
        QTRY_VERIFY_WITH_TIMEOUT(!m_session.isIconic(window), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(activePid(), first->processId(), 5000);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(copy->state(), QProcess::Running);
    }

    void theSameFileThroughLinksIsRefused()
    {
        QProcess* first = start(m_first);
        QVERIFY(waitForWindow(first));

        const QString fileLink = m_root.filePath(QStringLiteral("lien-corbelet"));
        const QString folderLink = m_root.filePath(QStringLiteral("lien-premier"));
        QFile::remove(fileLink);
        QFile::remove(folderLink);
        QVERIFY(QFile::link(m_first, fileLink));
        QVERIFY(QFile::link(m_root.filePath(QStringLiteral("premier")), folderLink));

        expectRefused(fileLink);
        expectRefused(folderLink + QStringLiteral("/corbelet"));
        expectRefused(m_root.filePath(QStringLiteral("copie/../premier/corbelet")));
        QCOMPARE(first->state(), QProcess::Running);
    }

    void aKilledInstanceDoesNotBlockTheNextStart()
    {
        QProcess* first = start(m_first);
        QVERIFY(waitForWindow(first));
        first->kill(); // SIGKILL: no clean-up of any kind
        QVERIFY(first->waitForFinished(5000));

        QProcess* next = start(m_first);
        QVERIFY(waitForWindow(next));
        QCOMPARE(next->state(), QProcess::Running);
        // And it is the one later starts now defer to.
        expectRefused(m_first);
        QCOMPARE(next->state(), QProcess::Running);
    }

    void closingTheGameWindowEndsTheProgram()
    {
        // Without a word base every return to the game window before the
        // first draw tries to connect again and shows its error anew, so the
        // window cannot be reached without a box in front of it.
        if (!QFileInfo(m_runDirectory + QStringLiteral("/data/listedemots")).isDir())
            QSKIP("the run directory has no word base");
        QProcess* program = start(m_first);
        QVERIFY(waitForWindow(program));
        const qint64 pid = program->processId();
        const QString window = m_session.gameWindow(pid);
        QVERIFY(!window.isEmpty());
        QVERIFY(m_session.activate(window, pid, kWindowMs));

        // The configuration window open beside it does not keep the program up.
        m_session.click(window, QPoint(420, 79));
        QTRY_VERIFY_WITH_TIMEOUT(m_session.visibleWindows(pid).size() >= 2, 5000);
        QVERIFY(m_session.activate(window, pid, kWindowMs));
        QVERIFY(m_session.visibleWindows(pid).size() >= 2);

        // The window manager's close, then "&Oui" in the confirmation box.
        QVERIFY(m_session.quitWith(program, QStringLiteral("alt+F4")));
    }

    void withoutARuntimeFolderOfItsOwn()
    {
        // No XDG_RUNTIME_DIR, and the usual folder in the temporary folder is
        // another user's (or, where that cannot be made, a link): the user's
        // cache holds the lock instead, and a second start is still refused.
        const QString temporary = m_root.filePath(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(temporary));
        const QString taken = temporary + QStringLiteral("/runtime-") +
                              QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
        if (geteuid() == 0) {
            QVERIFY(QDir().mkdir(taken));
            QCOMPARE(chown(QFile::encodeName(taken).constData(), 65534, 65534), 0);
        } else {
            QVERIFY(QFile::link(m_runtime, taken));
        }
        const auto environment = [&](QProcessEnvironment& variables) {
            variables.remove(QStringLiteral("XDG_RUNTIME_DIR"));
            variables.insert(QStringLiteral("TMPDIR"), temporary);
            variables.insert(QStringLiteral("XDG_CACHE_HOME"),
                             m_root.filePath(QStringLiteral("cache")));
        };
        QProcess* first = start(m_first, environment);
        QVERIFY(waitForWindow(first));
        expectRefused(m_first, environment);
        QCOMPARE(first->state(), QProcess::Running);
    }

    void fiveStartsAtOnceGiveOneProgram()
    {
        std::vector<QProcess*> started;
        for (int i = 0; i < 5; ++i)
            started.push_back(start(m_first));
        const auto ended = [&] {
            return std::count_if(started.begin(), started.end(), [](QProcess* program) {
                return program->state() == QProcess::NotRunning;
            });
        };
        QTRY_COMPARE_WITH_TIMEOUT(ended(), 4, 10000);

        QProcess* survivor = nullptr;
        for (QProcess* program : started) {
            if (program->state() == QProcess::NotRunning) {
                QCOMPARE(program->exitStatus(), QProcess::NormalExit);
                QCOMPARE(program->exitCode(), 0);
            } else {
                survivor = program;
            }
        }
        QVERIFY(survivor != nullptr);
        QVERIFY(waitForWindow(survivor));
        // Nothing else ends or appears later.
        QTest::qWait(1000);
        QCOMPARE(ended(), 4);
        QCOMPARE(survivor->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestInstances)
#include "tst_instances.moc"
