#include "support/ConfigRules.h"
#include "support/TextUtil.h"
#include "support/ZoneRectTable.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

TEST(DefaultFolder, UiFolderIsReplacedByDefault)
{
    EXPECT_EQ(Config::DefaultFolderOf("/c/Games/X/UI/MySkin/"), "/c/Games/X/UI/Default/");
    // The part taken from the base keeps its letter case; "Default/" is appended as written.
    EXPECT_EQ(Config::DefaultFolderOf("/c/Games/x/ui/myskin/"), "/c/Games/x/ui/Default/");
    EXPECT_EQ(Config::DefaultFolderOf("/d/Tools/Editor/"), "/d/Tools/Editor/");
    EXPECT_EQ(Config::DefaultFolderOf("/a/UI/b/Ui/c/"), "/a/UI/Default/");
    EXPECT_EQ(Config::DefaultFolderOf("/games/UI/"), "/games/UI/Default/");
    EXPECT_EQ(Config::DefaultFolderOf("/games/UIX/skin/"), "/games/UIX/skin/");
    EXPECT_EQ(Config::DefaultFolderOf("C:\\Games\\X\\UI\\MySkin\\"), "C:/Games/X/UI/Default/");
    EXPECT_EQ(Config::DefaultFolderOf(""), "");
}

TEST(ConfigPaths, ExecutablePathGivesFileAndFolder)
{
    EXPECT_EQ(Config::ConfigPathForExecutable("/opt/vynmap/vynmap-editor"), "/opt/vynmap/vynmap-editor.INI");
    EXPECT_EQ(Config::ExecutableFolderOf("/opt/vynmap/vynmap-editor"), "/opt/vynmap/");
    EXPECT_EQ(Config::ExecutableFolderOf("vynmap-editor"), "");
}

TEST(MapGamma, PointIsTheDecimalSeparatorWhateverTheLocale)
{
    // A comma locale must not change how the file is read (skipped quietly when not installed).
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_DOUBLE_EQ(Config::ParseMapGamma("1.25"), 1.25);
    EXPECT_DOUBLE_EQ(Config::ParseMapGamma("  0.5 "), 0.5);
    EXPECT_DOUBLE_EQ(Config::ParseMapGamma("+2"), 2.0);
    EXPECT_DOUBLE_EQ(Config::ParseMapGamma("5e-1"), 0.5);
    std::setlocale(LC_NUMERIC, "C");
}

TEST(MapGamma, EmptyOrUnreadableGivesTheDefault)
{
    for (const char* bad : {"", "   ", "abc", "0,8", "1.2x", "nan", "inf", "+", "1e999", "--1"})
        EXPECT_DOUBLE_EQ(Config::ParseMapGamma(bad), Config::kDefaultMapGamma) << bad;
}

TEST(UrlHost, HostOfTheSubmissionAddress)
{
    EXPECT_EQ(Config::UrlHost(Config::kDefaultPoiUrl), "mapboard.example.net");
    EXPECT_EQ(Config::UrlHost("https://user:pw@maps.example.org:8080/submitpoi.php?x=1"), "maps.example.org");
    EXPECT_EQ(Config::UrlHost("http://[::1]:8080/submitpoi.php"), "[::1]");
    EXPECT_EQ(Config::UrlHost("maps.example.org/submitpoi.php"), "maps.example.org");
    EXPECT_EQ(Config::UrlHost(""), "");
}

TEST(ZoneRectTable, LaterRowsWinAndNamesIgnoreCase)
{
    std::vector<std::string> table;
    EXPECT_FALSE(FindZoneRect(table, "forest"));
    AppendZoneRect(table, "Forest", "1,2,3,4");
    AppendZoneRect(table, "Cave", "0,0,0,0");
    AppendZoneRect(table, "FOREST", "5,6,7,8");
    EXPECT_EQ(table.size(), 6u);
    EXPECT_EQ(FindZoneRect(table, "forest"), "5,6,7,8");
    EXPECT_EQ(FindZoneRect(table, "cave"), "0,0,0,0");
    EXPECT_FALSE(FindZoneRect(table, "0,0,0,0"));  // zone texts are never taken for names
    table.push_back("dangling");
    EXPECT_FALSE(FindZoneRect(table, "dangling"));
}

TEST(TextUtil, SplitAtTheFirstSeparator)
{
    const SplitText pair = SplitAt("a=b=c", '=');
    EXPECT_EQ(pair.head, "a");
    EXPECT_EQ(pair.rest, "b=c");
    const SplitText none = SplitAt("no separator", '=');
    EXPECT_EQ(none.head, "no separator");
    EXPECT_EQ(none.rest, "");
    const SplitText edge = SplitAt("=", '=');
    EXPECT_EQ(edge.head, "");
    EXPECT_EQ(edge.rest, "");
}

TEST(TextUtil, CaseAndBlankRules)
{
    EXPECT_EQ(TrimBlanks(" \t a b \t "), "a b");
    EXPECT_EQ(TrimBlanks("   "), "");
    EXPECT_TRUE(EqualsNoCase("MapZoneDef", "MAPZONEDEF"));
    EXPECT_FALSE(EqualsNoCase("abc", "abd"));
    EXPECT_FALSE(EqualsNoCase("\xC3\xA4", "\xC3\x84"));  // only ASCII letters fold
    EXPECT_EQ(FindNoCase("/x/ui/y/UI/", "/UI/"), 2u);
    EXPECT_EQ(FindNoCase("abc", "abcd"), std::string::npos);
    EXPECT_EQ(ToUpperAscii("a1z\xC3\xA4"), "A1Z\xC3\xA4");
}

TEST(TextUtil, CountsReadAsEnglish)
{
    const struct {
        long long count;
        const char* text;
    } rows[] = {{0, "0 POIs"}, {1, "1 POI"}, {2, "2 POIs"}, {-1, "-1 POIs"}, {11, "11 POIs"}};
    for (const auto& row : rows)
        EXPECT_EQ(CountText(row.count, "POI", "POIs"), row.text);
}

}  // namespace
