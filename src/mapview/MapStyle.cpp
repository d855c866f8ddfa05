#include "mapview/MapStyle.h"

#include "mapview/MapCoordinates.h"
#include "support/AtomicFile.h"
#include "support/FileStamp.h"
#include "support/GamePath.h"
#include "support/ZoneRectTable.h"
#include "support/MapStyleFile.h"

#include <chrono>
#include <exception>
#include <filesystem>
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
// pack's zone pages are opened by the thousand: the file is parsed again only when its bytes
// differ from those parsed last, and not even read while its size and time are those it had then
// and that time lay well before the read (a write within the same tick of the file system's clock
// would not change the time). Shared by the threads that index a pack.
struct ParsedStyles {
    std::string bytes;
    std::vector<MapStyleElement> styles;
    std::map<std::string, std::string> displayNames;  // see MapDisplayNames
};

struct StyleCache {
    std::mutex guard;
    std::shared_ptr<const ParsedStyles> parsed;
    std::string path;
    FileStamp stamp;
    bool settled = false;  // the file's time lay well before it was read
};

StyleCache& styleCache()
{
    static StyleCache cache;
    return cache;
}

constexpr std::chrono::seconds kSettledAge{2};

// The styles parsed last, while the file at `path` is surely unchanged since; else null.
std::shared_ptr<const ParsedStyles> unchangedStyles(const std::string& path)
{
    StyleCache& cache = styleCache();
    const std::lock_guard<std::mutex> lock(cache.guard);
    if (cache.parsed && cache.settled && cache.path == path && !FileStamps::mayDiffer(path, cache.stamp))
        return cache.parsed;
    return nullptr;
}

std::shared_ptr<const ParsedStyles> parsedStyles(const std::string& path, std::string bytes)
{
    using FileTime = std::filesystem::file_time_type;
    FileStamp stamp = FileStamps::of(path, bytes);
    const bool settled = FileTime::clock::now() - FileTime(FileTime::duration(stamp.modified)) > kSettledAge;
    StyleCache& cache = styleCache();
    {
        const std::lock_guard<std::mutex> lock(cache.guard);
        if (cache.parsed && cache.parsed->bytes == bytes) {
            cache.path = path;
            cache.stamp = stamp;
            cache.settled = settled;
            return cache.parsed;
        }
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
    const std::lock_guard<std::mutex> lock(cache.guard);
    cache.parsed = parsed;
    cache.path = path;
    cache.stamp = stamp;
    cache.settled = settled;
    return parsed;
}

// The map style file's styles, read or known; throws what reading it throws. Null with
// `result` telling why when it was not read.
std::shared_ptr<const ParsedStyles> readStyles(const std::string& path, AtomicFile::ReadResult& result)
{
    result = AtomicFile::ReadResult::Ok;
    if (std::shared_ptr<const ParsedStyles> known = unchangedStyles(path))
        return known;
    std::string bytes;
    result = AtomicFile::readWhole(path, bytes);
    if (result != AtomicFile::ReadResult::Ok)
        return nullptr;
    return parsedStyles(path, std::move(bytes));
}

}  // namespace

MapStyleLookup LookupMapStyle(EditorState& state, const std::string& mapName)
{
    MapStyleLookup lookup;
    state.MapImagePath.clear();
    state.ZoneRect = {};
    state.MapSourceRect = {};
    state.ChosenMapImage = FindZoneRect(state.ChosenMapImages, mapName).value_or(std::string());
    const std::string path = GamePath::resolve(state.BaseFolder, kMapStyleFile);
    if (GamePath::fileExists(path)) {
        std::shared_ptr<const ParsedStyles> parsed;
        try {
            AtomicFile::ReadResult read = AtomicFile::ReadResult::Ok;
            parsed = readStyles(path, read);
            if (read == AtomicFile::ReadResult::TooLarge)
                lookup.refusal = AtomicFile::tooLargeMessage(path);
            if (!parsed)
                return lookup;
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
    try {
        AtomicFile::ReadResult read = AtomicFile::ReadResult::Ok;
        const std::shared_ptr<const ParsedStyles> parsed =
            GamePath::fileExists(path) ? readStyles(path, read) : nullptr;
        if (!parsed)
            return names;
        names = parsed->displayNames;
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
