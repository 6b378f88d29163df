// The spoken word's figures, on SDL's disk driver (output paced in real
// time): from WordSpeaker::say() to the first non-silent sample the device
// thread writes, for the first word (which loads the speech library and its
// voice; WordSpeaker::prepare() takes that load ahead) and for later words;
// the synthesis alone; and the process's resident memory after many words.

#include "sound/gessound.h"
#include "sound/speechsynthesis.h"
#include "sound/wordspeaker.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

std::size_t outputFrames(const QString& path)
{
    return static_cast<std::size_t>(QFileInfo(path).size()) / 8;
}

// Whether the output holds a sample above -80 dBFS from frame `from` on.
bool soundsFrom(const QString& path, std::size_t from)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(qint64(from * 8)))
        return false;
    const QByteArray bytes = file.readAll();
    const auto* samples = reinterpret_cast<const float*>(bytes.constData());
    const std::size_t count = static_cast<std::size_t>(bytes.size()) / sizeof(float);
    return std::any_of(samples, samples + count, [](float s) { return std::abs(s) > 1e-4f; });
}

// From say() to the first sound in the output, in ms; -1 when none within 3 s.
double sayToSound(WordSpeaker& speaker, const std::string& word, const QString& output)
{
    std::size_t before = outputFrames(output);
    const auto start = Clock::now();
    speaker.say(word);
    while (Clock::now() - start < std::chrono::seconds(3)) {
        QApplication::processEvents();
        // A device opened again starts its output file over.
        if (outputFrames(output) < before)
            before = 0;
        if (soundsFrom(output, before))
            return ms(Clock::now() - start);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return -1;
}

// Lets the word end, so the next one starts in silence.
void settle(int milliseconds)
{
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < end) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("SDL_AUDIODRIVER", "disk");
    QTemporaryDir dir;
    const QString output = dir.path() + "/speech.raw";
    qputenv("SDL_DISKAUDIOFILE", output.toLocal8Bit());
    QApplication app(argc, argv);
    if (!InitSound()) {
        std::fprintf(stderr, "the audio library is not available\n");
        return 1;
    }
    const long residentBefore = residentKiB();
    const std::vector<std::string> words = {
        "chat",        "\xE9l\xE8ve", "maison", "anticonstitutionnellement",
        "aujourd'hui", "f\xEAte",     "oiseau", "b\xE2timent"};
    WordSpeaker speaker;
    std::printf("first word (loads the library): say() to first sound %6.1f ms\n",
                sayToSound(speaker, "pendu", output));
    settle(1500);
    const long residentFirst = residentKiB();

    std::vector<double> later;
    for (int round = 0; round < 3; ++round) {
        for (const std::string& word : words) {
            later.push_back(sayToSound(speaker, word, output));
            settle(1500);
        }
    }
    std::sort(later.begin(), later.end());
    std::printf("later words (%zu): say() to first sound median %6.1f ms, max %6.1f ms\n",
                later.size(), later[later.size() / 2], later.back());

    std::vector<double> synthesis;
    for (const std::string& word : words) {
        const auto start = Clock::now();
        const std::string wav = Speech::SynthesiseWav(word);
        synthesis.push_back(ms(Clock::now() - start));
    }
    std::sort(synthesis.begin(), synthesis.end());
    std::printf("synthesis alone: median %5.1f ms, max %5.1f ms\n", synthesis[synthesis.size() / 2],
                synthesis.back());

    for (int i = 0; i < 500; ++i) {
        const std::string wav = Speech::SynthesiseWav(words[std::size_t(i) % words.size()]);
        PlaySoundMemory(wav, SpeechStream);
    }
    settle(200);
    std::printf("resident memory: %ld KiB before the first word, %ld KiB after it, %ld KiB after "
                "500 more words\n",
                residentBefore, residentFirst, residentKiB());
    CloseSound();
    return 0;
}
