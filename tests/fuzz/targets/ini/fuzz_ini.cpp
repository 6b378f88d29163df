// The settings file reader and writer on arbitrary file contents: nothing
// crashes, a written key reads back as written, and the other keys keep their
// values.

#include "settingsfile/inifile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 21> Keys{
    "NbMotMin",  "NbMotMax",       "NbPointMin",  "NbPointMax",  "cbType",     "cbCathegorie",
    "cbGenre",   "LimitTemps",     "TempsPartie", "NiveauDuJeu", "NomUser",    "SonGagner",
    "SonPerdu",  "SonBonneLettre", "SonErreur",   "SonDefaut",   "SonNouveau", "PasDeSon",
    "SonDecide", "SonExit",        "SonHello"};

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the key, the bytes after the last "|" (if any) are
    // the value to write; the whole input is the file.
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::string_view key = Keys[data[0] % Keys.size()];
    const std::size_t bar = content.rfind('|');
    const std::string_view value =
        bar == std::string_view::npos ? std::string_view() : content.substr(bar + 1);

    std::array<std::optional<std::string>, Keys.size()> before;
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        if (const auto found = IniText::findValue(content, "Config", Keys[i])) {
            before[i] = std::string(*found);
            (void)IniValue::parseInteger(*found);
        }
    }

    const std::string written = IniText::withValue(content, "Config", key, value);
    const auto readBack = IniText::findValue(written, "Config", key);
    check(readBack.has_value());
    check(*readBack == trimmed(value.substr(0, value.find_first_of("\r\n"))));
    for (std::size_t i = 0; i < Keys.size(); ++i) {
        if (Keys[i] == key)
            continue;
        const auto after = IniText::findValue(written, "Config", Keys[i]);
        check(after.has_value() == before[i].has_value());
        check(!after || *after == *before[i]);
    }
    // Writing the same value again changes nothing.
    check(IniText::withValue(written, "Config", key, value) == written);

    // Decimal numbers read back as written.
    if (size >= 5) {
        std::int32_t number;
        std::memcpy(&number, data + 1, sizeof number);
        check(IniValue::parseInteger(std::to_string(number)) == number);
    }
    return 0;
}
