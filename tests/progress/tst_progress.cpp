// The progress record through corbelet-mots, on copies of a real base: the
// CSV export read back, the list of the most missed words, and a base whose
// writer was killed mid-write. The base is written by this program started
// again as a child (--record), since the embedded server runs once per
// process and holds the base while it runs.

#include "layout/playerbase.h"
#include "tests/progress/progressweek.h"
#include "tests/support/fixturebase.h"
#include "text/windows1252.h"
#include "wordstore/progress.h"
#include "wordstore/wordstore.h"

#include <QProcess>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstring>
#include <iostream>

namespace {

const QString kTool = QStringLiteral(CORBELET_RUN_DIR "/corbelet-mots");
const QString kFixture = QStringLiteral(CORBELET_BINARY_DIR "/fixtures/wordstore");

struct Result
{
    int code = -1;
    QString out;
    QString err;
};

Result run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The child: records the week into the base of `folder` (the folder that
// holds data/), with "forever" the same word again and again, or with "one"
// one word and then waits, saying "ready" after the first word.
int record(const char* folder, const char* what)
{
    TWordStore store;
    store.BaseFolder = folder;
    store.ResourceFolder = kFixture.toStdString();
    store.Connect();
    if (std::strcmp(what, "week") == 0) {
        for (const WordCatalogue::ProgressRow& game : ProgressWeek::kGames)
            RecordFinishedWord(store, game);
        return 0;
    }
    for (bool first = true;; first = false) {
        if (first || std::strcmp(what, "one") != 0)
            RecordFinishedWord(store, {{}, {}, "maison", 1, true, 23, 2, 30, false});
        if (first)
            std::cout << "ready" << std::endl;
        else if (std::strcmp(what, "one") == 0)
            QThread::sleep(1);
    }
}

// A CSV line in fields: ";" apart, a field between quotes with its quotes doubled.
QStringList csvFields(const QString& line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"')
            fields.last() += line[++i];
        else if (c == u'"')
            quoted = !quoted;
        else if (c == u';' && !quoted)
            fields.append(QString());
        else
            fields.last() += c;
    }
    return fields;
}

} // namespace

class ProgressTest : public QObject
{
    Q_OBJECT

    QString m_self;
    Result recordInto(const QString& folder, const char* what)
    {
        return run(m_self, {QStringLiteral("--record"), folder, QString::fromLatin1(what)});
    }

private slots:
    void initTestCase() { m_self = QCoreApplication::applicationFilePath(); }

    // Every finished word is one row of the export, which reads back as the
    // rows recorded, and one more word one more row.
    void exportReadsBack()
    {
        FixtureBase base(QStringLiteral("wordstore"));
        QVERIFY(base.isValid());
        QCOMPARE(recordInto(base.path(), "week").code, 0);
        const QStringList arguments = {QStringLiteral("progres"), QStringLiteral("--csv"),
                                       QStringLiteral("--donnees"), base.path()};
        const Result csv = run(kTool, arguments);
        QCOMPARE(csv.code, 0);
        const QStringList lines = csv.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.first(),
                 QStringLiteral("Date;Joueur;Mot;Niveau;Gagné;Points;Erreurs;Secondes;Indice"));
        QCOMPARE(lines.size(), qsizetype(ProgressWeek::kGames.size()) + 1);
        for (std::size_t index = 0; index < ProgressWeek::kGames.size(); ++index) {
            const WordCatalogue::ProgressRow& game = ProgressWeek::kGames[index];
            const QStringList fields = csvFields(lines[qsizetype(index) + 1]);
            const QStringList expected = {QString::fromLatin1(game.time),
                                          QString::fromStdString(Windows1252::toUtf8(game.player)),
                                          QString::fromStdString(Windows1252::toUtf8(game.word)),
                                          QString::number(game.level),
                                          game.won ? QStringLiteral("oui") : QStringLiteral("non"),
                                          QString::number(game.points),
                                          QString::number(game.mistakes),
                                          QString::number(game.seconds),
                                          game.hintUsed ? QStringLiteral("oui")
                                                        : QStringLiteral("non")};
            QCOMPARE(fields, expected);
        }
        QVERIFY(lines[9].startsWith(u"2026-03-14 16:00:00;\"Léo \"\"le grand\"\"; CM1\";vite;"));

