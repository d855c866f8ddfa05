// libFuzzer target: loads arbitrary bytes as a document, with and without value hooks, then
// writes whatever was built. Any crash, leak or sanitizer report is a failure.
#include "support/xml/SimpleXml.h"
#include "support/xml/SimpleXmlParser.h"
#include "support/xml/UnicodeCodecs.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Bits of the first input byte choosing the configuration.
enum ConfigBits : std::uint8_t {
    kUseHooks = 1,
    kAutoCreate = 2,
    kAutoIndent = 4,
    kValueCodec = 8,
    kEntityCodec = 16,
};

void Configure(TSimpleXML& doc, std::uint8_t config)
{
    TSimpleXMLOptions options;
    if (config & kAutoCreate)
        options.Include(sxoAutoCreate);
    if (config & kAutoIndent)
        options.Include(sxoAutoIndent);
    if (config & kValueCodec)
        options.Include(sxoAutoEncodeValue);
    if (config & kEntityCodec)
        options.Include(sxoAutoEncodeEntity);
    doc.SetOptions(options);
    if (config & kUseHooks) {
        doc.OnDecodeValue = [](std::string& value) {
            value = FiveEntityDecode(Utf16ToEditingCodePage(Utf8ToUtf16(value)));
        };
        doc.OnEncodeValue = [](std::string& value) {
            value = FiveEntityEncode(Utf16ToUtf8(EditingCodePageToUtf16(value)));
        };
    }
}

// What a load from a buffer the parser may overwrite gives: the document written, or the error
// and its place.
std::string BufferOutcome(const std::string& bytes, std::uint8_t config, std::size_t splitReadBytes)
{
    const std::size_t before = TSimpleXMLParser::SetSplitReadBytes(splitReadBytes);
    TSimpleXML doc;
    Configure(doc, config);
    std::string outcome;
    try {
        doc.LoadFromBuffer(bytes);
        outcome = doc.SaveToString() + (doc.ReadNamelessProperty() ? "\nnameless" : "");
    } catch (const ESimpleXMLError& error) {
        outcome = std::string(error.what()) + " at " + std::to_string(error.Offset());
    }
    TSimpleXMLParser::SetSplitReadBytes(before);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // A second thread reading the root's later children changes nothing.
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (BufferOutcome(bytes, data[0], 0) != BufferOutcome(bytes, data[0], std::numeric_limits<std::size_t>::max()))
        std::abort();
    TSimpleXML doc;
    Configure(doc, data[0]);
    TMemoryStream stream(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    bool loaded = true;
    try {
        doc.LoadFromStream(stream);
    } catch (const ESimpleXMLError&) {
        loaded = false;
    }
    if (stream.Position() > stream.Size())
        std::abort();
    // Lookups and the writer must cope with whatever the parser built.
    TSimpleXMLElem& root = doc.Root();
    for (int i = 0; i < root.ItemCount(); ++i)
        root.Items().Item(i)->Properties().Value("Name");
    const std::string written = doc.SaveToString();
    if (loaded) {
        TSimpleXML again;
        Configure(again, data[0]);
        try {
            again.LoadFromString(written);
        } catch (const ESimpleXMLError&) {
            // Names may hold bytes that read back differently; only crashes matter here.
        }
    }
    return 0;
}
