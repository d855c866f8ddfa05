#pragma once

#include <string>
#include <string_view>

// Text converters of the XML layer and of the icon page value hooks. All are pure functions
// that never fail: malformed input is carried through as text.

// Lenient UTF-8 decoding: a byte that does not start a valid sequence (an overlong form is none)
// is read as the character of the same number; a valid four-byte sequence above U+FFFF becomes a
// surrogate pair. Encoded surrogates are kept as the units they encode.
std::u16string Utf8ToUtf16(std::string_view utf8);

// UTF-8 encoding; a valid surrogate pair becomes one four-byte sequence, a lone surrogate is
// encoded by itself as three bytes.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The editing form is the text the program holds while a value is being edited; it is UTF-8.
std::string Utf16ToEditingCodePage(std::u16string_view utf16);
std::u16string EditingCodePageToUtf16(std::string_view editing);

// The five predefined entities: & < > " ' and &amp; &lt; &gt; &quot; &apos;. Decoding compares
// the entity letters without regard to case and replaces "&amp;" last, so it inverts encoding.
std::string FiveEntityEncode(std::string_view text);
std::string FiveEntityDecode(std::string_view text);
// The entity that stands for c when c is one of the five, else empty.
std::string_view FiveEntityFor(char c);

// Codec of the sxoAutoEncodeValue option: the five entities plus "&#xHH;" for every byte from
// 128; decoding also reads decimal and hexadecimal references as one byte (number modulo 256).
std::string XmlValueEncode(std::string_view text);
std::string XmlValueDecode(std::string_view text);

// Codec of the sxoAutoEncodeEntity option: the five entities only.
std::string EntityEncode(std::string_view text);
std::string EntityDecode(std::string_view text);

// Appending and in-place forms used by the parser and writer, which skip the copy when a value
// holds nothing to convert.
void AppendXmlValueEncoded(std::string& out, std::string_view text);
void AppendEntityEncoded(std::string& out, std::string_view text);
void XmlValueDecodeInPlace(std::string& text);
void EntityDecodeInPlace(std::string& text);

// True when text is well-formed UTF-8: no stray or cut-off sequence, no overlong form, no
// encoded surrogate, nothing above U+10FFFF. Such text comes back unchanged from
// Utf16ToUtf8(Utf8ToUtf16(text)), which changes most other text.
bool IsWellFormedUtf8(std::string_view text);

// FiveEntityDecode(Utf16ToEditingCodePage(Utf8ToUtf16(value))) and
// FiveEntityEncode(Utf16ToUtf8(EditingCodePageToUtf16(value))), in place. Well-formed UTF-8
// skips the trip through UTF-16, which would give the same bytes back.
void Utf8FiveEntityDecodeInPlace(std::string& value);
// Utf8FiveEntityDecodeInPlace on bytes[0 .. size) where they stand, returning the decoded size;
// npos, with the bytes untouched, when the decoded form might not fit (malformed UTF-8).
std::size_t Utf8FiveEntityDecodeSpan(char* bytes, std::size_t size);
void Utf8FiveEntityEncodeInPlace(std::string& value);
// Appends what Utf8FiveEntityEncodeInPlace would make of value to out, without a copy of it.
void AppendUtf8FiveEntityEncoded(std::string& out, std::string_view value);
