// The game played from the keyboard alone, end to end: the built program on a
// private X server with a window manager, driven only by xdotool key and
// xdotool type, and read as a screen reader reads it, over AT-SPI
// (atspi_read.py, with pyatspi). The test runs under accessibility-session.sh,
// so the program finds a session bus with its accessibility bus, and Qt's
// AT-SPI bridge is forced on as a screen reader would turn it on.
//
// The program runs from a private copy of the run directory whose word base
// holds a single word (oneword.tsv: presqu'île), so the word drawn is known.

#include "../support/fixturebase.h"
#include "../support/xsession.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// How long a program may take to show its first window, or to show what a
// key asked for.
constexpr int kWindowMs = 15000;
constexpr int kReadingMs = 20000;

// The Python that has the Debian packages, whatever python3 comes first on
// the PATH.
constexpr char kPython[] = "/usr/bin/python3";

// The controls of each window of a reading that have no name, or the name
// of another control of the same window: "window: role|name".
QStringList unnamedOrRepeated(const QString& reading)
{
    static const QStringList kControls = {
        QStringLiteral("push button"),   QStringLiteral("check box"),
        QStringLiteral("combo box"),     QStringLiteral("spin button"),
        QStringLiteral("text"),          QStringLiteral("list"),
        QStringLiteral("page tab"),      QStringLiteral("image"),
        QStringLiteral("document frame")};
    QStringList faults;
    QString window;
    QStringList names;
    qsizetype insideDropDown = -1; // the depth of the drop-down whose list this is
    for (const QString& line : reading.split(QLatin1Char('\n'))) {
        const QStringList fields = line.trimmed().split(QLatin1Char('|'));
        // Two spaces a level: the windows are the application's children.
        const qsizetype depth = (line.size() - line.trimmed().size()) / 2;
        if (depth == 1) {
            window = fields.value(1);
            names.clear();
            continue;
        }
        if (insideDropDown >= 0 && depth > insideDropDown)
            continue;
        insideDropDown = fields.value(0) == QLatin1String("combo box") ? depth : -1;
        if (!kControls.contains(fields.value(0)))
            continue;
        const QString name = fields.value(1);
        if (name.isEmpty() || names.contains(name))
            faults.append(window + QStringLiteral(": ") + fields.value(0) + QLatin1Char('|') +
                          name);
        names.append(name);
    }
    return faults;
}

} // namespace

class TestKeyboardPlay : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    XSession m_session;
    QString m_program;
    QString m_reading; // what the screen reader found last

    // The program's windows as the screen reader finds them (see atspi_read.py).
    QString read(qint64 pid) const
    {
        QProcess reader;
        reader.setProcessEnvironment(m_session.environment());
        reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        reader.start(
            QString::fromLatin1(kPython),
            {QStringLiteral(CORBELET_SOURCE_DIR "/tests/app/atspi_read.py"), QString::number(pid)});
        if (!reader.waitForFinished(kReadingMs) || reader.exitCode() != 0)
            return QString();
        return QString::fromUtf8(reader.readAllStandardOutput());
    }

    // Reads the windows again until they show the text.
    bool waitForReading(qint64 pid, const QString& text)
    {
        return QTest::qWaitFor(
            [&] {
                m_reading = read(pid);
                return m_reading.contains(text);
            },
            kReadingMs);
    }

