#include "document/PoiTextOrder.h"

#include "document/EditorSupport.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr unsigned kAsciiEnd = 0x80;
constexpr unsigned kAsciiCaseBit = 0x20;

// For UTF-16 units and UTF-8 bytes alike.
template <class Unit>
Unit foldAscii(Unit c)
{
    return c >= Unit('A') && c <= Unit('Z') ? Unit(c | kAsciiCaseBit) : c;
}

// The letter-case-ignoring order for text that is ASCII up to its first difference; nullopt
// when a character outside ASCII comes first, whose folding needs the full Unicode tables.
std::optional<int> compareAsciiFolded(const QString& a, const QString& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const QChar* pa = a.constData();
    const QChar* pb = b.constData();
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t ca = pa[i].unicode();
        const char16_t cb = pb[i].unicode();
        if (ca >= kAsciiEnd || cb >= kAsciiEnd)
            return std::nullopt;
        const char16_t fa = foldAscii(ca);
        const char16_t fb = foldAscii(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

bool PoiTextLess(const QString& a, const QString& b)
{
    // Sorting thousands of nodes: most names differ within their ASCII start.
    const std::optional<int> ascii = compareAsciiFolded(a, b);
    const int folded = ascii ? *ascii : QString::compare(a, b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

std::optional<bool> PoiTextLessAsciiStart(std::string_view a, std::string_view b)
{
    // Names that differ within their ASCII start, or are ASCII throughout, order by their bytes
    // alone: for ASCII, UTF-8 bytes and UTF-16 units compare alike.
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= kAsciiEnd || cb >= kAsciiEnd)
            return std::nullopt;
        const unsigned char fa = foldAscii(ca);
        const unsigned char fb = foldAscii(cb);
        if (fa != fb)
            return fa < fb;
    }
    // Equal up to the shorter one's end, which is ASCII throughout: the longer one follows, as
    // it is longer in UTF-16 too.
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

namespace {
constexpr int kWordBytes = 8;
constexpr int kBitsPerByte = 8;
}  // namespace

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101ull;

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the sort keys read eight bytes at a time in little-endian order"
#endif

// Eight bytes read in memory order (little-endian) as the key holds them: the first in the
// highest bits.
std::uint64_t firstByteHighest(std::uint64_t memoryOrder)
{
#if defined(__GNUC__)
    return __builtin_bswap64(memoryOrder);
#else
    std::uint64_t word = 0;
    for (int i = 0; i < kWordBytes; ++i)
        word = (word << kBitsPerByte) | ((memoryOrder >> (i * kBitsPerByte)) & 0xFF);
    return word;
#endif
}

// Which of eight bytes in memory order is the first with its high bit set; `highBits` holds
// only high bits and is not 0.
int firstHighByte(std::uint64_t highBits)
{
#if defined(__GNUC__)
    return __builtin_ctzll(highBits) / kBitsPerByte;
#else
    int index = 0;
    while ((highBits & 0x80) == 0) {
        highBits >>= kBitsPerByte;
        ++index;
    }
    return index;
#endif
}

// foldAscii on eight ASCII bytes at once: 'A' to 'Z' get the case bit.
std::uint64_t foldAsciiBytes(std::uint64_t word)
{
    const std::uint64_t pastZ = word + (0x7F - 'Z') * kEveryByte;      // high bit: above 'Z'
    const std::uint64_t fromA = word + (0x80 - 'A') * kEveryByte;      // high bit: 'A' or above
    const std::uint64_t upper = fromA & ~pastZ & (0x80 * kEveryByte);  // ASCII bytes only: no carries
    return word | (upper >> 2);
}

}  // namespace

PoiTextKey MakePoiTextKey(std::string_view text)
{
    constexpr int kKeyBytes = 2 * kWordBytes;
    // A page sorts tens of thousands of names: eight bytes at a time rather than one.
    unsigned char bytes[kKeyBytes] = {};
    std::memcpy(bytes, text.data(), std::min<std::size_t>(text.size(), kKeyBytes));
    std::uint64_t words[2];
    std::memcpy(words, bytes, sizeof words);
    PoiTextKey key;
    key.decided = kKeyBytes;
    for (int w = 0; w < 2; ++w) {
        const std::uint64_t outside = words[w] & (0x80 * kEveryByte);
        if (outside != 0) {
            // The key speaks for the bytes before the first one outside ASCII; the rest stay 0.
            const int first = firstHighByte(outside);
            key.decided = w * kWordBytes + first;
            words[w] &= first == 0 ? 0 : ~std::uint64_t(0) >> ((kWordBytes - first) * kBitsPerByte);
            if (w == 0)
                words[1] = 0;
            words[w] = foldAsciiBytes(words[w]);
            break;
        }
        words[w] = foldAsciiBytes(words[w]);
    }
    key.folded = firstByteHighest(words[0]);
    key.foldedNext = firstByteHighest(words[1]);
    return key;
}

std::optional<bool> PoiTextKeyLess(const PoiTextKey& a, const PoiTextKey& b)
{
    // Past a text's end its key holds zeros, which order it before any longer text as the
    // shorter-first rule does; past a byte outside ASCII the key says nothing.
    const bool inFirst = a.folded != b.folded;
    if (!inFirst && a.foldedNext == b.foldedNext)
        return std::nullopt;
    const std::uint64_t x = inFirst ? a.folded : a.foldedNext;
    const std::uint64_t y = inFirst ? b.folded : b.foldedNext;
    const int firstDifference = (inFirst ? 0 : kWordBytes) + __builtin_clzll(x ^ y) / kBitsPerByte;
    if (firstDifference >= std::min(a.decided, b.decided))
        return std::nullopt;
    return x < y;
}

bool PoiTextLessUtf8(std::string_view a, std::string_view b)
{
    if (const std::optional<bool> ascii = PoiTextLessAsciiStart(a, b))
        return *ascii;
    return PoiTextLess(fromDoc(a), fromDoc(b));
}
