// The committed word list (data/mots.tsv) and genre rows (data/isgenre.tsv):
// the rules every shipped word must keep so that the game can draw it, show
// it and let the player win it, and the shape the base builder reads.

#include "text/windows1252.h"
#include "wordtool/wordreview.h"

#include <QTest>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int MinWords = 15000;
constexpr int MinPoint = 2;
constexpr int MaxPoint = 52;
constexpr int VerbGenre = 35;

struct Word
{
    std::string mots;
    int taille = 0;
    int point = 0;
    int refType = 0;
    int refGenre = 0;
};

struct Genre
{
    int id = 0;
    std::string desc;
};

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("cannot open " + path);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Lines ended by LF; the file must end with one and hold no CR.
std::vector<std::string> readLines(const std::string& path)
{
    const std::string bytes = readFile(path);
    if (bytes.empty() || bytes.back() != '\n')
        throw std::runtime_error(path + " does not end with a line feed");
    if (bytes.find('\r') != std::string::npos)
        throw std::runtime_error(path + " holds a carriage return");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t end; (end = line.find('\t', start)) != std::string::npos; start = end + 1)
        fields.push_back(line.substr(start, end - start));
    fields.push_back(line.substr(start));
    return fields;
}

// A decimal integer without sign or leading zero, as the base builder loads it.
bool parseNumber(const std::string& text, int& value)
{
    if (text.empty() || (text.size() > 1 && text[0] == '0'))
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// Accent folding of the game's alphabet, from the Windows-1252 table:
// À-Å→A, Ç→C, È-Ë→E, Ì-Ï→I, Ñ→N, Ò-Ö→O, Ù-Ü→U, Ý/Ÿ→Y, Š→S, Ž→Z and the lower
// case counterparts; then ASCII upper-casing.
char foldByte(unsigned char c)
{
    if (c >= 0xC0 && c <= 0xC5)
        return 'A';
    if (c >= 0xE0 && c <= 0xE5)
        return 'a';
    if (c == 0xC7)
        return 'C';
    if (c == 0xE7)
        return 'c';
    if (c >= 0xC8 && c <= 0xCB)
        return 'E';
    if (c >= 0xE8 && c <= 0xEB)
        return 'e';
    if (c >= 0xCC && c <= 0xCF)
        return 'I';
    if (c >= 0xEC && c <= 0xEF)
        return 'i';
    if (c == 0xD1)
        return 'N';
    if (c == 0xF1)
        return 'n';
    if (c >= 0xD2 && c <= 0xD6)
        return 'O';
    if (c >= 0xF2 && c <= 0xF6)
        return 'o';
    if (c >= 0xD9 && c <= 0xDC)
        return 'U';
    if (c >= 0xF9 && c <= 0xFC)
        return 'u';
    if (c == 0xDD || c == 0x9F)
        return 'Y';
    if (c == 0xFD || c == 0xFF)
        return 'y';
    if (c == 0x8A)
        return 'S';
    if (c == 0x9A)
        return 's';
    if (c == 0x8E)
        return 'Z';
    if (c == 0x9E)
        return 'z';
    return static_cast<char>(c);
}

std::string foldUpper(std::string_view text)
{
    std::string folded;
    for (const char c : text) {
        char f = foldByte(static_cast<unsigned char>(c));
        if (f >= 'a' && f <= 'z')
            f = static_cast<char>(f - 'a' + 'A');
        folded.push_back(f);
    }
    return folded;
}

bool isGameSymbol(char c)
{
    return (c >= 'A' && c <= 'Z') || c == '-' || c == '\'';
}

// Capitals of Windows-1252: A-Z, À-Þ but ×, and Š Œ Ž Ÿ.
bool isCapital(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || c == 0x8A ||
           c == 0x8C || c == 0x8E || c == 0x9F;
}

// desc_genre LIKE "%needle%" under a case-insensitive collation. accentBlind
// says whether accents count: the plain form is what the server surely matches,
// the folded form also catches what an accent-blind collation would match.
bool likeContains(std::string_view desc, std::string_view needle, bool accentBlind)
{
    auto upper = [accentBlind](std::string_view text) {
        if (accentBlind)
            return foldUpper(text);
        std::string result(text);
        for (char& c : result)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        return result;
    };
    return upper(desc).find(upper(needle)) != std::string::npos;
}

QByteArray show(const std::string& windows1252)
{
    return QByteArray::fromStdString(Windows1252::toUtf8(windows1252));
}

} // namespace

class TestWordList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wordsAreWellFormed();
    void wordsAreWinnable();
    void pointsAreSpread();
    void pointsGrowWithDifficulty();
    void typesAndGenres();
    void genreRowsAnswerTheFilters();
    void sortedWithoutDuplicates();
    void commonWordsArePresent_data();
    void commonWordsArePresent();
    void noExcludedWordIsShipped();
    void keptWordsAreShipped();

private:
    WordReview m_review;
    std::vector<std::string> m_wordLines;
    std::vector<Word> m_words;
    std::vector<Genre> m_genres;
};

