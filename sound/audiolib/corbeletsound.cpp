// The game's audio library: SDL2 output, libsndfile decoding (WAV, MP3 through
// mpg123), SDL_AudioStream resampling and channel conversion.
//
// Threads. Every exported function runs on the caller's thread; the mixer runs
// in SDL's audio callback on the device thread. Every change the API makes to
// the channel table (play, close) happens under SDL_LockAudioDevice, which SDL
// also holds around the callback, so a stream is never freed while the
// callback may touch it; the callback itself only clears the channel of a
// stream that has played to its end.
//
// Idle. While the device is open, SDL's device thread wakes for every buffer
// (every 23 ms), paused or not, so an idle game would never leave the
// processor alone. A third thread, the closer, closes the device once no cue
// has started for the idle delay (idleCloseDelay()) and no channel plays; the next cue opens it
// again before it starts. The API and the closer share the device under
// Engine::mutex, always taken before the device lock; the callback takes
// neither, SDL holding the device lock around it. A cue only moves the
// closer's deadline: the closer sleeps until then, or without end while the
// device is closed.
//
// The callback allocates nothing. Each stream owns its decode buffer and its
// converter. SDL_AudioStreamPut grows the converter's work buffer to the
// largest block ever put (SDL_realloc) and appends 4 KiB packets to its queue,
// taking them from the queue's pool or allocating them (SDL_malloc) when the
// pool is empty; SDL_AudioStreamGet returns drained packets to the pool, and
// only SDL_AudioStreamClear frees pooled packets. So when a stream is opened
// (or rewound) it is filled on the calling thread, in whole decode chunks,
// deeper than the callback ever fills it: the work buffer and the packets
// needed are all there before the callback sees the stream, and playback
// only reuses them.
//
// Filling a fresh (or cleared) converter also keeps the latency down: its
// first block is put without the resampler's left padding, so the sound
// starts with the file's first frame instead of behind a padding of silence.

#include "corbeletsound.h"

#include <SDL.h>
#include <sndfile.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

struct FSOUND_DSPUNIT
{
    std::atomic<bool> active{false};
};

namespace {

// Frames decoded from a file in one read.
constexpr int DecodeFrames = 1024;
constexpr int OutputChannels = 2;
// Frames per output buffer asked of the device.
constexpr Uint16 DeviceFrames = 1024;
constexpr int QueuePacketBytes = 4096; // SDL's own data queue packet size
// How long the device stays open after the last cue started, once nothing
// plays: long enough that a game in progress keeps it open between picks.
constexpr std::chrono::milliseconds DefaultIdleCloseDelay{5000};
// The environment variable that sets another idle delay, in milliseconds
// (0 to 3600000), read at each FSOUND_Init: the tests use a short one to see
// the device close without waiting seconds. Any other value keeps the default.
constexpr const char* IdleCloseDelayVariable = "CORBELET_SOUND_IDLE_CLOSE_MS";

std::chrono::milliseconds idleCloseDelay()
{
    const char* const text = std::getenv(IdleCloseDelayVariable);
    if (!text || !*text)
        return DefaultIdleCloseDelay;
    char* end = nullptr;
    errno = 0;
    const long milliseconds = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || milliseconds < 0 || milliseconds > 3'600'000)
        return DefaultIdleCloseDelay;
    return std::chrono::milliseconds(milliseconds);
}

} // namespace

struct FSOUND_STREAM
{
    SNDFILE* file = nullptr;
    int sourceChannels = 0;
    int sourceRate = 0;
    SDL_AudioStream* converter = nullptr;
    std::unique_ptr<float[]> decodeBuffer;
    // Touched by the callback; changed by the API only under the device lock.
    int channel = -1;
    bool decodeFinished = false;
    bool started = false; // played at least once: must be rewound to play again
    // A sound opened from memory (FSOUND_LOADMEMORY): its bytes, and where
    // libsndfile reads in them.
    std::vector<unsigned char> memory;
    sf_count_t memoryPosition = 0;

    FSOUND_STREAM() = default;
    FSOUND_STREAM(const FSOUND_STREAM&) = delete;
    FSOUND_STREAM& operator=(const FSOUND_STREAM&) = delete;
    ~FSOUND_STREAM()
    {
        if (converter)
            SDL_FreeAudioStream(converter);
        if (file)
            sf_close(file);
    }

    int chunkBytes() const
    {
        return DecodeFrames * sourceChannels * static_cast<int>(sizeof(float));
    }
};

