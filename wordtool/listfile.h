#pragma once

// A teacher's list file, read before any base is opened: as a stream, so that
// a file that is no list (a device, a binary, a line longer than any word
// line) is refused as soon as it shows, and what corbelet-mots echoes of its
// lines is bounded and harmless to a terminal.

#include "wordtool/wordlist.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// The longest line a list holds: a word of 40 characters, its type and its
// genre, with room to spare for blanks and several bytes per character.
inline constexpr std::size_t kMaxListLineBytes = 512;
// The most lines a list holds: far more than any teacher writes, few enough
// that reading it stays within memory.
inline constexpr int kMaxListLines = 1'000'000;

// Reads the file at `path` from its start to its end, giving each chunk read
// to `take` as it comes. Raises std::runtime_error with a French text naming
// the file when it cannot be read or is a folder; `take` refuses the file
// with the text of the error made by `refuse`.
using FileRefusal = std::function<std::runtime_error(const std::string& reason)>;
void ReadFileChunks(
    const std::string& path,
    const std::function<void(std::string_view chunk, const FileRefusal& refuse)>& take);

// The lines of the list file at `path` (ReadListFile). Raises
// std::runtime_error with a French text naming the file when it cannot be
// read, is a folder, holds a NUL byte (a binary file), a line longer than
// kMaxListLineBytes or more than kMaxListLines lines.
std::vector<ListLine> ReadListFileAt(const std::string& path);

// A line's text as corbelet-mots shows it: at most about 60 characters, then
// "…", with control characters written as \xHH (a file's bytes never drive
// the terminal).
std::string ShownText(std::string_view utf8);
