#include "rules/wordvalue.h"

#include "rules/wordrules.h"

#include <algorithm>
#include <cmath>

namespace {

// The symbols in the order a player who knows French picks them.
constexpr std::string_view kGuessOrder = "EASINTRULODCMPVQFBGHJXYZKW-'";

int rarity(char symbol)
{
    constexpr std::pair<std::string_view, int> kRarities[] = {
        {"EASINTRULO", 0}, {"DCMP", 1}, {"VQFBGH", 2}, {"JXYZ", 4}, {"KW-'", 5}};
    for (const auto& [symbols, weight] : kRarities) {
        if (symbols.find(symbol) != std::string_view::npos)
            return weight;
    }
    return 0;
}

bool isLetter(char symbol)
{
    return symbol >= 'A' && symbol <= 'Z';
}

} // namespace

std::string SpelledOutWord(std::string_view word)
{
    std::string spelled;
    for (const char byte : word) {
        switch (static_cast<unsigned char>(byte)) {
        case 0x9C: // œ
            spelled += "oe";
            break;
        case 0x8C: // Œ
            spelled += "OE";
            break;
        case 0xE6: // æ
            spelled += "ae";
            break;
        case 0xC6: // Æ
            spelled += "AE";
            break;
        case 0x92: // ’
            spelled += '\'';
            break;
        default:
            spelled += byte;
        }
    }
    return spelled;
}

bool IsWinnable(std::string_view storedWord)
{
    if (storedWord.find('\0') != std::string_view::npos)
        return false;
    const std::string played = PlayedWord(storedWord);
    return !played.empty() && isLetter(played.front()) && isLetter(played.back()) &&
           std::all_of(played.begin(), played.end(), [](char symbol) {
               return kGuessOrder.find(symbol) != std::string_view::npos;
           });
}

std::int32_t WordPoints(std::string_view storedWord)
{
    const std::string played = PlayedWord(storedWord);
    std::string distinct = played;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());

    const int length = static_cast<int>(played.size());
    const int symbols = static_cast<int>(distinct.size());
    int picks = 0;
    int rarities = 0;
    for (const char symbol : distinct) {
        const auto position = kGuessOrder.find(symbol);
        if (position != std::string_view::npos)
            picks = std::max(picks, static_cast<int>(position) + 1);
        rarities += rarity(symbol);
    }
    const int misses = picks - symbols;
    const int shortness = std::max(0, 9 - length);
    const int repeats = length - symbols;
    const double raw = 1.5 * misses + rarities + 2.0 * shortness - repeats;
    const int points = 2 + static_cast<int>(std::floor(raw + 0.5));
    return std::clamp(points, 2, 52);
}
