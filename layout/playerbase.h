#pragma once

// The player's own copy of the shipped word base, in the installed layout.
// Every change made to the player's base by the program goes through here.
//
// The word server writes into its data folder (lock, logs, table state), so an
// installed program cannot use the shipped base where it lies: each player
// gets a copy. A base carries a version stamp (a file written beside its
// tables when it is built); when the shipped base's stamp differs from that of
// the player's copy, a newer package shipped another base, and the copy is
// replaced.

#include <filesystem>
#include <stdexcept>
#include <string>

enum class BaseUpdate
{
    Unchanged, // the player's copy has the shipped stamp
    Copied,    // there was no copy: first start
    Replaced   // another base was shipped; the old copy is now data.previous
};

// The version stamp of a base folder (its data/ folder): the first line of its
// stamp file, empty when there is none. The file is opened without following
// a link or blocking; raises std::runtime_error with a French text naming it
// when it is not a regular file or cannot be read.
std::string BaseStamp(const std::filesystem::path& base);

// Brings the player's base <baseFolder>/data up to date with `shippedBase`:
// copies it when missing, leaves it when its stamp is the shipped one, and
// otherwise replaces it, keeping the copy it replaces as
// <baseFolder>/data.previous (an older data.previous goes). The words the
// player added and removed go into the new copy, which the game's next
// connection completes with them. A copy is made
// under a temporary name in baseFolder and renamed into place once complete,
// so an interrupted copy is never used; the next copy removes what it left.
// A complete copy waits as <baseFolder>/data.next until it is in place: an
// update interrupted from there on is ended by the next call (data.next is
// put in place when data/ had already been moved aside, and dropped
// otherwise), so the player's words are never lost.
// baseFolder is created (mode 0700) when missing; a lock on it keeps two
// programs from copying at once. A copy that a running program uses (it holds
// the base's lock, BaseLock) is never moved: the update is refused, with a
// French text that asks to close the game. Raises std::runtime_error with a French text
// naming the folder at fault; the player's copy stays as it was.
BaseUpdate UpdatePlayerBase(const std::filesystem::path& shippedBase,
                            const std::filesystem::path& baseFolder);

// A folder that cannot be made or written (a read-only file system, a
// file in its place): nothing planted in it, only nothing can be kept there.
class FolderNotWritable : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Creates `folder` and its missing parents (mode 0700) and checks that the
// program may create files in it, that it belongs to this user (a link is
// followed) and that it is private to them (its mode is made 0700). Raises
// FolderNotWritable when it cannot be made or written, std::runtime_error
// otherwise, each with a French text naming the folder.
void EnsureWritableFolder(const std::filesystem::path& folder);
