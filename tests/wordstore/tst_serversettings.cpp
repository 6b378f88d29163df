// Where the classroom server is read from, on real files: the [Serveur]
// section of the player's settings file, else of the machine's.

#include "wordstore/serversettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool write(const fs::path& file, const QByteArray& content)
{
    QFile out(QFile::decodeName(file.c_str()));
    return out.open(QIODevice::WriteOnly) && out.write(content) == content.size();
}

} // namespace

class TestServerSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    fs::path folder() const { return fs::path(QFile::encodeName(m_folder.path()).toStdString()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
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
};

QTEST_GUILESS_MAIN(TestServerSettings)
#include "tst_serversettings.moc"
