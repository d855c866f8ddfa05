#include "support/xml/SimpleXmlWriter.h"

#include <future>
#include <thread>
#include <vector>

#include "support/xml/SimpleXml.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Per element: "<", ">", "</", ">" or "/>", a line end and an indent; per property: the
// blank, "=" and two quotes. A value grows by about an eighth when its references are written.
constexpr std::size_t kElementOverhead = 12;
constexpr std::size_t kPropertyOverhead = 4;
constexpr std::size_t kEncodingMarginDivisor = 8;
// Property names up to this length are written with their frame, ' ' before and '="' after, in
// one piece.
constexpr std::size_t kShortName = 48;
constexpr std::size_t kNameFrameBytes = 3;

// An element whose children are being written. Every indentation is a prefix of one shared
// string, so deep trees cost memory in proportion to their depth only.
struct OpenElement {
    const TSimpleXMLElem* elem;
    int nextChild;
    std::size_t indentLength;      // before its own tags
    std::size_t childIndentLength; // before its children's first lines
};

} // namespace

std::size_t TSimpleXMLWriter::EstimateSize(const TSimpleXMLElem& top)
{
    const auto valueBytes = [](std::size_t size) { return size + size / kEncodingMarginDivisor; };
    std::size_t bytes = 0;
    std::vector<const TSimpleXMLElem*> pending{&top};
    while (!pending.empty()) {
        const TSimpleXMLElem& elem = *pending.back();
        pending.pop_back();
        bytes += kElementOverhead + 2 * (elem.NameSpace().size() + elem.Name().size()) + valueBytes(elem.Value().size());
        if (const TSimpleXMLProps* props = elem.PropertiesIfAny()) {
            for (int i = 0; i < props->Count(); ++i) {
                const TSimpleXMLProp& prop = *props->Item(i);
                bytes += kPropertyOverhead + prop.NameSpace().size() + prop.Name().size() + valueBytes(prop.Value().size());
            }
        }
        if (const TSimpleXMLElems* items = elem.ItemsIfAny())
            for (int i = 0; i < items->Count(); ++i)
                pending.push_back(items->Item(i));
    }
    return bytes;
}

void TSimpleXMLWriter::Flush()
{
    if (FOut == nullptr)
        return;
    FPieceStart = 0;
    // The buffer is emptied even when the write fails, so nothing reaches the stream twice; it
    // keeps its capacity for the next block.
    try {
        FOut->WriteAll(FBuffer);
    } catch (...) {
        FBuffer.clear();
        throw;
    }
    FBuffer.clear();
}

void TSimpleXMLWriter::FlushWhenFull()
{
    if (FOut != nullptr && FBuffer.size() >= kFlushThreshold)
        Flush();
}

void TSimpleXMLWriter::PutValue(std::string_view value, const TSimpleXML* doc)
{
    if (doc != nullptr)
        doc->AppendEncodedValue(FBuffer, value);
    else
        Put(value);
}

void TSimpleXMLWriter::WriteProperties(const TSimpleXMLElem& item, const TSimpleXML* doc)
{
    const TSimpleXMLProps* props = item.PropertiesIfAny();
    if (props == nullptr)
        return;
    StartPiece();
    for (int i = 0; i < props->Count(); ++i) {
        const TSimpleXMLProp* prop = props->Item(i);
        const std::string_view name = prop->Name();
        if (prop->NameSpace().empty() && name.size() <= kShortName) {
            // The blank, the name and the '="' in one piece: a page has hundreds of thousands.
            char start[kShortName + kNameFrameBytes];
            start[0] = ' ';
            name.copy(start + 1, name.size());
            start[name.size() + 1] = '=';
            start[name.size() + 2] = '"';
            Put(std::string_view(start, name.size() + kNameFrameBytes));
        } else {
            Put(" ");
            if (!prop->NameSpace().empty()) {
                Put(prop->NameSpace());
                Put(":");
            }
            Put(name);
            Put("=\"");
        }
        PutValue(prop->Value(), doc);
        FBuffer.push_back('"');
    }
}

void TSimpleXMLWriter::WriteItem(const TSimpleXMLElem& item, std::string_view indent, const TSimpleXML* doc)
{
    if (item.Kind() == TSimpleXMLElemKind::Classic)
        WriteElementTree(item, indent, doc);
    else
        WriteLeaf(item, indent, doc);
}

