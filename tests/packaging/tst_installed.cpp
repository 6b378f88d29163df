// The installed game end to end, as a player meets it: the tree that
// `cmake --install` makes, read-only, started as a normal user from an
// unrelated folder (/) with a fresh home, on a private X display. The program
// is watched from outside: its windows with xdotool, the texts of its
// information panel and of the word through its start-up trace.
//
// When the test runs as root, it creates a system user for the player and
// removes it at the end.

#include "tests/support/fixturebase.h"
#include "tests/support/xsession.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace {

constexpr int kWindowMs = 20000;
constexpr char kUserPrefix[] = "corbelet-e2e-";

QString outputOf(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAll());
}

QString systemTool(const char* name)
{
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    return found.isEmpty()
               ? QStandardPaths::findExecutable(QString::fromLatin1(name), {"/usr/sbin", "/sbin"})
               : found;
}

// Removes the players that earlier runs of this test left behind when they
// were stopped before their end (their process is gone).
void removeStalePlayers()
{
    QStringList stale;
    setpwent();
    while (const passwd* account = getpwent()) {
        const QString name = QString::fromLocal8Bit(account->pw_name);
        if (name.startsWith(QLatin1String(kUserPrefix)) &&
            kill(name.mid(int(strlen(kUserPrefix))).toInt(), 0) != 0)
            stale << name;
    }
    endpwent();
    for (const QString& name : stale)
        outputOf(systemTool("userdel"), {name});
}

// Every file and folder under `root` with its size, time and mode: equal
// listings mean nothing was written.
QStringList listing(const QString& root)
{
    QStringList entries;
    QDirIterator walk(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        walk.next();
        const QFileInfo info = walk.fileInfo();
        entries << QStringLiteral("%1 %2 %3 %4")
                       .arg(info.filePath())
                       .arg(info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch())
                       .arg(int(info.permissions()));
    }
    entries.sort();
    return entries;
}

// A folder and everything below it.
QStringList treePaths(const QString& root)
{
    QDirIterator walk(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                      QDirIterator::Subdirectories);
    QStringList paths{root};
    while (walk.hasNext())
        paths << walk.next();
    return paths;
}

// Adds or removes the write permission on a whole tree.
void setWritable(const QString& root, bool writable)
{
    for (const QString& path : treePaths(root)) {
        struct stat status = {};
        if (lstat(QFile::encodeName(path).constData(), &status) != 0 || S_ISLNK(status.st_mode))
            continue;
        const mode_t mode = writable ? (status.st_mode | S_IWUSR) : (status.st_mode & ~0222);
        chmod(QFile::encodeName(path).constData(), mode & 07777);
    }
}

bool changeOwner(const QString& root, uid_t uid, gid_t gid)
{
    for (const QString& path : treePaths(root)) {
        if (lchown(QFile::encodeName(path).constData(), uid, gid) != 0)
            return false;
    }
    return true;
}

