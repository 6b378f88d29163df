#include "app/programwindows.h"

#include "app/errorreport.h"
#include "config/tcfgjeu.h"

#include <QFile>

namespace {

// The layout's folders for the word store, and its server when the settings
// name one.
void placeWordStore(TWordStore& store, const ProgramLayout& layout)
{
    store.BaseFolder = layout.baseFolder.string();
    store.ResourceFolder = layout.resourceFolder.string();
    // A [Serveur] section, the player's or the machine's, puts the base on a
    // MariaDB server.
    store.Server = FindServerSettings(layout.settingsFile);
}

} // namespace

void StartWordServer(const ProgramLayout& layout)
{
    // A store with the game window's properties, folders and server: the
    // embedded server is one per process, and the game window's store finds
    // it running. (With a MariaDB server there is nothing to start.)
    TWordStore store;
    placeWordStore(store, layout);
    store.StartServerInBackground();
}

ProgramWindows CreateProgramWindows(const ProgramLayout& layout)
{
    const QString programDirectory =
        QFile::decodeName(layout.resourceFolder.c_str()) + QLatin1Char('/');
    const QString settingsFile = QFile::decodeName(layout.settingsFile.c_str());

    ProgramWindows windows;
    windows.sound = std::make_unique<GameSoundPlayer>(programDirectory);
    RunReported(
        [&] { windows.pendForm = std::make_unique<TPendForm>(*windows.sound, programDirectory); });
    if (!windows.pendForm)
        return windows;
    placeWordStore(windows.pendForm->wordStore(), layout);

    RunReported([&] {
        auto* cfgJeu = new TCfgJeu(windows.pendForm->wordQuery(), programDirectory, settingsFile,
                                   windows.pendForm.get());
        windows.pendForm->setConfiguration(cfgJeu);
        windows.sound->setSettings(cfgJeu);
        windows.cfgJeu = cfgJeu;
    });

    RunReported([&] { windows.scoreListe = std::make_unique<TScoreListe>(); });
    return windows;
}
