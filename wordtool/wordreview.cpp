#include "wordtool/wordreview.h"

#include "rules/wordrules.h"
#include "rules/wordvalue.h"
#include "text/windows1252.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

struct CategoryName
{
    ExclusionCategory category;
    std::string_view name;        // as the review file writes it
    std::string_view description; // as a teacher reads it
};

constexpr CategoryName kCategories[] = {
    {ExclusionCategory::Coarse, "grossier", "mot grossier"},
    {ExclusionCategory::Insult, "injure", "injure"},
    {ExclusionCategory::Sexual, "sexuel", "vocabulaire sexuel"},
    {ExclusionCategory::Discriminatory, "discriminatoire", "terme discriminatoire"},
    {ExclusionCategory::Adult, "adulte", "thème pour adultes"},
};

// The decision of a word looked at and kept.
constexpr std::string_view kKept = "gardé";

std::string spellingOf(std::string_view word)
{
    return Windows1252::upperCase(SpelledOutWord(word));
}

} // namespace

std::string_view describe(ExclusionCategory category)
{
    for (const CategoryName& entry : kCategories) {
        if (entry.category == category)
            return entry.description;
    }
    return {};
}

WordReview WordReview::parse(std::string_view utf8)
{
    WordReview review;
    int number = 0;
    while (!utf8.empty()) {
        const std::size_t end = std::min(utf8.find('\n'), utf8.size());
        const std::string_view line = utf8.substr(0, end);
        utf8.remove_prefix(std::min(end + 1, utf8.size()));
        ++number;
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t tab = line.find('\t');
        const std::string_view word = line.substr(0, tab);
        const std::string_view rest = tab == std::string_view::npos ? "" : line.substr(tab + 1);
        const std::string_view decision = rest.substr(0, rest.find('\t'));
        const auto bad = [number](const std::string& what) {
            return std::runtime_error("liste des mots écartés, ligne " + std::to_string(number) +
                                      " : " + what);
        };
        if (word.empty() || decision.empty())
            throw bad("il faut un mot, une tabulation et une décision");
        const std::string spelled = Windows1252::fromUtf8(word);
        std::optional<ExclusionCategory> category;
        if (decision != kKept) {
            const auto* found = std::find_if(
                std::begin(kCategories), std::end(kCategories),
                [decision](const CategoryName& entry) { return entry.name == decision; });
            if (found == std::end(kCategories))
                throw bad("décision inconnue « " + std::string(decision) + " »");
            category = found->category;
            review.m_excludedByPlayed.emplace(PlayedWord(SpelledOutWord(spelled)), *category);
        }
        if (!review.m_bySpelling.emplace(spellingOf(spelled), category).second)
            throw bad("« " + std::string(word) + " » y est deux fois");
        (category ? review.m_excluded : review.m_kept).push_back(spelled);
    }
    return review;
}

std::optional<ExclusionCategory> WordReview::exclusionOf(std::string_view word) const
{
    if (const auto found = m_bySpelling.find(spellingOf(word)); found != m_bySpelling.end())
        return found->second;
    const auto played = m_excludedByPlayed.find(PlayedWord(SpelledOutWord(word)));
    return played == m_excludedByPlayed.end() ? std::nullopt : std::optional(played->second);
}
