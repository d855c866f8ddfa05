// Zone pages inside a file: which pages are listed, and saves that change only what was edited.

#include "ZonePageFixture.h"
#include "support/IconPageXml.h"
#include "support/ZonePageFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using zonefixture::kMapLinks;
using zonefixture::kMapWindow;
using zonefixture::kPoiFile;

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// A row's description as a test name.
template <typename Row>
std::string rowName(const testing::TestParamInfo<Row>& info)
{
    std::string name = info.param.what;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

TSimpleXMLElem& icon(TSimpleXML& doc, int i)
{
    return *doc.Root().Items().Item(i);
}

TEST(ZonePageFile, ListsZonePagesAndTheirIcons)
{
    ZonePageFile file(kMapWindow);
    // "Icons" holds a template icon, but it is the game's template page, not a map: only its three
    // page children are zone pages.
    ASSERT_EQ(file.pages().size(), 3u);
    EXPECT_EQ(file.findPage("Icons"), -1);
    EXPECT_EQ(file.pages()[0].name, "zone_harbor");
    EXPECT_EQ(file.pages()[0].poiCount, 3);
    EXPECT_EQ(file.pages()[1].name, "zone_empty");
    EXPECT_EQ(file.pages()[1].poiCount, 0);
    EXPECT_EQ(file.pages()[2].name, "zone_bare");
    EXPECT_FALSE(file.worldOnly());
    EXPECT_TRUE(ZonePageFile::MayHoldZonePages(kMapWindow));
    EXPECT_FALSE(ZonePageFile::MayHoldZonePages("<Page Name=\"x\"><Icon Name=\"a\"/></Page>"));

    ZonePageFile pois(kPoiFile);
    ASSERT_EQ(pois.pages().size(), 2u);
    EXPECT_EQ(pois.pages()[0].name, "forest");
    EXPECT_TRUE(pois.worldOnly());

    // Labels are a map links file's POIs too: its page of labels only is a zone page.
    ZonePageFile links(kMapLinks);
    EXPECT_TRUE(links.mapLinks());
    EXPECT_FALSE(file.mapLinks() || pois.mapLinks());
    ASSERT_EQ(links.pages().size(), 2u);
    EXPECT_EQ(links.pages()[0].name, "world");
    EXPECT_EQ(links.pages()[0].poiCount, 2);
    EXPECT_EQ(links.findPage("old cave"), 1);

    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    links.show(0, doc);
    ASSERT_EQ(doc.Root().ItemCount(), 2);
    EXPECT_EQ(icon(doc, 1).Value(), "Old & Cave");
    file.show(file.findPage("zone_harbor"), doc);
    ASSERT_EQ(doc.Root().ItemCount(), 3);
    EXPECT_EQ(std::string(doc.Root().Properties().Find("Name")->Value()), "zone_harbor");
    EXPECT_EQ(std::string(icon(doc, 2).Properties().Find("Tooltip")->Value()), "A & B");
}

struct EditRow {
    const char* what;
    const std::string* file;
    const char* page;
    std::function<void(TSimpleXML&)> edit;
    std::string from;  // the one stretch of the file that changes...
    std::string to;    // ...and what it becomes
};

class ZonePageSave : public testing::TestWithParam<EditRow> {};

TEST_P(ZonePageSave, ChangesOnlyWhatWasEdited)
{
    const EditRow& row = GetParam();
    ZonePageFile file(*row.file);
    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    const int page = file.findPage(row.page);
    ASSERT_GE(page, 0);
    file.show(page, doc);
    row.edit(doc);
    const std::string expected = row.from.empty() ? *row.file : replaced(*row.file, row.from, row.to);
    const std::string saved = file.editedBytes(page, doc.Root());
    EXPECT_EQ(saved, expected);

    // The saved bytes become the file: saving again with no further edit changes nothing, and
    // reading them back lists the same icons.
    file.saved(saved, page, doc.Root());
    EXPECT_EQ(file.editedBytes(page, doc.Root()), saved);
    ZonePageFile reread(saved);
    EXPECT_EQ(reread.pages()[static_cast<std::size_t>(page)].poiCount, doc.Root().ItemCount());
}

void setValue(TSimpleXML& doc, int i, const char* name, const char* value)
{
    icon(doc, i).Properties().Find(name)->SetValue(value);
}

void addIcon(TSimpleXML& doc, int at, std::initializer_list<std::pair<const char*, const char*>> props,
             const char* tag = "Icon", const char* text = "")
{
    auto added = std::make_unique<TSimpleXMLElemClassic>(&doc.Root());
    added->SetName(tag);
    added->SetValue(text);
    for (const auto& [name, value] : props)
        added->Properties().Add(name, value);
    doc.Root().Items().Insert(at, std::move(added));
}

const EditRow kEdits[] = {
    {"unchanged", &kMapWindow, "zone_harbor", [](TSimpleXML&) {}, "", ""},
    {"one value", &kMapWindow, "zone_harbor", [](TSimpleXML& d) { setValue(d, 1, "Location", "5,237"); },
     "Location=\"-4,237\"", "Location=\"5,237\""},
    {"a value with entities", &kMapWindow, "zone_harbor",
     [](TSimpleXML& d) { setValue(d, 2, "Tooltip", "A & <C>"); }, "\"A &amp; B\"", "\"A &amp; &lt;C&gt;\""},
    {"an added property", &kMapWindow, "zone_harbor",
     [](TSimpleXML& d) { d.Root().Items().Item(2)->Properties().Add("pathfindlocation", "1, 2, 3"); },
     "Tooltip=\"A &amp; B\" />", "Tooltip=\"A &amp; B\" pathfindlocation=\"1, 2, 3\" />"},
    {"a removed property", &kMapWindow, "zone_harbor",
     [](TSimpleXML& d) { d.Root().Items().Item(0)->Properties().Delete(0); }, "<Icon BackgroundTint=\"#FFFFFF\" ",
     "<Icon "},
    {"a deleted icon", &kMapWindow, "zone_harbor", [](TSimpleXML& d) { d.Root().Items().Delete(1); },
     "        <Icon IconStyle=\"zoningstyle\" Location=\"-4,237\" Name=\"Gate  West\" "
     "pathfindlocation=\" 12 3  -40.5\" Size=\"42,42\" />\r\n",
     ""},
    {"an added icon", &kMapWindow, "zone_harbor",
     [](TSimpleXML& d) { addIcon(d, 1, {{"Name", "New"}, {"Location", "1,2"}}); },
     "Size=\"21,21\" Tooltip=\":0df33755464a2ea6_1:To the docks\" />\r\n",
     "Size=\"21,21\" Tooltip=\":0df33755464a2ea6_1:To the docks\" />\r\n"
     "        <Icon Name=\"New\" Location=\"1,2\" />\r\n"},
    {"the first icon of a page of images", &kMapWindow, "zone_empty",
     [](TSimpleXML& d) { addIcon(d, 0, {{"Name", "First"}}); }, "        <Image Name=\"backdrop\" />\r\n",
     "        <Image Name=\"backdrop\" />\r\n        <Icon Name=\"First\" />\r\n"},
    {"the first icon of an empty page", &kMapWindow, "zone_bare",
     [](TSimpleXML& d) { addIcon(d, 0, {{"Name", "First"}}); }, "<Page Name=\"zone_bare\" Visible=\"false\"/>\r\n",
     "<Page Name=\"zone_bare\" Visible=\"false\">\r\n        <Icon Name=\"First\" />\r\n      </Page>\r\n"},
    {"a POI file icon", &kPoiFile, "cave",
     [](TSimpleXML& d) {
         setValue(d, 0, "PathFindLocation", "7.00,2.00,3.00");
         addIcon(d, 1, {{"Name", "ID40002"}});
     },
     "PathFindLocation=\"1.00,2.00,3.00\" PoiDescription=\"ID:40001&#xA;1.00,2.00,3.00\" "
     "PoiKeyword=\"mob\" PoiResource=\"mob\" PoiType=\"MOBNAMED\" Tooltip=\"Bat &#xA;\"/>\r\n",
     "PathFindLocation=\"7.00,2.00,3.00\" PoiDescription=\"ID:40001&#xA;1.00,2.00,3.00\" "
     "PoiKeyword=\"mob\" PoiResource=\"mob\" PoiType=\"MOBNAMED\" Tooltip=\"Bat &#xA;\"/>\r\n"
     "<Icon Name=\"ID40002\"/>\r\n"},
    // A map links file: a moved label keeps its text; the missing final line break stays missing.
    {"a moved label", &kMapLinks, "world", [](TSimpleXML& d) { setValue(d, 1, "Location", "81,41"); },
     "Location=\"80,40\" >Old &amp; Cave</Text>", "Location=\"81,41\" >Old &amp; Cave</Text>"},
    {"a pasted label", &kMapLinks, "old cave",
     [](TSimpleXML& d) { addIcon(d, 1, {{"Name", "down"}, {"Location", "5,6"}}, "Text", "Down & out"); },
     "Tooltip=\"Back up\"/>\r\n", "Tooltip=\"Back up\"/>\r\n\t\t<Text Name=\"down\" Location=\"5,6\">Down &amp; out</Text>\r\n"},
    {"a deleted label", &kMapLinks, "world", [](TSimpleXML& d) { d.Root().Items().Delete(0); },
     "\t\t<Text Name=\"to_forest\" PoiMapLink=\"forest\" poiresource=\"linkdownlarge\" Location=\"502,912\" >Deep "
     "Forest</Text>\r\n",
     ""},
};

INSTANTIATE_TEST_SUITE_P(Edits, ZonePageSave, testing::ValuesIn(kEdits),
                         rowName<EditRow>);

TEST(ZonePageFile, EditsOfSeveralPagesLiveUntilSaved)
{
    ZonePageFile file(kMapWindow);
    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    const int harbor = file.findPage("zone_harbor");
    const int empty = file.findPage("zone_empty");
    file.show(harbor, doc);
    setValue(doc, 0, "Name", "Vault");
    file.stash(harbor, doc);
    file.show(empty, doc);
    addIcon(doc, 0, {{"Name", "First"}});
    file.stash(empty, doc);
    EXPECT_EQ(file.pages()[static_cast<std::size_t>(empty)].poiCount, 1);
    file.show(harbor, doc);
    EXPECT_EQ(std::string(icon(doc, 0).Properties().Find("Name")->Value()), "Vault");

    std::string expected = replaced(kMapWindow, "Name=\"Bank\" pathfind", "Name=\"Vault\" pathfind");
    expected = replaced(expected, "        <Image Name=\"backdrop\" />\r\n",
                        "        <Image Name=\"backdrop\" />\r\n        <Icon Name=\"First\" />\r\n");
    EXPECT_EQ(file.editedBytes(harbor, doc.Root()), expected);
}

TEST(ZonePageFile, DamagedFilesAreRefused)
{
    for (const char* bytes : {"<Page><Page Name=\"a\">", "<Page></Icon>", "<Page Name=\"a></Page>", "<Page a></Page>"})
        EXPECT_THROW(ZonePageFile{bytes}, XmlSpansError) << bytes;
    // Cut at every length: a clean refusal or a file, never a crash.
    for (std::size_t n = 0; n < kMapWindow.size(); n += 7) {
        try {
            ZonePageFile cut(kMapWindow.substr(0, n));
            (void)cut.pages();
        } catch (const XmlSpansError&) {
        }
    }
}

}  // namespace

