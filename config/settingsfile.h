#pragma once

// Where the settings file lies: beside the executable, named after it.

#include <QString>

// The settings file of an executable: its full path with the extension (the
// text from the last dot after the last "/") replaced by ".ini", or ".ini"
// appended when the name has no dot ("/opt/corbelet/corbelet" gives
// "/opt/corbelet/corbelet.ini").
QString SettingsFilePathFor(const QString& executablePath);

// The settings file of the running program, worked out from the executable's
// own full path, never from the current folder. Needs the QCoreApplication.
QString SettingsFilePath();
