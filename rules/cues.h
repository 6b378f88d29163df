#pragma once

// The game's eight sound cues and the one table of their names. A cue's name
// is the object name of the configuration window's entry that holds its file,
// the key of that file in the settings file, and the base name of its default
// file, res/<name>.mp3 in the program's folder.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

enum class Cue
{
    SonHello,       // the first activation of the game window
    SonNouveau,     // a new word
    SonBonneLettre, // each position a pick finds
    SonErreur,      // a pick that finds nothing
    SonPerdu,       // the word is lost
    SonGagner,      // the word is won
    SonDecide,      // four seconds left to pick
    SonExit,        // the player quits
};

struct CueName
{
    Cue cue;
    std::string_view name;
};

// Every cue, in the order of the enumeration.
inline constexpr std::array<CueName, 8> kCues = {{
    {Cue::SonHello, "SonHello"},
    {Cue::SonNouveau, "SonNouveau"},
    {Cue::SonBonneLettre, "SonBonneLettre"},
    {Cue::SonErreur, "SonErreur"},
    {Cue::SonPerdu, "SonPerdu"},
    {Cue::SonGagner, "SonGagner"},
    {Cue::SonDecide, "SonDecide"},
    {Cue::SonExit, "SonExit"},
}};

constexpr bool cuesInOrder()
{
    for (std::size_t index = 0; index < kCues.size(); ++index)
        if (kCues[index].cue != static_cast<Cue>(index))
            return false;
    return static_cast<std::size_t>(Cue::SonExit) + 1 == kCues.size();
}
static_assert(cuesInOrder(), "kCues lists every cue once, in the order of the enumeration");

constexpr std::string_view cueName(Cue cue)
{
    return kCues[static_cast<std::size_t>(cue)].name;
}

// The default file of a cue, relative to the program's folder.
inline std::string defaultCueFile(Cue cue)
{
    return std::string("res/").append(cueName(cue)).append(".mp3");
}
