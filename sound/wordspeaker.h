#pragma once

// Says a word aloud in French: synthesised on a thread of the speaker's own
// (sound/speechsynthesis.h), so that the window never waits for it, then
// played by the sound player in its speech slot (SpeechStream) on the
// speaker's thread, the GUI thread: same device and same rules as a cue (no
// library or no device: silence). The caller decides whether to speak at all
// (the settings "Désactiver sons" and "Prononcer le mot").

#include "sound/speechsynthesis.h"

#include <QObject>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class WordSpeaker : public QObject
{
    Q_OBJECT

public:
    // libraryFile: the speech library, loaded at the first word (or prepare()).
    explicit WordSpeaker(QObject* parent = nullptr,
                         std::string libraryFile = Speech::kDefaultLibrary);
    ~WordSpeaker() override;
    WordSpeaker(const WordSpeaker&) = delete;
    WordSpeaker& operator=(const WordSpeaker&) = delete;

    // Says the word (Windows-1252, its real spelling as the base holds it).
    // Called on the speaker's thread, as prepare(). Returns at once; the word
    // plays once synthesised, cutting the word said before. A word still
    // waiting for synthesis is replaced by this one.
    void say(const std::string& windows1252Word);
    // Loads the speech library and its voice in the background, so that the
    // first word comes as fast as the next ones: to call once the window is
    // painted (at the first word drawn, say), never before.
    void prepare();

signals:
    // A word of say() is done with: `synthesised` when it went to the sound
    // player (which is silent without library or device), false when speech
    // is not available.
    void finished(bool synthesised);

private:
    // Starts the thread at the first request, and wakes it.
    void wake();
    void run();
    void play(const std::string& wav);

    const std::string m_libraryFile;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::string> m_pending; // UTF-8
    bool m_prepare = false;
    bool m_stopping = false;
    std::thread m_worker; // started by the first say() or prepare()
};
