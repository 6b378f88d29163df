#pragma once

// The lock a program holds on a player's word base (its data/ folder) for as
// long as it uses it: the word server for its whole run, an update of the base
// while it moves the folder aside. A second program finds the lock taken at
// once instead of starting a server on a folder already in use, or moving the
// files from under a running one. The lock is an advisory lock on a file
// inside the folder, so it goes with the process that holds it.
//
// Plain C++, below the word store and the player's folders, which both take it.

#include <filesystem>

class BaseLock
{
public:
    enum class Outcome
    {
        Taken, // this lock holds the base
        InUse, // another program holds it
        Failed // the lock file could not be opened (error() says why)
    };

    // The name of the lock file in a base's data folder.
    static constexpr char kFileName[] = "corbelet.lock";

    BaseLock() = default;
    ~BaseLock() { release(); }
    BaseLock(const BaseLock&) = delete;
    BaseLock& operator=(const BaseLock&) = delete;

    // Takes the lock of the base `dataFolder` without waiting, unless it is
    // already held here. The lock file is created (mode 0600) when missing,
    // never through a link. A lock taken on a file that meanwhile left the
    // folder (the base was replaced) is let go and taken again on the new one.
    Outcome take(const std::filesystem::path& dataFolder);
    bool held() const { return m_descriptor >= 0; }
    // The system's error number of the last Failed outcome.
    int error() const { return m_error; }
    void release();

private:
    int m_descriptor = -1;
    int m_error = 0;
};
