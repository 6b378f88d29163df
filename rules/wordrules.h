#pragma once

// The word-level rules of the game that need no window: accent folding, the
// levels and the pieces of the hangman drawing. Words are Windows-1252 byte
// strings.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The byte that stands for a hidden position of the masked word.
inline constexpr char kHiddenLetter = '\x81';

// The letter of a time-out pick: not among the 28 items of the letter list.
inline constexpr char kTimeOutLetter = '@';

// Accent folding: each accented Latin letter of Windows-1252 becomes its base
// letter, byte for byte; every other byte is kept. The copy stops at the first
// zero byte.
std::string SansAccent(std::string_view text);

// The word as it is played: accent-folded, then upper-cased as the French
// locale does.
std::string PlayedWord(std::string_view storedWord);

// Whether the word as it is played hides some of the stored word's spelling:
// its capitals differ from the stored word merely upper-cased (an accent, a
// cedilla folded away), so that the player needs to see the real spelling.
bool SpellingFolded(std::string_view storedWord);

// The symbol of the letter list ('A'..'Z', '-' or '\'') that a typed character
// picks: a letter folds and upper-cases as the words do (é, è, ê, ë give 'E';
// ç gives 'C'; ÿ gives 'Y'), and the typographic apostrophe ’ stands for the
// apostrophe. 0 when the character picks nothing (a digit, œ, a control…).
char typedLetter(char32_t character);

// The ten pieces of the hangman drawing.
enum class Piece
{
    ImgBas,
    ImgCoter,
    ImgHaut,
    ImgPendu,
    ImgTete,
    ImgCorps,
    ImgBras1,
    ImgBras2,
    ImgJambe1,
    ImgJambe2
};
inline constexpr int kPieceCount = 10;
// The piece's control name ("ImgBas"…).
const char* pieceName(Piece piece);

// The levels are 1 to highestLevel(), the number of tables of pieces; any
// other value plays as the nearest of them.
std::int32_t highestLevel();
std::int32_t clampLevel(std::int32_t level);
// The count of wrong picks that loses a word: the length of the level's table
// of pieces (10, 8 or 6).
std::int32_t errorLimit(std::int32_t level);
// The pieces that become visible when the wrong picks reach nbErreur (nothing
// for 0 or beyond the limit).
std::vector<Piece> piecesToShow(std::int32_t level, std::int32_t nbErreur);
