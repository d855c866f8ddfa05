#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The parser's inner loops over runs of bytes, sixteen at a time where the processor allows.
// Values and names are a few dozen bytes: a vector step and one count of trailing zeros beat a
// call to memchr, and a loop with a branch per byte that mispredicts at the end of every run.
namespace simplexml {

constexpr std::size_t kVectorBytes = 16;

// The first c at or after from, else npos.
inline std::size_t FindByte(std::string_view bytes, std::size_t from, char c)
{
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; bytes.size() - i >= kVectorBytes; i += kVectorBytes) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    for (; i < bytes.size(); ++i)
        if (bytes[i] == c)
            return i;
    return std::string_view::npos;
}

// FindByte that also tells whether every byte before the one found (or before the end, when
// there is none) is ASCII other than '&': a value's closing quote, and whether decoding may
// leave the value as it is, in one pass.
inline std::size_t FindByteNotingPlain(std::string_view bytes, std::size_t from, char c, bool& plain)
{
    std::size_t i = from;
    unsigned special = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    const __m128i ampersand = _mm_set1_epi8('&');
    for (; bytes.size() - i >= kVectorBytes; i += kVectorBytes) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        const unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)));
        // The sign bit of each byte marks a non-ASCII byte, the comparison an '&'.
        const unsigned marks =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(block, _mm_cmpeq_epi8(block, ampersand))));
        if (found != 0) {
            const unsigned at = static_cast<unsigned>(__builtin_ctz(found));
            plain = (special | (marks & ((1u << at) - 1))) == 0;
            return i + at;
        }
        special |= marks;
    }
#endif
    for (; i < bytes.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte == static_cast<unsigned char>(c)) {
            plain = special == 0;
            return i;
        }
        special |= static_cast<unsigned>(byte >= 0x80 || byte == '&');
    }
    plain = special == 0;
    return std::string_view::npos;
}

// Letters, digits, '-' and '_': the bytes of a property name.
constexpr bool IsPropertyNameByte(unsigned char c)
{
    const unsigned char lower = static_cast<unsigned char>(c | 0x20);
    return (lower >= 'a' && lower <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// End of the run of property name bytes from `from`.
inline std::size_t PropertyNameEnd(std::string_view bytes, std::size_t from)
{
    std::size_t i = from;
#if defined(__SSE2__)
    // Signed comparisons: bytes from 0x80 on are negative and fall outside every range.
    const auto inRange = [](__m128i v, char first, char last) {
        return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(first - 1))),
                             _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(last + 1))));
    };
    for (; bytes.size() - i >= kVectorBytes; i += kVectorBytes) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        const __m128i letters = inRange(_mm_or_si128(block, _mm_set1_epi8(0x20)), 'a', 'z');
        const __m128i digits = inRange(block, '0', '9');
        const __m128i marks =
            _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('-')), _mm_cmpeq_epi8(block, _mm_set1_epi8('_')));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letters, digits), marks));
        if (mask != 0xFFFF)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(~mask)));
    }
#endif
    while (i < bytes.size() && IsPropertyNameByte(static_cast<unsigned char>(bytes[i])))
        ++i;
    return i;
}

// End of the run from `from` of ASCII bytes other than '&': the bytes that value decoding
// leaves as they are.
inline std::size_t PlainValueRunEnd(std::string_view bytes, std::size_t from)
{
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i ampersand = _mm_set1_epi8('&');
    for (; bytes.size() - i >= kVectorBytes; i += kVectorBytes) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
        // The sign bit of each byte marks a non-ASCII byte, the comparison an '&'.
        const int mask = _mm_movemask_epi8(_mm_or_si128(block, _mm_cmpeq_epi8(block, ampersand)));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80 && bytes[i] != '&')
        ++i;
    return i;
}

