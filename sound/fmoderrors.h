#pragma once

// The audio library's error texts, shown to the player as they stand.

#include <string>

// The English text for an error code of the audio library; "Unknown error" for
// a code outside 0 to 18.
std::string SoundErrorText(int code);
