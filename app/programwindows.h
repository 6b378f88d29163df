#pragma once

// The program's three windows, created in their fixed order.

#include "app/tscoreliste.h"
#include "game/gamesound.h"
#include "game/tpendform.h"
#include "layout/programlayout.h"

#include <QString>

#include <memory>

class TCfgJeu;

struct ProgramWindows
{
    // Declared in the reverse of the order they go at exit: the score list
    // first, then the game window with the configuration window it owns, then
    // the game window's sounds.
    std::unique_ptr<GameSoundPlayer> sound;
    std::unique_ptr<TPendForm> pendForm; // the main window; null when its creation failed
    TCfgJeu* cfgJeu = nullptr;           // owned by pendForm; null when its creation failed
    std::unique_ptr<TScoreListe> scoreListe;
};

// Creates, in this order and all hidden: the game window TPendForm, whose
// creation reads nothing of the other two, with its sounds through the sound
// player; the configuration window TCfgJeu (owned by the game window, so that
// it stays above it), which loads the settings from the layout's settings
// file and which the sounds follow; the score list window TScoreListe, which
// nothing shows. Both windows read their files from the layout's resource
// folder, and the word store is given the layout's folders. An error raised
// by a creation is shown by the general error report and the next creation
// goes on; without a game window nothing else is created.
ProgramWindows CreateProgramWindows(const ProgramLayout& layout);

// Starts the word server for the layout's word base on a thread of its own, so
// that its start overlaps the showing of the game window; the game window's
// store waits for it when it first connects.
void StartWordServer(const ProgramLayout& layout);
