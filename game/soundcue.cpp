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
        QString chosen;
        if (const QWidget* entry = configuration->FindComponent(cueName)) {
            const auto* edit = qobject_cast<const QLineEdit*>(entry);
            chosen = entry->toolTip() + QLatin1Char('/') + (edit ? edit->text() : QString());
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
