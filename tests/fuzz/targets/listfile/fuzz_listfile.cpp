// The word list reader of corbelet-mots on arbitrary file contents, read from
// a real file (a memory file): a binary file or a line longer than any word
// line is refused, any other file is read, and what the tool would echo of a
// line stays short and free of control characters.

#include "text/windows1252.h"
#include "wordtool/listfile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Whether the reader must refuse the bytes: a NUL byte, or a line (without
// its "\n") longer than kMaxListLineBytes.
bool mustRefuse(std::string_view bytes)
{
    if (bytes.find('\0') != std::string_view::npos)
        return true;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        if (end - start > kMaxListLineBytes)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const int fd = memfd_create("liste", MFD_CLOEXEC);
    check(fd >= 0);
    check(write(fd, data, size) == static_cast<ssize_t>(size));
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

    std::vector<ListLine> lines;
    bool refused = false;
    try {
        lines = ReadListFileAt(path);
    } catch (const std::runtime_error& error) {
        // The refusal names the file.
        check(std::string_view(error.what()).find(path) != std::string_view::npos);
        refused = true;
    }
    close(fd);
    check(refused == mustRefuse(bytes));

    const auto lineCount = std::count(bytes.begin(), bytes.end(), '\n') + 1;
    int previous = 0;
    for (const ListLine& line : lines) {
        check(line.number > previous && line.number <= lineCount);
        previous = line.number;
        check(line.word.find('\n') == std::string::npos);
        if (line.rejection.empty())
            check(line.word.find('\t') == std::string::npos);
        const std::string shown = ShownText(Windows1252::toUtf8(line.word));
        check(std::none_of(shown.begin(), shown.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        }));
        // 60 characters, each at most an escape of 6 bytes, then "…".
        check(shown.size() <= 60 * 6 + 3);
    }
    return 0;
}
