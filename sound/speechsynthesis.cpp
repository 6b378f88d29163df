#include "sound/speechsynthesis.h"

#include "layout/programlibrary.h"

#include <espeak-ng/speak_lib.h>

#include <dlfcn.h>
#include <fenv.h>

#include <cstdint>
#include <mutex>
#include <vector>

namespace {

// The entry points called, bound by name; the header gives their types.
struct Binding
{
    decltype(&::espeak_Initialize) initialize = nullptr;
    decltype(&::espeak_SetSynthCallback) setSynthCallback = nullptr;
    decltype(&::espeak_SetVoiceByName) setVoiceByName = nullptr;
    decltype(&::espeak_SetParameter) setParameter = nullptr;
    decltype(&::espeak_Synth) synth = nullptr;
};

// A little slower than espeak's 175 words a minute: a word to learn to spell.
constexpr int kWordsPerMinute = 150;

struct Synthesiser
{
    std::mutex mutex;
    Binding binding;
    int sampleRate = 0; // 0 until ready
    std::string failedFile;
};

Synthesiser& synthesiser()
{
    static Synthesiser instance;
    return instance;
}

template <typename Function> bool bind(void* library, Function& function, const char* name)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// espeak's output, handed to the callback through the synthesis' user data.
int collectSamples(short* samples, int count, espeak_EVENT* events)
{
    if (samples && count > 0 && events && events->user_data) {
        auto& out = *static_cast<std::vector<std::int16_t>*>(events->user_data);
        out.insert(out.end(), samples, samples + count);
    }
    return 0; // go on
}

// Loads and initialises under the lock; true when ready.
bool prepareLocked(Synthesiser& state, const std::string& libraryFile)
{
    if (state.sampleRate > 0)
        return true;
    if (libraryFile == state.failedFile)
        return false;
    // A missing library is left unmentioned, as the audio library is: the
    // game goes on without speech. Kept loaded once ready (never closed).
    void* const library = dlopen(ProgramLibraryFile(libraryFile).c_str(), RTLD_NOW | RTLD_LOCAL);
    // Floating-point exceptions stay masked whatever the library's start does.
    fedisableexcept(FE_ALL_EXCEPT);
    Binding& b = state.binding;
    const bool bound = library && bind(library, b.initialize, "espeak_Initialize") &&
                       bind(library, b.setSynthCallback, "espeak_SetSynthCallback") &&
                       bind(library, b.setVoiceByName, "espeak_SetVoiceByName") &&
                       bind(library, b.setParameter, "espeak_SetParameter") &&
                       bind(library, b.synth, "espeak_Synth");
    // Without DONT_EXIT espeak ends the process when its data is missing.
    const int rate =
        bound ? b.initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) : -1;
    fedisableexcept(FE_ALL_EXCEPT);
    if (rate <= 0 || b.setVoiceByName(Speech::kVoice) != EE_OK) {
        state.failedFile = libraryFile;
        if (library && !bound)
            dlclose(library);
        return false;
    }
    b.setSynthCallback(collectSamples);
    b.setParameter(espeakRATE, kWordsPerMinute, 0);
    state.sampleRate = rate;
    return true;
}

void putLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A WAV file of 16-bit mono samples.
std::string wavFile(const std::vector<std::int16_t>& samples, int rate)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    out.reserve(44 + dataBytes);
    putLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLittleEndian(out, 16, 4); // the format chunk's size
    putLittleEndian(out, 1, 2);  // PCM
    putLittleEndian(out, 1, 2);  // mono
    putLittleEndian(out, static_cast<std::uint32_t>(rate), 4);
    putLittleEndian(out, static_cast<std::uint32_t>(rate) * 2, 4); // bytes a second
    putLittleEndian(out, 2, 2);                                    // bytes a frame
    putLittleEndian(out, 16, 2);                                   // bits a sample
    out += "data";
    putLittleEndian(out, dataBytes, 4);
    for (const std::int16_t sample : samples)
        putLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    return out;
}

} // namespace

namespace Speech {

bool PrepareSynthesis(const std::string& libraryFile)
{
    Synthesiser& state = synthesiser();
    const std::lock_guard lock(state.mutex);
    return prepareLocked(state, libraryFile);
}

std::string SynthesiseWav(const std::string& utf8Text, const std::string& libraryFile)
{
    Synthesiser& state = synthesiser();
    const std::lock_guard lock(state.mutex);
    if (utf8Text.empty() || !prepareLocked(state, libraryFile))
        return {};
    std::vector<std::int16_t> samples;
    const espeak_ERROR error =
        state.binding.synth(utf8Text.c_str(), utf8Text.size() + 1, 0, POS_CHARACTER, 0,
                            espeakCHARS_UTF8, nullptr, &samples);
    fedisableexcept(FE_ALL_EXCEPT);
    if (error != EE_OK || samples.empty())
        return {};
    return wavFile(samples, state.sampleRate);
}

} // namespace Speech