void TestWordList::initTestCase()
{
    const std::string dataDir = std::string(CORBELET_SOURCE_DIR) + "/data/";
    std::vector<std::string> genreLines;
    try {
        m_review = WordReview::parse(readFile(dataDir + "exclusions.tsv"));
        m_wordLines = readLines(dataDir + "mots.tsv");
        genreLines = readLines(dataDir + "isgenre.tsv");
    } catch (const std::runtime_error& error) {
        QFAIL(error.what());
    }
    for (const std::string& line : m_wordLines) {
        const auto fields = splitTabs(line);
        Word word;
        if (fields.size() == 5) {
            word.mots = fields[0];
            parseNumber(fields[1], word.taille);
            parseNumber(fields[2], word.point);
            parseNumber(fields[3], word.refType);
            parseNumber(fields[4], word.refGenre);
        }
        m_words.push_back(word);
    }

    for (const std::string& line : genreLines) {
        const auto fields = splitTabs(line);
        QVERIFY2(fields.size() == 2, show(line));
        Genre genre;
        QVERIFY2(parseNumber(fields[0], genre.id), show(line));
        genre.desc = fields[1];
        QVERIFY2(!genre.desc.empty(), show(line));
        m_genres.push_back(genre);
    }
    QVERIFY(!m_genres.empty());
}

void TestWordList::wordsAreWellFormed()
{
    QVERIFY2(m_words.size() >= MinWords, QByteArray::number(qsizetype(m_words.size())));
    for (const std::string& line : m_wordLines) {
        const auto fields = splitTabs(line);
        QVERIFY2(fields.size() == 5, show(line));
        QVERIFY2(!fields[0].empty(), show(line));
        int value = 0;
        for (int i = 1; i < 5; ++i)
            QVERIFY2(parseNumber(fields[i], value), show(line));
    }
    for (const Word& word : m_words) {
        // One byte per character in Windows-1252: taille is the byte length.
        QVERIFY2(word.taille == int(word.mots.size()), show(word.mots));
        QVERIFY2(word.taille >= 2 && word.taille <= 25, show(word.mots));
        QVERIFY2(word.point >= MinPoint && word.point <= MaxPoint, show(word.mots));
    }
}

void TestWordList::wordsAreWinnable()
{
    for (const Word& word : m_words) {
        // Lower case, ligatures written out (coeur, not cœur), and once folded
        // and upper-cased only the 28 symbols the player can pick.
        QVERIFY2(std::none_of(word.mots.begin(), word.mots.end(),
                              [](char c) { return isCapital(static_cast<unsigned char>(c)); }),
                 show(word.mots));
        const std::string folded = foldUpper(word.mots);
        QVERIFY2(std::all_of(folded.begin(), folded.end(), isGameSymbol), show(word.mots));
        QVERIFY2(folded.front() >= 'A' && folded.front() <= 'Z', show(word.mots));
        QVERIFY2(folded.back() >= 'A' && folded.back() <= 'Z', show(word.mots));
    }
}

void TestWordList::pointsAreSpread()
{
    std::map<int, int> histogram;
    for (const Word& word : m_words)
        ++histogram[word.point];
    // Most of the 51 values in use, and no value holding more than 8 % of the
    // words, so that the point bounds of the settings pick meaningful subsets.
    QVERIFY2(histogram.size() >= 40, QByteArray::number(qsizetype(histogram.size())));
    for (const auto& [point, count] : histogram)
        QVERIFY2(count * 100 <= 8 * int(m_words.size()),
                 QByteArray::number(point) + " points: " + QByteArray::number(count));
    // Both ends of the range are reachable.
    QVERIFY(histogram.contains(MinPoint));
    QVERIFY(histogram.contains(MaxPoint));
}

void TestWordList::pointsGrowWithDifficulty()
{
    // Words with a rare letter are worth more on average than words without,
    // and short words more than long ones.
    auto mean = [this](auto&& keep) {
        double sum = 0;
        int count = 0;
        for (const Word& word : m_words)
            if (keep(word)) {
                sum += word.point;
                ++count;
            }
        return count ? sum / count : 0.0;
    };
    auto hasRare = [](const Word& word) {
        return foldUpper(word.mots).find_first_of("KWYZXJQ") != std::string::npos;
    };
    const double rare = mean(hasRare);
    const double plain = mean([&](const Word& w) { return !hasRare(w); });
    QVERIFY2(rare > plain + 5, QByteArray::number(rare) + " vs " + QByteArray::number(plain));
    const double shortWords = mean([](const Word& w) { return w.taille <= 4; });
    const double longWords = mean([](const Word& w) { return w.taille >= 10; });
    QVERIFY2(shortWords > longWords + 5,
             QByteArray::number(shortWords) + " vs " + QByteArray::number(longWords));
}

