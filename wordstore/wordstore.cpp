#include "wordstore/wordstore.h"

#include "text/windows1252.h"
#include "wordstore/diskspace.h"
#include "wordstore/embeddedserver.h"
#include "wordstore/playerwords.h"
#include "wordstore/serverconnection.h"
#include "wordstore/wordcatalogue.h"
#include "wordstore/wordstoreconnection.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace {

constexpr char kCannotConnect[] = "Cannot connect to SQL server";

bool equalsIgnoringCase(std::string_view left, std::string_view right)
{
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

std::string trimmed(std::string_view text)
{
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

// The argument's name with "_" read as "-": the server takes both spellings.
std::string optionName(std::string_view argument)
{
    std::string name(argument.substr(0, argument.find('=')));
    std::replace(name.begin(), name.end(), '_', '-');
    return name;
}

std::string currentFolder()
{
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

std::string executablePath()
{
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return path;
}

// The text after the first "=" of `line` when its name (before the "=")
// matches `name` without regard to case.
std::optional<std::string> propertyValue(const std::vector<std::string>& properties,
                                         std::string_view name)
{
    for (const std::string& line : properties) {
        const auto equals = line.find('=');
        if (equals != std::string::npos && equalsIgnoringCase(line.substr(0, equals), name))
            return line.substr(equals + 1);
    }
    return std::nullopt;
}

// The whole text read as a decimal integer, or nothing when it is not one.
std::optional<long long> decimalInteger(std::string_view text)
{
    if (text.starts_with('+'))
        text.remove_prefix(1);
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

// A yes/no property: yes for "Y", "YES", "T" or "TRUE" in any case, or for a
// decimal integer other than 0; anything else, an absent line included, is no.
bool isYes(const std::optional<std::string>& value)
{
    if (!value)
        return false;
    for (const char* yes : {"Y", "YES", "T", "TRUE"}) {
        if (equalsIgnoringCase(*value, yes))
            return true;
    }
    const auto number = decimalInteger(*value);
    return number && *number != 0;
}

// A number property: a value that is not a decimal integer counts as 0.
long long numberValue(const std::optional<std::string>& value)
{
    return value ? decimalInteger(*value).value_or(0) : 0;
}

} // namespace

// The server's error texts arrive in the connection's character set, latin1
// (Windows-1252); the raised error carries UTF-8.
std::string ServerError(const EmbeddedServerApi& api, MYSQL* handle)
{
    return "SQL Error: " + Windows1252::toUtf8(trimmed(api.error(handle)));
}

std::runtime_error ConnectFailure(const EmbeddedServerApi& api, MYSQL* handle,
                                  const std::string& complaint)
{
    if (api.error_number(handle) != 0 && !trimmed(api.error(handle)).empty())
        return std::runtime_error(ServerError(api, handle));
    if (complaint.empty())
        return std::runtime_error(kCannotConnect);
    return std::runtime_error(std::string(kCannotConnect) + ": " + complaint);
}

// ---------------------------------------------------------------- TWordStore

// One operation of the store that may wait for a server through Waiter: a
// second one meanwhile (from a window event handled during the wait) is
// refused, and a Disconnect asked for meanwhile is made once it ends.
class TWordStore::Operation
{
public:
    explicit Operation(TWordStore& store) : m_store(store)
    {
        if (m_store.m_busy)
            throw std::runtime_error("the word store is already waiting for the server");
        m_store.m_busy = true;
    }
    ~Operation() { release(); }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // The operation has ended; when a Disconnect was asked for meanwhile,
    // what called it goes no further (WordStoreAbandoned).
    void end()
    {
        const bool disconnected = m_store.m_disconnectWhenDone;
        release();
        if (disconnected)
            throw WordStoreAbandoned();
    }

private:
    void release()
    {
        if (!m_active)
            return;
        m_active = false;
        m_store.m_busy = false;
        if (m_store.m_disconnectWhenDone) {
            m_store.m_disconnectWhenDone = false;
            m_store.Disconnect();
        }
    }

    TWordStore& m_store;
    bool m_active = true;
};

TWordStore::TWordStore()
    : Properties{"compress=yes", "dbless=no", "useresult=no", "timeout=30",
                 // No option file of the machine or the user may change the
                 // game's server; this one must come first.
                 "ServerArgument0=--no-defaults", "ServerArgument1=--basedir=./",
                 "ServerArgument2=--datadir=./data",
                 "ServerArgument3=--character-sets-dir=./share/charsets",
                 "ServerArgument4=--language=./share/french", "ServerArgument5=--skip-innodb",
                 // Sized for the word base: its index (about 200 KB) fits
                 // whole; 16 MB cost 3 MB of memory and 5 ms of start for
                 // nothing (build/bench/wordstore_bench --arguments measures
                 // every argument).
                 "ServerArgument6=--key_buffer_size=256K",
                 // Without InnoDB the server needs another default engine.
                 "ServerArgument7=--default-storage-engine=MyISAM",
                 // Reads ./share/french/errmsg.sys: the server's texts in French.
                 "ServerArgument8=--lc-messages=fr_FR",
                 "ServerArgument9=--character-set-server=latin1",
                 "ServerArgument10=--collation-server=latin1_swedish_ci",
                 // Words arrive as stored (Windows-1252), not converted to UTF-8.
                 "ServerArgument11=--skip-character-set-client-handshake",
                 // Aria holds only the server's own system tables here; its
                 // default 128 MB page cache would be wasted.
                 "ServerArgument12=--aria-pagecache-buffer-size=1M",
                 // The server's temporary files stay with the base it serves,
                 // in the player's own folder, like its lock and logs.
                 "ServerArgument13=--tmpdir=./data/"},
      LibraryNames{"libmariadbd.so.19", "libmariadbd.so"}, Database(WordCatalogue::kDatabase)
{}

TWordStore::~TWordStore()
{
    Disconnect();
    for (TWordQuery* query : m_queries)
        query->m_store = nullptr;
}

bool TWordStore::Connected() const
{
    return m_connection != nullptr;
}

std::vector<std::string> TWordStore::ServerArguments() const
{
    std::vector<std::string> arguments{executablePath()};
    constexpr std::string_view prefix = "ServerArgument";
    for (const std::string& line : Properties) {
        if (line.size() < prefix.size() ||
            !equalsIgnoringCase(line.substr(0, prefix.size()), prefix))
            continue;
        // A line without "=" has no name and so is no argument.
        const auto equals = line.find('=');
        if (equals != std::string::npos)
            arguments.push_back(line.substr(equals + 1));
    }
    const bool namesDataFolder =
        std::any_of(arguments.begin() + 1, arguments.end(), [](const std::string& argument) {
            return argument.substr(0, argument.find('=')) == "--datadir";
        });
    if (!namesDataFolder)
        arguments.push_back("--datadir=./data/");

    const std::string base = BaseFolder.empty() ? currentFolder() : BaseFolder;
    const std::string resources = ResourceFolder.empty() ? currentFolder() : ResourceFolder;
    for (auto argument = arguments.begin() + 1; argument != arguments.end(); ++argument)
        *argument = ResolveServerArgument(*argument, base, resources);
    return arguments;
}

std::string ResolveServerArgument(const std::string& argument, const std::string& baseFolder,
                                  const std::string& resourceFolder)
{
    const auto equals = argument.find('=');
    if (!argument.starts_with("--") || equals == std::string::npos)
        return argument;
    const std::string name = optionName(argument);
    const std::string_view value = std::string_view(argument).substr(equals + 1);
    const bool relative =
        value == "." || value == ".." || value.starts_with("./") || value.starts_with("../") ||
        ((name == "--basedir" || name == "--datadir") && !value.empty() && !value.starts_with('/'));
    if (!relative)
        return argument;
    const bool readOnly =
        name == "--character-sets-dir" || name == "--language" || name == "--lc-messages-dir";
    const std::filesystem::path anchor(readOnly ? resourceFolder : baseFolder);
    return argument.substr(0, equals + 1) + (anchor / value).lexically_normal().string();
}

void TWordStore::StartServerInBackground() const
{
    if (!Server)
        EmbeddedServer::instance().startInBackground(LibraryNames, ServerArguments());
}

void TWordStore::Connect()
{
    if (m_connection)
        return;
    if (Server) {
        Operation operation(*this);
        m_connection = ConnectToServer(*Server,
                                       {isYes(propertyValue(Properties, "compress")),
                                        numberValue(propertyValue(Properties, "timeout"))},
                                       Waiter);
        operation.end();
        return;
    }
    EmbeddedServer& server = EmbeddedServer::instance();
    server.load(LibraryNames);

    // A failed start is final: the library must not be used any further (a
    // connection after it can crash), so every attempt reports it again.
    const std::vector<std::string> arguments = ServerArguments();
    const std::string failure = server.start(arguments);
    if (!failure.empty()) {
        // A full disk stops the start at its first write (its recovery log):
        // said in words a player acts on.
        const bool diskFull = failure.find("(Errcode: 28") != std::string::npos;
        throw std::runtime_error(std::string(kCannotConnect) + ": " +
                                 (diskFull ? DiskFullText(DataFolderOf(arguments)) : failure));
    }
    const EmbeddedServerApi& api = server.api();

    auto connection = std::make_unique<WordStoreConnection>(
        WordStoreConnection{&api, {api.init(nullptr), api.close}});
    MYSQL* handle = connection->handle.get();
    if (!handle)
        throw std::runtime_error(kCannotConnect);
    // The handle is closed by `connection` when any step below fails.
    const auto failed = [&](const std::string& complaint = std::string()) {
        return ConnectFailure(api, handle, complaint);
    };
    if (api.options) {
        if (isYes(propertyValue(Properties, "compress")) &&
            api.options(handle, MYSQL_OPT_COMPRESS, nullptr) != 0)
            throw failed();
        // The time-out is set whenever its number is 0 or more; an absent or
        // unreadable value counts as 0.
        if (const long long timeout = numberValue(propertyValue(Properties, "timeout"));
            timeout >= 0) {
            const unsigned seconds = static_cast<unsigned>(std::min<long long>(timeout, UINT_MAX));
            if (api.options(handle, MYSQL_OPT_CONNECT_TIMEOUT, &seconds) != 0)
                throw failed();
        }
    }
    const unsigned long flags =
        isYes(propertyValue(Properties, "dbless")) ? 0 : CLIENT_CONNECT_WITH_DB;
    // A refused connection that the library does not report (an unknown
    // database) is explained on the standard error only.
    StandardErrorCapture capture;
    const bool connected = api.real_connect(handle, nullptr, nullptr, nullptr, Database.c_str(),
                                            Port, nullptr, flags) != nullptr;
    // What the rest of the program wrote meanwhile goes where it was meant to.
    const std::string captured = capture.text();
    if (const std::string others = OtherThanServer(captured); !others.empty())
        std::fwrite(others.data(), 1, others.size(), stderr);
    if (!connected)
        throw failed(ServerComplaint(captured));
    m_connection = std::move(connection);
    try {
        m_addedWordsNowShipped = ReapplyPlayerWords(*this, arguments);
    } catch (...) {
        // Not connected, so that the next connection tries again.
        m_connection.reset();
        throw;
    }
}

void TWordStore::EnsureRoomToWrite() const
{
    if (!Server)
        EnsureRoomToRewrite(DataFolderOf(ServerArguments()), Database);
}

void TWordStore::Execute(const std::string& statement)
{
    TWordQuery query(*this);
    query.SetSQL(statement);
    // A change is never sent twice: the lost one may have been made.
    const auto [api, handle] = query.send(false);
    // A result nobody reads is still fetched and freed.
    if (api->field_count(handle) != 0)
        api->free_result(api->store_result(handle));
}

void TWordStore::Disconnect()
{
    if (m_busy) {
        // The operation that waits still uses the connection (or is making
        // it): it ends it.
        m_disconnectWhenDone = true;
        return;
    }
    if (!m_connection)
        return;
    for (TWordQuery* query : m_queries)
        query->Close();
    m_connection.reset();
}

void TWordStore::attach(TWordQuery* query)
{
    m_queries.push_back(query);
}

void TWordStore::detach(TWordQuery* query)
{
    std::erase(m_queries, query);
}

// -------------------------------------------------------------------- TField

std::int32_t TField::AsInteger() const
{
    if (!m_value)
        return 0;
    std::int32_t number = 0;
    const std::string& text = *m_value;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() ? number : 0;
}

// ---------------------------------------------------------------- TWordQuery

TWordQuery::TWordQuery(TWordStore& store) : m_store(&store)
{
    m_store->attach(this);
}

TWordQuery::~TWordQuery()
{
    if (m_store)
        m_store->detach(this);
}

void TWordQuery::SetSQL(std::string_view line)
{
    Close();
    m_sql.assign(1, std::string(line));
}

void TWordQuery::AddSQL(std::string_view line)
{
    Close();
    m_sql.emplace_back(line);
}

std::pair<const EmbeddedServerApi*, MYSQL*> TWordQuery::send(bool resendWhenLost)
{
    if (!m_store)
        throw std::runtime_error(kCannotConnect);
    // The client library's connections may each live on their own thread.
    if (!m_store->Server)
        EmbeddedServer::instance().requireOwnThread();
    std::string statement;
    for (const std::string& line : m_sql)
        statement += line + "\r\n";
    for (int attempt = 1;; ++attempt) {
        m_store->Connect();
        WordStoreConnection& connection = *m_store->m_connection;
        const EmbeddedServerApi& api = *connection.api;
        MYSQL* handle = connection.handle.get();
        TWordStore::Operation operation(*m_store);
        const int failed = RunQuery(connection, statement);
        operation.end();
        if (failed == 0)
            return {&api, handle};
        const std::runtime_error error(ServerError(api, handle));
        if (!ConnectionLost(api.error_number(handle)))
            throw error;
        // The server went away (restarted, or stopped) since the last
        // statement. The next statement connects again; a reading one is sent
        // once more at once, and a server still gone then raises the connect
        // error. A server that is there but does not answer is not waited for
        // a second time.
        const bool timedOut = connection.timedOut;
        m_store->Disconnect();
        if (!resendWhenLost || attempt == 2 || timedOut)
            throw error;
    }
}

void TWordQuery::Open()
{
    if (m_active)
        return;
    const auto [apiPointer, handle] = send(true);
    const EmbeddedServerApi& api = *apiPointer;
    if (api.field_count(handle) == 0)
        throw std::runtime_error("Can not open a Resultset");
    TWordStore::Operation operation(*m_store);
    // Freed on every path, a failed allocation while copying the rows included.
    std::unique_ptr<MYSQL_RES, decltype(api.free_result)> result(
        StoreResult(*m_store->m_connection), api.free_result);
    if (m_store->m_disconnectWhenDone)
        result.reset(); // before its connection goes
    operation.end();
    if (!result)
        throw std::runtime_error("Cannot retrieve Resultset data");

    const unsigned columnCount = api.num_fields(result.get());
    const MYSQL_FIELD* fields = api.fetch_fields(result.get());
    std::vector<std::string> columns;
    for (unsigned column = 0; column < columnCount; ++column)
        columns.emplace_back(fields[column].name);
    std::vector<std::vector<std::optional<std::string>>> rows;
    while (MYSQL_ROW row = api.fetch_row(result.get())) {
        const unsigned long* lengths = api.fetch_lengths(result.get());
        auto& values = rows.emplace_back(columnCount);
        for (unsigned column = 0; column < columnCount; ++column) {
            if (row[column])
                values[column] = std::string(row[column], lengths[column]);
        }
    }

    m_columns = std::move(columns);
    m_rows = std::move(rows);
    m_current = 0;
    m_active = true;
}

void TWordQuery::Close()
{
    m_active = false;
    m_columns.clear();
    m_rows.clear();
    m_current = 0;
}

void TWordQuery::First()
{
    m_current = 0;
}

void TWordQuery::Next()
{
    if (m_current < m_rows.size())
        ++m_current;
}

bool TWordQuery::Eof() const
{
    return !m_active || m_current >= m_rows.size();
}

TField TWordQuery::FindField(std::string_view name) const
{
    if (Eof())
        return TField();
    for (std::size_t column = 0; column < m_columns.size(); ++column) {
        if (equalsIgnoringCase(m_columns[column], name))
            return TField(m_rows[m_current][column]);
    }
    return TField();
}
