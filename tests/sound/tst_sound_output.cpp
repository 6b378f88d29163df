// What is heard: the real audio library mixes into SDL's disk driver, whose
// file (float32 stereo, 44.1 kHz, paced in real time) is searched for the
// tones of known frequency that the cues hold. The game's own cues are
// checked by decoding them, not by playing them.

#include "soundtestsupport.h"

#include "sound/fmoddyn.h"
#include "sound/gessound.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace SoundTest;

namespace {

constexpr double Present = 0.2; // the test tones have amplitude 0.5
constexpr double Absent = 0.02;

} // namespace

class TestSoundOutput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void toneIsHeardAtItsPitch_data();
    void toneIsHeardAtItsPitch();
    void secondCueCutsTheFirst();
    void failingCueStillCutsTheFirst();
    void finishedStreamStaysOpenUntilTheNextCue();
    void closedStreamFallsSilentWithinOneBuffer();
    void closeSoundCutsAPlayingCue();
    void quietDeviceClosesAndTheNextCueOpensIt();
    void defaultCuesDecode_data();
    void defaultCuesDecode();

private:
    std::string tone(double frequency, double seconds, int rate = 44100, int channels = 1);

    QTemporaryDir m_dir;
    QString m_output;
    MessageBoxDriver* m_boxes = nullptr;
};

void TestSoundOutput::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("SDL_AUDIODRIVER", "disk");
}

void TestSoundOutput::init()
{
    // A fresh output file for every test: the driver opens it with the device.
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += '-' + QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
    m_output = m_dir.path() + '/' + name + ".raw";
    qputenv("SDL_DISKAUDIOFILE", m_output.toLocal8Bit());
    CurrentStream = nullptr;
    m_boxes = new MessageBoxDriver;
    QVERIFY(InitSound());
}

void TestSoundOutput::cleanup()
{
    CloseSound();
    QVERIFY(m_boxes->boxes().isEmpty());
    delete m_boxes;
    m_boxes = nullptr;
}

std::string TestSoundOutput::tone(double frequency, double seconds, int rate, int channels)
{
    const std::string file = QStringLiteral("%1/tone-%2-%3-%4-%5.wav")
                                 .arg(m_dir.path())
                                 .arg(frequency)
                                 .arg(seconds)
                                 .arg(rate)
                                 .arg(channels)
                                 .toStdString();
    writeToneWav(file, frequency, seconds, rate, channels);
    return file;
}

void TestSoundOutput::toneIsHeardAtItsPitch_data()
{
    QTest::addColumn<double>("frequency");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::newRow("44.1 kHz mono") << 440.0 << 44100 << 1;
    QTest::newRow("22.05 kHz mono") << 660.0 << 22050 << 1;
    QTest::newRow("48 kHz stereo") << 880.0 << 48000 << 2;
    QTest::newRow("8 kHz mono") << 500.0 << 8000 << 1;
}

void TestSoundOutput::toneIsHeardAtItsPitch()
{
    QFETCH(double, frequency);
    QFETCH(int, rate);
    QFETCH(int, channels);
    const std::string file = tone(frequency, 0.4, rate, channels);
    QVERIFY(waitForMoreOutput(m_output, DeviceFrames)); // the device runs
    const std::size_t requested = outputFrames(m_output);
    PlaySoundFile(file, CurrentStream);
    QVERIFY(CurrentStream);
    QVERIFY(waitForTone(m_output, frequency, Present, 0.35, 0.2));
    CloseSound();

    const std::vector<float> output = readOutput(m_output);
    const ToneSpan span = findTone(output, frequency, Present);
    // Heard within 50 ms of the request (in the output's own timeline),
    // once, at its length, on both channels, and not at another pitch.
    QVERIFY2(span.begin <= requested + OutputRate / 20,
             qPrintable(QString::number(double(span.begin) - double(requested))));
    QVERIFY2(std::abs(span.seconds() - 0.4) < 0.05, qPrintable(QString::number(span.seconds())));
    QVERIFY(!findTone(output, frequency, Present, span.end).found);
    const std::size_t middle = (span.begin + span.end) / 2 - DeviceFrames / 2;
    QVERIFY(toneAmplitude(output, middle, DeviceFrames, frequency) > 0.45);
    QVERIFY(toneAmplitude(output, middle, DeviceFrames, frequency * 1.5) < Absent);
    QVERIFY(toneAmplitude(output, middle, DeviceFrames, frequency / 1.5) < Absent);
    for (std::size_t i = middle; i < middle + DeviceFrames; ++i)
        QCOMPARE(output[2 * i], output[2 * i + 1]);
    QVERIFY(peak(output) <= 0.51f);
}