private slots:
    void initTestCase()
    {
        const QStringList missing = XSession::missingTools();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing.join(QStringLiteral(", ")) + QStringLiteral(" missing")));
        QVERIFY2(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"),
                 "run under tests/support/accessibility-session.sh");
        QVERIFY(m_root.isValid());

        // The run directory with the one-word base instead of its own.
        const QString folder = m_root.filePath(QStringLiteral("partie"));
        QVERIFY(FixtureBase::copyRunDirectory(folder));
        QVERIFY(QDir(folder + QStringLiteral("/data")).removeRecursively());
        QVERIFY(FixtureBase::copyTree(QStringLiteral(CORBELET_BINARY_DIR "/fixtures/oneword/data"),
                                      folder + QStringLiteral("/data")));
        m_program = folder + QStringLiteral("/corbelet");
        QVERIFY(QFileInfo(m_program).isExecutable());

        const QString failure = m_session.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // A French keyboard: é is a key of its own, typed without xdotool
        // remapping a key for it (a remapped key may reach the program after
        // the mapping is undone, and type something else).
        m_session.tool(QStringLiteral("setxkbmap"), {QStringLiteral("fr")});
    }

    void cleanup() { m_session.endPrograms(); }

    void twoWordsInARowWithoutTheMouse()
    {
        QProcessEnvironment accessibility = m_session.environment();
        accessibility.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"),
                             QStringLiteral("1"));
        QProcess* program = m_session.startProgram(m_program, accessibility);
        QVERIFY(m_session.waitForWindow(program, kWindowMs));
        const qint64 pid = program->processId();
        const QString window = m_session.gameWindow(pid);
        QVERIFY(m_session.activate(window, pid, kWindowMs));

        // The greeting's statistics, read out: the base holds one word.
        QVERIFY2(waitForReading(pid, QStringLiteral("Total dans le programme : 1")),
                 qPrintable(m_reading));
        // Escape closes the configuration window, and the game is active again.
        const auto closeConfiguration = [&] {
            m_session.key(QStringLiteral("Escape"));
            return waitForReading(pid, QStringLiteral("dialog|Configuration||\n")) &&
                   m_session.activate(window, pid, kWindowMs);
        };
        // Enter closes them; Tab then Enter on "Configuration" opens the
        // configuration window, every control of it named.
        m_session.key(QStringLiteral("Return"));
        m_session.key(QStringLiteral("Tab"));
        m_session.key(QStringLiteral("Return"));
        QVERIFY2(waitForReading(pid, QStringLiteral("spin button|Nombre de lettres minimum|")),
                 qPrintable(m_reading));
        QVERIFY2(m_reading.contains(QStringLiteral("dialog|Configuration||showing")),
                 qPrintable(m_reading));
        QVERIFY2(unnamedOrRepeated(m_reading).isEmpty(),
                 qPrintable(unnamedOrRepeated(m_reading).join(QLatin1Char('\n'))));
        QVERIFY2(closeConfiguration(), qPrintable(m_reading));

        // Enter on "Commencer" draws.
        m_session.key(QStringLiteral("shift+Tab"));
        m_session.key(QStringLiteral("Return"));
        const QString hidden =
            QStringLiteral("blanc, ").repeated(10) + QStringLiteral("10 lettres");
        QVERIFY2(waitForReading(pid, hidden), qPrintable(m_reading));
        for (const char* control :
             {"push button|Quitter le jeu|", "push button|Configuration du logiciel|",
              "push button|Suivant >>|", "list|Lettres|", "image|Potence : 0 erreur sur "})
            QVERIFY2(m_reading.contains(QLatin1String(control)), control);
        QVERIFY2(unnamedOrRepeated(m_reading).isEmpty(),
                 qPrintable(unnamedOrRepeated(m_reading).join(QLatin1Char('\n'))));

        // Letters as a French keyboard types them, an accented one among
        // them. The word says what was found, in order.
        m_session.type(QStringLiteral("pr\u00E9squ'"));
        QVERIFY2(waitForReading(pid, QStringLiteral("P, R, E, S, Q, U, apostrophe, blanc, blanc, "
                                                    "E, 10 lettres")),
                 qPrintable(m_reading));
        QVERIFY(m_reading.contains(QStringLiteral("list item|E||showing,checked")));
        // The last pick announced; no mistake on the gallows.
        QVERIFY2(m_reading.contains(QStringLiteral("notification|Apostrophe : 1 lettre trouvée|")),
                 qPrintable(m_reading));
        QVERIFY(m_reading.contains(QStringLiteral("image|Potence : 0 erreur sur ")));
        m_session.type(QStringLiteral("il"));
        QVERIFY2(waitForReading(pid, QStringLiteral("BRAVO !!! C'était : PRESQU'ILE Gagner en :9")),
                 qPrintable(m_reading));
        QVERIFY2(m_reading.contains(QStringLiteral("|Score : 48|")), qPrintable(m_reading));

        // Enter on the result: the next word, in capitals this time.
        m_session.key(QStringLiteral("Return"));
        QVERIFY2(waitForReading(pid, hidden), qPrintable(m_reading));
        m_session.type(QStringLiteral("PRESQU'ILE"));
        QVERIFY2(waitForReading(pid, QStringLiteral("|Score : 96|")), qPrintable(m_reading));
        QVERIFY(m_reading.contains(QStringLiteral("|Juste(s) : 2/1|")));

        // F1: the rules, read as text, the keys among them.
        m_session.key(QStringLiteral("F1"));
        QVERIFY2(waitForReading(pid, QStringLiteral(" / Jouer au clavier / ")),
                 qPrintable(m_reading));
        QVERIFY(m_reading.contains(QStringLiteral("document frame|Corbelet — le jeu du pendu|")));
        QVERIFY(m_reading.contains(
            QStringLiteral("Entrée : sur un bouton, l'active ; ailleurs Commencer")));
        QVERIFY2(unnamedOrRepeated(m_reading).isEmpty(),
                 qPrintable(unnamedOrRepeated(m_reading).join(QLatin1Char('\n'))));
        QVERIFY2(closeConfiguration(), qPrintable(m_reading));

        // Escape asks to quit; Enter is "Oui".
        QVERIFY(m_session.quitWith(program, QStringLiteral("Escape")));
    }
};

QTEST_GUILESS_MAIN(TestKeyboardPlay)
#include "tst_keyboardplay.moc"
