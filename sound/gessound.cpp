#include "sound/gessound.h"

#include "sound/fmoddyn.h"
#include "sound/fmoderrors.h"
#include "text/qtwindows1252.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <climits>
#include <exception>

FSOUND_STREAM* CurrentStream = nullptr;
FSOUND_STREAM* SpeechStream = nullptr;
unsigned StreamMode = 0;

namespace {

constexpr int MixRate = 44100;
constexpr int SoftwareChannels = 32;
// The library's mode bits for 16-bit (0x10), mono (0x20), signed (0x100) data.
constexpr unsigned ReadyStreamMode = 0x130;

// The library could not open the output device, at the last InitSound or at a
// cue after it had closed the device while the game was quiet: the machine
// has no sound output. The player has said so once and keeps quiet until the
// next InitSound: every cue would fail the same way.
bool outputRefused = false;

// The library is loaded and bound, and its output device is open or was
// never refused.
bool libraryUsable()
{
    return AudioLibraryBound() && !outputRefused;
}

// After a refused output device: shuts the library down (which frees every
// stream) and calls nothing more of it until the next InitSound.
void fallSilent()
{
    AudioLibrary::FSOUND_Close();
    CurrentStream = nullptr;
    SpeechStream = nullptr;
    outputRefused = true;
}

// Shows the text of the library's error `code` in a plain modal box over the
// active window.
void showSoundError(int code)
{
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    Windows1252::toQString(SoundErrorText(code)), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void showLastSoundError()
{
    showSoundError(AudioLibrary::FSOUND_GetError());
}

// Stops the cue held in stream, then opens `name` (a file name, or with
// FSOUND_LOADMEMORY in mode the `length` bytes of a file in memory) in stream
// and starts it; see PlaySoundFile.
void playStream(const char* name, unsigned mode, int length, FSOUND_STREAM*& stream)
{
    if (!libraryUsable())
        return;
    if (stream)
        AudioLibrary::FSOUND_Stream_Close(stream);
    stream = AudioLibrary::FSOUND_Stream_Open(name, mode, 0, length);
    if (!stream) {
        showLastSoundError();
        return;
    }
    if (AudioLibrary::FSOUND_Stream_Play(-1, stream) >= 0)
        return;
    const int error = AudioLibrary::FSOUND_GetError();
    // The library closed the device while the game was quiet and cannot open
    // it again: as at a refused start, one box, then silence. Silent before
    // the box shows, since cues keep coming while it waits for the player.
    if (error == FMOD_ERR_INIT) {
        fallSilent();
        stream = nullptr;
    }
    showSoundError(error);
}

} // namespace

bool InitSound()
{
    // The game plays on without sound whatever goes wrong here; only a
    // refused output device is worth telling the player about, below. A
    // library that cannot be loaded or bound is left unmentioned.
    outputRefused = false;
    try {
        if (!LoadAudioLibrary())
            return false;
        if (!AudioLibrary::FSOUND_Init(MixRate, SoftwareChannels, 0)) {
            const int error = AudioLibrary::FSOUND_GetError();
            fallSilent();
            showSoundError(error);
            return false;
        }
        AudioLibrary::FSOUND_DSP_SetActive(AudioLibrary::FSOUND_DSP_GetFFTUnit(), 1);
    } catch (const std::exception&) {
        return false;
    }
    StreamMode = ReadyStreamMode;
    return true;
}

void PlaySoundFile(const std::string& fileName, FSOUND_STREAM*& stream)
{
    playStream(fileName.c_str(), StreamMode, 0, stream);
}

void PlaySoundMemory(const std::string& soundFile, FSOUND_STREAM*& stream)
{
    if (soundFile.empty() || soundFile.size() > std::size_t(INT_MAX))
        return;
    playStream(soundFile.data(), StreamMode | FSOUND_LOADMEMORY, int(soundFile.size()), stream);
}
void CloseSound()
{
    // After a refused output device the library was shut down at once.
    if (!libraryUsable())
        return;
    if (CurrentStream) {
        AudioLibrary::FSOUND_Stream_Close(CurrentStream);
        // The library has freed the stream: the slot must not keep its handle.
        CurrentStream = nullptr;
    }
    // FSOUND_Close frees the spoken word's stream with the rest.
    SpeechStream = nullptr;
    AudioLibrary::FSOUND_DSP_SetActive(AudioLibrary::FSOUND_DSP_GetFFTUnit(), 0);
    AudioLibrary::FSOUND_Close();
}
