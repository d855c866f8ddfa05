#include "mapview/ZoneFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Each round judges every POI against the fit of the rounds before; it settles in one or two.
// More would only chip at a page no single rectangle explains.
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

// Every pair of points proposes a line while there are few; beyond that a fixed sample of pairs
// (the same every run) keeps a page of thousands of POIs quick, and so does judging each line
// on a sample of the points.
constexpr size_t kAllPairsUpTo = 48;
constexpr size_t kSampledPairs = 600;
constexpr size_t kJudgedPointsUpTo = 2000;
// Of 2-D residuals of normal noise, the median times this estimates their RMS (sqrt(2) over the
// median of a Rayleigh distribution, sqrt(2 ln 2)).
constexpr double kMedianToRms = 1.2011224;
// A leave-one-out residual is the in-fit residual over (1 - leverage); a leverage this close to
// 1 means the others cannot place the point at all.
constexpr double kLeastFreedom = 1e-9;
// Three POIs fit a line per axis with one degree of freedom to spare: so little that a far POI
// seems off by their noise alone. A POI is left out only where four or more remain.
constexpr int kMinJudgingPoints = kMinFitPoints + 1;

// A small fixed generator: the sampled pairs, and so the check's lines, are the same every run.
class PairSampler {
public:
    explicit PairSampler(size_t count) : m_count(count) {}
    size_t next()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<size_t>((m_state >> 33) % m_count);
    }

private:
    size_t m_count;
    unsigned long long m_state = 0x9E3779B97F4A7C15ULL;
};

// The line through two points on one axis, or nothing when they share the world coordinate.
std::optional<AxisLine> lineThrough(const ZoneFitPoint& a, const ZoneFitPoint& b, bool xAxis)
{
    const double run = worldOnAxis(b, xAxis) - worldOnAxis(a, xAxis);
    if (run == 0)
        return std::nullopt;
    AxisLine line;
    line.slope = (pixelOnAxis(b, xAxis) - pixelOnAxis(a, xAxis)) / run;
    line.intercept = pixelOnAxis(a, xAxis) - line.slope * worldOnAxis(a, xAxis);
    if (!std::isfinite(line.slope) || !std::isfinite(line.intercept))
        return std::nullopt;
    return line;
}

// The residual that more than half of the judged points stay within: what a line is worth.
double medianResidual(const std::vector<ZoneFitPoint>& points, const std::vector<size_t>& judged,
                      const AxisLine& line, bool xAxis, std::vector<double>& scratch)
{
    scratch.clear();
    for (const size_t i : judged)
        scratch.push_back(std::abs(pixelOnAxis(points[i], xAxis) - line.at(worldOnAxis(points[i], xAxis))));
    const auto middle = scratch.begin() + static_cast<std::ptrdiff_t>(scratch.size() / 2);
    std::nth_element(scratch.begin(), middle, scratch.end());
    return *middle;
}

// The line of one axis that the most points agree with: least median of residuals over lines
// through two points. Nothing when all points share one world coordinate.
std::optional<AxisLine> robustAxis(const std::vector<ZoneFitPoint>& points, bool xAxis)
{
    const size_t n = points.size();
    std::vector<size_t> judged;
    const size_t stride = n > kJudgedPointsUpTo ? n / kJudgedPointsUpTo + 1 : 1;
    for (size_t i = 0; i < n; i += stride)
        judged.push_back(i);
    std::optional<AxisLine> best;
    double bestWorth = std::numeric_limits<double>::infinity();
    std::vector<double> scratch;
    const auto consider = [&](size_t a, size_t b) {
        const std::optional<AxisLine> line = lineThrough(points[a], points[b], xAxis);
        if (!line)
            return;
        const double worth = medianResidual(points, judged, *line, xAxis, scratch);
        if (worth < bestWorth) {
            bestWorth = worth;
            best = line;
        }
    };
    if (n <= kAllPairsUpTo) {
        for (size_t a = 0; a < n; ++a)
            for (size_t b = a + 1; b < n; ++b)
                consider(a, b);
    } else {
        PairSampler sampler(n);
        for (size_t k = 0; k < kSampledPairs; ++k)
            consider(sampler.next(), sampler.next());
    }
    return best;
}

bool oneWorldCoordinate(const std::vector<ZoneFitPoint>& points, bool xAxis)
{
    for (const ZoneFitPoint& p : points) {
        if (worldOnAxis(p, xAxis) != worldOnAxis(points.front(), xAxis))
            return false;
    }
    return true;
}

bool standsOut(double residual, double othersRms)
{
    return residual > kMisplacedPixels && residual > kMisplacedRmsFactor * othersRms;
}

int countOf(const std::vector<bool>& used)
{
    return static_cast<int>(std::count(used.begin(), used.end(), true));
}

