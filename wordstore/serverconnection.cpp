#include "wordstore/serverconnection.h"

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace {

// The client library's error numbers for a connection that went away.
constexpr unsigned kServerGone = 2006;
constexpr unsigned kServerLost = 2013;

// A statement that waits longer than this for the server gives up: a server
// gone from the network must not hold the game, and the player hears of it
// within 10 seconds of a click.
constexpr unsigned kReadWriteTimeoutSeconds = 8;

template <typename Function> void bind(void* library, Function& function, const char* name)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
}

// The client library, loaded once and kept until the process ends.
const EmbeddedServerApi& clientLibrary()
{
    static const EmbeddedServerApi api = [] {
        const char* const names[] = {"libmariadb.so.3", "libmariadb.so"};
        void* library = nullptr;
        for (const char* name : names) {
            if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)))
                break;
        }
        if (!library)
            throw std::runtime_error("None of the dynamic libraries can be found: "
                                     "libmariadb.so.3, libmariadb.so");
        EmbeddedServerApi bound;
        bind(library, bound.init, "mysql_init");
        bind(library, bound.options, "mysql_options");
        bind(library, bound.real_connect, "mysql_real_connect");
        bind(library, bound.query, "mysql_query");
        bind(library, bound.field_count, "mysql_field_count");
        bind(library, bound.store_result, "mysql_store_result");
        bind(library, bound.num_fields, "mysql_num_fields");
        bind(library, bound.fetch_fields, "mysql_fetch_fields");
        bind(library, bound.fetch_row, "mysql_fetch_row");
        bind(library, bound.fetch_lengths, "mysql_fetch_lengths");
        bind(library, bound.free_result, "mysql_free_result");
        bind(library, bound.error_number, "mysql_errno");
        bind(library, bound.error, "mysql_error");
        bind(library, bound.close, "mysql_close");
        bind(library, bound.real_connect_start, "mysql_real_connect_start");
        bind(library, bound.real_connect_cont, "mysql_real_connect_cont");
        bind(library, bound.real_query_start, "mysql_real_query_start");
        bind(library, bound.real_query_cont, "mysql_real_query_cont");
        bind(library, bound.store_result_start, "mysql_store_result_start");
        bind(library, bound.store_result_cont, "mysql_store_result_cont");
        bind(library, bound.get_socket, "mysql_get_socket");
        bind(library, bound.get_timeout_value_ms, "mysql_get_timeout_value_ms");
        if (!bound.usable() || !bound.options)
            throw std::runtime_error("the client library lacks client functions");
        return bound;
    }();
    return api;
}

const char* orNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

bool hasNonBlockingCalls(const EmbeddedServerApi& api)
{
    return api.real_connect_start && api.real_connect_cont && api.real_query_start &&
           api.real_query_cont && api.store_result_start && api.store_result_cont &&
           api.get_socket && api.get_timeout_value_ms;
}

// Runs one non-blocking call of the client library to its end: `start`
// begins it and `resume` goes on with the events it waited for, each
// returning what the call still waits for (0 once it has ended). A wait
// given up ends the call as a time-out would, so that the library leaves the
// connection in a state it can close, then raises WordStoreAbandoned.
template <typename Start, typename Resume>
void runNonBlocking(WordStoreConnection& connection, Start start, Resume resume)
{
    const EmbeddedServerApi& api = *connection.api;
    MYSQL* handle = connection.handle.get();
    connection.timedOut = false;
    bool abandoned = false;
    for (int waitingFor = start(); waitingFor != 0;) {
        int events = MYSQL_WAIT_TIMEOUT;
        if (!abandoned) {
            const int timeout = (waitingFor & MYSQL_WAIT_TIMEOUT)
                                    ? static_cast<int>(std::min<unsigned>(
                                          api.get_timeout_value_ms(handle), INT_MAX))
                                    : -1;
            events = connection.wait->wait(static_cast<int>(api.get_socket(handle)),
                                           waitingFor & ~MYSQL_WAIT_TIMEOUT, timeout);
            if (events == NetworkWait::kAbandon) {
                abandoned = true;
                events = MYSQL_WAIT_TIMEOUT;
            } else if (events & MYSQL_WAIT_TIMEOUT) {
                connection.timedOut = true;
            }
        }
        waitingFor = resume(events);
    }
    if (abandoned)
        throw WordStoreAbandoned();
}

} // namespace

