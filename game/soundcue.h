#pragma once

// Which file a sound cue plays, from the player's sound settings.

#include <QString>

class TCfgJeu;

// The file to play for cueName, or an empty text when nothing plays: nothing
// with "Désactiver sons" ticked; otherwise the file chosen in the entry named
// after the cue (its hint is the folder ending with "/" or empty, its text the
// file name; a path without a folder, or a relative one, is taken from
// programDirectory, the folder the program reads its files from) when it is a
// regular file; otherwise, with "Sons par défaut" ticked, the default file
// programDirectory + "res/" + cueName + ".mp3" when it is a regular file.
// Without a configuration window the settings' initial values apply: sounds
// on, default files on, no file chosen.
QString soundFileFor(const QString& cueName, const TCfgJeu* configuration,
                     const QString& programDirectory);
