#include "settingsfile/regularfile.h"

#include "settingsfile/filedescriptor.h"
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

RegularFile failure(RegularFile::Outcome outcome, int error)
{
    RegularFile file;
    file.outcome = outcome;
    file.error = error;
    return file;
}

} // namespace

RegularFile ReadRegularFile(const std::string& path, std::uintmax_t maxSize, FileLinks links)
{
    // O_NONBLOCK: opening a named pipe with no writer, or a device, returns
    // at once; fstat then tells what was opened.
    const int flags =
        O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == FileLinks::Refuse ? O_NOFOLLOW : 0);
    const FileDescriptor fd(::open(path.c_str(), flags));
    if (fd.get() < 0) {
        if (errno == ENOENT)
            return failure(RegularFile::Missing, ENOENT);
        if (errno == ELOOP && links == FileLinks::Refuse)
            return failure(RegularFile::NotRegular, ELOOP);
        return failure(RegularFile::Failed, errno);
    }
    RegularFile file;
    if (::fstat(fd.get(), &file.status) != 0)
        return failure(RegularFile::Failed, errno);
    if (!S_ISREG(file.status.st_mode))
        return failure(RegularFile::NotRegular, S_ISDIR(file.status.st_mode) ? EISDIR : EINVAL);
    if (static_cast<std::uintmax_t>(file.status.st_size) > maxSize)
        return failure(RegularFile::Failed, EFBIG);
    file.content.reserve(static_cast<std::size_t>(file.status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return failure(RegularFile::Failed, errno);
        }
        if (count == 0)
            break;
        file.content.append(buffer, static_cast<std::size_t>(count));
        // A file that grows while it is read.
        if (file.content.size() > maxSize)
            return failure(RegularFile::Failed, EFBIG);
    }
    file.outcome = RegularFile::Read;
    return file;
}
