#pragma once

// The word store: one connection to the embedded MariaDB server that runs
// inside the game's process (or, with Server set, to a MariaDB server through
// the client library), and read-only queries over it. The game reads words
// with SELECTs alone; it writes only the record of the player's progress
// (wordstore/progress.h). Results are fetched whole.
//
// Failures are raised as std::runtime_error whose text (UTF-8) is the one the
// player sees: "SQL Error: …", "Cannot connect to SQL server…",
// "Can not open a Resultset", "Cannot retrieve Resultset data",
// "None of the dynamic libraries can be found: …".
//
// All calls on the embedded server belong on the GUI thread: its client
// handle is not usable from a thread that did not initialise it, so Connect
// and Open from another thread raise an error instead of crashing. Only the
// server's start may run elsewhere (StartServerInBackground). A store on a
// server may live on any one thread.

#include "wordstore/serversettings.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TWordQuery;
struct WordStoreConnection;

// How a store on a MariaDB server waits for the network, so that a window can
// stay live while a server is slow to answer. Without one, the store's calls
// wait on the calling thread until the answer or the time-out.
class NetworkWait
{
public:
    // wait()'s answer when the operation is to be given up.
    static constexpr int kAbandon = -1;

    virtual ~NetworkWait() = default;
    // Waits until `socket` is ready for what `events` asks (the client
    // library's MYSQL_WAIT_READ, MYSQL_WAIT_WRITE, MYSQL_WAIT_EXCEPT) or until
    // `timeoutMs` milliseconds have passed (no limit when negative). Returns
    // the events that came, MYSQL_WAIT_TIMEOUT when the time ran out, or
    // kAbandon.
    virtual int wait(int socket, int events, int timeoutMs) = 0;
};

// Raised by a store operation given up by its NetworkWait (the window that
// waited is closing): nothing to report.
class WordStoreAbandoned : public std::exception
{
public:
    const char* what() const noexcept override { return "word store operation abandoned"; }
};
struct EmbeddedServerApi;
typedef struct st_mysql MYSQL;

class TWordStore
{
public:
    TWordStore();
    ~TWordStore();
    TWordStore(const TWordStore&) = delete;
    TWordStore& operator=(const TWordStore&) = delete;

    // Starts the embedded server with ServerArguments() on a thread of its
    // own and returns at once, so that the start overlaps the program's other
    // work; Connect, on the store's thread, waits for it. Does nothing once
    // the server library is in use, and for a store on a MariaDB server. The
    // server is one per process: any store with the same properties and
    // folders finds it running.
    void StartServerInBackground() const;

    // Opens the connection; does nothing when already connected.
    void Connect();
    // Closes every attached query, then the connection; does nothing when not
    // connected.
    void Disconnect();
    bool Connected() const;
    // How many of the player's added words the connection dropped because a
    // newer shipped base holds them too (they stay in the game as shipped
    // words); 0 for any connection but the first after such an update.
    int AddedWordsNowShipped() const { return m_addedWordsNowShipped; }

    // Runs a statement that changes the base (the word list tool's, and the
    // record of the player's progress). Connects first when needed; raises
    // "SQL Error: …".
    void Execute(const std::string& statement);

    // Before a change of the base's tables: raises a French error when the
    // disk of the embedded server's data folder lacks the room the change may
    // take (the server would wait for space without end). Does nothing for a
    // base on a MariaDB server, whose disk is not this machine's.
    void EnsureRoomToWrite() const;

    // The server start arguments made from Properties: the executable's path,
    // then the value of every "ServerArgument…" line in list order, then
    // "--datadir=./data/" when none of them names a data directory. Relative
    // paths among them are made absolute (ResolveServerArgument).
    std::vector<std::string> ServerArguments() const;

    // Where the relative paths of the server arguments lead: BaseFolder holds
    // the word base (data/) and takes everything the server writes;
    // ResourceFolder holds the server's read-only files (share/charsets,
    // share/french). Empty: the current folder, for a store used on its own;
    // the program always names both.
    std::string BaseFolder;
    std::string ResourceFolder;

    // Connection settings. They are fixed for the game; tests change them.
    std::vector<std::string> Properties;
    std::vector<std::string> LibraryNames;
    std::string Database;
    unsigned Port = 3306;

    // A MariaDB server that serves the base instead of the embedded server
    // (its own database name, host, account); none: the embedded server.
    std::optional<ServerSettings> Server;
    // How a store on a server waits for it; none: on the calling thread. A
    // store whose operation waits refuses another one meanwhile, and a
    // Disconnect meanwhile takes effect when that operation ends.
    NetworkWait* Waiter = nullptr;

private:
    friend class TWordQuery;
    void attach(TWordQuery* query);
    void detach(TWordQuery* query);
    std::unique_ptr<WordStoreConnection> m_connection;
    std::vector<TWordQuery*> m_queries;
    // An operation is waiting for the server (through Waiter).
    bool m_busy = false;
    bool m_disconnectWhenDone = false;
    int m_addedWordsNowShipped = 0;
    class Operation;
};

// A server start argument with a relative path made absolute. An argument
// "--name=value" has a relative path when its value begins with "./" or "../"
// (or is "." or ".."), or when it names the server's base or data folder
// (--basedir, --datadir) with a value that does not begin with "/". The path is
// resolved against resourceFolder for the server's read-only files
// (--character-sets-dir, --language, --lc-messages-dir) and against baseFolder
// for everything else; "-" and "_" in the name are alike, as for the server.
// Any other argument is returned as it stands.
std::string ResolveServerArgument(const std::string& argument, const std::string& baseFolder,
                                  const std::string& resourceFolder);

// One column of the current row. An absent column, a NULL value or a result
// without a current row reads as "" and 0.
class TField
{
public:
    TField() = default;
    explicit TField(std::optional<std::string> value) : m_value(std::move(value)) {}

    // The value as the server sent it (Windows-1252 bytes; integers in decimal).
    std::string AsString() const { return m_value.value_or(std::string()); }
    // The value as a signed 32-bit integer; 0 when it is not one.
    std::int32_t AsInteger() const;

private:
    std::optional<std::string> m_value;
};

class TWordQuery
{
public:
    explicit TWordQuery(TWordStore& store);
    ~TWordQuery();
    TWordQuery(const TWordQuery&) = delete;
    TWordQuery& operator=(const TWordQuery&) = delete;

    // The statement, as lines of Windows-1252 text. Changing it closes an open
    // result first.
    const std::vector<std::string>& SQL() const { return m_sql; }
    void SetSQL(std::string_view line); // replaces the text with one line
    void AddSQL(std::string_view line); // appends a line

    // Connects the store when needed, runs the statement and stands on the
    // first row. On failure the query stays closed and the error is raised.
    void Open();
    void Close();
    bool Active() const { return m_active; }
    // The store the query runs on; null once the store is gone.
    TWordStore* Store() const { return m_store; }

    void First();
    void Next();
    bool Eof() const;
    std::size_t RecordCount() const { return m_rows.size(); }

    // The column of the current row whose name matches without regard to
    // letter case.
    TField FindField(std::string_view name) const;

private:
    friend class TWordStore;
    // Connects the store when needed and sends the statement; raises the
    // server's error. A connection found lost is closed, and with
    // resendWhenLost made again for one more try.
    std::pair<const EmbeddedServerApi*, MYSQL*> send(bool resendWhenLost);

    TWordStore* m_store; // null once the store is gone
    std::vector<std::string> m_sql;
    std::vector<std::string> m_columns;
    std::vector<std::vector<std::optional<std::string>>> m_rows;
    std::size_t m_current = 0;
    bool m_active = false;
};
