// The properties of one start tag, made in one arena allocation once the tag is read, and
// the reading of their values in place in a buffer the parse may overwrite.
#include "support/xml/SimpleXmlParser.h"

#include "support/xml/SimpleXml.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

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
inline bool SameName(std::string_view a, std::string_view b)
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

// A value decoded where it was read ends there, and the rest of its raw bytes become NULs: one
// character each, like the reference characters they stand for, so that the buffer keeps the
// lines and characters of the bytes as read and a load error is placed by counting them.
inline void EndDecodedInPlace(char* value, std::size_t size, std::size_t rawSize)
{
    std::memset(value + size, '\0', rawSize - size);
}

} // namespace

TSimpleXMLParser::TSimpleXMLParser(std::shared_ptr<std::string> source, std::size_t start, const TSimpleXML* doc)
    : FDoc(doc)
{
    start = std::min(start, source->size());
    FWritable = source->data() + start;
    FBytes = std::string_view(FWritable, source->size() - start);
    FSource = source;
    FArena.SetSource(std::move(source));
}

std::string_view TSimpleXMLParser::ReadValue(std::string_view raw, const TSimpleXML* doc)
{
    if (FWritable != nullptr && doc != nullptr && doc->DecodeValueSpan != nullptr && doc->OnDecodeValue) {
        char* const value = FWritable + (raw.data() - FBytes.data());
        const std::size_t size = doc->DecodeValueSpan(value, raw.size());
        if (size != std::string_view::npos) {
            EndDecodedInPlace(value, size, raw.size());
            return raw.substr(0, size);
        }
    }
    return DecodedValue(raw, doc);
}

inline const char* TSimpleXMLParser::KeptName(std::string_view name)
{
    // Two slots per hash, as names of one size and last byte ("Name", "Size") come in pairs.
    const auto byte = [&name](std::size_t at) { return static_cast<std::size_t>(static_cast<unsigned char>(name[at])); };
    const std::size_t hash = name.empty() ? 0 : name.size() * 31 + byte(0) * 7 + byte(name.size() - 1);
    std::string_view* const slots = FKeptNames + (hash % (kKeptNameSlots / 2)) * 2;
    if (slots[0].data() != nullptr && SameName(slots[0], name))
        return slots[0].data();
    if (slots[1].data() != nullptr && SameName(slots[1], name))
        return slots[1].data();
    return KeepName(slots, name);
}

const char* TSimpleXMLParser::KeepName(std::string_view* slots, std::string_view name)
{
    // The older of the two makes room.
    slots[1] = slots[0];
    slots[0] = std::string_view(FArena.Keep(name), name.size());
    return slots[0].data();
}

void TSimpleXMLParser::BuildProperties(TSimpleXMLElem& item)
{
    const std::size_t count = FPending.size();
    if (count == 0) {
        PropertiesOf(item);
        return;
    }
    // A new list with the properties behind it, and behind them the values that cannot stay in
    // place, each ended by a '\0'. Until a property is made the list counts it, but a property
    // that borrows its bytes needs nothing done when it goes.
    TSimpleXMLProp* first = nullptr;
    item.FProps.reset(TSimpleXMLProps::WithParsed(&item, FArena, count, FPendingCopyBytes, first));
    char* tail = reinterpret_cast<char*>(first + count);
    char* const writable = FWritable;
    const char* const bytes = FBytes.data();
    for (std::size_t i = 0; i < count; ++i) {
        const PendingProp& pending = FPending[i];
        const std::string_view value =
            pending.decoded ? std::string_view(FDecoded).substr(pending.decodedAt, pending.value.size()) : pending.value;
        char* valueAt;
        if (writable != nullptr && value.size() <= pending.raw.size()) {
            // The closing quote ends a value as long as its raw form; NULs end a shorter one.
            valueAt = writable + (pending.raw.data() - bytes);
            if (pending.decoded)
                value.copy(valueAt, value.size());
            if (value.size() < pending.raw.size())
                EndDecodedInPlace(valueAt, value.size(), pending.raw.size());
            else
                valueAt[value.size()] = '\0';
        } else if (!pending.decoded && StaysInPlace(pending.value, pending.raw)) {
            // A second reader's: ended when the first reader takes it over.
            valueAt = const_cast<char*>(pending.raw.data());
        } else {
            valueAt = tail;
            value.copy(valueAt, value.size());
            tail += value.size() + 1;
            valueAt[value.size()] = '\0';
        }
        ::new (static_cast<void*>(first + i))
            TSimpleXMLProp(KeptName(pending.name), pending.name.size(), valueAt, value.size());
    }
    // Namespaces are kept by the list.
    if (FPendingPrefixed)
        for (std::size_t i = 0; i < count; ++i)
            if (!FPending[i].prefix.empty())
                first[i].SetNameSpace(FPending[i].prefix);
}
