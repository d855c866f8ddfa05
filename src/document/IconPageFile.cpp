#include "document/IconPageFile.h"

#include "document/PoiTypes.h"
#include "mapview/MarkerGeometry.h"
#include "support/AtomicFile.h"
#include "support/IconPageXml.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
const char* const kZoneNameProperty = "1location";

// The order in which a rearranged Icon element keeps its properties.
const std::array<const char*, 10> kPropertyOrder = {
    "IconStyle", "IconType", "Location", "Name", "OnHoverIn",
    "pathfindlocation", "ScrollExtent", "Size", "Tooltip", "TreatAsButton",
};

// The reader's own texts, told in words a user understands; a text not listed is shown as it
// stands, without the reader's prefix.
struct ReasonRow {
    const char* readerText;  // the start of the reader's message
    const char* reason;
};
const ReasonRow kLoadingReasons[] = {
    {"Invalid Document: Unexpected text in file prolog", "text that is no XML stands before the page"},
    {"Invalid Document: the root element is missing", "the file ends before the page is complete"},
    {"Invalid XML Element: Expected beginning of tag", "text that is no XML stands where a tag should start"},
    {"Invalid XML Element: malformed tag found", "a \"<\" is not followed by a tag name"},
    {"Invalid XML Element: Expected end of tag", "a \"/\" inside a tag is not followed by \">\""},
    {"Invalid XML Element: Unexpected character in property declaration. Expecting",
     "a property value is not in quotes"},
    {"Invalid XML Element: Unexpected character in property declaration", "a tag holds %1 where a property should be"},
    {"Invalid XML Element: an element or property without a valid name", "a tag or property has no name"},
    {"Invalid Comment", "a comment is not closed"},
    {"Invalid CDATA", "a CDATA section is not closed"},
};
constexpr std::string_view kReaderPrefix = "Invalid XML Element: ";

// Why the reader stopped at `offset` of `bytes`, with the line and column.
std::string loadingReason(const std::string& readerText, std::string_view bytes, std::size_t offset)
{
    std::string reason;
    if (offset >= bytes.size()) {
        // Whatever the reader was reading, the cause is the end of the file.
        reason = "the file ends before the page is complete";
    } else {
        for (const ReasonRow& row : kLoadingReasons) {
            if (readerText.compare(0, std::strlen(row.readerText), row.readerText) == 0) {
                reason = row.reason;
                break;
            }
        }
        // "%1": the byte the reader found, in quotes as it gives it.
        const std::size_t mark = reason.find("%1");
        if (mark != std::string::npos) {
            const std::size_t open = readerText.find('"');
            const std::size_t close = open == std::string::npos ? open : readerText.find('"', open + 2);
            reason.replace(mark, 2, close == std::string::npos ? "a character" : readerText.substr(open, close - open + 1));
        }
        if (reason.empty())
            reason = readerText.compare(0, kReaderPrefix.size(), kReaderPrefix) == 0
                ? readerText.substr(kReaderPrefix.size()) : readerText;
    }
    return reason + " (" + PlaceText(PlaceOfByte(bytes, offset)) + ")";
}

bool onlyBlanks(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return IsBlank(c) || c == '\r' || c == '\n'; });
}

} // namespace

std::string LoadingErrorText(const std::string& reasonAndPlace)
{
    return std::string(IconPageText::kLoadingError) + "\n" + reasonAndPlace;
}

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

std::string LoadIconPageDocument(TSimpleXML& document, const std::string& path, std::string* preread,
                                 FileStamp* stamp)
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
    if (stamp)
        *stamp = FileStamps::of(path, bytes);
    const bool hasBom = std::string_view(bytes).substr(0, kBom.size()) == kBom;
    if (onlyBlanks(std::string_view(bytes).substr(hasBom ? kBom.size() : 0)))
        throw IconPageLoadError(LoadingErrorText("the file is empty"));
    if (bytes.size() < kBom.size())
        throw IconPageLoadError(LoadingErrorText(loadingReason({}, bytes, bytes.size())));
    // The parser stops after the root element; anything a user put after it must not be lost
    // when the page is saved. The document takes the bytes over: no copy of the file or of
    // its values.
    std::string trailer;
    try {
        trailer = ParseIconPage(document, std::move(bytes), hasBom ? kBom.size() : 0);
    } catch (const ESimpleXMLError& error) {
        // The document keeps the bytes it took; the error says where the reader stopped.
        throw IconPageLoadError(LoadingErrorText(
            loadingReason(error.what(), document.Buffer(), static_cast<std::size_t>(error.Offset()))));
    } catch (const std::exception& error) {
        throw IconPageLoadError(LoadingErrorText(error.what()));
    }
    if (TSimpleXMLProp* zone = document.Root().Properties().Find(kZoneNameProperty))
        zone->SetName(kZoneNameProperty);
    return trailer;
}

std::optional<std::pair<int, int>> ReadPageSize(TSimpleXMLElem& root)
{
    if (const TSimpleXMLProp* size = root.Properties().Find("Size")) {
        if (const auto pair = ParseCommaPair(size->Value(), kPageSizeTailChars))
            return std::make_pair(pair->first, pair->second);
    }
    return std::nullopt;
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

TSimpleXMLText ValueOrEmpty(const TSimpleXMLElem& element, std::string_view name)
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

std::string TextWithoutDeclaration(TSimpleXML& document)
{
    std::string bytes = document.SaveToString();
    if (bytes.compare(0, 5, "<?xml") == 0) {
        const std::size_t end = bytes.find('\n');
        bytes.erase(0, end == std::string::npos ? bytes.size() : end + 1);
    }
    return bytes;
}
