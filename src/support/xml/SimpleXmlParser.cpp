#include "support/xml/SimpleXmlParser.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "support/xml/SimpleXml.h"
#include "support/xml/SimpleXmlScan.h"
#include "support/xml/SimpleXmlText.h"

using simplexml::IsBlank;

namespace {

constexpr std::size_t kByteValues = 256;

// Byte classes, looked up once per byte instead of chains of comparisons.
enum ByteClass : unsigned char {
    kPropertyName = 1,   // may appear in a property name
    kElementNameEnd = 2, // ends a run of element name bytes in a start tag
    kTagKindKnown = 4,   // after "<" in content: the tag is an element (or an end tag for '/')
};

struct ByteClassTable {
    unsigned char classes[kByteValues] = {};
    constexpr ByteClassTable()
    {
        for (unsigned c = 0; c < kByteValues; ++c) {
            if (simplexml::IsPropertyNameByte(static_cast<unsigned char>(c)))
                classes[c] |= kPropertyName;
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '/' || c == ':' || c == '>')
                classes[c] |= kElementNameEnd;
            if (c == ' ' || c == ':' || c == '>' || c == '/')
                classes[c] |= kTagKindKnown;
        }
    }
    bool Has(unsigned char c, ByteClass byteClass) const { return (classes[c] & byteClass) != 0; }
};
constexpr ByteClassTable kClasses;

// End of the run of bytes from `from` that are (or, with inClass false, are not) of byteClass.
// A local cursor, so that the loop keeps it in a register.
std::size_t RunEnd(std::string_view bytes, std::size_t from, ByteClass byteClass, bool inClass)
{
    std::size_t i = from;
    while (i < bytes.size() && kClasses.Has(static_cast<unsigned char>(bytes[i]), byteClass) == inClass)
        ++i;
    return i;
}

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kCDataClose = "]]>";
constexpr std::string_view kHeaderOpen = "<?xml";
constexpr std::string_view kDocTypeOpen = "<!DOCTYPE";
constexpr std::string_view kSheetOpen = "<?xml-stylesheet";
constexpr std::string_view kPrologKeywords[] = {kCDataOpen, kCommentOpen, kSheetOpen, kDocTypeOpen};

const char kPrologError[] = "Invalid Document: Unexpected text in file prolog";
const char kCommentEnd[] = "Invalid Comment: Unexpected end of data";
const char kCDataEnd[] = "Invalid CDATA: Unexpected end of data";
const char kSheetEnd[] = "Invalid Stylesheet: Unexpected end of data";

// message with one byte between double quotes: before"c"after.
std::string WithByte(const char* before, unsigned char c, const char* after)
{
    std::string message(before);
    message += '"';
    message += static_cast<char>(c);
    message += '"';
    message += after;
    return message;
}

std::string ExpectedButFound(const char* prefix, char expected, unsigned char found)
{
    std::string message(prefix);
    message += ": expected \"";
    message += expected;
    message += "\" but found \"";
    message += static_cast<char>(found);
    message += '"';
    return message;
}

} // namespace

void TSimpleXMLParser::Fail(const std::string& message) const
{
    throw ESimpleXMLError(message, FPos);
}

namespace {

bool LeavesUnchanged(std::string_view raw, const TSimpleXML& doc)
{
    // Without a hook the codecs change only references, which all start with '&'; most values
    // hold none, and this saves a call chain and a second scan for each of them. A hook says
    // itself which values it keeps.
    if (!doc.OnDecodeValue)
        return std::memchr(raw.data(), '&', raw.size()) == nullptr;
    return doc.DecodeKeepsValue != nullptr && doc.DecodeKeepsValue(raw);
}

} // namespace

bool TSimpleXMLParser::KeepsPlainValues(const TSimpleXML* doc)
{
    return doc == nullptr || !doc->OnDecodeValue || doc->DecodeValueSpan != nullptr;
}

void TSimpleXMLParser::Decode(std::string& value, const TSimpleXML* doc) const
{
    if (doc != nullptr && !LeavesUnchanged(value, *doc))
        doc->DecodeValue(value);
}

