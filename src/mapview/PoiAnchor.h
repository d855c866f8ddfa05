#pragma once
// Where a POI sits on the map: one rule per page, asked by the markers, drags, automatic location,
// the zone rectangle computation and the page check. An icon page's POI sits at its Location; the
// game lays its own icons out by their top-left corner, so there the POI's point is the icon's
// centre (Location + Size / 2); a world-only POI has no Location and sits where its world location
// falls through the zone rectangle. Plain C++ over the map coordinates.

#include "mapview/EditorState.h"
#include "mapview/PoiAnchorRule.h"

#include <optional>
#include <string>
#include <string_view>

// A point in image pixels; halves are kept, so an icon of odd size has its exact centre.
struct ImagePoint {
    double x = 0;
    double y = 0;

    bool operator==(const ImagePoint& other) const { return x == other.x && y == other.y; }
};

// A world location split into its three parts; x and z read as numbers, the middle (height) kept
// as text.
struct WorldParts {
    double x = 0;
    std::string middle;
    double z = 0;
};

// Reads "x, y, z" in the forms found in the game's files: comma-separated with any blanks around
// the parts, or three parts separated by blanks only ("1 2 3"). Nothing when x or z is no number
// or there are not exactly three parts.
std::optional<WorldParts> ReadWorldParts(std::string_view text);

// The offset from a POI's Location to its point: nothing for Location, half the icon size for
// Centre (the default icon size where Size does not read), nothing for World.
ImagePoint AnchorOffset(PoiAnchor anchor, std::string_view sizeText);

// A POI's point from its Location and Size (Location and Centre rules); nothing when Location
// does not read as "x,y".
std::optional<ImagePoint> PointFromLocation(PoiAnchor anchor, std::string_view locationText,
                                            std::string_view sizeText);

// The Location whose point is `point` under the rule: point - offset, rounded to the nearest
// pixel (halves towards plus infinity, so a centre drag lands where the pointer is).
std::pair<int, int> LocationForPoint(PoiAnchor anchor, ImagePoint point, std::string_view sizeText);
// The same, but nothing where a coordinate falls outside the range of a pixel position (where
// LocationForPoint gives 0).
std::optional<std::pair<int, int>> PixelForPoint(PoiAnchor anchor, ImagePoint point, std::string_view sizeText);

// The image point of a world location through the zone rectangle and page size of `state`,
// without rounding; nothing when the text does not read or the rectangle is empty.
std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, std::string_view worldText);
// The same for world x and z already read.
std::optional<ImagePoint> WorldToImagePoint(const EditorState& state, double worldX, double worldZ);

// World x and z of an image point, as WorldToImagePoint inverted.
std::optional<std::pair<double, double>> ImagePointToWorld(const EditorState& state, ImagePoint point);

// The world location text "x, middle, z" (two decimals) of an image point, as ImageToWorld
// writes it for a pixel; "0, middle, 0" when the page has no size.
std::string ImagePointToWorldText(const EditorState& state, ImagePoint point, const std::string& middle);

// A world location in the editor's form ("x, middle, z", two decimals): how a typed world
// location is shown once read. Nothing when it does not read.
std::optional<std::string> NormalisedWorldText(std::string_view worldText);
