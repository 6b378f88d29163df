#pragma once

// The word-filter fragments: SQL conditions, empty or beginning with " AND",
// that the word draw and the word count append to their WHERE clause.

#include <string>
#include <string_view>
#include <vector>

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

// The LIKE pattern of the genre table for an entry of the genre list
// ("%Fem%", "%Mas%", "%Inv%"); empty for any other entry.
std::string_view genrePattern(int genreIndex);

// Whether a value of the genre table may go into the SQL text: decimal digits
// only, so that a tampered word base cannot inject SQL.
bool isGenreIdentifier(std::string_view value);

// " AND ref_genre IN (" followed by each identifier and ", ", then "0)";
// values that are not genre identifiers are skipped.
std::string genreFilter(const std::vector<std::string>& identifiers);

// Runs the genre query for an entry of the genre list on query and builds
// FiltreGenre from its rows; empty for "Pas d'importance" and no selection
// (no query then). Errors of the query are raised.
std::string queryGenreFilter(TWordQuery& query, int genreIndex);

} // namespace WordFilters
