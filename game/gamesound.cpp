#include "game/gamesound.h"

#include "config/gamesettings.h"
#include "sound/gessound.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

GameSoundPlayer::GameSoundPlayer(const QString& programDirectory)
    : m_programDirectory(programDirectory)
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

void GameSoundPlayer::play(Cue cue)
{
    const QString file = fileFor(cue);
    if (file.isEmpty())
        return;
    // The sound library and its output device start with the first cue, not
    // before the window first shows. The player works without sound when the
    // library is missing.
    if (!m_started) {
        m_started = true;
        InitSound();
    }
    PlaySoundFile(QFile::encodeName(file).toStdString(), CurrentStream);
}

void GameSoundPlayer::beep()
{
    QApplication::beep();
}

void GameSoundPlayer::close()
{
    CloseSound();
}