        QCOMPARE(recordInto(base.path(), "week").code, 0);
        QCOMPARE(run(kTool, arguments).out.count(u'\n'),
                 qsizetype(2 * ProgressWeek::kGames.size()) + 1);
    }

    // The words missed most often go to a named list, once.
    void reviewListFromMistakes()
    {
        FixtureBase base(QStringLiteral("wordstore"));
        QVERIFY(base.isValid());
        const QStringList inBase = {QStringLiteral("--donnees"), base.path()};
        const QStringList review =
            QStringList{QStringLiteral("importer"), QStringLiteral("--depuis-erreurs"),
                        QStringLiteral("--liste"), QStringLiteral("À revoir")} +
            inBase;
        const Result none = run(kTool, review);
        QCOMPARE(none.code, 0);
        QVERIFY(none.err.contains(u"Aucun mot manqué : rien à revoir."));

        QCOMPARE(recordInto(base.path(), "week").code, 0);
        const Result made = run(kTool, review);
        QCOMPARE(made.code, 0);
        QVERIFY2(made.err.contains(u"3 mots manqués, 3 lignes ajoutées à la liste « À revoir »."),
                 qPrintable(made.err));
        const QStringList list =
            QStringList{QStringLiteral("lister"), QStringLiteral("--liste=À revoir")} + inBase;
        QCOMPARE(run(kTool, list).out, QStringLiteral("chanter\tverbe\n"
                                                      "élève\tnom\tépicène\n"
                                                      "porte-clés\tnom\tmasculin\n"));
        QVERIFY(run(kTool, review).err.contains(u"0 ligne ajoutée"));
        QCOMPARE(
            run(kTool, QStringList{QStringLiteral("importer"), QStringLiteral("--depuis-erreurs")} +
                           inBase)
                .code,
            2);
    }

    // The progress outlives a newer shipped base, even as the player's only
    // change; and a player's base made before the record takes the newer one.
    void progressSurvivesANewerShippedBase()
    {
        FixtureBase shipped(QStringLiteral("wordstore"));
        QTemporaryDir player;
        QTemporaryDir older;
        QVERIFY(shipped.isValid() && player.isValid() && older.isValid());
        const std::filesystem::path shippedData = shipped.path().toStdString() + "/data";
        for (const QTemporaryDir* folder : {&player, &older})
            QVERIFY(UpdatePlayerBase(shippedData, folder->path().toStdString()) ==
                    BaseUpdate::Copied);
        QCOMPARE(recordInto(player.path(), "week").code, 0);
        for (const char* suffix : {".frm", ".MYD", ".MYI"})
            QVERIFY(
                QFile::remove(older.filePath("data/listedemots/progres") + QLatin1String(suffix)));

        QFile stamp(shipped.path() + "/data/" CORBELET_BASE_STAMP);
        QVERIFY(stamp.open(QIODevice::WriteOnly) && stamp.write("v2\n") == 3);
        stamp.close();
        for (const QTemporaryDir* folder : {&player, &older})
            QVERIFY(UpdatePlayerBase(shippedData, folder->path().toStdString()) ==
                    BaseUpdate::Replaced);
        const auto lines = [](const QTemporaryDir& folder) {
            return run(kTool, {QStringLiteral("progres"), QStringLiteral("--csv"),
                               QStringLiteral("--donnees"), folder.path()})
                .out.count(u'\n');
        };
        QCOMPARE(lines(player), qsizetype(ProgressWeek::kGames.size()) + 1);
        QCOMPARE(lines(older), 1);
        QCOMPARE(recordInto(older.path(), "week").code, 0);
        QCOMPARE(lines(older), qsizetype(ProgressWeek::kGames.size()) + 1);
    }

    // A writer killed at any moment of its inserts leaves a base that reads
    // and takes the next word; one killed between two words (a game whose
    // session ends) leaves its table whole, not to be repaired.
    void killedWriterLeavesTheBaseReadable()
    {
        FixtureBase base(QStringLiteral("wordstore"));
        QVERIFY(base.isValid());
        const QStringList arguments = {QStringLiteral("progres"), QStringLiteral("--csv"),
                                       QStringLiteral("--donnees"), base.path()};
        for (const int delay : {-1, 0, 15, 40}) {
            QProcess writer;
            writer.start(m_self, {QStringLiteral("--record"), base.path(),
                                  QLatin1String(delay < 0 ? "one" : "forever")});
            QVERIFY(writer.waitForReadyRead(60000));
            QTest::qWait(delay);
            if (const qint64 pid = writer.processId(); pid > 0)
                ::kill(static_cast<pid_t>(pid), SIGKILL);
            writer.waitForFinished();
            const Result csv = run(kTool, arguments);
            QVERIFY2(csv.code == 0, qPrintable(csv.err));
            if (delay < 0)
                QVERIFY2(!csv.err.contains(u"crashed"), qPrintable(csv.err));
            const qsizetype rows = csv.out.count(u'\n');
            QVERIFY(rows >= 2);
            QCOMPARE(recordInto(base.path(), "week").code, 0);
            QCOMPARE(run(kTool, arguments).out.count(u'\n'),
                     rows + qsizetype(ProgressWeek::kGames.size()));
        }
    }
};

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--record") == 0)
        return record(argv[2], argv[3]);
    QCoreApplication application(argc, argv);
    ProgressTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_progress.moc"
