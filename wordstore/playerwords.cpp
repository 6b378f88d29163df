#include "wordstore/playerwords.h"

#include "wordstore/diskspace.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <filesystem>
#include <string>

int ReapplyPlayerWords(TWordStore& store, const std::vector<std::string>& serverArguments)
{
    const std::filesystem::path dataFolder = DataFolderOf(serverArguments);
    if (dataFolder.empty())
        return 0;
    const std::filesystem::path marker = dataFolder / WordCatalogue::kPlayerTablesPendingFile;
    std::error_code error;
    if (!std::filesystem::exists(marker, error))
        return 0;
    EnsureRoomToRewrite(dataFolder, store.Database);
    TWordQuery count(store);
    count.SetSQL(WordCatalogue::addedWordsNowShippedStatement());
    count.Open();
    const int nowShipped = count.FindField(WordCatalogue::kCountColumn).AsInteger();
    count.Close();
    for (const std::string& statement : WordCatalogue::reapplyPlayerTablesStatements())
        store.Execute(statement);
    std::filesystem::remove(marker, error);
    return nowShipped;
}

std::string AddedWordsNowShippedText(int count)
{
    if (count == 1)
        return "La nouvelle base de mots livrée contient un des mots que vous aviez ajoutés : "
               "il n'est plus compté en double.";
    return "La nouvelle base de mots livrée contient " + std::to_string(count) +
           " des mots que vous aviez ajoutés : ils ne sont plus comptés en double.";
}
