#include "sound/fmoddyn.h"

#include "layout/programlibrary.h"

#include <dlfcn.h>
#include <fenv.h>

#include <stdexcept>
#include <string>

namespace AudioLibrary {

void* LibraryHandle = nullptr;

decltype(&::FSOUND_Init) FSOUND_Init = nullptr;
decltype(&::FSOUND_GetError) FSOUND_GetError = nullptr;
decltype(&::FSOUND_Close) FSOUND_Close = nullptr;
decltype(&::FSOUND_DSP_GetFFTUnit) FSOUND_DSP_GetFFTUnit = nullptr;
decltype(&::FSOUND_DSP_SetActive) FSOUND_DSP_SetActive = nullptr;
decltype(&::FSOUND_Stream_Open) FSOUND_Stream_Open = nullptr;
decltype(&::FSOUND_Stream_Play) FSOUND_Stream_Play = nullptr;
decltype(&::FSOUND_Stream_Close) FSOUND_Stream_Close = nullptr;

} // namespace AudioLibrary

namespace {

// Floating-point exceptions stay masked for the whole run, so that division by
// zero and overflow give infinities and invalid operations NaNs in every part
// of the program. The x86-64 SSE unit starts that way; masking again at start
// and after each library load keeps it so whatever a library's start-up code
// does.
void maskFloatingPointExceptions()
{
    fedisableexcept(FE_ALL_EXCEPT);
}

[[maybe_unused]] const bool floatingPointMasked = (maskFloatingPointExceptions(), true);

template <typename Function>
void bindEntryPoint(Function& entryPoint, const char* name, const std::string& file)
{
    void* const symbol = dlsym(AudioLibrary::LibraryHandle, name);
    if (!symbol)
        throw std::runtime_error("Failed to find " + std::string(name) + " in " + file);
    entryPoint = reinterpret_cast<Function>(symbol);
}

} // namespace

// Inside the namespace the entry-point names mean the bound pointers, not the
// library's own declarations.
namespace AudioLibrary {
namespace {

void unbindAll()
{
    FSOUND_Init = nullptr;
    FSOUND_GetError = nullptr;
    FSOUND_Close = nullptr;
    FSOUND_DSP_GetFFTUnit = nullptr;
    FSOUND_DSP_SetActive = nullptr;
    FSOUND_Stream_Open = nullptr;
    FSOUND_Stream_Play = nullptr;
    FSOUND_Stream_Close = nullptr;
}

void bindAll(const std::string& file)
{
    bindEntryPoint(FSOUND_Init, "FSOUND_Init", file);
    bindEntryPoint(FSOUND_GetError, "FSOUND_GetError", file);
    bindEntryPoint(FSOUND_Close, "FSOUND_Close", file);
    bindEntryPoint(FSOUND_DSP_GetFFTUnit, "FSOUND_DSP_GetFFTUnit", file);
    bindEntryPoint(FSOUND_DSP_SetActive, "FSOUND_DSP_SetActive", file);
    bindEntryPoint(FSOUND_Stream_Open, "FSOUND_Stream_Open", file);
    bindEntryPoint(FSOUND_Stream_Play, "FSOUND_Stream_Play", file);
    bindEntryPoint(FSOUND_Stream_Close, "FSOUND_Stream_Close", file);
}

bool allBound()
{
    return LibraryHandle && FSOUND_Init && FSOUND_GetError && FSOUND_Close &&
           FSOUND_DSP_GetFFTUnit && FSOUND_DSP_SetActive && FSOUND_Stream_Open &&
           FSOUND_Stream_Play && FSOUND_Stream_Close;
}

} // namespace
} // namespace AudioLibrary

bool LoadAudioLibrary(const char* path)
{
    UnloadAudioLibrary();
    const std::string file = path ? path : AudioLibrary::kDefaultFileName;
    AudioLibrary::LibraryHandle = dlopen(ProgramLibraryFile(file).c_str(), RTLD_NOW | RTLD_LOCAL);
    maskFloatingPointExceptions();
    if (!AudioLibrary::LibraryHandle)
        return false;
    AudioLibrary::bindAll(file);
    return true;
}

void UnloadAudioLibrary()
{
    // The entry points are unset with the handle: none may outlive the code
    // it points into.
    AudioLibrary::unbindAll();
    if (AudioLibrary::LibraryHandle) {
        dlclose(AudioLibrary::LibraryHandle);
        AudioLibrary::LibraryHandle = nullptr;
    }
}

bool AudioLibraryBound()
{
    return AudioLibrary::allBound();
}
