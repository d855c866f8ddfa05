#include "support/MapStyleFile.h"

#include "support/XmlSpans.h"
#include "support/xml/SimpleXmlText.h"
#include "support/xml/UnicodeCodecs.h"


namespace {

constexpr std::string_view kMapStyleTag = "ImageStyle";
constexpr std::string_view kMapStyleStart = "<ImageStyle";
constexpr std::string_view kIconTag = "Icon";
constexpr std::string_view kNameProperty = "Name";
constexpr std::string_view kZoneProperty = "zonerect";
const char* const kNamelessStyle = "Map style file: an ImageStyle element has no Name property";

const MapStyleProperty* findIn(const std::vector<MapStyleProperty>& properties, std::string_view name)
{
    for (const MapStyleProperty& property : properties)
        if (simplexml::SameText(property.name, name))
            return &property;
    return nullptr;
}

std::vector<MapStyleProperty> propertiesOf(const XmlSpanElement& element)
{
    std::vector<MapStyleProperty> properties;
    properties.reserve(element.properties.size());
    for (const XmlSpanProperty& span : element.properties) {
        MapStyleProperty property{std::string(span.name), std::string(span.rawValue), span.valueBegin, span.valueEnd};
        XmlValueDecodeInPlace(property.value);
        properties.push_back(std::move(property));
    }
    return properties;
}

MapStyleElement styleOf(const XmlSpans& spans, const XmlSpanElement& element)
{
    MapStyleElement style;
    style.tag = std::string(element.tag);
    style.properties = propertiesOf(element);
    style.propertyInsertAt = element.propsEnd;
    style.hasChild = !element.children.empty();
    if (style.hasChild)
        style.firstChildProperties = propertiesOf(spans.elements[static_cast<std::size_t>(element.children.front())]);
    return style;
}

}  // namespace

const MapStyleProperty* MapStyleElement::find(std::string_view name) const
{
    return findIn(properties, name);
}

const MapStyleProperty* MapStyleElement::findInFirstChild(std::string_view name) const
{
    return findIn(firstChildProperties, name);
}

std::vector<MapStyleElement> ReadMapStyleElements(std::string_view bytes)
{
    XmlSpans spans;
    try {
        spans = XmlSpans::Parse(bytes);
    } catch (const XmlSpansError& error) {
        throw MapStyleError(std::string("Map style file: ") + error.what());
    }
    // The styles are the top-level elements of a fragment, or of a file of one ImageStyle (that
    // one style); otherwise the children of the single root.
    std::vector<int> kept = spans.roots;
    const bool oneStyle = kept.size() == 1 && spans.elements[static_cast<std::size_t>(kept.front())].tag == kMapStyleTag;
    if (kept.size() == 1 && !oneStyle) {
        const XmlSpanList<int>& children = spans.elements[static_cast<std::size_t>(kept.front())].children;
        kept.assign(children.begin(), children.end());
    }
    std::vector<MapStyleElement> styles;
    styles.reserve(kept.size());
    for (const int index : kept)
        styles.push_back(styleOf(spans, spans.elements[static_cast<std::size_t>(index)]));
    return styles;
}

bool IsMapStyleFile(std::string_view bytes)
{
    // Pages never hold a style: most files are told apart without a parse.
    if (bytes.find(kMapStyleStart) == std::string_view::npos)
        return false;
    XmlSpans spans;
    try {
        spans = XmlSpans::Parse(bytes);
    } catch (const XmlSpansError&) {
        return false;
    }
    bool style = false;
    for (const XmlSpanElement& element : spans.elements) {
        if (element.tag == kIconTag)
            return false;
        const bool topOrUnderRoot = element.parent < 0
            || (spans.roots.size() == 1 && element.parent == spans.roots.front());
        style = style || (topOrUnderRoot && element.tag == kMapStyleTag);
    }
    return style;
}

ZoneRectEdit SetZoneRectInPlace(std::string& bytes, const std::string& mapName, const std::string& zoneText)
{
    const std::vector<MapStyleElement> styles = ReadMapStyleElements(bytes);
    // The last match, as the lookup reads it: writing another would change nothing in use.
    // A style without a name before it (anywhere, when none matches) is damage the edit refuses.
    const MapStyleElement* match = nullptr;
    bool nameless = false;
    for (const MapStyleElement& style : styles) {
        if (style.tag != kMapStyleTag)
            continue;
        const MapStyleProperty* name = style.find(kNameProperty);
        if (!name)
            nameless = true;
        else if (name->value == mapName && nameless)
            throw MapStyleError(kNamelessStyle);
        else if (name->value == mapName)
            match = &style;
    }
    if (!match && nameless)
        throw MapStyleError(kNamelessStyle);
    if (!match)
        return ZoneRectEdit::NoMatch;
    std::string encoded;
    AppendXmlValueEncoded(encoded, zoneText);
    if (const MapStyleProperty* zone = match->find(kZoneProperty)) {
        bytes.replace(zone->valueBegin, zone->valueEnd - zone->valueBegin, encoded);
        return ZoneRectEdit::Replaced;
    }
    bytes.insert(match->propertyInsertAt, " " + std::string(kZoneProperty) + "=\"" + encoded + "\"");
    return ZoneRectEdit::Added;
}
