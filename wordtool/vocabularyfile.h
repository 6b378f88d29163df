#pragma once

// The vocabulary files teachers already have: KVTML 2 (the files of the
// KDE-Edu programs: KHangMan, Parley, KWordQuiz) and CSV (a spreadsheet's
// save), read into the lines of a list with each word's hint; and a list
// written back as KVTML 2, in the layout of the KDE-Edu files.
//
// Every word of a vocabulary file may come without a type: the shipped words
// give it theirs, or it is kept without one (ListLine::typeOptional).

#include "wordtool/wordlist.h"

#include <cstddef>

#include <string>
#include <string_view>
#include <vector>

enum class ListFormat
{
    Text, // the tool's own list format (listfile.h)
    Kvtml,
    Csv,
};

struct VocabularyFile
{
    ListFormat format = ListFormat::Text;
    std::string title; // UTF-8: KVTML's <title>, its blanks simplified; empty when none
    // Numbered by line (text, CSV) or by entry, the first being 1 (KVTML).
    std::vector<ListLine> lines;
};

// Whether the bytes (a file's beginning is enough) are an XML document whose
// root element is <kvtml>.
bool IsKvtml(std::string_view bytes);

// The entries of a KVTML 2 document: each active entry's first translation
// is its word, its second translation (or else the first one's comment) its
// hint; the word types and noun genders of <wordtypes> are kept. Entries
// without a word are skipped. Raises std::runtime_error (French, with the
// parser's own text) for a document that is no KVTML 2.
VocabularyFile ReadKvtml(std::string_view bytes);

// The rows of a CSV file (UTF-8 with or without its mark, or Windows-1252):
// fields separated by ";", "," or a tab (the one the first row holds most),
// quoted with '"' where needed; an optional first row naming the columns
// (mot, type, genre, indice, in any order, without regard to case or
// accents), else the columns are in that order. Blank rows are skipped.
std::vector<ListLine> ReadCsv(std::string_view bytes);

// Whether a file name asks for a KVTML file (it ends in ".kvtml").
bool IsKvtmlName(std::string_view path);

// A KVTML 2 document (UTF-8) of the entries, titled `title` (UTF-8).
std::string KvtmlDocument(const std::string& title, const std::vector<VocabularyEntry>& entries);
