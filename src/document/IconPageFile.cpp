#include "document/IconPageFile.h"

#include "document/PoiTypes.h"
#include "mapview/MarkerGeometry.h"
#include "support/AtomicFile.h"
#include "support/IconPageXml.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr int kDefaultPageWidth = 436;
constexpr int kDefaultPageHeight = 506;
const char* const kZoneNameProperty = "1location";

// The order in which a rearranged Icon element keeps its properties.
const std::array<const char*, 10> kPropertyOrder = {
    "IconStyle", "IconType", "Location", "Name", "OnHoverIn",
    "pathfindlocation", "ScrollExtent", "Size", "Tooltip", "TreatAsButton",
};

} // namespace

void xmlscanDecodeValue(std::string& value)
{
    // Five-entity decoding of the value taken through UTF-16 and the editing form; numeric
    // references stay as their text, so the editor shows "&#xA;" as typed in the file.
    IconPageDecodeValue(value);
}

void xmlscanEncodeValue(std::string& value)
{
    // Back through UTF-16, then five-entity encoding that leaves numeric references as they are.
    IconPageEncodeValue(value);
}

void ConfigureIconPageDocument(TSimpleXML& document)
{
    ConfigureIconPageXml(document);
}

std::string LoadIconPageDocument(TSimpleXML& document, const std::string& path, std::string* preread)
{
    document.Prolog().Clear();
    document.Root().Clear();
    std::string bytes;
    if (preread) {
        bytes = std::move(*preread);
    } else {
        const AtomicFile::ReadResult read = AtomicFile::readWhole(path, bytes);
        if (read == AtomicFile::ReadResult::TooLarge)
            throw IconPageLoadError(AtomicFile::tooLargeMessage(path));
        if (read != AtomicFile::ReadResult::Ok)
            throw IconPageLoadError(IconPageText::kCannotOpen + path);
    }
    if (bytes.size() < kBom.size())
        throw IconPageLoadError(IconPageText::kLoadingError);
    const bool hasBom = std::string_view(bytes).substr(0, kBom.size()) == kBom;
    // The parser stops after the root element; anything a user put after it must not be lost
    // when the page is saved. The document takes the bytes over: no copy of the file or of
    // its values.
    std::string trailer;
    try {
        trailer = ParseIconPage(document, std::move(bytes), hasBom ? kBom.size() : 0);
    } catch (const std::exception&) {
        throw IconPageLoadError(IconPageText::kLoadingError);
    }
    if (TSimpleXMLProp* zone = document.Root().Properties().Find(kZoneNameProperty))
        zone->SetName(kZoneNameProperty);
    return trailer;
}

std::pair<int, int> ReadPageSize(TSimpleXMLElem& root)
{
    if (const TSimpleXMLProp* size = root.Properties().Find("Size")) {
        if (const auto pair = ParseCommaPair(size->Value(), kPageSizeTailChars))
            return {pair->first, pair->second};
    }
    return {kDefaultPageWidth, kDefaultPageHeight};
}

std::string RequiredValue(TSimpleXMLElem& element, const std::string& name)
{
    const TSimpleXMLProp* prop = element.Properties().Find(name);
    if (!prop)
        throw MissingPropertyError(name);
    return prop->Value();
}

void SetRequiredValue(TSimpleXMLElem& element, const std::string& name, std::string value)
{
    TSimpleXMLProp* prop = element.Properties().Find(name);
    if (!prop)
        throw MissingPropertyError(name);
    prop->SetValue(std::move(value));
}

TSimpleXMLText ValueOrEmpty(const TSimpleXMLElem& element, const std::string& name)
{
    const TSimpleXMLProps* props = element.PropertiesIfAny();
    const TSimpleXMLProp* prop = props ? props->Find(name) : nullptr;
    return prop ? prop->Value() : TSimpleXMLText();
}

bool IsPoiElement(const TSimpleXMLElem& element)
{
    return element.Kind() == TSimpleXMLElemKind::Classic;
}

void RearrangeProperties(TSimpleXMLProps& properties)
{
    std::vector<std::pair<std::string, std::string>> kept;
    for (const char* name : kPropertyOrder) {
        if (const TSimpleXMLProp* prop = properties.Find(name))
            kept.emplace_back(prop->Name(), prop->Value());
    }
    properties.Clear();
    for (auto& [name, value] : kept)
        properties.Add(std::move(name), std::move(value));
}

void RearrangeIconElements(TSimpleXMLElem& root)
{
    TSimpleXMLElems& children = root.Items();
    for (int i = 0; i < children.Count(); ++i) {
        TSimpleXMLElem* child = children.Item(i);
        if (child->Kind() == TSimpleXMLElemKind::Classic && child->Name() == "Icon")
            RearrangeProperties(child->Properties());
    }
}

std::string IconPageBytes(TSimpleXML& document, bool writeBom, std::string_view trailer)
{
    std::string serialised = document.SaveToString();
    serialised.append(trailer);
    if (!writeBom)
        return serialised;
    std::string bytes(kBom);
    bytes.reserve(serialised.size() + kBom.size());
    const std::size_t cr = serialised.find('\r');
    if (cr == std::string::npos)
        return bytes + serialised;
    // The first line end becomes a single LF, whatever byte followed the CR.
    if (cr + 1 >= serialised.size())
        throw std::runtime_error("Error");
    bytes.append(serialised, 0, cr);
    bytes.push_back('\n');
    bytes.append(serialised, cr + 2, std::string::npos);
    return bytes;
}

void ReplaceDescriptionLine(TSimpleXMLElem& poi, std::string_view oldLine, std::string_view newLine)
{
    TSimpleXMLProps* props = poi.Properties().Count() > 0 ? &poi.Properties() : nullptr;
    TSimpleXMLProp* description = props ? props->Find(kWorldDescriptionProperty) : nullptr;
    if (!description || oldLine.empty())
        return;
    std::string text(description->Value());
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = std::min(text.find(kDescriptionLineBreak, begin), text.size());
        if (std::string_view(text).substr(begin, end - begin) == oldLine) {
            text.replace(begin, end - begin, newLine);
            description->SetValue(text);
            return;
        }
        if (end == text.size())
            return;
        begin = end + kDescriptionLineBreak.size();
    }
}
