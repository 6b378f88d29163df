#pragma once

// The player's own words in a base on this machine, after a newer shipped
// base replaced the player's copy and carried the player's tables over.

#include <string>
#include <vector>

class TWordStore;

// When the data folder named by the server arguments (the last --datadir=)
// holds the marker WordCatalogue::kPlayerTablesPendingFile, refills the words
// the game reads from the shipped words and the player's tables, all or
// nothing, then removes the marker. The words the player added that the
// shipped base now holds leave the player's words; returns how many. Raises
// the store's error when a statement fails; the marker then stays for the
// next connection.
int ReapplyPlayerWords(TWordStore& store, const std::vector<std::string>& serverArguments);

// What the player is told when a newer shipped base holds `count` (> 0) of
// the words the player added, in French.
std::string AddedWordsNowShippedText(int count);
