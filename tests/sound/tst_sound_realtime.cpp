// The audio thread allocates nothing: every stream gets the memory its
// playback needs when it is opened or rewound, on the caller's thread.
// (Allocations are counted by wrapping malloc, see audiothreadprobe.h.)

#include "audiothreadprobe.h"
#include "soundtestsupport.h"

#include "sound/fmoddyn.h"
#include "sound/gessound.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>

using namespace SoundTest;

class TestSoundRealtime : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void playbackAllocatesNothing_data();
    void playbackAllocatesNothing();
    void replayAllocatesNothing();
    void audioThreadUsesLittleCpu();
    void quietDeviceLeavesTheProcessorAlone();

private:
    QTemporaryDir m_dir;
    long m_audioThread = -1;
};

void TestSoundRealtime::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The probe counts: an allocation of the watched thread is seen (a zero
    // below would otherwise say nothing).
    AudioThreadProbe::watch(syscall(SYS_gettid));
    void* volatile block = std::malloc(64);
    std::free(block);
    QVERIFY(AudioThreadProbe::take() > 0);
    AudioThreadProbe::stop();
    qputenv("SDL_AUDIODRIVER", "dummy");
    // An idle delay of 2.5 s instead of 5 s (read when the library starts):
    // still longer than any pause between the cues of the cases below, which
    // all watch the same audio thread, and the last case waits half as long.
    qputenv("CORBELET_SOUND_IDLE_CLOSE_MS", "2500");
    QVERIFY(InitSound());
    QVERIFY(QTest::qWaitFor(
        [this] { return (m_audioThread = AudioThreadProbe::findAudioThread()) >= 0; }));
    QTest::qWait(100); // past the device thread's own start-up
}

void TestSoundRealtime::cleanupTestCase()
{
    AudioThreadProbe::stop();
    CloseSound();
}

void TestSoundRealtime::playbackAllocatesNothing_data()
{
    QTest::addColumn<QString>("file");
    const auto tone = [this](const char* name, int rate, int channels) {
        const QString file = m_dir.path() + '/' + name;
        writeToneWav(file.toStdString(), 440, 0.6, rate, channels);
        return file;
    };
    QTest::newRow("WAV 44.1 kHz mono") << tone("a.wav", 44100, 1);
    QTest::newRow("WAV 22.05 kHz mono") << tone("b.wav", 22050, 1);
    QTest::newRow("WAV 48 kHz stereo") << tone("c.wav", 48000, 2);
    QTest::newRow("WAV 8 kHz mono") << tone("d.wav", 8000, 1);
    QTest::newRow("MP3") << QStringLiteral(CORBELET_SOURCE_DIR "/res/SonPerdu.mp3");
}

void TestSoundRealtime::playbackAllocatesNothing()
{
    QFETCH(QString, file);
    AudioThreadProbe::watch(m_audioThread);
    PlaySoundFile(file.toStdString(), CurrentStream);
    QVERIFY(CurrentStream);
    QTest::qWait(700); // real time: the whole cue plays, to its end
    QCOMPARE(AudioThreadProbe::take(), 0L);
    AudioThreadProbe::stop();
}

void TestSoundRealtime::replayAllocatesNothing()
{
    PlaySoundFile(CORBELET_SOURCE_DIR "/res/SonHello.mp3", CurrentStream);
    QTest::qWait(200);
    AudioThreadProbe::watch(m_audioThread);
    // The same stream again, from its start, while it plays and after its end.
    QVERIFY(AudioLibrary::FSOUND_Stream_Play(-1, CurrentStream) >= 0);
    QTest::qWait(1300);
    QVERIFY(AudioLibrary::FSOUND_Stream_Play(-1, CurrentStream) >= 0);
    QTest::qWait(300);
    QCOMPARE(AudioThreadProbe::take(), 0L);
    AudioThreadProbe::stop();
}

void TestSoundRealtime::audioThreadUsesLittleCpu()
{
    const double before = AudioThreadProbe::cpuSeconds(m_audioThread);
    QVERIFY(before >= 0);
    PlaySoundFile(CORBELET_SOURCE_DIR "/res/SonPerdu.mp3", CurrentStream);
    QTest::qWait(1000);
    const double used = AudioThreadProbe::cpuSeconds(m_audioThread) - before;
    // Decoding an MP3 and mixing it takes well under a tenth of real time.
    QVERIFY2(used < 0.1, qPrintable(QString::number(used)));
}

void TestSoundRealtime::quietDeviceLeavesTheProcessorAlone()
{
    // Once nothing has played for the idle delay, the device is closed: no
    // audio thread is left to wake for every buffer.
    QVERIFY(QTest::qWaitFor([] { return AudioThreadProbe::findAudioThread() < 0; }, 15000));
    // The next cue opens it again before it starts, and the new audio thread
    // plays it without allocating either.
    PlaySoundFile(CORBELET_SOURCE_DIR "/res/SonPerdu.mp3", CurrentStream);
    QVERIFY(CurrentStream);
    long audioThread = -1;
    QVERIFY(QTest::qWaitFor(
        [&] { return (audioThread = AudioThreadProbe::findAudioThread()) >= 0; }, 1000));
    AudioThreadProbe::watch(audioThread);
    QTest::qWait(1000);
    QCOMPARE(AudioThreadProbe::take(), 0L);
    AudioThreadProbe::stop();
}

QTEST_MAIN(TestSoundRealtime)
#include "tst_sound_realtime.moc"
