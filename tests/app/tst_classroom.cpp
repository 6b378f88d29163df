// One word list for a whole classroom on a real MariaDB server started by the
// test: a teacher fills it with corbelet-mots and chooses the list the class
// plays, the game reads it with an account that may only read, through the
// machine's settings, shows the teacher's choice without changing it, and
// survives the server's stop and restart in the middle of a game.

#include "config/tcfgjeu.h"
#include "tests/config/formcontrol.h"
#include "tests/support/fixturebase.h"
#include "tests/support/mariadbserver.h"
#include "tests/support/xsession.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
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

    // corbelet-mots of the private run directory, as the teacher (or another
    // account).
    Result tool(QStringList arguments, const QString& passwordFile = {},
                const QString& user = QStringLiteral("prof"))
    {
        arguments << QStringLiteral("--utilisateur=") + user
                  << QStringLiteral("--fichier-mot-de-passe")
                  << (passwordFile.isEmpty() ? m_teacherPassword : passwordFile);
        QProcess process;
        process.start(m_run.filePath(QStringLiteral("corbelet-mots")), arguments);
        process.waitForFinished(120000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // A store on the server with the pupils' account, or the teacher's.
    void serverStore(TWordStore& store, bool teacher = false)
    {
        store.Server =
            ServerSettings{{},
                           3306,
                           m_server.socket().toStdString(),
                           "listedemots",
                           teacher ? "prof" : "eleve",
                           (teacher ? m_teacherPassword : m_pupilPassword).toStdString()};
    }

    // Every word the game reads, in order.
    QStringList words(TWordStore& store)
    {
        TWordQuery query(store);
        query.SetSQL(WordCatalogue::listStatement({0, 255, 0, 255, {}, {}}));
        QStringList read;
        for (query.Open(); !query.Eof(); query.Next())
            read << QString::fromStdString(query.FindField(WordCatalogue::kWordText).AsString());
        return read;
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
             QStringLiteral("GRANT SELECT ON listedemots.* TO eleve@localhost"),
             QStringLiteral("CREATE DATABASE `classe-5a`"),
             QStringLiteral("GRANT ALL ON `classe-5a`.* TO prof@localhost")});
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
        QVERIFY2(filled.err.endsWith(u"Base préparée sur le serveur : 1 mot livré.\n"
                                     u"1 mot importé, 0 déjà dans la liste.\n"),
                 qPrintable(filled.err));
        QCOMPARE(filled.out, QString());
        QCOMPARE(tool({QStringLiteral("--socket"), m_server.socket(), QStringLiteral("retirer"),
                       QStringLiteral("presqu'île")})
                     .code,
                 0);
        QCOMPARE(
            tool({QStringLiteral("--socket"), m_server.socket(), QStringLiteral("lister")}).out,
            QStringLiteral("cahier\tnom\tmasculin\n"));

        // Reading needs no more than the pupils' account, which may not write.
        const Result reading =
            tool({QStringLiteral("--socket"), m_server.socket(), QStringLiteral("lister")},
                 m_pupilPassword, QStringLiteral("eleve"));
        QVERIFY2(reading.code == 0, qPrintable(reading.err));
        QCOMPARE(reading.out, QStringLiteral("cahier\tnom\tmasculin\n"));
        const Result writing = tool({QStringLiteral("--socket"), m_server.socket(),
                                     QStringLiteral("retirer"), QStringLiteral("cahier")},
                                    m_pupilPassword, QStringLiteral("eleve"));
        QCOMPARE(writing.code, 1);
        QVERIFY2(writing.err.contains(u"Ce compte ne peut que lire"), qPrintable(writing.err));
        // Another teacher's tool at work on the list: this one keeps off.
        TWordStore other;
        other.Server =
            ServerSettings{{}, 3306, m_server.socket().toStdString(), "mysql", "root", {}};
        // (The pupil's refused tool may hold the lock a moment after it ends:
        // the server releases it when it sees the connection closed.)
        TWordQuery lock(other);
        lock.SetSQL("SELECT GET_LOCK('listedemots.corbelet-mots', 10) AS taken");
        lock.Open();
        QCOMPARE(lock.FindField("taken").AsInteger(), 1);
        const Result busy = tool({QStringLiteral("--socket"), m_server.socket(),
                                  QStringLiteral("retirer"), QStringLiteral("cahier")});
        QCOMPARE(busy.code, 1);
        QVERIFY2(busy.err.contains(u"déjà en cours de modification"), qPrintable(busy.err));
        // Reading takes no lock.
        QCOMPARE(
            tool({QStringLiteral("--socket"), m_server.socket(), QStringLiteral("lister")}).code,
            0);
    }

    // corbelet-mots works where the game beside it does: on the server its
    // settings name, said in its first line; the teacher's own account given
    // on the command line wins over the pupils' of the settings.
    void toolWorksWhereTheGameDoes()
    {
        const QString settings = m_run.filePath(QStringLiteral("corbelet.ini"));
        QVERIFY(writeFile(settings, "[Serveur]\nSocket=" + m_server.socket().toUtf8() +
                                        "\nUtilisateur=eleve\nFichierMotDePasse=" +
                                        m_pupilPassword.toUtf8() + "\n"));
        const auto removeSettings = qScopeGuard([&] { QFile::remove(settings); });
        QProcess pupil;
        pupil.start(m_run.filePath(QStringLiteral("corbelet-mots")), {QStringLiteral("lister")});
        QVERIFY(pupil.waitForFinished(60000));
        const QString said = QString::fromUtf8(pupil.readAllStandardError());
        QVERIFY2(pupil.exitCode() == 0, qPrintable(said));
        QVERIFY2(said.startsWith(QStringLiteral("Base : serveur local « ") + m_server.socket() +
                                 QStringLiteral(" », base « listedemots », compte « eleve »")),
                 qPrintable(said));
        QCOMPARE(pupil.readAllStandardOutput(), QByteArray("cahier\tnom\tmasculin\n"));
        const Result teacher = tool({QStringLiteral("retirer"), QStringLiteral("zorglub")});
        QVERIFY2(teacher.code == 0 && teacher.err.contains(u"compte « prof »"),
                 qPrintable(teacher.err));
    }

    // A database of any legal name serves a class (classe-5a), and none
    // reaches the statements as SQL.
    void databaseOfAnyName()
    {
        const QStringList socket{QStringLiteral("--socket"), m_server.socket()};
        const Result filled = tool(QStringList{QStringLiteral("importer"),
                                               m_run.filePath(QStringLiteral("liste.txt")),
                                               QStringLiteral("--base=classe-5a")} +
                                   socket);
        QVERIFY2(filled.code == 0, qPrintable(filled.err));
        QVERIFY(filled.err.contains(u"base « classe-5a »"));
        const Result hostile =
            tool(QStringList{QStringLiteral("lister"),
                             QStringLiteral("--base=x`; DROP DATABASE listedemots; --")} +
                 socket);
        QCOMPARE(hostile.code, 1);
        QCOMPARE(tool(QStringList{QStringLiteral("lister")} + socket).code, 0);
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

    // The teacher chooses the class's list: every pupil's draw comes from it,
    // a choice cut short at any statement leaves one list whole, and the
    // game's page shows the choice without letting a pupil change it.
    void teacherChoosesTheClassList()
    {
        QVERIFY(writeFile(m_run.filePath(QStringLiteral("ce1.txt")), "tableau\tnom\tmasculin\n"));
        QVERIFY(writeFile(m_run.filePath(QStringLiteral("ce2.txt")),
                          "cartable\tnom\tmasculin\ncrayon\tnom\tmasculin\n"));
        const QStringList socket{QStringLiteral("--socket"), m_server.socket()};
        for (const QString& list : {QStringLiteral("CE1"), QStringLiteral("CE2")}) {
            const Result imported =
                tool(QStringList{QStringLiteral("importer"),
                                 m_run.filePath(list.toLower() + QStringLiteral(".txt")),
                                 QStringLiteral("--liste"), list} +
                     socket);
            QVERIFY2(imported.code == 0, qPrintable(imported.err));
        }
        const Result chosen =
            tool(QStringList{QStringLiteral("jouer"), QStringLiteral("CE2")} + socket);
        QVERIFY2(chosen.err.endsWith(u"Le jeu tire ses mots de la liste « CE2 » (2 mots).\n"),
                 qPrintable(chosen.err));
        QCOMPARE(tool(QStringList{QStringLiteral("listes")} + socket).out,
                 QStringLiteral("CE1\t1 mot\nCE2\t2 mots\tjouée\n"));

        TWordStore pupil;
        serverStore(pupil);
        QSet<QString> drawn;
        for (int count = 0; count < 20; ++count)
            drawn << draw(pupil);
        QCOMPARE(drawn, (QSet<QString>{QStringLiteral("cartable"), QStringLiteral("crayon")}));

        // The choice stopped after each of its statements in turn, as a
        // killed tool leaves it: the pupils read one list whole, the one the
        // server says is played.
        TWordStore teacher;
        serverStore(teacher, true);
        const std::vector<std::string> toCe1 = WordCatalogue::playListStatements("CE1");
        for (std::size_t cut = 0; cut <= toCe1.size(); ++cut) {
            const std::optional<std::string> played = ReadPlayedList(pupil);
            QVERIFY(played);
            const std::vector<std::string> statements =
                WordCatalogue::playListStatements(*played == "CE1" ? "CE2" : "CE1");
            for (std::size_t index = 0; index < std::min(cut, statements.size()); ++index)
                teacher.Execute(statements[index]);
            const QStringList read = words(pupil);
            const std::optional<std::string> now = ReadPlayedList(pupil);
            QVERIFY(now);
            QCOMPARE(read, *now == "CE1" ? QStringList{QStringLiteral("tableau")}
                                         : (QStringList{QStringLiteral("cartable"),
                                                        QStringLiteral("crayon")}));
        }

        // The game on a pupil's machine: the teacher's choice, read only.
        const QString settings = m_run.filePath(QStringLiteral("eleve.ini"));
        TWordQuery query(pupil);
        TCfgJeu page(query, m_run.path() + QLatin1Char('/'), settings);
        page.RestoreWordList();
        QVERIFY(!control<QComboBox>(page, "cbListe")->isEnabled());
        QCOMPARE(control<QComboBox>(page, "cbListe")->currentText().left(3),
                 QString::fromStdString(ReadPlayedList(pupil).value_or("")));
        QVERIFY(control<QLabel>(page, "laListeInfo")->text().contains(u"l'enseignant"));
        page.SaveSettings();
        QFile file(settings);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("[Listes]"));

        QCOMPARE(tool(QStringList{QStringLiteral("jouer"), QStringLiteral("--tous")} + socket).code,
                 0);
        QCOMPARE(words(pupil), QStringList{QStringLiteral("cahier")});
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

QTEST_MAIN(ClassroomTest)
#include "tst_classroom.moc"
