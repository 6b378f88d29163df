#pragma once

// Helpers of the sound tests: tone files of a known frequency, the output that
// SDL's disk driver writes (float32 stereo at 44.1 kHz) and its analysis, and
// a driver for the player's message boxes.

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace SoundTest {

constexpr int OutputRate = 44100;
constexpr int OutputChannels = 2;
constexpr std::size_t DeviceFrames = 1024;

// Writes a 16-bit PCM WAV file holding a sine tone (the same on every channel).
void writeToneWav(const std::string& path, double frequency, double seconds, int sampleRate = 44100,
                  int channels = 1, double amplitude = 0.5);

// Writes bytes to a file as they stand.
void writeFile(const std::string& path, const std::string& bytes);

// The interleaved stereo float samples written so far to a disk driver file.
std::vector<float> readOutput(const QString& path);
std::size_t outputFrames(const QString& path);

// Amplitude of a sine tone of the given frequency in the left channel over
// frames [first, first + count) (Goertzel over a Hann window).
double toneAmplitude(const std::vector<float>& stereo, std::size_t first, std::size_t count,
                     double frequency);

// Where a tone sounds in the output, analysed in windows of DeviceFrames
// frames moved by half a window: the first and one-past-last frame of the
// windows where its amplitude reaches threshold, or none.
struct ToneSpan
{
    bool found = false;
    std::size_t begin = 0;
    std::size_t end = 0;
    double seconds() const { return double(end - begin) / OutputRate; }
};
ToneSpan findTone(const std::vector<float>& stereo, double frequency, double threshold,
                  std::size_t from = 0);

// Largest absolute sample from frame `from` on.
float peak(const std::vector<float>& stereo, std::size_t from = 0);

// Waits, processing events, until the output holds a tone span of at least
// the given length (in seconds) followed by `after` seconds of further output.
bool waitForTone(const QString& path, double frequency, double threshold, double length,
                 double after = 0.0, int timeoutMs = 10000);

// Waits until the output holds `frames` more frames than it does now.
bool waitForMoreOutput(const QString& path, std::size_t frames, int timeoutMs = 10000);

// What a message box showed.
struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton*>::size_type buttonCount = 0;
    bool hasOkButton = false;
    bool modal = false;
    QWidget* owner = nullptr;
};

// Watches for the application's modal message boxes from a timer, records
// each and presses its OK button.
class MessageBoxDriver : public QObject
{
public:
    MessageBoxDriver();
    const QList<SeenBox>& boxes() const { return m_boxes; }
    void clear() { m_boxes.clear(); }
    QStringList texts() const;

private:
    void poll();

    QTimer m_timer;
    QList<SeenBox> m_boxes;
    QPointer<QMessageBox> m_last;
};

} // namespace SoundTest
