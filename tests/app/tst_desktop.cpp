// The built program under a real window manager (openbox on a private Xvfb),
// watched from outside: what the window manager is asked for the two windows,
// where the configuration window opens, how many boxes a failure shows, and a
// start with a rules document that cannot be read.
//
// Each program runs from a private copy of the run directory.

#include "../support/fixturebase.h"
#include "../support/xsession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// How long the program may take to show its first window.
constexpr int kWindowMs = 15000;

// The game window's configuration button and the configuration window's
// "Ok", in their windows' coordinates.
const QPoint kConfigurationButton(420, 79);
const QPoint kOkButton(352, 288);
// The genre list on the configuration window's first page.
const QPoint kGenreList(295, 169);

// Decoration bits of _MOTIF_WM_HINTS.
constexpr unsigned kMinimizeBox = 0x20;
constexpr unsigned kMaximizeBox = 0x40;

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private:
    XSession m_session;
    QTemporaryDir m_root;
    QProcess* m_program = nullptr;
    QString m_gameWindow;

    // A private copy of the run directory in the folder `name` of the test.
    QString copyRunDirectory(const QString& name)
    {
        const QString folder = m_root.filePath(name);
        return FixtureBase::copyRunDirectory(folder) ? folder : QString();
    }

    // Starts the program of a folder and waits for its game window.
    bool startIn(const QString& folder)
    {
        static int count = 0;
        const QString runtime = m_root.filePath(QStringLiteral("runtime%1").arg(++count));
        if (!QDir().mkdir(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return false;
        m_session.setRuntimeDirectory(runtime);
        m_program = m_session.startProgram(folder + QStringLiteral("/corbelet"));
        return QTest::qWaitFor(
            [&] {
                const QStringList games =
                    m_session.windowsNamed(m_program->processId(), QStringLiteral("Corbelet "));
                m_gameWindow = games.value(0);
                return m_program->state() == QProcess::Running && !m_gameWindow.isEmpty();
            },
            kWindowMs);
    }

    qint64 pid() const { return m_program->processId(); }

    // The program's error boxes on screen (captioned with the program's name).
    QStringList errorBoxes() const
    {
        return m_session.windowsNamed(pid(), QStringLiteral("Corbelet"));
    }

    QString configurationWindow() const
    {
        return m_session.windowsNamed(pid(), QStringLiteral("Configuration")).value(0);
    }

    // The decorations a window asks of the window manager (_MOTIF_WM_HINTS).
    unsigned decorations(const QString& window) const
    {
        const QStringList fields = m_session.property(window, QStringLiteral("_MOTIF_WM_HINTS"))
                                       .section(QLatin1Char('='), 1)
                                       .split(QLatin1Char(','));
        return fields.value(2).trimmed().toUInt(nullptr, 16);
    }

    bool isActive(const QString& window) const
    {
        return QString::number(window.toLongLong()) == m_session.activeWindow();
    }

private slots:
    void initTestCase()
    {
        const QStringList missing = XSession::missingTools();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing.join(QStringLiteral(", ")) + QStringLiteral(" missing")));
        const QString runDirectory =
            qEnvironmentVariable("CORBELET_RUN_DIR", QStringLiteral(CORBELET_RUN_DIR));
        QVERIFY2(QFileInfo(runDirectory + QStringLiteral("/data/listedemots")).isDir(),
                 qPrintable(runDirectory));
        QVERIFY(m_root.isValid());
        const QString failure = m_session.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void cleanup()
    {
        m_session.endPrograms();
        m_program = nullptr;
    }

    void configurationWindowOpensCentredAsADialog()
    {
        const QString folder = copyRunDirectory(QStringLiteral("centre"));
        QVERIFY(!folder.isEmpty());
        QVERIFY(startIn(folder));
        QTRY_VERIFY_WITH_TIMEOUT(isActive(m_gameWindow), kWindowMs);

        // Neither window can be resized, so neither has a maximise box; the
        // game window has a minimise box, the configuration window, a dialog
        // over it, has none.
        QCOMPARE(decorations(m_gameWindow) & (kMinimizeBox | kMaximizeBox), kMinimizeBox);
        QVERIFY(!m_session.property(m_gameWindow, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"))
                     .contains(QStringLiteral("MAXIMIZE")));

        const QRect game = m_session.frameGeometry(m_gameWindow);
        QVERIFY(!game.isEmpty());
        QRect first;
        for (int opening = 0; opening < 3; ++opening) {
            m_session.click(m_gameWindow, kConfigurationButton);
            QTRY_VERIFY_WITH_TIMEOUT(!configurationWindow().isEmpty(), 5000);
            const QString window = configurationWindow();
            QTRY_VERIFY_WITH_TIMEOUT(!m_session.frameGeometry(window).isEmpty(), 5000);
            const QRect frame = m_session.frameGeometry(window);
            const QPoint offset = frame.center() - game.center();
            QVERIFY2(offset.manhattanLength() <= 2,
                     qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
            if (opening == 0) {
                first = frame;
                const QString type =
                    m_session.property(window, QStringLiteral("_NET_WM_WINDOW_TYPE"));
                QVERIFY2(type.contains(QStringLiteral("_NET_WM_WINDOW_TYPE_DIALOG")),
                         qPrintable(type));
                QCOMPARE(decorations(window) & (kMinimizeBox | kMaximizeBox), 0u);
                QVERIFY(!m_session.property(window, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"))
                             .contains(QStringLiteral("MAXIMIZE")));
            }
            QCOMPARE(frame, first);
            // Closed by its "Ok", and the last time by Escape, which closes
            // the dialog and leaves the game alone.
            if (opening < 2) {
                m_session.click(window, kOkButton);
            } else {
                QTRY_VERIFY_WITH_TIMEOUT(isActive(window), 5000);
                m_session.key(QStringLiteral("Escape"));
            }
            QTRY_VERIFY_WITH_TIMEOUT(configurationWindow().isEmpty(), 5000);
        }
        QTest::qWait(300);
        QVERIFY(m_session.windowsNamed(pid(), QStringLiteral("Confirmation")).isEmpty());
        QCOMPARE(m_program->state(), QProcess::Running);
    }

    void rulesDocumentThatIsAPipe()
    {
        // Opening a named pipe would wait for a writer for good: the program
        // must come up all the same, the rules page showing its notice.
        const QString folder = copyRunDirectory(QStringLiteral("tube"));
        QVERIFY(!folder.isEmpty());
        const QByteArray rules = QFile::encodeName(folder + QStringLiteral("/Pendu.rtf"));
        QVERIFY(QFile::remove(QString::fromLocal8Bit(rules)));
        QCOMPARE(::mkfifo(rules.constData(), 0600), 0);
        QVERIFY(startIn(folder));
    }

    void oneFailureOneBox()
    {
        // Without its data folder the word server cannot start: every attempt
        // to connect fails the same way.
        const QString folder = copyRunDirectory(QStringLiteral("sans-base"));
        QVERIFY(!folder.isEmpty());
        QVERIFY(QDir(folder + QStringLiteral("/data")).removeRecursively());
        QVERIFY(startIn(folder));

        // Answers the one box the failure shows, then lets the window manager
        // hand the activation back: no second box may follow.
        const auto answerTheOnlyBox = [&] {
            QTRY_COMPARE_WITH_TIMEOUT(errorBoxes().size(), 1, kWindowMs);
            const QString box = errorBoxes().constFirst();
            QTRY_VERIFY_WITH_TIMEOUT(isActive(box), 5000);
            m_session.key(QStringLiteral("Return"));
            QTRY_COMPARE_WITH_TIMEOUT(errorBoxes().size(), 0, 5000);
            QTRY_COMPARE_WITH_TIMEOUT(m_session.activePid(), pid(), 5000);
            QTest::qWait(1000);
            QCOMPARE(errorBoxes().size(), 0);
        };
        // The game window's first activation.
        answerTheOnlyBox();

        // A genre picked in the configuration window, through its list.
        m_session.click(m_gameWindow, kConfigurationButton);
        QTRY_VERIFY_WITH_TIMEOUT(isActive(configurationWindow()), 5000);
        m_session.click(configurationWindow(), kGenreList);
        QTest::qWait(300);
        m_session.key(QStringLiteral("Down"));
        m_session.key(QStringLiteral("Return"));
        answerTheOnlyBox();
        QCOMPARE(m_program->state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(TestDesktop)
#include "tst_desktop.moc"
