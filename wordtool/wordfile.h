#pragma once

// The file corbelet-mots imports, read whole before any base is opened and
// taken in its format: the tool's own lists, KVTML or CSV.

#include "wordtool/vocabularyfile.h"

#include <string>

// The most bytes a vocabulary file (KVTML, CSV) holds: far more than any list
// of words with their hints, few enough to read it whole.
inline constexpr std::size_t kMaxVocabularyFileBytes = 16 * 1024 * 1024;

// The list file at `path` in its format: CSV by its name ending in ".csv";
// KVTML by its content (or, for what is no regular file, by its name ending
// in ".kvtml"); otherwise the tool's own format (ReadListFileAt). Raises
// std::runtime_error with a French text naming the file when it cannot be
// read or is too large.
VocabularyFile ReadWordFileAt(const std::string& path);
