// The in-place value conversions that skip the trip through UTF-16 for well-formed UTF-8 must
// give exactly the bytes of the full conversion chain, for every input.
#include "support/xml/UnicodeCodecs.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string LongDecode(const std::string& value)
{
    return FiveEntityDecode(Utf16ToEditingCodePage(Utf8ToUtf16(value)));
}

std::string LongEncode(const std::string& value)
{
    return FiveEntityEncode(Utf16ToUtf8(EditingCodePageToUtf16(value)));
}

std::string Decoded(std::string value)
{
    Utf8FiveEntityDecodeInPlace(value);
    return value;
}

std::string Encoded(std::string value)
{
    Utf8FiveEntityEncodeInPlace(value);
    return value;
}

// Pieces that meet at the edges of every rule: entity bytes, lead bytes at and beside each
// limit, continuation bytes at the limits that decide overlong forms, surrogates and the end
// of the code space.
const std::vector<std::string> kPieces = {
    "a", "&", "<", "\"", "'", ">", "amp;", "lt;", "\x7F",
    "\x80", "\x8F", "\x90", "\x9F", "\xA0", "\xBF",
    "\xC0", "\xC1", "\xC2", "\xDF", "\xE0", "\xED", "\xEF", "\xF0", "\xF4", "\xF5", "\xF8", "\xFF",
};

// Every sequence of up to kMaxPieces pieces.
constexpr std::size_t kMaxPieces = 4;

template <class Check>
void ForEachCombination(const Check& check)
{
    std::vector<std::string> level = {""};
    for (std::size_t n = 0; n < kMaxPieces; ++n) {
        std::vector<std::string> next;
        for (const std::string& prefix : level)
            for (const std::string& piece : kPieces)
                next.push_back(prefix + piece);
        for (const std::string& text : next)
            check(text);
        level = std::move(next);
    }
}

