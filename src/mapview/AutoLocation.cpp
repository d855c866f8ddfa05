#include "mapview/AutoLocation.h"

#include "mapview/MapCoordinates.h"

#include <cmath>
#include <limits>

namespace {

// The world location of the POI's point, where the point is not the Location itself (halves
// kept), in the editor's form with the field's middle part.
std::string pointWorldText(const EditorState& state, int locX, int locY, const std::string& pathText,
                           ImagePoint offset)
{
    const std::optional<WorldParts> parts = ReadWorldParts(pathText);
    const std::string middle = parts && !parts->middle.empty() ? parts->middle : MiddlePartOf(pathText);
    return ImagePointToWorldText(state, {locX + offset.x, locY + offset.y}, middle);
}

// A typed world location converted through the POI's point: the Location is the point less the
// offset, rounded to the nearest pixel.
void convertTypedThroughPoint(const EditorState& state, const std::string& pathText, ImagePoint offset,
                              LocationSync& sync)
{
    const std::optional<ImagePoint> point = WorldToImagePoint(state, pathText);
    const std::optional<std::string> normalised = NormalisedWorldText(pathText);
    const double rx = point ? std::floor(point->x - offset.x + 0.5) : 0;
    const double ry = point ? std::floor(point->y - offset.y + 0.5) : 0;
    const auto fits = [](double v) {
        return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
    };
    if (!point || !normalised || !fits(rx) || !fits(ry)) {
        sync.label = StatusPositionText(0, 0);
        return;
    }
    const int x = static_cast<int>(rx);
    const int y = static_cast<int>(ry);
    sync.label = StatusPositionText(x, y);
    sync.pathField = *normalised;
    if (state.AutoCalc)
        sync.location = std::make_pair(x, y);
}

}  // namespace

LocationSync SynchroniseLocation(const EditorState& state, int locX, int locY,
                                 const std::string& pathText, bool moved, ImagePoint offset)
{
    const bool throughPoint = offset.x != 0 || offset.y != 0;
    LocationSync sync;
    if (!state.PathEdited) {
        const std::string world = throughPoint ? pointWorldText(state, locX, locY, pathText, offset)
                                               : ImageToWorld(state, locX, locY, MiddlePartOf(pathText));
        sync.label = world;
        if (state.AutoCalc && moved)
            sync.pathField = world;
        sync.storedPath = sync.pathField.value_or(pathText);
        return sync;
    }
    sync.storedPath = pathText;
    if (throughPoint) {
        convertTypedThroughPoint(state, pathText, offset, sync);
        return sync;
    }
    const WorldToImageResult converted = WorldToImage(state, pathText);
    // A failed conversion shows 0,0 rather than a half-converted position.
    sync.label = StatusPositionText(converted.x, converted.y);
    if (converted.ok()) {
        sync.pathField = converted.text;
        if (state.AutoCalc)
            sync.location = std::make_pair(converted.x, converted.y);
    }
    return sync;
}

bool AutoCalcAvailable(const EditorState& state)
{
    return HasZoneRect(state.ZoneRect);
}
