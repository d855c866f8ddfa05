#include "mapview/MapStyle.h"

#include "mapview/MapCoordinates.h"
#include "support/AtomicFile.h"
#include "support/GamePath.h"
#include "support/ZoneRectTable.h"
#include "support/xml/SimpleXml.h"

#include <exception>

namespace {

const std::string kMapStyleFile = "vynmap\\core_mapstyles.xml";
const std::string kMapStyleTag = "ImageStyle";
const std::string kNameProperty = "Name";
const std::string kZoneProperty = "zonerect";
const std::string kSourceProperty = "Source";
const std::string kDefaultImagePrefix = "images\\maps\\map_";
const std::string kDefaultImageSuffix = ".dds";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The first child that is an element (comments and text are not).
TSimpleXMLElem* firstChildElement(TSimpleXMLElem& element)
{
    TSimpleXMLElems& items = element.Items();
    for (int i = 0; i < items.Count(); ++i)
        if (items.Item(i)->Kind() == TSimpleXMLElemKind::Classic)
            return items.Item(i);
    return nullptr;
}

// Applies one ImageStyle element of the map; an element lacking a piece stops at that piece,
// keeping what it already set.
void applyMapStyle(TSimpleXMLElem& style, EditorState& state, std::string& zoneText,
                   MapStyleLookup& lookup)
{
    if (const TSimpleXMLProp* zone = style.Properties().Find(kZoneProperty)) {
        zoneText = zone->Value();
        lookup.label = zoneText;
        state.ZoneRect = ParseZoneText(zoneText);
    } else {
        state.ZoneRect = {};
    }
    TSimpleXMLElem* image = firstChildElement(style);
    if (!image)
        return;
    if (const TSimpleXMLProp* source = image->Properties().Find(kSourceProperty))
        state.MapImagePath = source->Value();
}

// Reads the map style file into `document`; false when it cannot be read or parsed, with the
// refusal of a file above the size bound in `lookup`.
bool loadMapStyles(const std::string& path, TSimpleXML& document, MapStyleLookup& lookup)
{
    std::string bytes;
    const AtomicFile::ReadResult read = AtomicFile::readWhole(path, bytes);
    if (read == AtomicFile::ReadResult::TooLarge)
        lookup.refusal = AtomicFile::tooLargeMessage(path);
    if (read != AtomicFile::ReadResult::Ok)
        return false;
    std::string_view text(bytes);
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    try {
        document.LoadFromString(text);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

}  // namespace

MapStyleLookup LookupMapStyle(EditorState& state, const std::string& mapName)
{
    MapStyleLookup lookup;
    state.MapImagePath.clear();
    state.ZoneRect = {};
    const std::string path = GamePath::resolve(state.BaseFolder, kMapStyleFile);
    if (GamePath::fileExists(path)) {
        TSimpleXML document;
        if (!loadMapStyles(path, document, lookup))
            return lookup;  // an unreadable file leaves even the image path empty
        TSimpleXMLElems& styles = document.Root().Items();
        if (styles.Count() > 0) {
            std::string zoneText;
            for (int i = 0; i < styles.Count(); ++i) {
                TSimpleXMLElem* style = styles.Item(i);
                if (style->Kind() != TSimpleXMLElemKind::Classic || style->Name() != kMapStyleTag)
                    continue;
                const TSimpleXMLProp* name = style->Properties().Find(kNameProperty);
                if (name && name->Value() == mapName)
                    applyMapStyle(*style, state, zoneText, lookup);
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
