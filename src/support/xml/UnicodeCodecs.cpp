#include "support/xml/UnicodeCodecs.h"

#include "support/xml/SimpleXmlScan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr unsigned char kAsciiLimit = 0x80;
constexpr std::size_t kWordBytes = sizeof(std::uint64_t);
constexpr std::uint64_t kHighBitOfEveryByte = 0x8080808080808080;
constexpr unsigned char kTwoByteLead = 0xC0;
constexpr unsigned char kThreeByteLead = 0xE0;
constexpr unsigned char kFourByteLead = 0xF0;
constexpr unsigned char kInvalidLead = 0xF8;
constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationMarker = 0x80;
constexpr unsigned char kTwoByteValueMask = 0x1F;
constexpr unsigned char kThreeByteValueMask = 0x0F;
constexpr unsigned char kFourByteValueMask = 0x07;
constexpr char32_t kSixBitMask = 0x3F;
constexpr unsigned kContinuationBits = 6;
constexpr char32_t kTwoByteLimit = 0x800;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr char16_t kHighSurrogateFirst = 0xD800;
constexpr char16_t kHighSurrogateLast = 0xDBFF;
constexpr char16_t kLowSurrogateFirst = 0xDC00;
constexpr char16_t kLowSurrogateLast = 0xDFFF;
constexpr unsigned kSurrogateBits = 10;
constexpr char32_t kSurrogateMask = 0x3FF;
constexpr std::int64_t kMaxReferenceNumber = 0x7FFFFFFF;
constexpr unsigned kByteRange = 256;
constexpr int kDecimalBase = 10;
constexpr int kHexBase = 16;
const char kUpperHexDigits[] = "0123456789ABCDEF";

bool IsAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= kAsciiLimit)
            return false;
    return true;
}

// Length of the well-formed sequence at text[i] (a byte from kAsciiLimit), 0 for none.
std::size_t WellFormedSequenceLength(std::string_view text, std::size_t i)
{
    constexpr unsigned char kLowestTwoByteLead = 0xC2;  // C0 and C1 only make overlong forms
    constexpr unsigned char kLastFourByteLead = 0xF4;   // beyond it lies past U+10FFFF
    constexpr unsigned char kLowestContinuation = 0x80;
    constexpr unsigned char kHighestContinuation = 0xBF;
    constexpr unsigned char kOverlongThreeLimit = 0xA0; // E0 needs A0 or more
    constexpr unsigned char kSurrogateLead = 0xED;
    constexpr unsigned char kSurrogateStart = 0xA0;     // ED A0 .. ED BF encode surrogates
    constexpr unsigned char kOverlongFourLimit = 0x90;  // F0 needs 90 or more
    constexpr unsigned char kBeyondLastStart = 0x90;    // F4 90 and up lie past U+10FFFF
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < kLowestTwoByteLead || lead > kLastFourByteLead)
        return 0;
    const std::size_t length = lead < kThreeByteLead ? 2 : lead < kFourByteLead ? 3 : 4;
    if (text.size() - i < length)
        return 0;
    // The second byte's range depends on the lead; the others are any continuation byte.
    unsigned char low = kLowestContinuation;
    unsigned char high = kHighestContinuation;
    if (lead == kThreeByteLead)
        low = kOverlongThreeLimit;
    else if (lead == kSurrogateLead)
        high = kSurrogateStart - 1;
    else if (lead == kFourByteLead)
        low = kOverlongFourLimit;
    else if (lead == kLastFourByteLead)
        high = kBeyondLastStart - 1;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i + k]);
        if (next < low || next > high)
            return 0;
        low = kLowestContinuation;
        high = kHighestContinuation;
    }
    return length;
}

bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & kContinuationMask) == kContinuationMarker;
}

// 2 or 3 for a lead byte whose sequence is well-formed with any continuation bytes after it
// (C2..DF, E1..EC, EE..EF), else 0.
std::size_t PlainSequenceLength(unsigned char lead)
{
    constexpr unsigned char kLowestTwoByteLead = 0xC2;
    constexpr unsigned char kSurrogateLead = 0xED;
    if (lead >= kLowestTwoByteLead && lead < kThreeByteLead)
        return 2;
    if (lead > kThreeByteLead && lead < kFourByteLead && lead != kSurrogateLead)
        return 3;
    return 0;
}

bool IsHighSurrogate(char16_t unit) { return unit >= kHighSurrogateFirst && unit <= kHighSurrogateLast; }
bool IsLowSurrogate(char16_t unit) { return unit >= kLowSurrogateFirst && unit <= kLowSurrogateLast; }

bool IsValidPair(std::u16string_view text, std::size_t i)
{
    return IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
}

