#include "mapview/MapStyle.h"

#include "mapview/MapCoordinates.h"
#include "support/AtomicFile.h"
#include "support/GamePath.h"
#include "support/ZoneRectTable.h"
#include "support/MapStyleFile.h"

#include <exception>
#include <memory>
#include <mutex>
#include <vector>

namespace {

const std::string kMapStyleFile = "vynmap\\core_mapstyles.xml";
const std::string kMapStyleTag = "ImageStyle";
const std::string kNameProperty = "Name";
const std::string kZoneProperty = "zonerect";
const std::string kSourceProperty = "Source";
const std::string kSourceRectProperty = "SourceRect";
const std::string kDisplayNameProperty = "displayname";
const std::string kDefaultImagePrefix = "images\\maps\\map_";
const std::string kDefaultImageSuffix = ".dds";

// Applies one ImageStyle element of the map; an element lacking a piece stops at that piece,
// keeping what it already set.
void applyMapStyle(const MapStyleElement& style, EditorState& state, std::string& zoneText,
                   MapStyleLookup& lookup)
{
    if (const MapStyleProperty* zone = style.find(kZoneProperty)) {
        zoneText = zone->value;
        lookup.label = zoneText;
        state.ZoneRect = ParseZoneText(zoneText);
    } else {
        state.ZoneRect = {};
    }
    if (const MapStyleProperty* source = style.findInFirstChild(kSourceProperty))
        state.MapImagePath = source->value;
    // The rectangle belongs to the image its child names: a later style's child decides both.
    if (style.hasChild) {
        const MapStyleProperty* rect = style.findInFirstChild(kSourceRectProperty);
        state.MapSourceRect = rect ? ParseSourceRect(rect->value) : ZoneRectangle{};
    }
}

// The styles of the map style file last read. Every page opened looks its map up, and a map
// pack's zone pages are opened by the thousand: the file is read each time, but parsed again only
// when its bytes differ from those parsed last. Shared by the threads that index a pack.
struct ParsedStyles {
    std::string bytes;
    std::vector<MapStyleElement> styles;
    std::map<std::string, std::string> displayNames;  // see MapDisplayNames
};

std::shared_ptr<const ParsedStyles> parsedStyles(std::string bytes)
{
    static std::mutex guard;
    static std::shared_ptr<const ParsedStyles> last;
    {
        const std::lock_guard<std::mutex> lock(guard);
        if (last && last->bytes == bytes)
            return last;
    }
    auto parsed = std::make_shared<ParsedStyles>();
    parsed->styles = ReadMapStyleElements(bytes);  // throws before anything is kept
    for (const MapStyleElement& style : parsed->styles) {
        const MapStyleProperty* name = style.find(kNameProperty);
        if (style.tag != kMapStyleTag || !name)
            continue;
        const MapStyleProperty* display = style.find(kDisplayNameProperty);
        parsed->displayNames[name->value] = display ? display->value : std::string();
    }
    parsed->bytes = std::move(bytes);
    const std::lock_guard<std::mutex> lock(guard);
    last = parsed;
    return parsed;
}

}  // namespace

MapStyleLookup LookupMapStyle(EditorState& state, const std::string& mapName)
{
    MapStyleLookup lookup;
    state.MapImagePath.clear();
    state.ZoneRect = {};
    state.MapSourceRect = {};
    const std::string path = GamePath::resolve(state.BaseFolder, kMapStyleFile);
    if (GamePath::fileExists(path)) {
        std::string bytes;
        std::shared_ptr<const ParsedStyles> parsed;
        try {
            const AtomicFile::ReadResult read = AtomicFile::readWhole(path, bytes);
            if (read == AtomicFile::ReadResult::TooLarge)
                lookup.refusal = AtomicFile::tooLargeMessage(path);
            if (read != AtomicFile::ReadResult::Ok)
                return lookup;
            parsed = parsedStyles(std::move(bytes));
        } catch (const std::exception&) {
            return lookup;  // an unreadable file leaves even the image path empty
        }
        if (!parsed->styles.empty()) {
            std::string zoneText;
            for (const MapStyleElement& style : parsed->styles) {
                if (style.tag != kMapStyleTag)
                    continue;
                const MapStyleProperty* name = style.find(kNameProperty);
                if (name && name->value == mapName)
                    applyMapStyle(style, state, zoneText, lookup);
            }
            if (zoneText.empty()) {
                if (const std::optional<std::string> row =
                        FindZoneRect(state.ZoneRectTable, mapName)) {
                    lookup.label = *row;
                    state.ZoneRect = ParseZoneText(*row);
                }
            }
        }
        lookup.fileRead = true;
    }
    if (state.MapImagePath.empty())
        state.MapImagePath = kDefaultImagePrefix + mapName + kDefaultImageSuffix;
    return lookup;
}

std::map<std::string, std::string> MapDisplayNames(const EditorState& state)
{
    std::map<std::string, std::string> names;
    const std::string path = GamePath::resolve(state.BaseFolder, kMapStyleFile);
    std::string bytes;
    try {
        if (!GamePath::fileExists(path) || AtomicFile::readWhole(path, bytes) != AtomicFile::ReadResult::Ok)
            return names;
        names = parsedStyles(std::move(bytes))->displayNames;
    } catch (const std::exception&) {
        names.clear();
    }
    return names;
}

std::pair<int, int> MapPageSize(const EditorState& state)
{
    const auto& rect = state.MapSourceRect;
    if (HasSourceRect(rect))
        return {rect[2], rect[3]};
    return {kDefaultPageWidth, kDefaultPageHeight};
}