std::string_view TSimpleXMLParser::DecodedValue(std::string_view raw, const TSimpleXML* doc)
{
    if (doc == nullptr || LeavesUnchanged(raw, *doc))
        return raw;
    FScratch.assign(raw.data(), raw.size());
    doc->DecodeValue(FScratch);
    return FScratch;
}

TSimpleXMLProps& TSimpleXMLParser::PropertiesOf(TSimpleXMLElem& item)
{
    if (!item.FProps)
        item.FProps = Make<TSimpleXMLProps>(&item);
    return *item.FProps;
}

const std::string* TSimpleXMLParser::KeptElementName(std::string_view name)
{
    for (const std::string* kept : FKeptElementNames)
        if (kept != nullptr && *kept == name)
            return kept;
    const std::string* const kept = FArena.KeepString(name);
    FKeptElementNames[FNextKeptElementName] = kept;
    FNextKeptElementName = (FNextKeptElementName + 1) % kKeptElementNames;
    return kept;
}

void TSimpleXMLParser::SetValueOf(TSimpleXMLElem& item, std::string value)
{
    if (!item.FExtras && value.empty())
        return;
    if (!item.FExtras)
        item.FExtras = Make<TSimpleXMLElem::Extras>();
    item.FExtras->value = std::move(value);
}

TSimpleXMLElems& TSimpleXMLParser::ItemsOf(TSimpleXMLElem& item)
{
    if (!item.FItems)
        item.FItems = Make<TSimpleXMLElems>(&item);
    return *item.FItems;
}

void TSimpleXMLParser::SkipBlanks()
{
    while (!AtEnd() && IsBlank(Peek()))
        ++FPos;
}

bool TSimpleXMLParser::StartsWith(std::size_t at, std::string_view keyword) const
{
    return FBytes.size() - at >= keyword.size() && FBytes.compare(at, keyword.size(), keyword) == 0;
}

void TSimpleXMLParser::ExpectKeyword(std::string_view keyword, const char* errorPrefix, const char* endOfDataMessage)
{
    for (const char expected : keyword) {
        if (AtEnd())
            Fail(endOfDataMessage);
        if (Peek() != static_cast<unsigned char>(expected))
            Fail(ExpectedButFound(errorPrefix, expected, Peek()));
        ++FPos;
    }
}

void TSimpleXMLParser::ExpectHeaderEnd(const char* errorPrefix, const char* endOfDataMessage)
{
    ExpectKeyword("?>", errorPrefix, endOfDataMessage);
}

std::unique_ptr<TSimpleXMLElem> TSimpleXMLParser::RecognisePrologItem(bool& rootFollows)
{
    // The candidate grows one byte at a time from the '<' and is compared after each byte.
    const std::size_t start = FPos;
    for (std::size_t length = 2; start + length <= FBytes.size(); ++length) {
        const std::string_view candidate = FBytes.substr(start, length);
        if (candidate == kCDataOpen) {
            rootFollows = true;
            return nullptr;
        }
        if (candidate == kCommentOpen)
            return Make<TSimpleXMLElemComment>();
        if (candidate == kSheetOpen)
            return Make<TSimpleXMLElemSheet>();
        if (length == kHeaderOpen.size() + 1 && candidate.substr(0, kHeaderOpen.size()) == kHeaderOpen
            && IsBlank(static_cast<unsigned char>(candidate.back())))
            return Make<TSimpleXMLElemHeader>();
        if (candidate == kDocTypeOpen)
            return Make<TSimpleXMLElemDocType>();
        if (candidate[1] != '!' && candidate[1] != '?') {
            rootFollows = true;
            return nullptr;
        }
        bool prefixOfKeyword = false;
        for (const std::string_view keyword : kPrologKeywords)
            prefixOfKeyword = prefixOfKeyword || keyword.substr(0, length) == candidate;
        // Loading such a file as empty would let a save wipe it; refuse it instead.
        if (!prefixOfKeyword)
            Fail(kPrologError);
    }
    FPos = FBytes.size();
    return nullptr;
}

