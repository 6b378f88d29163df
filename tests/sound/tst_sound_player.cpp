// The sound player over the real audio library, on SDL's dummy output: what
// the player does and which message boxes it shows, not what is heard.

#include "soundtestsupport.h"

#include "sound/fmoddyn.h"
#include "sound/fmoderrors.h"
#include "sound/gessound.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cfenv>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <fenv.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace SoundTest;

class TestSoundPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void initSoundMakesThePlayerReady();
    void floatingPointExceptionsStayMasked();
    void signalsAreLeftToTheGame();
    void cueIsHandedToTheLibrary();
    void failedOpenShowsTheLibraryError_data();
    void failedOpenShowsTheLibraryError();
    void nonAudioFileIsRefusedWithoutNoise();
    void unreadableFileIsRefused();
    void closeSoundWithoutCueAndAfterwards();
    void refusedInitialisationShowsOneBox();
    void refusedReopeningShowsOneBox();
    void libraryRunsOutOfChannels();
    void cueThatCannotStartStaysInTheSlot();
    void loadAudioLibraryBindsOrFails();

private:
    std::string path(const char* name) const { return (m_dir.path() + '/' + name).toStdString(); }

    QTemporaryDir m_dir;
    QWidget m_window;
    std::string m_tone;
};

void TestSoundPlayer::initTestCase()
{
    qputenv("SDL_AUDIODRIVER", "dummy");
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Corbelet"));
    QVERIFY(m_dir.isValid());
    m_tone = path("tone.wav");
    writeToneWav(m_tone, 440, 0.5);
    m_window.resize(200, 100);
    m_window.show();
    m_window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_window));
}

void TestSoundPlayer::init()
{
    // A closed box does not always hand activation back on the offscreen
    // platform.
    m_window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_window));
    CurrentStream = nullptr;
    StreamMode = 0;
}

void TestSoundPlayer::cleanup()
{
    CloseSound();
    qputenv("SDL_AUDIODRIVER", "dummy");
}

void TestSoundPlayer::initSoundMakesThePlayerReady()
{
    MessageBoxDriver boxes;
    QVERIFY(InitSound());
    QVERIFY(boxes.boxes().isEmpty());
    QCOMPARE(StreamMode, 0x130u);
    QVERIFY(AudioLibraryBound());
    QVERIFY(AudioLibrary::LibraryHandle);
}

void TestSoundPlayer::floatingPointExceptionsStayMasked()
{
    QVERIFY(InitSound());
    QCOMPARE(fegetexcept(), 0);
    volatile double one = 1.0;
    volatile double zero = 0.0;
    volatile double big = std::numeric_limits<double>::max();
    QCOMPARE(one / zero, std::numeric_limits<double>::infinity());
    QVERIFY(std::isnan(zero / zero));
    QVERIFY(std::isinf(big * 2.0));
    PlaySoundFile(m_tone, CurrentStream);
    QCOMPARE(fegetexcept(), 0);
}

void TestSoundPlayer::signalsAreLeftToTheGame()
{
    // Even when asked for them through the environment, the audio library
    // takes no handler for the signals that end the game: whatever handles
    // them before (here, Qt Test) handles them after.
    const auto handlers = [] {
        std::vector<void*> result;
        for (const int signal : {SIGINT, SIGTERM}) {
            struct sigaction action
            {};
            sigaction(signal, nullptr, &action);
            result.push_back(reinterpret_cast<void*>(action.sa_sigaction));
        }
        return result;
    };
    const std::vector<void*> before = handlers();
    qputenv("SDL_NO_SIGNAL_HANDLERS", "0");
    QVERIFY(InitSound());
    qunsetenv("SDL_NO_SIGNAL_HANDLERS");
    QVERIFY(handlers() == before);
}

void TestSoundPlayer::cueIsHandedToTheLibrary()
{
    MessageBoxDriver boxes;
    QVERIFY(InitSound());
    PlaySoundFile(m_tone, CurrentStream);
    FSOUND_STREAM* const first = CurrentStream;
    QVERIFY(first);
    // The same file again: the first stream is closed, a new one opened.
    PlaySoundFile(m_tone, CurrentStream);
    QVERIFY(CurrentStream);
    QVERIFY(boxes.boxes().isEmpty());
    // A stream closed by the player is gone from the library.
    FSOUND_STREAM* other = nullptr;
    PlaySoundFile(m_tone, other);
    QVERIFY(other);
    QCOMPARE(AudioLibrary::FSOUND_Stream_Close(other), 1);
    QCOMPARE(AudioLibrary::FSOUND_Stream_Close(other), 0);
    QCOMPARE(AudioLibrary::FSOUND_GetError(), int(FMOD_ERR_INVALID_PARAM));
    CloseSound();
    QCOMPARE(CurrentStream, nullptr);
}

