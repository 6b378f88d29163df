// Sound player benchmark, on SDL's disk driver (output paced in real time):
//  - latency: from the call of PlaySoundFile to the first non-silent sample
//    written by the device thread, in wall time and in output frames, with
//    the device running and after a silence long enough for the library to
//    close it;
//  - the audio thread's CPU time while one cue plays, and while idle;
//  - allocations made on the audio thread (counted by the sound tests' probe,
//    which wraps malloc) while a stream starts and while it plays on.
// With --idle [seconds], instead: the whole process's CPU time over that long
// (60 s unless given) from the end of a cue, on SDL's dummy driver as in the
// game's start-up benchmark, and the audio thread's wake-ups while it runs.

#include "sound/gessound.h"
#include "tests/sound/audiothreadprobe.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rate = 44100;

void writeToneWav(const std::string& path, double frequency, double seconds, int rate)
{
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    std::string out = "RIFF";
    const auto put = [&out](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    put(36 + frames * 2, 4);
    out += "WAVEfmt ";
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(static_cast<std::uint32_t>(rate), 4);
    put(static_cast<std::uint32_t>(rate * 2), 4);
    put(2, 2);
    put(16, 2);
    out += "data";
    put(frames * 2, 4);
    for (std::uint32_t i = 0; i < frames; ++i)
        put(static_cast<std::uint16_t>(static_cast<std::int16_t>(
                std::lround(16000 * std::sin(2 * std::numbers::pi * frequency * i / rate)))),
            2);
    std::ofstream(path, std::ios::binary).write(out.data(), std::streamsize(out.size()));
}

std::size_t outputFrames(const QString& path)
{
    return static_cast<std::size_t>(QFileInfo(path).size()) / 8;
}

// First frame at or after `from` with a sample above -80 dBFS, or -1.
long firstSound(const QString& path, std::size_t from)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(qint64(from * 8)))
        return -1;
    const QByteArray bytes = file.readAll();
    const auto* samples = reinterpret_cast<const float*>(bytes.constData());
    const std::size_t count = static_cast<std::size_t>(bytes.size()) / sizeof(float);
    for (std::size_t i = 0; i < count; ++i) {
        if (std::abs(samples[i]) > 1e-4f)
            return long(from + i / 2);
    }
    return -1;
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct Latency
{
    double callMs;
    double wallMs;
    double outputMs;
};

Latency measureLatency(const std::string& file, const QString& output, int silenceMs)
{
    sleepMs(silenceMs); // let the previous cue end in silence
    std::size_t before = outputFrames(output);
    const auto start = Clock::now();
    PlaySoundFile(file, CurrentStream);
    const auto returned = Clock::now();
    // A device opened again starts its output file over.
    if (outputFrames(output) < before)
        before = 0;
    long first = -1;
    while ((first = firstSound(output, before)) < 0 &&
           Clock::now() - start < std::chrono::seconds(2))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto heard = Clock::now();
    const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    return {ms(returned - start), ms(heard - start),
            first < 0 ? -1 : 1000.0 * double(first - long(before)) / Rate};
}

void reportLatency(const char* name, const std::string& file, const QString& output, int count = 20,
                   int silenceMs = 150)
{
    std::vector<Latency> runs;
    for (int i = 0; i < count; ++i)
        runs.push_back(measureLatency(file, output, silenceMs));
    const auto stats = [&](double Latency::*field) {
        std::vector<double> values;
        for (const Latency& run : runs)
            values.push_back(run.*field);
        std::sort(values.begin(), values.end());
        return std::pair{values[values.size() / 2], values.back()};
    };
    const auto [callMedian, callMax] = stats(&Latency::callMs);
    const auto [wallMedian, wallMax] = stats(&Latency::wallMs);
    const auto [outMedian, outMax] = stats(&Latency::outputMs);
    std::printf("latency %-22s PlaySoundFile call %5.2f ms (max %5.2f); first sound written "
                "%5.1f ms (max %5.1f); in output timeline %5.1f ms (max %5.1f)\n",
                name, callMedian, callMax, wallMedian, wallMax, outMedian, outMax);
}