void TSimpleXMLParser::ParseProlog(TSimpleXMLElemsProlog& prolog)
{
    while (!AtEnd()) {
        if (IsBlank(Peek())) {
            ++FPos;
            continue;
        }
        if (Peek() != '<')
            Fail(kPrologError);
        bool rootFollows = false;
        std::unique_ptr<TSimpleXMLElem> item = RecognisePrologItem(rootFollows);
        if (!item)
            return;
        ParseItem(*item);
        prolog.Append(std::move(item));
    }
}

void TSimpleXMLParser::ParseItem(TSimpleXMLElem& item)
{
    switch (item.Kind()) {
    case TSimpleXMLElemKind::Classic: ParseElement(static_cast<TSimpleXMLElemClassic&>(item), 1); break;
    case TSimpleXMLElemKind::Text: ParseText(item); break;
    case TSimpleXMLElemKind::Comment: ParseComment(item); break;
    case TSimpleXMLElemKind::CData: ParseCData(item); break;
    case TSimpleXMLElemKind::Header: ParseHeader(static_cast<TSimpleXMLElemHeader&>(item)); break;
    case TSimpleXMLElemKind::DocType: ParseDocType(item); break;
    case TSimpleXMLElemKind::Sheet: ParseSheet(item); break;
    }
}

void TSimpleXMLParser::ParseElement(TSimpleXMLElemClassic& elem, int depth, bool madeHere)
{
    if (depth > kMaxNestingDepth)
        Fail("Invalid XML Element: nesting too deep");
    if (AtEnd()) {
        // Nothing to read still completes the element: a reused document must not keep the
        // previous root's value and prefix (the name stays, as for an unnamed tag).
        elem.SetValue(std::string());
        elem.SetNameSpace(std::string());
        return;
    }
    if (Peek() != '<')
        Fail(WithByte("Invalid XML Element: Expected beginning of tag but ", Peek(), " found"));
    ++FPos;
    std::string name;
    std::string prefix;
    std::string value;
    // The name counts only once the start tag is closed by '/' or '>'.
    bool named = false;
    while (!AtEnd()) {
        const unsigned char c = Peek();
        if (IsBlank(c)) {
            if (name.empty())
                Fail("Invalid XML Element: malformed tag found (no valid name)");
            ++FPos;
            ParseProperties(elem, FDoc);
        } else if (c == '/') {
            named = true;
            ++FPos;
            if (AtEnd())
                break;
            if (Peek() != '>')
                Fail(WithByte("Invalid XML Element: Expected end of tag but ", Peek(), " found"));
            ++FPos;
            break;
        } else if (c == ':') {
            prefix = std::move(name);
            name.clear();
            ++FPos;
        } else if (c == '>') {
            named = true;
            ++FPos;
            TSimpleXMLElems& items = ItemsOf(elem);
            const std::string closing = ParseChildren(items, depth);
            const bool matches = prefix.empty() ? simplexml::SameText(name, closing)
                                                : simplexml::SameText(prefix + ":" + name, closing);
            if (!matches)
                Fail("Invalid XML Element: Erroneous end of tag, expecting </" + name + "> but </" + closing
                     + "> found");
            if (items.Count() == 1 && items.Item(0)->Kind() == TSimpleXMLElemKind::Text) {
                if (const std::unique_ptr<TSimpleXMLElem::Extras>& extras = items.Item(0)->FExtras)
                    value = std::move(extras->value);
                items.Clear();
            }
            break;
        } else {
            const std::size_t start = FPos;
            FPos = RunEnd(FBytes, start, kElementNameEnd, false);
            name.append(FBytes.data() + start, FPos - start);
        }
    }
    if (named && madeHere && !name.empty())
        elem.FName.Share(KeptElementName(name));
    else if (named)
        elem.SetName(std::move(name));
    SetValueOf(elem, std::move(value));
    elem.SetNameSpace(std::move(prefix));
}

