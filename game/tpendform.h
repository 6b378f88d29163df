#pragma once

// The game window: the word in play, the letter list, the hangman drawing,
// the information panel, the per-pick countdown and the sound cues. The game
// rules themselves live in HangmanGame; this window shows their effects and
// reads the settings live through GameSettings. Its controls and their looks
// are the form tpendform.ui, kept private.

#include "config/gamesettings.h"
#include "rules/hangmangame.h"
#include "wordstore/wordstore.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QAbstractButton;
class QKeyEvent;
class QLabel;
class QListWidgetItem;
class QTimer;
class GameSound;
class ModalBoxWatch;
class TImage;
class WindowNetworkWait;

namespace Ui {
class TPendForm;
}

// The home page that the logo opens (set by the build, with the package's).
inline constexpr char kHomePage[] = CORBELET_HOME_PAGE;

// btValid's tag: the information panel's OK draws the next word.
inline constexpr int kDrawNextTag = 2212;

class TPendForm : public QWidget
{
    Q_OBJECT
public:
    // programDirectory: the folder the program reads its files from, ending
    // with "/" (the executable's folder, or share/corbelet/ once installed);
    // by default the folder of the running executable. Skins and glyphs are
    // looked up under it. The window's cues and beeps go to `sound`, which
    // outlives the window.
    explicit TPendForm(GameSound& sound, const QString& programDirectory = QString(),
                       QWidget* parent = nullptr);
    ~TPendForm() override;

    // The live settings (the configuration window). They outlive this window,
    // or are unset first; without them every use of a setting raises an error.
    void setConfiguration(GameSettings* configuration);

    TWordStore& wordStore() { return ZConnectionMySQL; }
    TWordQuery& wordQuery() { return ZQueryMySQL; }

    // The game record and the word in play.
    const HangmanGame& game() const { return m_game; }

    // The window's handlers.
    void btMotClick();
    void ListeLettreClickCheck(QObject* sender, QListWidgetItem* item = nullptr);
    void AfficheInfo(const std::string& text);
    void btValidClick();
    void Timer1Timer();
    void TimerGameTimer();
    void GetNbMotExecute();
    void FormActivate();
    void FormDeactivate();
    void btFermerClick();
    void btCfgClick();
    void imgLogoClick();
    void JoueSon(Cue cue);
    void EffacePendu();

    // Keyboard play: a letter typed anywhere in the window picks its item of
    // the letter list as ticking its box does (accented letters fold to their
    // base letter); F1 shows the rules in the configuration window; F5 says
    // the word again once it is won or lost; F6 shows the hint of the word in
    // play, when it has one.
    void pickTypedLetter(char letter);
    void showRules();
    void sayWordAgain();
    void showHint();

    // The notifications that tell a screen reader the result of each pick
    // (see spokenPick), taken in turn; each is hidden until its first
    // announcement. A screen reader reads a notification's text when it
    // comes to its event, which may be after the next pick: each keeps its
    // text until its turn comes again.
    static constexpr std::size_t kAnnouncers = 4;
    bool isAnnouncer(const QWidget* widget) const;
    // The one that told the last pick (the first before any).
    QLabel* announcer() const { return m_announcers[m_lastAnnouncer]; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setUpLetterList();
    void createTimers();
    void connectControls();
    void watchKeys();
    void createShortcuts();
    void FormCreate(const QString& programDirectory);
    bool FormCloseQuery();
    void FormClose();

    GameSettings& configuration() const;
    void playEffects(const PickOutcome& outcome);
    void showMask();
    void refreshCounters();
    QString wordValueText() const;
    void enableCountdown();
    void setTicked(QListWidgetItem* item, bool ticked);
    bool gameKeyPress(const QKeyEvent& key);
    QAbstractButton* focusedButton() const;
    void focusLetters();
    void announce(const QString& text);
    void gallowsChanged();
    QString spellingNote() const;
    // The word is won or lost: said aloud, and recorded in the progress.
    void wordFinished(bool won);

public:
    // The window's timers (the form holds its controls and the action GetNbMot).
    QTimer* Timer1 = nullptr;
    QTimer* TimerGame = nullptr;

private:
    std::unique_ptr<Ui::TPendForm> ui;
    GameSound& m_sound;
    // The connection outlives its query.
    TWordStore ZConnectionMySQL;
    TWordQuery ZQueryMySQL{ZConnectionMySQL};

    GameSettings* m_configuration = nullptr;
    HangmanGame m_game;
    std::array<TImage*, kPieceCount> m_pieces{}; // indexed by Piece
    // The word's font size as designed: a long word is shown smaller.
    int m_wordFontSize = 0;
    bool m_genreFilterRestored = false;
    bool m_settingTicks = false;
    // The panel shows that no word matches the settings.
    bool m_showsNoWord = false;
    // Before m_boxWatch: its creation already sends the window events.
    WindowNetworkWait* m_networkWait = nullptr;
    ModalBoxWatch* m_boxWatch;
    std::array<QLabel*, kAnnouncers> m_announcers{};
    std::size_t m_lastAnnouncer = 0;
    // Since the word in play was drawn.
    QElapsedTimer m_wordClock;
    // F6 showed the hint of the word in play.
    bool m_hintShown = false;
    // What the panel's next message adds as its tooltip and description.
    QString m_panelNote;
    // The countdown ran when the window last lost the activation.
    bool m_countdownWhenLeft = false;
    bool m_closed = false;
};
