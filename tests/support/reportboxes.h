#pragma once

// Plays the player who reads each message box of the program and presses its
// OK button once the box has the activation: while one is up, its own event
// loop runs and this timer answers it, keeping its text. For tests that run
// the program's general error report (CorbeletApplication).

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

class ReportBoxes : public QObject
{
public:
    ReportBoxes()
    {
        m_closer.setInterval(0);
        m_closer.callOnTimeout(this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || !box->isActiveWindow())
                return;
            texts.append(box->text());
            if (QAbstractButton* ok = box->button(QMessageBox::Ok))
                ok->click();
            else
                box->reject();
        });
        m_closer.start();
    }

    // The text of every box answered so far, in order.
    QStringList texts;

private:
    QTimer m_closer;
};
