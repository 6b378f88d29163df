#pragma once

// The open connection of a word store, private to wordstore/: the handle and
// the client functions of the library that opened it (the embedded server's
// or the client library's), so that the same statements run over either.

#include "wordstore/embeddedserver.h"

#include <memory>

struct WordStoreConnection
{
    const EmbeddedServerApi* api = nullptr;
    // Closed with the library's mysql_close.
    std::unique_ptr<MYSQL, decltype(EmbeddedServerApi::close)> handle{nullptr, nullptr};
};
