#include "wordtool/listfile.h"

#include "settingsfile/filedescriptor.h"
#include "text/systemerror.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace {

constexpr std::size_t kShownCharacters = 60;

} // namespace

void ReadFileChunks(const std::string& path,
                    const std::function<void(std::string_view, const FileRefusal&)>& take)
{
    const FileRefusal refuse = [&](const std::string& reason) {
        return std::runtime_error("impossible de lire « " + path + " » : " + reason);
    };
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status = {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0)
        throw refuse(SystemErrorText(errno));
    if (S_ISDIR(status.st_mode))
        throw refuse(SystemErrorText(EISDIR));
    char buffer[65536];
    ssize_t count;
    while ((count = read(file.get(), buffer, sizeof buffer)) != 0) {
        if (count < 0) {
            if (errno == EINTR)
                continue;
            throw refuse(SystemErrorText(errno));
        }
        take(std::string_view(buffer, static_cast<std::size_t>(count)), refuse);
    }
}

std::vector<ListLine> ReadListFileAt(const std::string& path)
{
    std::string bytes;
    std::size_t lineStart = 0;
    int lines = 0;
    ReadFileChunks(path, [&](std::string_view chunk, const FileRefusal& refuse) {
        for (const char byte : chunk) {
            if (byte == '\0')
                throw refuse("ce n'est pas une liste de mots (fichier binaire, ligne " +
                             std::to_string(lines + 1) + ")");
            bytes += byte;
            if (byte == '\n') {
                lineStart = bytes.size();
                if (++lines >= kMaxListLines)
                    throw refuse("liste trop longue (" + std::to_string(kMaxListLines) +
                                 " lignes au plus)");
            } else if (bytes.size() - lineStart > kMaxListLineBytes) {
                throw refuse("ligne " + std::to_string(lines + 1) + " trop longue pour un mot (" +
                             std::to_string(kMaxListLineBytes) + " octets au plus)");
            }
        }
    });
    return ReadListFile(bytes);
}

std::string ShownText(std::string_view utf8)
{
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t index = 0; index < utf8.size(); ++index) {
        const auto byte = static_cast<unsigned char>(utf8[index]);
        // A character begins at any byte but a UTF-8 continuation byte.
        if ((byte & 0xC0) != 0x80 && ++characters > kShownCharacters)
            return shown + "…";
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else if (byte == 0xC2 && index + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[index + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[index + 1]) <= 0x9F) {
            // The C1 control characters, U+0080 to U+009F.
            char escaped[12];
            std::snprintf(escaped, sizeof escaped, "\\u%04X",
                          static_cast<unsigned char>(utf8[++index]));
            shown += escaped;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}
