#include "mapview/ControlPointFit.h"

#include "mapview/PoiAnchor.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr char kPointSeparator = ';';
constexpr char kNumberSeparator = ',';
constexpr int kNumbersPerPoint = 4;
// Enough for the shortest exact form of any double.
constexpr std::size_t kNumberBuffer = 32;

std::optional<int> zoneNumber(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(rounded);
}

// The world coordinates at pixel 0 and at `side` of the line through two points of one axis
// (the zone's world x grows to the left, hence the negated x).
std::optional<std::pair<int, int>> exactEdges(double worldA, double pixelA, double worldB, double pixelB, int side)
{
    const double slope = (pixelB - pixelA) / (worldB - worldA);
    if (!(slope != 0) || !std::isfinite(slope))
        return std::nullopt;
    const double intercept = pixelA - slope * worldA;
    const std::optional<int> first = zoneNumber(-intercept / slope);
    const std::optional<int> second = zoneNumber((side - intercept) / slope);
    if (!first || !second)
        return std::nullopt;
    return std::make_pair(*first, *second);
}

std::optional<ZoneRectangle> twoPointZone(const ControlPoint& a, const ControlPoint& b, int pageWidth,
                                          int pageHeight, ZoneFitFailure& failure)
{
    if (a.worldX == b.worldX || a.worldZ == b.worldZ) {
        failure = ZoneFitFailure::OneLine;
        return std::nullopt;
    }
    const auto x = exactEdges(-a.worldX, a.pixel.x, -b.worldX, b.pixel.x, pageWidth);
    const auto y = exactEdges(a.worldZ, a.pixel.y, b.worldZ, b.pixel.y, pageHeight);
    if (!x || !y) {
        failure = ZoneFitFailure::NoGradient;
        return std::nullopt;
    }
    return ZoneRectangle{x->first, y->first, x->second, y->second};
}

std::string shortest(double value)
{
    char buffer[kNumberBuffer];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

}  // namespace

std::optional<ControlPointFit> FitControlPoints(const std::vector<ControlPoint>& points, int pageWidth,
                                                int pageHeight, ZoneFitFailure* why)
{
    ZoneFitFailure ignored = ZoneFitFailure::None;
    ZoneFitFailure& failure = why ? *why : ignored;
    failure = ZoneFitFailure::None;
    ControlPointFit fit;
    fit.farOff.assign(points.size(), false);
    if (points.size() < static_cast<size_t>(kMinControlPoints)) {
        failure = ZoneFitFailure::TooFew;
        return std::nullopt;
    }
    if (points.size() == static_cast<size_t>(kMinControlPoints)) {
        const std::optional<ZoneRectangle> zone = twoPointZone(points[0], points[1], pageWidth, pageHeight, failure);
        if (!zone)
            return std::nullopt;
        fit.zone = *zone;
    } else {
        std::vector<ZoneFitPoint> fitPoints;
        for (const ControlPoint& p : points)
            fitPoints.push_back({p.pixel, p.worldX, p.worldZ});
        const std::optional<ZoneFitResult> result = FitZoneRect(fitPoints, pageWidth, pageHeight, &failure);
        if (!result)
            return std::nullopt;
        fit.zone = result->zone;
        fit.farOff = result->misplaced;
    }
    const EditorState page = PageWithZone(fit.zone, pageWidth, pageHeight);
    double squared = 0;
    int kept = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const std::optional<ImagePoint> at = WorldToImagePoint(page, points[i].worldX, points[i].worldZ);
        if (!at) {
            failure = ZoneFitFailure::NoGradient;
            return std::nullopt;
        }
        const double residual = std::hypot(at->x - points[i].pixel.x, at->y - points[i].pixel.y);
        fit.residuals.push_back(residual);
        if (!fit.farOff[i]) {
            squared += residual * residual;
            ++kept;
        }
    }
    fit.rms = kept > 0 ? std::sqrt(squared / kept) : 0;
    return fit;
}

EditorState PageWithZone(const ZoneRectangle& zone, int pageWidth, int pageHeight)
{
    EditorState state;
    state.ZoneRect = zone;
    state.PageWidth = pageWidth;
    state.PageHeight = pageHeight;
    return state;
}

std::string ControlPointsText(const std::vector<ControlPoint>& points)
{
    std::string text;
    for (const ControlPoint& p : points) {
        if (!text.empty())
            text += kPointSeparator;
        text += shortest(p.worldX) + kNumberSeparator + shortest(p.worldZ) + kNumberSeparator + shortest(p.pixel.x)
            + kNumberSeparator + shortest(p.pixel.y);
    }
    return text;
}

std::vector<ControlPoint> ParseControlPoints(std::string_view text)
{
    std::vector<ControlPoint> points;
    std::string rest(text);
    while (!rest.empty()) {
        SplitText point = SplitAt(rest, kPointSeparator);
        std::string numbersText = point.head;
        double numbers[kNumbersPerPoint] = {};
        bool reads = true;
        for (int i = 0; i < kNumbersPerPoint && reads; ++i) {
            const bool last = i + 1 == kNumbersPerPoint;
            SplitText part = last ? SplitText{numbersText, std::string()} : SplitAt(numbersText, kNumberSeparator);
            const std::optional<double> value = ParseDecimal(TrimBlanks(part.head));
            reads = value.has_value();
            numbers[i] = value.value_or(0);
            numbersText = std::move(part.rest);
        }
        if (reads)
            points.push_back({numbers[0], numbers[1], ImagePoint{numbers[2], numbers[3]}});
        rest = std::move(point.rest);
    }
    return points;
}

std::vector<PixelCheck> PixelsOffFit(const std::vector<std::pair<int, ControlPoint>>& pixels, const ZoneRectangle& zone,
                                     int pageWidth, int pageHeight, double tolerance)
{
    const EditorState page = PageWithZone(zone, pageWidth, pageHeight);
    std::vector<PixelCheck> off;
    for (const auto& [poi, point] : pixels) {
        const std::optional<ImagePoint> at = WorldToImagePoint(page, point.worldX, point.worldZ);
        if (!at)
            continue;
        const double distance = std::hypot(at->x - point.pixel.x, at->y - point.pixel.y);
        if (distance > tolerance)
            off.push_back({poi, distance});
    }
    std::stable_sort(off.begin(), off.end(),
                     [](const PixelCheck& a, const PixelCheck& b) { return a.distance > b.distance; });
    return off;
}
