#include "app/programwindows.h"

#include "app/errorreport.h"
#include "config/tcfgjeu.h"

#include <QFile>

ProgramWindows CreateProgramWindows(const ProgramLayout& layout)
{
    const QString programDirectory =
        QFile::decodeName(layout.resourceFolder.c_str()) + QLatin1Char('/');
    const QString settingsFile = QFile::decodeName(layout.settingsFile.c_str());

    ProgramWindows windows;
    RunReported([&] { windows.pendForm = std::make_unique<TPendForm>(programDirectory); });
    if (!windows.pendForm)
        return windows;
    TWordStore& store = windows.pendForm->wordStore();
    store.BaseFolder = layout.baseFolder.string();
    store.ResourceFolder = layout.resourceFolder.string();
    // A [Serveur] section, the player's or the machine's, puts the base on a
    // MariaDB server.
    store.Server = FindServerSettings(layout.settingsFile);

    RunReported([&] {
        auto* cfgJeu = new TCfgJeu(windows.pendForm->wordQuery(), programDirectory, settingsFile,
                                   windows.pendForm.get());
        windows.pendForm->setConfiguration(cfgJeu);
        windows.cfgJeu = cfgJeu;
    });

    RunReported([&] { windows.scoreListe = std::make_unique<TScoreListe>(); });
    return windows;
}
