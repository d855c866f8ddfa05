// The writer's fast paths against the plain ones: the appending form of the icon page encode
// hook against the in-place form, and a document saved into one string against the same
// document written through a stream in blocks.

#include "support/IconPageXml.h"
#include "support/xml/SimpleXml.h"
#include "support/xml/UnicodeCodecs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Pieces that reach every branch: plain text, the five specials, well-formed Hangul, a lone
// lead byte, a stray continuation byte, an overlong form, a control character and numeric
// references, well-formed and not.
const char* const kPieces[] = {"abc", " ", "&", "<", ">", "\"", "'", "&amp;", "\xEB\xA7\x88\xEC\x9D\x84",
    "\xC3", "\x80", "\xC0\xAF", "\x01", "\xF0\x9F\x98\x80", "\xFF", "&#10;", "&#xA;", "&#", "&#x;", "&#0;", "1;", "x"};
constexpr int kPieceCount = sizeof kPieces / sizeof kPieces[0];

std::string randomValue(std::mt19937& random)
{
    constexpr int kMaxPieces = 12;
    std::string value;
    const int count = int(random() % kMaxPieces);
    for (int i = 0; i < count; ++i)
        value += kPieces[random() % kPieceCount];
    return value;
}

// The encoders byte by byte, as they were before they searched sixteen bytes at a time.
std::string PlainEncode(const std::string& text, bool highBytesAsReferences)
{
    const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else if (c == '\'') out += "&apos;";
        else if (highBytesAsReferences && byte >= 0x80) out += std::string("&#x") + hex[byte / 16] + hex[byte % 16] + ";";
        else out += c;
    }
    return out;
}

TEST(WriterFastPath, SearchingSixteenBytesAtATimeEncodesLikeTheBytewiseLoopAtEveryOffset)
{
    constexpr int kValues = 4000;
    constexpr unsigned kMaxLead = 33;  // plain bytes in front, so each piece meets every offset
    std::mt19937 random(29);
    for (int i = 0; i < kValues; ++i) {
        const std::string value = std::string(random() % kMaxLead, 'p') + randomValue(random) + randomValue(random);
        std::string out = "prefix";
        AppendEntityEncoded(out, value);
        ASSERT_EQ(out, "prefix" + PlainEncode(value, false)) << "value " << i;
        out = "prefix";
        AppendXmlValueEncoded(out, value);
        ASSERT_EQ(out, "prefix" + PlainEncode(value, true)) << "value " << i;
        out = "prefix";
        AppendUtf8FiveEntityEncoded(out, value);
        const std::string expected = IsWellFormedUtf8(value)
            ? PlainEncode(value, false)
            : PlainEncode(Utf16ToUtf8(EditingCodePageToUtf16(value)), false);
        ASSERT_EQ(out, "prefix" + expected) << "value " << i;
    }
}

TEST(WriterFastPath, AppendingEncodeGivesTheInPlaceEncodeAfterWhatIsThere)
{
    constexpr int kValues = 5000;
    std::mt19937 random(13);
    for (int i = 0; i < kValues; ++i) {
        const std::string value = randomValue(random);
        std::string expected = value;
        Utf8FiveEntityEncodeInPlace(expected);
        std::string out = "prefix";
        AppendUtf8FiveEntityEncoded(out, value);
        ASSERT_EQ(out, "prefix" + expected) << "value " << i;
    }
}

TEST(WriterFastPath, AppendingPageHookGivesThePageHookAndKeepsNumericReferences)
{
    constexpr int kValues = 5000;
    std::mt19937 random(17);
    for (int i = 0; i < kValues; ++i) {
        const std::string value = randomValue(random);
        std::string expected = value;
        IconPageEncodeValue(expected);
        std::string out = "prefix";
        IconPageAppendEncodedValue(out, value);
        ASSERT_EQ(out, "prefix" + expected) << "value " << i;
    }
}

enum class Hooks { None, InPlace, Both };

struct SaveCase {
    const char* name;
    Hooks hooks;
    bool indent;
    int elements;  // enough of them pass the writer's block size and its size estimate
};

class WriterSaveToString : public testing::TestWithParam<SaveCase> { };

void configure(TSimpleXML& doc, const SaveCase& c)
{
    if (!c.indent)
        doc.Options().Exclude(sxoAutoIndent);
    if (c.hooks != Hooks::None) {
        doc.OnDecodeValue = Utf8FiveEntityDecodeInPlace;
        doc.OnEncodeValue = Utf8FiveEntityEncodeInPlace;
    }
    if (c.hooks == Hooks::Both)
        doc.OnAppendEncodedValue = AppendUtf8FiveEntityEncoded;
}

TEST_P(WriterSaveToString, GivesTheBytesOfTheStreamWriteAndOfTheInPlaceHook)
{
    const SaveCase c = GetParam();
    std::mt19937 random(c.elements);
    TSimpleXML doc;
    configure(doc, c);
    TSimpleXMLElemClassic& root = doc.Root();
    root.SetName("Page");
    for (int i = 0; i < c.elements; ++i) {
        TSimpleXMLElemClassic& icon = *root.Items().Add("Icon");
        icon.Properties().Add("Name", randomValue(random));
        icon.Properties().Add("Tooltip", randomValue(random) + randomValue(random));
        if (i % 3 == 0)
            icon.Items().Add("Note")->SetValue(randomValue(random));
    }

    TMemoryStream stream;
    doc.SaveToStream(stream);
    const std::string saved = doc.SaveToString();
    ASSERT_EQ(saved, stream.Bytes());

    if (c.hooks == Hooks::Both) {
        doc.OnAppendEncodedValue = nullptr;  // the plain hook alone
        ASSERT_EQ(doc.SaveToString(), saved);
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, WriterSaveToString,
    testing::Values(SaveCase{"small_codecs", Hooks::None, true, 3},
        SaveCase{"large_codecs_numeric_references", Hooks::None, false, 3000},
        SaveCase{"small_in_place_hook", Hooks::InPlace, true, 3},
        SaveCase{"large_in_place_hook", Hooks::InPlace, true, 3000},
        SaveCase{"small_both_hooks", Hooks::Both, false, 3},
        SaveCase{"large_both_hooks_indented", Hooks::Both, true, 3000},
        // Past a megabyte: the root's children are written by two threads.
        SaveCase{"split_codecs", Hooks::None, false, 30000},
        SaveCase{"split_both_hooks_indented", Hooks::Both, true, 30000}),
    [](const testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

}  // namespace
