#include "preview/rtf/previewcommands.h"

#include "text/windows1252.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace Preview {
namespace {

constexpr std::size_t kMaxQuotedLine = 60;

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool sameWord(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

[[noreturn]] void unreadable(std::size_t lineNumber, std::string_view line, const char* reason)
{
    std::string quoted = Windows1252::toUtf8(line.substr(0, kMaxQuotedLine));
    if (line.size() > kMaxQuotedLine)
        quoted += "…";
    throw std::runtime_error("Ligne " + std::to_string(lineNumber) +
                             " du script d'aperçu illisible (" + reason + ") : « " + quoted + " »");
}

// A decimal integer: optional "-", one to ten digits, within 32 bits.
std::optional<int> number(std::string_view field)
{
    std::string_view digits = field;
    if (!digits.empty() && digits.front() == '-')
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    for (const char c : digits)
        if (c < '0' || c > '9')
            return std::nullopt;
    std::int64_t value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (field.front() == '-')
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

Commands parseCommands(std::string_view script, bool framed)
{
    Commands commands;
    bool inDocument = false;
    std::size_t lineNumber = 0;
    for (std::string_view line : split(script, '\n')) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        const std::vector<std::string_view> fields = split(line, '|');
        const std::string_view keyword = fields.front();

        if (sameWord(keyword, "HEIGHT") || sameWord(keyword, "WIDTH")) {
            if (fields.size() != 4)
                unreadable(lineNumber, line, "quatre champs attendus");
            const std::optional<int> value = number(fields[1]);
            if (!value)
                unreadable(lineNumber, line, "nombre attendu");
            if (!sameWord(fields[2], "Pixel"))
                unreadable(lineNumber, line, "unité inconnue");
            if (!sameWord(fields[3], "True") && !sameWord(fields[3], "False"))
                unreadable(lineNumber, line, "True ou False attendu");
            (sameWord(keyword, "HEIGHT") ? commands.height : commands.width) = *value;
        } else if (sameWord(keyword, "BEGINDOC") || sameWord(keyword, "ENDDOC")) {
            if (fields.size() != 1)
                unreadable(lineNumber, line, "aucun champ attendu");
            const bool begin = sameWord(keyword, "BEGINDOC");
            if (framed && begin == inDocument)
                unreadable(lineNumber, line, begin ? "BEGINDOC déjà ouvert" : "BEGINDOC absent");
            inDocument = begin;
        } else if (sameWord(keyword, "RTFEXT")) {
            if (fields.size() < 6)
                unreadable(lineNumber, line, "six champs attendus");
            if (framed && !inDocument)
                unreadable(lineNumber, line, "hors de BEGINDOC et ENDDOC");
            // The path runs from the keyword to the four numbers: a folder
            // name may hold the separator.
            const std::size_t numbers = fields.size() - 4;
            const std::string_view path(fields[1].data(),
                                        static_cast<std::size_t>(fields[numbers - 1].data() +
                                                                 fields[numbers - 1].size() -
                                                                 fields[1].data()));
            if (path.empty())
                unreadable(lineNumber, line, "nom de fichier absent");
            Placement placement;
            placement.path = std::string(path);
            int* targets[] = {&placement.x, &placement.y, &placement.width, &placement.height};
            for (std::size_t i = 0; i < 4; ++i) {
                const std::optional<int> value = number(fields[numbers + i]);
                if (!value)
                    unreadable(lineNumber, line, "nombre attendu");
                *targets[i] = *value;
            }
            commands.documents.push_back(std::move(placement));
        } else {
            unreadable(lineNumber, line, "commande inconnue");
        }
    }
    if (framed && inDocument)
        throw std::runtime_error("Le script d'aperçu se termine sans ENDDOC.");
    return commands;
}

} // namespace Preview
