#include "app/programwindows.h"

#include "app/errorreport.h"
#include "config/tcfgjeu.h"

ProgramWindows CreateProgramWindows(const QString& programDirectory, const QString& settingsFile)
{
    ProgramWindows windows;
    RunReported([&] { windows.pendForm = std::make_unique<TPendForm>(programDirectory); });
    if (!windows.pendForm)
        return windows;

    RunReported([&] {
        auto* cfgJeu = new TCfgJeu(windows.pendForm->wordQuery(), programDirectory, settingsFile,
                                   windows.pendForm.get());
        windows.pendForm->setConfiguration(cfgJeu);
        windows.cfgJeu = cfgJeu;
    });

    RunReported([&] { windows.scoreListe = std::make_unique<TScoreListe>(); });
    return windows;
}
