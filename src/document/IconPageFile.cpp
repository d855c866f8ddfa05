#include "document/IconPageFile.h"

#include "mapview/MarkerGeometry.h"
#include "support/AtomicFile.h"
#include "support/TextUtil.h"
#include "support/xml/UnicodeCodecs.h"

#include <array>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\n";
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
    // Five-entity decoding of the value taken through UTF-16 and the editing form.
    Utf8FiveEntityDecodeInPlace(value);
}

void xmlscanEncodeValue(std::string& value)
{
    // Back through UTF-16, then five-entity encoding.
    Utf8FiveEntityEncodeInPlace(value);
}

void ConfigureIconPageDocument(TSimpleXML& document)
{
    document.SetOptions(TSimpleXMLOptions{sxoAutoEncodeValue, sxoAutoEncodeEntity});
    document.SetIndentString("  ");
    document.OnDecodeValue = xmlscanDecodeValue;
    document.OnEncodeValue = xmlscanEncodeValue;
    document.OnAppendEncodedValue = AppendUtf8FiveEntityEncoded;
}

std::string LoadIconPageDocument(TSimpleXML& document, const std::string& path)
{
    document.Prolog().Clear();
    document.Root().Clear();
    std::string bytes;
    if (AtomicFile::readWhole(path, bytes) != AtomicFile::ReadResult::Ok)
        throw IconPageLoadError(IconPageText::kCannotOpen + path);
    if (bytes.size() < kBom.size())
        throw IconPageLoadError(IconPageText::kLoadingError);
    const bool hasBom = std::string_view(bytes).substr(0, kBom.size()) == kBom;
    TMemoryStream stream(std::move(bytes));
    if (hasBom)
        stream.SetPosition(kBom.size());
    try {
        document.LoadFromStream(stream);
    } catch (const std::exception&) {
        throw IconPageLoadError(IconPageText::kLoadingError);
    }
    if (TSimpleXMLProp* zone = document.Root().Properties().Find(kZoneNameProperty))
        zone->SetName(kZoneNameProperty);

    // The parser stops after the root element; anything a user put after it must not be lost
    // when the page is saved.
    const std::string_view rest = stream.Remaining();
    const std::size_t start = rest.find_first_not_of(kBlanks);
    return start == std::string_view::npos ? std::string() : std::string(rest.substr(start));
}

std::pair<int, int> ReadPageSize(TSimpleXMLElem& root)
{
    if (const TSimpleXMLProp* size = root.Properties().Find("Size")) {
        if (const auto pair = ParseCommaPair(size->Value(), kPageSizeTailChars))
            return {pair->first, pair->second};
    }
    return {kDefaultPageWidth, kDefaultPageHeight};
}

const std::string& RequiredValue(TSimpleXMLElem& element, const std::string& name)
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

std::string ValueOrEmpty(const TSimpleXMLElem& element, const std::string& name)
{
    const TSimpleXMLProps* props = element.PropertiesIfAny();
    const TSimpleXMLProp* prop = props ? props->Find(name) : nullptr;
    return prop ? prop->Value() : std::string();
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
