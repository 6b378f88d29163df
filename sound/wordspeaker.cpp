#include "sound/wordspeaker.h"

#include "sound/gessound.h"
#include "text/windows1252.h"

#include <utility>

WordSpeaker::WordSpeaker(QObject* parent, std::string libraryFile)
    : QObject(parent), m_libraryFile(std::move(libraryFile))
{}

WordSpeaker::~WordSpeaker()
{
    if (!m_worker.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_worker.join();
}

void WordSpeaker::say(const std::string& windows1252Word)
{
    {
        const std::lock_guard lock(m_mutex);
        m_pending = Windows1252::toUtf8(windows1252Word);
    }
    wake();
}

void WordSpeaker::prepare()
{
    {
        const std::lock_guard lock(m_mutex);
        m_prepare = true;
    }
    wake();
}

void WordSpeaker::wake()
{
    // The thread starts with the first request: a speaker made with the
    // window costs its start-up nothing.
    if (!m_worker.joinable())
        m_worker = std::thread([this] { run(); });
    m_wake.notify_one();
}

void WordSpeaker::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_pending || m_prepare; });
        if (m_stopping)
            return;
        const std::optional<std::string> word = std::exchange(m_pending, std::nullopt);
        m_prepare = false;
        lock.unlock();
        if (!word) {
            Speech::PrepareSynthesis(m_libraryFile);
        } else {
            std::string wav = Speech::SynthesiseWav(*word, m_libraryFile);
            // Played on the speaker's thread, where the sound player lives; a
            // speaker destroyed meanwhile drops it.
            QMetaObject::invokeMethod(
                this, [this, wav = std::move(wav)] { play(wav); }, Qt::QueuedConnection);
        }
        lock.lock();
    }
}

void WordSpeaker::play(const std::string& wav)
{
    if (!wav.empty())
        PlaySoundMemory(wav, SpeechStream);
    emit finished(!wav.empty());
}
