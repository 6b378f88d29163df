#pragma once

// The game window's wait for a word server on the network: while the server
// is slow to answer, a local event loop runs, in which the window repaints
// and its close button (or the title bar's) works. The rest of the input to
// the program's windows is held back, so that no handler of the window runs
// inside the one that waits, and the ticks of the window's own timers (the
// countdown) wait for the answer too. Closing the window gives the wait up: the
// handler that waited ends without a report, and the window goes only once it
// has ended.

#include "wordstore/wordstore.h"

#include <QObject>
#include <QPointer>

#include <vector>

class QEventLoop;
class QTimer;
class QWidget;

class WindowNetworkWait : public QObject, public NetworkWait
{
public:
    // `closeButton`: the one control of the window that stays live;
    // `timers`: those whose ticks wait.
    WindowNetworkWait(QWidget* closeButton, std::vector<QTimer*> timers);

    int wait(int socket, int events, int timeoutMs) override;
    bool waiting() const { return m_loop != nullptr; }
    // Gives the wait in progress, and any that follows, up.
    void abandon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_closeButton;
    std::vector<QPointer<QTimer>> m_timers;
    // Those whose tick came during the wait in progress.
    std::vector<QPointer<QTimer>> m_heldTicks;
    QEventLoop* m_loop = nullptr;
    bool m_abandoned = false;
};