TSimpleXMLParser::TagKind TSimpleXMLParser::ClassifyTag(std::size_t at) const
{
    if (at >= FBytes.size())
        return TagKind::Unfinished;
    if (at + 1 < FBytes.size() && FBytes[at + 1] == '/')
        return TagKind::EndTag;
    // Neither keyword holds a byte that would decide the kind earlier; both start with "<!".
    if (at + 1 < FBytes.size() && FBytes[at + 1] == '!') {
        if (StartsWith(at, kCommentOpen))
            return TagKind::Comment;
        if (StartsWith(at, kCDataOpen))
            return TagKind::CData;
    }
    for (std::size_t i = at + 1; i < FBytes.size(); ++i)
        if (kClasses.Has(static_cast<unsigned char>(FBytes[i]), kTagKindKnown))
            return TagKind::Element;
    return TagKind::Unfinished;
}

std::string TSimpleXMLParser::ParseChildren(TSimpleXMLElems& list, int depth)
{
    list.Clear();
    TSimpleXMLElem* owner = list.Owner();
    if (depth == 1)
        StartSplitRead(owner);
    while (!AtEnd()) {
        if (FSplit) {
            // Taken over among the root's children only: arriving there inside one of them
            // means the line was not one of them.
            std::string closing;
            if (depth == 1 && TakeSplitRead(list, closing))
                return closing;
            if (depth > 1 && FPos >= FSplitAt)
                AbandonSplitRead();
        } else if (FCancelled != nullptr && FCancelled->load(std::memory_order_relaxed)) {
            return std::string();
        }
        const unsigned char c = Peek();
        if (IsBlank(c)) {
            ++FPos;
            continue;
        }
        if (c != '<') {
            ParseTextRun(list);
            continue;
        }
        switch (ClassifyTag(FPos)) {
        case TagKind::EndTag:
            FPos += 2;
            return ParseEndTagName();
        case TagKind::Comment: {
            auto comment = Make<TSimpleXMLElemComment>(owner);
            ParseComment(*comment);
            list.Append(std::move(comment));
            break;
        }
        case TagKind::CData: {
            auto cdata = Make<TSimpleXMLElemCData>(owner);
            ParseCData(*cdata);
            list.Append(std::move(cdata));
            break;
        }
        case TagKind::Element: {
            auto child = Make<TSimpleXMLElemClassic>(owner);
            ParseElement(*child, depth + 1, true);
            list.Append(std::move(child));
            break;
        }
        case TagKind::Unfinished:
            FPos = FBytes.size();
            return std::string();
        }
    }
    return std::string();
}

void TSimpleXMLParser::ParseTextRun(TSimpleXMLElems& list)
{
    const std::size_t start = FPos;
    const void* lt = std::memchr(FBytes.data() + start, '<', FBytes.size() - start);
    const std::size_t end = lt ? static_cast<std::size_t>(static_cast<const char*>(lt) - FBytes.data()) : FBytes.size();
    // Text that is an element's whole content keeps its trailing blanks. Between other items
    // they are the line end and indentation the writer puts there, so they are dropped, or
    // every save and load would add them again.
    const TagKind next = ClassifyTag(end);
    const bool wholeContent = list.Count() == 0 && (next == TagKind::EndTag || next == TagKind::Unfinished);
    std::size_t stop = end;
    if (!wholeContent)
        while (stop > start && IsBlank(static_cast<unsigned char>(FBytes[stop - 1])))
            --stop;
    auto text = Make<TSimpleXMLElemText>(list.Owner());
    std::string value(FBytes.substr(start, stop - start));
    Decode(value, FDoc);
    SetValueOf(*text, std::move(value));
    list.Append(std::move(text));
    FPos = end;
}

std::string TSimpleXMLParser::ParseEndTagName()
{
    std::string prefix;
    std::string name;
    while (!AtEnd()) {
        const char c = FBytes[FPos++];
        if (c == ':') {
            prefix = std::move(name);
            name.clear();
        } else if (c == '>') {
            return prefix.empty() ? name : prefix + ":" + name;
        } else {
            name.push_back(c);
        }
    }
    return std::string();
}

