#include "mapview/PoiAnchor.h"

#include "mapview/MapCoordinates.h"
#include "mapview/MarkerGeometry.h"
#include "support/TextUtil.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr int kWorldParts = 3;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> splitParts(std::string_view text)
{
    std::vector<std::string> parts;
    if (text.find(',') != std::string_view::npos) {
        std::string rest(text);
        for (;;) {
            SplitText part = SplitAt(rest, ',');
            parts.push_back(TrimBlanks(part.head));
            if (rest.find(',') == std::string::npos)
                break;
            rest = std::move(part.rest);
        }
        return parts;
    }
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && isBlank(text[at]))
            ++at;
        const std::size_t begin = at;
        while (at < text.size() && !isBlank(text[at]))
            ++at;
        if (at > begin)
            parts.emplace_back(text.substr(begin, at - begin));
    }
    return parts;
}

// Halves towards plus infinity; nothing outside the range of a pixel position.
std::optional<int> roundedPixel(double value)
{
    const double rounded = std::floor(value + 0.5);
    if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(rounded);
}

int roundHalfUp(double value)
{
    return roundedPixel(value).value_or(0);
}

}  // namespace

std::optional<WorldParts> ReadWorldParts(std::string_view text)
{
    const std::vector<std::string> parts = splitParts(text);
    if (parts.size() != kWorldParts)
        return std::nullopt;
    const std::optional<double> x = ParseDecimal(parts[0]);
    const std::optional<double> z = ParseDecimal(parts[2]);
    if (!x || !z)
        return std::nullopt;
    return WorldParts{*x, parts[1], *z};
}

ImagePoint AnchorOffset(PoiAnchor anchor, std::string_view sizeText)
{
    if (anchor != PoiAnchor::Centre)
        return {};
    const IntPair size = MarkerSize(sizeText);
    return {size.first / 2.0, size.second / 2.0};
}

std::optional<ImagePoint> PointFromLocation(PoiAnchor anchor, std::string_view locationText,
                                            std::string_view sizeText)
{
    const std::optional<IntPair> location = ParseCommaPair(locationText, kMarkerPairTailChars);
    if (!location)
        return std::nullopt;
    const ImagePoint offset = AnchorOffset(anchor, sizeText);
    return ImagePoint{location->first + offset.x, location->second + offset.y};
}

std::pair<int, int> LocationForPoint(PoiAnchor anchor, ImagePoint point, std::string_view sizeText)
{
    const ImagePoint offset = AnchorOffset(anchor, sizeText);
    return {roundHalfUp(point.x - offset.x), roundHalfUp(point.y - offset.y)};
}

std::optional<std::pair<int, int>> PixelForPoint(PoiAnchor anchor, ImagePoint point, std::string_view sizeText)
{
    const ImagePoint offset = AnchorOffset(anchor, sizeText);
    const std::optional<int> x = roundedPixel(point.x - offset.x);
    const std::optional<int> y = roundedPixel(point.y - offset.y);
    if (!x || !y)
        return std::nullopt;
    return std::make_pair(*x, *y);
}

std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, std::string_view worldText)
{
    const std::optional<WorldParts> world = ReadWorldParts(worldText);
    if (!world)
        return std::nullopt;
    return WorldToImagePoint(state, world->x, world->z);
}

std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, double worldX, double worldZ)
{
    const auto [x1, y1, x2, y2] = state.ZoneRect;
    if (x2 == x1 || y2 == y1)
        return std::nullopt;
    const double x = -(x1 + worldX) * state.PageWidth / (static_cast<double>(x2) - x1);
    const double y = -(y1 - worldZ) * state.PageHeight / (static_cast<double>(y2) - y1);
    if (!std::isfinite(x) || !std::isfinite(y))
        return std::nullopt;
    return ImagePoint{x, y};
}

std::optional<std::pair<double, double>> ImagePointToWorld(const EditorState& state, ImagePoint point)
{
    if (state.PageWidth == 0 || state.PageHeight == 0)
        return std::nullopt;
    const auto [x1, y1, x2, y2] = state.ZoneRect;
    const double wx = -((static_cast<double>(x2) - x1) * point.x / state.PageWidth + x1);
    const double wz = (static_cast<double>(y2) - y1) * point.y / state.PageHeight + y1;
    if (!std::isfinite(wx) || !std::isfinite(wz))
        return std::nullopt;
    return std::make_pair(wx, wz);
}

std::string ImagePointToWorldText(const EditorState& state, ImagePoint point, const std::string& middle)
{
    const std::optional<std::pair<double, double>> world = ImagePointToWorld(state, point);
    const std::optional<std::string> x = world ? FormatFixed2(world->first) : std::nullopt;
    const std::optional<std::string> z = world ? FormatFixed2(world->second) : std::nullopt;
    if (!x || !z)
        return "0, " + middle + ", 0";
    return *x + ", " + middle + ", " + *z;
}

std::optional<std::string> NormalisedWorldText(std::string_view worldText)
{
    const std::optional<WorldParts> world = ReadWorldParts(worldText);
    const std::optional<std::string> x = world ? FormatFixed2(world->x) : std::nullopt;
    const std::optional<std::string> z = world ? FormatFixed2(world->z) : std::nullopt;
    if (!x || !z)
        return std::nullopt;
    return *x + ", " + world->middle + ", " + *z;
}
