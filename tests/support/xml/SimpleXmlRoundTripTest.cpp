#include "support/xml/SimpleXml.h"
#include "support/xml/UnicodeCodecs.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Exercises every construct the parser knows.
const std::string kRichDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                                  "<?xml-stylesheet type=\"text/xsl\" href=\"s.xsl\"?>\r\n"
                                  "<!DOCTYPE page [ <!ENTITY e \"x\"> ]>\r\n"
                                  "<!-- prolog comment -->\r\n"
                                  "<p:Page Name=\"n &amp; m\" 1location='&#xED;&#x95;&#x9C;' Size=\"436,506\">\r\n"
                                  "  <Icon IconStyle=\"NPC\" Tooltip=\"a&lt;b&gt;&quot;&apos;\r\nline\"/>\r\n"
                                  "  <Icon q:x=\"1\"></Icon>\r\n"
                                  "  <v>value  </v>\r\n"
                                  "  mixed &amp; text\r\n"
                                  "  <![CDATA[ raw <&> ]]]>\r\n"
                                  "  <!-- a --x> b -->\r\n"
                                  "</p:Page>\r\n";

// The icon page hooks: UTF-8 file values to the editing form with the five entities resolved.
void InstallIconPageHooks(TSimpleXML& doc)
{
    doc.OnDecodeValue = [](std::string& value) {
        value = FiveEntityDecode(Utf16ToEditingCodePage(Utf8ToUtf16(value)));
    };
    doc.OnEncodeValue = [](std::string& value) {
        value = FiveEntityEncode(Utf16ToUtf8(EditingCodePageToUtf16(value)));
    };
}

std::set<std::string> KnownMessages()
{
    return {
        "Invalid Document: Unexpected text in file prolog",
        "Invalid Comment: Unexpected end of data",
        "Invalid CDATA: Unexpected end of data",
        "Invalid Stylesheet: Unexpected end of data",
        "Invalid XML Element: Erroneous end of tag, expecting </Page> but </> found",
        "Invalid XML Element: Erroneous end of tag, expecting </Icon> but </> found",
        "Invalid XML Element: Erroneous end of tag, expecting </v> but </> found",
    };
}

TEST(SimpleXmlRoundTrip, EveryCutOfAValidInputEndsCleanly)
{
    const std::set<std::string> known = KnownMessages();
    for (const bool hooks : {false, true}) {
        for (std::size_t length = 0; length <= kRichDocument.size(); ++length) {
            TSimpleXML doc;
            if (hooks)
                InstallIconPageHooks(doc);
            const std::string cut = kRichDocument.substr(0, length);
            try {
                doc.LoadFromString(cut);
            } catch (const ESimpleXMLError& e) {
                // Mismatch messages name a partly read end tag, so compare up to the found name.
                std::string message = e.what();
                const std::size_t found = message.find("> but </");
                if (found != std::string::npos)
                    message = message.substr(0, found) + "> but </> found";
                EXPECT_TRUE(known.count(message)) << "length " << length << ": " << e.what();
                EXPECT_LE(e.Offset(), length);
            }
            // Whatever was built can be written.
            EXPECT_FALSE(doc.SaveToString().empty());
        }
    }
}

TEST(SimpleXmlRoundTrip, RichDocumentIsReadWrittenAndReadAgainUnchanged)
{
    for (const bool hooks : {false, true}) {
        TSimpleXML first;
        if (hooks)
            InstallIconPageHooks(first);
        first.LoadFromString(kRichDocument);
        const std::string once = first.SaveToString();
        TSimpleXML second;
        if (hooks)
            InstallIconPageHooks(second);
        second.LoadFromString(once);
        EXPECT_EQ(second.SaveToString(), once);
        EXPECT_EQ(second.Root().ItemCount(), first.Root().ItemCount());
        EXPECT_EQ(second.Root().Items().Item(3)->Value(), "mixed & text");
        EXPECT_EQ(second.Root().Items().Item(2)->Value(), "value  ");
    }
}

