#pragma once

// Qt's own texts in French: the standard buttons of message boxes and the
// labels of the file dialog speak the same language as the rest of the game.

class QCoreApplication;

// Installs Qt's French translation (qtbase_fr from Qt's translations folder)
// into the application; does nothing when the file is not there, and the
// dialogs then stay in English. Returns whether it was installed.
bool InstallQtFrenchTranslations(QCoreApplication& application);
