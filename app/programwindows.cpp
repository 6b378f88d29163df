#include "app/programwindows.h"

#include "app/errorreport.h"
#include "config/tcfgjeu.h"

#include <QFile>

namespace {

// The layout's folders for the word store.
void placeWordStore(TWordStore& store, const ProgramLayout& layout)
{
    store.BaseFolder = layout.baseFolder.string();
    store.ResourceFolder = layout.resourceFolder.string();
}

} // namespace

void StartWordServer(const ProgramLayout& layout)
{
    // A store with the game window's properties and folders: the server is
    // one per process, and the game window's store finds it running.
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
    RunReported([&] { windows.pendForm = std::make_unique<TPendForm>(programDirectory); });
    if (!windows.pendForm)
        return windows;
    placeWordStore(windows.pendForm->wordStore(), layout);

    RunReported([&] {
        auto* cfgJeu = new TCfgJeu(windows.pendForm->wordQuery(), programDirectory, settingsFile,
                                   windows.pendForm.get());
        windows.pendForm->setConfiguration(cfgJeu);
        windows.cfgJeu = cfgJeu;
    });

    RunReported([&] { windows.scoreListe = std::make_unique<TScoreListe>(); });
    return windows;
}
