#pragma once

// The player's progress: every finished word, won or lost, recorded in the
// player's own base (the catalogue's kProgressTable, made when a base made
// before it lacks it), and the summaries the "Progrès" page and corbelet-mots
// read from it. On a classroom's MariaDB server (a store with Server set)
// nothing is recorded and every summary is empty: the pupils' account there
// only reads, and a class's progress is no one player's.

#include "wordstore/wordcatalogue.h"

#include <string>
#include <string_view>
#include <vector>

class TWordStore;

// How many words the "most missed" summary and the review list take.
inline constexpr int kMostMissedWords = 20;
// The list the most missed words go to from the "Progrès" page
// (Windows-1252: « À revoir »).
inline constexpr std::string_view kReviewListName = "\xC0 revoir";

// The name a finished word is recorded under when the game gives none: the
// user's login name (Windows-1252 as far as it goes).
std::string DefaultPlayerName();

// Records one finished word: one INSERT. `row.player` empty: the
// DefaultPlayerName(); `row.time` empty: now. Does nothing on a server.
// Raises the store's error.
void RecordFinishedWord(TWordStore& store, WordCatalogue::ProgressRow row);

// Every recorded word, oldest first.
std::vector<WordCatalogue::ProgressRow> ReadProgress(TWordStore& store);
// The words won with the most points, best first.
std::vector<WordCatalogue::ProgressRow> ReadBestScores(TWordStore& store, int count = 10);

// The words won and lost on one day ("YYYY-MM-DD").
struct DayResults
{
    std::string day;
    int won = 0;
    int lost = 0;
};
// Each day with words played since `since` ("YYYY-MM-DD"; empty: all), oldest first.
std::vector<DayResults> ReadDailyResults(TWordStore& store, const std::string& since = {});

// A word lost, and how many times.
struct MissedWord
{
    std::string word; // Windows-1252
    int times = 0;
};
// The words lost most often, the most often first.
std::vector<MissedWord> ReadMostMissed(TWordStore& store, int count = kMostMissedWords);

// What MakeReviewList did: the missed words it took, and the rows it added
// to the list (a word is one row per type; a word the list holds already, or
// that the base no longer knows, adds none).
struct ReviewListResult
{
    int missedWords = 0;
    int addedRows = 0;
};
// Adds the most missed words to the named list (Windows-1252; made when
// missing) of `database`, all or nothing; the game draws them at once when it
// draws from that list. Nothing is written when no word was missed. Raises
// std::invalid_argument (French) for a name a list cannot have, the store's
// error, or a French error when the disk lacks room.
ReviewListResult MakeReviewList(TWordStore& store, const std::string& list,
                                std::string_view database, int count = kMostMissedWords);