// Enough points to judge the one left out, and more than half of all: a page where most POIs
// disagree is not explained by leaving them out.
bool enoughKept(const std::vector<bool>& used)
{
    const int kept = countOf(used);
    return kept >= kMinJudgingPoints && 2 * kept > static_cast<int>(used.size());
}

// The points the robust start agrees with: within the misplacing limits of its residuals.
std::vector<bool> agreeingWithStart(const std::vector<ZoneFitPoint>& points, const PlaneFit& start)
{
    std::vector<double> residuals;
    residuals.reserve(points.size());
    for (const ZoneFitPoint& p : points)
        residuals.push_back(start.residual(p));
    std::vector<double> sorted = residuals;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const double rms = kMedianToRms * *middle;
    std::vector<bool> used(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        used[i] = !standsOut(residuals[i], rms);
    return used;
}

// A kept point's residual in the fit of the others (leave one out), on one axis.
double leftOutResidual(const AxisLine& line, double residual, double world)
{
    const double leverage = 1.0 / line.count + std::pow(world - line.meanWorld, 2) / line.spread;
    const double freedom = 1 - leverage;
    return freedom > kLeastFreedom ? residual / freedom : 0;
}

// Which points stand out of the fit of the others: the kept ones judged also with themselves
// left out, the left-out ones against the fit as it is.
std::vector<bool> judge(const std::vector<ZoneFitPoint>& points, const std::vector<bool>& used, const PlaneFit& fit)
{
    double squaredError = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        if (used[i])
            squaredError += std::pow(fit.residual(points[i]), 2);
    }
    const int kept = fit.x.count;
    std::vector<bool> out(points.size(), false);
    for (size_t i = 0; i < points.size(); ++i) {
        const ZoneFitPoint& p = points[i];
        if (!used[i]) {
            out[i] = standsOut(fit.residual(p), std::sqrt(squaredError / kept));
            continue;
        }
        const double inFit = fit.residual(p);
        const double othersRms = std::sqrt(std::max(0.0, squaredError - inFit * inFit) / (kept - 1));
        const double alone = std::hypot(leftOutResidual(fit.x, fit.residualX(p), -p.worldX),
                                        leftOutResidual(fit.y, fit.residualY(p), p.worldZ));
        // Far from the fit as drawn, and far from where the others alone would put it: the
        // first keeps noise on a page of few POIs, the second stops a point hiding its own error.
        out[i] = inFit > kMisplacedPixels && alone > kMisplacedRmsFactor * othersRms;
    }
    return out;
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

std::optional<ZoneFitResult> FitZoneRect(const std::vector<ZoneFitPoint>& points, int pageWidth, int pageHeight,
                                         ZoneFitFailure* why)
{
    ZoneFitFailure ignored = ZoneFitFailure::None;
    ZoneFitFailure& failure = why ? *why : ignored;
    failure = ZoneFitFailure::None;
    if (points.size() < static_cast<size_t>(kMinFitPoints)) {
        failure = ZoneFitFailure::TooFew;
        return std::nullopt;
    }
    if (oneWorldCoordinate(points, true) || oneWorldCoordinate(points, false)) {
        failure = ZoneFitFailure::OneLine;
        return std::nullopt;
    }
    const std::vector<bool> all(points.size(), true);
    std::vector<bool> used = all;
    const std::optional<AxisLine> startX = robustAxis(points, true);
    const std::optional<AxisLine> startY = robustAxis(points, false);
    if (startX && startY) {
        std::vector<bool> agreeing = agreeingWithStart(points, PlaneFit{*startX, *startY});
        if (enoughKept(agreeing) && fitPlane(points, agreeing))
            used = std::move(agreeing);
    }
    std::optional<PlaneFit> fit = fitPlane(points, used);
    if (!fit) {
        failure = ZoneFitFailure::NoGradient;
        return std::nullopt;
    }
    // Judging may return a point the start left out, or find one that hid in the start's noise.
    for (int round = 0; round < kMaxRounds; ++round) {
        const std::vector<bool> out = judge(points, used, *fit);
        std::vector<bool> kept(points.size());
        for (size_t i = 0; i < points.size(); ++i)
            kept[i] = !out[i];
        if (kept == used || !enoughKept(kept))
            break;
        const std::optional<PlaneFit> refit = fitPlane(points, kept);
        if (!refit)
            break;  // the rest all share one world x or z: keep the fit that had them
        used = std::move(kept);
        fit = refit;
    }
    std::vector<bool> misplaced(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        misplaced[i] = !used[i];

    const std::optional<std::pair<int, int>> x = edges(fit->x, pageWidth);
    const std::optional<std::pair<int, int>> y = edges(fit->y, pageHeight);
    if (!x || !y) {
        failure = ZoneFitFailure::NoGradient;
        return std::nullopt;
    }
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
