#include "config/wordfilters.h"

#include "wordstore/wordstore.h"

namespace WordFilters {

std::string typeFilter(int typeIndex)
{
    switch (typeIndex) {
    case Verb:
        return " AND ref_type = 9 AND ref_genre = 35";
    case Adverb:
        return " AND ref_type = 2";
    case Adjective:
        return " AND ref_type = 1";
    case Noun:
        return " AND ref_type = 6";
    default:
        return {};
    }
}

std::string_view genrePattern(int genreIndex)
{
    switch (genreIndex) {
    case 1:
        return "%Fem%";
    case 2:
        return "%Mas%";
    case 3:
        return "%Inv%";
    default:
        return {};
    }
}

bool isGenreIdentifier(std::string_view value)
{
    if (value.empty())
        return false;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::string genreFilter(const std::vector<std::string>& identifiers)
{
    std::string filter = " AND ref_genre IN (";
    for (const std::string& identifier : identifiers) {
        if (isGenreIdentifier(identifier))
            filter.append(identifier).append(", ");
    }
    filter.append("0)");
    return filter;
}

std::string queryGenreFilter(TWordQuery& query, int genreIndex)
{
    const std::string_view pattern = genrePattern(genreIndex);
    if (pattern.empty())
        return {};
    query.SetSQL("SELECT * FROM isgenre WHERE desc_genre LIKE");
    query.AddSQL(std::string(" \"").append(pattern).append("\""));
    query.Open();
    std::vector<std::string> identifiers;
    query.First();
    while (!query.Eof()) {
        identifiers.push_back(query.FindField("id_genre").AsString());
        query.Next();
    }
    // The query stays open: the game sets its own statement before its next use.
    return genreFilter(identifiers);
}

} // namespace WordFilters
