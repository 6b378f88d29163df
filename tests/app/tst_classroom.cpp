// One word list for a whole classroom on a real MariaDB server started by the
// test: a teacher fills it with corbelet-mots, the game reads it with an
// account that may only read, through the machine's settings, and survives
// the server's stop and restart in the middle of a game.

#include "tests/support/fixturebase.h"
#include "tests/support/mariadbserver.h"
#include "tests/support/xsession.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <csignal>

namespace {

constexpr int kWindowMs = 30000;

bool writeFile(const QString& path, const QByteArray& content, int mode = 0600)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() &&
           chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

struct Result
{
    int code = -1;
    QString out;
    QString err;
};

} // namespace

class ClassroomTest : public QObject
{
    Q_OBJECT

    MariaDbServer m_server;
    QTemporaryDir m_run;
    QString m_teacherPassword;
    QString m_pupilPassword;

    // corbelet-mots of the private run directory, as the teacher.
    Result tool(QStringList arguments, const QString& passwordFile = {})
    {
        arguments << QStringLiteral("--utilisateur=prof")
                  << QStringLiteral("--fichier-mot-de-passe")
                  << (passwordFile.isEmpty() ? m_teacherPassword : passwordFile);
        QProcess process;
        process.start(m_run.filePath(QStringLiteral("corbelet-mots")), arguments);
        process.waitForFinished(120000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString draw(TWordStore& store)
    {
        TWordQuery query(store);
        query.SetSQL(WordCatalogue::drawStatement({}));
        query.Open();
        return QString::fromStdString(query.FindField(WordCatalogue::kWordText).AsString());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_run.isValid() && FixtureBase::copyRunDirectory(m_run.path()));
        const QString started = m_server.start();
        QVERIFY2(started.isEmpty(), qPrintable(started));
        // What an administrator does once: a database, the teacher's account
        // that manages it, and the pupils' that may only read it.
        const QString made = m_server.administer(
            {QStringLiteral("CREATE DATABASE listedemots"),
             QStringLiteral("CREATE USER prof@localhost IDENTIFIED BY 'craie'"),
             QStringLiteral("GRANT ALL ON listedemots.* TO prof@localhost"),
             QStringLiteral("CREATE USER eleve@localhost IDENTIFIED BY 'ardoise'"),
             QStringLiteral("GRANT SELECT ON listedemots.* TO eleve@localhost")});
        QVERIFY2(made.isEmpty(), qPrintable(made));
        m_teacherPassword = m_server.folder() + QStringLiteral("/prof.mdp");
        m_pupilPassword = m_server.folder() + QStringLiteral("/eleve.mdp");
        QVERIFY(writeFile(m_teacherPassword, "craie\n"));
        QVERIFY(writeFile(m_pupilPassword, "ardoise\n"));
    }

    // The teacher fills the server from a one-word base and a list, over TCP
    // and over the socket; a password file others may read is refused.
    void teacherFillsTheServer()
    {
        FixtureBase::copyTree(QStringLiteral(CORBELET_BINARY_DIR "/fixtures/oneword"),
                              m_run.filePath(QStringLiteral("oneword")));
        QVERIFY(writeFile(m_run.filePath(QStringLiteral("liste.txt")), "cahier\tnom\tmasculin\n"));
        const QString readable = m_server.folder() + QStringLiteral("/lisible.mdp");
        QVERIFY(writeFile(readable, "craie", 0644));
        const Result refused = tool(
            {QStringLiteral("--socket"), m_server.socket(), QStringLiteral("lister")}, readable);
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains(u"doit être réservé à son propriétaire"),
                 qPrintable(refused.err));

        const Result filled = tool(
            {QStringLiteral("importer"), m_run.filePath(QStringLiteral("liste.txt")),
             QStringLiteral("--hote=127.0.0.1"), QStringLiteral("--port=%1").arg(m_server.port()),
             QStringLiteral("--donnees"), m_run.filePath(QStringLiteral("oneword"))});
        QVERIFY2(filled.code == 0, qPrintable(filled.err));
        QCOMPARE(filled.out, QStringLiteral("Base préparée sur le serveur : 1 mots livrés.\n"
                                            "1 mots importés, 0 déjà dans la liste.\n"));
        QCOMPARE(tool({QStringLiteral("--socket"), m_server.socket(), QStringLiteral("retirer"),
                       QStringLiteral("presqu'île")})
                     .code,
                 0);
        QCOMPARE(
            tool({QStringLiteral("--socket"), m_server.socket(), QStringLiteral("lister")}).out,
            QStringLiteral("cahier\n"));

        // Another teacher's tool at work on the list: this one keeps off.
        TWordStore other;
        other.Server =
            ServerSettings{{}, 3306, m_server.socket().toStdString(), "mysql", "root", {}};
        other.Execute("SELECT GET_LOCK('listedemots.corbelet-mots', 0)");
        const Result busy =
            tool({QStringLiteral("--socket"), m_server.socket(), QStringLiteral("lister")});
        QCOMPARE(busy.code, 1);
        QVERIFY2(busy.err.contains(u"déjà en cours de modification"), qPrintable(busy.err));
    }