namespace {

struct Engine
{
    std::atomic<int> lastError{FMOD_ERR_NONE};
    bool initialised = false;
    SDL_AudioSpec deviceSpec{};
    int deviceRate = 0;
    int channelCount = 0;
    // The channel table: the callback reads it, the API changes it under the
    // device lock.
    std::array<FSOUND_STREAM*, CORBELETSOUND_MAX_CHANNELS> channels{};
    // Every open stream, playing or not.
    std::vector<std::unique_ptr<FSOUND_STREAM>> streams;
    // One stream's converted output for one block, sized at initialisation.
    std::vector<float> mixBuffer;
    FSOUND_DSPUNIT fftUnit;

    // Shared by the API and the closer.
    std::mutex mutex;
    SDL_AudioDeviceID device = 0; // 0 while closed
    std::chrono::milliseconds idleDelay = DefaultIdleCloseDelay;
    std::chrono::steady_clock::time_point idleDeadline;
    bool closing = false; // FSOUND_Close: the closer ends
    std::condition_variable closerWake;
    std::thread closer;

    ~Engine() { shutDown(); }

    // Opens the output device, paused. False when it is refused.
    bool openDevice()
    {
        SDL_AudioSpec obtained{};
        // No changes allowed: SDL converts to whatever the device really takes.
        device = SDL_OpenAudioDevice(nullptr, 0, &deviceSpec, &obtained, 0);
        return device != 0;
    }

    void closeDevice()
    {
        SDL_CloseAudioDevice(device); // joins the device thread
        device = 0;
    }

    bool anyChannelPlays()
    {
        SDL_LockAudioDevice(device);
        const bool playing = std::any_of(channels.begin(), channels.end(),
                                         [](const FSOUND_STREAM* stream) { return stream; });
        SDL_UnlockAudioDevice(device);
        return playing;
    }

    // The device stays open for the idle delay from now at least.
    void keepOpen() { idleDeadline = std::chrono::steady_clock::now() + idleDelay; }

    // The closer's thread: closes the device at the deadline when nothing
    // plays, or looks again the idle delay later.
    void closeDeviceWhenIdle()
    {
        std::unique_lock lock(mutex);
        while (!closing) {
            if (!device)
                closerWake.wait(lock);
            else if (std::chrono::steady_clock::now() < idleDeadline)
                closerWake.wait_until(lock, idleDeadline);
            else if (anyChannelPlays())
                keepOpen();
            else
                closeDevice();
        }
    }

