// corbelet-mots on copies of a real fixture base: imports of real files, the
// all-or-nothing rule (a rejected line, a killed process), named lists and the
// choice of the list the game draws from, the words and lists a newer shipped
// base keeps, and the game's draw over an imported word; the vocabulary files
// teachers have (KVTML, CSV) with their hints, and lists written back as KVTML.

#include "layout/playerbase.h"
#include "rules/wordvalue.h"
#include "tests/support/fixturebase.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const QString kTool = QStringLiteral(CORBELET_RUN_DIR "/corbelet-mots");
const QString kFixture = QStringLiteral(CORBELET_BINARY_DIR "/fixtures/wordstore");
constexpr qsizetype kFixtureWords = 10;

struct Result
{
    int code = -1;
    QString out;
    QString err;

    // What the tool said, less its first line naming the base.
    QString message() const
    {
        QStringList lines = err.split(u'\n');
        lines.removeIf([](const QString& line) { return line.startsWith(u"Base : "); });
        return lines.join(u'\n');
    }
    // The words of a list printed in the import format: the first field of
    // each line.
    QStringList words() const
    {
        QStringList words;
        for (const QString& line : out.split(u'\n', Qt::SkipEmptyParts))
            words.append(line.section(u'\t', 0, 0));
        return words;
    }
};

Result runTool(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess tool;
    tool.start(kTool, arguments);
    tool.write(input);
    tool.closeWriteChannel();
    tool.waitForFinished(120000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromUtf8(tool.readAllStandardOutput()),
            QString::fromUtf8(tool.readAllStandardError())};
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// A private copy of the fixture base: the folder that holds data/.
class Base
{
public:
    Base() { m_valid = FixtureBase::copyTree(kFixture, m_folder.path()); }
    bool isValid() const { return m_valid; }
    QString path() const { return m_folder.path(); }
    QString file(const QString& name) const { return m_folder.filePath(name); }

    Result run(QStringList arguments, const QByteArray& input = {}) const
    {
        arguments << QStringLiteral("--donnees") << path();
        return runTool(arguments, input);
    }
    QStringList words() const { return run({QStringLiteral("lister")}).words(); }

private:
    QTemporaryDir m_folder;
    bool m_valid = false;
};

// `count` distinct nouns of letters alone, one per line.
QByteArray manyWords(int count, const QByteArray& prefix = "mot")
{
    QByteArray list;
    for (int index = 0; index < count; ++index) {
        QByteArray word = prefix;
        for (int rest = index; rest > 0 || word.size() == prefix.size(); rest /= 26)
            word += char('a' + rest % 26);
        list += word + "\tnom\tmasculin\n";
    }
    return list;
}

const QString kVocabulary = QStringLiteral(VOCABULARY_DATA "/vocabulaire.kvtml");
const QString kDebianLists = QStringLiteral("/usr/share/apps/kvtml/fr");

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every element path of an XML document ("kvtml/entries/entry/...").
QSet<QString> elementPaths(const QByteArray& document)
{
    QSet<QString> paths;
    QStringList open;
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            open.append(xml.name().toString());
            paths.insert(open.join(u'/'));
        } else if (xml.isEndElement()) {
            open.removeLast();
        }
    }
    return paths;
}

// Each entry's word and hint as KHangMan reads them: the first translation's
// text and the second's; for a word given twice, the last hint.
std::map<QString, QString> kvtmlHints(const QByteArray& document)
{
    std::map<QString, QString> hints;
    QString word;
    int texts = 0;
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"entry") {
            texts = 0;
        } else if (xml.isStartElement() && xml.name() == u"text" && texts++ < 2) {
            const QString text = xml.readElementText();
            if (texts == 1)
                word = text;
            else
                hints[word] = text;
        }
    }
    return hints;
}

// The hints a list keeps, as it exports them.
std::map<QString, QString> listHints(const Base& base, const QString& list)
{
    const QString file = base.file(QStringLiteral("indices.kvtml"));
    if (base.run({QStringLiteral("exporter"), file, QStringLiteral("--liste=") + list}).code != 0)
        return {};
    return kvtmlHints(readFile(file));
}

} // namespace

class WordToolTest : public QObject
{
    Q_OBJECT

private slots:
    void commandLine()
    {
        QCOMPARE(runTool({QStringLiteral("--help")}).code, 0);
        QVERIFY(runTool({QStringLiteral("--help")}).out.contains(u"importer FICHIER"));
        for (const QStringList& wrong :
             {QStringList{}, QStringList{QStringLiteral("effacer")},
              QStringList{QStringLiteral("lister"), QStringLiteral("--inconnue")},
              QStringList{QStringLiteral("importer")}, QStringList{QStringLiteral("--donnees")},
              QStringList{QStringLiteral("lister"), QStringLiteral("--port=99999")}}) {
            const Result result = runTool(wrong);
            QCOMPARE(result.code, 2);
            QVERIFY2(result.err.contains(u"--help"), qPrintable(result.err));
        }
    }

