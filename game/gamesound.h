#pragma once

// What the game window plays: the sound cue of each moment of the game that
// has one (rules/cues.h) and the system beep of a refused pick, until the
// window closes. The window is given one; the program's plays through the
// sound player (GameSoundPlayer).

#include "rules/cues.h"

#include <QString>

class GameSettings;

class GameSound
{
public:
    virtual ~GameSound() = default;

    virtual void play(Cue cue) = 0;
    virtual void beep() = 0;
    // The window closes: the cue that plays ends at once, and the sound
    // output goes.
    virtual void close() = 0;
};

// The cues through the sound player (sound/gessound.h), each from the file the
// settings choose for it (fileFor); the player and its output device start
// with the first cue that has a file, not before, and a machine without sound
// plays nothing. The beep is the desktop's.
class GameSoundPlayer final : public GameSound
{
public:
    // programDirectory: the folder the program reads its files from, ending
    // with "/"; default sounds and chosen sounds stored without a folder are
    // looked up under it.
    explicit GameSoundPlayer(const QString& programDirectory);

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

    void play(Cue cue) override;
    void beep() override;
    void close() override;

private:
    QString m_programDirectory;
    const GameSettings* m_settings = nullptr;
    bool m_started = false;
};