void TestSoundOutput::secondCueCutsTheFirst()
{
    PlaySoundFile(tone(440, 3.0), CurrentStream);
    QVERIFY(waitForTone(m_output, 440, Present, 0.2));
    PlaySoundFile(tone(1000, 0.5), CurrentStream);
    QVERIFY(waitForTone(m_output, 1000, Present, 0.45, 0.2));
    CloseSound();

    const std::vector<float> output = readOutput(m_output);
    const ToneSpan first = findTone(output, 440, Present);
    const ToneSpan second = findTone(output, 1000, Present);
    QVERIFY(first.found && second.found);
    QVERIFY2(first.seconds() < 2.0, qPrintable(QString::number(first.seconds())));
    // Never both at once: the first has fallen silent where the second starts.
    QVERIFY(first.end <= second.begin + DeviceFrames);
    QVERIFY(!findTone(output, 440, Absent, second.begin + DeviceFrames).found);
}

void TestSoundOutput::failingCueStillCutsTheFirst()
{
    PlaySoundFile(tone(440, 3.0), CurrentStream);
    QVERIFY(waitForTone(m_output, 440, Present, 0.2));
    PlaySoundFile((m_dir.path() + "/missing.mp3").toStdString(), CurrentStream);
    const std::size_t cut = outputFrames(m_output);
    QCOMPARE(m_boxes->texts(), QStringList{"File not found"});
    m_boxes->clear();
    QCOMPARE(CurrentStream, nullptr);
    QVERIFY(waitForMoreOutput(m_output, OutputRate / 2));
    CloseSound();

    const std::vector<float> output = readOutput(m_output);
    QVERIFY(findTone(output, 440, Present).found);
    QVERIFY(!findTone(output, 440, Absent, cut + 2 * DeviceFrames).found);
    QCOMPARE(peak(output, cut + 2 * DeviceFrames), 0.0f);
}

void TestSoundOutput::finishedStreamStaysOpenUntilTheNextCue()
{
    const std::string shortTone = tone(700, 0.15);
    PlaySoundFile(shortTone, CurrentStream);
    QVERIFY(waitForTone(m_output, 700, Present, 0.1, 0.3));
    QVERIFY(CurrentStream);

    // The same file again is opened anew and heard again from its start.
    PlaySoundFile(shortTone, CurrentStream);
    const std::size_t again = outputFrames(m_output);
    QVERIFY(QTest::qWaitFor(
        [&] { return findTone(readOutput(m_output), 700, Present, again).seconds() >= 0.1; },
        5000));
    QVERIFY(waitForMoreOutput(m_output, OutputRate / 4));
    const std::vector<float> output = readOutput(m_output);
    const ToneSpan replay = findTone(output, 700, Present, again);
    QVERIFY2(std::abs(replay.seconds() - 0.15) < 0.04,
             qPrintable(QString::number(replay.seconds())));

    // Played to its end, the stream is still open in the library.
    FSOUND_STREAM* slot = nullptr;
    PlaySoundFile(shortTone, slot);
    QVERIFY(slot);
    QVERIFY(waitForMoreOutput(m_output, OutputRate / 2));
    QCOMPARE(AudioLibrary::FSOUND_Stream_Close(slot), 1);
    QCOMPARE(AudioLibrary::FSOUND_Stream_Close(slot), 0);
}

void TestSoundOutput::closedStreamFallsSilentWithinOneBuffer()
{
    FSOUND_STREAM* slot = nullptr;
    PlaySoundFile(tone(440, 3.0), slot);
    QVERIFY(waitForTone(m_output, 440, Present, 0.2));
    QCOMPARE(AudioLibrary::FSOUND_Stream_Close(slot), 1);
    const std::size_t cut = outputFrames(m_output);
    QVERIFY(waitForMoreOutput(m_output, OutputRate / 2));
    const std::vector<float> output = readOutput(m_output);
    // What was already written when the close returned, plus the buffer the
    // device thread may have been writing, then silence while output goes on.
    QCOMPARE(peak(output, cut + DeviceFrames), 0.0f);
    QVERIFY(output.size() / OutputChannels >= cut + OutputRate / 2);
}

void TestSoundOutput::closeSoundCutsAPlayingCue()
{
    PlaySoundFile(tone(440, 3.0), CurrentStream);
    QVERIFY(waitForTone(m_output, 440, Present, 0.2));
    CloseSound();
    const std::size_t closed = outputFrames(m_output);
    QCOMPARE(CurrentStream, nullptr);
    QTest::qWait(100); // the device is closed: nothing more is written
    QCOMPARE(outputFrames(m_output), closed);
    const ToneSpan heard = findTone(readOutput(m_output), 440, Present);
    QVERIFY2(heard.seconds() < 1.0, qPrintable(QString::number(heard.seconds())));
}

