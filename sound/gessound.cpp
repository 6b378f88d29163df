#include "sound/gessound.h"

#include "sound/fmoddyn.h"
#include "sound/fmoderrors.h"
#include "text/qtwindows1252.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include <exception>

FSOUND_STREAM* CurrentStream = nullptr;
unsigned StreamMode = 0;

namespace {

constexpr int MixRate = 44100;
constexpr int SoftwareChannels = 32;
// The library's mode bits for 16-bit (0x10), mono (0x20), signed (0x100) data.
constexpr unsigned ReadyStreamMode = 0x130;

// The library refused to open the output device at the last InitSound: the
// machine has no sound output. The player has said so once and keeps quiet
// until the next InitSound: every cue would fail the same way.
bool outputRefused = false;

// The library is loaded and bound, and its output device is open or was
// never refused.
bool libraryUsable()
{
    return AudioLibraryBound() && !outputRefused;
}

// Shows the text of the library's last error in a plain modal box over the
// active window.
void showLastSoundError()
{
    const int code = AudioLibrary::FSOUND_GetError();
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    Windows1252::toQString(SoundErrorText(code)), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
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
            showLastSoundError();
            AudioLibrary::FSOUND_Close();
            outputRefused = true;
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
    if (!libraryUsable())
        return;
    if (stream)
        AudioLibrary::FSOUND_Stream_Close(stream);
    stream = AudioLibrary::FSOUND_Stream_Open(fileName.c_str(), StreamMode, 0, 0);
    if (!stream) {
        showLastSoundError();
        return;
    }
    if (AudioLibrary::FSOUND_Stream_Play(-1, stream) < 0)
        showLastSoundError();
}

void CloseSound()
{
    // After a refused output device the library was closed at once.
    if (!libraryUsable())
        return;
    if (CurrentStream) {
        AudioLibrary::FSOUND_Stream_Close(CurrentStream);
        // The library has freed the stream: the slot must not keep its handle.
        CurrentStream = nullptr;
    }
    AudioLibrary::FSOUND_DSP_SetActive(AudioLibrary::FSOUND_DSP_GetFFTUnit(), 0);
    AudioLibrary::FSOUND_Close();
}
