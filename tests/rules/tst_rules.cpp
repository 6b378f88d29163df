// The rules of the game without a window: word folding, picks, the drawing,
// win, loss and score.

#include "rules/hangmangame.h"
#include "rules/wordrules.h"
#include "rules/wordvalue.h"

#include <QFile>
#include <QTest>

#include <algorithm>
#include <set>

namespace {

using Kind = PickEffect::Kind;
using Status = PickOutcome::Status;

int countEffects(const PickOutcome& outcome, Kind kind)
{
    return static_cast<int>(std::count_if(outcome.effects.begin(), outcome.effects.end(),
                                          [&](const PickEffect& e) { return e.kind == kind; }));
}

int countCues(const PickOutcome& outcome, Cue cue)
{
    return static_cast<int>(
        std::count_if(outcome.effects.begin(), outcome.effects.end(),
                      [&](const PickEffect& e) { return e.kind == Kind::Cue && e.cue == cue; }));
}

std::set<Piece> piecesShownBy(const PickOutcome& outcome)
{
    std::set<Piece> pieces;
    for (const PickEffect& e : outcome.effects)
        if (e.kind == Kind::ShowPiece)
            pieces.insert(e.piece);
    return pieces;
}

const std::string* infoText(const PickOutcome& outcome)
{
    for (const PickEffect& e : outcome.effects)
        if (e.kind == Kind::ShowInfo)
            return &e.text;
    return nullptr;
}

// Picks every letter of the word (in order of first appearance).
PickOutcome pickAllLetters(HangmanGame& game)
{
    PickOutcome last;
    std::string done;
    for (const char letter : game.word().Mot) {
        if (done.find(letter) != std::string::npos)
            continue;
        done.push_back(letter);
        last = game.Pick(letter);
    }
    return last;
}

} // namespace

class TestGameRules : public QObject
{
    Q_OBJECT

private slots:
    void recordStartsBeforeTheFirstWord();
    void foldingAndUpperCasing_data();
    void foldingAndUpperCasing();
    void foldingStopsAtTheFirstZeroByte();
    void foldingTable();
    void typedCharacters();
    void newWordMasksEveryPosition();
    void letterFoundAtSeveralPositions();
    void repeatedLetterCountsNothing();
    void uncoveredPositionBeepsAgain();
    void lossAtTheLevelLimit_data();
    void lossAtTheLevelLimit();
    void timeOutCountsAsAWrongPick();
    void winAddsPointsAndRightPicksTimesLevel();
    void lossNeverTakesTheScoreBelowZero();
    void hyphenAndApostropheMustBePicked();
    void wordWithOeCanOnlyBeLost();
    void finishedWordIgnoresPicks();
    void piecesTable();
    void levelOutsideTheRangePlaysAsTheNearest();
    void shippedWordsFollowTheWordRules();
};

void TestGameRules::recordStartsBeforeTheFirstWord()
{
    HangmanGame game;
    QCOMPARE(game.record().NbMotJoue, -1);
    QCOMPARE(game.record().NbMotTrouve, 0);
    QCOMPARE(game.record().Score, 0);
    QCOMPARE(game.record().Niveau, 1);
    QVERIFY(game.word().Mot.empty());
    QVERIFY(game.word().MotMasque.empty());
    QCOMPARE(game.word().PointMot, 0);
    QCOMPARE(game.word().LettreEssayee.size(), std::size_t(59));
    QVERIFY(!game.acceptsPicks());
    QCOMPARE(game.Pick('A').status, Status::Ignored);
    QCOMPARE(game.TimeOut().status, Status::Ignored);

    game.NewWord("chien", 7, 2);
    QCOMPARE(game.record().NbMotJoue, 0);
    QCOMPARE(game.record().NbMotTrouve, 0);
    QCOMPARE(game.record().Niveau, 2);
    QCOMPARE(game.wordValue(), 14);
    QVERIFY(game.acceptsPicks());
}

