// The program's entry: one instance per executable file, the application
// title, the layout and the player's folders, the three windows in their
// order, the event loop.

#include "app/errorreport.h"
#include "app/programwindows.h"
#include "app/qttranslations.h"
#include "app/singleinstance.h"
#include "app/startuptrace.h"
#include "layout/programlayout.h"

#include <malloc.h>

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    // Large blocks (128 KB and more, such as the read buffer the word server
    // takes for the scan of every draw) are mapped for themselves and go back
    // to the system when freed. By default the allocator raises that
    // threshold at the first such free, and the blocks that follow stay in the
    // heap, which then keeps some 2 MB more once a few words have been drawn.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    CorbeletApplication application(argc, argv);

    // A later start of the same file ends here, before any title or window,
    // once the running instance has been asked to come forward.
    SingleInstance instance(QCoreApplication::applicationFilePath());
    if (!instance.EnsureSingleInstance())
        return 0;

    // Only the name is set, not a display name: on X11 Qt would append a
    // display name to every window caption.
    QApplication::setApplicationName(QStringLiteral("Corbelet"));
    QApplication::setApplicationVersion(QStringLiteral(CORBELET_VERSION));
    // Qt's own texts (standard buttons, file dialogs) in French; without the
    // translation file they stay in English.
    InstallQtFrenchTranslations(application);

    // Desktops match the windows with the desktop entry, and show its icon.
    // (A window icon of their own would cost a look-up in the icon theme
    // before the first window shows.)
    QGuiApplication::setDesktopFileName(QStringLiteral(CORBELET_APP_ID));

    // Portable or installed, from where the executable lies; then the
    // player's folders, without which there is nothing to play with.
    const ProgramLayout layout = DecideLayout(RunningExecutable(), UserFoldersFromEnvironment());
    std::string settingsNotKept;
    try {
        settingsNotKept = PreparePlayerFolders(layout);
    } catch (const std::exception& error) {
        // Also on the standard error: the program ends here, and whoever
        // started it from a terminal or a launcher's log learns why.
        std::fprintf(stderr, "corbelet: %s\n",
                     ErrorReportText(error.what()).toLocal8Bit().constData());
        ReportCurrentException();
        return 1;
    }
    // A settings folder that cannot be written: the game is played all the
    // same, on the settings of a first start, and the player learns once
    // that they will not be kept.
    if (!settingsNotKept.empty()) {
        std::fprintf(stderr, "corbelet: %s\n", settingsNotKept.c_str());
        ReportWarning(settingsNotKept);
    }

    const ProgramWindows windows = CreateProgramWindows(layout);
    if (!windows.pendForm)
        return 1; // Nothing to show: the error has been reported.
    instance.setMainWindow(windows.pendForm.get());

    InstallStartupTrace(windows.pendForm.get());
    // The game window first becomes active here, after all three exist.
    RunReported([&] { windows.pendForm->show(); });
    // The word server starts on a thread of its own while the window is
    // mapped, painted and activated; its first activation waits for it. (Not
    // earlier: beside the building of the windows it slows their first paint.)
    StartWordServer(layout);
    QApplication::exec();
    return 0;
}
