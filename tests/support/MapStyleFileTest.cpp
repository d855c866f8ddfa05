// The map style file reader: single roots and fragments, and in-place zone rectangle edits that
// leave every other byte alone.

#include "support/MapStyleFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A real-style fragment: byte order mark, CR LF, comments and indentation, no single root.
const std::string kFragment =
    "\xEF\xBB\xBF<!-- map styles -->\r\n"
    "<ImageStyle Name=\"forest\" zonerect=\"1, 2, 3, 4\">\r\n"
    "\t<Image Source=\"images\\maps\\map_forest.dds\" />\r\n"
    "\t<Image Source=\"second.dds\"/>\r\n"
    "</ImageStyle>\r\n"
    "\r\n"
    "<ImageStyle Name='harbor' Size=\"512,512\"  >\r\n"
    "  <!-- no zone here -->\r\n"
    "  <Frame><Image Source=\"deep.dds\"/></Frame>\r\n"
    "</ImageStyle>\r\n"
    "<Other Name=\"forest\"/>\r\n"
    "<ImageStyle Name=\"A &amp; B\"/>\r\n";

const std::string kSingleRoot =
    "<?xml version=\"1.0\"?>\n<Styles Name=\"root\">\n"
    "  <ImageStyle Name=\"forest\" ZONERECT=\"5,6,7,8\"><Image Source=\"f.dds\"/></ImageStyle>\n"
    "  <ImageStyle Name=\"harbor\"/>\n"
    "</Styles>\n";

struct StyleRow {
    std::string tag;
    std::string name;    // empty: no Name property
    std::string zone;    // empty: no zonerect property
    std::string source;  // Source of the first child, empty: none
};

std::vector<StyleRow> rowsOf(const std::string& bytes)
{
    std::vector<StyleRow> rows;
    for (const MapStyleElement& style : ReadMapStyleElements(bytes)) {
        StyleRow row{style.tag, {}, {}, {}};
        if (const MapStyleProperty* p = style.find("name"))
            row.name = p->value;
        if (const MapStyleProperty* p = style.find("zonerect"))
            row.zone = p->value;
        if (const MapStyleProperty* p = style.findInFirstChild("source"))
            row.source = p->value;
        rows.push_back(row);
    }
    return rows;
}

void expectRows(const std::string& bytes, const std::vector<StyleRow>& expected)
{
    const std::vector<StyleRow> rows = rowsOf(bytes);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("element " + std::to_string(i));
        EXPECT_EQ(rows[i].tag, expected[i].tag);
        EXPECT_EQ(rows[i].name, expected[i].name);
        EXPECT_EQ(rows[i].zone, expected[i].zone);
        EXPECT_EQ(rows[i].source, expected[i].source);
    }
}

}  // namespace

TEST(MapStyleFileTest, FragmentListsEveryTopLevelElement)
{
    expectRows(kFragment, {
                              {"ImageStyle", "forest", "1, 2, 3, 4", "images\\maps\\map_forest.dds"},
                              {"ImageStyle", "harbor", "", ""},  // the first child has no Source
                              {"Other", "forest", "", ""},
                              {"ImageStyle", "A & B", "", ""},
                          });
}

TEST(MapStyleFileTest, SingleRootListsItsChildren)
{
    expectRows(kSingleRoot, {
                                {"ImageStyle", "forest", "5,6,7,8", "f.dds"},
                                {"ImageStyle", "harbor", "", ""},
                            });
    expectRows("<ImageStyle Name=\"solo\" zonerect=\"1,2\">\r\n<Image Source=\"s.dds\"/>\r\n</ImageStyle>\r\n",
               {{"ImageStyle", "solo", "1,2", "s.dds"}});
    expectRows("<Styles/>", {});
    expectRows("", {});
    expectRows("\xEF\xBB\xBF<!-- only a comment -->\r\n", {});
}