void TestGameRules::foldingAndUpperCasing_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("played");
    QTest::newRow("eleve") << QByteArray("\xE9l\xE8ve") << QByteArray("ELEVE");
    QTest::newRow("porte-cles") << QByteArray("porte-cl\xE9s") << QByteArray("PORTE-CLES");
    QTest::newRow("apostrophe") << QByteArray("aujourd'hui") << QByteArray("AUJOURD'HUI");
    QTest::newRow("oe kept") << QByteArray("c\x9Cur") << QByteArray("C\x8CUR");
    QTest::newRow("ae kept") << QByteArray("\xE6gagropile") << QByteArray("\xC6GAGROPILE");
    QTest::newRow("digit and space") << QByteArray("a 2 b") << QByteArray("A 2 B");
    QTest::newRow("cedilla, y, s")
        << QByteArray("\xE7\xFF\x9A\x9E\xC7\x9F") << QByteArray("CYSZCY");
    QTest::newRow("sharp s") << QByteArray("stra\xDF") << QByteArray("STRA\xDF");
}

void TestGameRules::foldingAndUpperCasing()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, played);
    QCOMPARE(QByteArray::fromStdString(PlayedWord(stored.toStdString())), played);
}

void TestGameRules::foldingStopsAtTheFirstZeroByte()
{
    QCOMPARE(SansAccent(std::string_view("ab\0\xE9", 4)), std::string("ab"));
    QCOMPARE(SansAccent(""), std::string());
}

void TestGameRules::foldingTable()
{
    // Every accented letter the table lists, with its neighbours that stay.
    const std::string from =
        "\xC0\xC5\xC6\xC7\xC8\xCB\xCC\xCF\xD0\xD1\xD2\xD6\xD7\xD8\xD9\xDC\xDD\xDE"
        "\xDF\xE0\xE5\xE6\xE7\xE8\xEB\xEC\xEF\xF0\xF1\xF2\xF6\xF7\xF8\xF9\xFC\xFD"
        "\xFE\xFF\x8A\x8C\x8E\x9A\x9C\x9E\x9F";
    const std::string to = "AA\xC6"
                           "CEEII\xD0NOO\xD7\xD8UUY\xDE\xDF"
                           "aa\xE6"
                           "ceeii\xF0noo\xF7\xF8uuy\xFEyS\x8CZs\x9CzY";
    QCOMPARE(SansAccent(from), to);
    const std::string plain = "AZaz09 -'@\x81";
    QCOMPARE(SansAccent(plain), plain);
}

void TestGameRules::typedCharacters()
{
    // What a French keyboard types, and what it must not pick.
    const struct
    {
        char32_t typed;
        char letter;
    } keys[] = {
        {U'a', 'A'},       {U'Z', 'Z'},      {U'\u00E9', 'E'}, {U'\u00E8', 'E'}, {U'\u00EA', 'E'},
        {U'\u00EB', 'E'},  {U'\u00C9', 'E'}, {U'\u00E0', 'A'}, {U'\u00E2', 'A'}, {U'\u00E7', 'C'},
        {U'\u00C7', 'C'},  {U'\u00F9', 'U'}, {U'\u00FB', 'U'}, {U'\u00FC', 'U'}, {U'\u00EE', 'I'},
        {U'\u00EF', 'I'},  {U'\u00F4', 'O'}, {U'\u00FF', 'Y'}, {U'-', '-'},      {U'\'', '\''},
        {U'\u2019', '\''}, {U'1', 0},        {U' ', 0},        {U'@', 0},        {U'\u0153', 0},
        {U'\u00E6', 0},    {U'\u00DF', 0},   {U'\u20AC', 0},   {U'\u2018', 0},   {U'\u4E2D', 0},
        {U'\0', 0},        {U'\x81', 0},
    };
    for (const auto& key : keys)
        QVERIFY2(typedLetter(key.typed) == key.letter,
                 qPrintable(QString::number(static_cast<uint>(key.typed), 16)));
}