void reportPlayback(const char* name, const std::string& file, double seconds)
{
    sleepMs(200);
    const long tid = AudioThreadProbe::findAudioThread();
    AudioThreadProbe::watch(tid);
    const double cpuStart = AudioThreadProbe::cpuSeconds(tid);
    const auto wallStart = Clock::now();
    PlaySoundFile(file, CurrentStream);
    sleepMs(100);
    const long startAllocations = AudioThreadProbe::take();
    sleepMs(int(seconds * 1000) - 100);
    const long steadyAllocations = AudioThreadProbe::take();
    AudioThreadProbe::stop();
    const double cpu = AudioThreadProbe::cpuSeconds(tid) - cpuStart;
    const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
    std::printf("playback %-21s audio thread CPU %6.2f ms over %.2f s = %5.2f %%; allocations on "
                "the audio thread: %ld in the first 100 ms, %ld after\n",
                name, cpu * 1000, wall, 100 * cpu / wall, startAllocations, steadyAllocations);
}

// Context switches of one thread of this process so far: each one is a
// wake-up of a thread that sleeps between its output buffers.
long contextSwitches(long tid)
{
    std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
    long total = 0;
    std::string line;
    while (std::getline(status, line)) {
        if (line.find("ctxt_switches:") != std::string::npos)
            total += std::strtol(line.substr(line.find(':') + 1).c_str(), nullptr, 10);
    }
    return total;
}

double processCpuSeconds()
{
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return double(time.tv_sec) + double(time.tv_nsec) * 1e-9;
}

int reportIdle(double seconds)
{
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir dir;
    const std::string tone = (dir.path() + "/tone.wav").toStdString();
    writeToneWav(tone, 440, 0.3, 44100);
    if (!InitSound()) {
        std::fprintf(stderr, "the audio library is not available\n");
        return 1;
    }
    PlaySoundFile(tone, CurrentStream);
    sleepMs(100);
    const long tid = AudioThreadProbe::findAudioThread();
    sleepMs(400); // the cue plays to its end; the stream stays open
    const double processStart = processCpuSeconds();
    const long switchesStart = contextSwitches(tid);
    const auto wallStart = Clock::now();
    sleepMs(int(seconds * 1000));
    const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
    const double process = processCpuSeconds() - processStart;
    std::printf("idle     %-21s process CPU %7.2f ms over %.1f s = %6.3f %%; ", "(dummy driver)",
                process * 1000, wall, 100 * process / wall);
    if (AudioThreadProbe::findAudioThread() == tid)
        std::printf("audio thread running, %.1f wake-ups/s\n",
                    double(contextSwitches(tid) - switchesStart) / wall);
    else
        std::printf("audio thread ended (device closed)\n");
    CloseSound();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (const qsizetype idle = arguments.indexOf(QStringLiteral("--idle")); idle >= 0)
        return reportIdle(arguments.value(idle + 1, QStringLiteral("60")).toDouble());

    QTemporaryDir dir;
    const QString output = dir.path() + "/output.raw";
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", output.toLocal8Bit());

    const std::string tone44 = (dir.path() + "/tone44.wav").toStdString();
    const std::string tone22 = (dir.path() + "/tone22.wav").toStdString();
    writeToneWav(tone44, 440, 1.5, 44100);
    writeToneWav(tone22, 440, 1.5, 22050);
    const std::string res = CORBELET_SOURCE_DIR "/res/";

    if (!InitSound()) {
        std::fprintf(stderr, "the audio library is not available\n");
        return 1;
    }
    const auto initialised = Clock::now();
    while (outputFrames(output) == 0 && Clock::now() - initialised < std::chrono::seconds(2))
        sleepMs(1);
    const long tid = AudioThreadProbe::findAudioThread();
    std::printf("audio thread %ld\n", tid);

    reportLatency("WAV 44.1 kHz tone", tone44, output);
    reportLatency("WAV 22.05 kHz tone", tone22, output);
    reportLatency("SonBonneLettre.mp3", res + "SonBonneLettre.mp3", output);
    reportLatency("SonHello.mp3", res + "SonHello.mp3", output);

    PlaySoundFile(tone44, CurrentStream); // only to close the last cue
    sleepMs(1600);
    {
        const double cpuStart = AudioThreadProbe::cpuSeconds(tid);
        const auto wallStart = Clock::now();
        sleepMs(1500);
        const double cpu = AudioThreadProbe::cpuSeconds(tid) - cpuStart;
        const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
        std::printf("idle     %-21s audio thread CPU %6.2f ms over %.2f s = %5.2f %%\n",
                    "(finished stream)", cpu * 1000, wall, 100 * cpu / wall);
    }
    reportPlayback("WAV 44.1 kHz tone", tone44, 1.4);
    reportPlayback("WAV 22.05 kHz tone", tone22, 1.4);
    reportPlayback("SonPerdu.mp3", res + "SonPerdu.mp3", 1.6);
    reportLatency("SonHello.mp3 after 7 s", res + "SonHello.mp3", output, 5, 7000);
    CloseSound();
    return 0;
}
