// Each failure of the word store, with the text the player sees. The embedded
// server starts only once per process and a failed start is final, so every
// case runs in a child process of this same program ("--scenario NAME"),
// started in a prepared copy of the fixture base.

#include "tests/support/fixturebase.h"
#include "wordstore/wordstore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <chrono>
#include <functional>
#include <iostream>
#include <thread>

namespace {

// What the child prints: one line per attempt, "CONNECTED" or the error text.
void attempt(const std::function<void()>& action)
{
    try {
        action();
        std::cout << "CONNECTED" << std::endl;
    } catch (const std::exception& error) {
        std::cout << error.what() << std::endl;
    }
}

int runScenario(std::string_view name)
{
    TWordStore store;
    TWordQuery query(store);
    if (name == "missing-library")
        store.LibraryNames = {"libcorbelet-absent.so.19", "libcorbelet-absent.so"};
    if (name == "hold") {
        store.Connect();
        std::cout << "READY" << std::endl;
        std::this_thread::sleep_for(std::chrono::minutes(2));
        return 0;
    }
    if (name == "draw") {
        attempt([&] {
            query.SetSQL("SELECT * FROM motscommuns WHERE taille >= 4  AND taille <= 25  AND "
                         "point >= 4  AND point <= 52 ORDER BY rand() LIMIT 1;");
            query.Open();
        });
        return 0;
    }
    // Two attempts: a failure is reported again at every later attempt.
    attempt([&] { store.Connect(); });
    attempt([&] {
        query.SetSQL("SELECT COUNT(id_mots) AS Nb FROM motscommuns LIMIT 1;");
        query.Open();
    });
    return 0;
}

} // namespace

class TestWordStoreFailures : public QObject
{
    Q_OBJECT

private:
    // Runs a scenario in `folder`; returns its lines.
    static QStringList run(const QString& folder, const QString& scenario)
    {
        QProcess child;
        child.setWorkingDirectory(folder);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {"--scenario", scenario});
        if (!child.waitForFinished(60000))
            return {"TIMEOUT"};
        return QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

    static QByteArray tableDigest(const QString& folder)
    {
        QFile table(folder + "/data/listedemots/motscommuns.MYD");
        if (!table.open(QIODevice::ReadOnly))
            return {};
        return QCryptographicHash::hash(table.readAll(), QCryptographicHash::Sha256);
    }

private slots:
    void initTestCase()
    {
        m_fixture = std::make_unique<FixtureBase>(QStringLiteral("wordstore"));
        QVERIFY(m_fixture->isValid());
        m_digest = tableDigest(m_fixture->path());
        QVERIFY(!m_digest.isEmpty());
    }

    void sound()
    {
        QCOMPARE(run(m_fixture->path(), "connect"), QStringList({"CONNECTED", "CONNECTED"}));
    }

    void missingLibrary()
    {
        const QString text = "None of the dynamic libraries can be found: "
                             "libcorbelet-absent.so.19, libcorbelet-absent.so";
        QCOMPARE(run(m_fixture->path(), "missing-library"), QStringList({text, text}));
    }

    void missingFolders_data()
    {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("data folder") << "data"
                                     << "/data/ddl_recovery.log' (Errcode: 2";
        QTest::newRow("message file") << "share/french"
                                      << "/share/french/errmsg.sys'";
    }
    void missingFolders()
    {
        QFETCH(QString, removed);
        QFETCH(QString, reason);
        QTemporaryDir copy;
        QVERIFY(FixtureBase::copyTree(m_fixture->path(), copy.path()));
        QVERIFY(QDir(copy.path() + "/" + removed).removeRecursively());
        const QStringList lines = run(copy.path(), "connect");
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].startsWith("Cannot connect to SQL server"), qPrintable(lines[0]));
        QVERIFY2(lines[0].contains(reason), qPrintable(lines[0]));
        QCOMPARE(lines[1], lines[0]);
    }

    void missingDatabase()
    {
        QTemporaryDir copy;
        QVERIFY(FixtureBase::copyTree(m_fixture->path(), copy.path()));
        QVERIFY(QDir(copy.path() + "/data/listedemots").removeRecursively());
        // The server names the cause on its standard error only.
        const QString text = "Cannot connect to SQL server: Base 'listedemots' inconnue";
        QCOMPARE(run(copy.path(), "connect"), QStringList({text, text}));
    }

    // A second program on the same base fails at once instead of freezing in
    // the server start; once the first is gone, the base is free again.
    void baseInUse()
    {
        QTemporaryDir copy;
        QVERIFY(FixtureBase::copyTree(m_fixture->path(), copy.path()));
        QProcess holder;
        holder.setWorkingDirectory(copy.path());
        holder.start(QCoreApplication::applicationFilePath(), {"--scenario", "hold"});
        QVERIFY(holder.waitForReadyRead(30000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("READY"));

        QElapsedTimer clock;
        clock.start();
        const QStringList lines = run(copy.path(), "connect");
        QVERIFY2(clock.elapsed() < 10000, "the second program waited for the base");
        const QString text = QStringLiteral("Cannot connect to SQL server: la base de mots (") +
                             QDir(copy.path()).canonicalPath() +
                             QStringLiteral("/data) est déjà utilisée par un autre programme");
        QCOMPARE(lines, QStringList({text, text}));

        holder.kill();
        holder.waitForFinished();
        QCOMPARE(run(copy.path(), "connect"), QStringList({"CONNECTED", "CONNECTED"}));
    }

    void crashedTable()
    {
        QTemporaryDir copy;
        QVERIFY(FixtureBase::copyTree(m_fixture->path(), copy.path()));
        QFile index(copy.path() + "/data/listedemots/motscommuns.MYI");
        QVERIFY(index.open(QIODevice::ReadWrite));
        index.seek(0);
        index.write(QByteArray(64, '\xFF'));
        index.close();
        const QStringList lines = run(copy.path(), "draw");
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith("SQL Error: "), qPrintable(lines[0]));
    }

    void nothingWrittenToTheBase() { QCOMPARE(tableDigest(m_fixture->path()), m_digest); }

private:
    std::unique_ptr<FixtureBase> m_fixture;
    QByteArray m_digest;
};

int main(int argc, char** argv)
{
    if (argc == 3 && std::string_view(argv[1]) == "--scenario")
        return runScenario(argv[2]);
    QCoreApplication application(argc, argv);
    TestWordStoreFailures test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_wordstore_failures.moc"