void TestGameRules::newWordMasksEveryPosition()
{
    HangmanGame game;
    game.NewWord("porte-cl\xE9s", 9, 1);
    QCOMPARE(game.word().Mot, std::string("PORTE-CLES"));
    QCOMPARE(game.word().LongueurMot, 10);
    QCOMPARE(game.word().MotMasque, std::string(10, '\x81'));

    game.Pick('E');
    game.Pick('X');
    game.NewWord("\xE9l\xE8ve", 5, 1);
    QCOMPARE(game.word().MotMasque, std::string(5, '\x81'));
    QCOMPARE(game.word().NbEssai, 0);
    QCOMPARE(game.word().NbErreur, 0);
    QVERIFY(std::none_of(game.word().LettreEssayee.begin(), game.word().LettreEssayee.end(),
                         [](bool flag) { return flag; }));
    // The abandoned word counts as drawn, neither won nor lost.
    QCOMPARE(game.record().NbMotJoue, 1);
    QCOMPARE(game.record().NbMotTrouve, 0);
    QCOMPARE(game.record().Score, 0);
}

void TestGameRules::letterFoundAtSeveralPositions()
{
    HangmanGame game;
    game.NewWord("ananas", 8, 1);
    const PickOutcome outcome = game.Pick('A');
    QCOMPARE(outcome.status, Status::Found);
    QCOMPARE(game.word().NbEssai, 1);
    QCOMPARE(game.word().NbErreur, 0);
    QCOMPARE(game.word().MotMasque, std::string("A\x81"
                                                "A\x81"
                                                "A\x81"));
    QCOMPARE(countCues(outcome, Cue::SonBonneLettre), 3);
    QCOMPARE(countEffects(outcome, Kind::Beep), 0);
    const PickEffect found{.kind = Kind::Cue, .cue = Cue::SonBonneLettre};
    const std::vector<PickEffect> expected = {
        found, found, found, {Kind::ShowMask, {}}, {Kind::RefreshCounters, {}}};
    QVERIFY(outcome.effects == expected);
}

void TestGameRules::repeatedLetterCountsNothing()
{
    HangmanGame game;
    game.NewWord("chien", 8, 1);
    game.Pick('C');
    game.Pick('Z');
    const WordInPlay before = game.word();
    for (const char letter : {'C', 'Z'}) {
        const PickOutcome outcome = game.Pick(letter);
        QCOMPARE(outcome.status, Status::Repeated);
        const std::vector<PickEffect> expected = {{Kind::Beep, {}}, {Kind::RepeatedLetter, {}}};
        QVERIFY(outcome.effects == expected);
    }
    QCOMPARE(game.word().NbEssai, before.NbEssai);
    QCOMPARE(game.word().NbErreur, before.NbErreur);
    QCOMPARE(game.word().MotMasque, before.MotMasque);
}

void TestGameRules::uncoveredPositionBeepsAgain()
{
    // Only the time-out letter is not remembered as tried: a word holding it
    // shows the per-position beep on the second time-out.
    HangmanGame game;
    game.NewWord("a@b", 5, 1);
    PickOutcome first = game.TimeOut();
    QCOMPARE(first.status, Status::Found);
    QCOMPARE(countEffects(first, Kind::Beep), 0);
    PickOutcome second = game.TimeOut();
    QCOMPARE(second.status, Status::Found);
    QCOMPARE(second.effects.front().kind, Kind::Beep);
    QCOMPARE(countCues(second, Cue::SonBonneLettre), 1);
    QCOMPARE(game.word().NbEssai, 2);
    QCOMPARE(game.word().NbErreur, 0);
}

void TestGameRules::lossAtTheLevelLimit_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("limit");
    QTest::newRow("level 1") << 1 << 10;
    QTest::newRow("level 2") << 2 << 8;
    QTest::newRow("level 3") << 3 << 6;
}