// Appends a value computed from a four-byte sequence (U+10000 or above): a surrogate pair, or
// U+FFFD beyond the last code point.
void AppendFourByteValue(std::u16string& out, char32_t value)
{
    if (value > kLastCodePoint) {
        out.push_back(kReplacementCharacter);
    } else {
        const char32_t offset = value - kFirstSupplementary;
        out.push_back(static_cast<char16_t>(kHighSurrogateFirst + (offset >> kSurrogateBits)));
        out.push_back(static_cast<char16_t>(kLowSurrogateFirst + (offset & kSurrogateMask)));
    }
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The five entities as the decoder looks for them, with "&" already matched.
struct EntityName {
    std::string_view text;  // lower-case letters and the closing ';'
    char character;
};
const EntityName kEntities[] = {{"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"apos;", '\''}, {"quot;", '"'}};

// Matches one of the five entities at text[at] == '&'; returns its length, 0 for none.
std::size_t MatchEntity(std::string_view text, std::size_t at, char& character)
{
    for (const EntityName& entity : kEntities) {
        const std::size_t length = entity.text.size();
        if (text.size() - at - 1 < length)
            continue;
        std::size_t k = 0;
        while (k < length && AsciiLower(text[at + 1 + k]) == entity.text[k])
            ++k;
        if (k == length) {
            character = entity.character;
            return length + 1;
        }
    }
    return 0;
}

int DigitValue(char c, int base)
{
    int digit = -1;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + kDecimalBase;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + kDecimalBase;
    return digit < base ? digit : -1;
}

// Matches a numeric reference "&#NNN;" or "&#xHH;" at text[at] == '&'; returns its length
// and the byte it stands for, 0 when the text is not a positive number closed by ';'.
std::size_t MatchNumericReference(std::string_view text, std::size_t at, char& byte)
{
    std::size_t i = at + 2;
    int base = kDecimalBase;
    if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
        base = kHexBase;
        ++i;
    }
    const std::size_t digitsStart = i;
    std::int64_t number = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            break;
        number = number * base + digit;
        if (number > kMaxReferenceNumber)
            return 0;
    }
    if (i == digitsStart || i >= text.size() || text[i] != ';' || number <= 0)
        return 0;
    byte = static_cast<char>(number % kByteRange);
    return i + 1 - at;
}

// Moves size bytes from `from` to `to`, which is not above it. Runs between references are a
// few dozen bytes: whole words in a loop beat a call to memmove. Each word is read before it is
// written, at or below where it was read, so no byte is overwritten before it is read.
void MoveDown(char* to, const char* from, std::size_t size)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    constexpr std::size_t kVectorBytes = 16;
    for (; size - i >= kVectorBytes; i += kVectorBytes)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
#endif
    for (; size - i >= kWordBytes; i += kWordBytes) {
        std::uint64_t word;
        std::memcpy(&word, from + i, kWordBytes);
        std::memcpy(to + i, &word, kWordBytes);
    }
    for (; i < size; ++i)
        to[i] = from[i];
}

// Decodes in place, left to right; the output is never longer than the input. The bytes
// between one '&' and the next are moved as one run.
// Decodes bytes[0 .. size) where they stand; returns the decoded size.
std::size_t DecodeSpanInPlace(char* const bytes, const std::size_t size, bool numericReferences)
{
    // Runs between references are short: the parser's inline search beats a call to memchr.
    const std::string_view text(bytes, size);
    const std::size_t first = simplexml::FindByte(text, 0, '&');
    if (first == std::string_view::npos)
        return size;
    std::size_t read = first;
    std::size_t write = read;
    while (read < size) {
        // bytes[read] is an '&'.
        char decoded = 0;
        std::size_t length = 0;
        const bool numeric = read + 1 < size && bytes[read + 1] == '#';
        if (!numeric)
            length = MatchEntity(text, read, decoded);
        else if (numericReferences)
            length = MatchNumericReference(text, read, decoded);
        if (length > 0) {
            bytes[write++] = decoded;
            read += length;
        } else {
            bytes[write++] = '&';
            ++read;
        }
        const std::size_t runEnd = std::min(simplexml::FindByte(text, read, '&'), size);
        MoveDown(bytes + write, bytes + read, runEnd - read);
        write += runEnd - read;
        read = runEnd;
    }
    return write;
}

void DecodeInPlace(std::string& text, bool numericReferences)
{
    text.resize(DecodeSpanInPlace(text.data(), text.size(), numericReferences));
}

const char* EntityFor(char c)
{
    switch (c) {
    case '"': return "&quot;";
    case '&': return "&amp;";
    case '\'': return "&apos;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return nullptr;
    }
}

