#pragma once

// The open connection of a word store, private to wordstore/: the handle and
// the client functions of the library that opened it (the embedded server's
// or the client library's), so that the same statements run over either.

#include "wordstore/embeddedserver.h"
#include "wordstore/wordstore.h"

#include <memory>
#include <stdexcept>
#include <string>

struct WordStoreConnection
{
    const EmbeddedServerApi* api = nullptr;
    // Closed with the library's mysql_close.
    std::unique_ptr<MYSQL, decltype(EmbeddedServerApi::close)> handle{nullptr, nullptr};
    // A connection to a server made to wait through a NetworkWait: its calls
    // are the library's non-blocking ones.
    NetworkWait* wait = nullptr;
    // Its last call ended because the server did not answer in time.
    bool timedOut = false;
};

// mysql_real_query and mysql_store_result over `connection`, waiting through
// its NetworkWait when it has one. Raise WordStoreAbandoned when the wait is
// given up.
int RunQuery(WordStoreConnection& connection, const std::string& statement);
MYSQL_RES* StoreResult(WordStoreConnection& connection);

// "SQL Error: <the library's error text>", the text trimmed and in UTF-8.
std::string ServerError(const EmbeddedServerApi& api, MYSQL* handle);

// A failed connection as the game reports it: "SQL Error: …" when the library
// gives an error number and a text; otherwise "Cannot connect to SQL server",
// followed by `complaint` when there is one (what the server said on its
// standard error).
std::runtime_error ConnectFailure(const EmbeddedServerApi& api, MYSQL* handle,
                                  const std::string& complaint = std::string());