void TestGameRules::lossAtTheLevelLimit()
{
    QFETCH(int, level);
    QFETCH(int, limit);
    HangmanGame game;
    game.NewWord("chien", 4, level);
    const std::string wrong = "ABDFGJKLMOPQ";
    std::set<Piece> shown;
    for (int i = 0; i < limit - 1; ++i) {
        const PickOutcome outcome = game.Pick(wrong[static_cast<std::size_t>(i)]);
        QCOMPARE(outcome.status, Status::NotFound);
        QCOMPARE(countCues(outcome, Cue::SonErreur), 1);
        QCOMPARE(countCues(outcome, Cue::SonPerdu), 0);
        const std::set<Piece> now = piecesShownBy(outcome);
        QVERIFY(!now.empty());
        shown.insert(now.begin(), now.end());
    }
    QVERIFY(shown.size() < 10);
    const PickOutcome last = game.Pick(wrong[static_cast<std::size_t>(limit - 1)]);
    QCOMPARE(last.status, Status::Lost);
    QCOMPARE(game.word().NbErreur, limit);
    QCOMPARE(countCues(last, Cue::SonErreur), 0);
    QCOMPARE(countCues(last, Cue::SonPerdu), 1);
    const std::set<Piece> now = piecesShownBy(last);
    shown.insert(now.begin(), now.end());
    QCOMPARE(shown.size(), std::size_t(10));
    QVERIFY(infoText(last));
    QCOMPARE(*infoText(last), std::string("Perdu !\r\nC'\xE9tait : CHIEN"));

    // The effects after the pieces, in their order.
    std::vector<Kind> tail;
    for (const PickEffect& e : last.effects)
        if (e.kind != Kind::ShowPiece && e.kind != Kind::ShowMask)
            tail.push_back(e.kind);
    const std::vector<Kind> expected = {Kind::Cue, Kind::ShowInfo, Kind::ClearWord,
                                        Kind::StopCountdown, Kind::RefreshCounters};
    QVERIFY(tail == expected);
    QCOMPARE(last.effects.front().kind, Kind::ShowMask);
}

void TestGameRules::timeOutCountsAsAWrongPick()
{
    HangmanGame game;
    game.NewWord("chien", 4, 3);
    game.Pick('C');
    const PickOutcome outcome = game.TimeOut();
    QCOMPARE(outcome.status, Status::NotFound);
    QCOMPARE(game.word().NbEssai, 2);
    QCOMPARE(game.word().NbErreur, 1);
    QVERIFY(piecesShownBy(outcome) == (std::set<Piece>{Piece::ImgBas, Piece::ImgCoter}));
    QCOMPARE(countCues(outcome, Cue::SonErreur), 1);
    // No tried-letter flag for "@": time-outs never count as repeats.
    QVERIFY(!game.word().LettreEssayee['@' - 32]);
    for (int i = 2; i < 6; ++i)
        QCOMPARE(game.TimeOut().status, Status::NotFound);
    const PickOutcome last = game.TimeOut();
    QCOMPARE(last.status, Status::Lost);
    QCOMPARE(game.word().NbErreur, 6);
    QCOMPARE(game.word().NbEssai, 7);
}

void TestGameRules::winAddsPointsAndRightPicksTimesLevel()
{
    HangmanGame game;
    game.NewWord("chien", 10, 2);
    game.Pick('X');
    game.Pick('Z');
    for (const char letter : std::string("CHIE"))
        QCOMPARE(game.Pick(letter).status, Status::Found);
    const PickOutcome last = game.Pick('N');
    QCOMPARE(last.status, Status::Won);
    QCOMPARE(game.record().Score, 40);
    QCOMPARE(game.record().NbMotTrouve, 1);
    QCOMPARE(game.word().NbEssai, 7);
    QVERIFY(infoText(last));
    QCOMPARE(*infoText(last), std::string("BRAVO !!!\r\nC'\xE9tait : CHIEN\r\nGagner en :7"));
    QCOMPARE(countCues(last, Cue::SonGagner), 1);
    QCOMPARE(countEffects(last, Kind::ClearWord), 1);
    QCOMPARE(countEffects(last, Kind::StopCountdown), 1);
    QCOMPARE(last.effects.back().kind, Kind::RefreshCounters);
}