void TSimpleXMLWriter::WriteElementTree(const TSimpleXMLElem& top, std::string_view indent, const TSimpleXML* doc)
{
    const bool autoIndent = doc != nullptr && doc->Options().Contains(sxoAutoIndent);
    const std::string step = autoIndent ? doc->IndentString() : std::string();
    std::string indents(indent);
    // An explicit stack instead of recursion, so that no depth can exhaust the call stack.
    std::vector<OpenElement> open;
    const auto start = [&](const TSimpleXMLElem& elem, std::size_t indentLength) {
        const bool hasChildren = elem.ItemCount() > 0;
        const std::size_t childIndentLength = indentLength + step.size();
        if (hasChildren && indents.size() < childIndentLength)
            indents += step;
        if (elem.Name().empty()) {
            if (hasChildren)
                open.push_back({&elem, 0, indentLength, childIndentLength});
            return;
        }
        if (hasChildren) {
            WriteOpeningLine(elem, std::string_view(indents).substr(0, indentLength), doc);
            open.push_back({&elem, 0, indentLength, childIndentLength});
            FlushWhenFull();
            return;
        }
        const std::string fullName = elem.FullName();
        StartPiece();
        Put(std::string_view(indents).substr(0, indentLength));
        Put("<");
        Put(fullName);
        WriteProperties(elem, doc);
        StartPiece();
        if (!elem.Value().empty()) {
            Put(">");
            PutValue(elem.Value(), doc);
            Put("</");
            Put(fullName);
            Put(">");
            Put(kLineEnd);
        } else {
            Put("/>");
            Put(kLineEnd);
        }
        FlushWhenFull();
    };
    start(top, indents.size());
    while (!open.empty()) {
        OpenElement& current = open.back();
        if (current.nextChild < current.elem->ItemCount()) {
            const TSimpleXMLElem& child = *current.elem->ItemsIfAny()->Item(current.nextChild++);
            const std::size_t childIndentLength = current.childIndentLength; // start() may grow the stack
            if (child.Kind() == TSimpleXMLElemKind::Classic)
                start(child, childIndentLength);
            else
                WriteLeaf(child, std::string_view(indents).substr(0, childIndentLength), doc);
            continue;
        }
        if (!current.elem->Name().empty())
            WriteClosingLine(*current.elem, std::string_view(indents).substr(0, current.indentLength));
        open.pop_back();
    }
}

void TSimpleXMLWriter::WriteOpeningLine(const TSimpleXMLElem& elem, std::string_view indent, const TSimpleXML* doc)
{
    StartPiece();
    Put(indent);
    Put("<");
    Put(elem.FullName());
    WriteProperties(elem, doc);
    StartPiece();
    Put(">");
    Put(kLineEnd);
}

void TSimpleXMLWriter::WriteClosingLine(const TSimpleXMLElem& elem, std::string_view indent)
{
    Put(indent);
    Put("</");
    Put(elem.FullName());
    Put(">");
    Put(kLineEnd);
}

void TSimpleXMLWriter::WriteItemInTwo(const TSimpleXMLElem& item, std::string_view indent, const TSimpleXML* doc,
                                      std::size_t halfBytes)
{
    static const bool twoProcessors = std::thread::hardware_concurrency() >= 2;
    const TSimpleXMLElems* items = item.ItemsIfAny();
    if (FOut != nullptr || !twoProcessors || item.Kind() != TSimpleXMLElemKind::Classic || items == nullptr
        || items->Count() < 2) {
        WriteItem(item, indent, doc);
        return;
    }
    // The children's indentation, as WriteElementTree gives it.
    const bool autoIndent = doc != nullptr && doc->Options().Contains(sxoAutoIndent);
    const std::string childIndent = std::string(indent) + (autoIndent ? doc->IndentString() : std::string());
    const int count = items->Count();
    const int half = count / 2;
    // The future waits for the other thread when it is left by an exception.
    std::future<std::string> secondHalf = std::async(std::launch::async, [&] {
        TSimpleXMLWriter other;
        other.Reserve(halfBytes);
        for (int i = half; i < count; ++i)
            other.WriteItem(*items->Item(i), childIndent, doc);
        return other.TakeOutput();
    });
    if (!item.Name().empty())
        WriteOpeningLine(item, indent, doc);
    for (int i = 0; i < half; ++i)
        WriteItem(*items->Item(i), childIndent, doc);
    FBuffer += secondHalf.get();
    if (!item.Name().empty())
        WriteClosingLine(item, indent);
}

void TSimpleXMLWriter::WriteHeader(const TSimpleXMLElemHeader& header, std::string_view indent)
{
    Put(indent);
    Put("<?xml version=\"");
    Put(header.Version());
    Put("\"");
    if (!header.Encoding().empty()) {
        Put(" encoding=\"");
        Put(header.Encoding());
        Put("\"");
    }
    if (header.StandAlone())
        Put(" standalone=\"yes\"");
    Put("?>");
}

void TSimpleXMLWriter::WriteLeaf(const TSimpleXMLElem& item, std::string_view indent, const TSimpleXML* doc)
{
    StartPiece();
    switch (item.Kind()) {
    case TSimpleXMLElemKind::Classic:
        WriteElementTree(item, indent, doc);
        return;
    case TSimpleXMLElemKind::Text:
        if (item.Value().empty())
            return;
        Put(indent);
        PutValue(item.Value(), doc);
        break;
    case TSimpleXMLElemKind::Comment:
        Put(indent);
        Put("<!--");
        Put(item.Value());
        Put("-->");
        break;
    case TSimpleXMLElemKind::CData:
        Put(indent);
        Put("<![CDATA[");
        Put(item.Value());
        Put("]]>");
        break;
    case TSimpleXMLElemKind::Header:
        WriteHeader(static_cast<const TSimpleXMLElemHeader&>(item), indent);
        break;
    case TSimpleXMLElemKind::DocType:
        Put("<!DOCTYPE ");
        Put(item.Value());
        Put(">");
        break;
    case TSimpleXMLElemKind::Sheet:
        Put(indent);
        Put("<?xml-stylesheet");
        WriteProperties(item, nullptr);
        Put("?>");
        break;
    }
    Put(kLineEnd);
    FlushWhenFull();
}