void TestSoundOutput::quietDeviceClosesAndTheNextCueOpensIt()
{
    // The library started again with an idle delay of 0.4 s (it reads it when
    // it starts): what its default of 5 s does, in a tenth of the time.
    CloseSound();
    qputenv("CORBELET_SOUND_IDLE_CLOSE_MS", "400");
    const auto defaultDelay = qScopeGuard([] { qunsetenv("CORBELET_SOUND_IDLE_CLOSE_MS"); });
    QVERIFY(InitSound());

    // A cue longer than the library's idle delay is heard whole: the device
    // stays open while a channel plays.
    PlaySoundFile(tone(440, 1.2), CurrentStream);
    QVERIFY(waitForTone(m_output, 440, Present, 1.1, 0.1, 10000));
    const ToneSpan whole = findTone(readOutput(m_output), 440, Present);
    QVERIFY2(std::abs(whole.seconds() - 1.2) < 0.05, qPrintable(QString::number(whole.seconds())));

    // Then nothing plays and no cue comes: the device is closed and its
    // output ends.
    const auto outputStopped = [this] {
        const std::size_t frames = outputFrames(m_output);
        QTest::qWait(500);
        return outputFrames(m_output) == frames;
    };
    QVERIFY(QTest::qWaitFor(outputStopped, 10000));
    // After the delay it was given, not its default: the output ends well
    // within 2 s (of its own timeline) of the cue's end.
    const std::size_t afterCue = outputFrames(m_output) - whole.end;
    QVERIFY2(afterCue < 2 * OutputRate, qPrintable(QString::number(afterCue)));

    // The next cue opens it again (SDL's disk driver starts its file over)
    // and is heard at once.
    PlaySoundFile(tone(1000, 0.3), CurrentStream);
    QVERIFY(waitForTone(m_output, 1000, Present, 0.25, 0.1));
    const ToneSpan next = findTone(readOutput(m_output), 1000, Present);
    QVERIFY2(next.begin <= OutputRate / 20, qPrintable(QString::number(next.begin)));
}

void TestSoundOutput::defaultCuesDecode_data()
{
    QTest::addColumn<QString>("cue");
    for (const char* cue : {"SonHello", "SonNouveau", "SonBonneLettre", "SonErreur", "SonPerdu",
                            "SonGagner", "SonDecide", "SonExit"})
        QTest::newRow(cue) << QString::fromLatin1(cue);
}

void TestSoundOutput::defaultCuesDecode()
{
    QFETCH(QString, cue);
    const std::string file =
        QStringLiteral(CORBELET_SOURCE_DIR "/res/%1.mp3").arg(cue).toStdString();
    // The library takes it as a stream.
    FSOUND_STREAM* stream = AudioLibrary::FSOUND_Stream_Open(file.c_str(), StreamMode, 0, 0);
    QVERIFY(stream);
    QCOMPARE(AudioLibrary::FSOUND_Stream_Close(stream), 1);

    // Its samples, decoded as the library decodes them.
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> decoder(
        sf_open(file.c_str(), SFM_READ, &info), sf_close);
    QVERIFY2(decoder, sf_strerror(nullptr));
    QVERIFY(info.channels > 0 && info.samplerate > 0);
    // Read to the end: an MP3's frame count is only an estimate.
    std::vector<float> samples;
    std::vector<float> block(std::size_t(4096) * std::size_t(info.channels));
    while (const sf_count_t frames = sf_readf_float(decoder.get(), block.data(), 4096))
        samples.insert(samples.end(), block.begin(), block.begin() + frames * info.channels);
    QVERIFY(!samples.empty());

    std::size_t first = samples.size();
    std::size_t last = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > 0.001f) {
            first = std::min(first, i);
            last = i;
        }
    }
    // Heard, and over within two seconds.
    QVERIFY(last >= first);
    const double seconds = double(last - first) / info.channels / info.samplerate;
    QVERIFY2(seconds > 0.05 && seconds < 2.0, qPrintable(QString::number(seconds)));
    // Peaks near -6 dBFS, no clipping.
    const float loudest =
        std::abs(*std::max_element(samples.begin(), samples.end(),
                                   [](float a, float b) { return std::abs(a) < std::abs(b); }));
    QVERIFY2(loudest > 0.4f && loudest < 0.6f, qPrintable(QString::number(loudest)));
}

QTEST_MAIN(TestSoundOutput)
#include "tst_sound_output.moc"
