#include "mapview/AutoLocation.h"

#include "mapview/MapCoordinates.h"

namespace {

// The world location of the POI's point (halves kept), in the editor's form with the field's
// height: the one the field reads as, else the text between its first two commas.
std::string pointWorldText(const EditorState& state, ImagePoint point, const std::string& pathText)
{
    const std::optional<WorldLocation> typed = WorldLocation::Parse(pathText);
    const std::string middle = typed && !typed->middle.empty() ? typed->middle : MiddlePartOf(pathText);
    return ImagePointToWorldText(state, point, middle);
}

// A typed world location converted through the POI's point: the Location is the point less the
// offset, rounded by the page's rule; a text that does not convert leaves everything but the
// label, which shows 0,0 rather than a half-converted position.
void convertTyped(const EditorState& state, const std::string& pathText, ImagePoint offset, LocationSync& sync)
{
    const std::optional<WorldLocation> typed = WorldLocation::Parse(pathText);
    const std::optional<std::string> normalised = typed ? typed->text() : std::nullopt;
    const std::optional<ImagePoint> point = typed ? WorldToImagePoint(state, *typed) : std::nullopt;
    const PixelRounding rounding = RoundingOf(state.Anchor);
    const std::optional<int> x = point ? RoundedPixel(point->x - offset.x, rounding) : std::nullopt;
    const std::optional<int> y = point ? RoundedPixel(point->y - offset.y, rounding) : std::nullopt;
    if (!normalised || !x || !y) {
        sync.label = StatusPositionText(0, 0);
        return;
    }
    sync.label = StatusPositionText(*x, *y);
    sync.pathField = *normalised;
    if (state.AutoCalc)
        sync.location = std::make_pair(*x, *y);
}

}  // namespace

LocationSync SynchroniseLocation(const EditorState& state, int locX, int locY,
                                 const std::string& pathText, bool moved, ImagePoint offset)
{
    LocationSync sync;
    if (!state.PathEdited) {
        const std::string world = pointWorldText(state, {locX + offset.x, locY + offset.y}, pathText);
        sync.label = world;
        if (state.AutoCalc && moved)
            sync.pathField = world;
        sync.storedPath = sync.pathField.value_or(pathText);
        return sync;
    }
    sync.storedPath = pathText;
    convertTyped(state, pathText, offset, sync);
    return sync;
}

bool AutoCalcAvailable(const EditorState& state)
{
    return HasZoneRect(state.ZoneRect);
}