    // Every kind of bad line is reported with its number and reason, and a
    // file with one imports nothing.
    void badLineRejectsTheWholeFile_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unwinnable") << QByteArray("deux mots\tnom\tmasculin")
                                    << QStringLiteral("« deux mots » : mot impossible à jouer");
        QTest::newRow("too long") << QByteArray(41, 'a') + "\tnom\tmasculin"
                                  << QStringLiteral("mot trop long (40 caractères au plus)");
        QTest::newRow("unknown type")
            << QByteArray("zorglub\tpronom") << QStringLiteral("type inconnu « pronom »");
        QTest::newRow("unknown genre")
            << QByteArray("zorglub\tnom\tneutre") << QStringLiteral("genre inconnu « neutre »");
        QTest::newRow("unknown word without type")
            << QByteArray("zorglub") << QStringLiteral("mot absent de la base livrée");
        QTest::newRow("noun without genre")
            << QByteArray("zorglub\tnom") << QStringLiteral("genre manquant");
        QTest::newRow("outside Windows-1252")
            << QByteArray("\xE6\x97\xA5\xE6\x9C\xAC") << QStringLiteral("caractère impossible");
        QTest::newRow("too many columns")
            << QByteArray("arbre\tnom\tmasculin\tvert") << QStringLiteral("trop de colonnes");
    }
    void badLineRejectsTheWholeFile()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, reason);
        Base base;
        QVERIFY(base.isValid());
        const QStringList before = base.words();
        QVERIFY(writeFile(base.file("liste.txt"), "# ma liste\n\nbateau\tnom\tmasculin\n" + line));
        const Result result = base.run({QStringLiteral("importer"), base.file("liste.txt")});
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(u"ligne 4 : "), qPrintable(result.err));
        QVERIFY2(result.err.contains(reason), qPrintable(result.err));
        QVERIFY(result.err.contains(u"1 ligne refusée, aucun mot importé"));
        QCOMPARE(base.words(), before);
    }

    // UTF-8 and Windows-1252 files, a trial, duplicates, and the export that
    // moves a list to another machine.
    void goodListsInBothEncodings()
    {
        Base base;
        QVERIFY(base.isValid());
        QVERIFY(writeFile(base.file("utf8.txt"), "ch\xC3\xA2teau\tnom\tmasculin\n"
                                                 "C\xC5\x93ur\tnom\tmasculin\n"
                                                 "arbre\n\xC3\xA9l\xC3\xA8ve\tnom\n"));
        QVERIFY(writeFile(base.file("cp1252.txt"), "\xE9t\xE9\tnom\tmasculin\r\nvite\r\n"
                                                   "fl\xE2ner\tverbe\r\n"));

        Result trial = base.run(
            {QStringLiteral("--essai"), QStringLiteral("importer"), base.file("utf8.txt")});
        QCOMPARE(trial.message(), QStringLiteral("Essai : 2 mots seraient importés, 2 déjà dans la "
                                                 "liste.\n"));
        QCOMPARE(base.words().size(), kFixtureWords);

        QCOMPARE(base.run({QStringLiteral("importer"), base.file("utf8.txt")}).message(),
                 QStringLiteral("2 mots importés, 2 déjà dans la liste.\n"));
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("cp1252.txt")}).message(),
                 QStringLiteral("2 mots importés, 1 déjà dans la liste.\n"));
        const QStringList words = base.words();
        for (const char16_t* word : {u"château", u"coeur", u"été", u"flâner"})
            QVERIFY2(words.contains(QString::fromUtf16(word)), qPrintable(words.join(u' ')));
        // The game's filters: a verb of 6 letters.
        QCOMPARE(base.run({QStringLiteral("lister"), QStringLiteral("--type=verbe"),
                           QStringLiteral("--taille-min"), QStringLiteral("6"),
                           QStringLiteral("--taille-max=6")})
                     .out,
                 QStringLiteral("flâner\tverbe\n"));

        QCOMPARE(base.run({QStringLiteral("exporter"), base.file("export.txt")}).code, 0);
        QFile exported(base.file("export.txt"));
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(exported.readAll()),
                 QStringLiteral("# Mots ajoutés à la liste de Corbelet : mot, type, genre\n"
                                "château\tnom\tmasculin\ncoeur\tnom\tmasculin\n"
                                "été\tnom\tmasculin\nflâner\tverbe\n"));
        Base other;
        QCOMPARE(other.run({QStringLiteral("importer"), base.file("export.txt")}).code, 0);
        QCOMPARE(other.words(), words);
    }

    // A file that is no list is refused as it is read, before the base is
    // opened, and nothing of it reaches the terminal but a short, escaped
    // excerpt.
    void filesThatAreNoList_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("said");
        static const char binary[] = "arbre\n\x7F"
                                     "ELF\0\1\2";
        QTest::newRow("binary") << QByteArray(binary, sizeof binary - 1)
                                << QStringLiteral(
                                       "ce n'est pas une liste de mots (fichier binaire, ligne 2)");
        QTest::newRow("long line") << "arbre\n" + QByteArray(100000, 'a')
                                   << QStringLiteral("ligne 2 trop longue pour un mot");
        // Shown escaped and cut after 60 characters.
        QTest::newRow("terminal controls")
            << QByteArray("\x1B]0;titre\x07\x1B[2Jmot") + QByteArray(100, 'e')
            << QStringLiteral("« \\x1B]0;titre\\x07\\x1B[2Jmot") + QString(43, u'e') +
                   QStringLiteral("… » : mot trop long");
    }
    void filesThatAreNoList()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, said);
        Base base;
        QVERIFY(base.isValid());
        QVERIFY(writeFile(base.file("liste.txt"), content));
        const Result result = base.run({QStringLiteral("importer"), base.file("liste.txt")});
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(said), qPrintable(result.err));
        QVERIFY2(result.err.size() < 1000, qPrintable(result.err.left(1000)));
        QCOMPARE(base.words().size(), kFixtureWords);
    }

    // An export never replaces what is not a regular file: a named pipe is
    // written through, to the program reading it.
    void exportThroughAPipe()
    {
        Base base;
        QVERIFY(base.isValid());
        const QByteArray pipe = QFile::encodeName(base.file("tube"));
        QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
        QProcess reader;
        reader.start(QStringLiteral("cat"), {base.file("tube")});
        QVERIFY(reader.waitForStarted());
        const Result exported = base.run({QStringLiteral("exporter"), base.file("tube")});
        const bool read = reader.waitForFinished(10000);
        if (!read)
            reader.kill();
        QVERIFY2(read && exported.code == 0, qPrintable(exported.err));
        QVERIFY(reader.readAllStandardOutput().startsWith("# Mots ajoutés"));
        QVERIFY(QFileInfo(base.file("tube")).isFile() == false);
    }

    // On a full disk an import fails at once, says so in French and leaves
    // the base as it was, with no half-written table: the server would wait
    // for free space without end.
    void fullDiskRefusedAtOnce()
    {
        if (::geteuid() != 0)
            QSKIP("a small disk of its own needs root to be mounted");
        QTemporaryDir disk;
        const QByteArray mountPoint = QFile::encodeName(disk.path());
        if (QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                               QStringLiteral("size=3m"), QStringLiteral("tmpfs"), disk.path()}) !=
            0)
            QSKIP("no tmpfs can be mounted here");
        const auto unmount =
            qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {disk.path()}); });
        QVERIFY(FixtureBase::copyTree(kFixture, disk.path()));
        QVERIFY(writeFile(disk.filePath("liste.txt"), "cartable\tnom\tmasculin\n"));
        // All the disk but 200 kB: enough to start the server, not to rewrite.
        const qint64 available = QStorageInfo(disk.path()).bytesAvailable();
        QVERIFY(available > 200 * 1024);
        QVERIFY(writeFile(disk.filePath("plein"), QByteArray(available - 200 * 1024, 'x')));
        const QStringList before = QDir(disk.filePath("data/listedemots")).entryList(QDir::Files);

        QProcess tool;
        tool.start(kTool, {QStringLiteral("importer"), disk.filePath("liste.txt"),
                           QStringLiteral("--donnees"), disk.path()});
        const bool ended = tool.waitForFinished(20000);
        if (!ended)
            tool.kill();
        QVERIFY2(ended, "the import waits for free space");
        QCOMPARE(tool.exitCode(), 1);
        const QString error = QString::fromUtf8(tool.readAllStandardError());
        QVERIFY2(error.contains(u"est plein : libérez de la place"), qPrintable(error));
        QCOMPARE(QDir(disk.filePath("data/listedemots")).entryList(QDir::Files), before);

        // A disk without a byte free: the server cannot even start, and says
        // so in French.
        QFile rest(disk.filePath("reste"));
        QVERIFY(rest.open(QIODevice::WriteOnly));
        while (rest.write(QByteArray(4096, 'x')) > 0 && rest.flush()) {
        }
        rest.close();
        const Result full =
            runTool({QStringLiteral("lister"), QStringLiteral("--donnees"), disk.path()});
        QCOMPARE(full.code, 1);
        QVERIFY2(full.err.contains(u"est plein : libérez de la place"), qPrintable(full.err));
    }

    // A word the shipped list leaves out is named with its category, spelled
    // as written or played with the same letters, and imported all the same;
    // a kept word played like an excluded one is not named; --silencieux
    // keeps the tool quiet.
    void importNamesExcludedWords()
    {
        Base base;
        QVERIFY(base.isValid());
        QVERIFY(writeFile(base.file("liste.txt"), "Salope\tnom\tf\xC3\xA9minin\n"
                                                  "negre\tnom\tmasculin\n"
                                                  "pelote\tnom\tf\xC3\xA9minin\n"));
        const Result result = base.run({QStringLiteral("importer"), base.file("liste.txt")});
        QCOMPARE(result.code, 0);
        const QStringList named = result.message().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(named.size(), 4);
        QVERIFY2(named[0].endsWith(u"ligne 1 : « Salope » : mot écarté des mots livrés avec le "
                                   u"jeu (injure)."),
                 qPrintable(result.err));
        QVERIFY2(named[1].endsWith(u"ligne 2 : « negre » : mot écarté des mots livrés avec le jeu "
                                   u"(terme discriminatoire)."),
                 qPrintable(result.err));
        QCOMPARE(named[2], QStringLiteral("3 mots importés, 0 déjà dans la liste."));
        QVERIFY2(named[3].contains(u"corbelet-mots retirer"), qPrintable(result.err));
        QCOMPARE(result.out, QString());
        QVERIFY(base.words().contains(QStringLiteral("salope")));

        Base quiet;
        QVERIFY(quiet.isValid());
        const Result silent = quiet.run(
            {QStringLiteral("importer"), QStringLiteral("--silencieux"), base.file("liste.txt")});
        QCOMPARE(silent.code, 0);
        QCOMPARE(silent.err + silent.out, QString());
        QCOMPARE(quiet.words().size(), kFixtureWords + 3);
    }

    // A large list, then removal and the way back to the shipped list; and a
    // killed import leaves the base as it was or wholly imported.
    void largeListsAllOrNothing()
    {
        Base base;
        QVERIFY(base.isValid());
        constexpr qsizetype kWords = 10000;
        QVERIFY(writeFile(base.file("grande.txt"), manyWords(static_cast<int>(kWords))));
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("grande.txt")}).code, 0);
        qInfo("import of %lld words: %lld ms", static_cast<long long>(kWords), timer.elapsed());
        QCOMPARE(base.words().size(), kFixtureWords + kWords);

        QCOMPARE(
            base.run({QStringLiteral("retirer"), QStringLiteral("arbre"), QStringLiteral("motb")})
                .code,
            0);
        QCOMPARE(base.words().size(), kFixtureWords + kWords - 2);
        // A word already gone, or given twice, is counted and passed over.
        const Result missing = base.run({QStringLiteral("retirer"), QStringLiteral("maison"),
                                         QStringLiteral("zut"), QStringLiteral("Maison")});
        QCOMPARE(missing.code, 0);
        QVERIFY(missing.err.contains(u"« zut » n'est pas dans la liste : passé."));
        QVERIFY(missing.err.endsWith(u"1 mot retiré, 1 déjà absent, 1 en double.\n"));
        QCOMPARE(base.words().size(), kFixtureWords + kWords - 3);
        QCOMPARE(base.run({QStringLiteral("reinitialiser")}, "n\n").code, 1);
        QCOMPARE(base.words().size(), kFixtureWords + kWords - 3);
        QCOMPARE(base.run({QStringLiteral("reinitialiser")}, "o\n").code, 0);
        QCOMPARE(base.words().size(), kFixtureWords);

        // Killed at several moments of the import: never half a list.
        for (const int delay : {30, 70, 110, 150, 190}) {
            QProcess tool;
            tool.start(kTool, {QStringLiteral("importer"), base.file("grande.txt"),
                               QStringLiteral("--donnees"), base.path()});
            QVERIFY(tool.waitForStarted());
            QTest::qWait(delay);
            // Only while it runs: a pid of 0 would name this process group.
            if (const qint64 pid = tool.processId(); pid > 0)
                ::kill(static_cast<pid_t>(pid), SIGKILL);
            tool.waitForFinished();
            const qsizetype count = base.words().size();
            QVERIFY2(count == kFixtureWords || count == kFixtureWords + kWords,
                     qPrintable(QString::number(count)));
            if (count != kFixtureWords)
                QCOMPARE(base.run({QStringLiteral("reinitialiser"), QStringLiteral("--oui")}).code,
                         0);
        }
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("grande.txt")}).code, 0);
        QCOMPARE(base.words().size(), kFixtureWords + kWords);
    }

    // Words go to named lists, apart from the player's own words: a known
    // word with its row, a new one with its type, one word in two lists;
    // each list is listed, emptied, exported and imported elsewhere.
    void namedLists()
    {
        Base base;
        QVERIFY(base.isValid());
        QVERIFY(writeFile(base.file("s12.txt"), "maison\nzorglub\tnom\tinvariable\n"));
        QVERIFY(writeFile(base.file("s13.txt"), "Maison\narbre\n"));
        const QString s12 = QStringLiteral("--liste=Semaine 12");
        const QString s13 = QStringLiteral("--liste=Semaine 13");
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("s12.txt"), s12}).message(),
                 QStringLiteral("2 mots importés dans la liste « Semaine 12 » (nouvelle liste), "
                                "0 déjà dans la liste.\n"));
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("s13.txt"), s13}).code, 0);
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("s12.txt"), s12}).message(),
                 QStringLiteral("0 mot importé dans la liste « Semaine 12 », 2 déjà dans la "
                                "liste.\n"));
        QCOMPARE(base.run({QStringLiteral("listes")}).out,
                 QStringLiteral("Semaine 12\t2 mots\nSemaine 13\t2 mots\n"));
        // The player's words are as they were.
        QCOMPARE(base.words().size(), kFixtureWords);
        QVERIFY(!base.words().contains(u"zorglub"));
        QCOMPARE(base.run({QStringLiteral("lister"), s12}).out,
                 QStringLiteral("maison\tnom\tféminin\nzorglub\tnom\tépicène\n"));

        QCOMPARE(base.run({QStringLiteral("retirer"), QStringLiteral("arbre"), s13}).message(),
                 QStringLiteral("1 mot retiré de la liste « Semaine 13 ».\n"));
        QCOMPARE(base.run({QStringLiteral("listes")}).out,
                 QStringLiteral("Semaine 12\t2 mots\nSemaine 13\t1 mot\n"));
        QCOMPARE(base.words().size(), kFixtureWords);
        const Result unknown = base.run({QStringLiteral("lister"), QStringLiteral("--liste=CM2")});
        QCOMPARE(unknown.code, 1);
        QVERIFY2(unknown.err.contains(u"aucune liste « CM2 »"), qPrintable(unknown.err));
        QCOMPARE(base.run({QStringLiteral("retirer"), QStringLiteral("maison"), s13}).code, 0);
        QCOMPARE(base.run({QStringLiteral("listes")}).out, QStringLiteral("Semaine 12\t2 mots\n"));

        QCOMPARE(base.run({QStringLiteral("exporter"), base.file("s12-export.txt"), s12}).code, 0);
        Base other;
        QCOMPARE(other.run({QStringLiteral("importer"), base.file("s12-export.txt"), s12}).code, 0);
        QCOMPARE(other.run({QStringLiteral("lister"), s12}).words(),
                 (QStringList{QStringLiteral("maison"), QStringLiteral("zorglub")}));
    }

    // The game draws from one list, then from all the words again; the
    // choice is recorded in the settings file of a game that has one, and a
    // played list that loses its last word gives way to all the words.
    void choosingWhatTheGameDraws()
    {
        Base base;
        QVERIFY(base.isValid());
        QVERIFY(writeFile(base.file("corbelet.ini"), "[Config]\nNbMotMin=5\n"));
        QVERIFY(writeFile(base.file("s12.txt"), "maison\nzorglub\tnom\tmasculin\n"));
        const QString s12 = QStringLiteral("--liste=Semaine 12");
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("s12.txt"), s12}).code, 0);

        QCOMPARE(base.run({QStringLiteral("jouer"), QStringLiteral("Semaine 12")}).message(),
                 QStringLiteral("Le jeu tire ses mots de la liste « Semaine 12 » (2 mots).\n"));
        QCOMPARE(base.words(), (QStringList{QStringLiteral("maison"), QStringLiteral("zorglub")}));
        QCOMPARE(base.run({QStringLiteral("listes")}).out,
                 QStringLiteral("Semaine 12\t2 mots\tjouée\n"));
        QFile settings(base.file("corbelet.ini"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), QByteArray("[Config]\nNbMotMin=5\n[Listes]\ncbListe=Semaine "
                                                "12\n"));
        settings.close();
        // Words added to the list played are played at once.
        QVERIFY(writeFile(base.file("plus.txt"), "arbre\n"));
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("plus.txt"), s12}).code, 0);
        QCOMPARE(base.words().size(), 3);

        QCOMPARE(base.run({QStringLiteral("jouer"), QStringLiteral("--tous")}).message(),
                 QStringLiteral("Le jeu tire ses mots de toute la base (10 mots).\n"));
        QCOMPARE(base.words().size(), kFixtureWords);
        QCOMPARE(base.run({QStringLiteral("jouer"), QStringLiteral("Semaine 13")}).code, 1);

        QCOMPARE(base.run({QStringLiteral("jouer"), QStringLiteral("Semaine 12")}).code, 0);
        const Result emptied = base.run({QStringLiteral("retirer"), QStringLiteral("maison"),
                                         QStringLiteral("zorglub"), QStringLiteral("arbre"), s12});
        QCOMPARE(emptied.code, 0);
        QVERIFY2(emptied.message().endsWith(u"Le jeu tire ses mots de toute la base (10 mots).\n"),
                 qPrintable(emptied.err));
        QCOMPARE(base.words().size(), kFixtureWords);
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QVERIFY(settings.readAll().endsWith("[Listes]\ncbListe=\n"));
    }

    // Killed at any moment of a choice between two large lists: the game
    // reads one of them whole, and the base says which.
    void killDuringAChoice()
    {
        Base base;
        QVERIFY(base.isValid());
        constexpr int kWords = 4000;
        QVERIFY(writeFile(base.file("a.txt"), manyWords(kWords, "mota")));
        QVERIFY(writeFile(base.file("b.txt"), manyWords(kWords, "motb")));
        for (const char* list : {"a", "b"}) {
            QCOMPARE(base.run({QStringLiteral("importer"), base.file(QLatin1String(list) + ".txt"),
                               QStringLiteral("--liste=") + QLatin1String(list)})
                         .code,
                     0);
        }
        const auto play = [&](const QString& list) {
            return QStringList{QStringLiteral("jouer"), list, QStringLiteral("--donnees"),
                               base.path()};
        };
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(runTool(play(QStringLiteral("a"))).code, 0);
        const qint64 whole = timer.elapsed();
        qInfo("a choice between lists of %d words: %lld ms", kWords, whole);

        QString played = QStringLiteral("a");
        for (int step = 1; step <= 8; ++step) {
            const QString other = played == u"a" ? QStringLiteral("b") : QStringLiteral("a");
            QProcess tool;
            tool.start(kTool, play(other));
            QVERIFY(tool.waitForStarted());
            // Spread over the second half of a whole run, where the base changes.
            QTest::qWait(static_cast<int>(whole / 2 + whole * step / 16));
            if (const qint64 pid = tool.processId(); pid > 0)
                ::kill(static_cast<pid_t>(pid), SIGKILL);
            tool.waitForFinished();
            const QStringList words = base.words();
            QCOMPARE(words.size(), qsizetype(kWords));
            const QString reading =
                words.first().startsWith(u"mota") ? QStringLiteral("a") : QStringLiteral("b");
            QVERIFY(words.last().startsWith(QStringLiteral("mot") + reading));
            QCOMPARE(base.run({QStringLiteral("listes")}).out,
                     reading == u"a" ? QStringLiteral("a\t4000 mots\tjouée\nb\t4000 mots\n")
                                     : QStringLiteral("a\t4000 mots\nb\t4000 mots\tjouée\n"));
            played = reading;
        }
    }

    // The words a player added and removed, the lists and the list played
    // outlive a newer shipped base, as do the words of a base made before
    // there were lists.
    void playerWordsSurviveANewerShippedBase()
    {
        Base shipped;
        QTemporaryDir player;
        QTemporaryDir older;
        QVERIFY(shipped.isValid() && player.isValid() && older.isValid());
        const fs::path shippedData = shipped.path().toStdString() + "/data";
        QVERIFY(UpdatePlayerBase(shippedData, player.path().toStdString()) == BaseUpdate::Copied);
        QVERIFY(UpdatePlayerBase(shippedData, older.path().toStdString()) == BaseUpdate::Copied);

        const auto run = [&](const QTemporaryDir& folder, QStringList arguments) {
            return runTool(arguments << QStringLiteral("--donnees") << folder.path());
        };
        QVERIFY(writeFile(player.filePath("liste.txt"), "zorglub\tnom\tmasculin\n"));
        QVERIFY(writeFile(player.filePath("s12.txt"), "arbre\ncahier\tnom\tmasculin\n"));
        for (const QTemporaryDir* folder : {&player, &older}) {
            QCOMPARE(run(*folder, {QStringLiteral("importer"), player.filePath("liste.txt")}).code,
                     0);
            QCOMPARE(run(*folder, {QStringLiteral("retirer"), QStringLiteral("maison")}).code, 0);
        }
        QCOMPARE(run(player, {QStringLiteral("importer"), player.filePath("s12.txt"),
                              QStringLiteral("--liste=Semaine 12")})
                     .code,
                 0);
        QCOMPARE(run(player, {QStringLiteral("jouer"), QStringLiteral("Semaine 12")}).code, 0);
        // A base made before the lists has no tables for them.
        for (const char* table : {"motslistes", "listejouee"}) {
            for (const char* suffix : {".frm", ".MYD", ".MYI"})
                QVERIFY(
                    QFile::remove(older.filePath(QStringLiteral("data/listedemots/") +
                                                 QLatin1String(table) + QLatin1String(suffix))));
        }

        // The newer shipped base holds a word the player added: it leaves the
        // player's words, so that it is not drawn twice, and the tool says so.
        QFile fixtureWords(QStringLiteral(CORBELET_SOURCE_DIR "/tests/wordstore/words.tsv"));
        QVERIFY(fixtureWords.open(QIODevice::ReadOnly));
        QVERIFY(writeFile(shipped.file("words.tsv"),
                          fixtureWords.readAll() + "zorglub\t7\t20\t6\t1\n"));
        QVERIFY(fs::remove_all(shippedData) > 0);
        QCOMPARE(
            QProcess::execute(QStringLiteral(MAKEWORDBASE),
                              {"--words", shipped.file("words.tsv"), "--genres",
                               QStringLiteral(CORBELET_SOURCE_DIR "/tests/wordstore/genres.tsv"),
                               "--output", shipped.file("data")}),
            0);
        QVERIFY(writeFile(shipped.file("data/" CORBELET_BASE_STAMP), "v2\n"));
        for (const QTemporaryDir* folder : {&player, &older})
            QVERIFY(UpdatePlayerBase(shippedData, folder->path().toStdString()) ==
                    BaseUpdate::Replaced);
        const auto words = [&](const QTemporaryDir& folder) {
            return run(folder, {QStringLiteral("lister")}).words();
        };
        const Result first = run(player, {QStringLiteral("lister")});
        QVERIFY2(first.message().contains(u"contient un des mots que vous aviez ajoutés"),
                 qPrintable(first.err));
        QCOMPARE(first.words(), (QStringList{QStringLiteral("arbre"), QStringLiteral("cahier")}));
        QCOMPARE(run(player, {QStringLiteral("listes")}).out,
                 QStringLiteral("Semaine 12\t2 mots\tjouée\n"));
        QCOMPARE(run(player, {QStringLiteral("jouer"), QStringLiteral("--tous")}).code, 0);
        for (const QTemporaryDir* folder : {&player, &older}) {
            const QStringList all = words(*folder);
            QVERIFY2(all.count(u"zorglub") == 1 && !all.contains(u"maison"),
                     qPrintable(all.join(u' ')));
            QCOMPARE(all.size(), kFixtureWords);
            QVERIFY(!QFile::exists(folder->filePath("data/") +
                                   QString::fromLatin1(WordCatalogue::kPlayerTablesPendingFile)));
        }
    }

    // The game's draw finds an imported word, and the tool keeps off a base
    // that a game holds, even to update it.
    void gameDrawsAnImportedWord()
    {
        Base base;
        QVERIFY(base.isValid());
        QVERIFY(writeFile(base.file("liste.txt"), "zorglub\tnom\tmasculin\n"));
        QCOMPARE(base.run({QStringLiteral("importer"), base.file("liste.txt")}).code, 0);
        QStringList removal{QStringLiteral("retirer")};
        for (const QString& word : base.words()) {
            if (word != u"zorglub")
                removal << word;
        }
        QCOMPARE(base.run(removal).code, 0);

        TWordStore store;
        store.BaseFolder = store.ResourceFolder = base.path().toStdString();
        TWordQuery query(store);
        query.SetSQL(WordCatalogue::drawStatement({0, 255, 0, 255, {}, {}}));
        query.Open();
        QCOMPARE(query.FindField(WordCatalogue::kWordText).AsString(), std::string("zorglub"));
        QCOMPARE(query.FindField(WordCatalogue::kWordPoints).AsInteger(), WordPoints("zorglub"));

        // The game's base in use: the tool says what to do.
        const Result refused = base.run({QStringLiteral("lister")});
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains(u"est ouverte par le jeu (ou par un autre corbelet-mots) : "
                                      u"fermez le jeu, puis recommencez"),
                 qPrintable(refused.err));

        // A newer shipped base meanwhile (a package upgrade): the update the
        // tool and the game make before they open the base leaves the one
        // the game holds in place, and says to close the game.
        Base shipped;
        QVERIFY(shipped.isValid());
        QVERIFY(writeFile(shipped.file("data/" CORBELET_BASE_STAMP), "v2\n"));
        QString updateError;
        try {
            UpdatePlayerBase(shipped.path().toStdString() + "/data", base.path().toStdString());
        } catch (const std::exception& error) {
            updateError = QString::fromUtf8(error.what());
        }
        QVERIFY2(updateError.contains(u"fermez le jeu, puis recommencez"), qPrintable(updateError));
        QVERIFY(!QFile::exists(base.file("data.previous")));
        QVERIFY(BaseStamp(base.file("data").toStdString()) != "v2");
    }

    // Debian's French KDE-Edu lists import as they are, one command each:
    // the title names the list, a word given twice counts once, and each word
    // keeps its hint (the last one given).
    void debianFrenchListsImport()
    {
        if (!QFileInfo::exists(kDebianLists + QStringLiteral("/animals.kvtml")))
            QSKIP("kdeedu-kvtml-data is not installed (apt-get install kdeedu-kvtml-data)");
        Base base;
        QVERIFY(base.isValid());
        const std::pair<QString, int> files[] = {{QStringLiteral("animals"), 62},
                                                 {QStringLiteral("maison"), 23},
                                                 {QStringLiteral("easy"), 49},
                                                 {QStringLiteral("medium"), 39},
                                                 {QStringLiteral("hard"), 36}};
        QString expectedLists;
        std::map<QString, std::map<QString, QString>> hints; // by list, by word
        for (const auto& [name, words] : files) {
            const QString path = kDebianLists + u'/' + name + QStringLiteral(".kvtml");
            const Result imported = base.run({QStringLiteral("importer"), path});
            QVERIFY2(imported.code == 0, qPrintable(imported.err));
            QXmlStreamReader xml(readFile(path));
            QString title;
            while (xml.readNextStartElement() && title.isEmpty()) {
                if (xml.name() == u"title")
                    title = xml.readElementText();
                else if (xml.name() != u"kvtml" && xml.name() != u"information")
                    xml.skipCurrentElement();
            }
            const QStringList listed =
                base.run({QStringLiteral("lister"), QStringLiteral("--liste=") + title}).words();
            QCOMPARE(QSet<QString>(listed.begin(), listed.end()).size(), words);
            expectedLists += title + u'\t' + QString::number(words) + QStringLiteral(" mots\n");
            const std::map<QString, QString> hints = kvtmlHints(readFile(path));
            QCOMPARE(qsizetype(hints.size()), qsizetype(words));
            QCOMPARE(listHints(base, title), hints);
        }
        QStringList sorted = expectedLists.split(u'\n', Qt::SkipEmptyParts);
        sorted.sort();
        QCOMPARE(base.run({QStringLiteral("listes")}).out, sorted.join(u'\n') + u'\n');
        QCOMPARE(listHints(base, QStringLiteral("Animaux"))[QStringLiteral("chat")],
                 QStringLiteral("Animal domestique"));
    }

    // A KVTML list of a teacher's own: types and genres from the file, else
    // from the shipped words, else none; inactive entries left out; a hint
    // from the second translation or the comment. A word without type is
    // drawn only when the type does not matter. A base made before hints
    // existed takes them.
    void kvtmlListWithHints()
    {
        Base base;
        QVERIFY(base.isValid());
        for (const char* suffix : {".frm", ".MYD", ".MYI"})
            QVERIFY(QFile::remove(base.file(QStringLiteral("data/listedemots/indices") +
                                            QString::fromLatin1(suffix))));
        const Result imported = base.run({QStringLiteral("importer"), kVocabulary});
        QCOMPARE(imported.message(),
                 QStringLiteral("4 mots importés dans la liste « Vocabulaire de test » (nouvelle "
                                "liste), 0 déjà dans la liste.\n1 mot nouveau sans type (ni dans "
                                "le fichier, ni dans la base livrée) : le jeu ne le tire que quand "
                                "le type choisi est « Pas d'importance ».\n"));
        const QString list = QStringLiteral("--liste=Vocabulaire de test");
        QCOMPARE(base.run({QStringLiteral("lister"), list}).out,
                 QStringLiteral("galoper\tverbe\ngirafe\tnom\tféminin\nmaison\tnom\tféminin\n"
                                "zorglub\n"));
        QCOMPARE(listHints(base, QStringLiteral("Vocabulaire de test")),
                 (std::map<QString, QString>{
                     {QStringLiteral("galoper"), QStringLiteral("Le cheval le fait")},
                     {QStringLiteral("girafe"), QStringLiteral("Elle a un très long cou")},
                     {QStringLiteral("maison"), QStringLiteral("On y habite")}}));

        // The game's type filter never selects a word without type.
        QCOMPARE(base.run({QStringLiteral("jouer"), QStringLiteral("Vocabulaire de test")}).code,
                 0);
        QCOMPARE(base.words().size(), 4);
        QStringList typed;
        for (const char* type : {"nom", "verbe", "adjectif", "adverbe"})
            typed += base.run({QStringLiteral("lister"), QStringLiteral("--type"),
                               QString::fromLatin1(type)})
                         .words();
        QCOMPARE(typed, (QStringList{QStringLiteral("girafe"), QStringLiteral("maison"),
                                     QStringLiteral("galoper")}));
    }

    // A CSV file in each encoding and with each separator, with or without
    // its header row.
    void csvLists_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("hinted");
        QTest::addColumn<QString>("hint");
        QTest::newRow("UTF-8 with its mark, ';', header in another order")
            << QByteArray(
                   "\xEF\xBB\xBFIndice;Mot;GENRE;Type\r\n\"Il dit \"\"miaou\"\"; ou pas\";chat;;"
                   "\r\nElle donne du lait;chèvre;féminin;nom\r\n;;;\r\n")
            << QStringLiteral("chat\nchèvre\tnom\tféminin\n") << QStringLiteral("chat")
            << QStringLiteral("Il dit \"miaou\"; ou pas");
        QTest::newRow("Windows-1252, tab, no header")
            << QByteArray("ch\xE8vre\tnom\tf\xE9minin\tElle donne du lait\nchat\n")
            << QStringLiteral("chat\nchèvre\tnom\tféminin\n") << QStringLiteral("chèvre")
            << QStringLiteral("Elle donne du lait");
        QTest::newRow("UTF-8, ',', a hint on two lines")
            << QByteArray("mot,indice\nchat,\"Il miaule,\nil ronronne\"\nzorglub,\n")
            << QStringLiteral("chat\nzorglub\n") << QStringLiteral("chat")
            << QStringLiteral("Il miaule, il ronronne");
    }

    void csvLists()
    {
        QFETCH(QByteArray, csv);
        QFETCH(QString, listed);
        QFETCH(QString, hinted);
        QFETCH(QString, hint);
        Base base;
        QVERIFY(base.isValid());
        QVERIFY(writeFile(base.file("liste.CSV"), csv));
        const QString list = QStringLiteral("--liste=CSV");
        const Result imported =
            base.run({QStringLiteral("importer"), base.file("liste.CSV"), list});
        QVERIFY2(imported.code == 0, qPrintable(imported.err));
        QCOMPARE(base.run({QStringLiteral("lister"), list}).out, listed);
        QCOMPARE(listHints(base, QStringLiteral("CSV"))[hinted], hint);
    }

    // One entry or row the game cannot take refuses the whole file, named by
    // its number; nothing is written, and --essai writes nothing either.
    void vocabularyFileRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reported");
        QTest::newRow("KVTML, a space")
            << QStringLiteral("liste.kvtml")
            << QByteArray("<kvtml version=\"2.0\"><information><title>T</title></information>"
                          "<entries><entry id=\"0\"><translation id=\"0\"><text>chat</text>"
                          "</translation></entry><entry id=\"1\"><translation id=\"0\"><text>"
                          "pomme de terre</text></translation></entry></entries></kvtml>")
            << QStringLiteral(
                   "liste.kvtml, entrée 2 : « pomme de terre » : mot impossible à jouer");
        QTest::newRow("KVTML by its content, a letter the game lacks")
            << QStringLiteral("liste.xml")
            << QByteArray("<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><information><title>T"
                          "</title></information><entries><entry id=\"0\"><translation id=\"0\">"
                          "<text>chat</text></translation></entry><entry id=\"1\"><translation "
                          "id=\"0\"><text>\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82</text>"
                          "</translation></entry></entries></kvtml>")
            << QStringLiteral("liste.xml, entrée 2 : « ????? » : caractère impossible à jouer");
        QTest::newRow("CSV, a digit")
            << QStringLiteral("liste.csv") << QByteArray("mot;indice\nchat;Il miaule\nchat2;\n")
            << QStringLiteral("liste.csv, ligne 3 : « chat2 » : mot impossible à jouer");
        QTest::newRow("CSV, a column unknown")
            << QStringLiteral("liste.csv") << QByteArray("mot;remarque\nchat;x\n")
            << QStringLiteral("liste.csv, ligne 1 : « mot » : colonne inconnue « remarque »");
    }

    void vocabularyFileRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, reported);
        Base base;
        QVERIFY(base.isValid());
        QVERIFY(writeFile(base.file(name), content));
        const Result refused =
            base.run({QStringLiteral("importer"), base.file(name), QStringLiteral("--liste=L")});
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains(base.file(reported)), qPrintable(refused.err));
        QVERIFY2(refused.err.contains(u"aucun mot importé"), qPrintable(refused.err));
        QCOMPARE(base.run({QStringLiteral("listes")}).out, QString());

        const Result trial =
            base.run({QStringLiteral("importer"), kVocabulary, QStringLiteral("--essai")});
        QCOMPARE(trial.code, 0);
        QCOMPARE(base.run({QStringLiteral("listes")}).out, QString());
    }

    // A list exported as KVTML imports back as it was, with its hints, and
    // has the layout of Debian's KDE-Edu files (the word types aside, which
    // those files lack).
    void kvtmlExportRoundTrip()
    {
        Base base;
        QVERIFY(base.isValid());
        const QString list = QStringLiteral("--liste=Vocabulaire de test");
        QCOMPARE(base.run({QStringLiteral("importer"), kVocabulary}).code, 0);
        QCOMPARE(base.run({QStringLiteral("exporter"), base.file("export.kvtml"), list}).code, 0);
        Base other;
        QVERIFY(other.isValid());
        QCOMPARE(other.run({QStringLiteral("importer"), base.file("export.kvtml")}).code, 0);
        QCOMPARE(other.run({QStringLiteral("lister"), list}).out,
                 base.run({QStringLiteral("lister"), list}).out);
        QCOMPARE(other.run({QStringLiteral("exporter"), other.file("export.kvtml"), list}).code, 0);
        const QByteArray exported = readFile(base.file("export.kvtml"));
        QCOMPARE(readFile(other.file("export.kvtml")), exported);
        QCOMPARE(listHints(other, QStringLiteral("Vocabulaire de test")).size(), std::size_t(3));

        QSet<QString> debian;
        for (const QString& line :
             QString::fromUtf8(readFile(QStringLiteral(VOCABULARY_DATA "/kvtml-structure.txt")))
                 .split(u'\n', Qt::SkipEmptyParts)) {
            if (!line.startsWith(u'#'))
                debian.insert(line);
        }
        if (QFileInfo::exists(kDebianLists + QStringLiteral("/animals.kvtml")))
            QCOMPARE(elementPaths(readFile(kDebianLists + QStringLiteral("/animals.kvtml"))),
                     debian);
        QSet<QString> shared = debian;
        shared.removeIf([](const QString& path) {
            return path.startsWith(u"kvtml/wordtypedefinitions") ||
                   path == u"kvtml/information/comment";
        });
        QSet<QString> written = elementPaths(exported);
        QVERIFY(written.contains(
            QStringLiteral("kvtml/wordtypes/container/container/entry/translation")));
        written.removeIf([](const QString& path) { return path.startsWith(u"kvtml/wordtypes"); });
        QCOMPARE(written, shared);
    }
};

QTEST_GUILESS_MAIN(WordToolTest)
#include "tst_wordtool.moc"
