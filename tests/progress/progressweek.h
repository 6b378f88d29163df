#pragma once

// A week of games of the progress tests (Windows-1252 texts), over the words
// of the word store's fixture base; "today" is kToday.

#include "wordstore/wordcatalogue.h"

#include <vector>

namespace ProgressWeek {

inline constexpr char kToday[] = "2026-03-15";

// Missed most: élève 3 times, porte-clés twice, chanter once. Won with the
// most points: zigzag, arbre, maison, vite. A player's name with the CSV
// separator and quotes.
inline const std::vector<WordCatalogue::ProgressRow> kGames = {
    {"2026-03-09 10:00:00", "Zo\xE9", "\xE9l\xE8ve", 1, false, -14, 10, 40, false},
    {"2026-03-09 10:05:00", "Zo\xE9", "maison", 1, true, 23, 2, 30, false},
    {"2026-03-10 17:00:00", "Zo\xE9", "porte-cl\xE9s", 2, false, -44, 8, 60, false},
    {"2026-03-11 17:00:00", "Zo\xE9", "\xE9l\xE8ve", 2, false, -28, 8, 50, false},
    {"2026-03-11 17:03:00", "Zo\xE9", "arbre", 2, true, 40, 1, 20, true},
    {"2026-03-12 09:00:00", "Zo\xE9", "zigzag", 3, true, 150, 0, 15, false},
    {"2026-03-13 09:00:00", "Zo\xE9", "\xE9l\xE8ve", 3, false, -42, 6, 70, false},
    {"2026-03-13 09:02:00", "Zo\xE9", "porte-cl\xE9s", 3, false, -66, 6, 80, false},
    {"2026-03-14 16:00:00", "L\xE9o \"le grand\"; CM1", "vite", 1, true, 18, 3, 25, false},
    {"2026-03-15 08:00:00", "Zo\xE9", "chanter", 1, false, -10, 10, 90, false},
};

} // namespace ProgressWeek
