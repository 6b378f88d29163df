// Fuzz target of the CSV reader of corbelet-mots: rows come in the order of
// the file's lines, and the words and hints it read, written back as CSV,
// read again as they were. Anything else (a crash, a sanitizer report, a
// hang) is a fault.

#include "text/windows1252.h"
#include "wordtool/vocabularyfile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A field between quotes, its quotes doubled.
std::string quoted(const std::string& text)
{
    std::string field = "\"";
    for (const char byte : text) {
        field += byte;
        if (byte == '"')
            field += byte;
    }
    return field + "\"";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<ListLine> lines = ReadCsv(bytes);
    const int lineCount = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    std::string written = "mot;indice\n";
    std::vector<const ListLine*> kept;
    int number = 0;
    for (const ListLine& line : lines) {
        check(line.number > number && line.number <= lineCount);
        number = line.number;
        // A word with a control character would not come back alike: the
        // reader drops carriage returns.
        if (line.rejection.empty() && !line.word.empty() &&
            std::none_of(line.word.begin(), line.word.end(),
                         [](char byte) { return static_cast<unsigned char>(byte) < 0x20; })) {
            written += quoted(Windows1252::toUtf8(line.word)) + ";" +
                       quoted(Windows1252::toUtf8(line.hint)) + "\n";
            kept.push_back(&line);
        }
    }
    const std::vector<ListLine> again = ReadCsv(written);
    check(again.size() == kept.size());
    for (std::size_t index = 0; index < kept.size(); ++index) {
        check(again[index].word == kept[index]->word);
        check(again[index].hint == kept[index]->hint);
        check(again[index].number == static_cast<int>(index) + 2);
    }
    return 0;
}
