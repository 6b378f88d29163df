#pragma once

// The embedded MariaDB server library, loaded with dlopen the first time the
// word store connects (or on a thread of its own, started earlier, so that the
// start overlaps other work) and kept until the process ends. The server
// itself is started at most once per process: MariaDB's embedded server cannot
// be started again after it has ended, and a failed start leaves it unusable,
// so the outcome of the first start is kept and reported to every later attempt.

#include "wordstore/baselock.h"

#include <mysql.h>

#include <sys/types.h>

#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A file, by device and inode.
using FileIdentity = std::pair<dev_t, ino_t>;

// The client functions the word store calls, looked up by name. An entry point
// the library lacks stays null.
struct EmbeddedServerApi
{
    decltype(&::mysql_server_init) server_init = nullptr;
    decltype(&::mysql_server_end) server_end = nullptr;
    decltype(&::mysql_init) init = nullptr;
    decltype(&::mysql_options) options = nullptr;
    decltype(&::mysql_real_connect) real_connect = nullptr;
    decltype(&::mysql_query) query = nullptr;
    decltype(&::mysql_field_count) field_count = nullptr;
    decltype(&::mysql_store_result) store_result = nullptr;
    decltype(&::mysql_num_fields) num_fields = nullptr;
    decltype(&::mysql_fetch_fields) fetch_fields = nullptr;
    decltype(&::mysql_fetch_row) fetch_row = nullptr;
    decltype(&::mysql_fetch_lengths) fetch_lengths = nullptr;
    decltype(&::mysql_free_result) free_result = nullptr;
    decltype(&::mysql_errno) error_number = nullptr;
    decltype(&::mysql_error) error = nullptr;
    decltype(&::mysql_close) close = nullptr;
    decltype(&::mysql_thread_init) thread_init = nullptr;
    decltype(&::mysql_thread_end) thread_end = nullptr;
    // The client library's non-blocking calls (the embedded server has none).
    decltype(&::mysql_real_connect_start) real_connect_start = nullptr;
    decltype(&::mysql_real_connect_cont) real_connect_cont = nullptr;
    decltype(&::mysql_real_query_start) real_query_start = nullptr;
    decltype(&::mysql_real_query_cont) real_query_cont = nullptr;
    decltype(&::mysql_store_result_start) store_result_start = nullptr;
    decltype(&::mysql_store_result_cont) store_result_cont = nullptr;
    decltype(&::mysql_get_socket) get_socket = nullptr;
    decltype(&::mysql_get_timeout_value_ms) get_timeout_value_ms = nullptr;

    // True when every function the word store needs after the start is there.
    bool usable() const;
};

// Collects what the process writes on its standard error while it lives: the
// embedded server explains a failed start, or a refused connection, only there.
class StandardErrorCapture
{
public:
    StandardErrorCapture();
    ~StandardErrorCapture();
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    // Ends the capture and gives what was written meanwhile.
    std::string text();

private:
    void restore();

    int m_capture = -1;
    int m_saved = -1;
};

// The first complaint of the server in `captured`, without its decoration: at
// start it writes `Got ERROR: "text" errno: N` lines, the first naming the
// cause (a missing folder or message file) and the next ones its consequences;
// for a refused connection, a line of its own after its program name. Lines
// of other origins never count. Empty when the server said nothing.
std::string ServerComplaint(const std::string& captured);
// The lines of `captured` that are not the server's: what the rest of the
// program wrote during a capture, each line ended by a newline.
std::string OtherThanServer(const std::string& captured);

class EmbeddedServer
{
public:
    // The one server of the process.
    static EmbeddedServer& instance();

    EmbeddedServer(const EmbeddedServer&) = delete;
    EmbeddedServer& operator=(const EmbeddedServer&) = delete;

    // Loads the library and starts the server with `arguments` on a thread of
    // its own, at once; the next load() waits for it. Does nothing once a load
    // or a start has begun. A load or a start that fails there is tried again
    // by the next load() and start(), which report the failure as usual.
    void startInBackground(const std::vector<std::string>& fileNames,
                           const std::vector<std::string>& arguments);

    // Loads the first of `fileNames` that dlopen accepts and binds its entry
    // points. Raises "None of the dynamic libraries can be found: …" when none
    // loads. Does nothing more once a library is loaded.
    // The library belongs to the thread that calls load() first, the store's
    // thread: a start in the background is waited for here.
    void load(const std::vector<std::string>& fileNames);
    // Raises an error when called from another thread than the store's: a
    // connection used from a thread the library did not initialise crashes
    // the process.
    void requireOwnThread() const;
    bool loaded() const { return m_library != nullptr; }
    const EmbeddedServerApi& api() const { return m_api; }

    // Starts the server with `arguments` (argument 0 first) the first time it
    // is called. Returns an empty text when the server runs, otherwise why it
    // does not, in French or in the server's own words.
    std::string start(const std::vector<std::string>& arguments);

private:
    EmbeddedServer() = default;
    ~EmbeddedServer();

    enum class State
    {
        NotStarted,
        Running,
        Failed,
        Ended
    };
    // Ends a running server at exit.
    static void endServer();
    void loadLibrary(const std::vector<std::string>& fileNames);
    void waitForBackgroundStart();

    void* m_library = nullptr;
    // The files of the library and of the libraries loaded with it.
    std::set<FileIdentity> m_libraryFiles;
    EmbeddedServerApi m_api;
    State m_state = State::NotStarted;
    std::string m_failure;
    // The server keeps pointers into its argument vector for the whole run.
    std::vector<std::string> m_arguments;
    std::vector<char*> m_argumentPointers;
    // Held from the start of the server to the end of the process.
    BaseLock m_dataLock;
    // The store's thread, once it has called load().
    std::optional<std::thread::id> m_thread;
    // The start in the background, until load() has waited for it.
    std::thread m_background;
    // The server was started on another thread than the store's: the
    // store's thread sets up the library's per-thread state before using it.
    bool m_startedElsewhere = false;
    bool m_threadReady = false;
    // The process's own UMASK variable, while the start in the background
    // has it changed.
    std::optional<std::string> m_umaskVariable;
};
