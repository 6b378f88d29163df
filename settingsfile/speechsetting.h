#pragma once

// Where the settings file keeps the switch "Prononcer le mot" (the game says
// each finished word aloud): a section of its own, apart from the window's
// [Config] keys, so that a settings file written before it reads as the
// default. The key is "1" or "0"; the switch is on when the key is missing.
// Plain C++.

#include <string_view>

namespace SpeechSetting {

inline constexpr std::string_view kSection = "Parole";
// The key is the name of the configuration window's check box.
inline constexpr std::string_view kKey = "PrononcerMot";
inline constexpr bool kDefault = true;

} // namespace SpeechSetting
