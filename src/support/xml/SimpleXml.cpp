#include "support/xml/SimpleXml.h"

#include "support/xml/SimpleXmlParser.h"
#include "support/xml/SimpleXmlWriter.h"
#include "support/xml/UnicodeCodecs.h"

#include <algorithm>

namespace {
// Room a save of a document read from bytes reserves beyond their size, for entities and the
// like that the writer adds: one part in this many.
constexpr std::size_t kSaveMarginDivisor = 8;
// From about this size a save is written by two threads.
constexpr std::size_t kSplitWriteBytes = std::size_t(1) << 20;
}  // namespace

TSimpleXML::TSimpleXML() : FRoot(std::make_unique<TSimpleXMLElemClassic>())
{
    FRoot->OwnExtras().document = this;
}

TSimpleXML::~TSimpleXML() = default;

void TSimpleXML::SetIndentString(const std::string& indent)
{
    for (const char c : indent)
        if (c != ' ' && c != '\t')
            return;
    FIndentString = indent;
}

void TSimpleXML::SetFileName(const std::string& path)
{
    FFileName = path;
    LoadFromFile(path);
}

void TSimpleXML::LoadFromFile(const std::string& path)
{
    LoadFromBuffer(ReadWholeFile(path));
}

void TSimpleXML::LoadFromStream(TStream& stream)
{
    FRoot->Clear();
    FProlog.Clear();
    FBuffer.reset();
    ParseFromStream(stream, this, [this](TSimpleXMLParser& parser) { ParseDocument(parser); });
}

void TSimpleXML::SwapContent(TSimpleXML& other)
{
    FRoot.swap(other.FRoot);
    FProlog.Swap(other.FProlog);
    // Values read in place live in the buffer: it goes with the root that points into it.
    FBuffer.swap(other.FBuffer);
    std::swap(FReadNamelessProperty, other.FReadNamelessProperty);
    // A root knows its document (value hooks are found through it).
    FRoot->OwnExtras().document = this;
    other.FRoot->OwnExtras().document = &other;
}

void TSimpleXML::LoadFromString(std::string_view bytes)
{
    FRoot->Clear();
    FProlog.Clear();
    FBuffer.reset();
    TSimpleXMLParser parser(bytes, this);
    ParseDocument(parser);
}

std::size_t TSimpleXML::LoadFromBuffer(std::string bytes, std::size_t start)
{
    FRoot->Clear();
    FProlog.Clear();
    FBuffer = std::make_shared<std::string>(std::move(bytes));
    start = std::min(start, FBuffer->size());
    TSimpleXMLParser parser(FBuffer, start, this);
    try {
        ParseDocument(parser);
    } catch (const ESimpleXMLError& error) {
        // The parser counts from start; callers place the error in the whole buffer.
        throw ESimpleXMLError(error.what(), start + error.Offset());
    }
    return start + parser.Position();
}

void TSimpleXML::ParseDocument(TSimpleXMLParser& parser)
{
    FReadNamelessProperty = true;  // unknown unless the parse completes
    parser.ParseProlog(FProlog);
    parser.ParseElement(*FRoot, 1);
    FReadNamelessProperty = parser.ReadNamelessProperty();
}

void TSimpleXML::SaveToFile(const std::string& path)
{
    WriteFileAtomically(path, SaveToString());
}

void TSimpleXML::EnsureHeader()
{
    for (int i = 0; i < FProlog.Count(); ++i)
        if (FProlog.Item(i)->Kind() == TSimpleXMLElemKind::Header)
            return;
    FProlog.Append(std::make_unique<TSimpleXMLElemHeader>());
}

void TSimpleXML::WriteDocument(TSimpleXMLWriter& writer, std::size_t splitBytes)
{
    EnsureHeader();
    const std::string noIndent;
    for (int i = 0; i < FProlog.Count(); ++i)
        writer.WriteItem(*FProlog.Item(i), noIndent, nullptr);
    if (splitBytes >= kSplitWriteBytes)
        writer.WriteItemInTwo(*FRoot, noIndent, this, splitBytes / 2);
    else
        writer.WriteItem(*FRoot, noIndent, this);
}

void TSimpleXML::SaveToStream(TStream& stream)
{
    WriteToStream(stream, [this](TSimpleXMLWriter& writer) { WriteDocument(writer, 0); });
}

std::string TSimpleXML::SaveToString()
{
    // One buffer that grows to the whole text, with no stream and no copy behind it.
    TSimpleXMLWriter writer;
    // A document read from bytes it kept writes about as many again; others are measured.
    const std::size_t bytes = FBuffer ? FBuffer->size() + FBuffer->size() / kSaveMarginDivisor
                                      : TSimpleXMLWriter::EstimateSize(*FRoot);
    writer.Reserve(bytes);
    // A big page is written by two threads, a half of the root's children each.
    WriteDocument(writer, bytes);
    return writer.TakeOutput();
}

void TSimpleXML::DecodeValue(std::string& value) const
{
    if (OnDecodeValue)
        OnDecodeValue(value);
    else if (FOptions.Contains(sxoAutoEncodeValue))
        XmlValueDecodeInPlace(value);
    else if (FOptions.Contains(sxoAutoEncodeEntity))
        EntityDecodeInPlace(value);
}

void TSimpleXML::EncodeValue(std::string& value) const
{
    std::string encoded;
    AppendEncodedValue(encoded, value);
    value = std::move(encoded);
}

void TSimpleXML::AppendEncodedValue(std::string& out, std::string_view value) const
{
    if (OnAppendEncodedValue) {
        OnAppendEncodedValue(out, value);
    } else if (OnEncodeValue) {
        // One scratch string per thread, so a value costs no allocation of its own.
        thread_local std::string converted;
        converted.assign(value.data(), value.size());
        OnEncodeValue(converted);
        out += converted;
    } else if (FOptions.Contains(sxoAutoEncodeValue)) {
        AppendXmlValueEncoded(out, value);
    } else if (FOptions.Contains(sxoAutoEncodeEntity)) {
        AppendEntityEncoded(out, value);
    } else {
        out.append(value.data(), value.size());
    }
}

void TSimpleXMLElem::LoadFromStream(TStream& stream, TSimpleXML* doc)
{
    ParseFromStream(stream, doc, [this](TSimpleXMLParser& parser) { parser.ParseItem(*this); });
}

void TSimpleXMLElem::SaveToStream(TStream& stream, const std::string& indent) const
{
    const TSimpleXML* doc = Document();
    WriteToStream(stream, [&](TSimpleXMLWriter& writer) { writer.WriteItem(*this, indent, doc); });
}
