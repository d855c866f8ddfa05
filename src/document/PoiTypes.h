#pragma once
// The POI types a page's IconStyle names and the icon size each gives; one table for the editor's
// type list, the Add POI dialog and the apply.

#include <string>
#include <string_view>

// The type list, in list order; the same in both languages.
inline const char* const kPoiTypes[] = {"CLST", "LOC", "MOB", "NAME", "NPC", "QST", "ZONE"};

// The Size and ScrollExtent a type gives: zone lines are drawn larger; the comparison is exact.
inline std::string PoiIconSize(std::string_view type)
{
    return type == "ZONE" ? "14,14" : "12,12";
}