TEST(MapStyleFileTest, DamagedFilesAreRefused)
{
    const char* const damaged[] = {
        "<Styles><ImageStyle Name=\"a\"></Styles>",  // end tag does not match
        "<Styles><ImageStyle Name=\"a\"/>",          // root never closed
        "<ImageStyle Name=\"a\" zonerect=1,2,3,4/>",  // value without quotes
        "<ImageStyle Name=\"a/>",                    // value never closed
        "<ImageStyle Name>",                         // property without value
        "<!-- open comment",
        "<ImageStyle Name=\"a\"",                    // start tag cut off
        "</ImageStyle>",
    };
    for (const char* text : damaged)
        EXPECT_THROW(ReadMapStyleElements(text), MapStyleError) << text;
}

TEST(MapStyleFileTest, EveryCutOfAFragmentGivesAResultOrAnError)
{
    for (std::size_t length = 0; length <= kFragment.size(); ++length) {
        try {
            ReadMapStyleElements(kFragment.substr(0, length));
        } catch (const MapStyleError&) {
        }
    }
}

struct EditRow {
    const char* label;
    std::string before;
    std::string map;
    ZoneRectEdit result;
    std::string after;
};

TEST(MapStyleFileTest, ZoneEditChangesOnlyItsValue)
{
    const std::string bom = "\xEF\xBB\xBF";
    const std::vector<EditRow> rows = {
        {"replace in fragment", kFragment, "forest", ZoneRectEdit::Replaced,
         [] {
             std::string s = kFragment;
             s.replace(s.find("1, 2, 3, 4"), 10, "-9,-8,7,6");
             return s;
         }()},
        {"add after the last property, blanks kept", kFragment, "harbor", ZoneRectEdit::Added,
         [] {
             std::string s = kFragment;
             s.replace(s.find("Size=\"512,512\""), 14, "Size=\"512,512\" zonerect=\"-9,-8,7,6\"");
             return s;
         }()},
        {"add to an empty element", bom + "<ImageStyle Name=\"x\"/><ImageStyle Name=\"y\"/>", "y",
         ZoneRectEdit::Added, bom + "<ImageStyle Name=\"x\"/><ImageStyle Name=\"y\" zonerect=\"-9,-8,7,6\"/>"},
        {"the last match, as the lookup reads it",
         "<s><ImageStyle Name=\"d\" zonerect=\"1\"/><ImageStyle Name=\"d\"/></s>", "d", ZoneRectEdit::Added,
         "<s><ImageStyle Name=\"d\" zonerect=\"1\"/><ImageStyle Name=\"d\" zonerect=\"-9,-8,7,6\"/></s>"},
        {"single root", kSingleRoot + "", "forest", ZoneRectEdit::Replaced,
         [] {
             std::string s = kSingleRoot;
             s.replace(s.find("5,6,7,8"), 7, "-9,-8,7,6");
             return s;
         }()},
        {"name compared exactly", kFragment, "Forest", ZoneRectEdit::NoMatch, kFragment},
        {"other tags never match", "<a/><Other Name=\"z\" zonerect=\"1\"/>", "z", ZoneRectEdit::NoMatch,
         "<a/><Other Name=\"z\" zonerect=\"1\"/>"},
    };
    for (const EditRow& row : rows) {
        SCOPED_TRACE(row.label);
        std::string bytes = row.before;
        EXPECT_EQ(SetZoneRectInPlace(bytes, row.map, "-9,-8,7,6"), row.result);
        EXPECT_EQ(bytes, row.after);
    }
}

TEST(MapStyleFileTest, ZoneEditEscapesAndRefusesNamelessStyles)
{
    std::string bytes = "<ImageStyle Name=\"m\" zonerect=\"\"/><x/>";
    SetZoneRectInPlace(bytes, "m", "a<b&c");
    EXPECT_EQ(bytes, "<ImageStyle Name=\"m\" zonerect=\"a&lt;b&amp;c\"/><x/>");
    EXPECT_EQ(rowsOf(bytes).at(0).zone, "a<b&c");

    std::string nameless = "<s><ImageStyle zonerect=\"1\"/><ImageStyle Name=\"m\"/></s>";
    const std::string kept = nameless;
    EXPECT_THROW(SetZoneRectInPlace(nameless, "m", "1,2,3,4"), MapStyleError);
    EXPECT_EQ(nameless, kept);
}
