#pragma once

// What a word is worth and whether it can be played at all: the rules every
// word of a base follows, the shipped ones and those a player adds. Words are
// Windows-1252 byte strings as stored.

#include <cstdint>
#include <string>
#include <string_view>

// The word as a base stores it: the ligatures œ and æ spelled out (the letter
// list has no key for them) and the typographic apostrophe ’ as '.
std::string SpelledOutWord(std::string_view word);

// Whether the word can be won: played (folded and upper-cased), it holds only
// the 28 symbols of the letter list, begins and ends with a letter.
bool IsWinnable(std::string_view storedWord);

// The points of a winnable word, 2 to 52, growing with how hard it is to
// guess. With the played word's n characters and D distinct symbols: a
// player picking in French frequency order (E A S I N T R U L O D C M P V Q
// F B G H J X Y Z K W - ') makes M = p − D wrong picks, p being the position
// of the word's rarest symbol in that order; R sums the rarity of its
// distinct symbols (0 for E A S I N T R U L O, 1 for D C M P, 2 for
// V Q F B G H, 4 for J X Y Z, 5 for K W - '); S = max(0, 9 − n) rewards
// short words and P = n − D counts repeats. Then raw = 1.5·M + R + 2·S − P
// and the points are min(52, max(2, 2 + floor(raw + 0.5))).
std::int32_t WordPoints(std::string_view storedWord);
