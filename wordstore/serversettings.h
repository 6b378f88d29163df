#pragma once

// Where a MariaDB server serves the word base instead of the embedded server:
// the [Serveur] section of the player's settings file or, when that file has
// none, of the machine's corbelet/corbelet.ini in $XDG_CONFIG_DIRS (so an
// administrator points a whole room at one server). Plain C++.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

struct ServerSettings
{
    std::string host;     // Hote; empty: this machine
    unsigned port = 3306; // Port
    std::string socket;   // Socket: a local socket instead of host and port
    std::string database; // Base; listedemots by default
    std::string user;     // Utilisateur
    // FichierMotDePasse: a file private to the user that holds the password;
    // empty: no password.
    std::filesystem::path passwordFile;
};

// The section's name in the settings files.
inline constexpr std::string_view kServerSection = "Serveur";

// The [Serveur] section of a settings file's content (Windows-1252), or
// nothing when it has none.
std::optional<ServerSettings> ServerSettingsFromIni(std::string_view content);

// The server the game uses: the section of settingsFile, else of the first
// corbelet/corbelet.ini of $XDG_CONFIG_DIRS (/etc/xdg when it is not set) that
// exists; nothing when neither has one.
std::optional<ServerSettings> FindServerSettings(const std::filesystem::path& settingsFile);

// The password held in `file`, without its trailing line break. The file is
// either the player's own, readable by nobody else (mode 600), or a machine's,
// owned by root or the administrator and readable by a group of pupils
// (root:eleves, mode 640). Raises std::runtime_error with a French text naming
// the file when it cannot be read, is not a regular file (a link, a folder, a
// named pipe: it is opened without following or blocking), can be changed by
// anyone but its owner, is readable by everyone, or is the player's own and
// readable by its group; the text names the owner, the group and the mode.
std::string ReadPasswordFile(const std::filesystem::path& file);
