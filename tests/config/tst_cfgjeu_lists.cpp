// The page of the lists of the configuration window against a real word base:
// the lists it offers, a pick that makes the game's own draw and count read
// the list alone, the choice kept by "Sauver" and applied at a restart, and a
// choice the base refuses.

#include "config/tcfgjeu.h"
#include "config/tpagecontrol.h"
#include "tests/config/cfgtesthelpers.h"
#include "tests/config/formcontrol.h"
#include "tests/support/fixturebase.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <set>

using namespace CfgTest;
using namespace std::string_literals;

class TestCfgJeuLists : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void pageChoosesTheList();

private:
    std::unique_ptr<TCfgJeu> window()
    {
        return std::make_unique<TCfgJeu>(*m_query, QStringLiteral(CORBELET_RUN_DIR "/"),
                                         settingsFile());
    }
    QString settingsFile() const { return m_fixture->path() + QStringLiteral("/listes.ini"); }
    int count()
    {
        m_query->SetSQL(WordCatalogue::countAllStatement());
        m_query->Open();
        return m_query->FindField(WordCatalogue::kCountColumn).AsInteger();
    }

    std::unique_ptr<FixtureBase> m_fixture;
    std::unique_ptr<TWordStore> m_store;
    std::unique_ptr<TWordQuery> m_query;
};

void TestCfgJeuLists::initTestCase()
{
    m_fixture = std::make_unique<FixtureBase>(QStringLiteral("config"));
    QVERIFY(m_fixture->isValid());
    m_store = std::make_unique<TWordStore>();
    m_query = std::make_unique<TWordQuery>(*m_store);
    // Two lists, of words the base does not have.
    const std::vector<WordCatalogue::ListWordRow> lists = {{"CE1", {"cartable", 8, 20, 6, 1}},
                                                           {"CE1", {"ardoise", 7, 20, 6, 3}},
                                                           {"CE2", {"tableau", 7, 20, 6, 1}}};
    for (const std::string& statement :
         WordCatalogue::replacePlayerTablesStatements({}, {}, lists, std::nullopt))
        m_store->Execute(statement);
}

void TestCfgJeuLists::cleanupTestCase()
{
    m_query.reset();
    m_store.reset();
    m_fixture.reset();
}

void TestCfgJeuLists::pageChoosesTheList()
{
    // The settings file keeps CE2: applied once the store is connected.
    QVERIFY(writeFile(settingsFile(), "[Config]\nNbMotMin=5\n[Listes]\ncbListe=CE2\n"));
    auto cfg = window();
    QCOMPARE(count(), 5);
    cfg->RestoreWordList();
    QStringList entries;
    for (int index = 0; index < control<QComboBox>(cfg, "cbListe")->count(); ++index)
        entries << control<QComboBox>(cfg, "cbListe")->itemText(index);
    QCOMPARE(entries, (QStringList{"Tous les mots", "CE1 (2 mots)", "CE2 (1 mot)"}));
    QCOMPARE(control<QComboBox>(cfg, "cbListe")->currentIndex(), 2);
    QVERIFY(control<QComboBox>(cfg, "cbListe")->isEnabled());
    QCOMPARE(ReadPlayedList(*m_store), std::optional<std::string>("CE2"));
    QCOMPARE(count(), 1);

    // A pick: the game's draw reads the list alone.
    cfg->show();
    QVERIFY(QTest::qWaitForWindowExposed(cfg.get()));
    control<TPageControl>(cfg, "PageControl1")->setCurrentWidget(control<QWidget>(cfg, "tsListes"));
    QVERIFY(pick(control<QComboBox>(cfg, "cbListe"), 1));
    QCOMPARE(count(), 2);
    std::set<std::string> drawn;
    for (int draw = 0; draw < 30; ++draw) {
        m_query->SetSQL(WordCatalogue::drawStatement(cfg->wordFilter()));
        m_query->Open();
        drawn.insert(m_query->FindField(WordCatalogue::kWordText).AsString());
    }
    QCOMPARE(drawn, (std::set<std::string>{"ardoise", "cartable"}));
    QTest::mouseClick(control<QPushButton>(cfg, "btSave"), Qt::LeftButton);
    QVERIFY(readFile(settingsFile()).endsWith("[Listes]\ncbListe=CE1\n"));

    // All the words again, not saved: a restart brings the saved list back.
    QVERIFY(pick(control<QComboBox>(cfg, "cbListe"), 0));
    QCOMPARE(count(), 5);
    cfg.reset();
    auto again = window();
    again->RestoreWordList();
    QCOMPARE(control<QComboBox>(again, "cbListe")->currentIndex(), 1);
    QCOMPARE(count(), 2);

    // A choice the base refuses leaves the base and the page as they were.
    m_store->Database = "absente";
    control<QComboBox>(again, "cbListe")->setCurrentIndex(2);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, again->cbListeClick());
    m_store->Database = WordCatalogue::kDatabase;
    QCOMPARE(control<QComboBox>(again, "cbListe")->currentIndex(), 1);
    QCOMPARE(ReadPlayedList(*m_store), std::optional<std::string>("CE1"));
    QCOMPARE(count(), 2);

    // A list the base no longer has is not applied.
    QVERIFY(writeFile(settingsFile(), "[Listes]\ncbListe=CM2\n"));
    again = window();
    again->RestoreWordList();
    QCOMPARE(control<QComboBox>(again, "cbListe")->currentIndex(), 1);
    QCOMPARE(count(), 2);
}

QTEST_MAIN(TestCfgJeuLists)
#include "tst_cfgjeu_lists.moc"
