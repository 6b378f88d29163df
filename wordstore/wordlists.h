#pragma once

// The player's named lists as the game and the word list tool read them, and
// the choice of what the game draws from: all the words, or one list. The
// choice refills the words the game reads (the catalogue's kWordTable), all or
// nothing, so the game's own statements stay as they are.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TWordStore;

// A list and its number of words (rows: a word of two types counts twice, as
// the game counts them). The name is Windows-1252.
struct WordListSummary
{
    std::string name;
    int words = 0;
};

// Every list of the base, by name.
std::vector<WordListSummary> ReadWordLists(TWordStore& store);

// The list the game draws from; nothing for all the words.
std::optional<std::string> ReadPlayedList(TWordStore& store);

// Makes the game draw from the list (nothing: from all the words) in the
// database `database` of the store, all or nothing. The caller checks that
// the list exists. Raises the store's error when a statement fails, or a
// French error when the disk lacks the room the change may take; the base
// then stays as it was.
void PlayWordList(TWordStore& store, const std::optional<std::string>& list,
                  std::string_view database);