TEST(SimpleXmlRoundTrip, IconPageHooksKeepHangulAndEmojiByteForByte)
{
    const std::string page = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                             "<Page Name=\"hanok\" 1location=\"\xED\x95\x9C\xEC\x98\xA5 \xEB\xA7\x88\xEC\x9D\x84\">\r\n"
                             "<Icon Tooltip=\"\xF0\x9F\x98\x80 &lt;b&gt; &amp;amp; it&apos;s\" Name=\"x\"/>\r\n"
                             "</Page>\r\n";
    TSimpleXML doc;
    doc.Options().Exclude(sxoAutoIndent);
    InstallIconPageHooks(doc);
    doc.LoadFromString(page);
    EXPECT_EQ(doc.Root().Items().Item(0)->Properties().Value("tooltip"), "\xF0\x9F\x98\x80 <b> &amp; it's");
    EXPECT_EQ(doc.SaveToString(), page);
}

// Reading and writing one value under each choice of options and hooks.
TEST(SimpleXmlRoundTrip, EachCodecOptionAndHookCombination)
{
    const std::string fileValue = "&lt;&#xE9;&amp;amp;\xC3\xA9";
    const std::string memoryValue = "<&\"\xE9";
    const TSimpleXMLOptions both{sxoAutoEncodeValue, sxoAutoEncodeEntity};
    const struct {
        const char* name;
        TSimpleXMLOptions options;
        bool decodeHook;
        bool encodeHook;
        std::string read;    // fileValue as held in memory
        std::string written; // memoryValue as written
    } rows[] = {
        {"no codec", {}, false, false, fileValue, memoryValue},
        {"entity codec", {sxoAutoEncodeEntity}, false, false, "<&#xE9;&amp;\xC3\xA9", "&lt;&amp;&quot;\xE9"},
        {"value codec", {sxoAutoEncodeValue}, false, false, "<\xE9&amp;\xC3\xA9", "&lt;&amp;&quot;&#xE9;"},
        {"value codec wins", both, false, false, "<\xE9&amp;\xC3\xA9", "&lt;&amp;&quot;&#xE9;"},
        {"decode hook", both, true, false, "[" + fileValue + "]", "&lt;&amp;&quot;&#xE9;"},
        {"encode hook", {sxoAutoEncodeEntity}, false, true, "<&#xE9;&amp;\xC3\xA9", "(" + memoryValue + ")"},
        {"both hooks", {}, true, true, "[" + fileValue + "]", "(" + memoryValue + ")"},
    };
    for (const auto& row : rows) {
        TSimpleXML doc;
        doc.SetOptions(row.options);
        if (row.decodeHook)
            doc.OnDecodeValue = [](std::string& value) { value = "[" + value + "]"; };
        if (row.encodeHook)
            doc.OnEncodeValue = [](std::string& value) { value = "(" + value + ")"; };
        doc.LoadFromString("<a v='" + fileValue + "'><t>" + fileValue + "</t><!--" + fileValue + "--></a>");
        EXPECT_EQ(doc.Root().Properties().Value("v"), row.read) << row.name;
        EXPECT_EQ(doc.Root().Items().Item(0)->Value(), row.read) << row.name;
        EXPECT_EQ(doc.Root().Items().Item(1)->Value(), fileValue) << row.name << ": comments stay raw";

        doc.Root().Clear();
        doc.Root().Properties().Add("v", memoryValue);
        doc.Root().Items().Add("t")->SetValue(memoryValue);
        const std::string expected = "<a v=\"" + row.written + "\">\r\n<t>" + row.written + "</t>\r\n</a>\r\n";
        const std::string out = doc.SaveToString();
        EXPECT_EQ(out.substr(out.find("\r\n") + 2), expected) << row.name;
    }
}

} // namespace
