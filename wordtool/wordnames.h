#pragma once

// The names a word list gives a word's type and genre, as corbelet-mots
// writes them (UTF-8, with their accents): in the import format it exports,
// and for the words of a vocabulary file whose type comes from the shipped
// base. The reader of lists takes these and a few more spellings.

#include "wordstore/wordcatalogue.h"

#include <string_view>

constexpr std::string_view TypeName(WordCatalogue::WordType type)
{
    switch (type) {
    case WordCatalogue::WordType::Noun:
        return "nom";
    case WordCatalogue::WordType::Verb:
        return "verbe";
    case WordCatalogue::WordType::Adjective:
        return "adjectif";
    case WordCatalogue::WordType::Adverb:
        return "adverbe";
    }
    return {};
}

constexpr std::string_view GenreName(WordCatalogue::GenreKind genre)
{
    switch (genre) {
    case WordCatalogue::GenreKind::Masculine:
        return "masculin";
    case WordCatalogue::GenreKind::Feminine:
        return "féminin";
    case WordCatalogue::GenreKind::Invariable:
        return "épicène";
    }
    return {};
}
