#include "game/modalboxwatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <utility>

namespace {

// How long after a box of the program closes the window manager may take to
// hand the activation back to the game window. Past it, the player has been
// elsewhere (in another program) and comes back.
constexpr int kReturnFromBoxMs = 2000;

} // namespace

ModalBoxWatch::ModalBoxWatch(QWidget* window) : QObject(window), m_window(window)
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool ModalBoxWatch::takeReturn()
{
    return std::exchange(m_boxClosed, false) && !m_returnDeadline.hasExpired();
}

bool ModalBoxWatch::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Hide:
        // A box closed before the window first had the activation (the
        // sound player's notice while the windows are being made) hands
        // nothing back to it: its first activation is the player's.
        if (const auto* box = qobject_cast<QWidget*>(watched);
            box && box->isWindow() && box->isModal() && m_windowActivated) {
            m_boxClosed = true;
            m_returnDeadline.setRemainingTime(kReturnFromBoxMs);
        }
        break;
    case QEvent::WindowActivate:
        if (watched == m_window)
            m_windowActivated = true;
        // Another window of the program took over: what comes later is no
        // return from the box. (A window already hidden again, such as the
        // box itself answered at once, takes nothing over.)
        if (const auto* other = qobject_cast<QWidget*>(watched);
            other && other->isWindow() && other != m_window && other->isVisible())
            m_boxClosed = false;
        break;
    default:
        break;
    }
    return false;
}
