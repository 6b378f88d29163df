#include "wordstore/playerwords.h"

#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <algorithm>
#include <filesystem>

void ReapplyPlayerWords(TWordStore& store, const std::vector<std::string>& serverArguments)
{
    constexpr std::string_view prefix = "--datadir=";
    const auto named =
        std::find_if(serverArguments.rbegin(), serverArguments.rend(),
                     [&](const std::string& argument) { return argument.starts_with(prefix); });
    if (named == serverArguments.rend())
        return;
    const std::filesystem::path marker = std::filesystem::path(named->substr(prefix.size())) /
                                         WordCatalogue::kPlayerTablesPendingFile;
    std::error_code error;
    if (!std::filesystem::exists(marker, error))
        return;
    for (const std::string& statement : WordCatalogue::reapplyPlayerTablesStatements())
        store.Execute(statement);
    std::filesystem::remove(marker, error);
}
