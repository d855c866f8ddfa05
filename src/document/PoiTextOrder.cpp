#include "document/PoiTextOrder.h"

#include "document/EditorSupport.h"

#include <algorithm>
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

PoiTextKey MakePoiTextKey(std::string_view text)
{
    constexpr int kKeyBytes = 2 * kWordBytes;
    PoiTextKey key;
    key.decided = kKeyBytes;
    for (int i = 0; i < kKeyBytes && i < static_cast<int>(text.size()); ++i) {
        const auto c = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
        if (c >= kAsciiEnd) {
            key.decided = i;
            break;
        }
        std::uint64_t& word = i < kWordBytes ? key.folded : key.foldedNext;
        word |= std::uint64_t(foldAscii(c)) << ((kWordBytes - 1 - i % kWordBytes) * kBitsPerByte);
    }
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
