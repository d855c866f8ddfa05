#include "mapview/MarkerGeometry.h"

#include "mapview/MapCoordinates.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace {

// One row of the fill colour table.
struct StyleColour {
    std::string_view style;
    QRgb colour;
};

constexpr std::array<StyleColour, 7> kStyleColours{{
    {"CLST", qRgb(0xFF, 0x00, 0xFF)},
    {"LOC", qRgb(0xD5, 0x08, 0x08)},
    {"MOB", qRgb(0x00, 0x83, 0xFF)},
    {"NAME", qRgb(0x00, 0x00, 0xFF)},
    {"NPC", qRgb(0x3B, 0xFF, 0x00)},
    {"QST", qRgb(0xF6, 0xFF, 0x00)},
    // Links to other maps: a colour of their own, drawn as a sign rather than a disc.
    {kLinkStyle, qRgb(0xFF, 0x8C, 0x00)},
}};
constexpr QRgb kOtherStyleColour = qRgb(0xBB, 0xBB, 0xBB);

// Geometry is computed in 64 bits and clamped, so absurd Location or Size values in a page
// cannot overflow.
int clampToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

std::int64_t halfDown64(std::int64_t length)
{
    return length >= 0 ? length / 2 : -((-length + 1) / 2);
}

// A length that keeps the far edge (start + length - 1) inside the int range.
int clampLength(int start, std::int64_t length)
{
    const std::int64_t room = std::int64_t(std::numeric_limits<int>::max()) - std::max(start, 0);
    return static_cast<int>(std::clamp<std::int64_t>(length, 0, room));
}

QRect rectAt(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height)
{
    const int x = clampToInt(left);
    const int y = clampToInt(top);
    return QRect(x, y, clampLength(x, width), clampLength(y, height));
}

}  // namespace

std::optional<IntPair> ParseCommaPair(std::string_view text, int tailChars)
{
    // A page's markers read two of these each, nearly all "digits,digits": read in one pass.
    if (tailChars >= 0) {
        std::size_t at = 0;
        int first = 0;
        int second = 0;
        if (ReadShortInteger(text, at, text.size(), first) && at < text.size() && text[at] == ',') {
            const std::size_t start = at + 1;
            const std::size_t end = start + std::min(text.size() - start, static_cast<std::size_t>(tailChars));
            std::size_t stop = start;
            if (ReadShortInteger(text, stop, end, second) && stop == end)
                return IntPair{first, second};
        }
    }
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || tailChars < 0)
        return std::nullopt;
    const std::optional<int> first = ParseInteger(text.substr(0, comma));
    const std::optional<int> second =
        ParseInteger(text.substr(comma + 1, static_cast<std::size_t>(tailChars)));
    if (!first || !second)
        return std::nullopt;
    return IntPair{*first, *second};
}

IntPair MarkerLocation(std::string_view locationText)
{
    return ParseCommaPair(locationText, kMarkerPairTailChars).value_or(kDefaultMarkerLocation);
}

IntPair MarkerSize(std::string_view sizeText)
{
    return ParseCommaPair(sizeText, kMarkerPairTailChars).value_or(kDefaultIconSize);
}

int HalfDown(int length)
{
    return static_cast<int>(halfDown64(length));
}

QRect MarkerRect(IntPair location, IntPair iconSize)
{
    const std::int64_t width = std::int64_t(iconSize.first) - kMarkerInset;
    const std::int64_t height = std::int64_t(iconSize.second) - kMarkerInset;
    return rectAt(location.first - halfDown64(width), location.second - halfDown64(height), width,
                  height);
}

QRect CentredRect(IntPair centre, IntPair size)
{
    return rectAt(centre.first - halfDown64(size.first), centre.second - halfDown64(size.second),
                  size.first, size.second);
}

QColor MarkerFillColour(std::string_view iconStyle)
{
    return LookOfStyle(iconStyle).fill;
}

namespace {
const char* const kOtherStyleGroup = "other";
}  // namespace

QString MarkerStyleGroup(std::string_view iconStyle)
{
    return LookOfStyle(iconStyle).group;
}

MarkerStyleLook LookOfStyle(std::string_view iconStyle)
{
    // Made once and shared by every marker of the style, instead of a new string per marker.
    static const QStringList groups = MarkerStyleGroups();
    for (std::size_t row = 0; row < kStyleColours.size(); ++row)
        if (kStyleColours[row].style == iconStyle)
            return {QColor(kStyleColours[row].colour), groups[qsizetype(row)]};
    return {QColor(kOtherStyleColour), groups.back()};
}

QStringList MarkerStyleGroups()
{
    QStringList groups;
    for (const StyleColour& entry : kStyleColours)
        groups << QString::fromLatin1(entry.style.data(), int(entry.style.size()));
    return groups << QLatin1String(kOtherStyleGroup);
}
