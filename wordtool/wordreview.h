#pragma once

// The review of the shipped word list for a game children play: the
// spellings left out of it, each with the category that keeps it out, and the
// spellings looked at and kept. corbelet-mots names the words of a teacher's
// list that the review leaves out; the teacher decides whether to keep them.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Why a word is left out of the shipped list.
enum class ExclusionCategory
{
    Coarse,         // grossier
    Insult,         // injure
    Sexual,         // sexuel
    Discriminatory, // discriminatoire
    Adult,          // adulte
};

// The category as a teacher reads it, in French ("injure", "mot grossier"…).
std::string_view describe(ExclusionCategory category);

class WordReview
{
public:
    // Reads the review file (UTF-8): lines "word<TAB>decision[<TAB>note]",
    // the decision being a category name (grossier, injure, sexuel,
    // discriminatoire, adulte) or "gardé"; blank lines and lines beginning
    // with "#" are skipped. Raises std::runtime_error, in French, on a line
    // it cannot read.
    static WordReview parse(std::string_view utf8);

    // The category that keeps a word (Windows-1252) out of the shipped list:
    // the word's own decision when the review has its spelling (upper and
    // lower case alike; none when it was kept), else the category of an
    // excluded word that is played with the same letters ("negre" is played
    // as "nègre" is).
    std::optional<ExclusionCategory> exclusionOf(std::string_view word) const;

    // The spellings (Windows-1252) reviewed and kept, and those left out.
    std::vector<std::string> keptWords() const { return m_kept; }
    std::vector<std::string> excludedWords() const { return m_excluded; }

private:
    // The decision by spelling (upper-cased, ligatures spelled out; none when
    // kept), and the category of the excluded words by the letters played.
    std::map<std::string, std::optional<ExclusionCategory>, std::less<>> m_bySpelling;
    std::map<std::string, ExclusionCategory, std::less<>> m_excludedByPlayed;
    std::vector<std::string> m_kept;
    std::vector<std::string> m_excluded;
};
