#include "game/windownetworkwait.h"

#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <QTimerEvent>
#include <QWidget>

#include <mysql.h>

#include <algorithm>
#include <optional>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

} // namespace

WindowNetworkWait::WindowNetworkWait(QWidget* closeButton, std::vector<QTimer*> timers)
    : QObject(closeButton), m_closeButton(closeButton)
{
    for (QTimer* timer : timers)
        m_timers.emplace_back(timer);
}

int WindowNetworkWait::wait(int socket, int events, int timeoutMs)
{
    if (m_abandoned)
        return kAbandon;
    // One wait at a time: the store refuses a second operation meanwhile.
    if (m_loop)
        return kAbandon;

    QEventLoop loop;
    int happened = 0;
    const auto ready = [&](int event) {
        happened |= event;
        loop.exit();
    };
    std::optional<QSocketNotifier> readable, writable, exceptional;
    if (events & MYSQL_WAIT_READ) {
        readable.emplace(socket, QSocketNotifier::Read);
        QObject::connect(&*readable, &QSocketNotifier::activated, &loop,
                         [&] { ready(MYSQL_WAIT_READ); });
    }
    if (events & MYSQL_WAIT_WRITE) {
        writable.emplace(socket, QSocketNotifier::Write);
        QObject::connect(&*writable, &QSocketNotifier::activated, &loop,
                         [&] { ready(MYSQL_WAIT_WRITE); });
    }
    if (events & MYSQL_WAIT_EXCEPT) {
        exceptional.emplace(socket, QSocketNotifier::Exception);
        QObject::connect(&*exceptional, &QSocketNotifier::activated, &loop,
                         [&] { ready(MYSQL_WAIT_EXCEPT); });
    }
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&] { ready(MYSQL_WAIT_TIMEOUT); });
    if (timeoutMs >= 0)
        timeout.start(timeoutMs);

    qApp->installEventFilter(this);
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    qApp->removeEventFilter(this);
    // The window's timers that fired meanwhile fire once now: a long wait
    // pauses the countdown, a short one leaves it as it was.
    std::vector<QPointer<QTimer>> held;
    held.swap(m_heldTicks);
    for (const QPointer<QTimer>& timer : held) {
        if (timer && timer->isActive() && !m_abandoned)
            QCoreApplication::postEvent(timer, new QTimerEvent(timer->timerId()));
    }
    return m_abandoned ? kAbandon : happened;
}

void WindowNetworkWait::abandon()
{
    m_abandoned = true;
    if (m_loop)
        m_loop->exit();
}

bool WindowNetworkWait::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Timer) {
        const auto timer = std::find(m_timers.begin(), m_timers.end(), watched);
        if (timer == m_timers.end())
            return false;
        if (std::find(m_heldTicks.begin(), m_heldTicks.end(), watched) == m_heldTicks.end())
            m_heldTicks.push_back(*timer);
        return true;
    }
    if (!isUserInput(event->type()))
        return false;
    // Input reaches a widget through its window (a QWindow), and a shortcut
    // through its QShortcut or QAction: judged by the widget it goes to, or
    // the one the shortcut belongs to.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget && event->type() == QEvent::Shortcut)
        widget = qobject_cast<QWidget*>(watched->parent());
    if (!widget)
        return event->type() == QEvent::Shortcut;
    // Let through: the close button, and a modal box (the close
    // confirmation, a report) with everything in it.
    if (widget == m_closeButton)
        return false;
    const QWidget* modal = QApplication::activeModalWidget();
    return !(modal && (widget == modal || modal->isAncestorOf(widget)));
}
