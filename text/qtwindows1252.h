#pragma once

// The display edge: Windows-1252 bytes to QString and back.

#include "text/windows1252.h"

#include <QList>
#include <QString>

#include <string>
#include <string_view>

namespace Windows1252 {

inline QString toQString(std::string_view text)
{
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char byte : text)
        result.append(QChar(toUnicode(static_cast<unsigned char>(byte))));
    return result;
}

// Characters the code page cannot hold become the replacement byte.
inline std::string fromQString(const QString& text, char replacement = '?')
{
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (const char32_t codePoint : text.toUcs4()) {
        const auto byte = fromUnicode(codePoint);
        result.push_back(byte ? static_cast<char>(*byte) : replacement);
    }
    return result;
}

} // namespace Windows1252
