// Where the classroom server is read from, on real files: the [Serveur]
// section of the player's settings file, else of the machine's; and the
// password file, read as the player reads it.

#include "wordstore/serversettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace fs = std::filesystem;

namespace {

bool write(const fs::path& file, const QByteArray& content)
{
    QFile out(QFile::decodeName(file.c_str()));
    return out.open(QIODevice::WriteOnly) && out.write(content) == content.size();
}

// What ReadPasswordFile gives the user `player`, with `group` for its groups,
// in a process of that user: the password, or "!" and the error's text.
QString readAs(uid_t player, gid_t group, const fs::path& file)
{
    int channel[2];
    if (pipe(channel) != 0)
        return QStringLiteral("!pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string answer;
        if (player != geteuid() &&
            (setgroups(1, &group) != 0 || setgid(group) != 0 || setuid(player) != 0))
            _exit(1);
        try {
            answer = ReadPasswordFile(file);
        } catch (const std::runtime_error& error) {
            answer = std::string("!") + error.what();
        }
        const bool written = ::write(channel[1], answer.data(), answer.size()) >= 0;
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    QByteArray answer;
    char buffer[4096];
    ssize_t count;
    while ((count = read(channel[0], buffer, sizeof buffer)) > 0)
        answer.append(buffer, count);
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return QString::fromUtf8(answer);
}

} // namespace

class TestServerSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    int m_files = 0;
    fs::path folder() const { return fs::path(QFile::encodeName(m_folder.path()).toStdString()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        // Open to the player of the password cases.
        QCOMPARE(chmod(QFile::encodeName(m_folder.path()).constData(), 0711), 0);
        fs::create_directories(folder() / "machine" / "corbelet");
        QVERIFY(write(folder() / "machine" / "corbelet" / "corbelet.ini",
                      "[Serveur]\nHote=machine.ecole.lan\n"));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_folder.filePath(QStringLiteral("machine"))));
    }

    // A player's settings "file" that is a named pipe is read by the rule of
    // the settings file: it holds no keys, whatever a writer would send, and
    // the machine's file answers.
    void playerFileThatIsAPipe()
    {
        const fs::path pipe = folder() / "tube.ini";
        QCOMPARE(mkfifo(pipe.c_str(), 0600), 0);
        const pid_t writer = fork();
        if (writer == 0) {
            const int fd = open(pipe.c_str(), O_WRONLY);
            const char text[] = "[Serveur]\nHote=tube\n";
            const bool written = fd >= 0 && ::write(fd, text, sizeof text - 1) > 0;
            _exit(written ? 0 : 1);
        }
        const std::optional<ServerSettings> settings = FindServerSettings(pipe);
        // Lets a writer still waiting for a reader end.
        const int reader = open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        QCOMPARE(waitpid(writer, nullptr, 0), writer);
        close(reader);
        QVERIFY(settings);
        QCOMPARE(settings->host, std::string("machine.ecole.lan"));
    }

    // The password file: a player's own file private to them, or a machine's
    // file that the administrator keeps for a group of pupils; anything else
    // is refused with a message that names the file and the cause.
    void passwordFileRules_data()
    {
        QTest::addColumn<QString>("owner"); // "joueur", "root"
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("kind");    // "fichier", "dossier", "tube", "lien"
        QTest::addColumn<QString>("refusal"); // empty: the password is read
        QTest::newRow("own, private") << "joueur" << 0600 << "fichier"
                                      << "";
        QTest::newRow("own, group") << "joueur" << 0640 << "fichier"
                                    << "est à vous mais lisible par son groupe";
        QTest::newRow("own, everyone") << "joueur" << 0644 << "fichier"
                                       << "est lisible par tous les utilisateurs (propriétaire";
        QTest::newRow("machine, group") << "root" << 0640 << "fichier"
                                        << "";
        QTest::newRow("machine, group writes")
            << "root" << 0660 << "fichier"
            << "peut être modifié par d'autres que son propriétaire (propriétaire « root », "
               "groupe « users », droits 660)";
        QTest::newRow("machine, everyone") << "root" << 0644 << "fichier"
                                           << "est lisible par tous les utilisateurs";
        QTest::newRow("folder") << "joueur" << 0700 << "dossier"
                                << "n'est pas un fichier ordinaire";
        QTest::newRow("pipe") << "joueur" << 0600 << "tube"
                              << "n'est pas un fichier ordinaire";
        QTest::newRow("link") << "joueur" << 0600 << "lien"
                              << "n'est pas un fichier ordinaire";
    }
    void passwordFileRules()
    {
        QFETCH(QString, owner);
        QFETCH(int, mode);
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        // As the superuser, the player is "nobody" in the group "users", the
        // pupils' group; otherwise the player is this user, who owns no
        // machine's file.
        const bool superuser = geteuid() == 0;
        const passwd* nobody = getpwnam("nobody");
        const group* pupils = getgrnam("users");
        if (owner == QLatin1String("root") && (!superuser || !nobody || !pupils))
            QSKIP("needs the superuser, the user nobody and the group users");
        const uid_t player = superuser && nobody ? nobody->pw_uid : geteuid();

        const fs::path file = folder() / ("mdp-" + std::to_string(++m_files));
        const fs::path target = folder() / ("cible-" + std::to_string(m_files));
        if (kind == QLatin1String("dossier")) {
            QCOMPARE(mkdir(file.c_str(), 0700), 0);
        } else if (kind == QLatin1String("tube")) {
            QCOMPARE(mkfifo(file.c_str(), 0600), 0);
        } else if (kind == QLatin1String("lien")) {
            QVERIFY(write(target, "secret\n"));
            QCOMPARE(symlink(target.c_str(), file.c_str()), 0);
        } else {
            QVERIFY(write(file, "secret\n"));
        }
        for (const fs::path& made : {file, target}) {
            if (superuser && fs::exists(fs::symlink_status(made)))
                QCOMPARE(lchown(made.c_str(), owner == QLatin1String("root") ? 0 : player,
                                pupils ? pupils->gr_gid : 0),
                         0);
        }
        QCOMPARE(chmod(file.c_str(), mode_t(mode)), 0);

        const QString answer = readAs(player, pupils ? pupils->gr_gid : getegid(), file);
        if (refusal.isEmpty()) {
            QCOMPARE(answer, QStringLiteral("secret"));
        } else {
            QVERIFY2(answer.startsWith(QStringLiteral("!Le fichier de mot de passe « ") +
                                       QFile::decodeName(file.c_str()) + QStringLiteral(" » ")) &&
                         answer.contains(refusal),
                     qPrintable(answer));
        }
    }
};

QTEST_GUILESS_MAIN(TestServerSettings)
#include "tst_serversettings.moc"
