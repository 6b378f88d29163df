#pragma once

// A private desktop for the end-to-end tests: an X server (Xvfb) on a display
// it picks itself, a window manager (openbox), the built program started on
// it, and the X tools (xdotool, xprop) that watch and drive it from outside,
// as a player would.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class XSession
{
public:
    XSession() = default;
    // Ends the programs it started, then the window manager and the server.
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // The tools a session needs that are not installed; empty when all are.
    static QStringList missingTools();

    // Starts the server and the window manager; an empty text when both run,
    // else what went wrong.
    QString start();

    // What every program and tool of the session runs with: the display, the
    // xcb platform, the audio sent nowhere, the runtime folder (the single
    // instance lock lives there). Set the runtime folder before starting.
    QProcessEnvironment environment() const;
    void setRuntimeDirectory(const QString& folder) { m_runtime = folder; }

    // Starts a program from its own folder, with the session's environment
    // plus the given variables.
    QProcess* startProgram(const QString& program,
                           const QProcessEnvironment& extra = QProcessEnvironment());
    // Kills the programs still running and forgets them all.
    void endPrograms();

    // Runs a tool on the display and gives its standard output, trimmed.
    QString tool(const QString& program, const QStringList& arguments) const;
    // xdotool key / xdotool type, to the window that has the focus.
    void key(const QString& keys) const;
    void type(const QString& text) const;

    // The on-screen windows of a process.
    QStringList visibleWindows(qint64 pid) const;
    // Waits until the program runs with a window on screen.
    bool waitForWindow(QProcess* program, int timeoutMs) const;
    // The active window (decimal id), and the process owning it (0 when none).
    QString activeWindow() const;
    qint64 activePid() const;
    // The game window of a process: its on-screen window captioned like the
    // game, else its first one.
    QString gameWindow(qint64 pid) const;
    bool isIconic(const QString& window) const;
    // Brings the window of process pid to the front, answering with Return
    // any box of that process that stands in the way.
    bool activate(const QString& window, qint64 pid, int timeoutMs) const;
    // Presses the keys that ask the game to quit, answers its confirmation
    // with Return ("&Oui", the default button) and waits for the program to
    // end by itself with exit code 0.
    bool quitWith(QProcess* program, const QString& keys) const;

private:
    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_runtime;
    std::vector<std::unique_ptr<QProcess>> m_programs;
};
