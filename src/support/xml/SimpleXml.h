#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "support/xml/SimpleXmlElems.h"
#include "support/xml/XmlStream.h"

class TSimpleXMLParser;
class TSimpleXMLWriter;

// Hook that converts one value in place while a document is read or written.
using TSimpleXMLEncodeEvent = std::function<void(std::string&)>;
// Hook that appends the encoded form of a value to the output while a document is written.
using TSimpleXMLAppendEvent = std::function<void(std::string& out, std::string_view value)>;
// Tells whether a decode hook leaves a value as it is.
using TSimpleXMLKeepsValueTest = bool (*)(std::string_view value);
// Decodes bytes[0 .. size) where they stand and returns the decoded size, or npos, leaving the
// bytes as they were, when the decoded form would not fit.
using TSimpleXMLDecodeSpan = std::size_t (*)(char* bytes, std::size_t size);

// One XML file in memory: the prolog, the root element and the value conversion settings.
class TSimpleXML {
public:
    TSimpleXML();
    ~TSimpleXML();
    TSimpleXML(const TSimpleXML&) = delete;
    TSimpleXML& operator=(const TSimpleXML&) = delete;

    TSimpleXMLElemClassic& Root() { return *FRoot; }
    const TSimpleXMLElemClassic& Root() const { return *FRoot; }
    TSimpleXMLElemsProlog& Prolog() { return FProlog; }
    const TSimpleXMLElemsProlog& Prolog() const { return FProlog; }

    TSimpleXMLOptions& Options() { return FOptions; }
    const TSimpleXMLOptions& Options() const { return FOptions; }
    void SetOptions(TSimpleXMLOptions options) { FOptions = options; }

    const std::string& IndentString() const { return FIndentString; }
    // Accepts only spaces and tabs (or nothing); any other string leaves the old value.
    void SetIndentString(const std::string& indent);

    const std::string& FileName() const { return FFileName; }
    // Stores the path and loads the file.
    void SetFileName(const std::string& path);

    // Called for every value read (decode) or written (encode) below the root, in place of the
    // built-in codec that the options select.
    TSimpleXMLEncodeEvent OnDecodeValue;
    TSimpleXMLEncodeEvent OnEncodeValue;
    // The writer's form of OnEncodeValue: when set, it is called in its place while writing and
    // must give the same bytes (it saves a copy of every value).
    TSimpleXMLAppendEvent OnAppendEncodedValue;
    // Optional companion of OnDecodeValue: when it answers true, the parser keeps the value as
    // read instead of calling the hook. It must never answer true for a value the hook changes.
    TSimpleXMLKeepsValueTest DecodeKeepsValue = nullptr;
    // Optional companion of OnDecodeValue for bytes the parser may overwrite (LoadFromBuffer):
    // it is called in place of the hook and of DecodeKeepsValue and must give the same bytes as
    // the hook, unless it answers npos. The hook must keep ASCII values without an '&' as they
    // are: with DecodeValueSpan set the parser calls neither for them.
    TSimpleXMLDecodeSpan DecodeValueSpan = nullptr;

    // Reads the whole file, then parses it; raises EFOpenError or ESimpleXMLError.
    void LoadFromFile(const std::string& path);
    // Parses from the stream's position and leaves the stream right after the root element.
    void LoadFromStream(TStream& stream);
    // Parses bytes held in memory.
    void LoadFromString(std::string_view bytes);
    // Exchanges the prolog and root with `other`'s; options, hooks and file names stay. Lets a
    // caller read a file completely into a document of its own before giving up the one held.
    void SwapContent(TSimpleXML& other);
    // Parses bytes from start on, taking them over: values are read where they stand instead of
    // being copied, and the document keeps the bytes for as long as any item of it lives. Returns
    // the offset right after the root element.
    std::size_t LoadFromBuffer(std::string bytes, std::size_t start = 0);
    // The bytes the last LoadFromBuffer took, empty after any other load. The parse overwrote
    // bytes inside property values; every byte outside them, such as the '>' that ends the root
    // and all that follows it, is as read. Where the page hooks decode (five entities, no
    // numeric references), the bytes up to any offset hold the lines and characters they held
    // as read: the place of a load error is counted in them.
    std::string_view Buffer() const { return FBuffer ? std::string_view(*FBuffer) : std::string_view(); }
    // False when the last load read only properties with names: a check for nameless ones
    // need not visit them all.
    bool ReadNamelessProperty() const { return FReadNamelessProperty; }

    // Replaces the file atomically; a failure (EStreamError) leaves the old file intact.
    void SaveToFile(const std::string& path);
    // Writes the prolog (adding the default declaration when there is none) and the root.
    void SaveToStream(TStream& stream);
    std::string SaveToString();

    // The decode and encode steps for one value: the hook, else the codec of the options.
    void DecodeValue(std::string& value) const;
    void EncodeValue(std::string& value) const;
    // Appends the encoded form of value to out.
    void AppendEncodedValue(std::string& out, std::string_view value) const;

private:
    void ParseDocument(TSimpleXMLParser& parser);
    void EnsureHeader();
    // The root's children are written by two threads when `splitBytes` (the expected size) is big.
    void WriteDocument(TSimpleXMLWriter& writer, std::size_t splitBytes);

    std::unique_ptr<TSimpleXMLElemClassic> FRoot;
    TSimpleXMLElemsProlog FProlog;
    TSimpleXMLOptions FOptions{sxoAutoIndent, sxoAutoEncodeValue, sxoAutoEncodeEntity};
    std::string FIndentString = "  ";
    std::string FFileName;
    std::shared_ptr<std::string> FBuffer;
    bool FReadNamelessProperty = false;
};
