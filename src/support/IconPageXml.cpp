#include "support/IconPageXml.h"

#include "support/xml/SimpleXmlScan.h"
#include "support/xml/UnicodeCodecs.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kWordBytes = sizeof(std::uint64_t);
constexpr std::uint64_t kEveryByte = 0x0101010101010101;
constexpr std::uint64_t kHighBitOfEveryByte = 0x8080808080808080;
constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kIndent = "  ";
constexpr std::string_view kHexDigits = "0123456789abcdefABCDEF";
constexpr std::string_view kDecimalDigits = "0123456789";
constexpr int kDecimalBase = 10;
constexpr int kHexBase = 16;
// Beyond the last character; also keeps the running number from overflowing.
constexpr unsigned long kAfterLastCharacter = 0x110000;
constexpr unsigned long kTab = 0x9;
constexpr unsigned long kLineFeed = 0xA;
constexpr unsigned long kCarriageReturn = 0xD;
constexpr unsigned long kFirstPrintable = 0x20;
constexpr unsigned long kSurrogatesFirst = 0xD800;
constexpr unsigned long kSurrogatesLast = 0xDFFF;
constexpr unsigned long kNonCharacterFirst = 0xFFFE;
constexpr unsigned long kNonCharacterLast = 0xFFFF;
constexpr unsigned char kAsciiLimit = 0x80;

const char kCutRoot[] = "Invalid Document: the root element is missing or cut off by the end of the data";
const char kUnwritableName[] = "Invalid XML Element: an element or property without a valid name";

bool IsXmlCharacter(unsigned long code)
{
    if (code < kFirstPrintable)
        return code == kTab || code == kLineFeed || code == kCarriageReturn;
    return code < kAfterLastCharacter && !(code >= kSurrogatesFirst && code <= kSurrogatesLast) &&
           !(code >= kNonCharacterFirst && code <= kNonCharacterLast);
}

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + kDecimalBase;
    return c - 'A' + kDecimalBase;
}

// The writer writes no tags for an element without a name, and a tag whose name (with its
// namespace) starts with '!' or '?' reads back as a declaration or comment.
bool IsWritableElementName(const TSimpleXMLElem& elem)
{
    const std::string& first = elem.NameSpace().empty() ? elem.Name() : elem.NameSpace();
    return !elem.Name().empty() && !first.empty() && first[0] != '!' && first[0] != '?';
}

// The writer writes a property without a name as a bare "=".
bool HasNamelessProperty(const TSimpleXMLElem& elem)
{
    const TSimpleXMLProps* props = elem.PropertiesIfAny();
    for (int i = 0; props && i < props->Count(); ++i)
        if (props->Item(i)->Name().empty())
            return true;
    return false;
}

// True when an element at or below `top`, or one of their properties (when `properties`), has a
// name that would not read back as written.
bool HasUnwritableName(const TSimpleXMLElem& top, bool properties)
{
    std::vector<const TSimpleXMLElem*> pending{&top};
    while (!pending.empty()) {
        const TSimpleXMLElem* elem = pending.back();
        pending.pop_back();
        if (elem->Kind() != TSimpleXMLElemKind::Classic)
            continue;
        if (!IsWritableElementName(*elem) || (properties && HasNamelessProperty(*elem)))
            return true;
        if (const TSimpleXMLElems* items = elem->ItemsIfAny())
            for (int i = 0; i < items->Count(); ++i)
                pending.push_back(items->Item(i));
    }
    return false;
}

}  // namespace

std::size_t NumericReferenceLength(std::string_view text, std::size_t at)
{
    if (text.substr(at, 2) != "&#")
        return 0;
    std::size_t i = at + 2;
    const bool hex = i < text.size() && text[i] == 'x';
    if (hex)
        ++i;
    const std::string_view digits = hex ? kHexDigits : kDecimalDigits;
    const std::size_t first = i;
    unsigned long code = 0;
    for (; i < text.size() && digits.find(text[i]) != std::string_view::npos; ++i) {
        code = code * (hex ? kHexBase : kDecimalBase) + static_cast<unsigned long>(DigitValue(text[i]));
        if (code >= kAfterLastCharacter)
            return 0;
    }
    if (i == first || i >= text.size() || text[i] != ';' || !IsXmlCharacter(code))
        return 0;
    return i + 1 - at;
}

void IconPageDecodeValue(std::string& value)
{
    Utf8FiveEntityDecodeInPlace(value);
}

bool IconPageDecodeKeepsValue(std::string_view value)
{
    // Eight bytes at a time while they are ASCII without an '&', as most values are throughout;
    // the rest, from the first word that is not, gets the full checks.
    std::size_t i = 0;
    for (; value.size() - i >= kWordBytes; i += kWordBytes) {
        std::uint64_t word;
        std::memcpy(&word, value.data() + i, kWordBytes);
        const std::uint64_t ampersands = word ^ (kEveryByte * '&');
        const std::uint64_t zeroBytes = (ampersands - kEveryByte) & ~ampersands;
        if (((word | zeroBytes) & kHighBitOfEveryByte) != 0)
            break;
    }
    const std::string_view rest = value.substr(i);
    return rest.find('&') == std::string_view::npos && IsWellFormedUtf8(rest);
}

