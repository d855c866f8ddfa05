#pragma once
// The main window's state and the process-wide folders: one owner (the main window), handed by
// reference to every part that needs it.

#include "mapview/PoiAnchorRule.h"

#include <array>
#include <string>
#include <vector>

struct EditorState {
    // Process-wide, fixed after start-up. Folders end with "/".
    std::string BaseFolder;
    std::string DefaultFolder;
    double MapGamma = 0.7;

    // The open icon page.
    bool DocLoaded = false;
    bool Updating = false;
    bool EditsPending = false;
    bool PathEdited = false;
    bool AutoCalc = false;
    bool WriteBom = true;
    bool RearrangeOnSave = false;
    std::string CurrentFile;
    std::string PageName;
    int PageWidth = 436;
    int PageHeight = 506;
    std::string MapImagePath;       // as read from the map style file (backslashes kept)
    std::array<int, 4> ZoneRect{};  // x1,y1,x2,y2; all zero means none
    // The part of the map image that is the map (its style's SourceRect): x, y, width, height;
    // no width means none. A page without Size takes its size.
    std::array<int, 4> MapSourceRect{};
    // Where the open page's POIs sit on the map (see PoiAnchor.h).
    PoiAnchor Anchor = PoiAnchor::Location;

    // A flat list of texts taken in pairs: a map name at an even index, its zone text right after
    // it (["mymap", "1,2,3,4", ...]). Appended only, searched from the end.
    std::vector<std::string> ZoneRectTable;
    // The map pictures the user chose where a map's own is missing, as the configuration keeps
    // them: a map name at an even index, its picture's path right after it.
    std::vector<std::string> ChosenMapImages;
    // The open map's chosen picture (set by the map style lookup); empty when none.
    std::string ChosenMapImage;
};
