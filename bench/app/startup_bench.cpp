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
// Then the game plays: draws one after another, and two idle spells, before
// the first word and with a word's countdown running. The countdown's spell
// is reported as a ratio to the bare window's with a plain label counting
// down once a second, measured over the same spell (x1.00 or less is the
// aim).
//
// Usage: startup_bench [rounds] [--baseline <run dir>] [--draws n] [--idle s]
//        (default 5 rounds, 500 draws, 60 s idle spells)

#include "tests/support/fixturebase.h"
#include "tests/support/xsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
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

// Processor time of each thread of a process so far, in ms, by thread (the
// scheduler's own count, finer than the clock ticks of /proc/<pid>/stat).
std::map<QString, double> processorMilliseconds(qint64 pid)
{
    std::map<QString, double> threads;
    QDirIterator tasks(QStringLiteral("/proc/%1/task").arg(pid), QDir::Dirs | QDir::NoDotAndDotDot);
    while (tasks.hasNext()) {
        const QString task = tasks.next();
        QFile stat(task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            threads[task] = stat.readAll().split(' ').value(0).toDouble() / 1e6;
    }
    return threads;
}

// What the threads alive at `after` used since `before` (a thread that ended
// meanwhile, say an idle pool thread, is not counted; a new one wholly); only
// the thread `only` names when it is not empty.
double processorUsed(const std::map<QString, double>& before,
                     const std::map<QString, double>& after, const QString& only = {})
{
    double used = 0;
    for (const auto& [thread, milliseconds] : after) {
        if (!only.isEmpty() && thread != only)
            continue;
        const auto earlier = before.find(thread);
        used += milliseconds - (earlier == before.end() ? 0 : earlier->second);
    }
    return used;
}

// The share of one processor a process used: all its threads, and its main
// thread alone, the one that paints (the word server's threads of the game
// wake on their own, countdown or not).
struct ProcessorShare
{
    double all = 0;
    double mainThread = 0;
};

// The share of one processor that each process uses over the same next
// `seconds`; nothing for one that ended meanwhile.
std::vector<std::optional<ProcessorShare>>
processorSharesOver(const std::vector<const QProcess*>& processes, int seconds)
{
    std::vector<std::map<QString, double>> before;
    for (const QProcess* process : processes)
        before.push_back(processorMilliseconds(process->processId()));
    QElapsedTimer clock;
    clock.start();
    QThread::msleep(static_cast<unsigned long>(seconds) * 1000);
    std::vector<std::optional<ProcessorShare>> shares;
    for (std::size_t at = 0; at < processes.size(); ++at) {
        const qint64 pid = processes[at]->processId();
        const std::map<QString, double> after = processorMilliseconds(pid);
        const QString mainThread = QStringLiteral("/proc/%1/task/%1").arg(pid);
        const double elapsed = double(clock.elapsed());
        if (processes[at]->state() != QProcess::Running) {
            shares.push_back(std::nullopt);
            continue;
        }
        shares.push_back(
            ProcessorShare{100.0 * processorUsed(before[at], after) / elapsed,
                           100.0 * processorUsed(before[at], after, mainThread) / elapsed});
    }
    return shares;
}

struct Sample
{
    std::optional<double> windowMs;
    std::optional<double> panelMs;
    std::optional<double> rssMb;
};

// A run of draws, then two idle spells.
struct PlaySample
{
    std::vector<double> drawMs;
    std::optional<double> rssMb;
    std::optional<double> idleNoWordPercent;
    std::optional<ProcessorShare> idleCountdown;
    // The bare window's with its countdown label, over the same spell.
    std::optional<ProcessorShare> bareCountdown;
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

    // Starts the game, closes its greeting, draws `draws` words with Return
    // (one every 40 ms) and takes each draw's time from the game's probe and
    // the memory after them; then the idle spells of `idleSeconds`. The bare
    // window, its countdown label changing once a second, runs beside the
    // game, started first so that the game keeps the activation (which its
    // countdown needs), and is measured over the game's countdown spell.
    PlaySample play(const QString& program, int draws, int idleSeconds,
                    const QProcessEnvironment& environment)
    {
        PlaySample sample;
        QProcess bare;
        if (idleSeconds > 0) {
            bare.setProcessEnvironment(m_session.environment());
            bare.setStandardOutputFile(QProcess::nullDevice());
            bare.setStandardErrorFile(QProcess::nullDevice());
            bare.start(QStringLiteral(BARE_WINDOW), {QStringLiteral("--countdown")});
            bare.waitForStarted();
            QThread::msleep(1000);
        }
        const auto stopBare = qScopeGuard([&bare] {
            bare.kill();
            bare.waitForFinished();
        });
        QProcess game;
        game.setProcessEnvironment(environment);
        game.setStandardErrorFile(QProcess::nullDevice());
        game.start(program, QStringList());
        if (!game.waitForStarted())
            return sample;
        const qint64 pid = game.processId();
        std::vector<double> draws_;
        const auto readLines = [&] {
            while (game.canReadLine()) {
                const QList<QByteArray> fields = game.readLine().trimmed().split(' ');
                if (fields.size() == 3 && fields[0] == "draw")
                    draws_.push_back(double(fields[2].toLongLong() - fields[1].toLongLong()) /
                                     1000.0);
            }
        };
        const auto waitFor = [&](const QByteArray& prefix, int timeoutMs) {
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < timeoutMs && game.state() == QProcess::Running) {
                game.waitForReadyRead(20);
                while (game.canReadLine()) {
                    if (game.readLine().startsWith(prefix))
                        return true;
                }
            }
            return false;
        };
        // The idle spell: no sound plays (the last cue is over and the sound
        // library has closed its device after its quiet delay).
        const auto idle = [&](const std::vector<const QProcess*>& measured) {
            QThread::msleep(8000);
            readLines();
            return processorSharesOver(measured, idleSeconds);
        };
        if (!waitFor("panel", 15000))
            return sample;
        if (idleSeconds > 0)
            if (const auto share = idle({&game}).front())
                sample.idleNoWordPercent = share->all;
        m_session.key(QStringLiteral("Return")); // closes the greeting
        QThread::msleep(500);
        if (draws > 0) {
            QProcess keys;
            keys.setProcessEnvironment(m_session.environment());
            QStringList arguments{QStringLiteral("key"), QStringLiteral("--delay"),
                                  QStringLiteral("40")};
            for (int draw = 0; draw < draws; ++draw)
                arguments << QStringLiteral("Return");
            keys.start(QStringLiteral("xdotool"), arguments);
            while (!keys.waitForFinished(50))
                readLines();
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < 2000) {
                game.waitForReadyRead(20);
                readLines();
            }
            // The first one may be timed from the key that closed the greeting.
            if (!draws_.empty())
                draws_.erase(draws_.begin());
            sample.drawMs = draws_;
            sample.rssMb = residentMegabytes(pid);
        } else {
            m_session.key(QStringLiteral("Return")); // one word, for the countdown
        }
        if (idleSeconds > 0) {
            const auto percents = idle({&game, &bare});
            sample.idleCountdown = percents[0];
            sample.bareCountdown = percents[1];
        }
        game.kill();
        game.waitForFinished();
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

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// The game's idle processor with its countdown is given as a ratio to the
// bare window's over the same spell, round by round.
void printPlay(const char* name, const std::vector<PlaySample>& samples)
{
    std::vector<double> draws;
    std::vector<double> resident;
    std::vector<double> noWord;
    std::vector<double> countdown;
    std::vector<double> countdownMainThread;
    for (const PlaySample& sample : samples) {
        draws.insert(draws.end(), sample.drawMs.begin(), sample.drawMs.end());
        if (sample.rssMb)
            resident.push_back(*sample.rssMb);
        if (sample.idleNoWordPercent)
            noWord.push_back(*sample.idleNoWordPercent);
        if (sample.idleCountdown && sample.bareCountdown && sample.bareCountdown->all > 0 &&
            sample.bareCountdown->mainThread > 0) {
            countdown.push_back(sample.idleCountdown->all / sample.bareCountdown->all);
            countdownMainThread.push_back(sample.idleCountdown->mainThread /
                                          sample.bareCountdown->mainThread);
        }
    }
    if (!draws.empty())
        std::printf("%-22s %-24s p50 %6.2f  p99 %6.2f  max %6.2f  (%zu draws)\n", name,
                    "draw key->paint ms", percentile(draws, 0.50), percentile(draws, 0.99),
                    *std::max_element(draws.begin(), draws.end()), draws.size());
    const auto row = [name](const char* what, const std::vector<double>& values, const char* unit) {
        if (values.empty())
            return;
        std::printf("%-22s %-24s", name, what);
        for (const double value : values)
            std::printf(" %7.3f", value);
        std::printf(" %s\n", unit);
    };
    row("RSS after draws", resident, "MB");
    row("idle, no word", noWord, "% CPU");
    const auto ratios = [name](const char* what, const std::vector<double>& values) {
        if (values.empty())
            return;
        std::printf("%-22s %-24s", name, what);
        for (const double value : values)
            std::printf("  x%.2f", value);
        std::printf("  (median x%.2f; target x1.00 or less)\n", median(values));
    };
    ratios("idle countdown / bare", countdown);
    ratios("  main thread alone", countdownMainThread);
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

// The settings file of a first start, but with the countdown at its longest,
// so that no warning cue plays while the game waits.
void writeLongCountdown(const QString& settingsFile)
{
    QFile file(settingsFile);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("[Config]\r\nNbMotMin=5\r\nNbMotMax=25\r\nNbPointMin=5\r\nNbPointMax=52\r\n"
                   "cbType=0\r\ncbCathegorie=0\r\ncbGenre=0\r\nLimitTemps=1\r\nTempsPartie=180\r\n"
                   "NiveauDuJeu=1\r\nSonDefaut=1\r\nPasDeSon=0\r\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const auto option = [&](const char* name, const QString& fallback) {
        const qsizetype at = arguments.indexOf(QLatin1String(name));
        return at >= 0 ? arguments.value(at + 1, fallback) : fallback;
    };
    const int rounds = argc > 1 && argv[1][0] != '-' ? std::max(1, atoi(argv[1])) : 5;
    const QString baseline = option("--baseline", QString());
    const int draws = option("--draws", QStringLiteral("500")).toInt();
    const int idleSeconds = option("--idle", QStringLiteral("60")).toInt();

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
    // The baseline's own copy, the same way.
    QTemporaryDir baselineCopy;
    if (!baseline.isEmpty() && (!FixtureBase::copyTree(baseline, baselineCopy.path()) ||
                                (QFile::exists(baselineCopy.filePath("corbelet.ini")) &&
                                 !QFile::remove(baselineCopy.filePath("corbelet.ini"))))) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(baseline));
        return 1;
    }

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
    std::vector<Sample> before;
    std::vector<Sample> firstStart;
    std::vector<Sample> laterStart;
    std::vector<Sample> bare;
    std::vector<Sample> other;
    // Interleaved, so that a slow moment of the machine hurts all alike.
    for (int round = 0; round < rounds; ++round) {
        portable.push_back(bench.measure(copy.filePath(QStringLiteral("corbelet")), root, true,
                                         true, freshHome()));
        if (!baseline.isEmpty())
            before.push_back(bench.measure(baselineCopy.filePath(QStringLiteral("corbelet")), root,
                                           true, true, freshHome()));
        firstStart.push_back(bench.measure(installedProgram, root, true, true, freshHome()));
        laterStart.push_back(bench.measure(installedProgram, root, true, true, laterHome));
        bare.push_back(bench.measure(QStringLiteral(BARE_WINDOW), root, true, false, freshHome()));
        if (!khangman.isEmpty())
            other.push_back(
                bench.measure(khangman, QDir::homePath(), false, false, bench.environment()));
    }
    // The draws and idle spells, this build's and the baseline's in turn,
    // with the countdown at its longest.
    std::vector<PlaySample> played;
    std::vector<PlaySample> playedBefore;
    if (draws > 0 || idleSeconds > 0) {
        writeLongCountdown(copy.filePath(QStringLiteral("corbelet.ini")));
        if (!baseline.isEmpty())
            writeLongCountdown(baselineCopy.filePath(QStringLiteral("corbelet.ini")));
        for (int round = 0; round < std::max(1, rounds / 3); ++round) {
            played.push_back(bench.play(copy.filePath(QStringLiteral("corbelet")), draws,
                                        idleSeconds, freshHome()));
            if (!baseline.isEmpty())
                playedBefore.push_back(bench.play(baselineCopy.filePath(QStringLiteral("corbelet")),
                                                  draws, idleSeconds, freshHome()));
        }
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
                 {"baseline portable", before},
                 {"corbelet installed 1st", firstStart},
                 {"corbelet installed", laterStart}};
    for (const auto& [name, samples] : games) {
        if (samples.empty())
            continue;
        printRow(name, "to statistics panel ms", samples, &Sample::panelMs);
        printRow(name, "to window painted ms", samples, &Sample::windowMs);
        printRow(name, "RSS MB", samples, &Sample::rssMb);
    }
    printRow("bare Qt window", "to window painted ms", bare, &Sample::windowMs);
    printRow("bare Qt window", "RSS MB", bare, &Sample::rssMb);
    printPlay("corbelet portable", played);
    printPlay("baseline portable", playedBefore);
    // Ratios to the bare window, medians.
    const auto ratio = [&](const std::vector<Sample>& samples, std::optional<double> Sample::*field,
                           std::optional<double> Sample::*reference) -> std::optional<double> {
        std::vector<double> values;
        std::vector<double> references;
        for (const Sample& sample : samples)
            if (sample.*field)
                values.push_back(*(sample.*field));
        for (const Sample& sample : bare)
            if (sample.*reference)
                references.push_back(*(sample.*reference));
        if (values.empty() || references.empty())
            return std::nullopt;
        return median(values) / median(references);
    };
    for (const auto& [name, samples] : games) {
        if (samples.empty())
            continue;
        const auto window = ratio(samples, &Sample::windowMs, &Sample::windowMs);
        const auto panel = ratio(samples, &Sample::panelMs, &Sample::windowMs);
        const auto memory = ratio(samples, &Sample::rssMb, &Sample::rssMb);
        if (window && panel && memory)
            std::printf("%-22s to the bare window: window x%.2f, panel x%.2f, RSS x%.2f\n", name,
                        *window, *panel, *memory);
    }
    if (khangman.isEmpty()) {
        std::printf("%-22s not installed, skipped\n", "khangman");
    } else {
        printRow("khangman", "to window on screen ms", other, &Sample::windowMs);
        printRow("khangman", "RSS MB", other, &Sample::rssMb);
        const auto window = ratio(portable, &Sample::windowMs, &Sample::windowMs);
        std::vector<double> theirs;
        for (const Sample& sample : other)
            if (sample.windowMs)
                theirs.push_back(*sample.windowMs);
        if (window && !theirs.empty() && !portable.empty() && portable.front().windowMs)
            std::printf("%-22s to khangman: window x%.2f\n", "corbelet portable",
                        median([&] {
                            std::vector<double> ours;
                            for (const Sample& sample : portable)
                                if (sample.windowMs)
                                    ours.push_back(*sample.windowMs);
                            return ours;
                        }()) /
                            median(theirs));
    }
    return 0;
}
