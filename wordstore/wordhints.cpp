#include "wordstore/wordhints.h"

#include "wordstore/wordcatalogue.h"
#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"

namespace {

// Whether the base has the table of the hints.
bool hasHintTable(TWordQuery& query)
{
    query.SetSQL(WordCatalogue::hintTableCountStatement());
    query.Open();
    return query.FindField(WordCatalogue::kCountColumn).AsInteger() != 0;
}

} // namespace

std::optional<std::string> HintOf(TWordStore& store, const std::string& word,
                                  const std::optional<std::string>& list)
{
    TWordQuery query(store);
    if (!hasHintTable(query))
        return std::nullopt;
    query.SetSQL(WordCatalogue::hintStatement(word, list));
    query.Open();
    if (query.Eof())
        return std::nullopt;
    return query.FindField(WordCatalogue::kHintText).AsString();
}

std::optional<std::string> HintOfDrawnWord(TWordStore& store, const std::string& word)
{
    // Hints came after the lists: a base without them may be older than the
    // lists too, and its played list is not read.
    {
        TWordQuery query(store);
        if (!hasHintTable(query))
            return std::nullopt;
    }
    return HintOf(store, word, ReadPlayedList(store));
}
