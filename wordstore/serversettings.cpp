#include "wordstore/serversettings.h"

#include "settingsfile/inifile.h"
#include "text/windows1252.h"
#include "wordstore/wordcatalogue.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
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

std::optional<std::string> readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
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
    const std::string name = " « " + file.string() + " »";
    struct stat status = {};
    if (stat(file.c_str(), &status) != 0)
        throw std::runtime_error("Impossible de lire le fichier de mot de passe" + name + " : " +
                                 std::generic_category().message(errno));
    if (status.st_uid != geteuid() || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        throw std::runtime_error("Le fichier de mot de passe" + name +
                                 " doit être réservé à son propriétaire (chmod 600)");
    std::optional<std::string> password = readFile(file);
    if (!password)
        throw std::runtime_error("Impossible de lire le fichier de mot de passe" + name);
    if (password->ends_with('\n'))
        password->pop_back();
    if (password->ends_with('\r'))
        password->pop_back();
    return *password;
}
