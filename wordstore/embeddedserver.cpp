#include "wordstore/embeddedserver.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <thread>

namespace {

template <typename Function> void bind(void* library, Function& function, const char* name)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
}

// The data folder the server will use: the value of the last "--datadir="
// argument (a later option overrides an earlier one), or "./data".
std::string dataFolder(const std::vector<std::string>& arguments)
{
    constexpr std::string_view prefix = "--datadir=";
    const auto named =
        std::find_if(arguments.rbegin(), arguments.rend(),
                     [&](const std::string& argument) { return argument.starts_with(prefix); });
    return named == arguments.rend() ? "./data" : named->substr(prefix.size());
}

// The files of the shared objects loaded in the process, by device and inode.
std::set<FileIdentity> loadedObjects()
{
    std::set<FileIdentity> objects;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            struct stat file;
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0' &&
                stat(info->dlpi_name, &file) == 0)
                static_cast<std::set<FileIdentity>*>(data)->emplace(file.st_dev, file.st_ino);
            return 0;
        },
        &objects);
    return objects;
}

// The server's start reads most of its 24 MB library once, and of the
// libraries loaded with it (OpenSSL's above all): their relocations and
// symbols at load, and code and tables that only the start uses. The pages
// of these files that were only read (not their relocated data) are let go
// once the server runs; those the queries use come back from the system's
// file cache on their first use.
void releaseStartPages(const std::set<FileIdentity>& files)
{
    std::FILE* smaps = std::fopen("/proc/self/smaps", "re");
    if (smaps == nullptr)
        return;
    struct Mapping
    {
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        bool candidate = false;
        bool written = false;
    };
    std::vector<Mapping> mappings;
    char line[4096];
    while (std::fgets(line, sizeof line, smaps) != nullptr) {
        Mapping mapping;
        char permissions[5] = {};
        unsigned major = 0;
        unsigned minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(line, "%" SCNxPTR "-%" SCNxPTR " %4s %*s %x:%x %lu", &mapping.start,
                        &mapping.end, permissions, &major, &minor, &inode) == 6) {
            mapping.candidate = permissions[1] != 'w' &&
                                files.contains({makedev(major, minor), static_cast<ino_t>(inode)});
            mappings.push_back(mapping);
            continue;
        }
        unsigned long kilobytes = 0;
        if (!mappings.empty() &&
            (std::sscanf(line, "Private_Dirty: %lu", &kilobytes) == 1 ||
             std::sscanf(line, "Shared_Dirty: %lu", &kilobytes) == 1) &&
            kilobytes != 0)
            mappings.back().written = true;
    }
    std::fclose(smaps);
    for (const Mapping& mapping : mappings) {
        if (mapping.candidate && !mapping.written)
            madvise(reinterpret_cast<void*>(mapping.start), mapping.end - mapping.start,
                    MADV_DONTNEED);
    }
}

} // namespace

StandardErrorCapture::StandardErrorCapture()
{
    std::fflush(stderr);
    m_capture = memfd_create("corbelet-server", MFD_CLOEXEC);
    m_saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (m_capture >= 0 && m_saved >= 0)
        dup2(m_capture, STDERR_FILENO);
}

StandardErrorCapture::~StandardErrorCapture()
{
    restore();
    if (m_capture >= 0)
        close(m_capture);
}

std::string StandardErrorCapture::text()
{
    restore();
    std::string captured;
    if (m_capture < 0 || lseek(m_capture, 0, SEEK_SET) < 0)
        return captured;
    char buffer[4096];
    ssize_t count;
    while ((count = read(m_capture, buffer, sizeof buffer)) > 0)
        captured.append(buffer, static_cast<std::size_t>(count));
    return captured;
}

void StandardErrorCapture::restore()
{
    if (m_saved < 0)
        return;
    std::fflush(stderr);
    dup2(m_saved, STDERR_FILENO);
    close(m_saved);
    m_saved = -1;
}

namespace {

// How the server marks what it writes on the standard error: its start
// failures, then a refused connection after its program name.
constexpr std::string_view kServerError = "Got ERROR: ";
constexpr std::string_view kServerProgram = "mysql_embedded: ";

std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (end > 0)
            lines.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

bool isServerLine(std::string_view line)
{
    return line.starts_with(kServerError) || line.starts_with(kServerProgram);
}

} // namespace

