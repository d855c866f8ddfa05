#include "mapview/ZoneFit.h"

#include <cmath>
#include <limits>

namespace {

// Each round leaves out every POI that stands out then; a few rounds uncover POIs that hid
// behind worse ones. More would only chip at a page no single rectangle explains.
constexpr int kMaxRounds = 8;

// pixel = intercept + slope * world, fitted over the used points.
struct AxisLine {
    double intercept = 0;
    double slope = 0;
    double meanWorld = 0;
    double spread = 0;  // sum of squared deviations of the world coordinate
    int count = 0;

    double at(double world) const { return intercept + slope * world; }
};

// The world coordinate of each axis as it grows with the pixels: the zone rectangle holds the
// negated world x.
double worldOnAxis(const ZoneFitPoint& p, bool xAxis)
{
    return xAxis ? -p.worldX : p.worldZ;
}

double pixelOnAxis(const ZoneFitPoint& p, bool xAxis)
{
    return xAxis ? p.point.x : p.point.y;
}

std::optional<AxisLine> fitAxis(const std::vector<ZoneFitPoint>& points, const std::vector<bool>& used, bool xAxis)
{
    AxisLine line;
    double meanPixel = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!used[i])
            continue;
        ++line.count;
        line.meanWorld += worldOnAxis(points[i], xAxis);
        meanPixel += pixelOnAxis(points[i], xAxis);
    }
    if (line.count < kMinFitPoints)
        return std::nullopt;
    line.meanWorld /= line.count;
    meanPixel /= line.count;
    double product = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!used[i])
            continue;
        const double deviation = worldOnAxis(points[i], xAxis) - line.meanWorld;
        line.spread += deviation * deviation;
        product += deviation * (pixelOnAxis(points[i], xAxis) - meanPixel);
    }
    if (!(line.spread > 0))
        return std::nullopt;
    line.slope = product / line.spread;
    line.intercept = meanPixel - line.slope * line.meanWorld;
    if (line.slope == 0 || !std::isfinite(line.slope) || !std::isfinite(line.intercept))
        return std::nullopt;
    return line;
}

struct PlaneFit {
    AxisLine x;
    AxisLine y;

    double residualX(const ZoneFitPoint& p) const { return p.point.x - x.at(-p.worldX); }
    double residualY(const ZoneFitPoint& p) const { return p.point.y - y.at(p.worldZ); }
    double residual(const ZoneFitPoint& p) const { return std::hypot(residualX(p), residualY(p)); }
};

std::optional<PlaneFit> fitPlane(const std::vector<ZoneFitPoint>& points, const std::vector<bool>& used)
{
    const std::optional<AxisLine> x = fitAxis(points, used, true);
    const std::optional<AxisLine> y = fitAxis(points, used, false);
    if (!x || !y)
        return std::nullopt;
    return PlaneFit{*x, *y};
}

// The points whose residual stands far above the others' RMS (their residuals in the same fit).
std::vector<size_t> standingOut(const std::vector<ZoneFitPoint>& points, const std::vector<bool>& used,
                                const PlaneFit& fit)
{
    double squaredError = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        if (used[i])
            squaredError += std::pow(fit.residual(points[i]), 2);
    }
    const int others = fit.x.count - 1;
    std::vector<size_t> found;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!used[i])
            continue;
        const double residual = fit.residual(points[i]);
        const double othersRms = std::sqrt(std::max(0.0, squaredError - residual * residual) / others);
        if (residual > kMisplacedRmsFactor * othersRms && residual > kMisplacedPixels)
            found.push_back(i);
    }
    return found;
}

std::optional<int> toZoneNumber(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(rounded);
}

// The world coordinates the line gives the page's two edges on one axis.
std::optional<std::pair<int, int>> edges(const AxisLine& line, int pageSide)
{
    const std::optional<int> first = toZoneNumber(-line.intercept / line.slope);
    const std::optional<int> second = toZoneNumber((pageSide - line.intercept) / line.slope);
    if (!first || !second)
        return std::nullopt;
    return std::make_pair(*first, *second);
}

EditorState pageState(const ZoneRectangle& zone, int pageWidth, int pageHeight)
{
    EditorState state;
    state.ZoneRect = zone;
    state.PageWidth = pageWidth;
    state.PageHeight = pageHeight;
    return state;
}

}  // namespace

std::optional<ZoneFitResult> FitZoneRect(const std::vector<ZoneFitPoint>& points, int pageWidth, int pageHeight)
{
    std::vector<bool> used(points.size(), true);
    std::optional<PlaneFit> fit = fitPlane(points, used);
    if (!fit)
        return std::nullopt;
    std::vector<bool> misplaced(points.size(), false);
    for (int round = 0; round < kMaxRounds && fit->x.count > kMinFitPoints; ++round) {
        const std::vector<size_t> out = standingOut(points, used, *fit);
        if (out.empty() || fit->x.count - static_cast<int>(out.size()) < kMinFitPoints)
            break;
        std::vector<bool> fewer = used;
        for (const size_t i : out)
            fewer[i] = false;
        const std::optional<PlaneFit> refit = fitPlane(points, fewer);
        if (!refit)
            break;  // the rest all share one world x or z: keep the fit that had them
        used = std::move(fewer);
        for (const size_t i : out)
            misplaced[i] = true;
        fit = refit;
    }

    const std::optional<std::pair<int, int>> x = edges(fit->x, pageWidth);
    const std::optional<std::pair<int, int>> y = edges(fit->y, pageHeight);
    if (!x || !y)
        return std::nullopt;
    ZoneFitResult result;
    result.zone = {x->first, y->first, x->second, y->second};
    result.kept = fit->x.count;
    result.misplaced = std::move(misplaced);
    result.residuals.reserve(points.size());
    double squared = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const double residual = fit->residual(points[i]);
        result.residuals.push_back(residual);
        if (used[i]) {
            squared += residual * residual;
            result.largest = std::max(result.largest, residual);
        }
    }
    result.rms = std::sqrt(squared / result.kept);
    return result;
}

std::optional<double> CornerShift(const ZoneRectangle& zone, const ZoneRectangle& fitted, int pageWidth,
                                  int pageHeight)
{
    const EditorState fittedPage = pageState(fitted, pageWidth, pageHeight);
    const EditorState zonePage = pageState(zone, pageWidth, pageHeight);
    double largest = 0;
    for (const ImagePoint corner : {ImagePoint{0, 0}, ImagePoint{double(pageWidth), 0},
                                    ImagePoint{0, double(pageHeight)}, ImagePoint{double(pageWidth), double(pageHeight)}}) {
        const std::optional<std::pair<double, double>> world = ImagePointToWorld(fittedPage, corner);
        if (!world || fitted[0] == fitted[2] || fitted[1] == fitted[3])
            return std::nullopt;
        const std::optional<ImagePoint> moved = WorldToImagePoint(zonePage, world->first, world->second);
        if (!moved)
            return std::nullopt;
        largest = std::max(largest, std::hypot(moved->x - corner.x, moved->y - corner.y));
    }
    return largest;
}
