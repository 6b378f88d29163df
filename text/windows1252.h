#pragma once

// The Windows-1252 code page, byte by byte. Words, settings and file names are
// kept as std::string of Windows-1252 bytes throughout the game; they become
// Unicode only where they are shown or handed to the system.

#include <optional>
#include <string>
#include <string_view>

namespace Windows1252 {

// The Unicode character of a byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same
// value, as Windows itself converts them.
char16_t toUnicode(unsigned char byte);

// The byte of a Unicode character, or nothing when the code page cannot hold it.
std::optional<unsigned char> fromUnicode(char32_t codePoint);

// Upper-casing of the French locale: a-z, the accented letters à-þ (except ÷)
// and š œ ž ÿ become their capitals; ß and µ stay as they are.
unsigned char upperCase(unsigned char byte);
std::string upperCase(std::string_view text);

// Conversions to and from UTF-8. A character of the UTF-8 text that the code
// page cannot hold (or a malformed sequence) becomes the replacement byte.
std::string toUtf8(std::string_view text);
std::string fromUtf8(std::string_view utf8, char replacement = '?');

} // namespace Windows1252
