#include "wordstore/wordlists.h"

#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

std::vector<WordListSummary> ReadWordLists(TWordStore& store)
{
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::listSummaryStatement());
    std::vector<WordListSummary> lists;
    for (query.Open(); !query.Eof(); query.Next())
        lists.push_back({query.FindField(WordCatalogue::kListName).AsString(),
                         query.FindField(WordCatalogue::kCountColumn).AsInteger()});
    return lists;
}

std::optional<std::string> ReadPlayedList(TWordStore& store)
{
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::playedListStatement());
    query.Open();
    if (query.Eof())
        return std::nullopt;
    return query.FindField(WordCatalogue::kListName).AsString();
}

void PlayWordList(TWordStore& store, const std::optional<std::string>& list,
                  std::string_view database)
{
    // A full disk would make the server wait without end in mid-change.
    store.EnsureRoomToWrite();
    for (const std::string& statement : WordCatalogue::playListStatements(list, database))
        store.Execute(statement);
}
