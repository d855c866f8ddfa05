#pragma once
// The one reader of map style files, shared by the map lookup, the zone rectangle editor and the
// command line. Real files are often fragments: a byte order mark, CR LF, and many top-level
// ImageStyle elements with no single root. The reader keeps the byte position of every value,
// so an edit changes only the bytes of the value it edits.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A map style file that is not well-formed enough to read; the message says where.
class MapStyleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One property of a start tag, its value decoded, with where its raw value bytes lie.
struct MapStyleProperty {
    std::string name;
    std::string value;
    std::size_t valueBegin = 0;  // first byte of the raw value (after the opening quote)
    std::size_t valueEnd = 0;    // one past its last byte (the closing quote)
};

// One element that may describe a map, with the properties of its first child element.
struct MapStyleElement {
    std::string tag;
    std::vector<MapStyleProperty> properties;
    // Where a new property goes: right after the last property of the start tag (or its name).
    std::size_t propertyInsertAt = 0;
    bool hasChild = false;
    std::vector<MapStyleProperty> firstChildProperties;

    // The first property of that name, letter case ignored; null when there is none.
    const MapStyleProperty* find(std::string_view name) const;
    const MapStyleProperty* findInFirstChild(std::string_view name) const;
};

// The style elements of a map style file, in document order: the children of its root element,
// or, when the file holds more than one top-level element or only one ImageStyle, those
// elements themselves. Offsets
// count from the first byte of `bytes` (a byte order mark included). Comments, processing
// instructions and text between elements are allowed. Throws MapStyleError.
std::vector<MapStyleElement> ReadMapStyleElements(std::string_view bytes);

// Whether `bytes` are a map style file rather than a page of POIs: top-level ImageStyle elements
// (a fragment, or a single style), or a single root with ImageStyle children, and no Icon
// anywhere. False for bytes without elements that nest: their own reader says what is wrong.
bool IsMapStyleFile(std::string_view bytes);

// What SetZoneRectInPlace did.
enum class ZoneRectEdit { Replaced, Added, NoMatch };

// Gives the last ImageStyle element whose Name equals `mapName` exactly (the one the lookup
// reads) the zone text `zoneText`: its zonerect value is replaced, or a zonerect property is
// added as its last property. Every other byte of `bytes` stays as it was; NoMatch leaves
// `bytes` unchanged. Throws MapStyleError for a damaged file, or for an ImageStyle without Name
// property before that match (anywhere, when nothing matches).
ZoneRectEdit SetZoneRectInPlace(std::string& bytes, const std::string& mapName, const std::string& zoneText);
