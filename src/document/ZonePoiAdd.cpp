#include "document/ZonePoiAdd.h"

#include "document/IconPageFile.h"
#include "document/PoiTypes.h"
#include "mapview/MapCoordinates.h"
#include "mapview/WorldLocation.h"
#include "support/xml/SimpleXmlText.h"

#include <QString>

namespace {

constexpr std::string_view kIdPrefix = "ID";
constexpr std::string_view kDescriptionIdPrefix = "ID:";
const char* const kIconTag = "Icon";
const char* const kKeywordProperty = "PoiKeyword";
const char* const kResourceProperty = "PoiResource";

void setProperty(IconProperties& properties, const std::string& name, const std::string& value)
{
    for (auto& [existing, text] : properties) {
        if (simplexml::SameText(existing, name)) {
            text = value;
            return;
        }
    }
    properties.emplace_back(name, value);
}

// A number written as the siblings write theirs: two decimals where it reads, else as typed.
std::string twoDecimals(const std::string& text)
{
    const std::optional<double> value = ParseDecimal(text);
    const std::optional<std::string> fixed = value ? FormatFixed2(*value) : std::nullopt;
    return fixed.value_or(text);
}

std::string worldText(const std::string& typed)
{
    const std::optional<WorldLocation> parts = WorldLocation::Parse(typed);
    if (!parts)
        return typed;
    return *FormatFixed2(parts->x) + "," + twoDecimals(parts->middle) + "," + *FormatFixed2(parts->z);
}

// The keyword or resource that a sibling of the same type carries.
std::string pairedValue(const TSimpleXMLElem& root, const std::string& type, const char* property)
{
    for (int i = 0; i < root.ItemCount(); ++i) {
        const TSimpleXMLElem& icon = *root.ItemsIfAny()->Item(i);
        if (IsPoiElement(icon) && std::string(ValueOrEmpty(icon, kWorldTypeProperty)) == type) {
            const TSimpleXMLProps* props = icon.PropertiesIfAny();
            if (const TSimpleXMLProp* found = props ? props->Find(property) : nullptr)
                return std::string(found->Value());
        }
    }
    return QString::fromStdString(type).toLower().toStdString();
}

std::string propertyOr(const IconProperties& properties, const char* name)
{
    for (const auto& [existing, text] : properties)
        if (simplexml::SameText(existing, name))
            return text;
    return {};
}

TSimpleXMLElem& appendIcon(TSimpleXMLElem& root, const IconProperties& properties)
{
    TSimpleXMLElem& icon = *root.Items().Add(kIconTag);
    for (const auto& [name, value] : properties)
        icon.Properties().Add(name, value);
    return icon;
}

}  // namespace

IconProperties PropertiesOf(const TSimpleXMLElem& element)
{
    IconProperties properties;
    const TSimpleXMLProps* props = element.PropertiesIfAny();
    for (int i = 0; props && i < props->Count(); ++i)
        properties.emplace_back(std::string(props->Item(i)->Name()), std::string(props->Item(i)->Value()));
    return properties;
}

TSimpleXMLElem& AppendLaidOutIcon(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& sibling)
{
    IconProperties properties = sibling;
    setProperty(properties, "Name", fields.name);
    setProperty(properties, "Location", fields.location);
    setProperty(properties, "pathfindlocation", fields.path);
    setProperty(properties, "IconStyle", fields.iconType);
    setProperty(properties, "Tooltip", fields.tooltip);
    return appendIcon(root, properties);
}

TSimpleXMLElem& AppendWorldIcon(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& sibling,
                                long long nextId)
{
    IconProperties properties = sibling;
    const std::string id = std::to_string(nextId);
    const std::string path = worldText(fields.path);
    setProperty(properties, "Name", std::string(kIdPrefix) + id);
    setProperty(properties, "PathFindLocation", path);
    setProperty(properties, kWorldDescriptionProperty,
                std::string(kDescriptionIdPrefix) + id + std::string(kDescriptionLineBreak) + path);
    setProperty(properties, kKeywordProperty, pairedValue(root, fields.iconType, kKeywordProperty));
    setProperty(properties, kResourceProperty, pairedValue(root, fields.iconType, kResourceProperty));
    setProperty(properties, kWorldTypeProperty, fields.iconType);
    setProperty(properties, "Tooltip", fields.tooltip);
    return appendIcon(root, properties);
}

TSimpleXMLElem& AppendMapLinkIcon(TSimpleXMLElem& root, const NewPoiFields& fields, const IconProperties& sibling)
{
    IconProperties properties = sibling;
    setProperty(properties, "Name", fields.name);
    // A link leads somewhere: one made without a sibling names no map yet, which the check says.
    setProperty(properties, kMapLinkProperty, propertyOr(sibling, kMapLinkProperty));
    setProperty(properties, kMapLinkTypeProperty, fields.iconType);
    setProperty(properties, "Location", fields.location);
    setProperty(properties, "Tooltip", fields.tooltip);
    return appendIcon(root, properties);
}
