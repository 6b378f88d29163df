#include "text/windows1252.h"

#include <array>

namespace Windows1252 {
namespace {

// 0x80-0x9F, the only range where the code page differs from Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

} // namespace

char16_t toUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

std::optional<unsigned char> fromUnicode(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<unsigned char>(codePoint);
    for (std::size_t index = 0; index < kHighControls.size(); ++index) {
        if (kHighControls[index] == codePoint)
            return static_cast<unsigned char>(0x80 + index);
    }
    return std::nullopt;
}

unsigned char upperCase(unsigned char byte)
{
    if (byte >= 'a' && byte <= 'z')
        return static_cast<unsigned char>(byte - 0x20);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<unsigned char>(byte - 0x20);
    switch (byte) {
    case 0x9A:
        return 0x8A; // š
    case 0x9C:
        return 0x8C; // œ
    case 0x9E:
        return 0x8E; // ž
    case 0xFF:
        return 0x9F; // ÿ
    default:
        return byte;
    }
}

std::string upperCase(std::string_view text)
{
    std::string result(text);
    for (char& byte : result)
        byte = static_cast<char>(upperCase(static_cast<unsigned char>(byte)));
    return result;
}

std::string toUtf8(std::string_view text)
{
    std::string result;
    result.reserve(text.size() * 2);
    for (const char byte : text)
        appendUtf8(result, toUnicode(static_cast<unsigned char>(byte)));
    return result;
}

std::string fromUtf8(std::string_view utf8, char replacement)
{
    std::string result;
    result.reserve(utf8.size());
    std::size_t position = 0;
    while (position < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[position]);
        // The length of the sequence, its lead's payload and the smallest
        // character it may encode (shorter encodings are malformed).
        std::size_t length = 0;
        char32_t codePoint = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            length = 1;
            codePoint = lead;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            length = 2;
            codePoint = lead & 0x1F;
            smallest = 0x80;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            codePoint = lead & 0x0F;
            smallest = 0x800;
        } else if (lead >= 0xF0 && lead < 0xF5) {
            length = 4;
            codePoint = lead & 0x07;
            smallest = 0x10000;
        }
        bool valid = length != 0 && position + length <= utf8.size();
        for (std::size_t index = 1; valid && index < length; ++index) {
            const auto next = static_cast<unsigned char>(utf8[position + index]);
            valid = (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        valid = valid && codePoint >= smallest && codePoint <= 0x10FFFF &&
                !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
        if (!valid) {
            result.push_back(replacement);
            ++position;
            continue;
        }
        const auto byte = fromUnicode(codePoint);
        result.push_back(byte ? static_cast<char>(*byte) : replacement);
        position += length;
    }
    return result;
}

} // namespace Windows1252
