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
// gone from the network must not freeze the game.
constexpr unsigned kReadWriteTimeoutSeconds = 10;

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

} // namespace

std::unique_ptr<WordStoreConnection> ConnectToServer(const ServerSettings& settings,
                                                     const ConnectionOptions& options)
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
    if (options.timeoutSeconds >= 0) {
        const unsigned seconds =
            static_cast<unsigned>(std::min<long long>(options.timeoutSeconds, UINT_MAX));
        api.options(handle, MYSQL_OPT_CONNECT_TIMEOUT, &seconds);
    }
    api.options(handle, MYSQL_OPT_READ_TIMEOUT, &kReadWriteTimeoutSeconds);
    api.options(handle, MYSQL_OPT_WRITE_TIMEOUT, &kReadWriteTimeoutSeconds);

    if (!api.real_connect(handle, orNull(settings.host), orNull(settings.user), password.c_str(),
                          settings.database.c_str(), settings.port, orNull(settings.socket),
                          CLIENT_CONNECT_WITH_DB))
        throw ConnectFailure(api, handle);
    return connection;
}

bool ConnectionLost(unsigned errorNumber)
{
    return errorNumber == kServerGone || errorNumber == kServerLost;
}
