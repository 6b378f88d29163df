#include "layout/programlayout.h"

#include "layout/playerbase.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

// The program's own name for its folders under share/ and under the user's
// XDG folders.
constexpr char kProgramName[] = "corbelet";

bool isFolder(const fs::path& path)
{
    struct stat status = {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool isWritableFolder(const fs::path& path)
{
    return access(path.c_str(), W_OK | X_OK) == 0;
}

// An XDG variable's folder: its value when it is an absolute path, otherwise
// `fallback` under the home folder (nothing when that is unknown).
fs::path xdgFolder(const char* variable, const fs::path& home, const char* fallback)
{
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return fs::path(value);
    return home.empty() ? fs::path() : home / fallback;
}

} // namespace

fs::path RunningExecutable()
{
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error);
}

UserFolders UserFoldersFromEnvironment()
{
    fs::path home;
    if (const char* value = std::getenv("HOME"); value && value[0] == '/') {
        home = value;
    } else if (const passwd* account = getpwuid(getuid()); account && account->pw_dir) {
        home = account->pw_dir;
    }
    return {xdgFolder("XDG_CONFIG_HOME", home, ".config"),
            xdgFolder("XDG_DATA_HOME", home, ".local/share")};
}

fs::path PortableSettingsFile(const fs::path& executable)
{
    const std::string path = executable.string();
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return path.substr(0, dot) + ".ini";
    return path + ".ini";
}

std::string ReadOnlyCopyFolderName(const fs::path& programFolder)
{
    // FNV-1a: the same name for the same folder at every run and in every
    // build, unlike std::hash.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char byte : programFolder.string()) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 1099511628211ull;
    }
    char name[32];
    std::snprintf(name, sizeof name, "copie-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

ProgramLayout DecideLayout(const fs::path& executable, const UserFolders& user)
{
    const fs::path programFolder = executable.parent_path();
    const fs::path beside = programFolder / "data";
    const fs::path shared = (programFolder / ".." / "share" / kProgramName).lexically_normal();

    ProgramLayout layout;
    if (isFolder(beside)) {
        layout.resourceFolder = programFolder;
        if (isWritableFolder(programFolder) && isWritableFolder(beside)) {
            layout.settingsFile = PortableSettingsFile(executable);
            layout.baseFolder = programFolder;
            return layout;
        }
    } else if (isFolder(shared / "data")) {
        layout.resourceFolder = shared;
    } else {
        // No word base anywhere: the program runs as it stands, and the word
        // server says what it lacks.
        layout.resourceFolder = programFolder;
        layout.settingsFile = PortableSettingsFile(executable);
        layout.baseFolder = programFolder;
        return layout;
    }
    layout.kind = LayoutKind::Installed;
    if (!user.configHome.empty())
        layout.settingsFile = user.configHome / kProgramName / (std::string(kProgramName) + ".ini");
    if (!user.dataHome.empty()) {
        layout.baseFolder = user.dataHome / kProgramName;
        // A copy that runs from a read-only folder may be another version
        // than the installed program: each keeps its own player's base, so
        // that neither replaces the other's with its own shipped words.
        if (layout.resourceFolder == programFolder)
            layout.baseFolder /= ReadOnlyCopyFolderName(programFolder);
    }
    return layout;
}

std::string PreparePlayerFolders(const ProgramLayout& layout)
{
    if (layout.kind == LayoutKind::Portable)
        return {};
    if (layout.settingsFile.empty() || layout.baseFolder.empty())
        throw std::runtime_error("Impossible de trouver le dossier personnel de l'utilisateur : "
                                 "la variable HOME n'est pas définie");
    // The game can be played without keeping its settings; not without its
    // word base.
    std::string settingsNotKept;
    try {
        EnsureWritableFolder(layout.settingsFile.parent_path());
    } catch (const FolderNotWritable& error) {
        settingsNotKept =
            std::string(error.what()) + ". Les réglages du jeu ne seront pas enregistrés.";
    }
    UpdatePlayerBase(layout.shippedBase(), layout.baseFolder);
    return settingsNotKept;
}
