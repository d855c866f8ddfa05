#include "support/IconPageXml.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
const std::string kEmptyPage = kDeclaration + "<Page Name=\"m\" 1location=\"z\" Size=\"436,506\"/>\r\n";
const std::string kPage =
    kDeclaration + "<Page Name=\"m\" 1location=\"z\">\r\n<Icon Name=\"a\" Tooltip=\"x&#xA;y\"/>\r\n</Page>\r\n";

bool loads(const std::string& bytes)
{
    TSimpleXML document;
    ConfigureIconPageXml(document);
    TMemoryStream stream(bytes);
    try {
        ParseIconPage(document, stream);
    } catch (const ESimpleXMLError&) {
        return false;
    }
    return true;
}

struct ReferenceRow {
    const char* text;
    std::size_t length;
};

class NumericReference : public ::testing::TestWithParam<ReferenceRow> {};

TEST_P(NumericReference, OnlyWellFormedReferencesCount)
{
    EXPECT_EQ(NumericReferenceLength(GetParam().text, 0), GetParam().length) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Rows, NumericReference,
    ::testing::Values(ReferenceRow{"&#10;", 5}, ReferenceRow{"&#xA;", 5}, ReferenceRow{"&#x9;rest", 5},
                      ReferenceRow{"&#x1F600;", 9}, ReferenceRow{"&#65;&#66;", 5}, ReferenceRow{"&#;", 0},
                      ReferenceRow{"&#x;", 0}, ReferenceRow{"&#xZ;", 0}, ReferenceRow{"&#X41;", 0},
                      ReferenceRow{"&#0;", 0}, ReferenceRow{"&#xD800;", 0}, ReferenceRow{"&#x110000;", 0},
                      ReferenceRow{"&#99999999999999999999;", 0}, ReferenceRow{"&#10", 0}, ReferenceRow{"&amp;", 0}));

struct EncodeRow {
    const char* held;  // the value in memory
    const char* file;  // as the encode hook writes it
};

class PageValueEncode : public ::testing::TestWithParam<EncodeRow> {};

TEST_P(PageValueEncode, ReferencesAreWrittenAsTheyWereRead)
{
    std::string value = GetParam().held;
    IconPageEncodeValue(value);
    EXPECT_EQ(value, GetParam().file);
    IconPageDecodeValue(value);
    EXPECT_EQ(value, GetParam().held);
}

INSTANTIATE_TEST_SUITE_P(Rows, PageValueEncode,
    ::testing::Values(EncodeRow{"line&#xA;break", "line&#xA;break"}, EncodeRow{"a & b&#9;", "a &amp; b&#9;"},
                      EncodeRow{"<&#60;>\"'", "&lt;&#60;&gt;&quot;&apos;"},
                      EncodeRow{"&#xZ; &#0;", "&amp;#xZ; &amp;#0;"},
                      EncodeRow{"&&#10;&", "&amp;&#10;&amp;"}, EncodeRow{"\xEB\xA7\xB5&#10;", "\xEB\xA7\xB5&#10;"},
                      EncodeRow{"plain", "plain"}));

TEST(IconPageParse, EveryCutBeforeTheRootsEndIsADamagedPage)
{
    for (const std::string& whole : {kEmptyPage, kPage}) {
        const std::size_t rootEnd = whole.rfind('>') + 1;
        for (std::size_t cut = 0; cut < rootEnd; ++cut)
            EXPECT_FALSE(loads(whole.substr(0, cut))) << "cut at " << cut << ": " << whole.substr(0, cut);
        for (std::size_t cut = rootEnd; cut <= whole.size(); ++cut)
            EXPECT_TRUE(loads(whole.substr(0, cut))) << "cut at " << cut;
    }
}

TEST(IconPageParse, NamesThatWouldNotReadBackAreRefused)
{
    for (const std::string body : {"<>x</>", "<Page><>x</></Page>",
                                   "<Page><Icon Name=\"a\"><>\r\n<b/></></Icon></Page>",
                                   "<Page><a:/></Page>", "<Page a:=\"1\"/>", "<Page><Icon ::=\"x\"/></Page>",
                                   "<:!DOCTYPE/>", "<Page><:?x/></Page>", "<x:?a:b/>"})
        EXPECT_FALSE(loads(kDeclaration + body + "\r\n")) << body;
}

}  // namespace
