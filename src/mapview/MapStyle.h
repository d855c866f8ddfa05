#pragma once
// Finding the open map's image path and zone rectangle: the map style file of the UI folder
// first, then the zone rectangle table. Plain C++ over the editor state.

#include "mapview/EditorState.h"

#include <map>
#include <optional>
#include <string>
#include <utility>

// What a map style lookup found besides its effect on the editor state.
struct MapStyleLookup {
    // The map style file existed and was read.
    bool fileRead = false;
    // The zone text the coordinate label shows now; none leaves the label as it was.
    std::optional<std::string> label;
    // The file was refused unread for its size; the message to show.
    std::optional<std::string> refusal;
};

// The size of a page without Size of its own.
constexpr int kDefaultPageWidth = 436;
constexpr int kDefaultPageHeight = 506;

// Sets state.MapImagePath, state.ZoneRect and state.MapSourceRect for map `mapName` from
// BaseFolder + "vynmap\core_mapstyles.xml" (the last ImageStyle element of that exact Name
// decides; the file may have one root or be a fragment of top-level styles) and, when the file gave no zone text but has
// elements, from state.ZoneRectTable (the latest row for the name, letter case ignored).
// The source rectangle is the SourceRect ("x,y,width,height") beside the image source, none
// without one. Without an image source the path becomes "images\maps\map_" + mapName + ".dds"; a file that
// cannot be read or parsed leaves the path empty and the zone rectangle (0, 0, 0, 0).
// state.ChosenMapImage becomes the picture the user chose for the map (state.ChosenMapImages),
// else empty. Never throws.
MapStyleLookup LookupMapStyle(EditorState& state, const std::string& mapName);

// The location names the map style file gives its maps: each ImageStyle's Name with its
// displayname (the last style of a name decides, as in the lookup). Empty when the file is
// missing or does not read. Never throws.
std::map<std::string, std::string> MapDisplayNames(const EditorState& state);

// The size of a page without Size of its own: its map's source rectangle (state.MapSourceRect,
// set by the lookup), else kDefaultPageWidth x kDefaultPageHeight.
std::pair<int, int> MapPageSize(const EditorState& state);
