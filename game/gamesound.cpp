#include "game/gamesound.h"

#include "config/gamesettings.h"
#include "sound/gessound.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <utility>

GameSoundPlayer::GameSoundPlayer(const QString& programDirectory, std::string speechLibrary)
    : m_programDirectory(programDirectory),
      m_speaker(std::make_unique<WordSpeaker>(nullptr, std::move(speechLibrary)))
{}

void GameSoundPlayer::setSettings(const GameSettings* settings)
{
    m_settings = settings;
}

QString GameSoundPlayer::fileFor(Cue cue) const
{
    bool useDefault = true;
    if (m_settings) {
        if (m_settings->soundsOff())
            return {};
        // The chosen file: its folder, which ends with its separator or is
        // empty, followed by its name. A name without a folder lies in the
        // program's resource folder, never in the current one.
        QString chosen;
        if (const ChosenSound sound = m_settings->chosenSound(cue); !sound.name.isEmpty()) {
            chosen = sound.folder + sound.name;
            if (QFileInfo(chosen).isRelative())
                chosen.prepend(m_programDirectory);
        }
        if (QFileInfo(chosen).isFile())
            return chosen;
        useDefault = m_settings->defaultSounds();
    }
    if (!useDefault)
        return {};
    const QString fallback = m_programDirectory + QString::fromStdString(defaultCueFile(cue));
    return QFileInfo(fallback).isFile() ? fallback : QString();
}

void GameSoundPlayer::startPlayer()
{
    // The sound library and its output device start with the first cue or
    // word, not before the window first shows. The player works without
    // sound when the library is missing.
    if (!m_started) {
        m_started = true;
        InitSound();
    }
}

void GameSoundPlayer::play(Cue cue)
{
    const QString file = fileFor(cue);
    if (file.isEmpty())
        return;
    startPlayer();
    PlaySoundFile(QFile::encodeName(file).toStdString(), CurrentStream);
}

bool GameSoundPlayer::saysWords() const
{
    return !m_settings || (!m_settings->soundsOff() && m_settings->sayWords());
}

void GameSoundPlayer::say(const std::string& windows1252Word)
{
    if (!m_speaker || !saysWords())
        return;
    startPlayer();
    m_speaker->say(windows1252Word);
}

void GameSoundPlayer::beep()
{
    QApplication::beep();
}

void GameSoundPlayer::close()
{
    m_speaker.reset();
    CloseSound();
}
