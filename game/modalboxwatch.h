#pragma once

#include <QDeadlineTimer>
#include <QObject>

class QWidget;

// Tells the game window when it gets the activation back from a modal box of
// the program: a box has closed just before, after the window's first
// activation, and no other window of the program has become active since.
class ModalBoxWatch : public QObject
{
    Q_OBJECT
public:
    explicit ModalBoxWatch(QWidget* window);
    // Whether the activation now coming is the return from a box; then forgets it.
    bool takeReturn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    bool m_windowActivated = false;
    bool m_boxClosed = false;
    QDeadlineTimer m_returnDeadline;
};
