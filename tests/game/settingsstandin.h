#pragma once

// A plain stand-in for the configuration window, for the game window's tests
// where the real window is not the point: the settings as plain values, and
// the game's requests counted.

#include "config/gamesettings.h"

#include <map>
#include <string>

class SettingsStandIn : public GameSettings
{
public:
    WordCatalogue::WordFilter filter;
    int gameLevel = 1;
    bool limited = true;
    int seconds = 30;
    std::map<Cue, ChosenSound> sounds;
    bool muted = false;
    bool useDefaults = true;
    bool speaks = true;
    std::string player;

    int storeConnections = 0;
    int settingsShown = 0;
    int rulesShown = 0;

    WordCatalogue::WordFilter wordFilter() const override { return filter; }
    int level() const override { return gameLevel; }
    bool timeLimited() const override { return limited; }
    int secondsPerPick() const override { return seconds; }
    ChosenSound chosenSound(Cue cue) const override
    {
        const auto found = sounds.find(cue);
        return found == sounds.end() ? ChosenSound() : found->second;
    }
    bool soundsOff() const override { return muted; }
    bool defaultSounds() const override { return useDefaults; }
    bool sayWords() const override { return speaks; }
    std::string playerName() const override { return player; }
    void wordStoreConnected() override { ++storeConnections; }
    void showSettings() override { ++settingsShown; }
    void showRules() override { ++rulesShown; }
};