namespace {

std::string shownAndEdited(ZonePageFile& file, TSimpleXML& doc, const char* page, const char* name)
{
    const int index = file.findPage(page);
    file.show(index, doc);
    setValue(doc, 0, "Name", name);
    return file.editedBytes(index, doc.Root());
}

TEST(ZonePageFile, EndTagsMatchWithoutRegardToCaseAsTheIconPageReaderDoes)
{
    const std::string lower = replaced(kMapWindow, "      </Page>\r\n      <Page Name=\"zone_empty\"",
                                       "      </page>\r\n      <Page Name=\"zone_empty\"");
    ZonePageFile file(lower);
    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    EXPECT_EQ(shownAndEdited(file, doc, "zone_harbor", "Vault"),
              replaced(lower, "Name=\"Bank\" pathfind", "Name=\"Vault\" pathfind"));
}

TEST(ZonePageFile, ARefusalSaysWhyAndWhere)
{
    const struct {
        const char* bytes;
        const char* message;
    } rows[] = {
        {"<Page>\r\n  <Page Name=\"a></Page>", "the value of property \"Name\" has no closing quote (line 2, column 9)"},
        {"<Page>\n<Page></Icon>", "the end tag </Icon> does not close <Page> of line 2, column 1 (line 2, column 14)"},
        {"<Page>\n <Page>", "the file ends before <Page> of line 2, column 2 is closed (line 2, column 8)"},
        {"<Page><!-- x </Page>", "a comment is not closed (line 1, column 7)"},
    };
    for (const auto& row : rows) {
        try {
            ZonePageFile file{row.bytes};
            ADD_FAILURE() << row.bytes;
        } catch (const XmlSpansError& error) {
            EXPECT_EQ(std::string(error.what()), row.message);
        }
    }
}

TEST(ZonePageFile, AnEmptyZonePageIsStillAZonePage)
{
    const std::string bytes = "\xEF\xBB\xBF<Page Name=\"POI\"><Page Name=\"exile_city\"></Page></Page>";
    ZonePageFile file(bytes);
    ASSERT_EQ(file.pages().size(), 1u);
    EXPECT_EQ(file.pages()[0].name, "exile_city");
    EXPECT_TRUE(file.worldOnly());
    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    file.show(0, doc);
    addIcon(doc, 0, {{"Name", "ID1"}, {"PathFindLocation", "1.00,2.00,3.00"}});
    EXPECT_EQ(file.editedBytes(0, doc.Root()),
              "\xEF\xBB\xBF<Page Name=\"POI\"><Page Name=\"exile_city\">\n"
              "<Icon Name=\"ID1\" PathFindLocation=\"1.00,2.00,3.00\"/>\n</Page></Page>");
    // The map window file's pages among other widgets are not taken for empty zones.
    EXPECT_EQ(ZonePageFile("<Page><Image/><Page Name=\"x\"/><Page Name=\"y\"><Icon/></Page></Page>").pages().size(), 1u);
}

TEST(ZonePageFile, AFailedReReadAfterASaveKeepsTheFileAsItWas)
{
    ZonePageFile file(kMapWindow);
    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    const std::string edited = shownAndEdited(file, doc, "zone_harbor", "Vault");
    const int page = file.findPage("zone_harbor");
    const std::size_t pages = file.pages().size();
    EXPECT_THROW(file.saved("<Page><Page Name=\"zone_harbor\">", page, doc.Root()), XmlSpansError);
    EXPECT_THROW(file.saved("<Page><Page Name=\"zone_harbor\"><Icon/></Page></Page>", page, doc.Root()),
                 std::runtime_error);
    EXPECT_EQ(file.editedBytes(page, doc.Root()), edited);
    EXPECT_EQ(file.pages().size(), pages);
}

// A value the file holds in its own form (a raw apostrophe, a character reference) is edited,
// saved, and the edit undone: the value is written again with its bytes as read.
TEST(ZonePageFile, AValueUndoneAfterASaveGetsItsBytesAsRead)
{
    const std::string original = replaced(kPoiFile, "Tooltip=\"Old Tom &#xA;\"", "Tooltip=\"Hunter's &#xA;\"");
    ZonePageFile file(original);
    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    const int page = file.findPage("forest");
    file.show(page, doc);
    TSimpleXMLProp* tooltip = icon(doc, 0).Properties().Find("Tooltip");
    const std::string asRead = tooltip->Value();
    tooltip->SetValue("Hunter's moved");
    std::string saved = file.editedBytes(page, doc.Root());
    file.saved(saved, page, doc.Root());
    icon(doc, 0).Properties().Find("Tooltip")->SetValue(asRead);
    EXPECT_EQ(file.editedBytes(page, doc.Root()), original);
}

TEST(ZonePageFile, PagesAreFoundAgainByTheirPathOfNames)
{
    ZonePageFile file(kMapWindow);
    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    // A page that came before them moves every zone page one place on among the file's pages.
    const std::string saved = replaced(shownAndEdited(file, doc, "zone_harbor", "Vault"), "  <Page Name=\"MapPage\"",
                                       "  <Page Name=\"Legend\"/>\r\n  <Page Name=\"MapPage\"");
    const int shown = file.saved(saved, file.findPage("zone_harbor"), doc.Root());
    EXPECT_EQ(file.pages()[static_cast<std::size_t>(shown)].name, "zone_harbor");
    setValue(doc, 1, "Name", "Gate");
    EXPECT_EQ(file.editedBytes(shown, doc.Root()), replaced(saved, "Name=\"Gate  West\"", "Name=\"Gate\""));
}

struct RebaseRow {
    const char* what;
    std::string from;  // what another program changed in the file...
    std::string to;
    bool spliced;  // ...and whether the edit still goes into its bytes
};

class ZonePageRebase : public testing::TestWithParam<RebaseRow> {};

TEST_P(ZonePageRebase, TakesTheEditsOverWhereTheirPagesAreUnchanged)
{
    const RebaseRow& row = GetParam();
    ZonePageFile file(kMapWindow);
    TSimpleXML doc;
    ConfigureIconPageXml(doc);
    const std::string before = shownAndEdited(file, doc, "zone_harbor", "Vault");
    const std::string theirs = replaced(kMapWindow, row.from, row.to);
    int page = file.findPage("zone_harbor");
    ASSERT_EQ(file.rebase(theirs, page), row.spliced);
    if (row.spliced)
        EXPECT_EQ(file.editedBytes(page, doc.Root()), replaced(theirs, "Name=\"Bank\" pathfind", "Name=\"Vault\" pathfind"));
    else
        EXPECT_EQ(file.editedBytes(page, doc.Root()), before);
}

const RebaseRow kRebases[] = {
    {"another widget", "<Button Name=\"Close\" Location=\"780,2\">", "<Button Name=\"Shut\" Location=\"780,2\">", true},
    {"another zone page", "<Page Name=\"zone_bare\" Visible=\"false\"/>",
     "<Page Name=\"zone_bare\" Visible=\"true\"/>", true},
    {"a new zone page before", "      <Page Name=\"zone_harbor\"",
     "      <Page Name=\"zone_new\"><Icon Name=\"n\" Location=\"1,1\"/></Page>\r\n      <Page Name=\"zone_harbor\"", true},
    {"the edited icon", "Location=\"100,200\"", "Location=\"101,200\"", false},
    {"another icon of the page", "Tooltip=\"A &amp; B\"", "Tooltip=\"A and B\"", false},
    {"an icon added to the page", "      </Page>\r\n      <Page Name=\"zone_empty\"",
     "        <Icon Name=\"n\"/>\r\n      </Page>\r\n      <Page Name=\"zone_empty\"", false},
    {"the page renamed", "Name=\"zone_harbor\"", "Name=\"zone_docks\"", false},
    {"unreadable now", "</Button>", "</Buton>", false},
};

INSTANTIATE_TEST_SUITE_P(OnDisk, ZonePageRebase, testing::ValuesIn(kRebases),
                         rowName<RebaseRow>);

}  // namespace
