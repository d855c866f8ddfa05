#include "support/xml/SimpleXml.h"

#include <gtest/gtest.h>

namespace {

constexpr int kDeepestAccepted = 1000;

// The message a load raises, or "no error".
std::string LoadError(TSimpleXML& doc, const std::string& bytes)
{
    try {
        doc.LoadFromString(bytes);
    } catch (const ESimpleXMLError& e) {
        return e.what();
    }
    return "no error";
}

std::string LoadError(const std::string& bytes)
{
    TSimpleXML doc;
    return LoadError(doc, bytes);
}

// The message raised when item parses bytes by itself.
std::string ItemError(TSimpleXMLElem&& item, const std::string& bytes)
{
    TMemoryStream stream(bytes);
    try {
        item.LoadFromStream(stream);
    } catch (const ESimpleXMLError& e) {
        return e.what();
    }
    return "no error";
}

std::string Nested(int depth)
{
    std::string open;
    std::string close;
    for (int i = 0; i < depth; ++i) {
        open += "<e>";
        close += "</e>";
    }
    return open + close;
}

TEST(SimpleXmlParser, EveryErrorMessageWithItsExactBytes)
{
    const struct {
        const char* input;
        const char* message;
    } rows[] = {
        {"x<a/>", "Invalid Document: Unexpected text in file prolog"},
        {"< a/>", "Invalid XML Element: malformed tag found (no valid name)"},
        {"<a/x>", "Invalid XML Element: Expected end of tag but \"x\" found"},
        {"<a></b>", "Invalid XML Element: Erroneous end of tag, expecting </a> but </b> found"},
        {"<a b.c='1'/>", "Invalid XML Element: Unexpected character in property declaration (\".\" found)"},
        {"<a b x='1'/>", "Invalid XML Element: Unexpected character in property declaration (\"x\" found)"},
        {"<a b=1/>",
         "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but \"1\"  found"},
        {"<a><!-- a -- b --></a>", "Invalid Comment: \"--\" not allowed inside comments"},
        {"<!-- never closed", "Invalid Comment: Unexpected end of data"},
        {"<?xml version='1.0'", "Invalid Comment: Unexpected end of data"},
        {"<!DOCTYPE a [ <!ELEMENT a ANY> ", "Invalid Comment: Unexpected end of data"},
        {"<a><![CDATA[abc</a>", "Invalid CDATA: Unexpected end of data"},
        {"<?xml version='1.0'/>", "Invalid Header: expected \"?\" but found \"/\""},
        {"<?xml-stylesheet href='s.css'/>", "Invalid Stylesheet: expected \"?\" but found \"/\""},
        {"<?xml-stylesheet href='s.css'", "Invalid Stylesheet: Unexpected end of data"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LoadError(row.input), row.message) << row.input;
}

TEST(SimpleXmlParser, OpeningMismatchesOfEachItemKind)
{
    EXPECT_EQ(ItemError(TSimpleXMLElemClassic(), "x"), "Invalid XML Element: Expected beginning of tag but \"x\" found");
    EXPECT_EQ(ItemError(TSimpleXMLElemComment(), "<!-x"), "Invalid Comment: expected \"-\" but found \"x\"");
    EXPECT_EQ(ItemError(TSimpleXMLElemCData(), "<![CDATX["), "Invalid CDATA: expected \"A\" but found \"X\"");
    EXPECT_EQ(ItemError(TSimpleXMLElemHeader(), "<?xmL "), "Invalid Header: expected \"l\" but found \"L\"");
    EXPECT_EQ(ItemError(TSimpleXMLElemDocType(), "<!DOCTYPX"), "Invalid Header: expected \"E\" but found \"X\"");
    EXPECT_EQ(ItemError(TSimpleXMLElemSheet(), "<?xml-stylesheeT"), "Invalid Stylesheet: expected \"t\" but found \"T\"");
    EXPECT_EQ(ItemError(TSimpleXMLElemCData(), "<![CD"), "Invalid CDATA: Unexpected end of data");
}

TEST(SimpleXmlParser, ErrorsCarryTheOffsetWhereTheyWereFound)
{
    TSimpleXML doc;
    try {
        doc.LoadFromString("<a b=1/>");
        FAIL() << "no error";
    } catch (const ESimpleXMLError& e) {
        EXPECT_EQ(e.Offset(), 5u);
    }
}

TEST(SimpleXmlParser, EmptyAndBlankInputsLoadAsEmptyDocuments)
{
    TSimpleXML doc;
    doc.Root().SetName("kept");
    for (const char* input : {"", " \r\n\t", "<!-- only a comment -->\r\n", "<?xml version=\"1.0\"?>"}) {
        EXPECT_EQ(LoadError(doc, input), "no error") << input;
        EXPECT_EQ(doc.Root().Name(), "kept");
        EXPECT_EQ(doc.Root().ItemCount(), 0);
        EXPECT_EQ(doc.Root().Properties().Count(), 0);
        EXPECT_EQ(doc.Root().Value(), "");
    }
}

TEST(SimpleXmlParser, ByteOrderMarkAndUnknownPrologConstructsAreRefused)
{
    const char* prologError = "Invalid Document: Unexpected text in file prolog";
    EXPECT_EQ(LoadError("\xEF\xBB\xBF<a/>"), prologError);
    EXPECT_EQ(LoadError("<?php echo 1; ?><a/>"), prologError);
    EXPECT_EQ(LoadError("<!doctype a><a/>"), prologError);
    EXPECT_EQ(LoadError("<?xmlx version='1.0'?><a/>"), prologError);
}

TEST(SimpleXmlParser, DeclarationMayBeFollowedByAnyBlank)
{
    for (const char* blank : {" ", "\t", "\n", "\r"}) {
        TSimpleXML doc;
        doc.LoadFromString(std::string("<?xml") + blank + "version='1.1' encoding='UTF-8' standalone='yes'?>\r\n<a/>");
        ASSERT_EQ(doc.Prolog().Count(), 1);
        auto* header = dynamic_cast<TSimpleXMLElemHeader*>(doc.Prolog().Item(0));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->Version(), "1.1");
        EXPECT_EQ(header->Encoding(), "UTF-8");
        EXPECT_TRUE(header->StandAlone());
        EXPECT_EQ(header->Properties().Count(), 0) << "other attributes are dropped";
        EXPECT_EQ(doc.Root().Name(), "a");
    }
}

TEST(SimpleXmlParser, PrologKeepsItsItemsInFileOrder)
{
    TSimpleXML doc;
    doc.LoadFromString("<!-- c1 -->\n<?xml version=\"1.0\" STANDALONE=\"no\"?>\n"
                       "<?xml-stylesheet type=\"text/xsl\" href='a&amp;b'?>\n"
                       "<!DOCTYPE  page [ <!ENTITY x \"y\"> ]  >\n<page/>");
    ASSERT_EQ(doc.Prolog().Count(), 4);
    EXPECT_EQ(doc.Prolog().Item(0)->Kind(), TSimpleXMLElemKind::Comment);
    EXPECT_EQ(doc.Prolog().Item(0)->Value(), " c1 ");
    EXPECT_FALSE(static_cast<TSimpleXMLElemHeader*>(doc.Prolog().Item(1))->StandAlone());
    TSimpleXMLElem* sheet = doc.Prolog().Item(2);
    EXPECT_EQ(sheet->Kind(), TSimpleXMLElemKind::Sheet);
    EXPECT_EQ(sheet->Properties().Value("href"), "a&amp;b") << "prolog values are never decoded";
    EXPECT_EQ(doc.Prolog().Item(3)->Value(), "page [ <!ENTITY x \"y\"> ]");
    EXPECT_EQ(doc.Root().Name(), "page");
}

TEST(SimpleXmlParser, PropertiesKeepOrderQuotesAndLineEnds)
{
    TSimpleXML doc;
    doc.LoadFromString("<a b='1' c=\"x'y\" d = \"2\" 1Location='l' e='one\r\ntwo' />");
    TSimpleXMLProps& props = doc.Root().Properties();
    ASSERT_EQ(props.Count(), 5);
    const char* names[] = {"b", "c", "d", "1Location", "e"};
    const char* values[] = {"1", "x'y", "2", "l", "one\r\ntwo"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(props.Item(i)->Name(), names[i]);
        EXPECT_EQ(props.Item(i)->Value(), values[i]);
    }
    EXPECT_EQ(doc.Root().ItemCount(), 0);
    EXPECT_EQ(doc.Root().Value(), "");
}

// Names are read many bytes at a time: every length around those steps, and the bytes just
// outside each range of name bytes, at every place of a long name.
TEST(SimpleXmlParser, PropertyNamesEndAtTheFirstByteOutsideTheirClass)
{
    const std::string nameBytes = "azAZ09-_mQ5";
    for (std::size_t length = 1; length <= 40; ++length) {
        std::string name;
        for (std::size_t i = 0; i < length; ++i)
            name += nameBytes[i % nameBytes.size()];
        TSimpleXML doc;
        doc.LoadFromString("<a " + name + "='v'/>");
        ASSERT_EQ(doc.Root().Properties().Count(), 1) << length;
        EXPECT_EQ(doc.Root().Properties().Item(0)->Name(), name) << length;
    }
    const char outside[] = {'.', '@', '[', '`', '{', '/', '\x7F', '\x80', '\xC3', '\xFF', '\x01'};
    for (std::size_t at = 1; at <= 33; ++at) {
        for (const char c : outside) {
            const std::string name = std::string(at, 'n') + c + "tail";
            const std::string input = "<a " + name + "='v'/>";
            const std::string expected =
                "Invalid XML Element: Unexpected character in property declaration (\"" + std::string(1, c) + "\" found)";
            EXPECT_EQ(LoadError(input), expected) << at << " " << static_cast<int>(static_cast<unsigned char>(c));
        }
    }
}

TEST(SimpleXmlParser, NamespacesOfElementsAndProperties)
{
    TSimpleXML doc;
    doc.LoadFromString("<p:a q:b='1'></P:A>");
    EXPECT_EQ(doc.Root().Name(), "a");
    EXPECT_EQ(doc.Root().NameSpace(), "p");
    EXPECT_EQ(doc.Root().FullName(), "p:a");
    const TSimpleXMLProp* prop = doc.Root().Properties().Item(0);
    EXPECT_EQ(prop->Name(), "b");
    EXPECT_EQ(prop->NameSpace(), "q");
    EXPECT_EQ(prop->FullName(), "q:b");
}

TEST(SimpleXmlParser, EndTagsCompareWithoutLetterCaseButByteForByteOtherwise)
{
    EXPECT_EQ(LoadError("<A></a>"), "no error");
    EXPECT_EQ(LoadError("<a></a >"), "Invalid XML Element: Erroneous end of tag, expecting </a> but </a > found");
    EXPECT_EQ(LoadError("<a><b/>"), "Invalid XML Element: Erroneous end of tag, expecting </a> but </> found");
}

TEST(SimpleXmlParser, TextThatIsTheWholeContentBecomesTheValue)
{
    TSimpleXML doc;
    doc.LoadFromString("<a>  text  </a>");
    EXPECT_EQ(doc.Root().Value(), "text  ");
    EXPECT_EQ(doc.Root().ItemCount(), 0);
}

TEST(SimpleXmlParser, MixedContentKeepsItemsAndDropsTheBlanksBeforeTags)
{
    TSimpleXML doc;
    doc.LoadFromString("<a>x<b/>y</a>");
    ASSERT_EQ(doc.Root().ItemCount(), 3);
    EXPECT_EQ(doc.Root().Items().Item(0)->Kind(), TSimpleXMLElemKind::Text);
    EXPECT_EQ(doc.Root().Items().Item(0)->Value(), "x");
    EXPECT_EQ(doc.Root().Items().Item(1)->Name(), "b");
    EXPECT_EQ(doc.Root().Items().Item(2)->Value(), "y");
    EXPECT_EQ(doc.Root().Value(), "");

    doc.LoadFromString("<a>\r\n  one \r\n  <b/>\r\n  two\t\r\n</a>");
    ASSERT_EQ(doc.Root().ItemCount(), 3);
    EXPECT_EQ(doc.Root().Items().Item(0)->Value(), "one");
    EXPECT_EQ(doc.Root().Items().Item(2)->Value(), "two");
}

TEST(SimpleXmlParser, IndentationProducesNoItems)
{
    TSimpleXML doc;
    doc.LoadFromString("<a>\r\n\r\n  <b>\r\n    <c/>\r\n  </b>\r\n\t<d/>\r\n</a>");
    ASSERT_EQ(doc.Root().ItemCount(), 2);
    EXPECT_EQ(doc.Root().Items().Item(0)->ItemCount(), 1);
    EXPECT_EQ(doc.Root().Items().Item(1)->Name(), "d");
}

TEST(SimpleXmlParser, CommentsAndCDataAreRaw)
{
    TSimpleXML doc;
    doc.LoadFromString("<a><!--x-y &amp;--><![CDATA[<&amp;]]]></a>");
    ASSERT_EQ(doc.Root().ItemCount(), 2);
    EXPECT_EQ(doc.Root().Items().Item(0)->Value(), "x-y &amp;");
    EXPECT_EQ(doc.Root().Items().Item(1)->Value(), "<&amp;]");
}

TEST(SimpleXmlParser, DashesBeforeAClosingBracketStayInTheComment)
{
    TSimpleXML doc;
    doc.LoadFromString("<a><!-- a --x> b ---> c --></a>");
    ASSERT_EQ(doc.Root().ItemCount(), 1);
    EXPECT_EQ(doc.Root().Items().Item(0)->Value(), " a --x> b ---> c ");
}

TEST(SimpleXmlParser, ValuesAreDecodedByTheDefaultCodec)
{
    TSimpleXML doc;
    doc.LoadFromString("<a v='x &amp; y &#xE9;'>&lt;t&gt;</a>");
    EXPECT_EQ(doc.Root().Properties().Value("v"), "x & y \xE9");
    EXPECT_EQ(doc.Root().Value(), "<t>");
}

TEST(SimpleXmlParser, LenientAboutWhatItDoesNotCheck)
{
    TSimpleXML doc;
    EXPECT_EQ(LoadError(doc, "<a v='1'><b w='<&>'/></a> trailing <junk"), "no error");
    EXPECT_EQ(doc.Root().Items().Item(0)->Properties().Value("w"), "<&>");
    EXPECT_EQ(LoadError(doc, "<a b='1'"), "no error") << "the stream ends inside the start tag";
    EXPECT_EQ(doc.Root().Properties().Count(), 1);
    EXPECT_EQ(LoadError(doc, "<a b='1' c='unclosed"), "no error");
    EXPECT_EQ(doc.Root().Properties().Count(), 1) << "a value not closed is dropped";
}

TEST(SimpleXmlParser, StreamIsLeftRightAfterTheRootElement)
{
    TMemoryStream stream("xyz<a><b/></a>  <!-- after -->");
    stream.SetPosition(3);
    TSimpleXML doc;
    doc.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), 14u);
    EXPECT_EQ(doc.Root().Name(), "a");
}

TEST(SimpleXmlParser, NestingIsLimitedToAThousandLevels)
{
    TSimpleXML doc;
    EXPECT_EQ(LoadError(doc, Nested(kDeepestAccepted)), "no error");
    EXPECT_EQ(LoadError(doc, Nested(kDeepestAccepted + 1)), "Invalid XML Element: nesting too deep");
    EXPECT_EQ(LoadError(doc, Nested(100000)), "Invalid XML Element: nesting too deep");
}

TEST(SimpleXmlParser, PartialTreeStaysAfterAnError)
{
    TSimpleXML doc;
    EXPECT_NE(LoadError(doc, "<r><a/><b>text</b><c x=1/></r>"), "no error");
    ASSERT_EQ(doc.Root().ItemCount(), 2);
    EXPECT_EQ(doc.Root().Items().Item(1)->Value(), "text");
}

} // namespace
