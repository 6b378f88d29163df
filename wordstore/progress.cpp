#include "wordstore/progress.h"

#include "wordstore/wordlists.h"
#include "wordstore/wordstore.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace {

// A base made before the progress was recorded lacks its table: made on
// first use. Only in the player's own base (see RecordFinishedWord).
void ensureProgressTable(TWordStore& store)
{
    store.Execute(
        WordCatalogue::createTableStatement(WordCatalogue::progressTable(), store.Database, true));
}

std::vector<WordCatalogue::ProgressRow> readRows(TWordStore& store, const std::string& statement)
{
    std::vector<WordCatalogue::ProgressRow> rows;
    if (store.Server)
        return rows;
    ensureProgressTable(store);
    TWordQuery query(store);
    query.SetSQL(statement);
    for (query.Open(); !query.Eof(); query.Next()) {
        using namespace WordCatalogue;
        rows.push_back(
            {query.FindField(kProgressTime).AsString(), query.FindField(kProgressPlayer).AsString(),
             query.FindField(kProgressWord).AsString(), query.FindField(kProgressLevel).AsInteger(),
             query.FindField(kProgressWon).AsInteger() != 0,
             query.FindField(kProgressPoints).AsInteger(),
             query.FindField(kProgressMistakes).AsInteger(),
             query.FindField(kProgressSeconds).AsInteger(),
             query.FindField(kProgressHint).AsInteger() != 0});
    }
    return rows;
}

} // namespace

std::string DefaultPlayerName()
{
    const passwd* const user = getpwuid(geteuid());
    return user && user->pw_name ? std::string(user->pw_name) : std::string();
}

void RecordFinishedWord(TWordStore& store, WordCatalogue::ProgressRow row)
{
    // A classroom's server: the pupils' account may only read, and the
    // progress belongs in the player's own base.
    if (store.Server)
        return;
    if (row.player.empty())
        row.player = DefaultPlayerName();
    ensureProgressTable(store);
    store.Execute(WordCatalogue::insertProgressStatement(row));
    store.Execute(WordCatalogue::flushProgressStatement());
}

std::vector<WordCatalogue::ProgressRow> ReadProgress(TWordStore& store)
{
    return readRows(store, WordCatalogue::progressRowsStatement());
}

std::vector<WordCatalogue::ProgressRow> ReadBestScores(TWordStore& store, int count)
{
    return readRows(store, WordCatalogue::bestScoresStatement(count));
}

std::vector<DayResults> ReadDailyResults(TWordStore& store, const std::string& since)
{
    std::vector<DayResults> days;
    if (store.Server)
        return days;
    ensureProgressTable(store);
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::dailyResultsStatement(since));
    for (query.Open(); !query.Eof(); query.Next())
        days.push_back({query.FindField(WordCatalogue::kDayColumn).AsString(),
                        query.FindField(WordCatalogue::kWonColumn).AsInteger(),
                        query.FindField(WordCatalogue::kLostColumn).AsInteger()});
    return days;
}

std::vector<MissedWord> ReadMostMissed(TWordStore& store, int count)
{
    std::vector<MissedWord> words;
    if (store.Server)
        return words;
    ensureProgressTable(store);
    TWordQuery query(store);
    query.SetSQL(WordCatalogue::mostMissedStatement(count));
    for (query.Open(); !query.Eof(); query.Next())
        words.push_back({query.FindField(WordCatalogue::kProgressWord).AsString(),
                         query.FindField(WordCatalogue::kCountColumn).AsInteger()});
    return words;
}

ReviewListResult MakeReviewList(TWordStore& store, const std::string& list,
                                std::string_view database, int count)
{
    // The rules of a list's name, as corbelet-mots gives them.
    const bool badByte = std::any_of(list.begin(), list.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\';
    });
    if (list.empty() || list.size() > WordCatalogue::kMaxListNameBytes || badByte ||
        list.front() == ' ' || list.back() == ' ')
        throw std::invalid_argument("nom de liste impossible pour les mots à revoir");
    const std::vector<MissedWord> missed = ReadMostMissed(store, count);
    if (missed.empty())
        return {};
    std::vector<std::string> words;
    for (const MissedWord& word : missed)
        words.push_back(word.word);
    const auto rowsOfList = [&] {
        for (const WordListSummary& summary : ReadWordLists(store)) {
            if (summary.name == list)
                return summary.words;
        }
        return 0;
    };
    const int before = rowsOfList();
    // A full disk would make the server wait without end in mid-change.
    store.EnsureRoomToWrite();
    for (const std::string& statement : WordCatalogue::addToListStatements(list, words, database))
        store.Execute(statement);
    return {static_cast<int>(missed.size()), rowsOfList() - before};
}
