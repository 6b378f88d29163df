#pragma once

// A small file read whole, by one rule for every file the program reads as
// settings: a named pipe, a device or a folder put in the file's place is
// never read as a file and never blocks the program (it is opened without
// blocking and looked at before anything is read).
//
// Plain C++ without Qt.

#include <sys/stat.h>

#include <cstdint>
#include <string>

// Whether a symbolic link in the file's place is followed or refused as not
// being a regular file.
enum class FileLinks
{
    Follow,
    Refuse
};

struct RegularFile
{
    enum Outcome
    {
        Read,       // content holds the file, status its state when it was read
        Missing,    // nothing at the path
        NotRegular, // a folder, a named pipe, a device, a socket, a refused link
        Failed      // it could not be read; error tells why (EFBIG: too large)
    };
    Outcome outcome = Failed;
    // errno for every outcome but Read: ENOENT, EISDIR for a folder, ELOOP
    // for a refused link, EINVAL for any other kind that is not a file.
    int error = 0;
    std::string content;
    struct stat status
    {};
};

// Reads the regular file at `path`, of at most maxSize bytes.
RegularFile ReadRegularFile(const std::string& path, std::uintmax_t maxSize, FileLinks links);
