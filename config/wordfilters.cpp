#include "config/wordfilters.h"

#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <optional>
#include <vector>

namespace WordFilters {

namespace {

// The genres an entry of the genre list asks for; none for "Pas d'importance"
// and no selection.
std::optional<WordCatalogue::GenreKind> genreKind(int genreIndex)
{
    switch (genreIndex) {
    case 1:
        return WordCatalogue::GenreKind::Feminine;
    case 2:
        return WordCatalogue::GenreKind::Masculine;
    case 3:
        return WordCatalogue::GenreKind::Invariable;
    default:
        return std::nullopt;
    }
}

} // namespace

std::string typeFilter(int typeIndex)
{
    using WordCatalogue::WordType;
    switch (typeIndex) {
    case Verb:
        return WordCatalogue::typeFilter(WordType::Verb);
    case Adverb:
        return WordCatalogue::typeFilter(WordType::Adverb);
    case Adjective:
        return WordCatalogue::typeFilter(WordType::Adjective);
    case Noun:
        return WordCatalogue::typeFilter(WordType::Noun);
    default:
        return {};
    }
}

std::string queryGenreFilter(TWordQuery& query, int genreIndex)
{
    const std::optional<WordCatalogue::GenreKind> kind = genreKind(genreIndex);
    if (!kind)
        return {};
    const std::vector<std::string> lines = WordCatalogue::genreIdentifiersStatement(*kind);
    query.SetSQL(lines.front());
    for (auto line = lines.begin() + 1; line != lines.end(); ++line)
        query.AddSQL(*line);
    query.Open();
    std::vector<std::string> identifiers;
    query.First();
    while (!query.Eof()) {
        identifiers.push_back(query.FindField(WordCatalogue::kGenreId).AsString());
        query.Next();
    }
    // The query stays open: the game sets its own statement before its next use.
    return WordCatalogue::genreFilter(identifiers);
}

} // namespace WordFilters
