#include "wordstore/playerwords.h"

#include "wordstore/diskspace.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <filesystem>

void ReapplyPlayerWords(TWordStore& store, const std::vector<std::string>& serverArguments)
{
    const std::filesystem::path dataFolder = DataFolderOf(serverArguments);
    if (dataFolder.empty())
        return;
    const std::filesystem::path marker = dataFolder / WordCatalogue::kPlayerTablesPendingFile;
    std::error_code error;
    if (!std::filesystem::exists(marker, error))
        return;
    EnsureRoomToRewrite(dataFolder, store.Database);
    for (const std::string& statement : WordCatalogue::reapplyPlayerTablesStatements())
        store.Execute(statement);
    std::filesystem::remove(marker, error);
}
