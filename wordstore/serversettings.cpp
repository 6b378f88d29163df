#include "wordstore/serversettings.h"

#include "settingsfile/inifile.h"
#include "settingsfile/regularfile.h"
#include "text/systemerror.h"
#include "text/windows1252.h"
#include "wordstore/wordcatalogue.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A settings file's text, read by the settings reader's rule: a file that is
// missing, is not a regular file (a named pipe, a folder) or cannot be read
// gives nothing, and never blocks the start.
std::optional<std::string> readSettingsFile(const fs::path& path)
{
    return TIniFile(path.string()).Contents();
}

// A password file is a line; anything larger is not one.
constexpr std::uintmax_t kMaxPasswordFileSize = 4096;

std::string userName(uid_t user)
{
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(user, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->pw_name;
    return std::to_string(user);
}

std::string groupName(gid_t group)
{
    struct group entry
    {};
    struct group* found = nullptr;
    char buffer[4096];
    if (getgrgid_r(group, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return found->gr_name;
    return std::to_string(group);
}

// What is wrong with a password file of this status for the user `player`,
// as the end of a sentence whose subject is the file; empty when nothing is.
// The file may be the player's own, private to them, or a machine's, kept by
// root or the administrator and readable by a group of pupils; nobody but
// its owner may change it, and it is never readable by everyone.
std::string passwordFileFault(const struct stat& status, uid_t player)
{
    char mode[8];
    std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(status.st_mode & 0777));
    const std::string facts = " (propriétaire « " + userName(status.st_uid) + " », groupe « " +
                              groupName(status.st_gid) + " », droits " + mode + ")";
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return " peut être modifié par d'autres que son propriétaire" + facts +
               " : retirez-leur ce droit (chmod go-w).";
    if ((status.st_mode & S_IROTH) != 0)
        return " est lisible par tous les utilisateurs" + facts +
               " : il doit être réservé à son propriétaire (chmod 600) ou, pour une classe, à "
               "root et au groupe des élèves (chmod 640).";
    if (status.st_uid == player && player != 0 && (status.st_mode & S_IRGRP) != 0)
        return " est à vous mais lisible par son groupe" + facts +
               " : il doit être réservé à son propriétaire (chmod 600).";
    return {};
}

std::string value(std::string_view content, std::string_view key)
{
    return std::string(IniText::findValue(content, kServerSection, key).value_or(""));
}

} // namespace

std::optional<ServerSettings> ServerSettingsFromIni(std::string_view content)
{
    if (IniText::sectionEntries(content, kServerSection).empty())
        return std::nullopt;
    ServerSettings settings;
    settings.host = value(content, "Hote");
    const auto port = IniValue::parseInteger(value(content, "Port"));
    if (port && *port > 0 && *port < 65536)
        settings.port = static_cast<unsigned>(*port);
    settings.socket = Windows1252::toUtf8(value(content, "Socket"));
    settings.database = value(content, "Base");
    if (settings.database.empty())
        settings.database = WordCatalogue::kDatabase;
    settings.user = value(content, "Utilisateur");
    settings.passwordFile = Windows1252::toUtf8(value(content, "FichierMotDePasse"));
    return settings;
}

std::optional<ServerSettings> FindServerSettings(const fs::path& settingsFile)
{
    if (const auto content = readSettingsFile(settingsFile)) {
        if (auto settings = ServerSettingsFromIni(*content))
            return settings;
    }
    const char* variable = std::getenv("XDG_CONFIG_DIRS");
    std::string folders = variable && *variable ? variable : "/etc/xdg";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const fs::path folder = folders.substr(start, end - start);
        start = end + 1;
        // Relative entries are ignored, as the XDG rules say.
        if (!folder.is_absolute())
            continue;
        if (const auto content = readSettingsFile(folder / "corbelet" / "corbelet.ini"))
            return ServerSettingsFromIni(*content);
    }
    return std::nullopt;
}

std::string ReadPasswordFile(const fs::path& file)
{
    const std::string subject = "Le fichier de mot de passe « " + file.string() + " »";
    // Not followed: the file's own owner and mode are what is checked.
    RegularFile read = ReadRegularFile(file.string(), kMaxPasswordFileSize, FileLinks::Refuse);
    if (read.outcome == RegularFile::NotRegular)
        throw std::runtime_error(subject + " n'est pas un fichier ordinaire.");
    if (read.outcome != RegularFile::Read)
        throw std::runtime_error("Impossible de lire le fichier de mot de passe « " +
                                 file.string() + " » : " + SystemErrorText(read.error));
    if (const std::string fault = passwordFileFault(read.status, geteuid()); !fault.empty())
        throw std::runtime_error(subject + fault);
    std::string& password = read.content;
    if (password.ends_with('\n'))
        password.pop_back();
    if (password.ends_with('\r'))
        password.pop_back();
    return password;
}
