#include "wordstore/diskspace.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// What the server writes besides the tables while it runs a change: its
// recovery and transaction logs.
constexpr std::uintmax_t kLogMargin = 2 * 1024 * 1024;

// A size in megabytes, one decimal, as a French reader writes it ("3,2 Mo").
std::string megabytes(std::uintmax_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f Mo", static_cast<double>(bytes) / (1024.0 * 1024.0));
    std::string result(text);
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

} // namespace

fs::path DataFolderOf(const std::vector<std::string>& serverArguments)
{
    constexpr std::string_view prefix = "--datadir=";
    const auto named =
        std::find_if(serverArguments.rbegin(), serverArguments.rend(),
                     [&](const std::string& argument) { return argument.starts_with(prefix); });
    return named == serverArguments.rend() ? fs::path() : fs::path(named->substr(prefix.size()));
}

std::uintmax_t RoomToRewrite(const fs::path& dataFolder, std::string_view database)
{
    std::uintmax_t tables = 0;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dataFolder / database, error)) {
        if (entry.is_regular_file(error))
            tables += entry.file_size(error);
    }
    return tables + kLogMargin;
}

std::string DiskFullText(const fs::path& folder)
{
    return "le disque du dossier « " + folder.string() +
           " » est plein : libérez de la place, puis recommencez";
}

void EnsureRoomToRewrite(const fs::path& dataFolder, std::string_view database)
{
    struct statvfs disk = {};
    if (statvfs(dataFolder.c_str(), &disk) != 0)
        return; // the write itself reports a folder it cannot reach
    const std::uintmax_t free = std::uintmax_t(disk.f_bavail) * disk.f_frsize;
    const std::uintmax_t needed = RoomToRewrite(dataFolder, database);
    if (free < needed)
        throw std::runtime_error(DiskFullText(dataFolder) + " (il faut " + megabytes(needed) +
                                 " libres, il en reste " + megabytes(free) + ")");
}