void TSimpleXMLParser::ParseProperties(TSimpleXMLElem& item, const TSimpleXML* doc)
{
    if (item.FProps)
        item.FProps->Clear();
    // Whatever was read reaches the item however the parser stops, an error included.
    struct Handover {
        TSimpleXMLParser& parser;
        TSimpleXMLElem& item;
        ~Handover()
        {
            parser.BuildProperties(item);
            parser.FPending.clear();
            parser.FPendingCopyBytes = 0;
            parser.FPendingPrefixed = false;
            parser.FDecoded.clear();
        }
    } handover{*this, item};
    // A local cursor, kept in a register rather than read back after every store through the
    // parser; FPos follows it on every way out.
    const std::string_view bytes = FBytes;
    std::size_t pos = FPos;
    struct Follow {
        std::size_t& from;
        std::size_t& to;
        ~Follow() { to = from; }
    } follow{pos, FPos};
    const auto unexpected = [this, &pos](unsigned char c) {
        FPos = pos;
        Fail(WithByte("Invalid XML Element: Unexpected character in property declaration (", c, " found)"));
    };
    const auto skipBlanks = [&bytes, &pos] {
        while (pos < bytes.size() && IsBlank(static_cast<unsigned char>(bytes[pos])))
            ++pos;
    };
    while (pos < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[pos]);
        if (IsBlank(c)) {
            ++pos;
            continue;
        }
        if (c == '/' || c == '>' || c == '?')
            return;
        if (!kClasses.Has(c, kPropertyName))
            unexpected(c);
        // The name is the run after the last ':', the prefix the run before it.
        std::string_view prefix;
        std::size_t start = pos;
        for (;;) {
            pos = simplexml::PropertyNameEnd(bytes, start);
            if (pos >= bytes.size())
                return;
            c = static_cast<unsigned char>(bytes[pos]);
            if (c != ':')
                break;
            prefix = bytes.substr(start, pos - start);
            start = ++pos;
        }
        const std::string_view name = bytes.substr(start, pos - start);
        if (IsBlank(c)) {
            skipBlanks();
            if (pos >= bytes.size())
                return;
            c = static_cast<unsigned char>(bytes[pos]);
        }
        if (c != '=')
            unexpected(c);
        ++pos;
        skipBlanks();
        if (pos >= bytes.size())
            return;
        const char quote = bytes[pos];
        if (quote != '"' && quote != '\'') {
            FPos = pos;
            Fail(WithByte("Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but ",
                          static_cast<unsigned char>(quote), "  found"));
        }
        ++pos;
        bool plain = false;
        const std::size_t close = simplexml::FindByteNotingPlain(bytes, pos, quote, plain);
        if (close == std::string_view::npos) {
            pos = bytes.size();
            return;
        }
        // Values are ended (and may be decoded) where they stand: never in bytes that a second
        // reader is reading.
        if (FSplit && close >= FSplitAt)
            AbandonSplitRead();
        const std::string_view raw = bytes.substr(pos, close - pos);
        pos = close + 1;
        // Most values are plain: kept as read, without a call.
        const std::string_view value = plain && KeepsPlainValues(doc) ? raw : ReadValue(raw, doc);
        // Only bytes handed in by code, never a file, can be this long.
        if ((raw.size() | value.size() | name.size()) > TSimpleXMLNameValue::kMaxSize)
            throw std::length_error("property text too long");
        if (name.empty())
            FNamelessProperty = true;
        if (!prefix.empty())
            FPendingPrefixed = true;
        if (!StaysInPlace(value, raw))
            FPendingCopyBytes += value.size() + 1;
        // Filled where it stands: a copy built on the stack cost a stall per property.
        PendingProp& pending = FPending.emplace_back();
        pending.name = name;
        pending.prefix = prefix;
        pending.value = value;
        pending.raw = raw;
        if (value.data() != raw.data()) {
            pending.decoded = true;
            pending.decodedAt = FDecoded.size();
            FDecoded.append(value.data(), value.size());
        }
    }
}

