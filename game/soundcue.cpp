#include "game/soundcue.h"

#include "config/tcfgjeu.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>

QString soundFileFor(const QString& cueName, const TCfgJeu* configuration,
                     const QString& programDirectory)
{
    bool useDefault = true;
    if (configuration) {
        if (configuration->PasDeSon->isChecked())
            return {};
        // The chosen file: the folder kept in the entry's hint, which ends with
        // its separator or is empty, followed by the entry's text. A name
        // without a folder lies in the program's resource folder, never in the
        // current one.
        QString chosen;
        if (const auto* entry =
                qobject_cast<const QLineEdit*>(configuration->FindComponent(cueName));
            entry && !entry->text().isEmpty()) {
            chosen = entry->toolTip() + entry->text();
            if (QFileInfo(chosen).isRelative())
                chosen.prepend(programDirectory);
        }
        if (QFileInfo(chosen).isFile())
            return chosen;
        useDefault = configuration->SonDefaut->isChecked();
    }
    if (!useDefault)
        return {};
    const QString fallback =
        programDirectory + QStringLiteral("res/") + cueName + QStringLiteral(".mp3");
    return QFileInfo(fallback).isFile() ? fallback : QString();
}
