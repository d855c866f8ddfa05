// The properties of one start tag, made in one arena allocation once the tag is read, and
// the reading of their values in place in a buffer the parse may overwrite.
#include "support/xml/SimpleXmlParser.h"

#include "support/xml/SimpleXml.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

template <class Word>
Word LoadWord(const char* bytes)
{
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Names are short: a few whole-word comparisons (the last overlapping the one before) beat a
// call to memcmp and a byte loop.
bool SameName(std::string_view a, std::string_view b)
{
    using Long = std::uint64_t;
    using Short = std::uint32_t;
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    if (n >= sizeof(Long)) {
        for (std::size_t i = 0; i + sizeof(Long) < n; i += sizeof(Long))
            if (LoadWord<Long>(a.data() + i) != LoadWord<Long>(b.data() + i))
                return false;
        return LoadWord<Long>(a.data() + n - sizeof(Long)) == LoadWord<Long>(b.data() + n - sizeof(Long));
    }
    if (n >= sizeof(Short))
        return LoadWord<Short>(a.data()) == LoadWord<Short>(b.data())
            && LoadWord<Short>(a.data() + n - sizeof(Short)) == LoadWord<Short>(b.data() + n - sizeof(Short));
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

} // namespace

TSimpleXMLParser::TSimpleXMLParser(std::shared_ptr<std::string> source, std::size_t start, const TSimpleXML* doc)
    : FDoc(doc)
{
    start = std::min(start, source->size());
    FWritable = source->data() + start;
    FBytes = std::string_view(FWritable, source->size() - start);
    FArena.SetSource(std::move(source));
}

std::string_view TSimpleXMLParser::ReadValue(std::string_view raw, const TSimpleXML* doc)
{
    if (FWritable != nullptr && doc != nullptr && doc->DecodeValueSpan != nullptr && doc->OnDecodeValue) {
        const std::size_t size = doc->DecodeValueSpan(FWritable + (raw.data() - FBytes.data()), raw.size());
        if (size != std::string_view::npos)
            return raw.substr(0, size);
    }
    return DecodedValue(raw, doc);
}

void TSimpleXMLParser::BuildProperties(TSimpleXMLProps& props)
{
    const std::size_t count = FPending.size();
    if (count == 0)
        return;
    // Values and names each end with a '\0'. A name comes along only when the arena block the
    // allocation goes to holds no copy of it yet.
    // A value kept in place takes no room here.
    const auto inPlace = [this](const PendingProp& pending) {
        return FWritable != nullptr && pending.value.size() <= pending.raw.size();
    };
    std::size_t bytes = count * sizeof(TSimpleXMLProp);
    std::size_t nameBytes = 0;
    for (const PendingProp& pending : FPending) {
        if (!inPlace(pending))
            bytes += pending.value.size() + 1;
        nameBytes += pending.name.size() + 1;
        FNamelessProperty = FNamelessProperty || pending.name.empty();
    }
    const std::size_t block = FArena.BlockNumberFor(bytes + nameBytes);
    const auto slotOf = [this](std::string_view name) -> SharedName& {
        return FSharedNames[(name.size() * 31 + (name.empty() ? 0 : name.back())) % kSharedNameSlots];
    };
    // A name is shared when its slot holds it at the property's turn: a copy from an earlier
    // allocation, or the copy an earlier property of this tag makes. The table is brought up
    // to date as it will stand after each property.
    FNameFrom.resize(count);
    FNameAt.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        SharedName& slot = slotOf(FPending[i].name);
        if (block != 0 && slot.block == block && SameName(slot.name, FPending[i].name)) {
            FNameFrom[i] = slot.madeBy;
            FNameAt[i] = slot.name.data();
        } else {
            FNameFrom[i] = i;
            bytes += FPending[i].name.size() + 1;
            slot = SharedName{FPending[i].name, block, i};
        }
    }
    void* const memory = FArena.Allocate(bytes);
    const std::size_t madeIn = FArena.BlockNumberOf(memory);
    auto* const first = static_cast<TSimpleXMLProp*>(memory);
    char* tail = static_cast<char*>(memory) + count * sizeof(TSimpleXMLProp);
    const auto copy = [&tail](std::string_view text) {
        char* const at = tail;
        text.copy(at, text.size());
        at[text.size()] = '\0';
        tail += text.size() + 1;
        return at;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const PendingProp& pending = FPending[i];
        const std::string_view value =
            pending.decoded ? std::string_view(FDecoded).substr(pending.decodedAt, pending.value.size()) : pending.value;
        const char* valueAt = nullptr;
        if (inPlace(pending)) {
            // The closing quote (or a byte of the longer raw form) ends the value.
            char* const at = FWritable + (pending.raw.data() - FBytes.data());
            if (pending.decoded)
                value.copy(at, value.size());
            at[value.size()] = '\0';
            valueAt = at;
        } else {
            valueAt = copy(value);
        }
        if (FNameFrom[i] == i)
            FNameAt[i] = copy(pending.name);
        else if (FNameFrom[i] != SharedName::kEarlier)
            FNameAt[i] = FNameAt[FNameFrom[i]];
        ::new (static_cast<void*>(first + i))
            TSimpleXMLProp(&props, FNameAt[i], pending.name.size(), valueAt, value.size());
    }
    for (std::size_t i = 0; i < count; ++i) {
        SharedName& slot = slotOf(FPending[i].name);
        if (FNameFrom[i] == i && slot.madeBy == i)
            slot = SharedName{std::string_view(FNameAt[i], FPending[i].name.size()), madeIn, SharedName::kEarlier};
    }
    props.AdoptParsed(first, count);
    // Namespaces take memory of their own; the list owns every property by now.
    for (std::size_t i = 0; i < count; ++i)
        if (!FPending[i].prefix.empty())
            first[i].SetNameSpace(FPending[i].prefix);
}
