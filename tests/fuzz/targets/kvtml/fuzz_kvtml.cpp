// Fuzz target of the KVTML reader of corbelet-mots: it refuses a document
// with std::runtime_error or reads it; what it read, written back as KVTML,
// reads again as the same words and hints. Anything else (a crash, a
// sanitizer report, a hang) is a fault.

#include "text/windows1252.h"
#include "wordtool/vocabularyfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A text the XML writer keeps as it is: no control character (an XML parser
// reads a carriage return as a line feed).
bool printable(std::string_view windows1252)
{
    for (const char byte : windows1252) {
        if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VocabularyFile file;
    try {
        file = ReadKvtml(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const std::runtime_error&) {
        return 0;
    }
    std::vector<VocabularyEntry> entries;
    int number = 0;
    for (const ListLine& line : file.lines) {
        check(line.number > number);
        number = line.number;
        if (line.rejection.empty() && !line.word.empty() && printable(line.word))
            entries.push_back({Windows1252::toUtf8(line.word), Windows1252::toUtf8(line.hint),
                               std::nullopt, std::nullopt});
    }
    const VocabularyFile again = ReadKvtml(KvtmlDocument(file.title, entries));
    check(again.title == file.title || file.title.empty());
    check(again.lines.size() == entries.size());
    for (std::size_t index = 0; index < entries.size(); ++index) {
        check(Windows1252::toUtf8(again.lines[index].word) == entries[index].word);
        check(Windows1252::toUtf8(again.lines[index].hint) == entries[index].hint);
    }
    return 0;
}
