// Two threads reading the children of a big page's root: the second starts at a line in the
// middle, in a parser of its own that never writes the bytes, while the first reads up to that
// line. Reading a page of tens of thousands of POIs is mostly making their objects, which the
// two share out.
#include "support/xml/SimpleXmlParser.h"

#include "support/xml/SimpleXml.h"
#include "support/xml/SimpleXmlText.h"

#include <cstdint>
#include <future>
#include <thread>

namespace {

constexpr std::size_t kDefaultSplitReadBytes = std::size_t(2) << 20;
std::atomic<std::size_t> gSplitReadBytes{kDefaultSplitReadBytes};
// How far past the middle a line that starts an element is looked for.
constexpr std::size_t kLineSearchBytes = 64 * 1024;

bool TwoProcessors()
{
    static const bool two = std::thread::hardware_concurrency() >= 2;
    return two;
}

} // namespace

struct TSimpleXMLParser::SplitRead {
    SplitRead(TSimpleXMLElem* owner) : items(owner) {}
    ~SplitRead()
    {
        cancelled.store(true);
        if (done.valid())
            done.wait();
    }

    std::atomic<bool> cancelled{false};
    TSimpleXMLElems items;  // what the second reader read, owned by the root
    std::string closing;    // the end tag it stopped at
    std::size_t end = 0;    // where it stopped
    bool nameless = false;
    bool failed = false;  // it raised: the first reader reads on and raises the same
    std::future<void> done;
};

std::size_t TSimpleXMLParser::SetSplitReadBytes(std::size_t bytes)
{
    return gSplitReadBytes.exchange(bytes);
}

void TSimpleXMLParser::SplitReadEnd::operator()(SplitRead* split) const
{
    delete split;
}

void TSimpleXMLParser::StartSplitRead(TSimpleXMLElem* owner)
{
    // Only a parse that keeps values in place gains from it; a second reader starts none.
    if (FWritable == nullptr || FCancelled != nullptr || FSplit || !TwoProcessors())
        return;
    const std::size_t left = FBytes.size() - FPos;
    if (left < gSplitReadBytes.load() || left < 2)
        return;
    // An element that starts a line, after its line break and indentation.
    const std::size_t middle = FPos + left / 2;
    const std::size_t stop = std::min(FBytes.size(), middle + kLineSearchBytes);
    std::size_t at = std::string_view::npos;
    for (std::size_t line = FBytes.find('\n', middle); line < stop; line = FBytes.find('\n', line + 1)) {
        std::size_t first = line + 1;
        while (first < FBytes.size() && simplexml::IsBlank(static_cast<unsigned char>(FBytes[first])))
            ++first;
        if (first < FBytes.size() && FBytes[first] == '<' && ClassifyTag(first) == TagKind::Element) {
            at = first;
            break;
        }
    }
    if (at == std::string_view::npos)
        return;
    std::unique_ptr<SplitRead, SplitReadEnd> split(new SplitRead(owner));
    SplitRead* const shared = split.get();
    const std::string_view bytes = FBytes;
    const TSimpleXML* const doc = FDoc;
    std::shared_ptr<std::string> source = FSource;
    shared->done = std::async(std::launch::async, [shared, bytes, doc, at, source]() {
        // Writes nothing: the bytes stay as they are for the first reader, which reads on
        // through them when it does not arrive at the line. Values that need decoding are
        // copied; the others stay in the bytes, ended only when the first reader takes them.
        TSimpleXMLParser reader(bytes, doc);
        reader.FPos = at;
        reader.FCancelled = &shared->cancelled;
        reader.FDeferEnds = source != nullptr;
        if (source)
            reader.FArena.SetSource(source);
        try {
            shared->closing = reader.ParseChildren(shared->items, 1);
            shared->end = reader.FPos;
            shared->nameless = reader.FNamelessProperty;
        } catch (...) {
            shared->failed = true;
        }
    });
    FSplit = std::move(split);
    FSplitAt = at;
}

bool TSimpleXMLParser::TakeSplitRead(TSimpleXMLElems& list, std::string& closing)
{
    if (FPos < FSplitAt)
        return false;
    if (FPos > FSplitAt) {
        // The line was inside something longer: the second reader's work is of no use.
        AbandonSplitRead();
        return false;
    }
    FSplit->done.wait();
    if (FSplit->failed || FSplit->cancelled.load()) {
        AbandonSplitRead();
        return false;
    }
    EndValuesInPlace(FSplit->items);
    std::vector<std::unique_ptr<TSimpleXMLElem>>& taken = FSplit->items.FItems;
    list.FItems.reserve(list.FItems.size() + taken.size());
    for (std::unique_ptr<TSimpleXMLElem>& item : taken) {
        item->FContainer = &list;
        list.FItems.push_back(std::move(item));
    }
    taken.clear();
    closing = std::move(FSplit->closing);
    FPos = FSplit->end;
    FNamelessProperty = FNamelessProperty || FSplit->nameless;
    FSplit.reset();
    return true;
}

void TSimpleXMLParser::EndValuesInPlace(const TSimpleXMLElems& items)
{
    // Its values that stay in the bytes end where the first reader's would: over their closing
    // quotes. Finding them again costs a pass over the properties; listing them as they were
    // read cost 8 bytes each, 2 MB for a page of 50,000 POIs.
    const std::uintptr_t bytes = reinterpret_cast<std::uintptr_t>(FBytes.data());
    std::vector<const TSimpleXMLElems*> lists{&items};
    while (!lists.empty()) {
        const TSimpleXMLElems* const list = lists.back();
        lists.pop_back();
        for (const std::unique_ptr<TSimpleXMLElem>& item : list->FItems) {
            if (const TSimpleXMLProps* props = item->PropertiesIfAny()) {
                const int count = props->Count();
                for (int i = 0; i < count; ++i) {
                    const TSimpleXMLText value = props->Item(i)->Value();
                    // Values it copied live in its arena, never inside the bytes.
                    const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(value.data()) - bytes;
                    if (at < FBytes.size())
                        FWritable[at + value.size()] = '\0';
                }
            }
            if (const TSimpleXMLElems* children = item->ItemsIfAny())
                lists.push_back(children);
        }
    }
}

void TSimpleXMLParser::AbandonSplitRead()
{
    // Waits for the second reader before its items go, and before any byte it reads changes.
    FSplit.reset();
}
