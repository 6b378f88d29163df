#pragma once

// CONTRACT STUB written by the lead: the configuration engineer owns this file
// and replaces it; the public names below are what the game window and the
// start-up code rely on.

#include <QDialog>
#include <QString>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class TWordQuery;

class TCfgJeu : public QDialog
{
    Q_OBJECT
public:
    // wordQuery: the game window's query object, borrowed for the genre list.
    // programDirectory: the executable's folder ending with "/" (skin glyphs).
    // settingsFile: the settings file's full path.
    TCfgJeu(TWordQuery& wordQuery, const QString& programDirectory, const QString& settingsFile,
            QWidget* parent = nullptr);
    ~TCfgJeu() override;

    // The live settings: the controls themselves, objectName = the member's name.
    QSpinBox* NbMotMin = nullptr;
    QSpinBox* NbMotMax = nullptr;
    QSpinBox* NbPointMin = nullptr;
    QSpinBox* NbPointMax = nullptr;
    QComboBox* cbType = nullptr;
    QComboBox* cbCathegorie = nullptr;
    QComboBox* cbGenre = nullptr;
    QCheckBox* LimitTemps = nullptr;
    QSpinBox* TempsPartie = nullptr;
    QSpinBox* NiveauDuJeu = nullptr;
    QLineEdit* NomUser = nullptr;
    QLineEdit* SonGagner = nullptr;
    QLineEdit* SonPerdu = nullptr;
    QLineEdit* SonBonneLettre = nullptr;
    QLineEdit* SonErreur = nullptr;
    QCheckBox* SonDefaut = nullptr;
    QLineEdit* SonNouveau = nullptr;
    QCheckBox* PasDeSon = nullptr;
    QLineEdit* SonDecide = nullptr;
    QLineEdit* SonExit = nullptr;
    QLineEdit* SonHello = nullptr;

    // The word-filter fragments (Windows-1252 SQL text, empty or " AND …").
    const std::string& FiltreType() const;
    const std::string& FiltreGenre() const;

    // A child control by name, letter case ignored; nullptr when none.
    QWidget* FindComponent(const QString& name) const;

    // Called by the game window right after the word store is first connected:
    // builds FiltreGenre from the restored genre selection.
    void RestoreGenreFilter();

    // The two passes over the stored controls.
    void SaveSettings();
    void LoadSettings();
};
