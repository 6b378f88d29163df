#pragma once

// The word-filter fragments of the configuration window's lists: SQL
// conditions, empty or beginning with " AND", that the word draw and the word
// count append to their WHERE clause. Their texts come from the word
// catalogue; this maps the lists' entries to them.

#include <string>

class TWordQuery;

namespace WordFilters {

// Entries of the type list.
enum TypeEntry
{
    AnyType = 0,
    Verb = 1,
    Adverb = 2,
    Adjective = 3,
    Noun = 4
};

// FiltreType for an entry of the type list; empty for "Pas d'importance" and
// for no selection.
std::string typeFilter(int typeIndex);

// Runs the genre query for an entry of the genre list ("Feminin", "Masculin",
// "Invariable") on query and builds FiltreGenre from its rows; empty for "Pas
// d'importance" and no selection (no query then). Errors of the query are
// raised.
std::string queryGenreFilter(TWordQuery& query, int genreIndex);

} // namespace WordFilters
