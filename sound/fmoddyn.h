#pragma once

// Run-time binding of the audio library libcorbeletsound.so: the library is
// loaded by file name and the entry points the sound player calls are bound
// by name. Until then every entry point is unset (null).

#include "sound/audiolib/corbeletsound.h"

namespace AudioLibrary {

// The file name under which the library is loaded when no path is given; it is
// looked for in the executable's run path (layout/programlibrary.h).
inline constexpr const char* kDefaultFileName = "libcorbeletsound.so";

// The library's module handle; null while the library is not loaded.
extern void* LibraryHandle;

// The bound entry points, null while unbound.
extern decltype(&::FSOUND_Init) FSOUND_Init;
extern decltype(&::FSOUND_GetError) FSOUND_GetError;
extern decltype(&::FSOUND_Close) FSOUND_Close;
extern decltype(&::FSOUND_DSP_GetFFTUnit) FSOUND_DSP_GetFFTUnit;
extern decltype(&::FSOUND_DSP_SetActive) FSOUND_DSP_SetActive;
extern decltype(&::FSOUND_Stream_Open) FSOUND_Stream_Open;
extern decltype(&::FSOUND_Stream_Play) FSOUND_Stream_Play;
extern decltype(&::FSOUND_Stream_Close) FSOUND_Stream_Close;

} // namespace AudioLibrary

// Releases a library loaded before, then loads the library (path, or
// AudioLibrary::kDefaultFileName; a bare name is looked for in the executable's
// run path) and binds every entry point. False when the library file cannot be
// loaded. A missing entry point ends the load with
// std::runtime_error("Failed to find <name> in <file>"); the entry points bound
// before it stay bound and the library stays loaded.
bool LoadAudioLibrary(const char* path = nullptr);

// Releases the library if it is loaded and unsets every entry point.
void UnloadAudioLibrary();

// True when the library is loaded and every entry point is bound.
bool AudioLibraryBound();
