// The finished word in the game window: said aloud with its real spelling,
// that spelling seen on the result panel, one row of progress recorded; F5
// says it again, F6 shows the hint of the word in play (its announcement:
// tst_gameannouncements). The real windows on
// the fixture word base, the sound recorded; the sound player's own choice
// of saying a word, with a speech library that is missing.

#include "tests/game/gamewindowfixture.h"

#include "config/progresspage.h"
#include "wordstore/progress.h"
#include "wordstore/wordcatalogue.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>

using namespace std::string_literals;

namespace {

const std::string kEleve = "\xE9l\xE8ve"; // élève

} // namespace

class TestGameWords : public GameWindowFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void finishedWordIsSaidSpelledAndRecorded_data();
    void finishedWordIsSaidSpelledAndRecorded();
    void f5SaysTheWordOnlyOnceItEnded();
    void f6ShowsTheHintOfTheWord();
    void progressPageShowsTheRecord();
    void playerSaysWordsAsTheSettingsSay_data();
    void playerSaysWordsAsTheSettingsSay();

private:
    void key(Qt::Key code);
    void draw(int points);
    void pick(const char* letters);
};

void TestGameWords::initTestCase()
{
    prepareWordBase();
}

void TestGameWords::init()
{
    makeWindow();
}

void TestGameWords::cleanup()
{
    destroyWindow();
}

void TestGameWords::key(Qt::Key code)
{
    QTest::sendKeyEvent(QTest::Click, m_form->windowHandle(), code, QString(), Qt::NoModifier);
}

void TestGameWords::draw(int points)
{
    selectWord(points);
    QTest::mouseClick(control<QPushButton>(m_form, "btMot"), Qt::LeftButton);
    QVERIFY(m_form->game().acceptsPicks());
}

void TestGameWords::pick(const char* letters)
{
    for (const char* letter = letters; *letter; ++letter)
        m_form->pickTypedLetter(*letter);
}

void TestGameWords::finishedWordIsSaidSpelledAndRecorded_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<QByteArray>("picks");
    QTest::addColumn<QByteArray>("word"); // Windows-1252
    QTest::addColumn<bool>("won");
    QTest::addColumn<int>("brought");
    QTest::addColumn<int>("mistakes");
    QTest::addColumn<QString>("spelling");

    // (points + 2 × right picks) × level won; points × level lost.
    QTest::newRow("won, accents") << 7 << QByteArray("XELV") << QByteArray::fromStdString(kEleve)
                                  << true << 2 * (7 + 2 * 3) << 1
                                  << QStringLiteral("Orthographe : élève");
    QTest::newRow("lost, accents")
        << 7 << QByteArray("XYZWQKJU") << QByteArray::fromStdString(kEleve) << false << -7 * 2 << 8
        << QStringLiteral("Orthographe : élève");
    QTest::newRow("won, no accent") << 10 << QByteArray("CHIEN") << QByteArray("chien") << true
                                    << 2 * (10 + 2 * 5) << 0 << QString();
}

void TestGameWords::finishedWordIsSaidSpelledAndRecorded()
{
    QFETCH(int, points);
    QFETCH(QByteArray, picks);
    QFETCH(QByteArray, word);
    QFETCH(bool, won);
    QFETCH(int, brought);
    QFETCH(int, mistakes);
    QFETCH(QString, spelling);

    startGame();
    control<QLineEdit>(m_cfg, "NomUser")->setText(QStringLiteral("Zoé"));
    control<TSpinEdit>(m_cfg, "NiveauDuJeu")->setValue(2);
    const std::size_t rowsBefore = ReadProgress(m_form->wordStore()).size();
    draw(points);
    pick(picks.constData());

    const auto* panel = control<QFrame>(m_form, "paInfo");
    QVERIFY(panel->isVisible());
    QCOMPARE(m_sound.said, std::vector<std::string>{word.toStdString()});
    // The design's text stays; the real spelling is the panel's tooltip and
    // description when the capitals hide it.
    QVERIFY(control<QLabel>(m_form, "laTextInfo")->text().contains(QStringLiteral("C'était : ")));
    QCOMPARE(panel->toolTip(), spelling);
    QCOMPARE(panel->accessibleDescription(), spelling);

    const std::vector<WordCatalogue::ProgressRow> rows = ReadProgress(m_form->wordStore());
    QCOMPARE(rows.size(), rowsBefore + 1);
    const WordCatalogue::ProgressRow& row = rows.back();
    QCOMPARE(row.player, "Zo\xE9"s);
    QCOMPARE(QByteArray::fromStdString(row.word), word);
    QCOMPARE(row.level, 2);
    QCOMPARE(row.won, won);
    QCOMPARE(row.points, brought);
    QCOMPARE(row.mistakes, mistakes);
    QVERIFY(row.seconds >= 0);
    QVERIFY(!row.hintUsed);

    // The statistics shown over the next activation carry no spelling.
    sendActivation(m_form.get(), false);
    sendActivation(m_form.get(), true);
    QVERIFY(panel->toolTip().isEmpty());
    QVERIFY(panel->accessibleDescription().isEmpty());
}

