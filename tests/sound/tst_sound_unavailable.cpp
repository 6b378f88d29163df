// The player without a usable audio library. Built twice: with a run path
// holding a library that lacks an entry point (CORBELET_STUB_LIBRARY), and
// with a run path holding no library at all. Either way the game plays on
// silently: no message, no call into the library.

#include "soundtestsupport.h"

#include "sound/fmoddyn.h"
#include "sound/gessound.h"

#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace SoundTest;

class TestSoundUnavailable : public QObject
{
    Q_OBJECT

private slots:
    void initSoundFailsSilently();
    void cuesAndShutDownDoNothing();
    void loadReportsTheMissingPiece();
};

void TestSoundUnavailable::initSoundFailsSilently()
{
    MessageBoxDriver boxes;
    QVERIFY(!InitSound());
    QTest::qWait(50);
    QVERIFY(boxes.boxes().isEmpty());
    QCOMPARE(StreamMode, 0u);
    QVERIFY(!AudioLibraryBound());
#ifdef CORBELET_STUB_LIBRARY
    // The library stays loaded with the entry points found before the
    // missing one.
    QVERIFY(AudioLibrary::LibraryHandle);
    QVERIFY(AudioLibrary::FSOUND_Init);
    QVERIFY(AudioLibrary::FSOUND_Stream_Play);
    QVERIFY(!AudioLibrary::FSOUND_Stream_Close);
#else
    QVERIFY(!AudioLibrary::LibraryHandle);
    QVERIFY(!AudioLibrary::FSOUND_Init);
#endif
}

void TestSoundUnavailable::cuesAndShutDownDoNothing()
{
    QTemporaryDir dir;
    const std::string file = (dir.path() + "/tone.wav").toStdString();
    writeToneWav(file, 440, 0.2);
    MessageBoxDriver boxes;
    InitSound();
    PlaySoundFile(file, CurrentStream);
    PlaySoundFile(file + ".missing", CurrentStream);
    QCOMPARE(CurrentStream, nullptr);
    CloseSound();
    QTest::qWait(50);
    QVERIFY(boxes.boxes().isEmpty());
}

void TestSoundUnavailable::loadReportsTheMissingPiece()
{
#ifdef CORBELET_STUB_LIBRARY
    try {
        LoadAudioLibrary();
        QFAIL("no error raised");
    } catch (const std::runtime_error& error) {
        QCOMPARE(QString(error.what()),
                 QStringLiteral("Failed to find FSOUND_Stream_Close in libcorbeletsound.so"));
    }
#else
    QVERIFY(!LoadAudioLibrary());
#endif
    QVERIFY(!AudioLibraryBound());
}

QTEST_MAIN(TestSoundUnavailable)
#include "tst_sound_unavailable.moc"
