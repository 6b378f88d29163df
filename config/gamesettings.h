#pragma once

// What the game reads of the player's settings, and the two requests it makes
// of the window that holds them. The configuration window implements it over
// its own controls: each call reads them as they are at that moment, so the
// game always plays with the settings on screen, and nothing is copied or
// pushed to it.

#include "rules/cues.h"
#include "wordstore/wordcatalogue.h"

#include <QString>

#include <string>

// The file chosen for a sound cue, as its entry keeps it: the folder, ending
// with "/" or empty, and the file name, empty when none is chosen.
struct ChosenSound
{
    QString folder;
    QString name;
};

class GameSettings
{
public:
    virtual ~GameSettings() = default;

    // The bounds of the words to draw and count, with the two filter fragments.
    virtual WordCatalogue::WordFilter wordFilter() const = 0;
    // The level of the next word (NiveauDuJeu).
    virtual int level() const = 0;
    // Whether each pick has a time limit (LimitTemps), and its seconds
    // (TempsPartie).
    virtual bool timeLimited() const = 0;
    virtual int secondsPerPick() const = 0;
    // The file chosen for the cue, in the entry named after it.
    virtual ChosenSound chosenSound(Cue cue) const = 0;
    // "Désactiver sons" (PasDeSon): no cue plays at all.
    virtual bool soundsOff() const = 0;
    // "Sons par défaut…" (SonDefaut): a cue without a usable chosen file plays
    // its default file.
    virtual bool defaultSounds() const = 0;
    // "Prononcer le mot" (PrononcerMot, in its own section): each finished
    // word is said aloud, unless "Désactiver sons" is ticked.
    virtual bool sayWords() const = 0;
    // "Votre nom" (NomUser), Windows-1252: the name the player's progress
    // is recorded under (empty: the login name).
    virtual std::string playerName() const = 0;

    // The word store has just been connected for the first time: the settings
    // that depend on its content (the genre filter) are brought up to date.
    // Errors of the store are raised.
    virtual void wordStoreConnected() = 0;
    // Shows the settings window as it was left, or on the page of the rules.
    virtual void showSettings() = 0;
    virtual void showRules() = 0;
};