// The entity characters and their replacements, one table lookup per byte.
struct SpecialBytes {
    bool entity[kByteRange] = {};
    std::string_view replacement[kByteRange] = {};
    SpecialBytes()
    {
        for (const char c : {'"', '&', '\'', '<', '>'}) {
            entity[static_cast<unsigned char>(c)] = true;
            replacement[static_cast<unsigned char>(c)] = EntityFor(c);
        }
    }
};
const SpecialBytes kSpecial;

void AppendEncoded(std::string& out, std::string_view text, bool numericReferences)
{
    std::size_t runStart = 0;
    for (std::size_t i = simplexml::EntityFreeRunEnd(text, 0, numericReferences); i < text.size();
         i = simplexml::EntityFreeRunEnd(text, i, numericReferences)) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out.append(text.data() + runStart, i - runStart);
        runStart = ++i;
        if (c >= kAsciiLimit) {
            const char reference[] = {'&', '#', 'x', kUpperHexDigits[c / kHexBase], kUpperHexDigits[c % kHexBase], ';'};
            out.append(reference, sizeof reference);
        } else {
            out.append(kSpecial.replacement[c]);
        }
    }
    out.append(text.data() + runStart, text.size() - runStart);
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    if (utf8.empty())
        return out;
    if (IsAscii(utf8))
        return std::u16string(utf8.begin(), utf8.end());
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead < kTwoByteLead || lead >= kInvalidLead) {
            out.push_back(lead);
            ++i;
            continue;
        }
        const std::size_t following = lead < kThreeByteLead ? 1 : lead < kFourByteLead ? 2 : 3;
        const unsigned char leadMask = lead < kThreeByteLead ? kTwoByteValueMask
            : lead < kFourByteLead                           ? kThreeByteValueMask
                                                             : kFourByteValueMask;
        if (utf8.size() - i - 1 < following) {
            // A truncated sequence at the end: the lead byte stands for itself, the rest is dropped.
            out.push_back(lead);
            break;
        }
        char32_t value = lead & leadMask;
        std::size_t k = 1;
        for (; k <= following; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & kContinuationMask) != kContinuationMarker)
                break;
            value = (value << kContinuationBits) | (next - kContinuationMarker);
        }
        // An overlong form is no valid sequence either: read as characters, C0 8A must not
        // become a line feed (saved as one, it would be a different text).
        constexpr char32_t kLowestValue[] = {0, kAsciiLimit, kTwoByteLimit, kFirstSupplementary};
        if (k <= following || value < kLowestValue[following]) {
            out.push_back(lead);
            ++i;
            continue;
        }
        if (following == 3)
            AppendFourByteValue(out, value);
        else
            out.push_back(static_cast<char16_t>(value));
        i += following + 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::size_t length = 0;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit < kAsciiLimit) {
            length += 1;
        } else if (unit < kTwoByteLimit) {
            length += 2;
        } else if (IsValidPair(utf16, i)) {
            length += 4;
            ++i;
        } else {
            length += 3;
        }
    }
    std::string out(length, '\0');
    if (length == utf16.size()) {
        for (std::size_t i = 0; i < length; ++i)
            out[i] = static_cast<char>(utf16[i]);
        return out;
    }
    std::size_t o = 0;
    const auto put = [&out, &o](char32_t byte) { out[o++] = static_cast<char>(byte); };
    // Lead byte, then the remaining bits six at a time, highest first.
    const auto putSequence = [&put](char32_t value, unsigned char lead, unsigned continuations) {
        put(lead | (value >> (kContinuationBits * continuations)));
        while (continuations-- > 0)
            put(kContinuationMarker | ((value >> (kContinuationBits * continuations)) & kSixBitMask));
    };
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = utf16[i];
        if (unit < kAsciiLimit) {
            put(unit);
        } else if (unit < kTwoByteLimit) {
            putSequence(unit, kTwoByteLead, 1);
        } else if (IsValidPair(utf16, i)) {
            const char32_t value = kFirstSupplementary + ((unit - kHighSurrogateFirst) << kSurrogateBits)
                + (utf16[i + 1] - kLowSurrogateFirst);
            putSequence(value, kFourByteLead, 3);
            ++i;
        } else {
            putSequence(unit, kThreeByteLead, 2);
        }
    }
    return out;
}

std::string Utf16ToEditingCodePage(std::u16string_view utf16)
{
    return Utf16ToUtf8(utf16);
}

std::u16string EditingCodePageToUtf16(std::string_view editing)
{
    return Utf8ToUtf16(editing);
}

std::string FiveEntityEncode(std::string_view text)
{
    return EntityEncode(text);
}

