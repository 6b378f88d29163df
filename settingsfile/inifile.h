#pragma once

// The settings file: a Windows initialisation (INI) file of Windows-1252
// bytes, read and written one key at a time with the rules of the Windows
// private-profile functions, and edited line by line so that every line the
// game does not own (other sections, comments, blank lines, line ends) stays
// byte for byte as it was.
//
// Plain C++ without Qt: the reader is also fed to a fuzzer.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// The text of an INI file and the two operations on it: find a key's value,
// set a key's value.
//
// Lines end with LF or CR LF. A line whose first non-blank character is "["
// and that holds a "]" opens a section named by the text between them
// (blanks trimmed); any other line holding "=" is a key line: the key is the
// text before the first "=", the value the text after it, both with spaces
// and tabs trimmed. Section and key names compare without regard to ASCII
// letter case. Only the first section of a name counts, and in it only the
// first line of a key: later repeats are neither read nor written, as with
// Windows. A UTF-8 byte order mark before the first line is ignored.
namespace IniText {

// The value of key in section, or nothing when the section or the key is
// missing.
std::optional<std::string_view> findValue(std::string_view content, std::string_view section,
                                          std::string_view key);

// Every key line of the section, in file order, as its key and value (views
// into content); empty when the section is missing. Later lines of a key are
// listed too: the first one is the key's.
std::vector<std::pair<std::string_view, std::string_view>> sectionEntries(std::string_view content,
                                                                          std::string_view section);

// Whether a line of the content opens section, with or without keys under it.
bool hasSection(std::string_view content, std::string_view section);

// The content with key set to value in section: an existing key line is
// replaced in place (keeping its line end), a new key goes after the last
// key line of the section (comments and blank lines that follow it stay
// with what comes next), and a missing section is appended at the end with
// the key. New lines use the file's line end (CR LF when its first line
// ends so, LF otherwise). A value is cut at its first CR or LF, which the
// line-based format cannot hold: a file name with a line break in it must not
// become a line of its own.
std::string withValue(std::string_view content, std::string_view section, std::string_view key,
                      std::string_view value);

} // namespace IniText

// The value rules of the settings file.
namespace IniValue {

// The longest text value read; a longer stored value is cut.
constexpr std::size_t kMaxTextLength = 2047;

// A 32-bit integer written in decimal with an optional sign, or, when the
// text has three or more characters and begins with "0x" or "0X", in
// hexadecimal (at most 32 bits, taken as the bits of the 32-bit value).
// The whole text must be the number: "12abc", "", "0x" and a number out of
// range give nothing.
std::optional<std::int32_t> parseInteger(std::string_view text);

} // namespace IniValue

// One section of a settings file, read and parsed once: each key is then
// looked up in memory, with the value rules of TIniFile. For a pass over many
// keys of a file that may be large.
class TIniSection
{
public:
    TIniSection(std::string content, std::string_view section);

    std::string ReadString(std::string_view key, std::string_view defaultValue) const;
    std::int32_t ReadInteger(std::string_view key, std::int32_t defaultValue) const;
    bool ReadBool(std::string_view key, bool defaultValue) const;
    // Whether the file has the section (IniText::hasSection).
    bool Exists() const { return m_exists; }

private:
    std::optional<std::string_view> rawValue(std::string_view key) const;

    std::string m_content;
    bool m_exists;
    // Each key, in ASCII lower case, with the place of its value in m_content.
    std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> m_values;
};

// Replaces the file at `path` (or creates it) with `content`, as the settings
// file is saved: a temporary file beside it receives the text and takes its
// place in one step, so that an interrupted save never leaves half a file; a
// link is followed, and the file's permissions and owner are kept. Raises
// std::runtime_error with a French text naming the file.
void SaveWholeFile(const std::string& path, std::string_view content);

// One settings file on disk. Each read opens and reads the file by itself;
// each write rewrites it at once through a temporary file in the same folder,
// renamed over the old one, so a failed write never leaves a cut file behind.
// The new file keeps the old one's permissions and, where the system allows,
// its owner; symbolic links are followed, so they stay links. The first write
// also removes the temporary files that writers killed while saving left
// beside the file.
class TIniFile
{
public:
    // A file larger than this is not read, and not rewritten either.
    static constexpr std::uintmax_t kMaxFileSize = 64u * 1024u * 1024u;

    explicit TIniFile(std::string path) : m_path(std::move(path)) {}

    // Reading never fails: a file that is missing or cannot be read (a
    // folder, a device, too large, no permission) reads as a file without
    // keys, and every read gives its default. The whole section is read at
    // once (see TIniSection).
    TIniSection ReadSection(std::string_view section) const;
    // The whole file as it is now, read by the same rule; nothing when it is
    // missing or cannot be read.
    std::optional<std::string> Contents() const;

    // Writing raises std::runtime_error when the file cannot be read back
    // whole, is read-only or not writable by this user, or the new one cannot
    // be written; the file on disk is then as it was.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Every (key, value) of entries in one replacement of the file, whose text
    // is the one the writes of the keys one after the other would give.
    void WriteStrings(std::string_view section,
                      const std::vector<std::pair<std::string, std::string>>& entries);

private:
    std::string m_path;
    bool m_staleTemporariesRemoved = false;
};