#if defined(__SSE2__)
// The places among the n (< 16) bytes at p where `stops` (a 16-bit mask of a block) finds a byte,
// as a mask from p. Most values are shorter than a block: two overlapping loads of the bytes that
// are there, within the value, cover them without a loop; zero bytes fill the rest of the block,
// and a function that looks for them must not use this.
template <class Stops>
__attribute__((always_inline)) inline unsigned TailMask(const char* p, std::size_t n, Stops stops)
{
    if (n >= 8) {
        const __m128i block = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                                                 _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + n - 8)));
        const unsigned mask = stops(block);
        return (mask & 0xFFU) | ((mask >> 8) << (n - 8));
    }
    if (n >= 4) {
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        std::memcpy(&first, p, 4);
        std::memcpy(&last, p + n - 4, 4);
        const unsigned mask = stops(_mm_set_epi32(0, 0, static_cast<int>(last), static_cast<int>(first)));
        return (mask & 0xFU) | (((mask >> 4) & 0xFU) << (n - 4));
    }
    if (n == 0)
        return 0;
    // One to three bytes: the first, the middle and the last cover them.
    const std::uint32_t three = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8
        | static_cast<std::uint32_t>(static_cast<unsigned char>(p[n - 1])) << 16;
    const unsigned mask = stops(_mm_cvtsi32_si128(static_cast<int>(three)));
    return (mask & 1U) | ((mask >> 1) & 1U) << (n / 2) | ((mask >> 2) & 1U) << (n - 1);
}

// The first place at or after `from` where `stops` finds a byte, else bytes.size().
template <class Stops>
__attribute__((always_inline)) inline std::size_t FirstStop(std::string_view bytes, std::size_t from, Stops stops)
{
    std::size_t i = from;
    for (; bytes.size() - i >= kVectorBytes; i += kVectorBytes) {
        const unsigned mask = stops(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i)));
        if (mask != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    const unsigned mask = TailMask(bytes.data() + i, bytes.size() - i, stops);
    return mask != 0 ? i + static_cast<std::size_t>(__builtin_ctz(mask)) : bytes.size();
}
#endif

// End of the run from `from` of bytes other than the five that take an entity (" & ' < >), and,
// when `stopAtHigh`, other than the bytes from 0x80 on: the bytes value encoding copies as they are.
inline std::size_t EntityFreeRunEnd(std::string_view bytes, std::size_t from, bool stopAtHigh)
{
#if defined(__SSE2__)
    const auto stops = [stopAtHigh](__m128i block) {
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('"')), _mm_cmpeq_epi8(block, _mm_set1_epi8('&'))),
            _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('\'')),
                         _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8('<')),
                                      _mm_cmpeq_epi8(block, _mm_set1_epi8('>')))));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (stopAtHigh)
            mask |= static_cast<unsigned>(_mm_movemask_epi8(block));
        return mask;
    };
    return FirstStop(bytes, from, stops);
#else
    std::size_t i = from;
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '"' || c == '&' || c == '\'' || c == '<' || c == '>'
            || (stopAtHigh && static_cast<unsigned char>(c) >= 0x80))
            return i;
    }
    return i;
#endif
}

// The first c at or after `from`, else bytes.size(): FindByte for short runs, whose last bytes
// take no loop of their own.
inline std::size_t NextByte(std::string_view bytes, std::size_t from, char c)
{
#if defined(__SSE2__)
    // The zero bytes that fill a short last block would be found as a '\0' of the bytes.
    if (c != '\0') {
        const __m128i wanted = _mm_set1_epi8(c);
        return FirstStop(bytes, from, [wanted](__m128i block) {
            return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)));
        });
    }
#endif
    const std::size_t at = FindByte(bytes, from, c);
    return at == std::string_view::npos ? bytes.size() : at;
}

// End of the run from `from` of bytes that may stand in a tag or property name: anything but
// blanks, '=', '/', '<', '>' and quotes.
inline std::size_t MarkupNameEnd(std::string_view bytes, std::size_t from)
{
#if defined(__SSE2__)
    const auto stops = [](__m128i block) {
        const auto is = [block](char c) { return _mm_cmpeq_epi8(block, _mm_set1_epi8(c)); };
        const __m128i blanks = _mm_or_si128(_mm_or_si128(is(' '), is('\t')), _mm_or_si128(is('\n'), is('\r')));
        const __m128i marks = _mm_or_si128(_mm_or_si128(is('='), is('/')), _mm_or_si128(is('<'), is('>')));
        const __m128i quotes = _mm_or_si128(is('"'), is('\''));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(blanks, marks), quotes)));
    };
    return FirstStop(bytes, from, stops);
#else
    std::size_t i = from;
    for (; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '=' || c == '/' || c == '<' || c == '>'
            || c == '"' || c == '\'')
            return i;
    }
    return i;
#endif
}

} // namespace simplexml
