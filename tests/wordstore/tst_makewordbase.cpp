// The word base builder: bad input is refused without touching the existing
// base or leaving a half-built folder behind; a good build replaces the base.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestMakeWordBase : public QObject
{
    Q_OBJECT

private:
    static void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // Runs the builder on `words` into <folder>/data; returns its exit code.
    static int build(const QString& folder, const QByteArray& words)
    {
        write(folder + "/words.tsv", words);
        write(folder + "/genres.tsv", "1\tMasculin\n2\tFeminin\n");
        QProcess builder;
        builder.setProcessChannelMode(QProcess::ForwardedChannels);
        builder.start(QStringLiteral(MAKEWORDBASE),
                      {"--words", folder + "/words.tsv", "--genres", folder + "/genres.tsv",
                       "--output", folder + "/data"});
        if (!builder.waitForFinished(60000))
            return -1;
        return builder.exitStatus() == QProcess::NormalExit ? builder.exitCode() : -1;
    }

    // The entries of the folder besides the two input files.
    static QStringList leftovers(const QString& folder)
    {
        QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        entries.removeAll("words.tsv");
        entries.removeAll("genres.tsv");
        return entries;
    }

private slots:
    void badInput_data()
    {
        QTest::addColumn<QByteArray>("words");
        QTest::newRow("missing field") << QByteArray("arbre\t5\t8\t6\n");
        QTest::newRow("not a number") << QByteArray("arbre\t5\thuit\t6\t1\n");
        QTest::newRow("length of another word") << QByteArray("arbre\t6\t8\t6\t1\n");
        QTest::newRow("UTF-8 text") << QByteArray("\xC3\xA9l\xC3\xA8ve\t5\t14\t6\t2\n");
        QTest::newRow("undefined byte") << QByteArray("ar\x81re\t6\t8\t6\t1\n");
        QTest::newRow("points out of range") << QByteArray("arbre\t5\t300\t6\t1\n");
        QTest::newRow("empty word") << QByteArray("\t0\t8\t6\t1\n");
    }
    void badInput()
    {
        QFETCH(QByteArray, words);
        QTemporaryDir folder;
        QCOMPARE(build(folder.path(), "maison\t6\t9\t6\t2\n"), 0);
        const QByteArray table = "/data/listedemots/motscommuns.MYD";
        QFile before(folder.path() + table);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray content = before.readAll();

        QCOMPARE(build(folder.path(), words), 1);
        QCOMPARE(leftovers(folder.path()), QStringList({"data"}));
        QFile after(folder.path() + table);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), content);
    }

    // A failure inside the server (a duplicate genre) removes the half-built
    // folder too.
    void serverFailure()
    {
        QTemporaryDir folder;
        write(folder.path() + "/words.tsv", "arbre\t5\t8\t6\t1\n");
        write(folder.path() + "/genres.tsv", "1\tMasculin\n1\tFeminin\n");
        QProcess builder;
        builder.setProcessChannelMode(QProcess::ForwardedChannels);
        builder.start(QStringLiteral(MAKEWORDBASE),
                      {"--words", folder.path() + "/words.tsv", "--genres",
                       folder.path() + "/genres.tsv", "--output", folder.path() + "/data"});
        QVERIFY(builder.waitForFinished(60000));
        QCOMPARE(builder.exitCode(), 1);
        QCOMPARE(leftovers(folder.path()), QStringList());
    }

    void rebuildReplacesTheBase()
    {
        QTemporaryDir folder;
        QCOMPARE(build(folder.path(), "maison\t6\t9\t6\t2\n"), 0);
        QCOMPARE(build(folder.path(), "porte-cl\xE9s\t10\t22\t6\t1\narbre\t5\t8\t6\t1\n"), 0);
        QCOMPARE(leftovers(folder.path()), QStringList({"data"}));
        QFile table(folder.path() + "/data/listedemots/motscommuns.MYD");
        QVERIFY(table.open(QIODevice::ReadOnly));
        const QByteArray rows = table.readAll();
        QVERIFY(rows.contains("porte-cl\xE9s"));
        QVERIFY(!rows.contains("maison"));
    }
};

QTEST_MAIN(TestMakeWordBase)
#include "tst_makewordbase.moc"
