#include "support/TextUtil.h"

#include <algorithm>

namespace {

char upperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool sameNoCase(char a, char b)
{
    return upperAscii(a) == upperAscii(b);
}

}  // namespace

SplitText SplitAt(std::string_view text, char separator)
{
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos)
        return {std::string(text), std::string()};
    return {std::string(text.substr(0, at)), std::string(text.substr(at + 1))};
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string TrimBlanks(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string ToUpperAscii(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), upperAscii);
    return upper;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameNoCase);
}

std::size_t FindNoCase(std::string_view text, std::string_view needle)
{
    const auto found = std::search(text.begin(), text.end(), needle.begin(), needle.end(), sameNoCase);
    if (found == text.end() && !needle.empty())
        return std::string_view::npos;
    return static_cast<std::size_t>(found - text.begin());
}

TextPlace PlaceOfByte(std::string_view bytes, std::size_t offset)
{
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    constexpr unsigned char kContinuationMask = 0xC0;
    constexpr unsigned char kContinuationByte = 0x80;
    TextPlace place;
    std::size_t at = bytes.substr(0, kBom.size()) == kBom ? kBom.size() : 0;
    const std::size_t end = std::min(offset, bytes.size());
    for (; at < end; ++at) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        const bool crBeforeLf = c == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n';
        if ((c == '\n' || c == '\r') && !crBeforeLf) {
            ++place.line;
            place.column = 1;
        } else if (!crBeforeLf && (c & kContinuationMask) != kContinuationByte) {
            ++place.column;
        }
    }
    return place;
}

std::string CountText(long long count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string PlaceText(const TextPlace& place)
{
    return "line " + std::to_string(place.line) + ", column " + std::to_string(place.column);
}
