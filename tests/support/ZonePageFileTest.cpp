// Zone pages inside a file: which pages are listed, and saves that change only what was edited.

#include "ZonePageFixture.h"
#include "support/IconPageXml.h"
#include "support/ZonePageFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

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

    TSimpleXML doc;
    ConfigureIconPageXml(doc);
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

void addIcon(TSimpleXML& doc, int at, std::initializer_list<std::pair<const char*, const char*>> props)
{
    auto added = std::make_unique<TSimpleXMLElemClassic>(&doc.Root());
    added->SetName("Icon");
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
};

INSTANTIATE_TEST_SUITE_P(Edits, ZonePageSave, testing::ValuesIn(kEdits),
                         [](const testing::TestParamInfo<EditRow>& info) {
                             std::string name = info.param.what;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

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
