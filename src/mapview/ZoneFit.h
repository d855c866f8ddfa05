#pragma once
// The zone rectangle that best explains a page's POIs. Per axis, the POIs' pixel coordinates are
// fitted as a straight line of their world coordinates (the pixels carry the error: they are
// whole numbers, while world locations have decimals), and the line is read at the page's edges.
// One bad POI must not swing the fit: a line through two POIs that the most POIs agree with
// (least median of residuals) picks the POIs that agree, each of them is judged against the fit
// of the others (leave one out), and least squares over those kept gives the rectangle. A POI far
// off the line of the others is left out of the fit and named as probably misplaced. Plain C++.

#include "mapview/MapCoordinates.h"
#include "mapview/PoiAnchor.h"

#include <optional>
#include <vector>

// One POI of the fit: its point on the page and its world x and z.
struct ZoneFitPoint {
    ImagePoint point;
    double worldX = 0;
    double worldZ = 0;
};

// Fewer points leave nothing to check a rectangle against: two always fit exactly.
constexpr int kMinFitPoints = 3;
// A POI whose residual is more than this many times the RMS of the others' residuals (judged
// with itself left out of the fit) and more than kMisplacedPixels is left out as probably
// misplaced, and the rest fitted again; always fewer than half, and never below four kept.
constexpr double kMisplacedRmsFactor = 3.0;
constexpr double kMisplacedPixels = 5.0;

struct ZoneFitResult {
    ZoneRectangle zone{};  // the fitted rectangle, rounded as a zone text holds it
    double rms = 0;        // pixels, over the points the fit kept
    double largest = 0;    // the largest residual among them, pixels
    int kept = 0;
    std::vector<double> residuals;  // per point: its distance in pixels from the fit
    std::vector<bool> misplaced;    // per point: left out as probably misplaced
};

// Why no rectangle could be fitted.
enum class ZoneFitFailure {
    None,
    TooFew,      // fewer than kMinFitPoints points
    OneLine,     // their world x (or z) are all one: they lie on one line across the map
    NoGradient,  // their pixels do not change with the world location, or the page leaves the int range
};

// The fit of `points` on a page of pageWidth x pageHeight pixels. Nothing with fewer than
// kMinFitPoints points, when their world x (or z) are all equal, when their pixels do not change
// with the world location, or when the rectangle leaves the int range; `why` then tells which.
std::optional<ZoneFitResult> FitZoneRect(const std::vector<ZoneFitPoint>& points, int pageWidth, int pageHeight,
                                         ZoneFitFailure* why = nullptr);

// How far `zone` puts the page from where `fitted` has it: the largest distance in pixels between
// a page corner and the point `zone` gives the world location that `fitted` gives that corner.
// Nothing when either rectangle is degenerate.
std::optional<double> CornerShift(const ZoneRectangle& zone, const ZoneRectangle& fitted, int pageWidth,
                                  int pageHeight);
