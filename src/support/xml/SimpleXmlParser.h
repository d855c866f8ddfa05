#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/xml/SimpleXmlElems.h"

// Deeper elements are refused, so that parsing, writing and freeing stay within the stack.
constexpr int kMaxNestingDepth = 1000;

// Builds document items from bytes held in memory, one function per construct. Values are
// decoded for the given document; prolog items and items without one are kept raw.
class TSimpleXMLParser {
public:
    TSimpleXMLParser(std::string_view bytes, const TSimpleXML* doc) : FBytes(bytes), FDoc(doc) {}
    // Reads source from start on and may overwrite it: property values stay where they are in
    // it, ended by a '\0' over their closing quote (decoded in place where that fits), instead
    // of being copied one by one. The objects made keep source alive. Bytes outside values, and
    // every byte after the last value read, stay as they were.
    TSimpleXMLParser(std::shared_ptr<std::string> source, std::size_t start, const TSimpleXML* doc);
    TSimpleXMLParser(const TSimpleXMLParser&) = delete;
    TSimpleXMLParser& operator=(const TSimpleXMLParser&) = delete;

    // From this many bytes on, a parse that may keep values in place has a second thread read
    // the root's children from a line in the middle while this one reads up to it; its items
    // are taken over only when this reader arrives exactly there, so the document is the same
    // as one thread would build. Returns the previous limit (tests lower it).
    static std::size_t SetSplitReadBytes(std::size_t bytes);

    // The declarations before the root; stops in front of the root's start tag.
    void ParseProlog(TSimpleXMLElemsProlog& prolog);
    // An element and everything below it; depth 1 is the outermost element.
    // madeHere: the parse made elem in its arena, so it may share the names the arena keeps.
    void ParseElement(TSimpleXMLElemClassic& elem, int depth, bool madeHere = false);
    // The construct of item's kind.
    void ParseItem(TSimpleXMLElem& item);

    // Offset of the next byte to read.
    std::size_t Position() const { return FPos; }
    // Whether a property without a name ("=" alone, or a name ending in ':') was read.
    bool ReadNamelessProperty() const { return FNamelessProperty; }

private:
    // What a '<' in content starts.
    enum class TagKind { EndTag, Comment, CData, Element, Unfinished };

    std::string ParseChildren(TSimpleXMLElems& list, int depth);
    // The second reader of the root's children: started for a big enough buffer, taken over
    // when this reader arrives at its first item, given up when it passes it.
    struct SplitRead;
    // Waits for the second reader, then frees what it read.
    struct SplitReadEnd {
        void operator()(SplitRead* split) const;
    };
    void StartSplitRead(TSimpleXMLElem* owner);
    bool TakeSplitRead(TSimpleXMLElems& list, std::string& closing);
    void AbandonSplitRead();
    // Writes the '\0' after each value of the items (and those below them) that a second reader
    // left in the bytes.
    void EndValuesInPlace(const TSimpleXMLElems& items);
    void ParseTextRun(TSimpleXMLElems& list);
    std::string ParseEndTagName();
    // Reads the properties of a start tag into a new list of the item's.
    void ParseProperties(TSimpleXMLElem& item, const TSimpleXML* doc);
    void ParseText(TSimpleXMLElem& text);
    void ParseComment(TSimpleXMLElem& comment);
    void ParseCData(TSimpleXMLElem& cdata);
    void ParseHeader(TSimpleXMLElemHeader& header);
    void ParseDocType(TSimpleXMLElem& docType);
    void ParseSheet(TSimpleXMLElem& sheet);
    // Classifies the prolog construct that starts at FPos; the unrecognised ones raise.
    std::unique_ptr<TSimpleXMLElem> RecognisePrologItem(bool& rootFollows);

    TagKind ClassifyTag(std::size_t at) const;
    bool StartsWith(std::size_t at, std::string_view keyword) const;
    void ExpectKeyword(std::string_view keyword, const char* errorPrefix, const char* endOfDataMessage);
    void ExpectHeaderEnd(const char* errorPrefix, const char* endOfDataMessage);
    void Decode(std::string& value, const TSimpleXML* doc) const;
    // The decoded form of raw: raw itself when decoding leaves it as it is, else the scratch
    // string, valid until the next call.
    std::string_view DecodedValue(std::string_view raw, const TSimpleXML* doc);
    // Whether a value read as raw and decoded to value stays where it was read.
    bool StaysInPlace(std::string_view value, std::string_view raw) const
    {
        return FWritable != nullptr ? value.size() <= raw.size() : FDeferEnds && value.data() == raw.data();
    }
    // Whether values read for doc that are ASCII without an '&' are kept as read: so they are by
    // the built-in codecs and, by their contract, by span hooks.
    static bool KeepsPlainValues(const TSimpleXML* doc);
    // The value of the property whose bytes as read are raw: decoded where it stands when the
    // parse may overwrite its bytes and doc decodes spans, else DecodedValue(raw, doc).
    std::string_view ReadValue(std::string_view raw, const TSimpleXML* doc);
    // The arena's copy of a property name.
    const char* KeptName(std::string_view name);
    // Keeps a copy of a name missing from both its slots.
    const char* KeepName(std::string_view* slots, std::string_view name);
    // Gives the item a list of the properties read from one tag: side by side behind the list
    // in one arena allocation, the values that cannot stay in place behind them.
    void BuildProperties(TSimpleXMLElem& item);
    void SkipBlanks();

