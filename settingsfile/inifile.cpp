#include "settingsfile/inifile.h"

#include "settingsfile/filedescriptor.h"
#include "settingsfile/regularfile.h"
#include "text/systemerror.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One line of the text: [begin, end) is its content, [end, next) its line end.
struct Line
{
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

// Calls visit(line) for each line in order, until it returns false.
template <typename Visit> void visitLines(std::string_view content, Visit&& visit)
{
    std::size_t begin = 0;
    // A UTF-8 byte order mark belongs to no line.
    if (content.substr(0, 3) == "\xEF\xBB\xBF")
        begin = 3;
    while (begin < content.size()) {
        const std::size_t newline = content.find('\n', begin);
        if (newline == std::string_view::npos) {
            // The last line without LF; a CR at its very end is still its line end.
            std::size_t end = content.size();
            if (content.back() == '\r')
                --end;
            visit(Line{begin, end, content.size()});
            return;
        }
        std::size_t end = newline;
        if (end > begin && content[end - 1] == '\r')
            --end;
        if (!visit(Line{begin, end, newline + 1}))
            return;
        begin = newline + 1;
    }
}

std::vector<Line> splitLines(std::string_view content)
{
    std::vector<Line> lines;
    visitLines(content, [&](const Line& line) {
        lines.push_back(line);
        return true;
    });
    return lines;
}

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

// The section name of a header line, or nothing for any other line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimmed(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmed(line.substr(1, close - 1));
}

struct KeyLine
{
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1))};
}

// Where a key lives in the text.
struct Location
{
    std::optional<std::size_t> section; // index of the section's header line
    std::optional<std::size_t> key;     // index of the key's line
    std::size_t lastEntry = 0;          // last key line of the section, or its header
};

Location locate(std::string_view content, const std::vector<Line>& lines, std::string_view section,
                std::string_view key)
{
    Location location;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view text = content.substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (const auto name = sectionName(text)) {
            if (location.section)
                break; // the end of the first section of that name
            if (sameName(*name, section)) {
                location.section = i;
                location.lastEntry = i;
            }
            continue;
        }
        if (!location.section)
            continue;
        if (const auto entry = keyLine(text)) {
            location.lastEntry = i;
            if (!location.key && sameName(entry->key, key))
                location.key = i;
        }
    }
    return location;
}

[[noreturn]] void raiseSystemError(const std::string& what, const std::string& path, int error)
{
    throw std::runtime_error(what + " « " + path + " » : " + SystemErrorText(error));
}

// The path to rewrite: symbolic links are followed, even one whose target
// does not exist yet, so that the links stay and the file they name receives
// the new text. A chain of links that does not end is left to the open, which
// then fails.
std::string writeTarget(const std::string& path)
{
    constexpr int MaxLinks = 40; // the kernel's own limit
    std::string target = path;
    for (int depth = 0; depth < MaxLinks; ++depth) {
        struct stat info
        {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            break;
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0)
            raiseSystemError("Impossible de lire le lien", target, errno);
        if (static_cast<std::size_t>(length) == link.size())
            raiseSystemError("Impossible de lire le lien", target, ENAMETOOLONG);
        link.resize(static_cast<std::size_t>(length));
        // A relative link names a file from the link's own folder.
        const std::size_t slash = target.rfind('/');
        if (!link.empty() && link.front() != '/' && slash != std::string::npos)
            link.insert(0, target, 0, slash + 1);
        target = std::move(link);
    }
    return target;
}

// The folder of path, ending with "/" (empty for a bare name), and the name.
std::pair<std::string, std::string> folderAndName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The temporary files that replace the file `name` are named
// ".<name>.<process id>.<attempt>". The process id of such a name, or nothing.
std::optional<pid_t> temporaryWriter(std::string_view entry, std::string_view name)
{
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.size() <= 18 &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (entry.size() < name.size() + 2 || entry[0] != '.' || entry.substr(1, name.size()) != name ||
        entry[name.size() + 1] != '.')
        return std::nullopt;
    entry.remove_prefix(name.size() + 2);
    const std::size_t dot = entry.find('.');
    if (dot == std::string_view::npos || !digits(entry.substr(0, dot)) ||
        !digits(entry.substr(dot + 1)))
        return std::nullopt;
    const long long pid = std::stoll(std::string(entry.substr(0, dot)));
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

// Removes the temporary files that writers of path killed while saving left
// beside it: only those whose process no longer exists, so that a save going
// on in another process is never disturbed.
void removeStaleTemporaries(const std::string& path)
{
    const auto [folder, name] = folderAndName(path);
    DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!directory)
        return; // nothing can be listed: the save itself will tell why it fails
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(directory)) {
        const std::optional<pid_t> writer = temporaryWriter(entry->d_name, name);
        if (writer && ::kill(*writer, 0) != 0 && errno == ESRCH)
            stale.emplace_back(folder + entry->d_name);
    }
    ::closedir(directory);
    for (const std::string& file : stale)
        ::unlink(file.c_str());
}