void TestGameRules::lossNeverTakesTheScoreBelowZero()
{
    HangmanGame game;
    game.NewWord("abcd", 12, 1);
    pickAllLetters(game); // 12 + 2 × 4
    QCOMPARE(game.record().Score, 20);

    game.NewWord("chien", 12, 3);
    PickOutcome last;
    for (const char letter : std::string("ABDFGJ"))
        last = game.Pick(letter);
    QCOMPARE(last.status, Status::Lost);
    QCOMPARE(game.record().Score, 0);

    game.NewWord("chien", 3, 2);
    for (const char letter : std::string("ABDFGJKL"))
        last = game.Pick(letter);
    QCOMPARE(last.status, Status::Lost);
    QCOMPARE(game.record().Score, 0);
    QCOMPARE(game.record().NbMotTrouve, 1);
    QCOMPARE(game.record().NbMotJoue, 2);
}

void TestGameRules::hyphenAndApostropheMustBePicked()
{
    for (const std::string stored : {"porte-cl\xE9s", "aujourd'hui"}) {
        HangmanGame game;
        game.NewWord(stored, 9, 1);
        PickOutcome last;
        for (const char letter : game.word().Mot)
            if (letter != '-' && letter != '\'' && !game.word().LettreEssayee[letter - 32])
                last = game.Pick(letter);
        QCOMPARE(last.status, Status::Found);
        const char mark = stored.find('-') != std::string::npos ? '-' : '\'';
        QCOMPARE(std::count(game.word().MotMasque.begin(), game.word().MotMasque.end(), '\x81'), 1);
        QCOMPARE(game.word().MotMasque.find('\x81'), game.word().Mot.find(mark));
        QCOMPARE(game.Pick(mark).status, Status::Won);
    }
}

void TestGameRules::wordWithOeCanOnlyBeLost()
{
    HangmanGame game;
    game.NewWord("c\x9Cur", 6, 1);
    // Its own letters first, then every other item of the list.
    const std::string items = "CURABDEFGHIJKLMNOPQSTVWXYZ-'";
    PickOutcome last;
    for (const char letter : items) {
        last = game.Pick(letter);
        QVERIFY(last.status != Status::Won);
        if (last.status == Status::Lost)
            break;
    }
    QCOMPARE(last.status, Status::Lost);
    QCOMPARE(game.word().MotMasque, std::string("C\x81UR"));
}

void TestGameRules::finishedWordIgnoresPicks()
{
    HangmanGame game;
    game.NewWord("abcd", 5, 1);
    pickAllLetters(game);
    QVERIFY(!game.acceptsPicks());
    const GameRecord record = game.record();
    const WordInPlay word = game.word();
    for (const PickOutcome& outcome : {game.Pick('Z'), game.TimeOut(), game.Pick('A')}) {
        QCOMPARE(outcome.status, Status::Ignored);
        QVERIFY(outcome.effects.empty());
    }
    QCOMPARE(game.record().Score, record.Score);
    QCOMPARE(game.record().NbMotTrouve, record.NbMotTrouve);
    QCOMPARE(game.word().NbEssai, word.NbEssai);
    QCOMPARE(game.word().NbErreur, word.NbErreur);

    game.NewWord("chien", 5, 3);
    for (int i = 0; i < 6; ++i)
        game.TimeOut();
    QVERIFY(!game.acceptsPicks());
    QCOMPARE(game.TimeOut().status, Status::Ignored);
    QCOMPARE(game.word().NbErreur, 6);

    game.NewWord("chien", 5, 1);
    QVERIFY(game.acceptsPicks());
    QCOMPARE(game.Pick('C').status, Status::Found);
}

