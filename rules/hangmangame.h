#pragma once

// The game record and the word in play, and the rule of a pick. The window
// feeds picks in and plays back the ordered effects each pick reports.

#include "rules/cues.h"
#include "rules/wordrules.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Lives as long as the program runs.
struct GameRecord
{
    std::int32_t NbMotJoue = -1; // words drawn, minus one: the first draw brings it to 0
    std::int32_t NbMotTrouve = 0;
    std::int32_t Score = 0; // never below 0
    std::int32_t Niveau = 1;
};

// Replaced at each draw.
struct WordInPlay
{
    static constexpr int kFirstFlagCode = 32; // space
    static constexpr int kLastFlagCode = 90;  // 'Z'

    std::string Mot;
    std::string MotMasque;
    std::int32_t PointMot = 0;
    std::int32_t LongueurMot = 0;
    std::int32_t NbEssai = 0;
    std::int32_t NbErreur = 0;
    // One flag per character code 32..90.
    std::array<bool, kLastFlagCode - kFirstFlagCode + 1> LettreEssayee{};
};

// One step the window carries out after a pick, in the order given.
struct PickEffect
{
    enum class Kind
    {
        Beep,            // the system's default beep
        RepeatedLetter,  // "Lettre déjà essayée" in Label3, Timer1 enabled
        Cue,             // JoueSon(cue)
        ShowMask,        // MotMasque into affMot
        ShowPiece,       // piece becomes visible
        ShowInfo,        // AfficheInfo(text)
        ClearWord,       // affMot emptied
        StopCountdown,   // TimerGame disabled
        RefreshCounters, // Panel2 and Panel3
    };
    Kind kind;
    std::string text{}; // ShowInfo: the message (Windows-1252)
    Piece piece = Piece::ImgBas;
    Cue cue = Cue::SonHello;

    bool operator==(const PickEffect&) const = default;
};

struct PickOutcome
{
    enum class Status
    {
        Ignored,  // no word in play, or the word is already won or lost
        Repeated, // letter already tried on this word: nothing counted
        Found,
        NotFound,
        Lost,
        Won,
    };
    Status status = Status::Ignored;
    std::vector<PickEffect> effects;
};

class HangmanGame
{
public:
    const GameRecord& record() const { return m_record; }
    const WordInPlay& word() const { return m_word; }

    // A word has been drawn and is neither won nor lost: picks count.
    bool acceptsPicks() const { return m_record.NbMotJoue >= 0 && !m_finished; }

    // A new word from the store: folds and upper-cases it, masks every
    // position, resets the per-word picks, counts one more drawn word and takes
    // the level (levels outside 1..highestLevel() play as the nearest one).
    void NewWord(std::string_view storedWord, std::int32_t points, std::int32_t level);

    // Points of the word in play as Label3 shows them.
    std::int32_t wordValue() const { return m_record.Niveau * m_word.PointMot; }

    // The word in play as the store holds it, before folding (its accents).
    const std::string& realSpelling() const { return m_realSpelling; }
    // A word drawn has been won or lost: it takes no more picks.
    bool wordEnded() const { return m_record.NbMotJoue >= 0 && m_finished; }
    // What the last word won or lost did to the score: its gain × level, or
    // minus its points × level (before the score's floor at 0); 0 until the
    // word in play ends.
    std::int32_t wordPoints() const { return m_wordPoints; }

    // A won word: one more found, gain × level added to the score.
    void MotGagne(std::int32_t gain, std::int32_t level);
    // A lost word: points × level taken from the score, never below 0.
    void MotPerdu(std::int32_t points, std::int32_t level);

    // A pick of a letter of the list (its first character, upper case).
    PickOutcome Pick(char letter);
    // The countdown ran out: a pick of kTimeOutLetter, with no tried-letter flag.
    PickOutcome TimeOut();

private:
    PickOutcome apply(char letter, bool fromList);

    GameRecord m_record;
    WordInPlay m_word;
    std::string m_realSpelling;
    std::int32_t m_wordPoints = 0;
    bool m_finished = false;
};