TEST(Utf8EntityValue, WellFormedUtf8IsRecognised)
{
    EXPECT_TRUE(IsWellFormedUtf8(""));
    EXPECT_TRUE(IsWellFormedUtf8("plain & <text>"));
    EXPECT_TRUE(IsWellFormedUtf8("\xC2\x80\xDF\xBF"));                 // U+0080, U+07FF
    EXPECT_TRUE(IsWellFormedUtf8("\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80")); // U+0800, U+D7FF, U+E000
    EXPECT_TRUE(IsWellFormedUtf8("\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));  // U+1F600, U+10FFFF
    EXPECT_FALSE(IsWellFormedUtf8("\xC0\x80")) << "overlong";
    EXPECT_FALSE(IsWellFormedUtf8("\xE0\x9F\xBF")) << "overlong";
    EXPECT_FALSE(IsWellFormedUtf8("\xF0\x8F\xBF\xBF")) << "overlong";
    EXPECT_FALSE(IsWellFormedUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(IsWellFormedUtf8("\xF4\x90\x80\x80")) << "past U+10FFFF";
    EXPECT_FALSE(IsWellFormedUtf8("\xE9\x80")) << "cut off";
    EXPECT_FALSE(IsWellFormedUtf8("a\x80")) << "stray continuation";
    EXPECT_FALSE(IsWellFormedUtf8("\xFF"));
}

// Long ASCII runs are checked a word at a time: a sequence must be judged the same at every
// offset, including across word boundaries and in the tail shorter than a word.
TEST(Utf8EntityValue, SequencesInsideLongAsciiRunsAreJudgedAtEveryOffset)
{
    const std::string ascii(24, 'a');
    for (std::size_t at = 0; at <= ascii.size(); ++at) {
        const auto with = [&](const char* sequence) { return std::string(ascii).insert(at, sequence); };
        EXPECT_TRUE(IsWellFormedUtf8(with("\xEC\xB4\x8C"))) << at;
        EXPECT_TRUE(IsWellFormedUtf8(with("\xF0\x9F\x98\x80"))) << at;
        EXPECT_FALSE(IsWellFormedUtf8(with("\xE9\x80"))) << at;
        EXPECT_FALSE(IsWellFormedUtf8(with("\x80"))) << at;
        EXPECT_FALSE(IsWellFormedUtf8(with("\xFF"))) << at;
    }
}

struct Utf8Row {
    const char* text;
    bool wellFormed;
};

class PlainLeadShortcut : public ::testing::TestWithParam<Utf8Row> {};

// Two-byte leads and the three-byte leads without a special second-byte range are checked
// by a shortcut; it must judge like the general rule, also for what is not well-formed.
TEST_P(PlainLeadShortcut, JudgesLikeTheGeneralRule)
{
    EXPECT_EQ(IsWellFormedUtf8(GetParam().text), GetParam().wellFormed) << GetParam().text;
    EXPECT_EQ(IsWellFormedUtf8(std::string(17, 'a') + GetParam().text + "b"), GetParam().wellFormed);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlainLeadShortcut,
    ::testing::Values(Utf8Row{"\xC2\x80", true}, Utf8Row{"\xDF\xBF", true}, Utf8Row{"\xC2\x41", false},
                      Utf8Row{"\xDF\xC0", false}, Utf8Row{"\xC2", false}, Utf8Row{"\xE1\x80\x80", true},
                      Utf8Row{"\xEC\xBF\xBF", true}, Utf8Row{"\xEE\x80\x80", true}, Utf8Row{"\xEF\xBF\xBF", true},
                      Utf8Row{"\xEC\xB4", false}, Utf8Row{"\xEC\x41\x80", false}, Utf8Row{"\xEC\x80\x41", false},
                      Utf8Row{"\xEC\xB4\xC0", false}, Utf8Row{"\xED\x9F\xBF", true}, Utf8Row{"\xED\xA0\x80", false},
                      Utf8Row{"\xE0\x9F\xBF", false}, Utf8Row{"\xE0\xA0\x80", true}, Utf8Row{"\xF0\x9F\x98\x80", true}));

TEST(Utf8EntityValue, WellFormedTextSurvivesTheTripThroughUtf16)
{
    ForEachCombination([](const std::string& text) {
        if (IsWellFormedUtf8(text)) {
            EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text) << testing::PrintToString(text);
        }
    });
}

TEST(Utf8EntityValue, InPlaceConversionsEqualTheFullChain)
{
    ForEachCombination([](const std::string& text) {
        EXPECT_EQ(Decoded(text), LongDecode(text)) << testing::PrintToString(text);
        EXPECT_EQ(Encoded(text), LongEncode(text)) << testing::PrintToString(text);
    });
}

TEST(Utf8EntityValue, MalformedBytesStillTakeTheFullChain)
{
    // Each is changed by the trip through UTF-16, so a shortcut would show here.
    EXPECT_EQ(Decoded("\xC0\x80&amp;"), "\xC3\x80\xC2\x80&") << "overlong NUL, read byte by byte";
    EXPECT_EQ(Decoded("\xED\xA0\xBD\xED\xB8\x80"), "\xF0\x9F\x98\x80") << "surrogate pair in six bytes";
    EXPECT_EQ(Decoded("\xE9&lt;"), "\xC3\xA9<") << "stray lead byte";
    EXPECT_EQ(Encoded("\xF5\x80\x80\x80<"), "\xEF\xBF\xBD&lt;") << "past the code space";
    EXPECT_EQ(Encoded("x\xE9\x80"), "x\xC3\xA9") << "cut off at the end";
    EXPECT_EQ(Decoded("\xEC\xB4\x8C &amp; \xF0\x9F\x98\x80"), "\xEC\xB4\x8C & \xF0\x9F\x98\x80");
    EXPECT_EQ(Encoded("\xEC\xB4\x8C & \xF0\x9F\x98\x80"), "\xEC\xB4\x8C &amp; \xF0\x9F\x98\x80");
}

} // namespace
