#pragma once

#include <string>
#include <string_view>

#include "support/xml/SimpleXmlElems.h"
#include "support/xml/XmlStream.h"

// Turns items back into bytes, one construct per line ended by CR LF. Output is collected in
// memory and handed to the stream in large blocks; a short write raises EWriteError.
class TSimpleXMLWriter {
public:
    explicit TSimpleXMLWriter(TStream& out) : FOut(&out) { FBuffer.reserve(kFlushThreshold + kFlushSlack); }
    // A writer that keeps the whole output in one growing buffer; TakeOutput() hands it over.
    TSimpleXMLWriter() = default;

    // Writes item (for an element, everything below it) with indent before its first line;
    // values are encoded for doc, or written unchanged without one.
    void WriteItem(const TSimpleXMLElem& item, std::string_view indent, const TSimpleXML* doc);
    // WriteItem, with the second half of an element's children written by another thread into a
    // buffer of its own, of about `halfBytes`, when there is a second processor: a writer without
    // a stream only. The bytes are the same.
    void WriteItemInTwo(const TSimpleXMLElem& item, std::string_view indent, const TSimpleXML* doc,
                        std::size_t halfBytes);
    // Hands everything still held to the stream (nothing to do without one).
    void Flush();
    std::string TakeOutput() { return std::move(FBuffer); }
    // Makes room for `bytes` more output at once, so one buffer takes a whole document.
    void Reserve(std::size_t bytes) { FBuffer.reserve(FBuffer.size() + bytes); }
    // About the bytes `top` and everything below it take once written (values before encoding,
    // plus a margin for the references encoding adds).
    static std::size_t EstimateSize(const TSimpleXMLElem& top);
    // Drops the piece being produced when a failure interrupted it, so that the stream gets
    // whole pieces only: a tag start, a block of properties, the rest of an item.
    void DiscardUnfinishedPiece() { FBuffer.resize(FPieceStart); }

private:
    void WriteElementTree(const TSimpleXMLElem& top, std::string_view indent, const TSimpleXML* doc);
    void WriteLeaf(const TSimpleXMLElem& item, std::string_view indent, const TSimpleXML* doc);
    // An element's start tag and line end, before its children; its end tag after them.
    void WriteOpeningLine(const TSimpleXMLElem& elem, std::string_view indent, const TSimpleXML* doc);
    void WriteClosingLine(const TSimpleXMLElem& elem, std::string_view indent);
    void WriteHeader(const TSimpleXMLElemHeader& header, std::string_view indent);
    void WriteProperties(const TSimpleXMLElem& item, const TSimpleXML* doc);
    void PutValue(std::string_view value, const TSimpleXML* doc);
    void Put(std::string_view bytes) { FBuffer.append(bytes.data(), bytes.size()); }
    void FlushWhenFull();
    void StartPiece() { FPieceStart = FBuffer.size(); }

    // Output reaches the stream in blocks of about this size.
    static constexpr std::size_t kFlushThreshold = 64 * 1024;
    static constexpr std::size_t kFlushSlack = 4 * 1024; // the piece that crosses the threshold

    TStream* FOut = nullptr;
    std::string FBuffer;
    std::size_t FPieceStart = 0;
};

// Runs write on a writer over out and flushes it; what was produced before a failure (a hook
// that raises) still reaches the stream.
template <class WriteFunction>
void WriteToStream(TStream& out, WriteFunction write)
{
    TSimpleXMLWriter writer(out);
    try {
        write(writer);
    } catch (...) {
        try {
            writer.DiscardUnfinishedPiece();
            writer.Flush();
        } catch (...) {
            // The first failure is the one to report.
        }
        throw;
    }
    writer.Flush();
}
