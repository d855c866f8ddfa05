#pragma once
// The POI types a page's IconStyle names and the icon size each gives; one table for the editor's
// type list, the Add POI dialog and the apply.

#include <array>
#include <string>
#include <string_view>

// The type list, in list order; the same in both languages.
inline const char* const kPoiTypes[] = {"CLST", "LOC", "MOB", "NAME", "NPC", "QST", "ZONE"};

// The Size and ScrollExtent a type gives: zone lines are drawn larger; the comparison is exact.
inline std::string PoiIconSize(std::string_view type)
{
    return type == "ZONE" ? "14,14" : "12,12";
}

// The property holding a POI's world location.
inline constexpr const char* kWorldLocationProperty = "pathfindlocation";
// World-only POIs have no Size: their markers and position button take the default icon size.
inline constexpr const char* kWorldIconSize = "12,12";
// Their description repeats the world location on a line of its own.
inline constexpr const char* kWorldDescriptionProperty = "PoiDescription";
// Lines of a description are joined by this reference, kept as text in the editor.
inline constexpr std::string_view kDescriptionLineBreak = "&#xA;";

// World-only POIs (the map pack's POI files) carry their kind in this property.
inline constexpr const char* kWorldTypeProperty = "PoiType";
// Their tooltip: its first line is what an author knows a POI named by number by.
inline constexpr const char* kWorldTooltipProperty = "Tooltip";
// What the tree lists under a world-only POI.
inline constexpr std::array<const char*, 4> kWorldValueProperties{"pathfindlocation", kWorldTypeProperty,
                                                                  kWorldTooltipProperty, kWorldDescriptionProperty};

// The marker style of a world-only POI's kind: NPCs, the monster kinds, locations, quest kinds
// and shops take the colour of the matching icon page type; any other kind is "other".
inline std::string_view WorldPoiStyle(std::string_view poiType)
{
    auto startsWith = [poiType](std::string_view prefix) { return poiType.substr(0, prefix.size()) == prefix; };
    if (poiType == "NPC" || poiType == "SHOP")
        return "NPC";
    if (startsWith("MOB"))
        return "MOB";
    if (poiType == "LOCATION")
        return "LOC";
    if (startsWith("QUEST"))
        return "QST";
    if (poiType == "ZONE")
        return "CLST";
    return poiType.empty() ? std::string_view() : std::string_view("other");
}

// Map links: the map a link leads to, and the sign the game draws it with.
inline constexpr const char* kMapLinkProperty = "PoiMapLink";
inline constexpr const char* kMapLinkTypeProperty = "poiresource";
// What the tree lists under a link.
inline constexpr std::array<const char*, 4> kMapLinkValueProperties{"Location", kMapLinkProperty,
                                                                    kMapLinkTypeProperty, kWorldTooltipProperty};
