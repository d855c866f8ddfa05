#include "mapview/PoiAnchor.h"

#include "mapview/MapCoordinates.h"
#include "mapview/MarkerGeometry.h"

#include <cmath>
#include <limits>

PixelRounding RoundingOf(PoiAnchor anchor)
{
    return anchor == PoiAnchor::Location ? PixelRounding::HalfEven : PixelRounding::HalfUp;
}

std::optional<int> RoundedPixel(double value, PixelRounding rounding)
{
    const double rounded = rounding == PixelRounding::HalfEven ? std::nearbyint(value) : std::floor(value + 0.5);
    if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(rounded);
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
    const PixelRounding rounding = RoundingOf(anchor);
    return {RoundedPixel(point.x - offset.x, rounding).value_or(0), RoundedPixel(point.y - offset.y, rounding).value_or(0)};
}

std::optional<std::pair<int, int>> PixelForPoint(PoiAnchor anchor, ImagePoint point, std::string_view sizeText)
{
    const ImagePoint offset = AnchorOffset(anchor, sizeText);
    const PixelRounding rounding = RoundingOf(anchor);
    const std::optional<int> x = RoundedPixel(point.x - offset.x, rounding);
    const std::optional<int> y = RoundedPixel(point.y - offset.y, rounding);
    if (!x || !y)
        return std::nullopt;
    return std::make_pair(*x, *y);
}

std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, std::string_view worldText)
{
    const std::optional<WorldLocation> world = WorldLocation::Parse(worldText);
    return world ? WorldToImagePoint(state, *world) : std::nullopt;
}

std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, const WorldLocation& world)
{
    return WorldToImagePoint(state, world.x, world.z);
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
    const std::optional<std::string> text =
        world ? WorldLocation{world->first, middle, world->second}.text() : std::nullopt;
    return text.value_or("0, " + middle + ", 0");
}
