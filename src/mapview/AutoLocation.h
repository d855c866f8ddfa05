#pragma once
// Keeping a POI's image position and world location in step when edits are applied: which of
// the two is converted into the other, where the result goes and what the coordinate label
// shows. Plain C++; the apply step of the property editor calls it and writes the results into
// its controls and the POI.

#include "mapview/EditorState.h"
#include "mapview/PoiAnchor.h"

#include <optional>
#include <string>
#include <utility>

// The outcome of one synchronisation for the selected POI.
struct LocationSync {
    // New text of the path-find location field; unchanged when no text.
    std::optional<std::string> pathField;
    // The value that the POI's pathfindlocation receives: the field's text as it stood before a
    // world-to-image normalisation (a normalised text reaches the POI at the next apply).
    std::string storedPath;
    // New image position for the location fields and the POI's Location; unchanged when none.
    std::optional<std::pair<int, int>> location;
    // Text of the coordinate label.
    std::string label;
};

// Runs the synchronisation for the POI at image position (locX, locY) whose path-find field
// holds pathText, following state.PathEdited (the path field was edited last) and
// state.AutoCalc (synchronisation switched on):
//  - path not edited: the label shows ImageToWorld of the position, keeping the field's middle
//    part; with AutoCalc and `moved` that text also replaces the field and is stored. `moved`
//    says the apply changes the POI's position or the path field was typed: an edit of a name
//    or tooltip alone must not round a precise world location to the pixel grid.
//  - path edited: the field's text is stored as typed; read as a WorldLocation, it is normalised
//    into the field (when it converts) and the label shows the converted position ("0,0" when
//    it does not); with AutoCalc a converted position also moves the POI.
// `offset` leads from the Location to the POI's point (half the icon size where the page places
// icons by their top-left corner); both ways go through the point, halves kept, and the
// Location is rounded by the page's rule (RoundingOf(state.Anchor)).
LocationSync SynchroniseLocation(const EditorState& state, int locX, int locY,
                                 const std::string& pathText, bool moved = true, ImagePoint offset = {});

// Whether the automatic calculation command is available for the open map.
bool AutoCalcAvailable(const EditorState& state);