void TestSoundPlayer::failedOpenShowsTheLibraryError_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing") << "missing.wav"
                             << "File not found";
    QTest::newRow("in a missing folder") << "nowhere/missing.mp3"
                                         << "File not found";
    QTest::newRow("text named .mp3") << "text.mp3"
                                     << "Unknown file format";
    QTest::newRow("folder") << "folder.wav"
                            << "Error loading file";
    QTest::newRow("empty") << "empty.mp3"
                           << "Error loading file";
    QTest::newRow("WAV without frames") << "silent.wav"
                                        << "Error loading file";
}

void TestSoundPlayer::failedOpenShowsTheLibraryError()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    writeFile(path("text.mp3"), "Ceci n'est pas un son.\n");
    writeFile(path("empty.mp3"), "");
    QDir(m_dir.path()).mkdir("folder.wav");
    writeToneWav(path("silent.wav"), 440, 0.0);

    QVERIFY(InitSound());
    MessageBoxDriver boxes;
    PlaySoundFile(m_tone, CurrentStream);
    QVERIFY(CurrentStream);
    PlaySoundFile(path(file.toUtf8().constData()), CurrentStream);
    QCOMPARE(CurrentStream, nullptr);
    QCOMPARE(boxes.texts(), QStringList{text});
    const SeenBox& box = boxes.boxes().first();
    QCOMPARE(box.title, QStringLiteral("Corbelet"));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttonCount, 1);
    QVERIFY(box.hasOkButton);
    QVERIFY(box.modal);
    QCOMPARE(box.owner, &m_window);

    // The game goes on: the next cue plays.
    PlaySoundFile(m_tone, CurrentStream);
    QVERIFY(CurrentStream);
    QCOMPARE(boxes.boxes().size(), 1);
}

void TestSoundPlayer::nonAudioFileIsRefusedWithoutNoise()
{
    // Bytes that the MPEG decoder's probe would complain about on stderr.
    std::string junk = "GIF89a";
    for (int i = 0; i < 4096; ++i)
        junk.push_back(static_cast<char>((i * 37) & 0xFF));
    writeFile(path("junk.mp3"), junk);
    QVERIFY(InitSound());
    MessageBoxDriver boxes;

    const QString errors = m_dir.path() + "/stderr.txt";
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int capture = ::open(errors.toUtf8().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(saved >= 0 && capture >= 0);
    dup2(capture, STDERR_FILENO);
    PlaySoundFile(path("junk.mp3"), CurrentStream);
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(capture);

    QCOMPARE(boxes.texts(), QStringList{"Unknown file format"});
    QFile written(errors);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray());
}

void TestSoundPlayer::unreadableFileIsRefused()
{
    if (geteuid() == 0)
        QSKIP("root reads every file");
    const std::string locked = path("locked.wav");
    writeToneWav(locked, 440, 0.2);
    QCOMPARE(chmod(locked.c_str(), 0), 0);
    QVERIFY(InitSound());
    MessageBoxDriver boxes;
    PlaySoundFile(locked, CurrentStream);
    QCOMPARE(boxes.texts(), QStringList{"Error loading file"});
}

void TestSoundPlayer::closeSoundWithoutCueAndAfterwards()
{
    MessageBoxDriver boxes;
    QVERIFY(InitSound());
    CloseSound();
    QVERIFY(boxes.boxes().isEmpty());
    // The library is closed but still loaded: a late cue reaches it and is
    // refused with its message, and nothing freed is touched.
    QVERIFY(AudioLibraryBound());
    PlaySoundFile(m_tone, CurrentStream);
    QCOMPARE(CurrentStream, nullptr);
    QCOMPARE(boxes.texts(), QStringList{"This command failed because FSOUND_Init was not called"});

    // A cue still open at shut-down is closed and the slot emptied.
    boxes.clear();
    QVERIFY(InitSound());
    PlaySoundFile(m_tone, CurrentStream);
    QVERIFY(CurrentStream);
    CloseSound();
    QCOMPARE(CurrentStream, nullptr);
    CloseSound();
    QVERIFY(boxes.boxes().isEmpty());
}

