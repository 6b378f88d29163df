#include "wordstore/baselock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

BaseLock::Outcome BaseLock::take(const std::filesystem::path& dataFolder)
{
    if (held())
        return Outcome::Taken;
    const std::filesystem::path file = dataFolder / kFileName;
    // Each round that finds the base replaced under it is followed by one on
    // the new base; a few are more than any real race needs.
    for (int round = 0; round < 8; ++round) {
        const int descriptor = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (descriptor < 0) {
            m_error = errno;
            return Outcome::Failed;
        }
        if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            m_error = errno;
            close(descriptor);
            return m_error == EWOULDBLOCK ? Outcome::InUse : Outcome::Failed;
        }
        // The file may have been moved away between its opening and its
        // locking, by the program that held it then: the lock counts only on
        // the file the folder still holds.
        struct stat locked = {};
        struct stat named = {};
        if (fstat(descriptor, &locked) == 0 && lstat(file.c_str(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            m_descriptor = descriptor;
            return Outcome::Taken;
        }
        close(descriptor);
    }
    m_error = EAGAIN;
    return Outcome::InUse;
}

void BaseLock::release()
{
    if (m_descriptor >= 0)
        close(m_descriptor);
    m_descriptor = -1;
}
