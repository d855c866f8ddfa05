#include "mapview/AutoLocation.h"

#include "mapview/MapCoordinates.h"

LocationSync SynchroniseLocation(const EditorState& state, int locX, int locY,
                                 const std::string& pathText, bool moved)
{
    LocationSync sync;
    if (!state.PathEdited) {
        const std::string world = ImageToWorld(state, locX, locY, MiddlePartOf(pathText));
        sync.label = world;
        if (state.AutoCalc && moved)
            sync.pathField = world;
        sync.storedPath = sync.pathField.value_or(pathText);
        return sync;
    }
    sync.storedPath = pathText;
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