void TestSoundPlayer::refusedInitialisationShowsOneBox()
{
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    MessageBoxDriver boxes;
    QVERIFY(!InitSound());
    QCOMPARE(boxes.texts(), QStringList{"Error initializing output device"});
    QCOMPARE(boxes.boxes().first().title, QStringLiteral("Corbelet"));
    QCOMPARE(StreamMode, 0u);
    QVERIFY(AudioLibraryBound());

    // The machine has no sound output: the cues of a whole game (greeting,
    // draw, letters, errors, result, exit) and the shut-down reach neither the
    // library (its last error is still the refused device) nor the player.
    boxes.clear();
    for (int cue = 0; cue < 16; ++cue)
        PlaySoundFile(cue % 4 ? m_tone : path("missing.wav"), CurrentStream);
    CloseSound();
    QCOMPARE(CurrentStream, nullptr);
    QTest::qWait(50);
    QVERIFY(boxes.boxes().isEmpty());
    QCOMPARE(AudioLibrary::FSOUND_GetError(), int(FMOD_ERR_INIT));

    // The next start tries the device again; once it opens, a missing file
    // has its message again.
    qputenv("SDL_AUDIODRIVER", "dummy");
    QVERIFY(InitSound());
    QCOMPARE(StreamMode, 0x130u);
    PlaySoundFile(path("missing.wav"), CurrentStream);
    QCOMPARE(boxes.texts(), QStringList{"File not found"});
}

void TestSoundPlayer::refusedReopeningShowsOneBox()
{
    // SDL's disk driver writes the output into a file while the device is
    // open: the device opens at start and closes once the game is quiet.
    const QString output = m_dir.filePath(QStringLiteral("sortie.raw"));
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(output));
    // An idle delay of 0.3 s instead of 5 s, read when the library starts.
    qputenv("CORBELET_SOUND_IDLE_CLOSE_MS", "300");
    const auto defaultDelay = qScopeGuard([] { qunsetenv("CORBELET_SOUND_IDLE_CLOSE_MS"); });
    MessageBoxDriver boxes;
    QVERIFY(InitSound());
    QElapsedTimer sinceCue;
    sinceCue.start();
    PlaySoundFile(m_tone, CurrentStream);
    // Closed 0.3 s after the cue started, once nothing plays: its file stops
    // growing.
    const auto closed = [&] {
        const qint64 written = QFileInfo(output).size();
        QTest::qWait(300);
        return sinceCue.elapsed() > 300 && written > 0 && QFileInfo(output).size() == written;
    };
    QVERIFY(QTest::qWaitFor(closed, 15000));

    // The next cue cannot open it again (its file cannot be made any more):
    // one box for the whole game, and nothing more reaches the library (its
    // last error stays the refused device).
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_dir.filePath("absent/sortie.raw")));
    for (int cue = 0; cue < 12; ++cue)
        PlaySoundFile(cue % 4 ? path("missing.wav") : m_tone, CurrentStream);
    CloseSound();
    QCOMPARE(CurrentStream, nullptr);
    QTest::qWait(50);
    QCOMPARE(boxes.texts(), QStringList{"Error initializing output device"});
    QCOMPARE(AudioLibrary::FSOUND_GetError(), int(FMOD_ERR_INIT));

    // The next start tries again.
    qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(output));
    QVERIFY(InitSound());
    PlaySoundFile(path("missing.wav"), CurrentStream);
    QCOMPARE(boxes.texts(), (QStringList{"Error initializing output device", "File not found"}));
    qunsetenv("SDL_DISKAUDIOFILE");
}