void TestGameWords::f5SaysTheWordOnlyOnceItEnded()
{
    startGame();
    draw(7);
    key(Qt::Key_F5);
    QVERIFY(m_sound.said.empty());
    pick("ELV");
    key(Qt::Key_F5);
    QCOMPARE(m_sound.said, std::vector<std::string>(2, kEleve));
    // The panel's OK draws the next word: in play, F5 says nothing.
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    QVERIFY(m_form->game().acceptsPicks());
    key(Qt::Key_F5);
    QCOMPARE(m_sound.said.size(), std::size_t(2));
}

void TestGameWords::f6ShowsTheHintOfTheWord()
{
    TWordStore& store = m_form->wordStore();
    startGame();
    store.Execute("DROP TABLE IF EXISTS " + std::string(WordCatalogue::kHintTable));
    store.Execute(WordCatalogue::createTableStatement(WordCatalogue::hintTable(),
                                                      WordCatalogue::kDatabase, true));
    store.Execute("INSERT INTO " + std::string(WordCatalogue::kHintTable) + " VALUES ('', '" +
                  kEleve + "', 'Il va \xE0 l''\xE9" + "cole')");
    draw(10); // chien: no hint
    key(Qt::Key_F6);
    QVERIFY(control<QLabel>(m_form, "affMot")->toolTip().isEmpty());
    QVERIFY(!QToolTip::isVisible());
    pick("CHIEN");
    QVERIFY(!ReadProgress(store).back().hintUsed);

    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    draw(7);
    const QString before = control<QLabel>(m_form, "Label3")->text();
    key(Qt::Key_F6);
    const QString hint = QStringLiteral("Indice : Il va à l'école");
    QCOMPARE(control<QLabel>(m_form, "affMot")->toolTip(), hint);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), hint);
    QCOMPARE(control<QLabel>(m_form, "Label3")->text(), before);
    pick("ELV");
    QVERIFY(ReadProgress(store).back().hintUsed);
    QToolTip::hideText();
}

void TestGameWords::progressPageShowsTheRecord()
{
    startGame();
    draw(10);
    pick("ZYXWVUTSRQ"); // lost
    QTest::mouseClick(control<QPushButton>(m_form, "btValid"), Qt::LeftButton);
    pick("CHIEN");
    const std::size_t rows = ReadProgress(m_form->wordStore()).size();
    m_cfg->show();
    auto* pages = control<QTabWidget>(m_cfg, "PageControl1");
    QWidget* page = control<QWidget>(m_cfg, "tsProgres");
    pages->setCurrentWidget(page);
    QVERIFY(page->isVisible());
    QCOMPARE(pages->tabText(pages->indexOf(page)), QStringLiteral("Progrès"));
    const auto* days = control<QTableWidget>(m_cfg, "tbJours");
    int played = 0;
    for (int row = 0; row < days->rowCount(); ++row)
        played += days->item(row, 1)->text().toInt() + days->item(row, 2)->text().toInt();
    QCOMPARE(std::size_t(played), rows);

    // The missed words made into a list: the page of the lists offers it.
    QTest::mouseClick(control<QPushButton>(m_cfg, "btReviser"), Qt::LeftButton);
    const auto* lists = control<QComboBox>(m_cfg, "cbListe");
    QVERIFY(lists->findText(QStringLiteral("À revoir"), Qt::MatchStartsWith) > 0);
}

void TestGameWords::playerSaysWordsAsTheSettingsSay_data()
{
    QTest::addColumn<bool>("soundsOff");
    QTest::addColumn<bool>("sayWords");
    QTest::addColumn<bool>("said");
    QTest::newRow("on") << false << true << true;
    QTest::newRow("Prononcer le mot off") << false << false << false;
    QTest::newRow("sounds off") << true << true << false;
}

void TestGameWords::playerSaysWordsAsTheSettingsSay()
{
    QFETCH(bool, soundsOff);
    QFETCH(bool, sayWords);
    QFETCH(bool, said);
    SettingsStandIn settings;
    settings.muted = soundsOff;
    settings.speaks = sayWords;
    GameSoundPlayer player(m_folder, m_folder.toStdString() + "no-speech-library.so");
    player.setSettings(&settings);
    QCOMPARE(player.saysWords(), said);
    // A word said reaches the speaker, which reports it as not synthesised
    // without its library; a word not said never reaches it.
    QSignalSpy finished(&player.speaker(), &WordSpeaker::finished);
    player.say(kEleve);
    if (said) {
        QVERIFY(finished.wait());
        QCOMPARE(finished.takeFirst().at(0).toBool(), false);
    } else {
        QVERIFY(!finished.wait(300));
    }
}

QTEST_MAIN(TestGameWords)
#include "tst_gamewords.moc"
