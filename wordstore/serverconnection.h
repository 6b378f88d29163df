#pragma once

// A word store's connection to a MariaDB server through MariaDB's client
// library (libmariadb, loaded with dlopen the first time and kept until the
// process ends), instead of the embedded server.

#include "wordstore/serversettings.h"
#include "wordstore/wordstoreconnection.h"

#include <memory>

// The options of the connection, as the store's properties give them.
struct ConnectionOptions
{
    bool compress = false;
    long long timeoutSeconds = 30; // connect time-out; negative: the library's
};

// Connects to the server of `settings`. Raises std::runtime_error:
// "None of the dynamic libraries can be found: …" without the client library,
// "Cannot connect to SQL server: <the library's reason>" when the server
// cannot be reached or refuses, and the password file's own French text.
// With `wait`, the connection and every statement on it wait for the server
// through it (the library's non-blocking calls).
std::unique_ptr<WordStoreConnection> ConnectToServer(const ServerSettings& settings,
                                                     const ConnectionOptions& options,
                                                     NetworkWait* wait = nullptr);

// Whether a statement's error number means that the connection is gone (the
// server stopped or restarted): the next statement must connect again.
bool ConnectionLost(unsigned errorNumber);
