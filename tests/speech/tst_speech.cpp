// A word said aloud: synthesised by the real speech library, played by the
// real audio library into SDL's disk driver, whose file is listened to.

#include "sound/gessound.h"
#include "sound/wordspeaker.h"
#include "tests/sound/soundtestsupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace SoundTest;

namespace {

constexpr float kSilence = 0.01f;

// The first and one-past-last frame that sound, in seconds apart; 0 for none.
double soundingSeconds(const std::vector<float>& stereo)
{
    std::size_t first = stereo.size(), last = 0;
    for (std::size_t i = 0; i < stereo.size(); ++i) {
        if (std::abs(stereo[i]) > kSilence) {
            first = std::min(first, i / 2);
            last = i / 2 + 1;
        }
    }
    return last > first ? double(last - first) / OutputRate : 0.0;
}

} // namespace

class TestSpeech : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    // First: the process has not loaded the real library yet.
    void missingLibraryIsSilent();
    void longerWordSoundsLonger();
    void noDeviceIsSilent();

private:
    // Says the word on the disk driver, waits until it has been heard with
    // half a second of output after it, and returns how long it sounded.
    double spokenSeconds(const std::string& word);

    QTemporaryDir m_dir;
};

void TestSpeech::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("SDL_AUDIODRIVER", "disk");
}

void TestSpeech::missingLibraryIsSilent()
{
    WordSpeaker speaker(nullptr, m_dir.path().toStdString() + "/libespeak-ng.so.1");
    QSignalSpy finished(&speaker, &WordSpeaker::finished);
    speaker.say("chat");
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().toBool(), false);
}

double TestSpeech::spokenSeconds(const std::string& word)
{
    const QString output = m_dir.path() + "/" + QString::number(qHash(word)) + ".raw";
    qputenv("SDL_DISKAUDIOFILE", output.toLocal8Bit());
    MessageBoxDriver boxes;
    if (!InitSound())
        return -1;
    WordSpeaker speaker;
    QSignalSpy finished(&speaker, &WordSpeaker::finished);
    speaker.say(word);
    bool heard = finished.wait() && finished.first().first().toBool();
    // Heard, then half a second of silence after it.
    heard = heard && QTest::qWaitFor(
                         [&] {
                             const std::vector<float> out = readOutput(output);
                             std::size_t last = 0;
                             for (std::size_t i = 0; i < out.size(); ++i) {
                                 if (std::abs(out[i]) > kSilence)
                                     last = i / 2;
                             }
                             return last > 0 && out.size() / 2 > last + OutputRate / 2;
                         },
                         10000);
    CloseSound();
    return heard && boxes.boxes().isEmpty() ? soundingSeconds(readOutput(output)) : -1;
}

void TestSpeech::longerWordSoundsLonger()
{
    // Windows-1252 words, accents and all: « été », then a long word.
    const double shortWord = spokenSeconds("\xE9t\xE9");
    const double longWord = spokenSeconds("anticonstitutionnellement");
    qInfo("%.2f s, %.2f s", shortWord, longWord);
    QVERIFY2(shortWord > 0.1, qPrintable(QString::number(shortWord)));
    QVERIFY2(longWord > 2 * shortWord,
             qPrintable(QStringLiteral("%1 s, %2 s").arg(shortWord).arg(longWord)));
}

void TestSpeech::noDeviceIsSilent()
{
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    MessageBoxDriver boxes;
    // The refused device is told once, at InitSound, as for the cues.
    QVERIFY(!InitSound());
    QTRY_COMPARE(boxes.boxes().size(), 1);
    WordSpeaker speaker;
    QSignalSpy finished(&speaker, &WordSpeaker::finished);
    speaker.say("chat");
    QVERIFY(finished.wait());
    QTest::qWait(100);
    QCOMPARE(boxes.boxes().size(), 1);
    qputenv("SDL_AUDIODRIVER", "disk");
}

QTEST_MAIN(TestSpeech)
#include "tst_speech.moc"
