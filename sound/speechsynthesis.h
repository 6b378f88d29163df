#pragma once

// French speech synthesised inside the process by libespeak-ng, which is
// loaded with dlopen at the first use, not at start-up, and stays loaded until
// the process ends. No speech daemon: espeak renders into memory, in its
// synchronous mode, and the result goes to the sound player like a cue.
//
// espeak-ng keeps its state in the process: every call here is serialised by
// one lock, so any thread may call, one at a time.

#include <string>

namespace Speech {

// The library loaded when no other is named (Debian's libespeak-ng1).
inline constexpr const char* kDefaultLibrary = "libespeak-ng.so.1";
// The voice: French.
inline constexpr const char* kVoice = "fr";

// Loads the library and sets the French voice, once per process. False when
// the library, its data or the voice is missing; a library that failed is
// not tried again under the same name.
bool PrepareSynthesis(const std::string& libraryFile = kDefaultLibrary);

// `utf8Text` said in French, as a whole WAV file (16-bit mono PCM at the
// voice's rate); empty when synthesis is not available (PrepareSynthesis) or
// fails. Loads the library at the first call.
std::string SynthesiseWav(const std::string& utf8Text,
                          const std::string& libraryFile = kDefaultLibrary);

} // namespace Speech
