#include "mapview/MapCoordinates.h"

#include "mapview/PoiAnchor.h"
#include "support/TextUtil.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Enough for the longest fixed-point double (309 integer digits), its sign and two decimals.
constexpr std::size_t kFixedBufferSize = 400;
constexpr int kFixedDecimals = 2;
constexpr char kZoneSeparator = ',';

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the run of digits starting at `at`.
std::size_t digitRun(std::string_view text, std::size_t at)
{
    std::size_t end = at;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return end - at;
}

// True when `text` is [sign] digits [. digits] [e [sign] digits] with at least one mantissa
// digit; the grammar the editor accepts for world location numbers.
bool isDecimalSyntax(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    std::size_t mantissaDigits = digitRun(text, at);
    at += mantissaDigits;
    if (at < text.size() && text[at] == '.') {
        ++at;
        const std::size_t fraction = digitRun(text, at);
        at += fraction;
        mantissaDigits += fraction;
    }
    if (mantissaDigits == 0)
        return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        const std::size_t exponentDigits = digitRun(text, at);
        if (exponentDigits == 0)
            return false;
        at += exponentDigits;
    }
    return at == text.size();
}

// Round(value) as an int, halves to even; nothing when it leaves the int range.
std::optional<int> roundToInt(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<int>::min())
        || rounded > static_cast<double>(std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(rounded);
}

// One part of a zone text: an integer as it stands, or a decimal (the game's own files hold
// "-585.5, -1135, ...") rounded like the conversions round; blanks around it are allowed.
std::optional<int> zonePart(std::string_view text)
{
    const std::string trimmed = TrimBlanks(text);
    if (const std::optional<int> whole = ParseInteger(trimmed))
        return whole;
    const std::optional<double> decimal = ParseDecimal(trimmed);
    return decimal ? roundToInt(*decimal) : std::nullopt;
}

}  // namespace

bool ReadShortInteger(std::string_view text, std::size_t& at, std::size_t end, int& value)
{
    constexpr std::size_t kSureDigits = 9;  // always fit an int
    const bool negative = at < end && text[at] == '-';
    std::size_t i = negative ? at + 1 : at;
    const std::size_t first = i;
    int read = 0;
    for (; i < end && i - first < kSureDigits; ++i) {
        const unsigned digit = static_cast<unsigned char>(text[i]) - static_cast<unsigned>('0');
        if (digit > 9)
            break;
        read = read * 10 + static_cast<int>(digit);
    }
    if (i == first || (i < end && i - first == kSureDigits))
        return false;
    value = negative ? -read : read;
    at = i;
    return true;
}

std::optional<int> ParseInteger(std::string_view text)
{
    // Nearly every text is a few plain digits, read directly: a page's markers ask for four
    // numbers each.
    std::size_t past = 0;
    int plain = 0;
    if (ReadShortInteger(text, past, text.size(), plain) && past == text.size())
        return plain;
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at < text.size() && text[at] == '+') {
        ++at;  // from_chars takes a minus sign only
        if (at == text.size() || !isDigit(text[at]))
            return std::nullopt;
    }
    int value = 0;
    const char* begin = text.data() + at;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(std::string_view text)
{
    if (!isDecimalSyntax(text))
        return std::nullopt;
    if (text.front() == '+')
        text.remove_prefix(1);  // from_chars takes a minus sign only
    double value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || stop != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::string> FormatFixed2(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    char buffer[kFixedBufferSize];
    const auto [stop, error] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                             std::chars_format::fixed, kFixedDecimals);
    if (error != std::errc())
        return std::nullopt;
    std::string text(buffer, stop);
    if (text == "-0.00")
        text.erase(0, 1);  // a sign on zero only confuses the reader
    return text;
}

ZoneRectangle ParseZoneText(std::string_view text)
{
    ZoneRectangle zone{};
    std::string rest(text);
    for (std::size_t i = 0; i < zone.size(); ++i) {
        const bool last = i + 1 == zone.size();
        SplitText part = last ? SplitText{rest, std::string()} : SplitAt(rest, kZoneSeparator);
        const std::optional<int> value = zonePart(part.head);
        if (!value)
            return ZoneRectangle{};
        zone[i] = *value;
        rest = std::move(part.rest);
    }
    return zone;
}

ZoneRectangle ParseSourceRect(std::string_view text)
{
    const ZoneRectangle rect = ParseZoneText(text);
    return HasSourceRect(rect) ? rect : ZoneRectangle{};
}

bool HasSourceRect(const ZoneRectangle& rect)
{
    return rect[0] >= 0 && rect[1] >= 0 && rect[2] > 0 && rect[3] > 0;
}

std::string ZoneText(const ZoneRectangle& zone)
{
    std::string text;
    for (std::size_t i = 0; i < zone.size(); ++i) {
        if (i > 0)
            text += kZoneSeparator;
        text += std::to_string(zone[i]);
    }
    return text;
}

bool HasZoneRect(const ZoneRectangle& zone)
{
    for (int value : zone)
        if (value != 0)
            return true;
    return false;
}

std::string MiddlePartOf(std::string_view worldText)
{
    const SplitText afterX = SplitAt(worldText, kZoneSeparator);
    const SplitText middle = SplitAt(afterX.rest, kZoneSeparator);
    std::string part = TrimBlanks(middle.head);
    return part.empty() ? std::string("0") : part;
}

std::string ImageToWorld(const EditorState& state, int x, int y, const std::string& middle)
{
    return ImagePointToWorldText(state, ImagePoint{double(x), double(y)}, middle);
}

WorldToImageResult WorldToImage(const EditorState& state, std::string_view text)
{
    // The icon page's own rule: the world location's point is the Location itself.
    const std::optional<WorldLocation> world = WorldLocation::Parse(text);
    const std::optional<std::string> normalised = world ? world->text() : std::nullopt;
    const std::optional<ImagePoint> point = world ? WorldToImagePoint(state, *world) : std::nullopt;
    const std::optional<std::pair<int, int>> pixel =
        point ? PixelForPoint(PoiAnchor::Location, *point, {}) : std::nullopt;
    if (!normalised || !pixel)
        return {};
    return {*normalised, pixel->first, pixel->second};
}

std::string StatusPositionText(int x, int y)
{
    return std::to_string(x) + kZoneSeparator + std::to_string(y);
}

std::string StatusWorldText(const EditorState& state, int x, int y)
{
    return state.DocLoaded ? ImageToWorld(state, x, y) : std::string();
}
