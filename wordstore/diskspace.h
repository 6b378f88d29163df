#pragma once

// Room on the disk of the embedded server's data folder. A full disk makes the
// server wait for free space without end in the middle of a write, so writes
// are refused beforehand when the room they may take is not there.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The data folder named by the server arguments (the value of the last
// "--datadir="), empty when none names one.
std::filesystem::path DataFolderOf(const std::vector<std::string>& serverArguments);

// The room a rewrite of `database`'s tables may take: a second copy of its
// folder, and a margin for the server's logs.
std::uintmax_t RoomToRewrite(const std::filesystem::path& dataFolder, std::string_view database);

// Raises std::runtime_error with a French text that names the folder and the
// room needed when the disk of `dataFolder` has less than RoomToRewrite free.
void EnsureRoomToRewrite(const std::filesystem::path& dataFolder, std::string_view database);

// "le disque du dossier « <folder> » est plein : …", with what to do next.
std::string DiskFullText(const std::filesystem::path& folder);