void TestSoundPlayer::libraryRunsOutOfChannels()
{
    // Long enough that no stream ends (and frees its channel) during the test.
    const std::string longTone = path("long.wav");
    writeToneWav(longTone, 440, 20.0, 8000);
    QVERIFY(InitSound());
    std::vector<FSOUND_STREAM*> streams;
    for (int i = 0; i <= CORBELETSOUND_MAX_CHANNELS; ++i) {
        streams.push_back(AudioLibrary::FSOUND_Stream_Open(longTone.c_str(), StreamMode, 0, 0));
        QVERIFY(streams.back());
    }
    for (int i = 0; i < CORBELETSOUND_MAX_CHANNELS; ++i)
        QCOMPARE(AudioLibrary::FSOUND_Stream_Play(-1, streams[std::size_t(i)]), i);
    QCOMPARE(AudioLibrary::FSOUND_Stream_Play(-1, streams.back()), -1);
    QCOMPARE(AudioLibrary::FSOUND_GetError(), int(FMOD_ERR_CHANNEL_ALLOC));
    QCOMPARE(SoundErrorText(FMOD_ERR_CHANNEL_ALLOC),
             std::string("Failed to allocate a new channel"));
    // Closing one frees its channel for the next.
    QCOMPARE(AudioLibrary::FSOUND_Stream_Close(streams[5]), 1);
    QCOMPARE(AudioLibrary::FSOUND_Stream_Play(-1, streams.back()), 5);
    // FSOUND_Close frees the streams still open.
}

void TestSoundPlayer::cueThatCannotStartStaysInTheSlot()
{
    // Every channel busy with a long stream: the cue opens but cannot start.
    const std::string longTone = path("long.wav");
    writeToneWav(longTone, 440, 20.0, 8000);
    QVERIFY(InitSound());
    std::vector<FSOUND_STREAM*> busy;
    for (int i = 0; i < CORBELETSOUND_MAX_CHANNELS; ++i) {
        busy.push_back(AudioLibrary::FSOUND_Stream_Open(longTone.c_str(), StreamMode, 0, 0));
        QCOMPARE(AudioLibrary::FSOUND_Stream_Play(-1, busy.back()), i);
    }
    MessageBoxDriver boxes;
    PlaySoundFile(m_tone, CurrentStream);
    QCOMPARE(boxes.texts(), QStringList{"Failed to allocate a new channel"});
    QCOMPARE(boxes.boxes().first().title, QStringLiteral("Corbelet"));
    // The stream stays open in the slot: once a channel is free it still plays.
    QVERIFY(CurrentStream);
    QCOMPARE(AudioLibrary::FSOUND_Stream_Close(busy.front()), 1);
    QCOMPARE(AudioLibrary::FSOUND_Stream_Play(-1, CurrentStream), 0);
    // The next cue closes it first: the channel it held is the one free for
    // the new stream, which starts without a box.
    PlaySoundFile(m_tone, CurrentStream);
    QVERIFY(CurrentStream);
    QCOMPARE(boxes.boxes().size(), 1);
}

void TestSoundPlayer::loadAudioLibraryBindsOrFails()
{
    QVERIFY(!LoadAudioLibrary("/nonexistent/libcorbeletsound.so"));
    QVERIFY(!AudioLibrary::LibraryHandle);
    QVERIFY(!AudioLibrary::FSOUND_Init);
    QVERIFY(!AudioLibraryBound());

    // A file that is no library at all.
    QVERIFY(!LoadAudioLibrary(m_tone.c_str()));
    QVERIFY(!AudioLibraryBound());

    // A library without the entry points: the first one missing is named.
    try {
        LoadAudioLibrary("libz.so.1");
        QFAIL("no error raised");
    } catch (const std::runtime_error& error) {
        QCOMPARE(QString(error.what()), QStringLiteral("Failed to find FSOUND_Init in libz.so.1"));
    }
    QVERIFY(AudioLibrary::LibraryHandle);
    QVERIFY(!AudioLibraryBound());

    const QByteArray full = CORBELET_RUN_DIR "/libcorbeletsound.so";
    QVERIFY(LoadAudioLibrary(full.constData()));
    QVERIFY(AudioLibraryBound());
    UnloadAudioLibrary();
    QVERIFY(!AudioLibrary::LibraryHandle);
    QVERIFY(!AudioLibrary::FSOUND_Stream_Play);
    QVERIFY(!AudioLibraryBound());
    // Nothing is called while unbound.
    PlaySoundFile(m_tone, CurrentStream);
    CloseSound();
    QCOMPARE(CurrentStream, nullptr);
}

QTEST_MAIN(TestSoundPlayer)
#include "tst_sound_player.moc"
