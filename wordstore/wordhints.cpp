#include "wordstore/wordhints.h"

#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

std::optional<std::string> HintOf(TWordStore& store, const std::string& word,
                                  const std::optional<std::string>& list)
{
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::hintTableCountStatement());
    query.Open();
    if (query.FindField(WordCatalogue::kCountColumn).AsInteger() == 0)
        return std::nullopt;
    query.SetSQL(WordCatalogue::hintStatement(word, list));
    query.Open();
    if (query.Eof())
        return std::nullopt;
    return query.FindField(WordCatalogue::kHintText).AsString();
}
