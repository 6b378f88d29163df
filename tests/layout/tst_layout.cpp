// The layout decision (portable or installed, from where the executable lies),
// the player's folders, and the player's copy of the word base, on real
// folders.

#include "layout/playerbase.h"
#include "layout/programlayout.h"
#include "wordstore/wordcatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// Set in a child process only: the number of renames after which the process
// dies, as a kill would leave it; 0 for never.
int g_renamesBeforeDeath = 0;
constexpr int kDiedExitCode = 86;

} // namespace

// Every rename of this program, the copy of the base's included, comes here.
extern "C" int rename(const char* from, const char* to) noexcept
{
    using Rename = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Rename>(dlsym(RTLD_NEXT, "rename"));
    const int result = real(from, to);
    if (g_renamesBeforeDeath > 0 && --g_renamesBeforeDeath == 0)
        _exit(kDiedExitCode);
    return result;
}

namespace {

fs::path path(const QString& text)
{
    return fs::path(QFile::encodeName(text).toStdString());
}

bool write(const fs::path& file, const QByteArray& content)
{
    QFile out(QFile::decodeName(file.c_str()));
    return out.open(QIODevice::WriteOnly) && out.write(content) == content.size();
}

QByteArray read(const fs::path& file)
{
    QFile in(QFile::decodeName(file.c_str()));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// The file of a player's table in the base `data`.
fs::path playerTableFile(const fs::path& data, std::string_view table, const char* suffix)
{
    return data / WordCatalogue::kDatabase / (std::string(table) + suffix);
}

// A shipped base: the words, the player's empty tables, a server file and the
// stamp.
void makeShippedBase(const fs::path& data, const QByteArray& stamp)
{
    fs::create_directories(data / "listedemots");
    write(data / "listedemots" / "motscommuns.MYD", "mots " + stamp);
    for (const std::string_view table : WordCatalogue::playerTables()) {
        write(playerTableFile(data, table, ".frm"), "table");
        write(playerTableFile(data, table, ".MYD"), "");
        write(playerTableFile(data, table, ".MYI"), "index");
    }
    write(data / "aria_log_control", "aria");
    write(data / CORBELET_BASE_STAMP, stamp + "\n");
}

// The text of the error `action` raises; empty when it raises none.
template <typename Action> QString errorOf(Action action)
{
    try {
        action();
    } catch (const std::runtime_error& error) {
        return QString::fromUtf8(error.what());
    }
    return QString();
}

QStringList namesIn(const fs::path& folder)
{
    QStringList names = QDir(QFile::decodeName(folder.c_str()))
                            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    fs::path root() const { return path(m_root.path()); }
    const UserFolders m_user{"/home/zoé/.config", "/home/zoé/.local/share"};

private slots:
    void initTestCase() { QVERIFY(m_root.isValid()); }

    void portableWhereTheBaseLiesBesideTheProgram()
    {
        const fs::path folder = root() / "portable";
        fs::create_directories(folder / "data");
        const ProgramLayout layout = DecideLayout(folder / "corbelet", m_user);
        QVERIFY(layout.kind == LayoutKind::Portable);
        QCOMPARE(layout.resourceFolder, folder);
        QCOMPARE(layout.baseFolder, folder);
        QCOMPARE(layout.settingsFile, folder / "corbelet.ini");
        // Nothing of the player's to prepare.
        PreparePlayerFolders(layout);
        QCOMPARE(namesIn(folder), QStringList{"data"});
    }

    // Every path is derived from where the program lies: the same tree works
    // under any prefix, with the program in games/ or in bin/.
    void installedUnderAnyPrefix_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("usr/games") << QStringLiteral("usr/games/corbelet");
        QTest::newRow("opt/x/bin") << QStringLiteral("opt/x/bin/corbelet");
    }
    void installedUnderAnyPrefix()
    {
        QFETCH(QString, program);
        const fs::path executable = root() / path(program);
        const fs::path share = executable.parent_path().parent_path() / "share" / "corbelet";
        fs::create_directories(share / "data");
        fs::create_directories(executable.parent_path());
        const ProgramLayout layout = DecideLayout(executable, m_user);
        QVERIFY(layout.kind == LayoutKind::Installed);
        QCOMPARE(layout.resourceFolder, share);
        QCOMPARE(layout.shippedBase(), share / "data");
        QCOMPARE(layout.settingsFile, fs::path("/home/zoé/.config/corbelet/corbelet.ini"));
        QCOMPARE(layout.baseFolder, fs::path("/home/zoé/.local/share/corbelet"));
    }

    void withoutABaseTheProgramRunsWhereItLies()
    {
        const fs::path folder = root() / "vide";
        fs::create_directories(folder);
        const ProgramLayout layout = DecideLayout(folder / "corbelet", m_user);
        QVERIFY(layout.kind == LayoutKind::Portable);
        QCOMPARE(layout.baseFolder, folder);
    }

    // A portable folder that cannot be written keeps the player's files in the
    // XDG folders, its base apart from the installed program's, and reads its
    // own where they lie.
    void readOnlyPortableFolderRunsInstalled()
    {
        const fs::path folder = root() / "lecture-seule";
        fs::create_directories(folder / "data");
        const QString shown = QString::fromStdString(folder.string());
        // The superuser writes into any folder whatever its permissions, but
        // not into a read-only mount.
        const bool mounted = geteuid() == 0;
        if (mounted) {
            if (QProcess::execute("mount", {"--bind", shown, shown}) != 0)
                QSKIP("no folder can be mounted here");
            QVERIFY(QProcess::execute("mount", {"-o", "remount,bind,ro", shown}) == 0);
        } else {
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        }
        const ProgramLayout layout = DecideLayout(folder / "corbelet", m_user);
        if (mounted)
            QProcess::execute("umount", {shown});
        else
            fs::permissions(folder, fs::perms::owner_all);
        QVERIFY(layout.kind == LayoutKind::Installed);
        QCOMPARE(layout.resourceFolder, folder);
        QCOMPARE(layout.baseFolder,
                 fs::path("/home/zoé/.local/share/corbelet") / ReadOnlyCopyFolderName(folder));
        QVERIFY(ReadOnlyCopyFolderName(folder) != ReadOnlyCopyFolderName(root() / "autre"));
    }

    void portableSettingsFileName_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("settings");
        QTest::newRow("no extension") << "/opt/jeux/corbelet"
                                      << "/opt/jeux/corbelet.ini";
        QTest::newRow("extension") << "/opt/jeux/Corbelet.exe"
                                   << "/opt/jeux/Corbelet.ini";
        QTest::newRow("dot in a folder") << "/opt/v1.2/corbelet"
                                         << "/opt/v1.2/corbelet.ini";
        QTest::newRow("last dot") << "/a/b.c.d"
                                  << "/a/b.c.ini";
        QTest::newRow("colon") << "/a/A:B"
                               << "/a/A:B.ini";
    }
    void portableSettingsFileName()
    {
        QFETCH(QString, executable);
        QFETCH(QString, settings);
        QCOMPARE(PortableSettingsFile(path(executable)), path(settings));
    }

