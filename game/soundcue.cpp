#include "game/soundcue.h"

#include <QFileInfo>

QString soundFileFor(Cue cue, const GameSettings* settings, const QString& programDirectory)
{
    bool useDefault = true;
    if (settings) {
        if (settings->soundsOff())
            return {};
        // The chosen file: its folder, which ends with its separator or is
        // empty, followed by its name. A name without a folder lies in the
        // program's resource folder, never in the current one.
        QString chosen;
        if (const ChosenSound sound = settings->chosenSound(cue); !sound.name.isEmpty()) {
            chosen = sound.folder + sound.name;
            if (QFileInfo(chosen).isRelative())
                chosen.prepend(programDirectory);
        }
        if (QFileInfo(chosen).isFile())
            return chosen;
        useDefault = settings->defaultSounds();
    }
    if (!useDefault)
        return {};
    const QString fallback = programDirectory + QString::fromStdString(defaultCueFile(cue));
    return QFileInfo(fallback).isFile() ? fallback : QString();
}
