#pragma once

// A private desktop for the end-to-end tests and the start-up benchmark: an X
// server (Xvfb) on a display it picks itself (-displayfd), a window manager
// (openbox), the built program started on it, and the X tools (xdotool, xprop,
// xwininfo) that watch and drive it from outside, as a player would.

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
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

    // The display's name, ":<number>".
    QString display() const { return m_display; }

    // What every program and tool of the session runs with: the caller's
    // environment with the display, the xcb platform, the audio sent nowhere,
    // no start-up probe, and the runtime folder when one is set (the single
    // instance lock lives there; set it before starting a program).
    QProcessEnvironment environment() const;
    void setRuntimeDirectory(const QString& folder) { m_runtime = folder; }

    // Starts a program from its own folder, with environment() or the given
    // environment (made from it); its standard error goes to the caller's.
    // The session owns it until endPrograms().
    QProcess* startProgram(const QString& program);
    QProcess* startProgram(const QString& program, const QProcessEnvironment& environment);
    // Kills the programs still running and forgets them all.
    void endPrograms();

    // For a test program whose own windows need a real display (the offscreen
    // platform has no accessibility bridge): called first in main, before the
    // application exists, it starts a session and runs the program again on
    // it, with the same arguments, and gives that run's exit code. In that
    // run it gives nothing, and main goes on.
    static std::optional<int> rerunOnPrivateDisplay(int argc, char** argv);

    // Runs a tool on the display and gives its standard output, trimmed.
    QString tool(const QString& program, const QStringList& arguments) const;
    // xdotool key / xdotool type, to the window that has the focus.
    void key(const QString& keys) const;
    void type(const QString& text) const;
    // Clicks at a point of a window, in the window's own coordinates.
    void click(const QString& window, QPoint at) const;

    // The on-screen windows of a process.
    QStringList visibleWindows(qint64 pid) const;
    // Waits until the program runs with a window on screen.
    bool waitForWindow(QProcess* program, int timeoutMs) const;
    // A window's caption as it is, spaces included.
    QString windowName(const QString& window) const;
    // The on-screen windows of a process whose caption is exactly `caption`.
    QStringList windowsNamed(qint64 pid, const QString& caption) const;
    // A property of a window as xprop prints it.
    QString property(const QString& window, const QString& name) const;
    // A window with the frame the window manager draws around it, in screen
    // coordinates; empty when unknown.
    QRect frameGeometry(const QString& window) const;
    // The active window (decimal id, empty when none), and the process
    // owning it (0 when none).
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
    // A tool's standard output as it is.
    QString output(const QString& program, const QStringList& arguments) const;

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
    QString m_runtime;
    std::vector<std::unique_ptr<QProcess>> m_programs;
};