    // A new object with its memory from the arena.
    template <class T, class... Args>
    std::unique_ptr<T> Make(Args&&... args)
    {
        return std::unique_ptr<T>(new (FArena) T(std::forward<Args>(args)...));
    }
    // The item's lists, made in the arena when they do not exist yet.
    TSimpleXMLProps& PropertiesOf(TSimpleXMLElem& item);
    TSimpleXMLElems& ItemsOf(TSimpleXMLElem& item);
    // The arena's string for an item name, shared by the items of this parse.
    const std::string* KeptElementName(std::string_view name);
    // Item.SetValue(value), with the item's extras, if it needs them, from the arena.
    void SetValueOf(TSimpleXMLElem& item, std::string value);

    bool AtEnd() const { return FPos >= FBytes.size(); }
    unsigned char Peek() const { return static_cast<unsigned char>(FBytes[FPos]); }
    [[noreturn]] void Fail(const std::string& message) const;

    std::string_view FBytes;
    bool FNamelessProperty = false;
    // FBytes' own bytes, writable, while the parse may keep values in place; else null.
    char* FWritable = nullptr;
    // What keeps FBytes alive when values stay in them.
    std::shared_ptr<std::string> FSource;
    // A second reader: values that need no decoding stay in the bytes unended, for the first
    // reader to end once it takes the items over.
    bool FDeferEnds = false;
    const TSimpleXML* FDoc;
    std::size_t FPos = 0;
    TSimpleXMLArena FArena;
    std::unique_ptr<SplitRead, SplitReadEnd> FSplit;
    std::size_t FSplitAt = 0;  // where the second reader started
    // Set on a second reader: its work is not wanted any more.
    const std::atomic<bool>* FCancelled = nullptr;
    // A property of the start tag being read.
    struct PendingProp {
        std::string_view name;
        std::string_view prefix;
        std::string_view value;  // the bytes as read, unless decoded
        std::string_view raw;    // the bytes as read
        std::size_t decodedAt = 0; // else its bytes in FDecoded
        bool decoded = false;
    };
    // The properties of the start tag being read, handed to their list in one step; reused.
    std::vector<PendingProp> FPending;
    // What they need beyond the properties themselves: bytes for values that cannot stay in
    // place, and whether any has a prefix.
    std::size_t FPendingCopyBytes = 0;
    bool FPendingPrefixed = false;
    // Values that decoding changed, one after another, and room for the one being decoded.
    std::string FDecoded;
    std::string FScratch;
    // Property names recently kept in the arena (see TSimpleXMLArena::Keep), by a hash of their
    // size and last byte: a page repeats a handful of names tens of thousands of times, and
    // every property with one of them refers to the same copy.
    static constexpr std::size_t kKeptNameSlots = 64;
    std::string_view FKeptNames[kKeptNameSlots];
    // Item names recently kept, the oldest replaced first: a page has a handful.
    static constexpr std::size_t kKeptElementNames = 8;
    const std::string* FKeptElementNames[kKeptElementNames] = {};
    std::size_t FNextKeptElementName = 0;
};

// Runs parse on the bytes from the stream's position to its end, then leaves the stream right
// after what was parsed (also when parse raises).
template <class ParseFunction>
void ParseFromStream(TStream& stream, const TSimpleXML* doc, ParseFunction parse)
{
    const std::uint64_t start = stream.Position();
    std::string copy;
    std::string_view bytes;
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
        bytes = memory->Remaining();
    } else {
        copy = stream.ReadRemaining();
        bytes = copy;
    }
    TSimpleXMLParser parser(bytes, doc);
    try {
        parse(parser);
    } catch (...) {
        stream.SetPosition(start + parser.Position());
        throw;
    }
    stream.SetPosition(start + parser.Position());
}
