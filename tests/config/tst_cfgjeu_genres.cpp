// The genre list of the configuration window against a real word base: the
// genre fragment built from the genre table, its interplay with the type
// list, the selections restored at a restart, and a failing genre query.
// The embedded server starts once per process: every case shares one base.

#include "config/tcfgjeu.h"
#include "config/wordfilters.h"
#include "tests/config/cfgtesthelpers.h"
#include "tests/config/formcontrol.h"
#include "tests/support/fixturebase.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace CfgTest;
using namespace std::string_literals;

class TestCfgJeuGenres : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void fragments();
    void genrePicks();
    void restartRestoresBothFragments();
    void restartOnVerb();
    void failedGenreQuery();

private:
    std::unique_ptr<TCfgJeu> window(TWordQuery& query, const QString& name)
    {
        return std::make_unique<TCfgJeu>(query, QStringLiteral(CORBELET_RUN_DIR "/"),
                                         m_fixture->path() + QLatin1Char('/') + name +
                                             QStringLiteral(".ini"));
    }

    std::unique_ptr<FixtureBase> m_fixture;
    std::unique_ptr<TWordStore> m_store;
    std::unique_ptr<TWordQuery> m_query;
};

void TestCfgJeuGenres::initTestCase()
{
    m_fixture = std::make_unique<FixtureBase>(QStringLiteral("config"));
    QVERIFY(m_fixture->isValid());
    m_store = std::make_unique<TWordStore>();
    m_query = std::make_unique<TWordQuery>(*m_store);
}

void TestCfgJeuGenres::cleanupTestCase()
{
    m_query.reset();
    m_store.reset();
    m_fixture.reset();
}

void TestCfgJeuGenres::fragments()
{
    QCOMPARE(WordFilters::typeFilter(-1), ""s);
    QCOMPARE(WordFilters::typeFilter(0), ""s);
    QCOMPARE(WordFilters::typeFilter(1), " AND ref_type = 9 AND ref_genre = 35"s);
    QCOMPARE(WordFilters::typeFilter(5), ""s);
    // Only decimal identifiers reach the SQL text.
    QCOMPARE(WordCatalogue::genreFilter({"3", "12) OR (1=1", "", "-1", " 4", "7"}),
             " AND ref_genre IN (3, 7, 0)"s);
    QCOMPARE(WordCatalogue::genreFilter({}), " AND ref_genre IN (0)"s);
}

void TestCfgJeuGenres::genrePicks()
{
    auto cfg = window(*m_query, QStringLiteral("choix"));
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));

    QVERIFY(pick(control<QComboBox>(cfg, "cbGenre"), 1));
    QCOMPARE(cfg->FiltreGenre(), " AND ref_genre IN (3, 12, 0)"s);
    QCOMPARE(m_query->SQL(), (std::vector<std::string>{
                                 "SELECT * FROM isgenre WHERE desc_genre LIKE", " \"%Fem%\""}));

    // "Verbe" resets and locks the genre list.
    QVERIFY(pick(control<QComboBox>(cfg, "cbType"), 1));
    QCOMPARE(control<QComboBox>(cfg, "cbGenre")->currentIndex(), 0);
    QVERIFY(!control<QComboBox>(cfg, "cbGenre")->isEnabled());
    QVERIFY(cfg->FiltreGenre().empty());
    QCOMPARE(cfg->FiltreType(), " AND ref_type = 9 AND ref_genre = 35"s);

    // "Nom" unlocks it, still on "Pas d'importance".
    QVERIFY(pick(control<QComboBox>(cfg, "cbType"), 4));
    QVERIFY(control<QComboBox>(cfg, "cbGenre")->isEnabled());
    QCOMPARE(control<QComboBox>(cfg, "cbGenre")->currentIndex(), 0);
    QCOMPARE(cfg->FiltreType(), " AND ref_type = 6"s);
    QVERIFY(cfg->FiltreGenre().empty());

    QVERIFY(pick(control<QComboBox>(cfg, "cbGenre"), 2));
    QCOMPARE(cfg->FiltreGenre(), " AND ref_genre IN (1, 0)"s);
    QVERIFY(pick(control<QComboBox>(cfg, "cbGenre"), 0));
    QVERIFY(cfg->FiltreGenre().empty());
    // No genre of the base matches "%Inv%".
    QVERIFY(pick(control<QComboBox>(cfg, "cbGenre"), 3));
    QCOMPARE(cfg->FiltreGenre(), " AND ref_genre IN (0)"s);

    // The fragments select words of the base as the game appends them.
    m_query->SetSQL("SELECT mots FROM motscommuns WHERE taille >= 4" + cfg->FiltreType() +
                    cfg->FiltreGenre());
    m_query->Open();
    QCOMPARE(m_query->RecordCount(), std::size_t(0));
    QVERIFY(pick(control<QComboBox>(cfg, "cbGenre"), 1));
    m_query->SetSQL("SELECT mots FROM motscommuns WHERE taille >= 4" + cfg->FiltreType() +
                    cfg->FiltreGenre() + " ORDER BY mots");
    m_query->Open();
    QCOMPARE(m_query->RecordCount(), std::size_t(2));
    QCOMPARE(m_query->FindField("mots").AsString(), "maison"s);
}