// A new file in the folder of path, named after it, that nobody else has
// opened, created with the given permissions (the process's umask applies).
FileDescriptor createTemporary(const std::string& path, mode_t mode, std::string& temporary)
{
    const auto [folder, name] = folderAndName(path);
    for (unsigned attempt = 0;; ++attempt) {
        temporary =
            folder + "." + name + "." + std::to_string(::getpid()) + "." + std::to_string(attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0)
            return FileDescriptor(fd);
        if (errno != EEXIST || attempt == 100)
            raiseSystemError("Impossible de créer un fichier dans le dossier de", path, errno);
    }
}

void writeAll(int fd, std::string_view data, const std::string& path)
{
    while (!data.empty()) {
        const ssize_t count = ::write(fd, data.data(), data.size());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            raiseSystemError("Impossible d'écrire le fichier", path, errno);
        }
        data.remove_prefix(static_cast<std::size_t>(count));
    }
}

// Replaces the file at path with content: a temporary file in the same folder
// receives the text, then takes the file's place in one step. existing: the
// status of the file being replaced, whose permissions and owner the new one
// keeps, or nothing for a new file.
void replaceFile(const std::string& path, std::string_view content,
                 const std::optional<struct stat>& existing)
{
    // Created with the old file's permissions from the start, so that a
    // private file is never readable by others, not even for a moment.
    const mode_t creationMode = existing ? (existing->st_mode & 0666) : 0666;
    std::string temporary;
    FileDescriptor fd = createTemporary(path, creationMode, temporary);
    try {
        // Errors name the file being saved: the temporary one is only a means.
        writeAll(fd.get(), content, path);
        if (existing) {
            if ((existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) &&
                ::fchown(fd.get(), existing->st_uid, existing->st_gid) != 0) {
                // Only the superuser may give a file to another user: anyone
                // else saves the file as their own, as every editor does.
            }
            if (::fchmod(fd.get(), existing->st_mode & 07777) != 0)
                raiseSystemError("Impossible d'écrire le fichier", path, errno);
        }
        if (::fsync(fd.get()) != 0)
            raiseSystemError("Impossible d'écrire le fichier", path, errno);
        if (::close(fd.release()) != 0)
            raiseSystemError("Impossible d'écrire le fichier", path, errno);
        if (::rename(temporary.c_str(), path.c_str()) != 0)
            raiseSystemError("Impossible de remplacer le fichier", path, errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}

// What completes the line end of a text whose last line has no LF: the LF
// alone after a CR, the file's line end otherwise.
std::string_view finalLineEnd(std::string_view content, std::string_view lineEnd)
{
    return content.back() == '\r' ? std::string_view("\n") : lineEnd;
}

} // namespace

namespace IniText {

std::optional<std::string_view> findValue(std::string_view content, std::string_view section,
                                          std::string_view key)
{
    for (const auto& [name, value] : sectionEntries(content, section)) {
        if (sameName(name, key))
            return value;
    }
    return std::nullopt;
}

std::vector<std::pair<std::string_view, std::string_view>> sectionEntries(std::string_view content,
                                                                          std::string_view section)
{
    std::vector<std::pair<std::string_view, std::string_view>> entries;
    bool inside = false;
    visitLines(content, [&](const Line& line) {
        const std::string_view text = content.substr(line.begin, line.end - line.begin);
        if (const auto name = sectionName(text)) {
            if (inside)
                return false; // the end of the first section of that name
            inside = sameName(*name, section);
        } else if (inside) {
            if (const auto entry = keyLine(text))
                entries.emplace_back(entry->key, entry->value);
        }
        return true;
    });
    return entries;
}

bool hasSection(std::string_view content, std::string_view section)
{
    bool found = false;
    visitLines(content, [&](const Line& line) {
        const auto name = sectionName(content.substr(line.begin, line.end - line.begin));
        found = name && sameName(*name, section);
        return !found;
    });
    return found;
}

std::string withValue(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value)
{
    value = value.substr(0, value.find_first_of("\r\n"));
    const std::vector<Line> lines = splitLines(content);
    const bool crlf = !lines.empty() && lines.front().next > lines.front().end + 1;
    const std::string_view lineEnd = crlf ? "\r\n" : "\n";

    std::string entry;
    entry.reserve(key.size() + 1 + value.size());
    entry.append(key).append("=").append(value);

    const Location location = locate(content, lines, section, key);
    std::string result;
    result.reserve(content.size() + entry.size() + section.size() + 8);
    if (location.key) {
        const Line& line = lines[*location.key];
        result.append(content.substr(0, line.begin)).append(entry).append(content.substr(line.end));
    } else if (location.section) {
        const Line& line = lines[location.lastEntry];
        result.append(content.substr(0, line.next));
        if (line.next == content.size() && content.back() != '\n')
            result.append(finalLineEnd(content, lineEnd));
        result.append(entry).append(lineEnd).append(content.substr(line.next));
    } else {
        result.append(content);
        if (!content.empty() && content.back() != '\n')
            result.append(finalLineEnd(content, lineEnd));
        result.append("[").append(section).append("]").append(lineEnd);
        result.append(entry).append(lineEnd);
    }
    return result;
}

} // namespace IniText

namespace IniValue {

std::optional<std::int32_t> parseInteger(std::string_view text)
{
    if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t value = 0;
        for (const char c : text.substr(2)) {
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                return std::nullopt;
            value = value * 16 + digit;
            if (value > UINT32_MAX)
                return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{INT32_MAX} + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace IniValue

std::optional<std::string> TIniFile::Contents() const
{
    RegularFile file = ReadRegularFile(m_path, kMaxFileSize, FileLinks::Follow);
    if (file.outcome != RegularFile::Read)
        return std::nullopt;
    return std::move(file.content);
}

TIniSection TIniFile::ReadSection(std::string_view section) const
{
    return TIniSection(Contents().value_or(std::string()), section);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    WriteStrings(section, {{std::string(key), std::string(value)}});
}

void TIniFile::WriteStrings(std::string_view section,
                            const std::vector<std::pair<std::string, std::string>>& entries)
{
    const std::string target = writeTarget(m_path);
    RegularFile file = ReadRegularFile(target, kMaxFileSize, FileLinks::Follow);
    std::optional<struct stat> existing;
    switch (file.outcome) {
    case RegularFile::Read:
        existing = file.status;
        break;
    case RegularFile::Missing:
        break;
    case RegularFile::NotRegular:
    case RegularFile::Failed:
        // Never replace what could not be read whole: it would be lost.
        raiseSystemError("Impossible de lire le fichier", target, file.error);
    }
    const std::string& content = file.content;
    std::string updated = content;
    for (const auto& [key, value] : entries)
        updated = IniText::withValue(updated, section, key, value);
    if (updated == content && existing)
        return;
    // Renaming over a file needs only the folder's permission: a file that
    // its owner made read-only, or that this user may not write, is refused
    // as a direct write would be.
    if (existing && ((existing->st_mode & 0222) == 0 ||
                     ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        raiseSystemError("Impossible d'écrire le fichier", target, EACCES);
    if (updated.size() > kMaxFileSize)
        raiseSystemError("Impossible d'écrire le fichier", target, EFBIG);
    if (!m_staleTemporariesRemoved) {
        removeStaleTemporaries(target);
        m_staleTemporariesRemoved = true;
    }
    replaceFile(target, updated, existing);
}

void SaveWholeFile(const std::string& path, std::string_view content)
{
    const std::string target = writeTarget(path);
    std::optional<struct stat> existing;
    if (struct stat status{}; ::stat(target.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode))
            raiseSystemError("Impossible d'écrire le fichier", target, EINVAL);
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            raiseSystemError("Impossible d'écrire le fichier", target, EACCES);
        existing = status;
    }
    removeStaleTemporaries(target);
    replaceFile(target, content, existing);
}

TIniSection::TIniSection(std::string content, std::string_view section)
    : m_content(std::move(content)), m_exists(IniText::hasSection(m_content, section))
{
    for (const auto& [key, value] : IniText::sectionEntries(m_content, section)) {
        std::string name(key);
        std::transform(name.begin(), name.end(), name.begin(), asciiLower);
        // Only the first line of a key counts.
        m_values.try_emplace(std::move(name),
                             static_cast<std::size_t>(value.data() - m_content.data()),
                             value.size());
    }
}

std::optional<std::string_view> TIniSection::rawValue(std::string_view key) const
{
    std::string name(key);
    std::transform(name.begin(), name.end(), name.begin(), asciiLower);
    const auto found = m_values.find(name);
    if (found == m_values.end())
        return std::nullopt;
    return std::string_view(m_content).substr(found->second.first, found->second.second);
}

std::string TIniSection::ReadString(std::string_view key, std::string_view defaultValue) const
{
    std::string value(rawValue(key).value_or(defaultValue));
    if (value.size() > IniValue::kMaxTextLength)
        value.resize(IniValue::kMaxTextLength);
    return value;
}

std::int32_t TIniSection::ReadInteger(std::string_view key, std::int32_t defaultValue) const
{
    const std::optional<std::string_view> value = rawValue(key);
    if (!value)
        return defaultValue;
    return IniValue::parseInteger(*value).value_or(defaultValue);
}

bool TIniSection::ReadBool(std::string_view key, bool defaultValue) const
{
    return ReadInteger(key, defaultValue ? 1 : 0) != 0;
}
