#pragma once

// Where the program finds its files and keeps the player's, decided at every
// start from the executable's real location, without any configuration.
//
// Portable: everything beside the executable (the build's run directory, an
// unpacked folder). Used when the executable's folder holds the word base
// (data/) and both are writable. The settings file is named after the
// executable, beside it.
//
// Installed: the executable in <prefix>/games (or bin), its read-only files in
// <prefix>/share/corbelet, every path derived from the executable's location so
// that the tree works under any prefix. The player's settings and word base
// live in the XDG folders of the user; nothing under the prefix is written. A
// portable folder that cannot be written is run the same way, its files read
// where they lie and the player's base in a folder of its own beside the
// installed program's.
//
// Plain C++ without Qt, so that every program that needs the player's base
// finds it by the same rule.

#include <filesystem>
#include <string>

enum class LayoutKind
{
    Portable,
    Installed
};

// The user's XDG base folders, absolute; empty when they cannot be known.
struct UserFolders
{
    std::filesystem::path configHome; // $XDG_CONFIG_HOME, else ~/.config
    std::filesystem::path dataHome;   // $XDG_DATA_HOME, else ~/.local/share
};

struct ProgramLayout
{
    LayoutKind kind = LayoutKind::Portable;
    // The folder the program's read-only files are read from (res/,
    // Pendu.rtf, the server's share/ and the shipped word base data/): the
    // executable's folder, or <prefix>/share/corbelet.
    std::filesystem::path resourceFolder;
    // The settings file.
    std::filesystem::path settingsFile;
    // The folder that holds the player's word base, data/, where the word
    // server keeps its lock and logs: the executable's folder, or
    // <data home>/corbelet.
    std::filesystem::path baseFolder;

    // The shipped word base, copied for the player in the installed layout.
    std::filesystem::path shippedBase() const { return resourceFolder / "data"; }
};

// The running program's executable, links resolved (/proc/self/exe).
std::filesystem::path RunningExecutable();

// The XDG folders from the environment: XDG_CONFIG_HOME and XDG_DATA_HOME
// when they hold an absolute path (anything else is ignored, as the XDG rules
// say), otherwise under HOME, or under the home folder of the user's account
// when HOME is not set.
UserFolders UserFoldersFromEnvironment();

// The settings file of a portable program: the executable's full path with the
// extension (the text from the last dot after the last "/") replaced by
// ".ini", or ".ini" appended when the name has no dot.
std::filesystem::path PortableSettingsFile(const std::filesystem::path& executable);

// The folder, under the installed layout's base folder, that holds the
// player's base of a program run from a read-only folder of its own:
// "copie-" and 16 hexadecimal digits derived from `programFolder`.
std::string ReadOnlyCopyFolderName(const std::filesystem::path& programFolder);

// Decides the layout of the program whose executable (links resolved) is
// `executable`. Cheap: a few file-system look-ups, nothing created.
ProgramLayout DecideLayout(const std::filesystem::path& executable, const UserFolders& user);

// Makes the player's folders ready before anything uses them; nothing to do in
// the portable layout. In the installed layout: the settings folder and the
// base folder exist and are writable, and the player's word base is up to date
// with the shipped one (UpdatePlayerBase). Raises std::runtime_error with a
// French text naming the folder at fault; nothing of the player's is lost.
// A settings folder that cannot be made or written stops nothing: the game
// runs without keeping its settings, and the returned French text says so to
// the player (empty when the settings can be kept).
std::string PreparePlayerFolders(const ProgramLayout& layout);