    void runningExecutableIsTheRealFile()
    {
        const QString real = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        QCOMPARE(RunningExecutable(), path(real));
    }

    // The XDG rules: an absolute value is taken, anything else falls back to
    // the home folder.
    void userFoldersFromTheEnvironment()
    {
        const QByteArray home = qgetenv("HOME");
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        const QByteArray data = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", "/home/zoé");
        qputenv("XDG_CONFIG_HOME", "/srv/réglages");
        qputenv("XDG_DATA_HOME", "relatif/données");
        const UserFolders folders = UserFoldersFromEnvironment();
        qunsetenv("XDG_CONFIG_HOME");
        const UserFolders defaults = UserFoldersFromEnvironment();
        qputenv("HOME", home);
        config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
        data.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", data);

        QCOMPARE(folders.configHome, fs::path("/srv/réglages"));
        QCOMPARE(folders.dataHome, fs::path("/home/zoé/.local/share"));
        QCOMPARE(defaults.configHome, fs::path("/home/zoé/.config"));
    }

    // First start, later starts, a newer shipped base, and the one after.
    void playerBaseFollowsTheShippedOne()
    {
        const fs::path shipped = root() / "livree" / "data";
        const fs::path player = root() / "joueur" / "corbelet";
        makeShippedBase(shipped, "v1");

        QVERIFY(UpdatePlayerBase(shipped, player) == BaseUpdate::Copied);
        QCOMPARE(read(player / "data" / "listedemots" / "motscommuns.MYD"), QByteArray("mots v1"));
        QCOMPARE(BaseStamp(player / "data"), std::string("v1"));
        struct stat status = {};
        QCOMPARE(stat(player.c_str(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0700u);
        QCOMPARE(stat((player / "data" / "aria_log_control").c_str(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);

        // A later start keeps the player's copy as the server left it.
        QVERIFY(write(player / "data" / "ddl_recovery.log", "journal"));
        QVERIFY(UpdatePlayerBase(shipped, player) == BaseUpdate::Unchanged);
        QCOMPARE(read(player / "data" / "ddl_recovery.log"), QByteArray("journal"));

        // Another base shipped: replaced, the copy it replaces kept.
        makeShippedBase(shipped, "v2");
        QVERIFY(UpdatePlayerBase(shipped, player) == BaseUpdate::Replaced);
        QCOMPARE(read(player / "data" / "listedemots" / "motscommuns.MYD"), QByteArray("mots v2"));
        QCOMPARE(read(player / "data.previous" / "ddl_recovery.log"), QByteArray("journal"));
        QCOMPARE(namesIn(player), (QStringList{"data", "data.previous"}));

        // Only the last copy replaced is kept.
        makeShippedBase(shipped, "v3");
        QVERIFY(UpdatePlayerBase(shipped, player) == BaseUpdate::Replaced);
        QCOMPARE(BaseStamp(player / "data.previous"), std::string("v2"));
    }

    // A copy that did not end is never used, and a failed one loses nothing.
    void interruptedOrFailedCopies()
    {
        const fs::path shipped = root() / "livree2" / "data";
        const fs::path player = root() / "joueur2";
        makeShippedBase(shipped, "v1");
        fs::create_directories(player / "data.new-AbC123" / "listedemots");
        QVERIFY(write(player / "data.new-AbC123" / CORBELET_BASE_STAMP, "v1\n"));
        QVERIFY(UpdatePlayerBase(shipped, player) == BaseUpdate::Copied);
        QCOMPARE(namesIn(player), QStringList{"data"});
        QVERIFY(write(player / "data" / "marque", "à moi"));

        // A newer base that cannot be read whole (a file of a kind that is
        // not copied): the player's copy stays whole, nothing is left behind.
        makeShippedBase(shipped, "v2");
        QCOMPARE(mkfifo((shipped / "tube").c_str(), 0600), 0);
        const QString error = errorOf([&] { UpdatePlayerBase(shipped, player); });
        QVERIFY2(error.startsWith(QStringLiteral("Impossible de lire la base de mots livrée dans "
                                                 "le dossier « ") +
                                  QFile::decodeName(shipped.c_str()) + QStringLiteral(" » : ")),
                 qPrintable(error));
        QCOMPARE(namesIn(player), QStringList{"data"});
        QCOMPARE(read(player / "data" / "marque"), QByteArray("à moi"));
        QCOMPARE(BaseStamp(player / "data"), std::string("v1"));
    }

    // An upgrade killed after any of its renames is completed or undone by
    // the next start: the player's words reach the new base either way.
    void upgradeKilledAtEveryStep()
    {
        const fs::path shipped = root() / "livree3" / "data";
        const std::string_view table = WordCatalogue::playerTables().front();
        for (int renames = 1;; ++renames) {
            QVERIFY(renames < 10);
            const fs::path player = root() / ("joueur-tue-" + std::to_string(renames));
            makeShippedBase(shipped, "v1");
            UpdatePlayerBase(shipped, player);
            QVERIFY(write(playerTableFile(player / "data", table, ".MYD"), "mot du joueur"));
            makeShippedBase(shipped, "v2");

            const pid_t child = fork();
            if (child == 0) {
                g_renamesBeforeDeath = renames;
                UpdatePlayerBase(shipped, player);
                _exit(0);
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            QVERIFY(WIFEXITED(status));

            QVERIFY(UpdatePlayerBase(shipped, player) != BaseUpdate::Copied);
            QCOMPARE(BaseStamp(player / "data"), std::string("v2"));
            QCOMPARE(read(playerTableFile(player / "data", table, ".MYD")),
                     QByteArray("mot du joueur"));
            QVERIFY(fs::exists(player / "data" / WordCatalogue::kPlayerTablesPendingFile));
            QCOMPARE(BaseStamp(player / "data.previous"), std::string("v1"));
            QCOMPARE(namesIn(player), (QStringList{"data", "data.previous"}));
            if (WEXITSTATUS(status) != kDiedExitCode)
                break; // the upgrade ended before that rename
        }
    }

    // A stamp that is not a regular file stops the update with a message
    // naming it, and leaves the player's copy as it was.
    void stampThatIsNotAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << QStringLiteral("dossier");
        QTest::newRow("pipe") << QStringLiteral("tube");
        QTest::newRow("link") << QStringLiteral("lien");
    }
    void stampThatIsNotAFile()
    {
        QFETCH(QString, kind);
        const fs::path shipped = root() / ("livree-" + kind.toStdString()) / "data";
        const fs::path player = root() / ("joueur-" + kind.toStdString());
        makeShippedBase(shipped, "v1");
        UpdatePlayerBase(shipped, player);
        const fs::path stamp = player / "data" / CORBELET_BASE_STAMP;
        fs::rename(stamp, player / "tampon");
        if (kind == QLatin1String("dossier"))
            fs::create_directory(stamp);
        else if (kind == QLatin1String("tube"))
            QCOMPARE(mkfifo(stamp.c_str(), 0600), 0);
        else
            fs::create_symlink(player / "tampon", stamp);

        const QString error = errorOf([&] { UpdatePlayerBase(shipped, player); });
        QCOMPARE(error, QStringLiteral("Le fichier de version de la base « ") +
                            QFile::decodeName(stamp.c_str()) +
                            QStringLiteral(" » n'est pas un fichier ordinaire."));
        QCOMPARE(namesIn(player), (QStringList{"data", "tampon"}));
    }

    // A folder that cannot be made names itself in the error. A settings
    // folder that cannot be made stops nothing: the base is prepared, and the
    // text returned says that the settings will not be kept.
    void foldersThatCannotBeMade()
    {
        const fs::path blocker = root() / "fichier";
        QVERIFY(write(blocker, "pas un dossier"));
        const fs::path program = root() / "installe" / "games" / "corbelet";
        makeShippedBase(program.parent_path().parent_path() / "share" / "corbelet" / "data", "v1");

        const ProgramLayout noData =
            DecideLayout(program, {root() / "config", blocker / "partage"});
        const QString error = errorOf([&] { PreparePlayerFolders(noData); });
        QCOMPARE(error, QStringLiteral("Impossible de créer le dossier « ") +
                            QFile::decodeName((blocker / "partage").c_str()) +
                            QStringLiteral(" » : ce n'est pas un dossier"));
        QVERIFY(fs::is_directory(root() / "config" / "corbelet"));

        const ProgramLayout noConfig = DecideLayout(program, {blocker, root() / "partage"});
        const QString notKept = QString::fromStdString(PreparePlayerFolders(noConfig));
        QCOMPARE(notKept, QStringLiteral("Impossible de créer le dossier « ") +
                              QFile::decodeName((blocker / "corbelet").c_str()) +
                              QStringLiteral(" » : ce n'est pas un dossier. "
                                             "Les réglages du jeu ne seront pas enregistrés."));
        QVERIFY(fs::is_directory(root() / "partage" / "corbelet" / "data"));

        const ProgramLayout noHome = DecideLayout(program, {});
        QVERIFY(errorOf([&] { PreparePlayerFolders(noHome); }).contains(QStringLiteral("HOME")));
    }

    // The player's folders are private to them: one open to all is closed,
    // another user's is refused, even behind a link, and nothing is copied
    // into it.
    void foldersPrivateToThePlayer()
    {
        const fs::path program = root() / "prive" / "games" / "corbelet";
        makeShippedBase(program.parent_path().parent_path() / "share" / "corbelet" / "data", "v1");
        const fs::path open = root() / "ouvert";
        fs::create_directories(open / "corbelet");
        fs::permissions(open / "corbelet", fs::perms::all);
        PreparePlayerFolders(DecideLayout(program, {open, open}));
        QCOMPARE(fs::status(open / "corbelet").permissions(), fs::perms::owner_all);

        if (geteuid() != 0)
            QSKIP("another user's folder needs root to be made");
        const fs::path theirs = root() / "autre";
        fs::create_directories(theirs);
        fs::permissions(theirs, fs::perms::all);
        QCOMPARE(chown(theirs.c_str(), 65534, 65534), 0);
        const fs::path mine = root() / "lien";
        fs::create_directories(mine);
        fs::create_directory_symlink(theirs, mine / "corbelet");
        const QString error = errorOf([&] {
            PreparePlayerFolders(DecideLayout(program, {open, mine}));
        });
        QVERIFY2(error.contains(QStringLiteral("appartient à un autre utilisateur")),
                 qPrintable(error));
        QVERIFY(!fs::exists(theirs / "data"));
    }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
