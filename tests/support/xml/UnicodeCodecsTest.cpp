#include "support/xml/UnicodeCodecs.h"

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<unsigned> values)
{
    std::string out;
    for (const unsigned v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

TEST(Utf8ToUtf16, DecodesValidSequences)
{
    EXPECT_EQ(Utf8ToUtf16(""), u"");
    EXPECT_EQ(Utf8ToUtf16("abc"), u"abc");
    EXPECT_EQ(Utf8ToUtf16(Bytes({67, 195, 169})), u"C\u00E9");
    EXPECT_EQ(Utf8ToUtf16(Bytes({226, 130, 172})), u"\u20AC");
    EXPECT_EQ(Utf8ToUtf16(Bytes({239, 187, 191})), u"\uFEFF") << "the byte order mark is not stripped";
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Utf8ToUtf16, ReadsInvalidBytesAsCharactersOfTheSameNumber)
{
    EXPECT_EQ(Utf8ToUtf16(Bytes({233})), u"\u00E9");
    EXPECT_EQ(Utf8ToUtf16(Bytes({195, 65})), u"\u00C3A");
    EXPECT_EQ(Utf8ToUtf16(Bytes({0x80, 0xBF, 0xF8, 0xFF})), u"\u0080\u00BF\u00F8\u00FF");
    // A lead byte followed by a non-continuation: only the lead is consumed.
    EXPECT_EQ(Utf8ToUtf16(Bytes({226, 65, 130, 172})), u"\u00E2A\u0082\u00AC");
}

TEST(Utf8ToUtf16, TruncatedSequenceAtTheEndGivesTheLeadAndStops)
{
    EXPECT_EQ(Utf8ToUtf16(Bytes({226, 130})), u"\u00E2");
    EXPECT_EQ(Utf8ToUtf16(Bytes({'x', 240, 159, 152})), u"x\u00F0");
}

TEST(Utf8ToUtf16, KeepsEncodedSurrogatesAndReadsOverlongFormsByteByByte)
{
    EXPECT_EQ(Utf8ToUtf16(Bytes({0xED, 0xA0, 0x80})), std::u16string(1, char16_t(0xD800)));
    EXPECT_EQ(Utf8ToUtf16(Bytes({0xC0, 0x8A, 'p'})), u"\u00C0\u008Ap") << "not a line feed";
    EXPECT_EQ(Utf8ToUtf16(Bytes({0xE0, 0x80, 0x8A})), u"\u00E0\u0080\u008A");
    EXPECT_EQ(Utf8ToUtf16(Bytes({0xF0, 0x80, 0x81, 0x81})), u"\u00F0\u0080\u0081\u0081");
    EXPECT_EQ(Utf8ToUtf16(Bytes({0xDF, 0xBF, 0xE0, 0xA0, 0x80})), u"\u07FF\u0800") << "the lowest of each length";
}

TEST(Utf8ToUtf16, FourByteSequencesBecomeSurrogatePairs)
{
    EXPECT_EQ(Utf8ToUtf16(Bytes({0xF0, 0x9F, 0x98, 0x80})), u"\U0001F600");
    EXPECT_EQ(Utf8ToUtf16(Bytes({0xF4, 0x8F, 0xBF, 0xBF})), u"\U0010FFFF");
    EXPECT_EQ(Utf8ToUtf16(Bytes({0xF7, 0xBF, 0xBF, 0xBF, 'a'})), u"\uFFFDa") << "beyond the last code point";
}

TEST(Utf16ToUtf8, EncodesEachUnit)
{
    EXPECT_EQ(Utf16ToUtf8(u""), "");
    EXPECT_EQ(Utf16ToUtf8(u"abc"), "abc");
    EXPECT_EQ(Utf16ToUtf8(u"\u00E9"), Bytes({195, 169}));
    EXPECT_EQ(Utf16ToUtf8(u"\u20AC"), Bytes({226, 130, 172}));
    EXPECT_EQ(Utf16ToUtf8(u"\u07FF\u0800"), Bytes({0xDF, 0xBF, 0xE0, 0xA0, 0x80}));
}

TEST(Utf16ToUtf8, PairsBecomeFourBytesAndLoneSurrogatesThree)
{
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), Bytes({0xF0, 0x9F, 0x98, 0x80}));
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD83D))), Bytes({0xED, 0xA0, 0xBD}));
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDE00), char16_t(0xD83D)}),
              Bytes({0xED, 0xB8, 0x80, 0xED, 0xA0, 0xBD}))
        << "a low surrogate before a high one is no pair";
}

