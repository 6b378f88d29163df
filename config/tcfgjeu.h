#pragma once

// The configuration window: its controls are the game's live settings, read
// by the game window through GameSettings whenever it needs a value; it builds
// the two word-filter fragments that the word queries append, shows the rules
// preview and keeps the settings file (see inifile.h) in step with its
// controls through the save and load passes. Its controls and their looks are
// the form tcfgjeu.ui, kept private.

#include "config/gamesettings.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAbstractButton;
class QLineEdit;
class ProgressPage;
class TIniSection;
class TWordQuery;
struct WordListSummary;

namespace Ui {
class TCfgJeu;
}

// The form's controls are the game's live settings.
class TCfgJeu : public QDialog, public GameSettings
{
    Q_OBJECT
public:
    // wordQuery: the game window's query object, borrowed for the genre list.
    // programDirectory: the folder of the program's read-only files, ending
    // with "/": button glyphs, default sounds, the rules document.
    // settingsFile: the settings file's full path.
    TCfgJeu(TWordQuery& wordQuery, const QString& programDirectory, const QString& settingsFile,
            QWidget* parent = nullptr);
    ~TCfgJeu() override;

    // The word-filter fragments (Windows-1252 SQL text, empty or " AND …").
    const std::string& FiltreType() const;
    const std::string& FiltreGenre() const;

    // A child control by name, letter case ignored; nullptr when none.
    QWidget* FindComponent(const QString& name) const;

    // Called by the game window right after the word store is first connected:
    // builds FiltreGenre from the restored genre selection. A failed genre
    // query raises its error and leaves FiltreGenre empty.
    void RestoreGenreFilter();
    // Called with it too: fills the page of the lists from the base and, on
    // the player's own base, makes the game draw from the list the settings
    // file keeps (when it keeps one that the base has). On a server the page
    // shows the teacher's choice, read only. A list or choice that cannot be
    // read is said on the page; a choice that cannot be applied raises its
    // error, once.
    void RestoreWordList();

    // GameSettings: the controls above, as they are at each call.
    WordCatalogue::WordFilter wordFilter() const override;
    int level() const override;
    bool timeLimited() const override;
    int secondsPerPick() const override;
    ChosenSound chosenSound(Cue cue) const override;
    bool soundsOff() const override;
    bool defaultSounds() const override;
    bool sayWords() const override;
    std::string playerName() const override;
    void wordStoreConnected() override;
    void showSettings() override;
    void showRules() override;

    // The two passes over the stored controls. The save writes key by key and
    // raises std::runtime_error at the first key it cannot write; the load
    // never fails (an unreadable file reads as a file without keys).
    void SaveSettings();
    void LoadSettings();

public slots:
    void btValidClick();
    void btSaveClick();
    void cbTypeClick();
    void cbGenreClick();
    void NbMotMinChange();
    void NbMotMaxChange();
    void NbPointMinChange();
    void NbPointMaxChange();
    void btNouveauClick();
    // A list picked on the page of the lists: the game draws from it at once.
    void cbListeClick();
    // The lists of the base changed (the page of the progress made one):
    // the page of the lists shows them again, its choice kept.
    void refreshWordLists();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    // Made once, when the rules page is first shown.
    void createRulesPreview();
    void watchToolTips(QObject* object);
    void bindSoundEntries();

    // Each stored control's key and value, in the window's control order.
    std::vector<std::pair<std::string, std::string>> storedEntries() const;
    // The first start's save: the whole file at once, silent when it fails;
    // returns whether it was written.
    bool writeNewSettingsFile();
    void loadSettings(const TIniSection& settings);
    // The list the settings file keeps, in its section of its own.
    void loadListSetting(const TIniSection& lists);
    // "Prononcer le mot", in its section of its own.
    void loadSpeechSetting(const TIniSection& speech);
    void loadControl(const TIniSection& settings, QWidget* control);
    void loadGlyph(QAbstractButton* button) const;
    void applyTypeSelection();
    void pickSoundFile(QAbstractButton* button);
    // The list of the entry (none: all the words).
    std::optional<std::string> listOf(int index) const;
    void selectList(const std::optional<std::string>& list);
    void showWordLists(const std::vector<WordListSummary>& lists);
    // The page of the progress shows the player's base, when connected.
    void showProgress();

    std::unique_ptr<Ui::TCfgJeu> ui;
    TWordQuery& m_wordQuery;
    QString m_programDirectory;
    QString m_settingsFile;
    std::string m_filtreType;
    std::string m_filtreGenre;
    std::optional<std::uint32_t> m_previewHandle;
    bool m_rulesPreviewMade = false;
    // The "Progrès" page's content, made when the page first shows.
    ProgressPage* m_progressPage = nullptr;
    // The entry of each cue, indexed by Cue.
    std::array<QLineEdit*, kCues.size()> m_soundEntries{};
    // The stored controls and the buttons in the window's control order: the
    // order of the keys in a new file.
    std::vector<QWidget*> m_controlOrder;
    // The list the settings file keeps: nothing when it keeps none, empty for
    // all the words.
    std::optional<std::string> m_savedList;
    // The list the game draws from, once the page was filled from the base.
    std::optional<std::string> m_playedList;
    bool m_listsRead = false;
};