void TestWordList::typesAndGenres()
{
    std::set<int> genreIds;
    for (const Genre& genre : m_genres) {
        QVERIFY2(genre.id != 0, "0 is the genre filter's 'any genre'");
        QVERIFY2(genreIds.insert(genre.id).second, QByteArray::number(genre.id));
    }
    std::map<int, int> perType;
    for (const Word& word : m_words) {
        QVERIFY2(genreIds.contains(word.refGenre), show(word.mots));
        switch (word.refType) {
        case 9: // verb in the infinitive
            QVERIFY2(word.refGenre == VerbGenre, show(word.mots));
            break;
        case 2: // adverb
            QVERIFY2(word.refGenre == 3, show(word.mots));
            break;
        case 1: // adjective
        case 6: // noun
            QVERIFY2(word.refGenre >= 1 && word.refGenre <= 3, show(word.mots));
            break;
        default:
            QFAIL(show(word.mots).constData());
        }
        ++perType[word.refType];
    }
    // Every type of the type filter has words to draw.
    for (const int type : {1, 2, 6, 9})
        QVERIFY2(perType[type] > 0, QByteArray::number(type));
}

void TestWordList::genreRowsAnswerTheFilters()
{
    // The configuration lists the ids whose description is LIKE "%Mas%",
    // "%Fem%" or "%Inv%": each pattern selects its own row and no other, and
    // the verbs' row answers none of them.
    const std::map<std::string, int> expected{{"Mas", 1}, {"Fem", 2}, {"Inv", 3}};
    for (const auto& [needle, id] : expected) {
        for (const Genre& genre : m_genres) {
            if (genre.id == id)
                QVERIFY2(likeContains(genre.desc, needle, false), show(genre.desc));
            else
                QVERIFY2(!likeContains(genre.desc, needle, true),
                         show(genre.desc) + " answers %" + QByteArray::fromStdString(needle) + "%");
        }
    }
    QVERIFY(std::any_of(m_genres.begin(), m_genres.end(),
                        [](const Genre& g) { return g.id == VerbGenre; }));
}

void TestWordList::sortedWithoutDuplicates()
{
    for (std::size_t i = 1; i < m_words.size(); ++i) {
        const Word& previous = m_words[i - 1];
        const Word& word = m_words[i];
        // Byte order of the word, then type: a (word, type) pair appears once.
        const auto unsignedLess = [](const std::string& a, const std::string& b) {
            return std::lexicographical_compare(
                a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                });
        };
        const bool ordered = unsignedLess(previous.mots, word.mots) ||
                             (previous.mots == word.mots && previous.refType < word.refType);
        QVERIFY2(ordered, show(previous.mots) + " / " + show(word.mots));
    }
}

void TestWordList::commonWordsArePresent_data()
{
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("genre");
    QTest::newRow("élève") << QByteArray("élève") << 6 << 3;
    QTest::newRow("maison") << QByteArray("maison") << 6 << 2;
    QTest::newRow("coeur") << QByteArray("coeur") << 6 << 1;
    QTest::newRow("soeur") << QByteArray("soeur") << 6 << 2;
    QTest::newRow("oeuf") << QByteArray("oeuf") << 6 << 1;
    QTest::newRow("lionne") << QByteArray("lionne") << 6 << 2;
    QTest::newRow("arc-en-ciel") << QByteArray("arc-en-ciel") << 6 << 1;
    QTest::newRow("aujourd'hui") << QByteArray("aujourd'hui") << 2 << 3;
    QTest::newRow("rapidement") << QByteArray("rapidement") << 2 << 3;
    QTest::newRow("grand") << QByteArray("grand") << 1 << 1;
    QTest::newRow("facile") << QByteArray("facile") << 1 << 3;
    QTest::newRow("manger") << QByteArray("manger") << 9 << 35;
    QTest::newRow("être") << QByteArray("être") << 9 << 35;
}

void TestWordList::commonWordsArePresent()
{
    QFETCH(QByteArray, word);
    QFETCH(int, type);
    QFETCH(int, genre);
    const std::string mots = Windows1252::fromUtf8(word.toStdString());
    const auto found = std::find_if(m_words.begin(), m_words.end(), [&](const Word& w) {
        return w.mots == mots && w.refType == type;
    });
    QVERIFY(found != m_words.end());
    QCOMPARE(found->refGenre, genre);
}

// No word the review leaves out is shipped, under its own spelling or under
// the letters the game plays it with: corbelet-mots would name it.
void TestWordList::noExcludedWordIsShipped()
{
    for (const Word& word : m_words)
        QVERIFY2(!m_review.exclusionOf(word.mots), show(word.mots));
}

// Every word the review looked at and kept is still shipped.
void TestWordList::keptWordsAreShipped()
{
    std::set<std::string> shipped;
    for (const Word& word : m_words)
        shipped.insert(word.mots);
    const std::vector<std::string> kept = m_review.keptWords();
    QVERIFY(kept.size() > 50);
    for (const std::string& word : kept)
        QVERIFY2(shipped.contains(word), show(word));
}

QTEST_APPLESS_MAIN(TestWordList)
#include "tst_wordlist.moc"
