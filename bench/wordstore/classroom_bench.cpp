// Classroom benchmark: a whole class drawing words from one MariaDB server.
// Starts a real server (as the tests do), fills it with the shipped base
// through corbelet-mots, then has 30 clients draw 200 words each at once, each
// on its own connection, as 30 machines of a room would. Prints the draw
// latency (p50, p99) and the server's CPU while they draw, beside one client
// alone on the server and the embedded server on the same base.

#include "tests/support/mariadbserver.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int kClients = 30;
constexpr int kDraws = 200;

// The draws of one client on its own store, with a pause of `pause` on
// average between two (spread evenly from none to twice that, so that the
// clients do not keep in step); the latencies in milliseconds.
std::vector<double> drawMany(TWordStore& store, int draws,
                             std::chrono::milliseconds pause = std::chrono::milliseconds(0))
{
    TWordQuery query(store);
    const std::string statement = WordCatalogue::drawStatement({});
    std::vector<double> times;
    std::minstd_rand random(std::random_device{}());
    for (int draw = 0; draw < draws; ++draw) {
        if (pause.count() > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(
                std::uniform_int_distribution<long>(0, 2 * pause.count())(random)));
        const auto start = Clock::now();
        query.SetSQL(statement);
        query.Open();
        query.Close();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return times;
}

void print(const char* label, std::vector<double> times, double cpu = -1)
{
    std::sort(times.begin(), times.end());
    const auto percentile = [&](double p) {
        return times[std::min(times.size() - 1, std::size_t(p * double(times.size())))];
    };
    std::printf("  %-36s p50 %7.2f ms   p99 %7.2f ms   (%zu draws)", label, percentile(0.50),
                percentile(0.99), times.size());
    if (cpu >= 0)
        std::printf("   server CPU %5.0f %%", cpu);
    std::printf("\n");
}

// The processor time of a process so far, in seconds.
double processorSeconds(qint64 pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int index = 1; index <= 15 && stat >> field; ++index) {
        if (index == 14)
            user = std::stoull(field);
        if (index == 15)
            system = std::stoull(field);
    }
    return double(user + system) / double(sysconf(_SC_CLK_TCK));
}

ServerSettings pupil(const MariaDbServer& server, const QString& passwordFile)
{
    ServerSettings settings;
    settings.socket = server.socket().toStdString();
    settings.user = "eleve";
    settings.database = WordCatalogue::kDatabase;
    settings.passwordFile = passwordFile.toStdString();
    return settings;
}

bool copyFolder(const QString& source, const QString& target)
{
    return QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), source, target}) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir base;
    const QString run = QStringLiteral(CORBELET_RUN_DIR);
    if (!copyFolder(run + QStringLiteral("/data"), base.path()) ||
        !copyFolder(run + QStringLiteral("/share"), base.path())) {
        std::printf("cannot copy the shipped base of %s\n", CORBELET_RUN_DIR);
        return 1;
    }

    MariaDbServer server;
    if (const QString failure = server.start(); !failure.isEmpty()) {
        std::printf("the server did not start: %s\n", qPrintable(failure));
        return 1;
    }
    const QString password = server.folder() + QStringLiteral("/eleve.mdp");
    QFile passwordFile(password);
    if (!passwordFile.open(QIODevice::WriteOnly) || passwordFile.write("ardoise") != 7)
        return 1;
    passwordFile.close();
    passwordFile.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    if (const QString failure = server.administer(
            {QStringLiteral("CREATE DATABASE listedemots"),
             QStringLiteral("CREATE USER prof@localhost IDENTIFIED BY 'ardoise'"),
             QStringLiteral("GRANT ALL ON listedemots.* TO prof@localhost"),
             QStringLiteral("CREATE USER eleve@localhost IDENTIFIED BY 'ardoise'"),
             QStringLiteral("GRANT SELECT ON listedemots.* TO eleve@localhost")});
        !failure.isEmpty()) {
        std::printf("%s\n", qPrintable(failure));
        return 1;
    }
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(run + QStringLiteral("/corbelet-mots"),
               {QStringLiteral("importer"), QStringLiteral("/dev/null"), QStringLiteral("--socket"),
                server.socket(), QStringLiteral("--utilisateur=prof"),
                QStringLiteral("--fichier-mot-de-passe"), password, QStringLiteral("--donnees"),
                base.path()});
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0)
        return 1;

    std::printf("Classroom: %d clients drawing %d words each from one MariaDB server\n", kClients,
                kDraws);
    {
        TWordStore store;
        store.BaseFolder = store.ResourceFolder = base.path().toStdString();
        print("embedded server, one player", drawMany(store, kDraws));
    }
    {
        TWordStore store;
        store.Server = pupil(server, password);
        print("MariaDB server, one client", drawMany(store, kDraws));
    }

    // Every client connects first, as the machines of a room are already
    // playing; then all draw at once: back to back (the worst case, each
    // client pressing "Suivant" again as soon as a word comes), then with a
    // pause between draws (still far more often than a pupil plays a word).
    std::vector<std::unique_ptr<TWordStore>> stores;
    for (int client = 0; client < kClients; ++client) {
        stores.push_back(std::make_unique<TWordStore>());
        stores.back()->Server = pupil(server, password);
        stores.back()->Connect();
    }
    for (const int pause : {0, 100}) {
        std::vector<double> all;
        std::mutex allLock;
        const double cpuBefore = processorSeconds(server.pid());
        const auto start = Clock::now();
        {
            std::vector<std::jthread> clients;
            for (int client = 0; client < kClients; ++client) {
                clients.emplace_back([&, client] {
                    const std::vector<double> times = drawMany(*stores[std::size_t(client)], kDraws,
                                                               std::chrono::milliseconds(pause));
                    const std::lock_guard lock(allLock);
                    all.insert(all.end(), times.begin(), times.end());
                });
            }
        }
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = 100.0 * (processorSeconds(server.pid()) - cpuBefore) / wall;
        const std::string label =
            pause == 0 ? "30 clients at once, back to back"
                       : "30 clients at once, ~" + std::to_string(pause) + " ms apart";
        print(label.c_str(), all, cpu);
        std::printf("  %-36s %7.0f draws/s over %.1f s\n", "", double(all.size()) / wall, wall);
    }
    std::printf("  (server CPU: %% of one core; this machine has %ld)\n",
                sysconf(_SC_NPROCESSORS_ONLN));
    return 0;
}
