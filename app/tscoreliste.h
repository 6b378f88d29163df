#pragma once

// The score list window: start-up creates it hidden; nothing shows it and it
// records no scores.

#include <QWidget>

class TScoreListe : public QWidget
{
    Q_OBJECT
public:
    explicit TScoreListe(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QStringLiteral("ScoreListe"));
    }
};
