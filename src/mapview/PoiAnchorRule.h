#pragma once
// The rule that places a page's POIs on its map (see PoiAnchor.h); kept apart so the editor state
// can hold it without the conversions.

enum class PoiAnchor {
    Location,  // the POI's point is its Location (icon pages)
    Centre,    // the point is the icon's centre, Location + Size / 2 (the game's own pages)
    World,     // no Location: the point is the world location through the zone rectangle
};

// Whether the POIs under the rule carry a Location that places them (all but world-only POIs).
inline bool PlacedByLocation(PoiAnchor anchor)
{
    return anchor != PoiAnchor::World;
}
