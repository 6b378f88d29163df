#pragma once

// The hint of a word, for a player who asks for help: a teacher's
// vocabulary files bring one per word (KVTML, CSV), which corbelet-mots keeps
// in the catalogue's kHintTable.

#include <optional>
#include <string>

class TWordStore;

// The hint of `word` as the game drew it (Windows-1252, as the base holds
// it): the one it has in `list` (the list the game draws from; none: all the
// words) first, else its hint in any list. None when the word has no hint,
// or when the base was made before hints existed. Raises the store's error
// when a statement fails.
std::optional<std::string> HintOf(TWordStore& store, const std::string& word,
                                  const std::optional<std::string>& list);

// The hint of the word the game drew, in the list it draws from
// (ReadPlayedList) first, as HintOf.
std::optional<std::string> HintOfDrawnWord(TWordStore& store, const std::string& word);
