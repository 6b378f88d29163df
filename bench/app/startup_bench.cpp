// Start-up benchmark: for the game, a bare Qt window and, when installed,
// KHangMan, the time from process start to the window shown, and the resident
// memory 3 s later. Runs each program several times on a private X server
// (Xvfb) with a window manager (openbox) and prints the figures side by side.
//
// The game runs in both its layouts: portable (a copy of the run directory)
// and installed (the tree `cmake --install` makes), the latter at a first
// start, which copies the word base into a fresh home, and at later starts.
//
// The game is timed to the first painting of its information panel paInfo
// (the greeting statistics; its start-up probe, CORBELET_STARTUP_TRACE), and
// also to the first painting of its window. The bare window prints the same
// probe. KHangMan has no probe: it is timed to its first window on screen, as
// xdotool sees it.
//
// Usage: startup_bench [rounds]   (default 5)

#include "tests/support/fixturebase.h"
#include "tests/support/xsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

qint64 nowMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
        .count();
}

// Resident memory of a process in MB, from /proc.
std::optional<double> residentMegabytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return std::nullopt;
}

struct Sample
{
    std::optional<double> windowMs;
    std::optional<double> panelMs;
    std::optional<double> rssMb;
};

class Bench
{
public:
    // An empty text when the display runs, else what went wrong.
    QString startDisplay()
    {
        m_session.setRuntimeDirectory(m_runtime.path());
        return m_session.start();
    }

    // The session's environment, with the start-up probe on.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = m_session.environment();
        environment.insert(QStringLiteral("CORBELET_STARTUP_TRACE"), QStringLiteral("1"));
        return environment;
    }

    // Starts a program and times it. With a probe, the program prints
    // "window <µs>" and maybe "panel <µs>"; without one, its first window on
    // screen is looked for.
    Sample measure(const QString& program, const QString& workingDirectory, bool probe,
                   bool waitForPanel, const QProcessEnvironment& environment)
    {
        Sample sample;
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingDirectory);
        process.setStandardErrorFile(QProcess::nullDevice());
        const qint64 started = nowMicroseconds();
        process.start(program, QStringList());
        if (!process.waitForStarted())
            return sample;
        QElapsedTimer clock;
        clock.start();
        const auto since = [started](qint64 at) { return double(at - started) / 1000.0; };
        while (clock.elapsed() < 15000 && process.state() == QProcess::Running) {
            if (probe) {
                process.waitForReadyRead(20);
                while (process.canReadLine()) {
                    const QList<QByteArray> fields = process.readLine().trimmed().split(' ');
                    if (fields.size() != 2)
                        continue;
                    if (fields[0] == "window")
                        sample.windowMs = since(fields[1].toLongLong());
                    else if (fields[0] == "panel")
                        sample.panelMs = since(fields[1].toLongLong());
                }
                if (sample.panelMs || (sample.windowMs && !waitForPanel))
                    break;
                // Without a word base the panel never comes: an error box
                // stands in its place. Give it a few seconds, then move on.
                if (sample.windowMs && clock.elapsed() > 5000)
                    break;
            } else {
                if (!m_session.visibleWindows(process.processId()).isEmpty()) {
                    sample.windowMs = since(nowMicroseconds());
                    break;
                }
                QThread::msleep(5);
            }
        }
        QThread::msleep(3000);
        if (process.state() == QProcess::Running)
            sample.rssMb = residentMegabytes(process.processId());
        process.kill();
        process.waitForFinished();
        return sample;
    }

private:
    XSession m_session;
    QTemporaryDir m_runtime;
};

