// libFuzzer target: any bytes read as an icon page with the editor's own set-up and value hooks.
// A page that loads must save to bytes that load again to the same tree, and save the same.
#include "support/IconPageXml.h"
#include "support/xml/SimpleXmlParser.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace {

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool SameProperties(const TSimpleXMLElem& a, const TSimpleXMLElem& b)
{
    const TSimpleXMLProps* pa = a.PropertiesIfAny();
    const TSimpleXMLProps* pb = b.PropertiesIfAny();
    const int count = pa ? pa->Count() : 0;
    if (count != (pb ? pb->Count() : 0))
        return false;
    for (int i = 0; i < count; ++i) {
        const TSimpleXMLProp& x = *pa->Item(i);
        const TSimpleXMLProp& y = *pb->Item(i);
        if (x.Name() != y.Name() || x.NameSpace() != y.NameSpace() || x.Value() != y.Value())
            return false;
    }
    return true;
}

bool SameItem(const TSimpleXMLElem& a, const TSimpleXMLElem& b)
{
    if (a.Kind() != b.Kind() || a.Name() != b.Name() || a.NameSpace() != b.NameSpace() ||
        a.Value() != b.Value() || !SameProperties(a, b) || a.ItemCount() != b.ItemCount())
        return false;
    if (a.Kind() == TSimpleXMLElemKind::Header) {
        const auto& x = static_cast<const TSimpleXMLElemHeader&>(a);
        const auto& y = static_cast<const TSimpleXMLElemHeader&>(b);
        if (x.Version() != y.Version() || x.Encoding() != y.Encoding() || x.StandAlone() != y.StandAlone())
            return false;
    }
    // The parser refuses deeper nesting than its limit, so recursion stays shallow enough.
    for (int i = 0; i < a.ItemCount(); ++i)
        if (!SameItem(*a.ItemsIfAny()->Item(i), *b.ItemsIfAny()->Item(i)))
            return false;
    return true;
}

bool SameDocument(const TSimpleXML& a, const TSimpleXML& b)
{
    if (a.Prolog().Count() != b.Prolog().Count())
        return false;
    for (int i = 0; i < a.Prolog().Count(); ++i)
        if (!SameItem(*a.Prolog().Item(i), *b.Prolog().Item(i)))
            return false;
    return SameItem(a.Root(), b.Root());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every page that allows it, however small, has its root's later children read by a
    // second thread: the reading in place is compared with the copying one below.
    TSimpleXMLParser::SetSplitReadBytes(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The editor's way: the document takes the bytes and reads its values in place. The
    // copying parse of a stream must read the same document, and refuse the same pages.
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TSimpleXML first;
    ConfigureIconPageXml(first);
    TSimpleXML copied;
    ConfigureIconPageXml(copied);
    TMemoryStream input(bytes);
    std::string trailer;
    std::string copiedTrailer;
    bool read = true;
    bool readCopied = true;
    try {
        trailer = ParseIconPage(first, bytes, 0);
    } catch (const std::exception&) {
        read = false;
    }
    try {
        copiedTrailer = ParseIconPage(copied, input);
    } catch (const std::exception&) {
        readCopied = false;
    }
    Require(read == readCopied);
    if (!read)
        return 0;  // a damaged page is refused; nothing is saved
    Require(copiedTrailer == trailer);
    Require(SameDocument(first, copied));
    // Saving adds a declaration to a prolog without one, and it stays in the document.
    const std::string saved = first.SaveToString() + trailer;

    TSimpleXML second;
    ConfigureIconPageXml(second);
    TMemoryStream reread(saved);
    std::string secondTrailer;
    try {
        secondTrailer = ParseIconPage(second, reread);
    } catch (const std::exception&) {
        Require(false);
    }
    Require(secondTrailer == trailer);
    Require(SameDocument(first, second));
    Require(second.SaveToString() + secondTrailer == saved);
    return 0;
}