    void shutDown()
    {
        if (!initialised)
            return;
        {
            const std::lock_guard lock(mutex);
            closing = true;
        }
        closerWake.notify_all();
        closer.join();
        closing = false;
        if (device)
            closeDevice();
        channels.fill(nullptr);
        streams.clear();
        mixBuffer = {};
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        fftUnit.active = false;
        initialised = false;
    }
};

Engine engine;

template <typename T> T failWith(int code, T result)
{
    engine.lastError = code;
    return result;
}

class DeviceLock
{
public:
    explicit DeviceLock(SDL_AudioDeviceID device) : m_device(device)
    {
        SDL_LockAudioDevice(device);
    }
    ~DeviceLock() { SDL_UnlockAudioDevice(m_device); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    SDL_AudioDeviceID m_device;
};

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// One MPEG audio frame header: sync, a valid version, layer, bit rate and
// sampling rate.
bool isMpegFrameHeader(const unsigned char* h)
{
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return false;
    const int version = (h[1] >> 3) & 3;
    const int layer = (h[1] >> 1) & 3;
    const int bitrate = h[2] >> 4;
    const int samplingRate = (h[2] >> 2) & 3;
    return version != 1 && layer != 0 && bitrate != 15 && samplingRate != 3;
}

// Recognises the containers the decoder reads from their first bytes, so that
// no other file reaches libsndfile's MPEG probe (mpg123 would report every
// byte it cannot sync to on stderr).
bool looksLikeAudio(const unsigned char* h, std::size_t n)
{
    const auto at = [&](std::size_t offset, const char* tag) {
        const std::size_t length = std::strlen(tag);
        return n >= offset + length && std::memcmp(h + offset, tag, length) == 0;
    };
    return ((at(0, "RIFF") || at(0, "RF64")) && at(8, "WAVE")) ||
           (at(0, "FORM") && (at(8, "AIFF") || at(8, "AIFC"))) || at(0, "ID3") || at(0, "OggS") ||
           at(0, "fLaC") || (n >= 3 && isMpegFrameHeader(h));
}

int frameBytes(int channels)
{
    return channels * static_cast<int>(sizeof(float));
}

// Decodes and converts whole chunks until the converter holds at least
// `bytes` of output or the file has ended; on the file's end, a chunk of
// silence pushes out the frames the resampler holds back for its next block.
void fill(FSOUND_STREAM& stream, long long bytes)
{
    float* const buffer = stream.decodeBuffer.get();
    while (!stream.decodeFinished && SDL_AudioStreamAvailable(stream.converter) < bytes) {
        const sf_count_t frames = sf_readf_float(stream.file, buffer, DecodeFrames);
        if (frames > 0) {
            if (SDL_AudioStreamPut(stream.converter, buffer,
                                   static_cast<int>(frames) * frameBytes(stream.sourceChannels)) <
                0)
                stream.decodeFinished = true;
        } else {
            // End of the file, or a read error.
            std::fill_n(buffer, DecodeFrames * stream.sourceChannels, 0.0f);
            SDL_AudioStreamPut(stream.converter, buffer, stream.chunkBytes());
            stream.decodeFinished = true;
        }
    }
}

// The most output the callback ever leaves in a stream's converter, with
// room for a partly read first packet and a partly filled last one: it only
// puts a chunk while less than one block is there.
long long deepestQueue(const FSOUND_STREAM& stream)
{
    const long long chunkOutputBytes =
        (static_cast<long long>(DecodeFrames) * engine.deviceRate / stream.sourceRate + 2) *
        frameBytes(OutputChannels);
    const long long blockBytes =
        static_cast<long long>(engine.mixBuffer.size()) * static_cast<long long>(sizeof(float));
    return blockBytes + 2 * chunkOutputBytes + 2 * QueuePacketBytes;
}

// Sets the stream at its first frame with its converter filled.
bool rewind(FSOUND_STREAM& stream)
{
    if (sf_seek(stream.file, 0, SEEK_SET) < 0)
        return false;
    SDL_AudioStreamClear(stream.converter);
    stream.decodeFinished = false;
    fill(stream, deepestQueue(stream));
    return true;
}

// Fills dest with up to bytes of the stream's converted output; runs on the
// device thread.
int pull(FSOUND_STREAM& stream, float* dest, int bytes)
{
    fill(stream, bytes);
    const int got = SDL_AudioStreamGet(stream.converter, dest, bytes);
    return got > 0 ? got : 0;
}

void mixCallback(void* userdata, Uint8* out, int length)
{
    Engine& e = *static_cast<Engine*>(userdata);
    float* const output = reinterpret_cast<float*>(out);
    const int totalSamples = length / static_cast<int>(sizeof(float));
    std::fill_n(output, totalSamples, 0.0f);

    const int blockSamples = static_cast<int>(e.mixBuffer.size());
    float* const mix = e.mixBuffer.data();
    for (int offset = 0; offset < totalSamples; offset += blockSamples) {
        int samples = std::min(blockSamples, totalSamples - offset);
        samples -= samples % OutputChannels; // whole frames only
        if (samples <= 0)
            break;
        for (int c = 0; c < e.channelCount; ++c) {
            FSOUND_STREAM* const stream = e.channels[static_cast<std::size_t>(c)];
            if (!stream)
                continue;
            const int got = pull(*stream, mix, samples * static_cast<int>(sizeof(float))) /
                            static_cast<int>(sizeof(float));
            for (int i = 0; i < got; ++i)
                output[offset + i] += mix[i];
            if (stream->decodeFinished && SDL_AudioStreamAvailable(stream->converter) == 0) {
                // Played to its end: the channel is free again, the stream
                // stays open until it is closed.
                e.channels[static_cast<std::size_t>(c)] = nullptr;
                stream->channel = -1;
            }
        }
    }
    for (int i = 0; i < totalSamples; ++i)
        output[i] = std::clamp(output[i], -1.0f, 1.0f);
}

std::vector<std::unique_ptr<FSOUND_STREAM>>::iterator findStream(FSOUND_STREAM* stream)
{
    return std::find_if(engine.streams.begin(), engine.streams.end(),
                        [stream](const auto& owned) { return owned.get() == stream; });
}

void detach(FSOUND_STREAM& stream)
{
    const DeviceLock lock(engine.device);
    if (stream.channel >= 0) {
        engine.channels[static_cast<std::size_t>(stream.channel)] = nullptr;
        stream.channel = -1;
    }
}

// The error of a failed sf_open.
int openError()
{
    const int error = sf_error(nullptr);
    return error == SF_ERR_UNRECOGNISED_FORMAT || error == SF_ERR_UNSUPPORTED_ENCODING
               ? FMOD_ERR_FILE_FORMAT
               : FMOD_ERR_FILE_BAD;
}

// Opens the sound file `name` into the stream; FMOD_ERR_NONE or the error.
int openFile(FSOUND_STREAM& stream, const char* name, SF_INFO& info)
{
    FileDescriptor fd(::open(name, O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? FMOD_ERR_FILE_NOTFOUND : FMOD_ERR_FILE_BAD;
    struct stat status
    {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size == 0)
        return FMOD_ERR_FILE_BAD;
    unsigned char head[12] = {};
    const ssize_t headLength = ::pread(fd.get(), head, sizeof head, 0);
    if (headLength < 0)
        return FMOD_ERR_FILE_BAD;
    if (!looksLikeAudio(head, static_cast<std::size_t>(headLength)))
        return FMOD_ERR_FILE_FORMAT;
    // libsndfile takes the descriptor over, and closes it even when it fails.
    stream.file = sf_open_fd(fd.release(), SFM_READ, &info, SF_TRUE);
    return stream.file ? FMOD_ERR_NONE : openError();
}

// libsndfile's reads of a sound held in memory: the stream's own copy.
sf_count_t memoryLength(void* user)
{
    return static_cast<sf_count_t>(static_cast<FSOUND_STREAM*>(user)->memory.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user)
{
    FSOUND_STREAM& stream = *static_cast<FSOUND_STREAM*>(user);
    const sf_count_t base = whence == SEEK_CUR   ? stream.memoryPosition
                            : whence == SEEK_END ? memoryLength(user)
                                                 : 0;
    stream.memoryPosition = std::clamp<sf_count_t>(base + offset, 0, memoryLength(user));
    return stream.memoryPosition;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* user)
{
    FSOUND_STREAM& stream = *static_cast<FSOUND_STREAM*>(user);
    const sf_count_t bytes =
        std::clamp<sf_count_t>(count, 0, memoryLength(user) - stream.memoryPosition);
    std::memcpy(destination, stream.memory.data() + stream.memoryPosition,
                static_cast<std::size_t>(bytes));
    stream.memoryPosition += bytes;
    return bytes;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t memoryTell(void* user)
{
    return static_cast<FSOUND_STREAM*>(user)->memoryPosition;
}

// Opens a copy of the `length` bytes at `data`, a whole sound file, into the
// stream; FMOD_ERR_NONE or the error.
int openMemory(FSOUND_STREAM& stream, const char* data, int length, SF_INFO& info)
{
    if (length <= 0)
        return FMOD_ERR_INVALID_PARAM;
    const auto* const bytes = reinterpret_cast<const unsigned char*>(data);
    if (!looksLikeAudio(bytes, static_cast<std::size_t>(length)))
        return FMOD_ERR_FILE_FORMAT;
    stream.memory.assign(bytes, bytes + length);
    static SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    stream.file = sf_open_virtual(&io, SFM_READ, &info, &stream);
    return stream.file ? FMOD_ERR_NONE : openError();
}

} // namespace

extern "C" {

signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags)
{
    (void)flags;
    if (engine.initialised)
        return failWith<signed char>(FMOD_ERR_BUSY, 0);
    if (mixrate < 8000 || mixrate > 192000 || maxsoftwarechannels < 1 ||
        maxsoftwarechannels > CORBELETSOUND_MAX_CHANNELS)
        return failWith<signed char>(FMOD_ERR_INVALID_PARAM, 0);

    // The game handles its own signals: SDL must not take SIGINT/SIGTERM.
    SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return failWith<signed char>(FMOD_ERR_INIT, 0);

    engine.deviceSpec = {};
    engine.deviceSpec.freq = mixrate;
    engine.deviceSpec.format = AUDIO_F32SYS;
    engine.deviceSpec.channels = OutputChannels;
    engine.deviceSpec.samples = DeviceFrames;
    engine.deviceSpec.callback = mixCallback;
    engine.deviceSpec.userdata = &engine;
    // Opened here so that a refused device is reported now, not at a cue.
    if (!engine.openDevice()) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return failWith<signed char>(FMOD_ERR_INIT, 0);
    }
    engine.deviceRate = mixrate;
    engine.idleDelay = idleCloseDelay();
    engine.channelCount = maxsoftwarechannels;
    engine.channels.fill(nullptr);
    engine.mixBuffer.assign(static_cast<std::size_t>(DeviceFrames) * OutputChannels, 0.0f);
    engine.keepOpen();
    try {
        engine.closer = std::thread([] { engine.closeDeviceWhenIdle(); });
    } catch (const std::system_error&) {
        engine.closeDevice();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return failWith<signed char>(FMOD_ERR_INIT, 0);
    }
    engine.initialised = true;
    SDL_PauseAudioDevice(engine.device, 0);
    return 1;
}

int FSOUND_GetError(void)
{
    return engine.lastError;
}

void FSOUND_Close(void)
{
    engine.shutDown();
}

FSOUND_DSPUNIT* FSOUND_DSP_GetFFTUnit(void)
{
    return &engine.fftUnit;
}

signed char FSOUND_DSP_SetActive(FSOUND_DSPUNIT* unit, signed char active)
{
    if (unit != &engine.fftUnit)
        return failWith<signed char>(FMOD_ERR_INVALID_PARAM, 0);
    unit->active = active != 0;
    return 1;
}

FSOUND_STREAM* FSOUND_Stream_Open(const char* name, unsigned int mode, int offset, int length)
{
    (void)offset;
    if (!engine.initialised)
        return failWith<FSOUND_STREAM*>(FMOD_ERR_UNINITIALIZED, nullptr);
    if (!name)
        return failWith<FSOUND_STREAM*>(FMOD_ERR_INVALID_PARAM, nullptr);

    auto stream = std::make_unique<FSOUND_STREAM>();
    SF_INFO info{};
    const int error = (mode & FSOUND_LOADMEMORY) ? openMemory(*stream, name, length, info)
                                                 : openFile(*stream, name, info);
    if (error != FMOD_ERR_NONE)
        return failWith<FSOUND_STREAM*>(error, nullptr);
    if (info.channels < 1 || info.channels > 8 || info.samplerate < 1000 ||
        info.samplerate > 768000)
        return failWith<FSOUND_STREAM*>(FMOD_ERR_FILE_FORMAT, nullptr);
    if (info.frames <= 0)
        return failWith<FSOUND_STREAM*>(FMOD_ERR_FILE_BAD, nullptr);

    stream->sourceChannels = info.channels;
    stream->sourceRate = info.samplerate;
    stream->converter =
        SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(info.channels), info.samplerate,
                           AUDIO_F32SYS, OutputChannels, engine.deviceRate);
    if (!stream->converter)
        return failWith<FSOUND_STREAM*>(FMOD_ERR_FILE_FORMAT, nullptr);
    stream->decodeBuffer = std::make_unique<float[]>(static_cast<std::size_t>(DecodeFrames) *
                                                     static_cast<std::size_t>(info.channels));
    fill(*stream, deepestQueue(*stream));

    engine.streams.push_back(std::move(stream));
    return engine.streams.back().get();
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream)
{
    if (!engine.initialised)
        return failWith(FMOD_ERR_UNINITIALIZED, -1);
    if (findStream(stream) == engine.streams.end() || channel < -1 ||
        channel >= engine.channelCount)
        return failWith(FMOD_ERR_INVALID_PARAM, -1);

    const std::lock_guard deviceGuard(engine.mutex);
    // Closed while the game was quiet: opened again, paused until the stream
    // is on its channel, and watched by the closer again.
    const bool reopened = !engine.device;
    if (reopened) {
        if (!engine.openDevice())
            return failWith(FMOD_ERR_INIT, -1);
        engine.closerWake.notify_one();
    }
    engine.keepOpen();

    // Played again: stop it and start over from the beginning.
    if (stream->started) {
        detach(*stream);
        if (!rewind(*stream))
            return failWith(FMOD_ERR_FILE_BAD, -1);
    }

    const DeviceLock lock(engine.device);
    if (channel == -1) {
        const auto begin = engine.channels.begin();
        const auto free = std::find(begin, begin + engine.channelCount, nullptr);
        if (free == begin + engine.channelCount)
            return failWith(FMOD_ERR_CHANNEL_ALLOC, -1);
        channel = static_cast<int>(free - begin);
    }
    FSOUND_STREAM*& slot = engine.channels[static_cast<std::size_t>(channel)];
    if (slot) // a channel asked for by number cuts what it was playing
        slot->channel = -1;
    slot = stream;
    stream->channel = channel;
    stream->started = true;
    if (reopened)
        SDL_PauseAudioDevice(engine.device, 0);
    return channel;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream)
{
    if (!engine.initialised)
        return failWith<signed char>(FMOD_ERR_UNINITIALIZED, 0);
    const auto found = findStream(stream);
    if (found == engine.streams.end())
        return failWith<signed char>(FMOD_ERR_INVALID_PARAM, 0);
    const std::lock_guard deviceGuard(engine.mutex);
    detach(*stream);
    engine.streams.erase(found);
    return 1;
}

} // extern "C"
