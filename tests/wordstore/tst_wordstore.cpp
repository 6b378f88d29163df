// The word store against the real embedded server and a small real base.
// The server starts once per process, so every case here shares one base.

#include "tests/support/fixturebase.h"
#include "wordstore/embeddedserver.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordhints.h"
#include "wordstore/wordstore.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

#include <memory>
#include <thread>

using namespace std::string_literals;

class TestWordStore : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_fixture = std::make_unique<FixtureBase>(QStringLiteral("wordstore"));
        QVERIFY(m_fixture->isValid());
        // As in the game: the server starts on a thread of its own, and every
        // case below uses it from this one.
        m_umask = umask(022);
        umask(m_umask);
        TWordStore().StartServerInBackground();
    }

    // The start on another thread leaves the process as it was: its umask
    // (which the server sets while it starts) and its environment.
    void startedOnAnotherThread()
    {
        TWordStore store;
        TWordQuery query(store);
        query.SetSQL("SELECT COUNT(id_mots) AS Nb FROM motscommuns LIMIT 1;");
        query.Open();
        QCOMPARE(query.FindField("Nb").AsString(), "10"s);
        const mode_t mask = umask(022);
        umask(mask);
        QCOMPARE(mask, m_umask);
        QVERIFY(qgetenv("UMASK").isNull());
    }

    void argumentVector()
    {
        TWordStore store;
        store.BaseFolder = "/home/zoé/.local/share/corbelet";
        store.ResourceFolder = "/usr/share/corbelet";
        const auto arguments = store.ServerArguments();
        QVERIFY(arguments.at(0).ends_with("/tst_wordstore"));
        QCOMPARE(arguments.at(1), "--no-defaults"s);
        // The server's files are written where the base lies and read where
        // the program's files lie.
        const std::vector<std::string> serverArguments{
            "--basedir=/home/zoé/.local/share/corbelet/",
            "--datadir=/home/zoé/.local/share/corbelet/data",
            "--character-sets-dir=/usr/share/corbelet/share/charsets",
            "--language=/usr/share/corbelet/share/french",
            "--skip-innodb",
            "--key_buffer_size=256K"};
        QVERIFY(std::equal(serverArguments.begin(), serverArguments.end(), arguments.begin() + 2));
        // Without folders: the current folder, made absolute.
        store.BaseFolder.clear();
        QCOMPARE(store.ServerArguments().at(2),
                 "--basedir=" + QDir::currentPath().toStdString() + "/");
        QCOMPARE(std::count_if(arguments.begin(), arguments.end(),
                               [](const std::string& a) { return a.starts_with("--datadir"); }),
                 1);

        // List order, not the number after the prefix; the prefix in any case.
        store.Properties = {
            "compress=yes",        "ServerArgument2=--second",        "serverargumentX=--first",
            "SERVERARGUMENT1=a=b", "ServerArgumen=--not-an-argument", "ServerArgument9"};
        const std::vector<std::string> expected{arguments.at(0), "--second", "--first", "a=b",
                                                "--datadir=" + QDir::currentPath().toStdString() +
                                                    "/data/"};
        QCOMPARE(store.ServerArguments(), expected);

        // A value that merely mentions a data folder does not count as one.
        store.Properties = {"ServerArgument1=--datadirectory=/x", "ServerArgument2=--datadir"};
        QCOMPARE(store.ServerArguments().back(), "--datadir"s);
    }

    // Relative paths lead to the base folder, the server's read-only files to
    // the resource folder; other arguments stay as they are.
    void relativeServerPaths_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* argument, const char* expected) {
            QTest::newRow(argument) << QString::fromUtf8(argument) << QString::fromUtf8(expected);
        };
        row("--basedir=./", "--basedir=/b/");
        row("--basedir=.", "--basedir=/b/");
        row("--datadir=data", "--datadir=/b/data");
        row("--datadir=/srv/mots", "--datadir=/srv/mots");
        row("--log-error=./journal.log", "--log-error=/b/journal.log");
        row("--tmpdir=../tmp", "--tmpdir=/tmp");
        row("--character_sets_dir=./share/charsets", "--character_sets_dir=/r/share/charsets");
        row("--lc-messages-dir=./share", "--lc-messages-dir=/r/share");
        row("--language=french", "--language=french");
        row("--default-storage-engine=MyISAM", "--default-storage-engine=MyISAM");
        row("--skip-innodb", "--skip-innodb");
        row("./data", "./data");
    }
    void relativeServerPaths()
    {
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(ResolveServerArgument(argument.toStdString(), "/b", "/r")),
                 expected);
    }

    void connectAndOpen()
    {
        TWordStore store;
        TWordQuery query(store);
        QVERIFY(!store.Connected());
        // Open connects a store that is not connected.
        query.SetSQL("SELECT COUNT(id_mots) AS Nb FROM motscommuns LIMIT 1;");
        query.Open();
        QVERIFY(store.Connected());
        QCOMPARE(query.FindField("Nb").AsString(), "10"s);
        // Connect on a connected store does nothing: the same connection goes
        // on, and settings changed meanwhile are not even looked at.
        const auto connectionId = [&] {
            query.SetSQL("SELECT CONNECTION_ID() AS id;");
            query.Open();
            return query.FindField("id").AsString();
        };
        const std::string id = connectionId();
        QVERIFY(!id.empty());
        query.SetSQL("SELECT COUNT(id_mots) AS Nb FROM motscommuns LIMIT 1;");
        query.Open();
        store.Database = "absente";
        store.LibraryNames = {"libcorbelet-absent.so"};
        store.Connect();
        QVERIFY(store.Connected());
        QVERIFY(query.Active());
        QCOMPARE(connectionId(), id);
        store.Database = "listedemots";
        store.Disconnect();
        QVERIFY(!store.Connected());
        QVERIFY(!query.Active());
        store.Disconnect();
        store.Connect();
        QVERIFY(store.Connected());
    }

    // The server's client handles belong to the thread that started it.
    void anotherThreadIsRefused()
    {
        TWordStore store;
        TWordQuery query(store);
        query.SetSQL("SELECT COUNT(id_mots) AS Nb FROM motscommuns LIMIT 1;");
        query.Open();
        store.Disconnect();
        QString connectError, openError;
        std::thread([&] {
            try {
                store.Connect();
            } catch (const std::runtime_error& error) {
                connectError = QString::fromUtf8(error.what());
            }
            try {
                query.Open();
            } catch (const std::runtime_error& error) {
                openError = QString::fromUtf8(error.what());
            }
        }).join();
        const QString text =
            QStringLiteral("La base de mots ne s'utilise que depuis le fil de l'interface du jeu");
        QCOMPARE(connectError, text);
        QCOMPARE(openError, text);
        QVERIFY(!store.Connected());
        QVERIFY(!query.Active());
    }

    void walkRows()
    {
        TWordStore store;
        TWordQuery query(store);
        query.SetSQL("SELECT mots, point FROM motscommuns ORDER BY id_mots;");
        query.Open();
        query.First();
        std::vector<std::string> words;
        while (!query.Eof()) {
            words.push_back(query.FindField("MOTS").AsString());
            query.Next();
        }
        QCOMPARE(words.size(), std::size_t(10));
        // Bytes arrive as stored: é is 0xE9, not UTF-8.
        QCOMPARE(words.at(0), "\xE9l\xE8ve"s);
        QCOMPARE(words.at(1), "porte-cl\xE9s"s);
        QCOMPARE(words.at(8), "aujourd'hui"s);
        query.Next();
        QVERIFY(query.Eof());
        query.First();
        QCOMPARE(query.FindField("Point").AsInteger(), 14);
        QCOMPARE(query.FindField("absent").AsString(), ""s);
    }

    void resultWithoutRows()
    {
        TWordStore store;
        TWordQuery query(store);
        query.SetSQL("SELECT * FROM motscommuns WHERE taille >= 30  AND taille <= 25  AND point >= "
                     "5  AND point <= 52 ORDER BY rand() LIMIT 1;");
        query.Open();
        query.First();
        QVERIFY(query.Eof());
        QCOMPARE(query.FindField("mots").AsString(), ""s);
        QCOMPARE(query.FindField("point").AsInteger(), 0);

        query.SetSQL("SELECT COUNT(id_mots) AS Nb FROM motscommuns WHERE taille >= 30 LIMIT 1;");
        query.Open();
        QCOMPARE(query.FindField("Nb").AsString(), "0"s);
    }

    void replacingTheStatementClosesTheResult()
    {
        TWordStore store;
        TWordQuery query(store);
        const std::string counts[] = {
            "SELECT COUNT(id_mots) AS Nb FROM motscommuns LIMIT 1;",
            "SELECT COUNT(id_mots) AS Nb FROM motscommuns WHERE ref_type = 6 LIMIT 1;",
            "SELECT COUNT(id_mots) AS Nb FROM motscommuns WHERE ref_type = 9 LIMIT 1;"};
        QStringList seen;
        for (const std::string& count : counts) {
            query.SetSQL(count);
            QVERIFY(!query.Active());
            query.Open();
            query.First();
            seen << QString::fromStdString(query.FindField("Nb").AsString());
        }
        QCOMPARE(seen, QStringList({"10", "6", "1"}));
        query.AddSQL("-- a second line");
        QVERIFY(!query.Active());
    }

    // The two-line genre statement, with its pattern in double quotes.
    void genreStatement()
    {
        TWordStore store;
        TWordQuery query(store);
        query.SetSQL("SELECT * FROM isgenre WHERE desc_genre LIKE");
        query.AddSQL(" \"%Fem%\"");
        query.Open();
        query.First();
        QCOMPARE(query.FindField("id_genre").AsString(), "2"s);
        query.Next();
        QVERIFY(query.Eof());
    }

    // The catalogue's texts, byte for byte as the game and the base builder
    // have always sent them.
    void catalogueStatements()
    {
        using namespace WordCatalogue;
        WordFilter filter; // the settings' initial values, no fragment
        QCOMPARE(drawStatement(filter), "SELECT * FROM motscommuns WHERE taille >= 5  AND taille "
                                        "<= 25  AND point >= 5  AND point <= 52 ORDER BY rand() "
                                        "LIMIT 1;"s);
        QCOMPARE(countAllStatement(), "SELECT COUNT(id_mots) AS Nb FROM motscommuns LIMIT 1;"s);
        QCOMPARE(countStatement(filter), "SELECT COUNT(id_mots) AS Nb FROM motscommuns WHERE "
                                         "taille >= 5  AND taille <= 25  AND point >= 5  AND "
                                         "point <= 52 LIMIT 1;"s);
        filter = WordFilter{4, 4, -3, 12, typeFilter(WordType::Verb), genreFilter({"3", "7"})};
        QCOMPARE(drawStatement(filter),
                 "SELECT * FROM motscommuns WHERE taille >= 4  AND taille <= 4  AND point >= -3  "
                 "AND point <= 12 AND ref_type = 9 AND ref_genre = 35 AND ref_genre IN (3, 7, 0) "
                 "ORDER BY rand() LIMIT 1;"s);
        QCOMPARE(countStatement(filter),
                 "SELECT COUNT(id_mots) AS Nb FROM motscommuns WHERE taille >= 4  AND taille <= 4 "
                 " AND point >= -3  AND point <= 12 AND ref_type = 9 AND ref_genre = 35 AND "
                 "ref_genre IN (3, 7, 0) LIMIT 1;"s);

        QCOMPARE(typeFilter(WordType::Adverb), " AND ref_type = 2"s);
        QCOMPARE(typeFilter(WordType::Adjective), " AND ref_type = 1"s);
        QCOMPARE(typeFilter(WordType::Noun), " AND ref_type = 6"s);
        const std::vector<std::string> genreLines{"SELECT * FROM isgenre WHERE desc_genre LIKE",
                                                  " \"%Mas%\""};
        QCOMPARE(genreIdentifiersStatement(GenreKind::Masculine), genreLines);
        QCOMPARE(genreIdentifiersStatement(GenreKind::Feminine).back(), " \"%Fem%\""s);
        QCOMPARE(genreIdentifiersStatement(GenreKind::Invariable).back(), " \"%Inv%\""s);

        // The schema: a VARCHAR word (a TEXT one would make every draw sort on
        // disk) and no index but the key. The rows it takes are checked by
        // every base the tests build.
        QCOMPARE(schema().size(), std::size_t(9));
        QCOMPARE(createDatabaseStatement(),
                 "CREATE DATABASE `listedemots` CHARACTER SET latin1 COLLATE latin1_swedish_ci"s);
        QCOMPARE(
            createTableStatement(schema()[0]),
            "CREATE TABLE `listedemots`.isgenre (id_genre INT NOT NULL PRIMARY KEY, desc_genre "
            "VARCHAR(60) NOT NULL) ENGINE=MyISAM DEFAULT CHARSET=latin1"s);
        QCOMPARE(createTableStatement(schema()[1]),
                 "CREATE TABLE `listedemots`.motslivres (id_mots INT NOT NULL AUTO_INCREMENT "
                 "PRIMARY KEY, mots VARCHAR(40) NOT NULL, taille TINYINT UNSIGNED NOT NULL, point "
                 "TINYINT UNSIGNED NOT NULL, ref_type INT NOT NULL, ref_genre INT NOT NULL) "
                 "ENGINE=MyISAM DEFAULT CHARSET=latin1"s);
    }

    void theDrawStatement()
    {
        TWordStore store;
        TWordQuery query(store);
        query.SetSQL("SELECT * FROM motscommuns WHERE taille >= 5  AND taille <= 25  AND point >= 5"
                     "  AND point <= 52 AND ref_type = 6 AND ref_genre IN (1, 0) ORDER BY rand()"
                     " LIMIT 1;");
        query.Open();
        query.First();
        const std::string word = query.FindField("mots").AsString();
        QVERIFY(word == "porte-cl\xE9s" || word == "arbre" || word == "zigzag");
        QCOMPARE(query.RecordCount(), std::size_t(1));
        query.Close();
        QVERIFY(query.Eof());
    }

    // Another part of the program may write on the standard error while it is
    // captured around the server's start: its lines are never taken for the
    // server's reason, and they are passed on.
    void serverComplaintAmongOtherOutput_data()
    {
        QTest::addColumn<QString>("captured");
        QTest::addColumn<QString>("complaint");
        QTest::addColumn<QString>("others");
        const QString messageFile =
            "Got ERROR: \"Can't find messagefile '/x/errmsg.sys'\" errno: 2000\n"
            "Got ERROR: \"Could not load error messages for french\" errno: 2000\n";
        const QString foreign = "qt.qpa.xcb: ERROR while reading the clipboard\n";
        QTest::newRow("start failure") << messageFile << "Can't find messagefile '/x/errmsg.sys'"
                                       << "";
        QTest::newRow("foreign line first")
            << foreign + messageFile << "Can't find messagefile '/x/errmsg.sys'" << foreign;
        QTest::newRow("refused connection") << foreign + "mysql_embedded: Base 'x' inconnue\n"
                                            << "Base 'x' inconnue" << foreign;
        QTest::newRow("foreign line alone") << foreign << "" << foreign;
    }
    void serverComplaintAmongOtherOutput()
    {
        QFETCH(QString, captured);
        QFETCH(QString, complaint);
        QFETCH(QString, others);
        QCOMPARE(QString::fromStdString(ServerComplaint(captured.toStdString())), complaint);
        QCOMPARE(QString::fromStdString(OtherThanServer(captured.toStdString())), others);
    }

    void failingStatements()
    {
        TWordStore store;
        TWordQuery query(store);
        query.SetSQL("SELECT * FROM nope;");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, query.Open());
        try {
            query.Open();
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("SQL Error: La table 'listedemots.nope' n'existe pas"));
        }
        QVERIFY(!query.Active());

        query.SetSQL("DO 1;");
        try {
            query.Open();
            QFAIL("a statement without result columns opened");
        } catch (const std::runtime_error& error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Can not open a Resultset"));
        }
        QVERIFY(!query.Active());
    }

    void fieldValues()
    {
        QCOMPARE(TField(std::string("-12")).AsInteger(), -12);
        QCOMPARE(TField(std::string("2147483648")).AsInteger(), 0);
        QCOMPARE(TField(std::string("12abc")).AsInteger(), 0);
        QCOMPARE(TField().AsString(), ""s);
        QCOMPARE(TField().AsInteger(), 0);
    }

    // The hint the game shows: the played list's first, else the word's in
    // any list; none in a base made before hints existed. Hints are sent as
    // bytes, so that a backslash or a quote stays as it is.
    void wordHints()
    {
        TWordStore store;
        store.Execute("DROP TABLE " + std::string(WordCatalogue::kHintTable));
        QCOMPARE(HintOf(store, "chat", std::nullopt), std::optional<std::string>());
        store.Execute(WordCatalogue::createTableStatement(WordCatalogue::hintTable(),
                                                          WordCatalogue::kDatabase, true));
        for (const std::string& statement : WordCatalogue::replacePlayerTablesStatements(
                 {}, {}, {}, std::nullopt,
                 std::vector<WordCatalogue::HintRow>{{"Animaux", "chat", "Animal domestique"},
                                                     {"Maison", "chat", "Il dort \\ 'ici'"},
                                                     {"",
                                                      "z\xE8"
                                                      "bre",
                                                      "A des rayures"}}))
            store.Execute(statement);
        QCOMPARE(HintOf(store, "chat", "Maison"), std::optional("Il dort \\ 'ici'"s));
        QCOMPARE(HintOf(store, "chat", "Autre"), std::optional("Animal domestique"s));
        QCOMPARE(HintOf(store, "chat", std::nullopt), std::optional("Animal domestique"s));
        QCOMPARE(HintOf(store,
                        "z\xE8"
                        "bre",
                        std::nullopt),
                 std::optional("A des rayures"s));
        QCOMPARE(HintOf(store, "zebre", std::nullopt), std::optional<std::string>());
    }

private:
    std::unique_ptr<FixtureBase> m_fixture;
    mode_t m_umask = 0;
};

QTEST_APPLESS_MAIN(TestWordStore)
#include "tst_wordstore.moc"