void TSimpleXMLParser::ParseText(TSimpleXMLElem& text)
{
    const std::size_t end = std::min(FBytes.find('<', FPos), FBytes.size());
    std::string value(FBytes.substr(FPos, end - FPos));
    FPos = end;
    Decode(value, FDoc);
    SetValueOf(text, std::move(value));
}

void TSimpleXMLParser::ParseComment(TSimpleXMLElem& comment)
{
    ExpectKeyword(kCommentOpen, "Invalid Comment", kCommentEnd);
    std::string content;
    for (;;) {
        const std::size_t dash = FBytes.find('-', FPos);
        if (dash == std::string_view::npos)
            Fail(kCommentEnd);
        content.append(FBytes.data() + FPos, dash - FPos);
        FPos = dash + 1;
        if (AtEnd())
            Fail(kCommentEnd);
        const char second = FBytes[FPos++];
        if (second != '-') {
            content += '-';
            content += second;
            continue;
        }
        if (AtEnd())
            Fail(kCommentEnd);
        const char third = FBytes[FPos++];
        if (third == '>')
            break;
        if (AtEnd())
            Fail(kCommentEnd);
        // "--X>" does not end the comment: all four bytes are content (so does "--->").
        if (Peek() != '>')
            Fail("Invalid Comment: \"--\" not allowed inside comments");
        ++FPos;
        content += "--";
        content += third;
        content += '>';
    }
    SetValueOf(comment, std::move(content));
}

void TSimpleXMLParser::ParseCData(TSimpleXMLElem& cdata)
{
    ExpectKeyword(kCDataOpen, "Invalid CDATA", kCDataEnd);
    const std::size_t close = FBytes.find(kCDataClose, FPos);
    if (close == std::string_view::npos) {
        FPos = FBytes.size();
        Fail(kCDataEnd);
    }
    SetValueOf(cdata, std::string(FBytes.substr(FPos, close - FPos)));
    FPos = close + kCDataClose.size();
}

void TSimpleXMLParser::ParseHeader(TSimpleXMLElemHeader& header)
{
    ExpectKeyword(kHeaderOpen, "Invalid Header", kCommentEnd);
    ParseProperties(header, nullptr);
    ExpectHeaderEnd("Invalid Header", kCommentEnd);
    TSimpleXMLProps& props = PropertiesOf(header);
    const auto valueOf = [&props](const char* name) {
        const TSimpleXMLProp* prop = props.Find(name);
        return prop ? prop->Value() : std::string();
    };
    header.SetVersion(valueOf("version"));
    header.SetEncoding(valueOf("encoding"));
    header.SetStandAlone(valueOf("standalone") == "yes");
    props.Clear();
}

void TSimpleXMLParser::ParseDocType(TSimpleXMLElem& docType)
{
    ExpectKeyword(kDocTypeOpen, "Invalid Header", kCommentEnd);
    const std::size_t start = FPos;
    bool inBrackets = false;
    for (;;) {
        if (AtEnd())
            Fail(kCommentEnd);
        const char c = FBytes[FPos++];
        if (inBrackets)
            inBrackets = c != ']';
        else if (c == '[')
            inBrackets = true;
        else if (c == '>')
            break;
    }
    constexpr unsigned char kHighestControl = ' ';
    std::size_t first = start;
    std::size_t last = FPos - 1;
    while (first < last && static_cast<unsigned char>(FBytes[first]) <= kHighestControl)
        ++first;
    while (last > first && static_cast<unsigned char>(FBytes[last - 1]) <= kHighestControl)
        --last;
    SetValueOf(docType, std::string(FBytes.substr(first, last - first)));
}

void TSimpleXMLParser::ParseSheet(TSimpleXMLElem& sheet)
{
    ExpectKeyword(kSheetOpen, "Invalid Stylesheet", kSheetEnd);
    ParseProperties(sheet, nullptr);
    ExpectHeaderEnd("Invalid Stylesheet", kSheetEnd);
}