void TestGameRules::piecesTable()
{
    using enum Piece;
    const std::vector<std::vector<std::vector<Piece>>> table = {{{ImgBas},
                                                                 {ImgCoter},
                                                                 {ImgHaut},
                                                                 {ImgPendu},
                                                                 {ImgTete},
                                                                 {ImgCorps},
                                                                 {ImgBras1},
                                                                 {ImgBras2},
                                                                 {ImgJambe1},
                                                                 {ImgJambe2}},
                                                                {{ImgBas},
                                                                 {ImgCoter},
                                                                 {ImgHaut},
                                                                 {ImgPendu},
                                                                 {ImgTete},
                                                                 {ImgCorps},
                                                                 {ImgBras1, ImgBras2},
                                                                 {ImgJambe1, ImgJambe2}},
                                                                {{ImgBas, ImgCoter},
                                                                 {ImgHaut, ImgPendu},
                                                                 {ImgTete},
                                                                 {ImgCorps},
                                                                 {ImgBras1, ImgBras2},
                                                                 {ImgJambe1, ImgJambe2}}};
    QCOMPARE(highestLevel(), static_cast<int>(table.size()));
    for (int level = 1; level <= 3; ++level) {
        const auto& rows = table[static_cast<std::size_t>(level - 1)];
        QCOMPARE(errorLimit(level), static_cast<int>(rows.size()));
        QVERIFY(piecesToShow(level, 0).empty());
        QVERIFY(piecesToShow(level, errorLimit(level) + 1).empty());
        for (std::size_t i = 0; i < rows.size(); ++i)
            QVERIFY2(piecesToShow(level, static_cast<int>(i + 1)) == rows[i],
                     qPrintable(QStringLiteral("level %1, error %2").arg(level).arg(i + 1)));
    }
    QCOMPARE(QByteArray(pieceName(ImgJambe2)), QByteArray("ImgJambe2"));
    QCOMPARE(QByteArray(pieceName(ImgBas)), QByteArray("ImgBas"));
}

void TestGameRules::levelOutsideTheRangePlaysAsTheNearest()
{
    QCOMPARE(clampLevel(0), 1);
    QCOMPARE(clampLevel(-5), 1);
    QCOMPARE(clampLevel(4), 3);
    QCOMPARE(errorLimit(0), 10);
    QCOMPARE(errorLimit(4), 6);
    QVERIFY(piecesToShow(4, 1) == piecesToShow(3, 1));

    HangmanGame game;
    game.NewWord("chien", 10, 4);
    QCOMPARE(game.record().Niveau, 3);
    QCOMPARE(game.wordValue(), 30);
    PickOutcome last;
    for (const char letter : std::string("ABDFGJ"))
        last = game.Pick(letter);
    QCOMPARE(last.status, Status::Lost);

    game.NewWord("chien", 10, 0);
    QCOMPARE(game.record().Niveau, 1);
    last = pickAllLetters(game);
    QCOMPARE(last.status, Status::Won);
    QCOMPARE(game.record().Score, 20); // (10 + 2 × 5) × 1
}

QTEST_APPLESS_MAIN(TestGameRules)
#include "tst_rules.moc"

// One formula for every word: the shipped list was made with it, and words a
// player adds are valued by it.
void TestGameRules::shippedWordsFollowTheWordRules()
{
    QFile list(QStringLiteral(CORBELET_SOURCE_DIR "/data/mots.tsv"));
    QVERIFY(list.open(QIODevice::ReadOnly));
    int words = 0;
    while (!list.atEnd()) {
        const QList<QByteArray> fields = list.readLine().trimmed().split('\t');
        QCOMPARE(fields.size(), 5);
        const std::string word = fields[0].toStdString();
        QVERIFY2(IsWinnable(word), word.c_str());
        QCOMPARE(SpelledOutWord(word), word);
        QCOMPARE(QByteArray::number(WordPoints(word)), fields[2]);
        ++words;
    }
    QVERIFY(words > 19000);
    QVERIFY(!IsWinnable("-bof") && !IsWinnable("c\xE6ur") && !IsWinnable("3 mots"));
    QCOMPARE(SpelledOutWord("c\x9Cur l\x92\xE6"), "coeur l'ae");
}
