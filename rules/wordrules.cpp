#include "rules/wordrules.h"

#include "text/windows1252.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr std::array<char, 256> makeFoldTable()
{
    std::array<char, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[static_cast<std::size_t>(byte)] = static_cast<char>(byte);
    auto range = [&table](int first, int last, char letter) {
        for (int byte = first; byte <= last; ++byte)
            table[static_cast<std::size_t>(byte)] = letter;
    };
    range(0xC0, 0xC5, 'A');
    range(0xC7, 0xC7, 'C');
    range(0xC8, 0xCB, 'E');
    range(0xCC, 0xCF, 'I');
    range(0xD1, 0xD1, 'N');
    range(0xD2, 0xD6, 'O');
    range(0xD9, 0xDC, 'U');
    range(0xDD, 0xDD, 'Y');
    range(0x9F, 0x9F, 'Y');
    range(0x8A, 0x8A, 'S');
    range(0x8E, 0x8E, 'Z');
    range(0xE0, 0xE5, 'a');
    range(0xE7, 0xE7, 'c');
    range(0xE8, 0xEB, 'e');
    range(0xEC, 0xEF, 'i');
    range(0xF1, 0xF1, 'n');
    range(0xF2, 0xF6, 'o');
    range(0xF9, 0xFC, 'u');
    range(0xFD, 0xFD, 'y');
    range(0xFF, 0xFF, 'y');
    range(0x9A, 0x9A, 's');
    range(0x9E, 0x9E, 'z');
    return table;
}

constexpr std::array<char, 256> kFoldTable = makeFoldTable();

// The pieces each wrong pick reveals, one table per level: row n of a table
// holds the pieces of the n-th wrong pick, and its last row loses the word.
const std::vector<std::vector<std::vector<Piece>>>& levelTables()
{
    using enum Piece;
    static const std::vector<std::vector<std::vector<Piece>>> tables = {
        {{ImgBas},
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
         {ImgJambe1, ImgJambe2}},
    };
    return tables;
}

const std::vector<std::vector<Piece>>& levelTable(std::int32_t level)
{
    return levelTables()[static_cast<std::size_t>(clampLevel(level) - 1)];
}

} // namespace

std::string SansAccent(std::string_view text)
{
    std::string folded;
    folded.reserve(text.size());
    for (const char byte : text) {
        if (byte == '\0')
            break;
        folded.push_back(kFoldTable[static_cast<unsigned char>(byte)]);
    }
    return folded;
}

std::string PlayedWord(std::string_view storedWord)
{
    return Windows1252::upperCase(SansAccent(storedWord));
}

bool SpellingFolded(std::string_view storedWord)
{
    return PlayedWord(storedWord) != Windows1252::upperCase(storedWord);
}

char typedLetter(char32_t character)
{
    if (character == U'\u2019')
        return '\'';
    const std::optional<unsigned char> byte = Windows1252::fromUnicode(character);
    if (!byte || *byte == 0)
        return 0;
    const char symbol = PlayedWord(std::string(1, static_cast<char>(*byte))).front();
    const bool listed = (symbol >= 'A' && symbol <= 'Z') || symbol == '-' || symbol == '\'';
    return listed ? symbol : 0;
}

const char* pieceName(Piece piece)
{
    static constexpr std::array<const char*, kPieceCount> names = {
        "ImgBas",   "ImgCoter", "ImgHaut",  "ImgPendu",  "ImgTete",
        "ImgCorps", "ImgBras1", "ImgBras2", "ImgJambe1", "ImgJambe2"};
    return names[static_cast<std::size_t>(piece)];
}

std::int32_t highestLevel()
{
    return static_cast<std::int32_t>(levelTables().size());
}

std::int32_t clampLevel(std::int32_t level)
{
    return std::clamp<std::int32_t>(level, 1, highestLevel());
}

std::int32_t errorLimit(std::int32_t level)
{
    return static_cast<std::int32_t>(levelTable(level).size());
}

std::vector<Piece> piecesToShow(std::int32_t level, std::int32_t nbErreur)
{
    const auto& table = levelTable(level);
    if (nbErreur < 1 || nbErreur > static_cast<std::int32_t>(table.size()))
        return {};
    return table[static_cast<std::size_t>(nbErreur - 1)];
}
