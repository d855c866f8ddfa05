#include "support/ZoneRectTable.h"

#include "support/TextUtil.h"

#include <utility>

namespace {

constexpr std::size_t kTextsPerRow = 2;

}  // namespace

void AppendZoneRect(std::vector<std::string>& table, std::string mapName, std::string zoneText)
{
    table.push_back(std::move(mapName));
    table.push_back(std::move(zoneText));
}

std::optional<std::string> FindZoneRect(const std::vector<std::string>& table, std::string_view mapName)
{
    // A dangling last text (not a whole row) is never a map name.
    for (std::size_t row = table.size() / kTextsPerRow; row-- > 0;) {
        if (EqualsNoCase(table[row * kTextsPerRow], mapName))
            return table[row * kTextsPerRow + 1];
    }
    return std::nullopt;
}
