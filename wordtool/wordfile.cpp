#include "wordtool/wordfile.h"

#include "settingsfile/filedescriptor.h"
#include "text/systemerror.h"
#include "wordtool/listfile.h"

#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>

namespace {

// The beginning of a file that tells whether it is a KVTML document: room for
// an XML declaration, a document type and comments before the root.
constexpr std::size_t kKvtmlPeekBytes = 64 * 1024;

bool isCsvName(std::string_view path)
{
    constexpr std::string_view extension = ".csv";
    return path.size() >= extension.size() &&
           QString::fromUtf8(path.substr(path.size() - extension.size()))
                   .compare(QString::fromUtf8(extension), Qt::CaseInsensitive) == 0;
}

// A file's bytes, at most `limit` of them (more: refused).
std::string readBounded(const std::string& path, std::size_t limit)
{
    std::string bytes;
    ReadFileChunks(path, [&](std::string_view chunk, const FileRefusal& refuse) {
        if (bytes.size() + chunk.size() > limit)
            throw refuse("fichier trop gros pour une liste de mots (" +
                         std::to_string(limit / (1024 * 1024)) + " Mio au plus)");
        bytes.append(chunk);
    });
    return bytes;
}

// The first bytes of a regular file; none for anything else (a pipe, a
// device: reading them would take what the list reader needs).
std::optional<std::string> regularFileStart(const std::string& path)
{
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status = {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    std::string bytes(kKvtmlPeekBytes, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t count = read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break; // a read error shows again when the file is read whole
        filled += static_cast<std::size_t>(count);
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace

VocabularyFile ReadWordFileAt(const std::string& path)
{
    const auto named = [&](const std::exception& error) {
        return std::runtime_error("« " + path + " » : " + error.what());
    };
    if (isCsvName(path)) {
        const std::string bytes = readBounded(path, kMaxVocabularyFileBytes);
        try {
            return {ListFormat::Csv, {}, ReadCsv(bytes)};
        } catch (const std::runtime_error& error) {
            throw named(error);
        }
    }
    const std::optional<std::string> start = regularFileStart(path);
    if (start ? IsKvtml(*start) : IsKvtmlName(path)) {
        const std::string bytes = readBounded(path, kMaxVocabularyFileBytes);
        try {
            return ReadKvtml(bytes);
        } catch (const std::runtime_error& error) {
            throw named(error);
        }
    }
    return {ListFormat::Text, {}, ReadListFileAt(path)};
}
