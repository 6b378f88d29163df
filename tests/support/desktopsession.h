#pragma once

// A private desktop for end-to-end tests of the built program: an X server
// (Xvfb, on a display it picks itself) with a window manager (openbox), and the
// X tools that watch the programs on it from outside (xdotool, xprop,
// xwininfo).

#include <QFileInfo>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

#include <memory>

class DesktopSession
{
public:
    DesktopSession() = default;
    ~DesktopSession()
    {
        for (QProcess* process : {&m_windowManager, &m_xserver}) {
            process->kill();
            process->waitForFinished();
        }
    }
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // The first program the session needs that is not installed; empty when
    // all are there.
    static QString missingProgram()
    {
        for (const char* name : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
                return QString::fromLatin1(name);
        }
        return QString();
    }

    // Starts the server, then the window manager; true once it manages the
    // display.
    bool start()
    {
        m_xserver.start(QStringLiteral("Xvfb"),
                        {QStringLiteral("-displayfd"), QStringLiteral("1"),
                         QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp")});
        if (!m_xserver.waitForStarted() ||
            !QTest::qWaitFor([&] { return m_xserver.canReadLine(); }, 10000))
            return false;
        m_display = QLatin1Char(':') + QString::fromLatin1(m_xserver.readLine()).trimmed();

        // Now and then openbox gives up at once on a display that has just
        // come up (exit code 1, no message); it is then started again.
        m_windowManager.setProcessEnvironment(environment());
        m_windowManager.setStandardOutputFile(QProcess::nullDevice());
        m_windowManager.setStandardErrorFile(QProcess::nullDevice());
        const auto managed = [&] {
            return tool(QStringLiteral("xprop"),
                        {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .contains(QStringLiteral("window id"));
        };
        for (int attempt = 0; attempt < 3 && !managed(); ++attempt) {
            m_windowManager.start(QStringLiteral("openbox"), QStringList());
            if (!m_windowManager.waitForStarted())
                return false;
            const bool settled = QTest::qWaitFor(
                [&] { return managed() || m_windowManager.state() == QProcess::NotRunning; },
                20000);
            Q_UNUSED(settled); // judged by managed() below
        }
        return managed();
    }

    // The environment of a program on this desktop: the X platform, no sound
    // device, no start-up probe.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), m_display);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        environment.remove(QStringLiteral("CORBELET_STARTUP_TRACE"));
        return environment;
    }

    // Starts a program from its own folder, with an environment made from
    // environment(); its standard error goes to the test's own.
    static std::unique_ptr<QProcess> launch(const QString& program,
                                            const QProcessEnvironment& environment)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(QFileInfo(program).absolutePath());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->setStandardOutputFile(QProcess::nullDevice());
        process->start(program, QStringList());
        return process;
    }

    // Runs an X tool and gives its standard output, trimmed.
    QString tool(const QString& program, const QStringList& arguments) const
    {
        return output(program, arguments).trimmed();
    }

    void key(const QString& keys) const { tool(QStringLiteral("xdotool"), {"key", keys}); }

    // Clicks at a point of a window, in its own coordinates.
    void click(const QString& window, QPoint at) const
    {
        tool(QStringLiteral("xdotool"), {"mousemove", "--window", window, QString::number(at.x()),
                                         QString::number(at.y()), "click", "1"});
    }

    // The X windows of a process that are on screen.
    QStringList visibleWindows(qint64 pid) const
    {
        return tool(QStringLiteral("xdotool"),
                    {"search", "--onlyvisible", "--pid", QString::number(pid)})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // A window's caption as it is, spaces included.
    QString windowName(const QString& window) const
    {
        QString name = output(QStringLiteral("xdotool"), {"getwindowname", window});
        if (name.endsWith(QLatin1Char('\n')))
            name.chop(1);
        return name;
    }

    // The on-screen windows of a process whose caption is exactly `caption`.
    QStringList windowsNamed(qint64 pid, const QString& caption) const
    {
        QStringList named;
        for (const QString& window : visibleWindows(pid)) {
            if (windowName(window) == caption)
                named << window;
        }
        return named;
    }

    // The active window, in decimal as xdotool gives it; empty when none.
    QString activeWindow() const
    {
        return tool(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
    }

    // The process owning the active window; 0 when none.
    qint64 activePid() const
    {
        const QString window = activeWindow();
        if (window.isEmpty())
            return 0;
        const QString property = this->property(window, QStringLiteral("_NET_WM_PID"));
        const qsizetype equals = property.indexOf(QLatin1Char('='));
        return equals < 0 ? 0 : property.mid(equals + 1).trimmed().toLongLong();
    }

    // A property of a window as xprop prints it.
    QString property(const QString& window, const QString& name) const
    {
        return tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, name});
    }

    // A window with the frame the window manager draws around it, in screen
    // coordinates; empty when unknown.
    QRect frameGeometry(const QString& window) const
    {
        const QString info = tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
        const auto field = [&](const char* name) {
            const QRegularExpression pattern(QStringLiteral("%1:\\s*(-?\\d+)").arg(name));
            return pattern.match(info).captured(1).toInt();
        };
        const QRect client(field("Absolute upper-left X"), field("Absolute upper-left Y"),
                           field("Width"), field("Height"));
        const QStringList extents = property(window, QStringLiteral("_NET_FRAME_EXTENTS"))
                                        .section(QLatin1Char('='), 1)
                                        .split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (client.isEmpty() || extents.size() != 4)
            return QRect();
        return client.adjusted(-extents[0].trimmed().toInt(), -extents[2].trimmed().toInt(),
                               extents[1].trimmed().toInt(), extents[3].trimmed().toInt());
    }

private:
    QString output(const QString& program, const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!process.waitForFinished(5000))
            return QString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QProcess m_xserver;
    QProcess m_windowManager;
    QString m_display;
};
