#pragma once

// The word list of a base as corbelet-mots changes it: the shipped words, the
// words the player added, the shipped words the player removed, the named
// lists and the list the game draws from, read from a word store, changed in
// memory and written back all or nothing.

#include "wordstore/wordcatalogue.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class TWordStore;

// A line of a list file, decoded to Windows-1252: the word and the optional
// type and genre names, or why it cannot be read.
struct ListLine
{
    int number = 0;
    std::string word; // Windows-1252
    std::string type;
    std::string genre;
    std::string rejection; // French, empty when the line was read
    std::string hint;      // Windows-1252, empty for none
    // A line of a vocabulary file (KVTML, CSV): a word the shipped words do
    // not hold may come without a type (WordCatalogue::kUntypedType), a noun
    // or an adjective without a genre.
    bool typeOptional = false;
};

// A word of a list as a vocabulary file writes it (UTF-8): its type and, for
// a noun, its genre when the list knows them.
struct VocabularyEntry
{
    std::string word;
    std::string hint;
    std::optional<WordCatalogue::WordType> type;
    std::optional<WordCatalogue::GenreKind> genre;
};

// The words of a list file (UTF-8, or Windows-1252 when it is not valid
// UTF-8): one per line, with an optional type and genre after tabs; blank lines
// and lines beginning with "#" are skipped.
std::vector<ListLine> ReadListFile(const std::string& bytes);

// A rejected line of an import, with its reason in French.
struct Rejection
{
    int line = 0;
    std::string word; // UTF-8
    std::string reason;
};

struct ImportResult
{
    int added = 0;      // new words (in a named list: new rows, one per type)
    int restored = 0;   // shipped words the player had removed, back again
    int duplicates = 0; // words already in the list, or twice in the file
    int untyped = 0;    // new words without a type (WordCatalogue::kUntypedType)
    std::vector<Rejection> rejections;
};

// What a removal did: the words removed, those given twice in the call, and
// those that were not there (Windows-1252, as given); the last two are
// passed over.
struct RemoveResult
{
    int removed = 0;
    int duplicates = 0;
    std::vector<std::string> missing;
};

class WordList
{
public:
    // Reads the list of the base the store serves.
    explicit WordList(TWordStore& store);

    // Adds the lines' words. Nothing changes when a line is rejected.
    ImportResult import(const std::vector<ListLine>& lines);
    // Removes the words (Windows-1252) from the player's list.
    RemoveResult remove(const std::vector<std::string>& words);
    // Back to the shipped words; the named lists stay.
    void reset();

    // Adds the lines' words to the named list (Windows-1252 name), made when
    // missing: a word the base knows with its types (or the one given), a new
    // word with its type and genre. Nothing changes when a line is rejected.
    ImportResult importToList(const std::string& list, const std::vector<ListLine>& lines);
    // Removes the words from the named list. A list left without words is
    // gone, and when the game drew from it, it draws from all the words again.
    RemoveResult removeFromList(const std::string& list, const std::vector<std::string>& words);
    bool hasList(const std::string& list) const;
    // The number of words (rows) of the named list.
    int listCount(const std::string& list) const;
    // The named list in the import format (UTF-8 text).
    std::string exportListText(const std::string& list) const;
    // The list the game draws from; none: all the words.
    const std::optional<std::string>& played() const { return m_played; }

    // The words of the named list (none: the player's own words), one entry
    // per word in the order they were added, with their hints.
    std::vector<VocabularyEntry> entries(const std::optional<std::string>& list) const;

    // The player's words in the import format (UTF-8 text).
    std::string exportText() const;
    // A row in the import format: word, type and genre (UTF-8, one line).
    std::string exportLine(const WordCatalogue::WordRow& row) const;
    int addedCount() const { return static_cast<int>(m_added.size()); }
    int removedCount() const { return static_cast<int>(m_removed.size()); }

    // Writes the player's tables back into `database`, all or nothing.
    void save(TWordStore& store, std::string_view database) const;

    // The genre identifiers of the base for a genre name (masculin,
    // féminin, épicène, in UTF-8, without regard to case or accents); empty
    // when the name is none of them.
    std::vector<std::string> genreIdentifiers(std::string_view name) const;

private:
    // A line's word, folded and checked, with its type and genre if given.
    struct CheckedLine
    {
        std::string word;
        std::optional<WordCatalogue::WordType> type;
        std::optional<std::int32_t> genre;
        std::optional<std::int32_t> typeCode() const
        {
            return type ? std::optional<std::int32_t>(static_cast<std::int32_t>(*type))
                        : std::nullopt;
        }
    };
    // The line's word, or nothing and its rejection added to `result`.
    std::optional<CheckedLine> check(const ListLine& line, ImportResult& result) const;
    // The row of a word the base does not know, or nothing and its rejection.
    std::optional<WordCatalogue::WordRow> newWord(const ListLine& line, const CheckedLine& checked,
                                                  ImportResult& result) const;
    // The player's own rows by word: the added words and the lists' words.
    std::multimap<std::string, WordCatalogue::WordRow> ownRows() const;
    // The rows the base holds for the word, one per type (of that type when
    // one is given): shipped, or among `own` (ownRows()).
    std::vector<WordCatalogue::WordRow>
    knownRows(const std::multimap<std::string, WordCatalogue::WordRow>& own,
              const std::string& word, std::optional<std::int32_t> type) const;

    std::multimap<std::string, WordCatalogue::WordRow> m_shipped; // by word
    std::vector<WordCatalogue::WordRow> m_added;
    std::set<std::string> m_removed;
    std::vector<WordCatalogue::ListWordRow> m_listWords;
    std::optional<std::string> m_played;
    // The hints by list ("" for the player's own words) and word.
    std::map<std::pair<std::string, std::string>, std::string> m_hints;
    // The genre identifiers of each kind, and the kind of each identifier.
    std::map<WordCatalogue::GenreKind, std::vector<std::string>> m_genres;
};

// Every row of a table of words (shipped or added).
std::vector<WordCatalogue::WordRow> ReadWordRows(TWordStore& store, std::string_view table);

// The type of a type name (nom, adjectif, adverbe, verbe, UTF-8).
std::optional<WordCatalogue::WordType> TypeFromName(std::string_view name);
