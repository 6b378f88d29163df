#pragma once

// What the game window plays: the sound cue of each moment of the game that
// has one (rules/cues.h), the system beep of a refused pick and the finished
// word said aloud, until the window closes. The window is given one; the program's plays through
// the sound player (GameSoundPlayer).

#include "rules/cues.h"

#include "sound/wordspeaker.h"

#include <QString>

#include <memory>
#include <string>

class GameSettings;

class GameSound
{
public:
    virtual ~GameSound() = default;

    virtual void play(Cue cue) = 0;
    virtual void beep() = 0;
    // Says a word aloud (Windows-1252, its real spelling); returns at once.
    // The speech library loads with the first word said (some 50 ms, well
    // within what a player notices), so that a game never said a word costs
    // neither memory nor time.
    virtual void say(const std::string& windows1252Word) = 0;
    // The window closes: the cue that plays ends at once, and the sound
    // output goes.
    virtual void close() = 0;
};

// The cues through the sound player (sound/gessound.h), each from the file the
// settings choose for it (fileFor); the player and its output device start
// with the first cue that has a file, not before, and a machine without sound
// plays nothing. The beep is the desktop's. Words are said by a word
// speaker of its own (sound/wordspeaker.h).
class GameSoundPlayer final : public GameSound
{
public:
    // programDirectory: the folder the program reads its files from, ending
    // with "/"; default sounds and chosen sounds stored without a folder are
    // looked up under it.
    // speechLibrary: the speech library the word speaker loads.
    explicit GameSoundPlayer(const QString& programDirectory,
                             std::string speechLibrary = Speech::kDefaultLibrary);

    // The live settings, which outlive this object or are unset first.
    void setSettings(const GameSettings* settings);

    // The file to play for the cue, or an empty text when nothing plays:
    // nothing with "Désactiver sons" ticked; otherwise the file chosen for the
    // cue (a path without a folder, or a relative one, is taken from the
    // program's folder) when it is a regular file; otherwise, with "Sons par
    // défaut" ticked, the cue's default file under the program's folder when
    // it is a regular file. Without settings their initial values apply:
    // sounds on, default files on, no file chosen.
    QString fileFor(Cue cue) const;
    // Whether a word is said: "Prononcer le mot" ticked and "Désactiver sons"
    // not; without settings, as their initial values: yes.
    bool saysWords() const;

    void play(Cue cue) override;
    void beep() override;
    void say(const std::string& windows1252Word) override;
    void close() override;

    // The speaker that says the words, for its signal; until close().
    WordSpeaker& speaker() { return *m_speaker; }

private:
    void startPlayer();

    QString m_programDirectory;
    const GameSettings* m_settings = nullptr;
    bool m_started = false;
    // Goes at close(), and with it a word still being synthesised: nothing
    // plays once the sound output is shut.
    std::unique_ptr<WordSpeaker> m_speaker;
};