ino_t inode(const QString& path)
{
    struct stat status = {};
    return stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// One run of the game, its standard output read line by line.
class GameRun
{
public:
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QStringList lines;

    // The first trace line from line `from` on that begins with `prefix`,
    // waited for; `from` then stands after it.
    QString waitForLine(const QString& prefix, qsizetype& from, int timeoutMs = kWindowMs)
    {
        QString found;
        // The result is judged by what was found.
        (void)QTest::qWaitFor(
            [&] {
                while (process->canReadLine())
                    lines << QString::fromUtf8(process->readLine()).trimmed();
                for (; from < lines.size(); ++from) {
                    if (lines[from].startsWith(prefix)) {
                        found = lines[from++];
                        return true;
                    }
                }
                return process->state() == QProcess::NotRunning;
            },
            timeoutMs);
        return found;
    }
    QString waitForLine(const QString& prefix)
    {
        qsizetype from = 0;
        return waitForLine(prefix, from);
    }

    void stop()
    {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    ~GameRun() { stop(); }
};

class TestInstalled : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root{QStringLiteral("/tmp/corbelet-e2e-XXXXXX")};
    XSession m_session;
    QString m_prefix;
    QString m_program;
    QString m_shippedBase;
    QString m_wordCount;
    QString m_user; // the player created for the test; empty when the test runs as one
    uid_t m_uid = getuid();
    gid_t m_gid = getgid();
    QString m_home; // the player's home in the runs that follow each other
    int m_runs = 0;

    QString path(const QString& name) const { return m_root.filePath(name); }

    // A new folder owned by the player, private to it.
    QString playerFolder(const QString& name)
    {
        const QString folder = path(name);
        QDir().mkpath(folder);
        chmod(QFile::encodeName(folder).constData(), 0700);
        changeOwner(folder, m_uid, m_gid);
        return folder;
    }

    // Starts `program` as the player, from /, with `home` as its home.
    std::unique_ptr<GameRun> start(const QString& program, const QString& home,
                                   const QProcessEnvironment& extra = {})
    {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        environment.insert(QStringLiteral("DISPLAY"), m_session.display());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        environment.insert(QStringLiteral("CORBELET_STARTUP_TRACE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           playerFolder(QStringLiteral("runtime-%1").arg(++m_runs)));
        environment.insert(extra);

        auto run = std::make_unique<GameRun>();
        QProcess& process = *run->process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QStringLiteral("/"));
        if (!m_user.isEmpty()) {
            const uid_t uid = m_uid;
            const gid_t gid = m_gid;
            process.setChildProcessModifier([uid, gid] {
                if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                    _exit(127);
            });
        }
        process.start(program, QStringList());
        return run;
    }

    // The game window of a run, once it is on screen.
    QString gameWindow(GameRun& run)
    {
        QString window;
        // The result is judged by the window found.
        (void)QTest::qWaitFor(
            [&] {
                window = m_session.visibleWindows(run.process->processId()).value(0);
                return !window.isEmpty() || run.process->state() == QProcess::NotRunning;
            },
            kWindowMs);
        return window;
    }

    // The statistics the game shows when its window first comes up.
    void expectShippedCounts(GameRun& run)
    {
        const QString panel = run.waitForLine(QStringLiteral("text laTextInfo "));
        QVERIFY2(panel.contains(QStringLiteral("|Total dans le programme : ") + m_wordCount +
                                QLatin1Char('|')),
                 qPrintable(run.lines.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                            QString::fromLocal8Bit(run.process->readAllStandardError())));
    }

    // Closes the statistics panel, draws a word and sees it wholly masked.
    void expectADraw(GameRun& run)
    {
        const QString window = gameWindow(run);
        QVERIFY(!window.isEmpty());
        qsizetype from = 0;
        const QString before = run.waitForLine(QStringLiteral("text affMot "), from);
        m_session.click(window, QPoint(376, 228)); // the panel's "OK"
        m_session.click(window, QPoint(348, 79));  // "Commencer"
        const QString word = run.waitForLine(QStringLiteral("text affMot "), from);
        QVERIFY2(word.mid(12).contains(QRegularExpression(QStringLiteral("^\u2022{2,}$"))),
                 qPrintable(before + QLatin1Char('\n') + word));
    }

    // Runs the program until its statistics show, checking that nothing
    // under the prefix was written.
    void playOnce(const QString& home, bool draw = false)
    {
        const QStringList before = listing(m_prefix);
        const auto run = start(m_program, home);
        expectShippedCounts(*run);
        if (draw)
            expectADraw(*run);
        run->stop();
        QCOMPARE(listing(m_prefix), before);
    }

private slots:
    void initTestCase()
    {
        const QStringList missing = XSession::missingTools();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing.join(QLatin1Char(' ')) + QStringLiteral(" not installed")));
        QVERIFY(m_root.isValid());
        QVERIFY(QFile::setPermissions(m_root.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadGroup |
                                                         QFile::ExeGroup | QFile::ReadOther |
                                                         QFile::ExeOther));
        m_prefix = path(QStringLiteral("usr"));
        m_program = m_prefix + QStringLiteral("/games/corbelet");
        m_shippedBase = m_prefix + QStringLiteral("/share/corbelet/data");
        int exitCode = 0;
        const QString installed =
            outputOf(QStringLiteral(CMAKE_COMMAND),
                     {"--install", CORBELET_BINARY_DIR, "--prefix", m_prefix}, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(installed));
        QVERIFY(QFileInfo(m_program).isExecutable());
        setWritable(m_prefix, false);

        QFile words(QStringLiteral(CORBELET_SOURCE_DIR "/data/mots.tsv"));
        QVERIFY(words.open(QIODevice::ReadOnly));
        m_wordCount = QString::number(words.readAll().trimmed().count('\n') + 1);

        if (geteuid() == 0) {
            removeStalePlayers();
            m_user = QLatin1String(kUserPrefix) + QString::number(getpid());
            const QString made =
                outputOf(systemTool("useradd"),
                         {"--system", "--user-group", "--no-create-home", "--home-dir",
                          "/nonexistent", "--shell", "/usr/sbin/nologin", m_user},
                         &exitCode);
            QVERIFY2(exitCode == 0, qPrintable(made));
            const passwd* account = getpwnam(QFile::encodeName(m_user).constData());
            QVERIFY(account);
            m_uid = account->pw_uid;
            m_gid = account->pw_gid;
        }
        const QString failure = m_session.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        m_home = playerFolder(QStringLiteral("maison"));
    }

    void cleanupTestCase()
    {
        if (m_root.isValid())
            setWritable(m_root.path(), true);
        if (!m_user.isEmpty())
            outputOf(systemTool("userdel"), {m_user});
    }

    // First start: the settings and a copy of the shipped base in the
    // player's folders, and a game to play. The next start uses them as they
    // are.
    void firstAndLaterStarts()
    {
        playOnce(m_home, true);
        const QString settings = m_home + QStringLiteral("/.config/corbelet/corbelet.ini");
        const QString base = m_home + QStringLiteral("/.local/share/corbelet/data");
        QVERIFY(QFileInfo::exists(settings));
        QCOMPARE(QFileInfo(settings).ownerId(), m_uid);
        QCOMPARE(fileContent(base + QStringLiteral("/" CORBELET_BASE_STAMP)),
                 fileContent(m_shippedBase + QStringLiteral("/" CORBELET_BASE_STAMP)));
        const ino_t copy = inode(base);
        const QByteArray written = fileContent(settings);

        playOnce(m_home);
        QCOMPARE(inode(base), copy);
        QCOMPARE(fileContent(settings), written);
        QVERIFY(!QFileInfo::exists(base + QStringLiteral(".previous")));
    }

    // A newer package ships another base: the next start replaces the copy,
    // keeps the old one as data.previous, and leaves the settings alone.
    void newerShippedBaseReplacesTheCopy()
    {
        const QString settings = m_home + QStringLiteral("/.config/corbelet/corbelet.ini");
        const QString base = m_home + QStringLiteral("/.local/share/corbelet/data");
        QByteArray content = fileContent(settings);
        QVERIFY(content.contains("\nNomUser=\n"));
        content.replace("\nNomUser=\n", "\nNomUser=Zo\xe9\n");
        {
            QFile file(settings); // rewritten in place: owner and mode stay
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(content), content.size());
        }
        const ino_t copy = inode(base);

        const QString stamp = m_shippedBase + QStringLiteral("/" CORBELET_BASE_STAMP);
        setWritable(m_shippedBase, true);
        {
            QFile file(stamp);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("une-autre-base\n");
        }
        setWritable(m_shippedBase, false);

        playOnce(m_home);
        QCOMPARE(inode(base + QStringLiteral(".previous")), copy);
        QCOMPARE(fileContent(base + QStringLiteral("/" CORBELET_BASE_STAMP)),
                 QByteArray("une-autre-base\n"));
        QCOMPARE(fileContent(settings), content);
    }

    // A data folder the player cannot write: a clear error naming it, and the
    // program ends by itself once the player has read it.
    void unwritableDataFolder()
    {
        const QString locked = path(QStringLiteral("verrouille"));
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(changeOwner(locked, m_uid, m_gid));
        chmod(QFile::encodeName(locked).constData(), 0555);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("XDG_DATA_HOME"), locked);
        const auto run =
            start(m_program, playerFolder(QStringLiteral("maison-verrou")), environment);
        const QString box = gameWindow(*run);
        QVERIFY(!box.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(m_session.activeWindow() == QString::number(box.toLongLong()),
                                 kWindowMs);
        m_session.key(QStringLiteral("Return"));
        QVERIFY(run->process->waitForFinished(10000));
        QCOMPARE(run->process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(run->process->exitCode(), 1);
        const QString error = QString::fromUtf8(run->process->readAllStandardError());
        QVERIFY2(error.contains(QStringLiteral("corbelet: Impossible de créer le dossier « ") +
                                locked + QStringLiteral("/corbelet » : ")),
                 qPrintable(error));
    }

    // A settings folder that cannot be written: one box says that the
    // settings will not be kept, then the game is played on the values of a
    // first start, as a player whose folder can be written gets them.
    void unwritableSettingsFolder()
    {
        const QString locked = path(QStringLiteral("reglages-verrouilles"));
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(changeOwner(locked, m_uid, m_gid));
        chmod(QFile::encodeName(locked).constData(), 0555);
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), locked);
        const auto run =
            start(m_program, playerFolder(QStringLiteral("maison-reglages")), environment);
        const QString box = gameWindow(*run);
        QVERIFY(!box.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(m_session.activeWindow() == QString::number(box.toLongLong()),
                                 kWindowMs);
        m_session.key(QStringLiteral("Return"));
        const QString panel = run->waitForLine(QStringLiteral("text laTextInfo "));
        const QString error = QString::fromUtf8(run->process->readAllStandardError());
        QVERIFY2(error.contains(QStringLiteral("corbelet: Impossible de créer le dossier « ") +
                                locked + QStringLiteral("/corbelet » : ")) &&
                     error.contains(QStringLiteral("Les réglages du jeu ne seront pas "
                                                   "enregistrés.")),
                 qPrintable(error));
        QCOMPARE(QDir(locked).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

        const auto reference = start(m_program, playerFolder(QStringLiteral("maison-reference")));
        QCOMPARE(panel, reference->waitForLine(QStringLiteral("text laTextInfo ")));
        QVERIFY(!panel.isEmpty());
    }

    // The player's copy of the run directory made read-only is played like an
    // installation; a writable one keeps everything beside the program,
    // whatever folder it is started from.
    void portableFolders()
    {
        const QString readOnly = path(QStringLiteral("portable-lecture-seule"));
        QVERIFY(FixtureBase::copyRunDirectory(readOnly));
        QVERIFY(changeOwner(readOnly, m_uid, m_gid));
        setWritable(readOnly, false);
        const QString home = playerFolder(QStringLiteral("maison-portable"));
        const QStringList before = listing(readOnly);
        {
            const auto run = start(readOnly + QStringLiteral("/corbelet"), home);
            expectShippedCounts(*run);
        }
        QCOMPARE(listing(readOnly), before);
        QVERIFY(QFileInfo::exists(home + QStringLiteral("/.config/corbelet/corbelet.ini")));
        // Its base apart from an installed program's.
        const QDir bases(home + QStringLiteral("/.local/share/corbelet"));
        const QStringList copies = bases.entryList({QStringLiteral("copie-*")}, QDir::Dirs);
        QCOMPARE(copies.size(), 1);
        QVERIFY(QFileInfo::exists(bases.filePath(copies.front() + QStringLiteral("/data"))));
        QVERIFY(!QFileInfo::exists(bases.filePath(QStringLiteral("data"))));

        const QString writable = playerFolder(QStringLiteral("portable"));
        QVERIFY(FixtureBase::copyRunDirectory(writable));
        QVERIFY(changeOwner(writable, m_uid, m_gid));
        const QString otherHome = playerFolder(QStringLiteral("maison-portable-2"));
        {
            const auto run = start(writable + QStringLiteral("/corbelet"), otherHome);
            expectShippedCounts(*run);
            expectADraw(*run);
        }
        QVERIFY(QFileInfo::exists(writable + QStringLiteral("/corbelet.ini")));
        QVERIFY(!QFileInfo::exists(otherHome + QStringLiteral("/.config/corbelet")));
        QVERIFY(!QFileInfo::exists(otherHome + QStringLiteral("/.local/share/corbelet")));
    }
};

QTEST_GUILESS_MAIN(TestInstalled)
#include "tst_installed.moc"