std::string ServerComplaint(const std::string& captured)
{
    const std::vector<std::string_view> lines = linesOf(captured);
    for (std::string_view line : lines) {
        if (!line.starts_with(kServerError))
            continue;
        line.remove_prefix(kServerError.size());
        if (const auto number = line.rfind("\" errno: "); number != std::string_view::npos)
            line = line.substr(0, number + 1);
        if (line.size() >= 2 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        constexpr std::string_view unknown = "unknown: ";
        if (line.starts_with(unknown))
            line.remove_prefix(unknown.size());
        return std::string(line);
    }
    for (const std::string_view line : lines) {
        if (line.starts_with(kServerProgram))
            return std::string(line.substr(kServerProgram.size()));
    }
    return {};
}

std::string OtherThanServer(const std::string& captured)
{
    std::string others;
    for (const std::string_view line : linesOf(captured)) {
        if (!isServerLine(line))
            others.append(line).append("\n");
    }
    return others;
}

bool EmbeddedServerApi::usable() const
{
    return init && real_connect && query && field_count && store_result && num_fields &&
           fetch_fields && fetch_row && fetch_lengths && free_result && error_number && error &&
           close;
}

EmbeddedServer& EmbeddedServer::instance()
{
    static EmbeddedServer server;
    return server;
}

EmbeddedServer::~EmbeddedServer()
{
    // A program that ends before its store connected: the start finishes first.
    if (m_background.joinable())
        m_background.join();
    // The library is deliberately not unloaded: the server's own exit handlers
    // still refer to it, and the process is ending anyway.
}

void EmbeddedServer::endServer()
{
    EmbeddedServer& server = instance();
    if (server.m_state == State::Running && server.m_api.server_end) {
        // Started in the background for a store that never connected.
        if (server.m_startedElsewhere && !server.m_threadReady && server.m_api.thread_init)
            server.m_api.thread_init();
        server.m_api.server_end();
    }
    server.m_state = State::Ended;
}

void EmbeddedServer::requireOwnThread() const
{
    if (m_thread && std::this_thread::get_id() != *m_thread)
        throw std::runtime_error(
            "La base de mots ne s'utilise que depuis le fil de l'interface du jeu");
}

void EmbeddedServer::startInBackground(const std::vector<std::string>& fileNames,
                                       const std::vector<std::string>& arguments)
{
    if (m_thread || m_background.joinable())
        return;
    // The server sets the process's umask while it starts: from its UMASK
    // variable, which it reads then, it is told to set the one the process
    // has, so that a file the program writes meanwhile on its own thread
    // (the settings file at a first start) gets its usual permissions. (The
    // variable is put back once the start is over, in load().)
    const mode_t mask = umask(022);
    umask(mask);
    char octal[8];
    std::snprintf(octal, sizeof octal, "0%o", 0666 & ~mask);
    if (const char* previous = std::getenv("UMASK"))
        m_umaskVariable = previous;
    setenv("UMASK", octal, 1);
    m_background = std::thread([this, fileNames, arguments] {
        try {
            loadLibrary(fileNames);
        } catch (const std::exception&) {
            return; // load() tries again and reports the failure
        }
        start(arguments);
        if (m_state == State::Running && m_api.server_init) {
            m_startedElsewhere = true;
            // This thread's share of the library goes with it.
            if (m_api.thread_end)
                m_api.thread_end();
        }
    });
}

void EmbeddedServer::waitForBackgroundStart()
{
    if (!m_background.joinable())
        return;
    m_background.join();
    if (m_umaskVariable)
        setenv("UMASK", m_umaskVariable->c_str(), 1);
    else
        unsetenv("UMASK");
}

void EmbeddedServer::load(const std::vector<std::string>& fileNames)
{
    waitForBackgroundStart();
    requireOwnThread();
    m_thread = std::this_thread::get_id();
    loadLibrary(fileNames);
    // Every thread that uses the client functions of a server it did not
    // start sets up its own state in the library first.
    if (m_startedElsewhere && !m_threadReady && m_api.thread_init) {
        if (m_api.thread_init() != 0)
            throw std::runtime_error("the embedded server cannot serve this thread");
        m_threadReady = true;
    }
}

void EmbeddedServer::loadLibrary(const std::vector<std::string>& fileNames)
{
    if (m_library)
        return;
    const auto before = loadedObjects();
    std::string tried;
    for (const std::string& fileName : fileNames) {
        m_library = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_library)
            break;
        if (!tried.empty())
            tried += ", ";
        tried += fileName;
    }
    if (!m_library) {
        // dlopen's own reason stays with the debug output: the player's text
        // names the files, as the message has always done.
        throw std::runtime_error("None of the dynamic libraries can be found: " + tried);
    }
    // The library itself (which another part of the program may have
    // loaded already), and the libraries it brought in.
    std::ranges::set_difference(loadedObjects(), before,
                                std::inserter(m_libraryFiles, m_libraryFiles.end()));
    link_map* map = nullptr;
    struct stat file;
    if (dlinfo(m_library, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr &&
        stat(map->l_name, &file) == 0)
        m_libraryFiles.emplace(file.st_dev, file.st_ino);
    bind(m_library, m_api.server_init, "mysql_server_init");
    bind(m_library, m_api.server_end, "mysql_server_end");
    bind(m_library, m_api.init, "mysql_init");
    bind(m_library, m_api.options, "mysql_options");
    bind(m_library, m_api.real_connect, "mysql_real_connect");
    bind(m_library, m_api.query, "mysql_query");
    bind(m_library, m_api.field_count, "mysql_field_count");
    bind(m_library, m_api.store_result, "mysql_store_result");
    bind(m_library, m_api.num_fields, "mysql_num_fields");
    bind(m_library, m_api.fetch_fields, "mysql_fetch_fields");
    bind(m_library, m_api.fetch_row, "mysql_fetch_row");
    bind(m_library, m_api.fetch_lengths, "mysql_fetch_lengths");
    bind(m_library, m_api.free_result, "mysql_free_result");
    bind(m_library, m_api.error_number, "mysql_errno");
    bind(m_library, m_api.error, "mysql_error");
    bind(m_library, m_api.close, "mysql_close");
    bind(m_library, m_api.thread_init, "mysql_thread_init");
    bind(m_library, m_api.thread_end, "mysql_thread_end");
}

std::string EmbeddedServer::start(const std::vector<std::string>& arguments)
{
    if (m_state == State::Running)
        return {};
    if (m_state == State::Failed)
        return m_failure;
    if (m_state == State::Ended)
        return "the embedded server has ended";
    if (!m_api.usable()) {
        m_state = State::Failed;
        m_failure = "the server library lacks client functions";
        return m_failure;
    }
    if (!m_api.server_init) {
        // A client library without a server of its own: nothing to start.
        m_state = State::Running;
        return {};
    }

    // Two processes on one data folder: the second would wait half a minute
    // inside the server start and then fail. Take the base's lock first and
    // give up at once when another program holds it. The lock is kept for the
    // whole run and dies with the process; while it is held, an update of the
    // player's base leaves the folder where it is. (A folder where the lock
    // file cannot be made is left to the server, which says what it lacks.)
    if (m_dataLock.take(dataFolder(arguments)) == BaseLock::Outcome::InUse) {
        // Not a lasting failure: the other program may end before the next try.
        return "la base de mots (" + dataFolder(arguments) +
               ") est déjà utilisée par un autre programme";
    }

    m_arguments = arguments;
    m_argumentPointers.clear();
    for (std::string& argument : m_arguments)
        m_argumentPointers.push_back(argument.data());
    m_argumentPointers.push_back(nullptr);
    static const char* groups[] = {"embedded", "server", nullptr};

    // The server start changes the process umask; the game's own files keep
    // the player's.
    const mode_t previousMask = umask(022);
    umask(previousMask);
    StandardErrorCapture capture;
    const int result = m_api.server_init(static_cast<int>(m_arguments.size()),
                                         m_argumentPointers.data(), const_cast<char**>(groups));
    umask(previousMask);
    const std::string complaints = capture.text();

    // What the rest of the program wrote meanwhile (the start may run in the
    // background) goes where it was meant to go; the server's own lines are
    // its complaint, reported as the reason of the failure.
    if (const std::string others = OtherThanServer(complaints); !others.empty())
        std::fwrite(others.data(), 1, others.size(), stderr);
    if (result == 0) {
        m_state = State::Running;
        releaseStartPages(m_libraryFiles);
        // The server ends at exit, before the library's own globals are torn
        // down: they were set up when the library was loaded, and exit
        // handlers run in the reverse order of their registration.
        std::atexit(&EmbeddedServer::endServer);
        return {};
    }
    m_state = State::Failed;
    m_failure = ServerComplaint(complaints);
    if (m_failure.empty())
        m_failure = "the embedded server did not start";
    return m_failure;
}
