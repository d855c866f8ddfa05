#pragma once
// Aligning a map by control points: places known both in the world (a POI's world x and z) and on
// the map picture (where the user clicked), the zone rectangle fitted to them, and how far each
// point lies from it. Two points fit exactly; from three on the page check's robust fit decides
// and names the points far off. Also the text form in which a page's points are kept between
// sittings. Plain C++.

#include "mapview/MapCoordinates.h"
#include "mapview/ZoneFit.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One control point: a world location and the pixel of the map picture where it belongs.
struct ControlPoint {
    double worldX = 0;
    double worldZ = 0;
    ImagePoint pixel;

    bool operator==(const ControlPoint& other) const
    {
        return worldX == other.worldX && worldZ == other.worldZ && pixel == other.pixel;
    }
};

// Two points place a map: one to pin it, one to give its scale.
constexpr int kMinControlPoints = 2;

struct ControlPointFit {
    ZoneRectangle zone{};           // as the zone text will hold it
    std::vector<double> residuals;  // per point: pixels between its click and where `zone` puts it
    std::vector<bool> farOff;       // per point: left out of the fit as probably misplaced
    double rms = 0;                 // pixels, over the points kept
};

// The rectangle of a page of pageWidth x pageHeight pixels fitted to `points`; residuals are
// measured against the rectangle as rounded, since that is what is written and drawn. Nothing
// with fewer than kMinControlPoints, when the points share a world x or z or a pixel column or
// row, or when the rectangle leaves the int range; `why` then tells which.
std::optional<ControlPointFit> FitControlPoints(const std::vector<ControlPoint>& points, int pageWidth,
                                                int pageHeight, ZoneFitFailure* why = nullptr);

// A page of pageWidth x pageHeight pixels under `zone`, as the conversions take it.
EditorState PageWithZone(const ZoneRectangle& zone, int pageWidth, int pageHeight);

// The points as one configuration value: "x,z,px,py" per point, joined by ";". World numbers are
// written in their shortest exact form, so they read back unchanged.
std::string ControlPointsText(const std::vector<ControlPoint>& points);
// The points of such a text; a part that does not read is skipped.
std::vector<ControlPoint> ParseControlPoints(std::string_view text);

// A POI whose own pixel the page holds (icon pages, the map window file): how far the fitted
// rectangle puts its world location from that pixel.
struct PixelCheck {
    int poi = -1;
    double distance = 0;
};
// The POIs of `pixels` (POI index, its pixel and world x, z) whose pixel lies more than
// `tolerance` pixels from where `zone` puts their world location, farthest first.
std::vector<PixelCheck> PixelsOffFit(const std::vector<std::pair<int, ControlPoint>>& pixels, const ZoneRectangle& zone,
                                     int pageWidth, int pageHeight, double tolerance);
