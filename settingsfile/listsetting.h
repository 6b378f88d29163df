#pragma once

// Where the settings file keeps the list the game draws from on the player's
// own base: a section of its own, apart from the window's [Config] keys. Its
// one key holds the list's name (Windows-1252), empty for all the words; the
// configuration window's "Sauver" and corbelet-mots' "jouer" write it, and the
// game applies it to the base when it connects. Plain C++.

#include <string_view>

namespace ListSetting {

inline constexpr std::string_view kSection = "Listes";
// The key is the name of the configuration window's list control.
inline constexpr std::string_view kKey = "cbListe";

} // namespace ListSetting