TEST(UnicodeRoundTrip, EmojiAndHangulSurviveDecodingAndEncoding)
{
    const std::string text = "\xED\x95\x9C\xEA\xB8\x80 \xF0\x9F\x98\x80!";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf16ToEditingCodePage(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf16ToUtf8(EditingCodePageToUtf16(text)), text);
}

TEST(FiveEntity, EncodesInTableOrderWithoutDoubleEscaping)
{
    EXPECT_EQ(FiveEntityEncode("x<y & z"), "x&lt;y &amp; z");
    EXPECT_EQ(FiveEntityEncode("&lt;"), "&amp;lt;");
    EXPECT_EQ(FiveEntityEncode("\"a'>"), "&quot;a&apos;&gt;");
    EXPECT_EQ(FiveEntityEncode("\xE9"), "\xE9") << "no numeric references";
}

TEST(FiveEntity, DecodesAmpersandLastAndIgnoresLetterCase)
{
    EXPECT_EQ(FiveEntityDecode("&amp;lt;"), "&lt;");
    EXPECT_EQ(FiveEntityDecode("&AMP;lt;"), "&lt;");
    EXPECT_EQ(FiveEntityDecode("&LT;&Gt;&QUOT;&apos;"), "<>\"'");
    EXPECT_EQ(FiveEntityDecode("&#65;"), "&#65;");
    EXPECT_EQ(FiveEntityDecode("&nbsp; & &amp"), "&nbsp; & &amp");
}

TEST(XmlValueCodec, EncodesHighBytesAsUpperCaseReferences)
{
    EXPECT_EQ(XmlValueEncode("\xE9"), "&#xE9;");
    EXPECT_EQ(XmlValueEncode("a\"&'<>\x80\xFF"), "a&quot;&amp;&apos;&lt;&gt;&#x80;&#xFF;");
    EXPECT_EQ(XmlValueEncode(std::string("\0\x7F", 2)), std::string("\0\x7F", 2));
}

TEST(XmlValueCodec, DecodesNumericReferencesModulo256)
{
    EXPECT_EQ(XmlValueDecode("&#xe9;"), "\xE9");
    EXPECT_EQ(XmlValueDecode("&#XE9;"), "\xE9");
    EXPECT_EQ(XmlValueDecode("&#233;"), "\xE9");
    EXPECT_EQ(XmlValueDecode("&#321;"), "A");
    EXPECT_EQ(XmlValueDecode("&#256;"), std::string(1, '\0'));
    EXPECT_EQ(XmlValueDecode("a&#x41;b&#66;c"), "aAbBc");
    // Runs of plain text between references move as a whole; the last run ends in a bare "&".
    EXPECT_EQ(XmlValueDecode("one &lt; two &amp;&amp; three &#65; four&"), "one < two && three A four&");
}

TEST(XmlValueCodec, LeavesMalformedReferencesAsText)
{
    for (const char* text : {"&#0;", "&#x;", "&#65", "&#;", "&#", "&", "&#6 5;", "&#x4G;", "&#99999999999;", "&#-5;"})
        EXPECT_EQ(XmlValueDecode(text), text) << text;
    EXPECT_EQ(XmlValueDecode("&lt;&#65"), "<&#65");
    EXPECT_EQ(XmlValueDecode("&#65&#66;"), "&#65B");
    EXPECT_EQ(XmlValueDecode("&AMP;&Quot;"), "&\"");
}

TEST(EntityCodec, HasNoNumericReferences)
{
    EXPECT_EQ(EntityEncode("\xE9<"), "\xE9&lt;");
    EXPECT_EQ(EntityDecode("&#65;&amp;&#x41;"), "&#65;&&#x41;");
}

TEST(CodecRoundTrip, DecodingTheEncodingOfEveryByteGivesItBack)
{
    std::string all;
    for (unsigned b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::string tricky = all + "&amp;&lt;&#65;&#x41;&";
    EXPECT_EQ(XmlValueDecode(XmlValueEncode(tricky)), tricky);
    EXPECT_EQ(EntityDecode(EntityEncode(tricky)), tricky);
    EXPECT_EQ(FiveEntityDecode(FiveEntityEncode(tricky)), tricky);
}

} // namespace
