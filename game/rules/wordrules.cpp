#include "game/rules/wordrules.h"

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

std::string boundsClause(const WordFilter& filter)
{
    std::string clause;
    clause += std::to_string(filter.NbMotMin);
    clause += "  AND taille <= ";
    clause += std::to_string(filter.NbMotMax);
    clause += "  AND point >= ";
    clause += std::to_string(filter.NbPointMin);
    clause += "  AND point <= ";
    clause += std::to_string(filter.NbPointMax);
    clause += filter.FiltreType;
    clause += filter.FiltreGenre;
    return clause;
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

std::string DrawStatement(const WordFilter& filter)
{
    std::string statement = "SELECT * FROM motscommuns WHERE taille >= ";
    statement += boundsClause(filter);
    statement += " ORDER BY rand()";
    statement += " LIMIT 1;";
    return statement;
}

std::string CountAllStatement()
{
    return "SELECT COUNT(id_mots) AS Nb FROM motscommuns LIMIT 1;";
}

std::string CountStatement(const WordFilter& filter)
{
    std::string statement = "SELECT COUNT(id_mots) AS Nb FROM motscommuns WHERE taille >= ";
    statement += boundsClause(filter);
    statement += " LIMIT 1;";
    return statement;
}

const char* pieceName(Piece piece)
{
    static constexpr std::array<const char*, kPieceCount> names = {
        "ImgBas",   "ImgCoter", "ImgHaut",  "ImgPendu",  "ImgTete",
        "ImgCorps", "ImgBras1", "ImgBras2", "ImgJambe1", "ImgJambe2"};
    return names[static_cast<std::size_t>(piece)];
}

std::int32_t clampLevel(std::int32_t level)
{
    return std::clamp<std::int32_t>(level, 1, 3);
}

std::int32_t errorLimit(std::int32_t level)
{
    // The count that loses the word is the last row of the level's table.
    return clampLevel(level) == 1 ? 10 : clampLevel(level) == 2 ? 8 : 6;
}

std::vector<Piece> piecesToShow(std::int32_t level, std::int32_t nbErreur)
{
    using enum Piece;
    // The pieces each wrong pick reveals, by level: row n is the n-th wrong pick.
    static const std::vector<std::vector<Piece>> levelOne = {
        {ImgBas},   {ImgCoter}, {ImgHaut},  {ImgPendu},  {ImgTete},
        {ImgCorps}, {ImgBras1}, {ImgBras2}, {ImgJambe1}, {ImgJambe2}};
    static const std::vector<std::vector<Piece>> levelTwo = {{ImgBas},
                                                             {ImgCoter},
                                                             {ImgHaut},
                                                             {ImgPendu},
                                                             {ImgTete},
                                                             {ImgCorps},
                                                             {ImgBras1, ImgBras2},
                                                             {ImgJambe1, ImgJambe2}};
    static const std::vector<std::vector<Piece>> levelThree = {
        {ImgBas, ImgCoter}, {ImgHaut, ImgPendu},  {ImgTete},
        {ImgCorps},         {ImgBras1, ImgBras2}, {ImgJambe1, ImgJambe2}};
    const auto& table = clampLevel(level) == 1   ? levelOne
                        : clampLevel(level) == 2 ? levelTwo
                                                 : levelThree;
    if (nbErreur < 1 || nbErreur > static_cast<std::int32_t>(table.size()))
        return {};
    return table[static_cast<std::size_t>(nbErreur - 1)];
}