    // The word store of a player whose settings name the server: the draw,
    // the error while the server is stopped, the draw once it is back.
    void storeFollowsTheServer()
    {
        const QString settings = m_run.filePath(QStringLiteral("joueur.ini"));
        QVERIFY(writeFile(
            settings,
            "[Config]\r\nNbMotMin=5\r\n[Serveur]\r\nSocket=" + m_server.socket().toUtf8() +
                "\r\nUtilisateur=eleve\r\nFichierMotDePasse=" + m_pupilPassword.toUtf8() + "\r\n"));
        TWordStore store;
        store.Server = FindServerSettings(settings.toStdString());
        QVERIFY(store.Server);
        QCOMPARE(draw(store), QStringLiteral("cahier"));
        // The pupils' account may only read.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, store.Execute("DELETE FROM motscommuns"));

        m_server.stop();
        try {
            draw(store);
            QFAIL("a draw without the server");
        } catch (const std::runtime_error& error) {
            QVERIFY2(QString::fromUtf8(error.what())
                         .startsWith(u"SQL Error: Can't connect to local server"),
                     error.what());
        }
        const QString restarted = m_server.start();
        QVERIFY2(restarted.isEmpty(), qPrintable(restarted));
        QCOMPARE(draw(store), QStringLiteral("cahier"));
    }

