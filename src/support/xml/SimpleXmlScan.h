#pragma once

#include <cstddef>
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

} // namespace simplexml