void TestCfgJeuGenres::restartRestoresBothFragments()
{
    {
        auto cfg = window(*m_query, QStringLiteral("reprise"));
        cfg->show();
        QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
        QVERIFY(pick(control<QComboBox>(cfg, "cbType"), 4));
        QVERIFY(pick(control<QComboBox>(cfg, "cbGenre"), 1));
        QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    }
    auto again = window(*m_query, QStringLiteral("reprise"));
    QCOMPARE(control<QComboBox>(again, "cbType")->currentIndex(), 4);
    QCOMPARE(control<QComboBox>(again, "cbGenre")->currentIndex(), 1);
    QCOMPARE(again->FiltreType(), " AND ref_type = 6"s);
    // The genre fragment needs the word store: it comes once the game has
    // connected it.
    QVERIFY(again->FiltreGenre().empty());
    again->RestoreGenreFilter();
    QCOMPARE(again->FiltreGenre(), " AND ref_genre IN (3, 12, 0)"s);
}

void TestCfgJeuGenres::restartOnVerb()
{
    const QString path = m_fixture->path() + QStringLiteral("/verbe.ini");
    QVERIFY(writeFile(path, "[Config]\ncbType=1\ncbGenre=2\n"));
    auto cfg = window(*m_query, QStringLiteral("verbe"));
    QCOMPARE(cfg->FiltreType(), " AND ref_type = 9 AND ref_genre = 35"s);
    QCOMPARE(control<QComboBox>(cfg, "cbGenre")->currentIndex(), 0);
    QVERIFY(!control<QComboBox>(cfg, "cbGenre")->isEnabled());
    m_query->SetSQL("SELECT 1");
    cfg->RestoreGenreFilter();
    QVERIFY(cfg->FiltreGenre().empty());
    QCOMPARE(m_query->SQL(), std::vector<std::string>{"SELECT 1"}); // no genre query
}

void TestCfgJeuGenres::failedGenreQuery()
{
    // A store of its own, which stops reaching its database after a first
    // good pick.
    TWordStore store;
    TWordQuery query(store);
    auto cfg = window(query, QStringLiteral("panne"));
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    QVERIFY(pick(control<QComboBox>(cfg, "cbGenre"), 2));
    QCOMPARE(cfg->FiltreGenre(), " AND ref_genre IN (1, 0)"s);

    store.Disconnect();
    store.Database = "absente";
    control<QComboBox>(cfg, "cbGenre")->setCurrentIndex(1);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, cfg->cbGenreClick());
    QVERIFY(cfg->FiltreGenre().empty());

    // The same at a restart.
    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    auto again = window(query, QStringLiteral("panne"));
    QCOMPARE(control<QComboBox>(again, "cbGenre")->currentIndex(), 1);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, again->RestoreGenreFilter());
    QVERIFY(again->FiltreGenre().empty());
}

QTEST_MAIN(TestCfgJeuGenres)
#include "tst_cfgjeu_genres.moc"