    // The real game of a classroom machine, pointed at the server by the
    // machine's settings: it shows the server's count, draws, reports the
    // stopped server and carries on, and draws again once it is back.
    void gamePlaysFromTheServer()
    {
        const QStringList missing = XSession::missingTools();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing.join(QLatin1Char(' ')) + QStringLiteral(" not installed")));
        XSession session;
        const QString sessionStarted = session.start();
        QVERIFY2(sessionStarted.isEmpty(), qPrintable(sessionStarted));
        QTemporaryDir machine;
        QVERIFY(QDir().mkpath(machine.filePath(QStringLiteral("corbelet"))));
        QVERIFY(writeFile(machine.filePath(QStringLiteral("corbelet/corbelet.ini")),
                          "[Serveur]\nSocket=" + m_server.socket().toUtf8() +
                              "\nUtilisateur=eleve\nFichierMotDePasse=" + m_pupilPassword.toUtf8() +
                              "\n",
                          0644));

        QProcessEnvironment environment = session.environment();
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), machine.path());
        environment.insert(QStringLiteral("CORBELET_STARTUP_TRACE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_run.path());
        QProcess game;
        game.setProcessEnvironment(environment);
        game.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        game.start(m_run.filePath(QStringLiteral("corbelet")), {});
        QStringList lines;
        qsizetype from = 0;
        const auto waitForLine = [&](const QString& prefix) {
            QString found;
            (void)QTest::qWaitFor(
                [&] {
                    while (game.canReadLine())
                        lines << QString::fromUtf8(game.readLine()).trimmed();
                    for (; from < lines.size(); ++from) {
                        if (lines[from].startsWith(prefix)) {
                            found = lines[from++];
                            return true;
                        }
                    }
                    return game.state() == QProcess::NotRunning;
                },
                kWindowMs);
            return found;
        };

        QVERIFY2(waitForLine(QStringLiteral("text laTextInfo "))
                     .contains(u"|Total dans le programme : 1|"),
                 qPrintable(lines.join(u'\n')));
        QVERIFY(session.waitForWindow(&game, kWindowMs));
        const QString window = session.gameWindow(game.processId());
        const QString masked = QStringLiteral("text affMot ") + QString(6, QChar(0x2022));
        session.click(window, QPoint(376, 228)); // the panel's "OK"
        session.click(window, QPoint(348, 79));  // "Commencer"
        QCOMPARE(waitForLine(QStringLiteral("text affMot ")), masked);
        session.key(QStringLiteral("c"));
        QCOMPARE(waitForLine(QStringLiteral("text affMot ")),
                 QStringLiteral("text affMot C") + QString(5, QChar(0x2022)));

        // The server stops: the next draw shows an error box, and the game
        // goes on once it is closed.
        m_server.stop();
        session.click(window, QPoint(348, 79)); // "Suivant >>"
        QVERIFY(QTest::qWaitFor(
            [&] { return session.visibleWindows(game.processId()).size() == 2; }, kWindowMs));
        session.key(QStringLiteral("Return"));
        QVERIFY(QTest::qWaitFor(
            [&] { return session.visibleWindows(game.processId()).size() == 1; }, kWindowMs));
        QCOMPARE(game.state(), QProcess::Running);

        // The server is back: the next draw works.
        const QString restarted = m_server.start();
        QVERIFY2(restarted.isEmpty(), qPrintable(restarted));
        session.click(window, QPoint(348, 79));
        QCOMPARE(waitForLine(QStringLiteral("text affMot ")), masked);

        // The server stops answering (SIGSTOP): while the draw waits for it
        // the window stays live (its close button asks for confirmation),
        // the draw's error box follows, and the game goes on once it is
        // closed. Confirming the close while a draw waits ends the game.
        const auto pid = static_cast<pid_t>(m_server.pid());
        QCOMPARE(::kill(pid, SIGSTOP), 0);
        const auto resume = qScopeGuard([pid] { ::kill(pid, SIGCONT); });
        const auto windowCount = [&](qsizetype count) {
            return QTest::qWaitFor(
                [&] { return session.visibleWindows(game.processId()).size() == count; },
                kWindowMs);
        };
        QElapsedTimer waited;
        waited.start();
        session.click(window, QPoint(348, 79)); // "Suivant >>"
        session.click(window, QPoint(460, 79)); // the close button
        QVERIFY(windowCount(2));
        session.key(QStringLiteral("Escape")); // "Non"
        QVERIFY(windowCount(1));
        QVERIFY(windowCount(2));
        qInfo("error box after %lld ms", static_cast<long long>(waited.elapsed()));
        session.key(QStringLiteral("Return"));
        QVERIFY(windowCount(1));
        QCOMPARE(game.state(), QProcess::Running);

        session.click(window, QPoint(348, 79));
        session.click(window, QPoint(460, 79));
        QVERIFY(windowCount(2));
        session.key(QStringLiteral("Return")); // "Oui"
        QVERIFY(game.waitForFinished(kWindowMs));
        QCOMPARE(game.exitStatus(), QProcess::NormalExit);
        QCOMPARE(game.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(ClassroomTest)
#include "tst_classroom.moc"
