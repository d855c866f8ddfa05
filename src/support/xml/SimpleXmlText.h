#pragma once

#include <string_view>

// Byte classes and comparisons shared by the document model, the parser and the writer.
namespace simplexml {

// Tab, line feed, carriage return and space: the only bytes that count as white space.
inline bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

inline char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Name comparison that ignores the case of ASCII letters.
inline bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

} // namespace simplexml
