// Word store benchmark: prints the cost of loading the server library,
// starting the server and connecting, the draw and count statements, and the
// memory the store takes — for the shipped base and for synthetic bases of
// 100,000 and 300,000 words.
//
//   wordstore_bench            all bases (each measured in a child process:
//                              the embedded server starts once per process)
//   wordstore_bench --measure  the base of the current folder

#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstore.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void timeStatement(TWordQuery& query, const char* label, const std::string& statement, int runs)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        query.SetSQL(statement);
        query.Open();
        query.First();
        const std::string value = query.FindField(WordCatalogue::kWordText).AsString();
        query.Close();
        times.push_back(millisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    const auto percentile = [&](double p) {
        return times[std::min(times.size() - 1, std::size_t(p * double(times.size())))];
    };
    std::printf("  %-34s p50 %7.2f ms   p99 %7.2f ms   (%d runs)\n", label, percentile(0.50),
                percentile(0.99), runs);
}

int measure()
{
    const double baseline = residentMegabytes();
    auto start = Clock::now();
    void* library = dlopen("libmariadbd.so.19", RTLD_NOW | RTLD_LOCAL);
    std::printf("  %-34s %7.2f ms\n", "dlopen libmariadbd.so.19", millisecondsSince(start));
    if (!library)
        return 1;

    TWordStore store;
    TWordQuery query(store);
    start = Clock::now();
    store.Connect();
    std::printf("  %-34s %7.2f ms\n", "server start + connect", millisecondsSince(start));
    std::printf("  %-34s %7.1f MB\n", "RSS of the store after start",
                residentMegabytes() - baseline);

    query.SetSQL(WordCatalogue::countAllStatement());
    query.Open();
    std::printf("  %-34s %s\n", "words in the base",
                query.FindField(WordCatalogue::kCountColumn).AsString().c_str());

    // The settings' initial values, then with a type and a genre chosen.
    const WordCatalogue::WordFilter settings;
    WordCatalogue::WordFilter nouns;
    nouns.FiltreType = WordCatalogue::typeFilter(WordCatalogue::WordType::Noun);
    nouns.FiltreGenre = WordCatalogue::genreFilter({"2", "3"});
    timeStatement(query, "draw, default settings", WordCatalogue::drawStatement(settings), 200);
    timeStatement(query, "draw, type and genre fragments", WordCatalogue::drawStatement(nouns),
                  200);
    timeStatement(query, "count of all words", WordCatalogue::countAllStatement(), 200);
    timeStatement(query, "count with the settings", WordCatalogue::countStatement(settings), 200);
    std::printf("  %-34s %7.1f MB\n", "RSS of the store after the draws",
                residentMegabytes() - baseline);
    return 0;
}

// Writes a synthetic word list: random letters, lengths 4-25, points 2-52.
void writeSyntheticList(const fs::path& words, const fs::path& genres, int count)
{
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> length(4, 25), letter('a', 'z'), points(2, 52), type(0, 3);
    using WordCatalogue::WordType;
    const WordType types[] = {WordType::Adjective, WordType::Adverb, WordType::Noun,
                              WordType::Verb};
    std::ofstream out(words, std::ios::binary);
    for (int index = 0; index < count; ++index) {
        std::string word;
        const int size = length(random);
        for (int position = 0; position < size; ++position)
            word.push_back(char(letter(random)));
        const WordType wordType = types[type(random)];
        const int genre = wordType == WordType::Verb ? WordCatalogue::kVerbGenre : 1 + index % 3;
        out << word << '\t' << size << '\t' << points(random) << '\t' << static_cast<int>(wordType)
            << '\t' << genre << '\n';
    }
    std::ofstream(genres, std::ios::binary) << "1\tMasculin\n2\tFeminin\n3\tInvariable\n"
                                            << WordCatalogue::kVerbGenre << "\tVerbe\n";
}

// Runs `arguments` (the program first) in `folder` without a shell, its
// output silenced when `quiet`; returns its exit code, 1 when it cannot run.
int runIn(const fs::path& folder, std::vector<std::string> arguments, bool quiet = false)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0)
        return 1;
    if (child == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(1);
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execv(argv[0], argv.data());
        _exit(1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return 1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// A synthetic base of `count` words in a private temporary folder, with the
// server's share/ files; measured, then removed.
int measureSynthetic(int count, const std::string& self)
{
    std::string pattern = (fs::temp_directory_path() / "corbelet-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::printf("cannot make a temporary folder\n");
        return 1;
    }
    const fs::path folder = pattern;
    struct Removal
    {
        const fs::path& folder;
        ~Removal()
        {
            std::error_code ignored; // a leftover temporary folder is harmless
            fs::remove_all(folder, ignored);
        }
    } removal{folder};

    fs::create_directories(folder / "share" / "french");
    writeSyntheticList(folder / "words.tsv", folder / "genres.tsv", count);
    fs::copy(MARIADB_SHARE_DIR "/charsets", folder / "share" / "charsets",
             fs::copy_options::recursive);
    fs::copy_file(MARIADB_SHARE_DIR "/french/errmsg.sys",
                  folder / "share" / "french" / "errmsg.sys");
    const int built =
        runIn(folder,
              {MAKEWORDBASE, "--words", (folder / "words.tsv").string(), "--genres",
               (folder / "genres.tsv").string(), "--output", (folder / "data").string()},
              true);
    if (built != 0) {
        std::printf("cannot build the synthetic base of %d words\n", count);
        return 1;
    }
    std::printf("Synthetic base of %d words\n", count);
    return runIn(folder, {self, "--measure"});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--measure") {
        try {
            return measure();
        } catch (const std::exception& error) {
            std::printf("  %s\n", error.what());
            return 1;
        }
    }

    const std::string self = fs::canonical("/proc/self/exe");
    std::printf("Shipped base (%s/data)\n", CORBELET_RUN_DIR);
    int failures = runIn(CORBELET_RUN_DIR, {self, "--measure"}) != 0;
    for (const int count : {100000, 300000})
        failures += measureSynthetic(count, self) != 0;
    return failures == 0 ? 0 : 1;
}
