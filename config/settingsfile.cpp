#include "config/settingsfile.h"

#include <QCoreApplication>

QString SettingsFilePathFor(const QString& executablePath)
{
    const qsizetype slash = executablePath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        return executablePath.left(dot) + QStringLiteral(".ini");
    return executablePath + QStringLiteral(".ini");
}

QString SettingsFilePath()
{
    return SettingsFilePathFor(QCoreApplication::applicationFilePath());
}
