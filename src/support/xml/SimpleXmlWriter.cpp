#include "support/xml/SimpleXmlWriter.h"

#include <vector>

#include "support/xml/SimpleXml.h"

namespace {

constexpr std::size_t kFlushThreshold = 64 * 1024;
constexpr std::string_view kLineEnd = "\r\n";

// An element whose children are being written.
struct OpenElement {
    const TSimpleXMLElem* elem;
    int nextChild;
    std::string indent;      // before its own tags
    std::string childIndent; // before its children's first lines
};

} // namespace

void TSimpleXMLWriter::Flush()
{
    const std::string pending = std::move(FBuffer);
    FBuffer.clear();
    FPieceStart = 0;
    FOut.WriteAll(pending);
}

void TSimpleXMLWriter::FlushWhenFull()
{
    if (FBuffer.size() >= kFlushThreshold)
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
        Put(" ");
        if (!prop->NameSpace().empty()) {
            Put(prop->NameSpace());
            Put(":");
        }
        Put(prop->Name());
        Put("=\"");
        PutValue(prop->Value(), doc);
        Put("\"");
    }
}

void TSimpleXMLWriter::WriteItem(const TSimpleXMLElem& item, const std::string& indent, const TSimpleXML* doc)
{
    if (item.Kind() == TSimpleXMLElemKind::Classic)
        WriteElementTree(item, indent, doc);
    else
        WriteLeaf(item, indent, doc);
}

void TSimpleXMLWriter::WriteElementTree(const TSimpleXMLElem& top, const std::string& indent, const TSimpleXML* doc)
{
    const bool autoIndent = doc != nullptr && doc->Options().Contains(sxoAutoIndent);
    // An explicit stack instead of recursion, so that no depth can exhaust the call stack.
    std::vector<OpenElement> open;
    const auto start = [&](const TSimpleXMLElem& elem, const std::string& elemIndent) {
        const bool hasChildren = elem.ItemCount() > 0;
        std::string childIndent = autoIndent ? elemIndent + doc->IndentString() : elemIndent;
        if (elem.Name().empty()) {
            if (hasChildren)
                open.push_back({&elem, 0, elemIndent, std::move(childIndent)});
            return;
        }
        const std::string fullName = elem.FullName();
        StartPiece();
        Put(elemIndent);
        Put("<");
        Put(fullName);
        WriteProperties(elem, doc);
        StartPiece();
        if (hasChildren) {
            Put(">");
            Put(kLineEnd);
            open.push_back({&elem, 0, elemIndent, std::move(childIndent)});
        } else if (!elem.Value().empty()) {
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
    start(top, indent);
    while (!open.empty()) {
        OpenElement& current = open.back();
        if (current.nextChild < current.elem->ItemCount()) {
            const TSimpleXMLElem& child = *current.elem->ItemsIfAny()->Item(current.nextChild++);
            const std::string childIndent = current.childIndent; // start() may grow the stack
            if (child.Kind() == TSimpleXMLElemKind::Classic)
                start(child, childIndent);
            else
                WriteLeaf(child, childIndent, doc);
            continue;
        }
        if (!current.elem->Name().empty()) {
            Put(current.indent);
            Put("</");
            Put(current.elem->FullName());
            Put(">");
            Put(kLineEnd);
        }
        open.pop_back();
    }
}

void TSimpleXMLWriter::WriteHeader(const TSimpleXMLElemHeader& header, const std::string& indent)
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

void TSimpleXMLWriter::WriteLeaf(const TSimpleXMLElem& item, const std::string& indent, const TSimpleXML* doc)
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
