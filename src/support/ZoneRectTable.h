#pragma once
// The zone rectangle table: a flat list of texts taken in pairs (map name, zone text "x1,y1,x2,y2").
// Rows are only appended; a lookup searches from the end, so a later row for a map wins.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

void AppendZoneRect(std::vector<std::string>& table, std::string mapName, std::string zoneText);

// The zone text of the last row whose map name equals `mapName` without regard to case.
std::optional<std::string> FindZoneRect(const std::vector<std::string>& table, std::string_view mapName);
