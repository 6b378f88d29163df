#include "soundtestsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace SoundTest {

namespace {

void put16(std::string& out, std::uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void put32(std::string& out, std::uint32_t value)
{
    put16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

} // namespace

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

void writeToneWav(const std::string& path, double frequency, double seconds, int sampleRate,
                  int channels, double amplitude)
{
    const auto frames = static_cast<std::uint32_t>(std::lround(seconds * sampleRate));
    const std::uint32_t dataBytes = frames * static_cast<std::uint32_t>(channels) * 2;
    std::string out = "RIFF";
    put32(out, 36 + dataBytes);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, static_cast<std::uint16_t>(channels));
    put32(out, static_cast<std::uint32_t>(sampleRate));
    put32(out, static_cast<std::uint32_t>(sampleRate * channels * 2));
    put16(out, static_cast<std::uint16_t>(channels * 2));
    put16(out, 16);
    out += "data";
    put32(out, dataBytes);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double value =
            amplitude * std::sin(2 * std::numbers::pi * frequency * i / sampleRate);
        const auto sample = static_cast<std::int16_t>(std::lround(value * 32767));
        for (int c = 0; c < channels; ++c)
            put16(out, static_cast<std::uint16_t>(sample));
    }
    writeFile(path, out);
}

std::vector<float> readOutput(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<float> samples(static_cast<std::size_t>(bytes.size()) / sizeof(float) /
                               OutputChannels * OutputChannels);
    if (!samples.empty()) // memcpy takes no null pointer, even for no bytes
        std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

std::size_t outputFrames(const QString& path)
{
    return static_cast<std::size_t>(QFileInfo(path).size()) / (sizeof(float) * OutputChannels);
}

double toneAmplitude(const std::vector<float>& stereo, std::size_t first, std::size_t count,
                     double frequency)
{
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / OutputRate);
    double s1 = 0;
    double s2 = 0;
    double weights = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(count));
        weights += hann;
        const double s = hann * stereo[(first + i) * OutputChannels] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return weights > 0 ? 2 * std::sqrt(std::max(power, 0.0)) / weights : 0.0;
}

ToneSpan findTone(const std::vector<float>& stereo, double frequency, double threshold,
                  std::size_t from)
{
    ToneSpan span;
    const std::size_t frames = stereo.size() / OutputChannels;
    const std::size_t hop = DeviceFrames / 2;
    for (std::size_t first = from; first + DeviceFrames <= frames; first += hop) {
        if (toneAmplitude(stereo, first, DeviceFrames, frequency) < threshold)
            continue;
        if (!span.found) {
            span.found = true;
            span.begin = first;
        }
        span.end = first + DeviceFrames;
    }
    return span;
}

float peak(const std::vector<float>& stereo, std::size_t from)
{
    float result = 0;
    for (std::size_t i = from * OutputChannels; i < stereo.size(); ++i)
        result = std::max(result, std::abs(stereo[i]));
    return result;
}

bool waitForTone(const QString& path, double frequency, double threshold, double length,
                 double after, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            const std::vector<float> output = readOutput(path);
            const ToneSpan span = findTone(output, frequency, threshold);
            return span.found && span.seconds() >= length &&
                   output.size() / OutputChannels >=
                       span.begin + std::size_t((length + after) * OutputRate);
        },
        timeoutMs);
}

bool waitForMoreOutput(const QString& path, std::size_t frames, int timeoutMs)
{
    const std::size_t target = outputFrames(path) + frames;
    return QTest::qWaitFor([&] { return outputFrames(path) >= target; }, timeoutMs);
}

MessageBoxDriver::MessageBoxDriver()
{
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
    m_timer.start();
}

QStringList MessageBoxDriver::texts() const
{
    QStringList result;
    for (const SeenBox& box : m_boxes)
        result << box.text;
    return result;
}

void MessageBoxDriver::poll()
{
    auto* const box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box == m_last)
        return;
    m_last = box;
    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttonCount = box->buttons().size();
    seen.hasOkButton = box->button(QMessageBox::Ok) != nullptr;
    seen.modal = box->isModal();
    seen.owner = box->parentWidget();
    m_boxes << seen;
    if (QAbstractButton* const ok = box->button(QMessageBox::Ok))
        QTest::mouseClick(ok, Qt::LeftButton);
    else
        box->reject();
}

} // namespace SoundTest
