#pragma once

// A private X display for end-to-end checks: Xvfb, which picks a free display
// number and writes it on its standard output (-displayfd), with openbox as
// its window manager; and the X tools (xdotool, xprop) run against it.

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

class XSession
{
public:
    XSession() = default;
    ~XSession()
    {
        for (QProcess* process : {&m_windowManager, &m_server}) {
            process->kill();
            process->waitForFinished();
        }
    }
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // The programs a session needs that are not installed; empty when all are.
    static QStringList missingTools()
    {
        QStringList missing;
        for (const char* name : {"Xvfb", "openbox", "xdotool", "xprop"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
                missing << QString::fromLatin1(name);
        }
        return missing;
    }

    // Starts the display and its window manager; false when either fails.
    bool start()
    {
        m_server.start(QStringLiteral("Xvfb"),
                       {QStringLiteral("-displayfd"), QStringLiteral("1"),
                        QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        if (!m_server.waitForStarted())
            return false;
        QElapsedTimer clock;
        clock.start();
        while (!m_server.canReadLine() && clock.elapsed() < 10000)
            m_server.waitForReadyRead(100);
        if (!m_server.canReadLine())
            return false;
        m_display = QLatin1Char(':') + QString::fromLatin1(m_server.readLine()).trimmed();

        // Now and then openbox gives up at once on a display that has just
        // come up (exit code 1, no message); it is then started again.
        m_windowManager.setProcessEnvironment(environment());
        m_windowManager.setStandardOutputFile(QProcess::nullDevice());
        m_windowManager.setStandardErrorFile(QProcess::nullDevice());
        for (int attempt = 0; attempt < 3 && !managed(); ++attempt) {
            m_windowManager.start(QStringLiteral("openbox"), QStringList());
            if (!m_windowManager.waitForStarted())
                return false;
            clock.restart();
            // Waiting for its end also notices when it gives up.
            while (!managed() && !m_windowManager.waitForFinished(50) && clock.elapsed() < 20000)
                continue;
        }
        return managed();
    }

    QString display() const { return m_display; }

    // The caller's environment pointed at this display, with Qt on X11.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return environment;
    }

    // Runs an X tool and gives its standard output, trimmed.
    QString tool(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!process.waitForFinished(5000))
            return QString();
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // The X windows of a process that are on screen.
    QStringList visibleWindows(qint64 pid) const
    {
        return tool(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--pid"), QString::number(pid)})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Clicks at (x, y) inside a window.
    void click(const QString& window, int x, int y) const
    {
        tool(QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
              QString::number(y), QStringLiteral("click"), QStringLiteral("1")});
    }

    void key(const QString& keys) const
    {
        tool(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    }

private:
    bool managed() const
    {
        return tool(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains(QStringLiteral("window id"));
    }

    QProcess m_server;
    QProcess m_windowManager;
    QString m_display;
};