std::string FiveEntityDecode(std::string_view text)
{
    return EntityDecode(text);
}

std::string XmlValueEncode(std::string_view text)
{
    std::string out;
    AppendXmlValueEncoded(out, text);
    return out;
}

std::string XmlValueDecode(std::string_view text)
{
    std::string out(text);
    XmlValueDecodeInPlace(out);
    return out;
}

std::string EntityEncode(std::string_view text)
{
    std::string out;
    AppendEntityEncoded(out, text);
    return out;
}

std::string EntityDecode(std::string_view text)
{
    std::string out(text);
    EntityDecodeInPlace(out);
    return out;
}

void AppendXmlValueEncoded(std::string& out, std::string_view text)
{
    AppendEncoded(out, text, true);
}

void AppendEntityEncoded(std::string& out, std::string_view text)
{
    AppendEncoded(out, text, false);
}

void XmlValueDecodeInPlace(std::string& text)
{
    DecodeInPlace(text, true);
}

void EntityDecodeInPlace(std::string& text)
{
    DecodeInPlace(text, false);
}

bool IsWellFormedUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
#if defined(__SSE2__)
        // Values are mostly ASCII: sixteen bytes without a high bit are skipped in one step.
        constexpr std::size_t kVectorBytes = 16;
        if (text.size() - i >= kVectorBytes
            && _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i))) == 0) {
            i += kVectorBytes;
            continue;
        }
#endif
        // Values are mostly ASCII: a word without a high bit is skipped in one step.
        if (text.size() - i >= kWordBytes) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, kWordBytes);
            if ((word & kHighBitOfEveryByte) == 0) {
                i += kWordBytes;
                continue;
            }
        }
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < kAsciiLimit) {
            ++i;
            continue;
        }
        // Leads whose following bytes may be any continuation bytes (most of Hangul and the
        // two-byte forms) are checked right here; the others by the general rule.
        const std::size_t plainLength = PlainSequenceLength(lead);
        if (plainLength != 0 && text.size() - i >= plainLength && IsContinuation(text[i + 1])
            && (plainLength == 2 || IsContinuation(text[i + 2]))) {
            i += plainLength;
            continue;
        }
        const std::size_t length = WellFormedSequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

void Utf8FiveEntityDecodeInPlace(std::string& value)
{
    if (IsWellFormedUtf8(value))
        EntityDecodeInPlace(value);
    else
        value = FiveEntityDecode(Utf16ToEditingCodePage(Utf8ToUtf16(value)));
}

std::size_t Utf8FiveEntityDecodeSpan(char* bytes, std::size_t size)
{
    // Most values are short and ASCII without an '&', which decoding leaves as they are: the
    // full checks take over from the first byte that is not.
    const std::size_t plain = simplexml::PlainValueRunEnd(std::string_view(bytes, size), 0);
    if (plain == size)
        return size;
    // Well-formed text only shrinks; the rest takes the way through UTF-16, which may grow it.
    if (!IsWellFormedUtf8(std::string_view(bytes + plain, size - plain)))
        return std::string_view::npos;
    return plain + DecodeSpanInPlace(bytes + plain, size - plain, false);
}

void Utf8FiveEntityEncodeInPlace(std::string& value)
{
    if (!IsWellFormedUtf8(value)) {
        value = FiveEntityEncode(Utf16ToUtf8(EditingCodePageToUtf16(value)));
        return;
    }
    for (const char c : value) {
        if (kSpecial.entity[static_cast<unsigned char>(c)]) {
            value = EntityEncode(value);
            return;
        }
    }
}

std::string_view FiveEntityFor(char c)
{
    return kSpecial.replacement[static_cast<unsigned char>(c)];
}

void AppendUtf8FiveEntityEncoded(std::string& out, std::string_view value)
{
    // One pass that encodes and checks the UTF-8 at once; malformed text takes back what was
    // appended and goes the long way.
    const std::size_t start = out.size();
    std::size_t runStart = 0;
    for (std::size_t i = simplexml::EntityFreeRunEnd(value, 0, true); i < value.size();
         i = simplexml::EntityFreeRunEnd(value, i, true)) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c >= kAsciiLimit) {
            const std::size_t length = WellFormedSequenceLength(value, i);
            if (length == 0) {
                out.resize(start);
                out += FiveEntityEncode(Utf16ToUtf8(EditingCodePageToUtf16(value)));
                return;
            }
            i += length;
            continue;
        }
        out.append(value.data() + runStart, i - runStart);
        out.append(kSpecial.replacement[c]);
        runStart = ++i;
    }
    out.append(value.data() + runStart, value.size() - runStart);
}