int RunQuery(WordStoreConnection& connection, const std::string& statement)
{
    const EmbeddedServerApi& api = *connection.api;
    MYSQL* handle = connection.handle.get();
    if (!connection.wait)
        return api.query(handle, statement.c_str());
    int result = 0;
    runNonBlocking(
        connection,
        [&] { return api.real_query_start(&result, handle, statement.data(), statement.size()); },
        [&](int events) { return api.real_query_cont(&result, handle, events); });
    return result;
}

MYSQL_RES* StoreResult(WordStoreConnection& connection)
{
    const EmbeddedServerApi& api = *connection.api;
    MYSQL* handle = connection.handle.get();
    if (!connection.wait)
        return api.store_result(handle);
    MYSQL_RES* result = nullptr;
    runNonBlocking(
        connection, [&] { return api.store_result_start(&result, handle); },
        [&](int events) { return api.store_result_cont(&result, handle, events); });
    return result;
}

std::unique_ptr<WordStoreConnection>
ConnectToServer(const ServerSettings& settings, const ConnectionOptions& options, NetworkWait* wait)
{
    const EmbeddedServerApi& api = clientLibrary();
    const std::string password =
        settings.passwordFile.empty() ? std::string() : ReadPasswordFile(settings.passwordFile);

    auto connection = std::make_unique<WordStoreConnection>();
    connection->api = &api;
    connection->handle = {api.init(nullptr), api.close};
    MYSQL* handle = connection->handle.get();
    if (!handle)
        throw std::runtime_error("Cannot connect to SQL server");
    // The words are stored in latin1 (Windows-1252) and must arrive so.
    api.options(handle, MYSQL_SET_CHARSET_NAME, "latin1");
    if (options.compress)
        api.options(handle, MYSQL_OPT_COMPRESS, nullptr);
    // A server on the network that does not answer is given up as soon as
    // one whose statement does not answer: the connect time-out (also the
    // wait for the server's greeting) is held to the read time-out.
    const unsigned seconds = static_cast<unsigned>(
        options.timeoutSeconds >= 0
            ? std::min<long long>(options.timeoutSeconds, kReadWriteTimeoutSeconds)
            : kReadWriteTimeoutSeconds);
    api.options(handle, MYSQL_OPT_CONNECT_TIMEOUT, &seconds);
    api.options(handle, MYSQL_OPT_READ_TIMEOUT, &kReadWriteTimeoutSeconds);
    api.options(handle, MYSQL_OPT_WRITE_TIMEOUT, &kReadWriteTimeoutSeconds);

    const auto connect = [&] {
        return api.real_connect(handle, orNull(settings.host), orNull(settings.user),
                                password.c_str(), settings.database.c_str(), settings.port,
                                orNull(settings.socket), CLIENT_CONNECT_WITH_DB);
    };
    if (!wait || !hasNonBlockingCalls(api)) {
        if (!connect())
            throw ConnectFailure(api, handle);
        return connection;
    }
    if (api.options(handle, MYSQL_OPT_NONBLOCK, nullptr) != 0)
        throw ConnectFailure(api, handle);
    connection->wait = wait;
    MYSQL* connected = nullptr;
    runNonBlocking(
        *connection,
        [&] {
            return api.real_connect_start(&connected, handle, orNull(settings.host),
                                          orNull(settings.user), password.c_str(),
                                          settings.database.c_str(), settings.port,
                                          orNull(settings.socket), CLIENT_CONNECT_WITH_DB);
        },
        [&](int events) { return api.real_connect_cont(&connected, handle, events); });
    if (!connected)
        throw ConnectFailure(api, handle);
    return connection;
}

bool ConnectionLost(unsigned errorNumber)
{
    return errorNumber == kServerGone || errorNumber == kServerLost;
}
