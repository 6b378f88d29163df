#include "xsession.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

namespace {

// Set in the environment of a test program run again on a private display.
constexpr char kRerunVariable[] = "CORBELET_PRIVATE_DISPLAY";

} // namespace

XSession::~XSession()
{
    endPrograms();
    for (QProcess* process : {&m_windowManager, &m_server}) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

QStringList XSession::missingTools()
{
    QStringList missing;
    for (const char* name : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
            missing.append(QString::fromLatin1(name));
    }
    return missing;
}

QString XSession::start()
{
    // The server picks a free display and writes its number on its standard
    // output.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    if (!m_server.waitForStarted())
        return QStringLiteral("Xvfb does not start");
    if (!QTest::qWaitFor([&] { return m_server.canReadLine(); }, 10000))
        return QStringLiteral("Xvfb gives no display");
    m_display = QLatin1Char(':') + QString::fromLatin1(m_server.readLine()).trimmed();

    // Now and then openbox gives up at once on a display that has just come
    // up (exit code 1, no message); it is then started again, a moment later.
    m_windowManager.setProcessEnvironment(environment());
    m_windowManager.setStandardOutputFile(QProcess::nullDevice());
    const auto managed = [&] {
        return tool(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains(QStringLiteral("window id"));
    };
    QString refusals;
    for (int attempt = 0; attempt < 5 && !managed(); ++attempt) {
        if (attempt > 0)
            QTest::qWait(200);
        m_windowManager.start(QStringLiteral("openbox"), QStringList());
        if (!m_windowManager.waitForStarted())
            return QStringLiteral("openbox does not start");
        const bool settled = QTest::qWaitFor(
            [&] { return managed() || m_windowManager.state() == QProcess::NotRunning; }, 20000);
        Q_UNUSED(settled); // judged by managed() below
        if (m_windowManager.state() == QProcess::NotRunning)
            refusals += QStringLiteral(" [exit %1] ").arg(m_windowManager.exitCode()) +
                        QString::fromLocal8Bit(m_windowManager.readAllStandardError()).trimmed();
    }
    return managed() ? QString() : QStringLiteral("openbox does not manage the display") + refusals;
}

QProcessEnvironment XSession::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    if (!m_runtime.isEmpty())
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
    environment.remove(QStringLiteral("CORBELET_STARTUP_TRACE"));
    return environment;
}

QProcess* XSession::startProgram(const QString& program)
{
    return startProgram(program, environment());
}

QProcess* XSession::startProgram(const QString& program, const QProcessEnvironment& environment)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(QFileInfo(program).absolutePath());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, QStringList());
    m_programs.push_back(std::move(process));
    return m_programs.back().get();
}

void XSession::endPrograms()
{
    for (const auto& program : m_programs) {
        if (program->state() != QProcess::NotRunning) {
            program->kill();
            program->waitForFinished(5000);
        }
    }
    m_programs.clear();
}

std::optional<int> XSession::rerunOnPrivateDisplay(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(kRerunVariable))
        return std::nullopt;
    const QCoreApplication application(argc, argv);
    XSession session;
    if (const QString failure = session.start(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    QProcessEnvironment environment = session.environment();
    environment.insert(QString::fromLatin1(kRerunVariable), QStringLiteral("1"));
    QProcess test;
    test.setProcessEnvironment(environment);
    test.setProcessChannelMode(QProcess::ForwardedChannels);
    test.start(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
    if (!test.waitForFinished(-1) || test.exitStatus() != QProcess::NormalExit) {
        std::fprintf(stderr, "%s\n", qPrintable(test.errorString()));
        return 1;
    }
    return test.exitCode();
}

QString XSession::output(const QString& program, const QStringList& arguments) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForFinished(5000))
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString XSession::tool(const QString& program, const QStringList& arguments) const
{
    return output(program, arguments).trimmed();
}

void XSession::key(const QString& keys) const
{
    tool(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
}

void XSession::type(const QString& text) const
{
    tool(QStringLiteral("xdotool"), {QStringLiteral("type"), text});
}

void XSession::click(const QString& window, QPoint at) const
{
    tool(QStringLiteral("xdotool"),
         {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(at.x()),
          QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
}

QStringList XSession::visibleWindows(qint64 pid) const
{
    return tool(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                 QString::number(pid)})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool XSession::waitForWindow(QProcess* program, int timeoutMs) const
{
    return QTest::qWaitFor(
        [&] {
            return program->state() == QProcess::Running &&
                   !visibleWindows(program->processId()).isEmpty();
        },
        timeoutMs);
}

QString XSession::windowName(const QString& window) const
{
    QString name = output(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), window});
    if (name.endsWith(QLatin1Char('\n')))
        name.chop(1);
    return name;
}

QStringList XSession::windowsNamed(qint64 pid, const QString& caption) const
{
    QStringList named;
    for (const QString& window : visibleWindows(pid)) {
        if (windowName(window) == caption)
            named << window;
    }
    return named;
}

QString XSession::property(const QString& window, const QString& name) const
{
    return tool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, name});
}

QRect XSession::frameGeometry(const QString& window) const
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

QString XSession::activeWindow() const
{
    return tool(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
}

qint64 XSession::activePid() const
{
    const QString window = activeWindow();
    if (window.isEmpty())
        return 0;
    const QString pid = property(window, QStringLiteral("_NET_WM_PID"));
    const qsizetype equals = pid.indexOf(QLatin1Char('='));
    return equals < 0 ? 0 : pid.mid(equals + 1).trimmed().toLongLong();
}

QString XSession::gameWindow(qint64 pid) const
{
    const QStringList windows = visibleWindows(pid);
    for (const QString& window : windows) {
        if (windowName(window).startsWith(QStringLiteral("Corbelet ")))
            return window;
    }
    return windows.value(0);
}

bool XSession::isIconic(const QString& window) const
{
    return property(window, QStringLiteral("WM_STATE")).contains(QStringLiteral("Iconic"));
}

bool XSession::activate(const QString& window, qint64 pid, int timeoutMs) const
{
    return QTest::qWaitFor(
        [&] {
            if (QString::number(window.toLongLong()) == activeWindow())
                return true;
            if (activePid() == pid)
                key(QStringLiteral("Return"));
            tool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), window});
            return false;
        },
        timeoutMs);
}

bool XSession::quitWith(QProcess* program, const QString& keys) const
{
    key(keys);
    const bool confirmation = QTest::qWaitFor(
        [&] { return windowName(activeWindow()) == QStringLiteral("Confirmation"); }, 5000);
    if (!confirmation)
        return false;
    key(QStringLiteral("Return"));
    return program->waitForFinished(10000) && program->exitStatus() == QProcess::NormalExit &&
           program->exitCode() == 0;
}
