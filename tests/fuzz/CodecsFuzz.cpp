// libFuzzer target for the text codecs: arbitrary bytes through every converter, checking the
// round trips that must hold for any input.
#include "support/IconPageXml.h"
#include "support/xml/UnicodeCodecs.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    Require(XmlValueDecode(XmlValueEncode(bytes)) == bytes);
    Require(EntityDecode(EntityEncode(bytes)) == bytes);
    Require(FiveEntityDecode(FiveEntityEncode(bytes)) == bytes);
    Require(XmlValueDecode(bytes).size() <= bytes.size());
    Require(EntityDecode(bytes).size() <= bytes.size());

    const std::u16string units = Utf8ToUtf16(bytes);
    Require(units.size() <= bytes.size());
    Require(Utf8ToUtf16(Utf16ToUtf8(units)) == units);
    Require(EditingCodePageToUtf16(Utf16ToEditingCodePage(units)) == units);

    // The icon page hooks' shortcut for well-formed UTF-8 gives what the full chain gives.
    std::string shortcut = bytes;
    Utf8FiveEntityDecodeInPlace(shortcut);
    Require(shortcut == FiveEntityDecode(Utf16ToEditingCodePage(Utf8ToUtf16(bytes))));
    shortcut = bytes;
    Utf8FiveEntityEncodeInPlace(shortcut);
    Require(shortcut == FiveEntityEncode(Utf16ToUtf8(EditingCodePageToUtf16(bytes))));

    // The single-pass appending encoder gives what the in-place one gives, after what is there.
    std::string appended = "x";
    AppendUtf8FiveEntityEncoded(appended, bytes);
    Require(appended == "x" + shortcut);

    // The parser keeps a value without calling the decode hook only when the hook would keep it.
    if (IconPageDecodeKeepsValue(bytes)) {
        std::string decoded = bytes;
        IconPageDecodeValue(decoded);
        Require(decoded == bytes);
    }

    // The same bytes read as UTF-16 units, lone surrogates included.
    std::u16string raw(size / sizeof(char16_t), u'\0');
    std::memcpy(raw.data(), data, raw.size() * sizeof(char16_t));
    Require(Utf8ToUtf16(Utf16ToUtf8(raw)) == raw);
    return 0;
}