// The system's load average over the last minute.
double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printRow(const char* name, const char* what, const std::vector<Sample>& samples,
              std::optional<double> Sample::*field)
{
    std::vector<double> values;
    for (const Sample& sample : samples) {
        if (sample.*field)
            values.push_back(*(sample.*field));
    }
    if (values.empty()) {
        std::printf("%-22s %-24s %s\n", name, what, "n/a");
        return;
    }
    std::printf("%-22s %-24s median %8.1f  min %8.1f  max %8.1f  (%zu runs)\n", name, what,
                median(values), *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()), values.size());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    if (const QStringList missing = XSession::missingTools(); !missing.isEmpty()) {
        std::fprintf(stderr, "not installed: %s\n", qPrintable(missing.join(QLatin1Char(' '))));
        return 1;
    }
    // The game runs from a private copy of its run directory, as a player
    // would run it, so that the settings file it writes stays out of the build.
    QTemporaryDir copy;
    if (!copy.isValid() || !FixtureBase::copyRunDirectory(copy.path())) {
        std::fprintf(stderr, "cannot copy %s\n", CORBELET_RUN_DIR);
        return 1;
    }
    if (!QFileInfo(copy.filePath(QStringLiteral("corbelet"))).isExecutable()) {
        std::fprintf(stderr, "no program in %s\n", CORBELET_RUN_DIR);
        return 1;
    }
    const bool hasWordBase = QFileInfo::exists(copy.filePath(QStringLiteral("data/listedemots")));

    // The installed layout, in a prefix of its own.
    QTemporaryDir installed;
    const QString prefix = installed.filePath(QStringLiteral("usr"));
    QProcess install;
    install.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    install.setStandardOutputFile(QProcess::nullDevice());
    install.start(QStringLiteral(CMAKE_COMMAND),
                  {"--install", CORBELET_BINARY_DIR, "--prefix", prefix});
    if (!installed.isValid() || !install.waitForFinished(120000) || install.exitCode() != 0) {
        std::fprintf(stderr, "cannot install into %s\n", qPrintable(prefix));
        return 1;
    }
    const QString installedProgram = prefix + QStringLiteral("/games/corbelet");

    Bench bench;
    if (const QString failure = bench.startDisplay(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    const QString khangman = QStandardPaths::findExecutable(QStringLiteral("khangman"));

    // Every program gets a home of its own: the installed game's first start
    // a fresh one each time, its later starts one where a first start has
    // already copied the base.
    QTemporaryDir homes;
    int homeCount = 0;
    const auto withHome = [&](const QString& home) {
        QProcessEnvironment environment = bench.environment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        environment.remove(QStringLiteral("XDG_DATA_HOME"));
        return environment;
    };
    const auto freshHome = [&] {
        const QString home = homes.filePath(QStringLiteral("maison%1").arg(++homeCount));
        QDir().mkpath(home);
        return withHome(home);
    };
    const QProcessEnvironment laterHome = freshHome();
    const QString root = QStringLiteral("/");
    bench.measure(installedProgram, root, true, true, laterHome); // copies the base

    const double loadBefore = loadAverage();
    std::vector<Sample> portable;
    std::vector<Sample> firstStart;
    std::vector<Sample> laterStart;
    std::vector<Sample> bare;
    std::vector<Sample> other;
    // Interleaved, so that a slow moment of the machine hurts all alike.
    for (int round = 0; round < rounds; ++round) {
        portable.push_back(bench.measure(copy.filePath(QStringLiteral("corbelet")), root, true,
                                         true, freshHome()));
        firstStart.push_back(bench.measure(installedProgram, root, true, true, freshHome()));
        laterStart.push_back(bench.measure(installedProgram, root, true, true, laterHome));
        bare.push_back(bench.measure(QStringLiteral(BARE_WINDOW), root, true, false, freshHome()));
        if (!khangman.isEmpty())
            other.push_back(
                bench.measure(khangman, QDir::homePath(), false, false, bench.environment()));
    }
    const double loadAfter = loadAverage();

    std::printf("Start-up on %d processors, %d rounds%s (ms from process start; RSS in MB 3 s "
                "after); load average %.2f before, %.2f after\n",
                QThread::idealThreadCount(), rounds,
                hasWordBase ? "" : ", WITHOUT word base (error box instead of the panel)",
                loadBefore, loadAfter);
    const struct
    {
        const char* name;
        const std::vector<Sample>& samples;
    } games[] = {{"corbelet portable", portable},
                 {"corbelet installed 1st", firstStart},
                 {"corbelet installed", laterStart}};
    for (const auto& [name, samples] : games) {
        printRow(name, "to statistics panel ms", samples, &Sample::panelMs);
        printRow(name, "to window painted ms", samples, &Sample::windowMs);
        printRow(name, "RSS MB", samples, &Sample::rssMb);
    }
    printRow("bare Qt window", "to window painted ms", bare, &Sample::windowMs);
    printRow("bare Qt window", "RSS MB", bare, &Sample::rssMb);
    if (khangman.isEmpty()) {
        std::printf("%-22s not installed, skipped\n", "khangman");
    } else {
        printRow("khangman", "to window on screen ms", other, &Sample::windowMs);
        printRow("khangman", "RSS MB", other, &Sample::rssMb);
    }
    return 0;
}
