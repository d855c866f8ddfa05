#pragma once
// Where a POI sits on the map: one rule per page, asked by the markers, drags, automatic location,
// the zone rectangle computation and the page check. An icon page's POI sits at its Location; the
// game lays its own icons out by their top-left corner, so there the POI's point is the icon's
// centre (Location + Size / 2); a world-only POI has no Location and sits where its world location
// falls through the zone rectangle. Plain C++ over the map coordinates.

#include "mapview/EditorState.h"
#include "mapview/PoiAnchorRule.h"
#include "mapview/WorldLocation.h"

#include <optional>
#include <string>
#include <string_view>

// A point in image pixels; halves are kept, so an icon of odd size has its exact centre.
struct ImagePoint {
    double x = 0;
    double y = 0;

    bool operator==(const ImagePoint& other) const { return x == other.x && y == other.y; }
};

// How a point becomes a whole pixel. Icon pages round halves to the even neighbour, as typed world
// locations always converted there; where the point is an icon's centre or a world location
// alone, halves go up, so a centre drag lands where the pointer is.
enum class PixelRounding { HalfEven, HalfUp };
PixelRounding RoundingOf(PoiAnchor anchor);
// `value` rounded by the rule; nothing outside the range of a pixel position.
std::optional<int> RoundedPixel(double value, PixelRounding rounding);

// The offset from a POI's Location to its point: nothing for Location, half the icon size for
// Centre (the default icon size where Size does not read), nothing for World.
ImagePoint AnchorOffset(PoiAnchor anchor, std::string_view sizeText);

// A POI's point from its Location and Size (Location and Centre rules); nothing when Location
// does not read as "x,y".
std::optional<ImagePoint> PointFromLocation(PoiAnchor anchor, std::string_view locationText,
                                            std::string_view sizeText);

// The Location whose point is `point` under the rule: point - offset, rounded to the nearest
// pixel by the rule's rounding (0 where a coordinate leaves the range of a pixel position).
std::pair<int, int> LocationForPoint(PoiAnchor anchor, ImagePoint point, std::string_view sizeText);
// The same, but nothing where a coordinate falls outside the range of a pixel position (where
// LocationForPoint gives 0).
std::optional<std::pair<int, int>> PixelForPoint(PoiAnchor anchor, ImagePoint point, std::string_view sizeText);

// The image point of a world location through the zone rectangle and page size of `state`,
// without rounding; nothing when the text does not read or the rectangle is empty.
std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, std::string_view worldText);
// The same for world x and z already read.
std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, double worldX, double worldZ);
std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, const WorldLocation& world);

// World x and z of an image point, as WorldToImagePoint inverted.
std::optional<std::pair<double, double>> ImagePointToWorld(const EditorState& state, ImagePoint point);

// The world location text "x, middle, z" (two decimals) of an image point, as ImageToWorld
// writes it for a pixel; "0, middle, 0" when the page has no size.
std::string ImagePointToWorldText(const EditorState& state, ImagePoint point, const std::string& middle);