void IconPageEncodeValue(std::string& value)
{
    // Most values hold no reference; they take the plain hook chain in place.
    std::size_t reference = value.find("&#");
    while (reference != std::string::npos && NumericReferenceLength(value, reference) == 0)
        reference = value.find("&#", reference + 1);
    if (reference == std::string::npos) {
        Utf8FiveEntityEncodeInPlace(value);
        return;
    }
    // Encode the runs between references; the references themselves are copied unchanged.
    std::string encoded;
    std::size_t runStart = 0;
    for (std::size_t i = reference; i < value.size();) {
        const std::size_t length = value[i] == '&' ? NumericReferenceLength(value, i) : 0;
        if (length == 0) {
            ++i;
            continue;
        }
        std::string run = value.substr(runStart, i - runStart);
        Utf8FiveEntityEncodeInPlace(run);
        encoded += run;
        encoded.append(value, i, length);
        i += length;
        runStart = i;
    }
    std::string run = value.substr(runStart);
    Utf8FiveEntityEncodeInPlace(run);
    encoded += run;
    value = std::move(encoded);
}

namespace {

// IconPageAppendEncodedValue of a value that is not well-formed UTF-8: the text between the
// numeric references goes through the editing code page, run by run.
void AppendMalformedEncoded(std::string& out, std::string_view value)
{
    std::size_t runStart = 0;
    for (std::size_t i = value.find("&#"); i != std::string_view::npos; i = value.find("&#", i)) {
        const std::size_t length = NumericReferenceLength(value, i);
        if (length == 0) {
            ++i;
            continue;
        }
        AppendUtf8FiveEntityEncoded(out, value.substr(runStart, i - runStart));
        out.append(value.substr(i, length));
        i += length;
        runStart = i;
    }
    AppendUtf8FiveEntityEncoded(out, value.substr(runStart));
}

}  // namespace

void IconPageAppendEncodedValue(std::string& out, std::string_view value)
{
    // One pass that copies runs and replaces the five characters, an '&' that starts a numeric
    // reference staying in its run. At the first byte above ASCII the rest is checked for
    // well-formed UTF-8 once; from there on such bytes are copied like the others.
    const std::size_t start = out.size();
    bool highChecked = false;
    std::size_t runStart = 0;
    for (std::size_t i = simplexml::EntityFreeRunEnd(value, 0, true); i < value.size();
         i = simplexml::EntityFreeRunEnd(value, i, !highChecked)) {
        if (static_cast<unsigned char>(value[i]) >= kAsciiLimit) {
            if (!IsWellFormedUtf8(value.substr(i))) {
                out.resize(start);
                AppendMalformedEncoded(out, value);
                return;
            }
            highChecked = true;
            continue;
        }
        const std::size_t reference = value[i] == '&' ? NumericReferenceLength(value, i) : 0;
        if (reference != 0) {
            i += reference;
            continue;
        }
        out.append(value.data() + runStart, i - runStart);
        out.append(FiveEntityFor(value[i]));
        runStart = ++i;
    }
    out.append(value.data() + runStart, value.size() - runStart);
}

void ConfigureIconPageXml(TSimpleXML& document)
{
    document.SetOptions(TSimpleXMLOptions{sxoAutoEncodeValue, sxoAutoEncodeEntity});
    document.SetIndentString(std::string(kIndent));
    document.OnDecodeValue = IconPageDecodeValue;
    document.DecodeKeepsValue = IconPageDecodeKeepsValue;
    document.DecodeValueSpan = Utf8FiveEntityDecodeSpan;
    document.OnEncodeValue = IconPageEncodeValue;
    document.OnAppendEncodedValue = IconPageAppendEncodedValue;
}

namespace {

// What stands after the root element that ends at `end` of `bytes`, once the page is known to
// save and read back.
std::string CheckedTrailer(const TSimpleXML& document, std::string_view bytes, std::size_t end)
{
    // The XML layer ends a parse quietly at the end of the data. A complete root has a name and
    // ends with the '>' of its end tag or of its empty-element tag.
    const TSimpleXMLElem& root = document.Root();
    if (root.Name().empty() || end == 0 || end > bytes.size() || bytes[end - 1] != '>')
        throw ESimpleXMLError(kCutRoot, end);
    // Just read: a nameless property can only be one the parse reported.
    if (HasUnwritableName(root, document.ReadNamelessProperty()))
        throw ESimpleXMLError(kUnwritableName, end);

    const std::string_view rest = bytes.substr(end);
    const std::size_t start = rest.find_first_not_of(kBlanks);
    return start == std::string_view::npos ? std::string() : std::string(rest.substr(start));
}

}  // namespace

std::string ParseIconPage(TSimpleXML& document, TMemoryStream& stream)
{
    document.LoadFromStream(stream);
    return CheckedTrailer(document, stream.Bytes(), static_cast<std::size_t>(stream.Position()));
}

std::string ParseIconPage(TSimpleXML& document, std::string bytes, std::size_t start)
{
    const std::size_t end = document.LoadFromBuffer(std::move(bytes), start);
    return CheckedTrailer(document, document.Buffer(), end);
}
