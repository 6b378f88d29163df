#pragma once

// Which file a sound cue plays, from the player's sound settings.

#include "config/gamesettings.h"
#include "rules/cues.h"

#include <QString>

// The file to play for the cue, or an empty text when nothing plays: nothing
// with "Désactiver sons" ticked; otherwise the file chosen for the cue (a
// path without a folder, or a relative one, is taken from programDirectory,
// the folder the program reads its files from) when it is a regular file;
// otherwise, with "Sons par défaut" ticked, the cue's default file under
// programDirectory when it is a regular file. Without settings their initial
// values apply: sounds on, default files on, no file chosen.
QString soundFileFor(Cue cue, const GameSettings* settings, const QString& programDirectory);
