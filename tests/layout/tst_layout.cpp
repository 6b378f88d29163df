// The layout decision (portable or installed, from where the executable lies),
// the player's folders, and the player's copy of the word base, on real
// folders.

#include "layout/playerbase.h"
#include "layout/programlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace fs = std::filesystem;

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

// A shipped base: two tables in a database folder and the stamp.
void makeShippedBase(const fs::path& data, const QByteArray& stamp)
{
    fs::create_directories(data / "listedemots");
    write(data / "listedemots" / "motscommuns.MYD", "mots " + stamp);
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
    // XDG folders and reads its own where they lie.
    void readOnlyPortableFolderRunsInstalled()
    {
        if (geteuid() == 0)
            QSKIP("the superuser writes into read-only folders");
        const fs::path folder = root() / "lecture-seule";
        fs::create_directories(folder / "data");
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
        const ProgramLayout layout = DecideLayout(folder / "corbelet", m_user);
        fs::permissions(folder, fs::perms::owner_all);
        QVERIFY(layout.kind == LayoutKind::Installed);
        QCOMPARE(layout.resourceFolder, folder);
        QCOMPARE(layout.baseFolder, fs::path("/home/zoé/.local/share/corbelet"));
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

    // A folder that cannot be made names itself in the error, and the
    // program's settings folder is made before the base is looked at.
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
        QVERIFY(errorOf([&] {
                    PreparePlayerFolders(noConfig);
                }).contains(QFile::decodeName(blocker.c_str())));
        QVERIFY(!fs::exists(root() / "partage"));

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
