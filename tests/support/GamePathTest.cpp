#include "support/GamePath.h"

#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// A game folder in a fresh temporary directory, with names in mixed letter case.
class GamePathTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        root = folder;
        fs::create_directories(root / "UI" / "MySkin" / "Images" / "Maps");
        std::ofstream(root / "UI" / "MySkin" / "Images" / "Maps" / "Map_Forest.DDS") << "x";
        base = root.string() + "/UI/MySkin/";
    }

    fs::path root;
    std::string base;
};

TEST_F(GamePathTest, ExactPathIsReturnedAsIs)
{
    EXPECT_EQ(GamePath::resolve(base, "Images/Maps/Map_Forest.DDS"), base + "Images/Maps/Map_Forest.DDS");
}

TEST_F(GamePathTest, BackslashesAndLetterCaseAreResolved)
{
    const std::string expected = base + "Images/Maps/Map_Forest.DDS";
    EXPECT_EQ(GamePath::resolve(base, "images\\maps\\map_forest.dds"), expected);
    EXPECT_EQ(GamePath::resolve(base, "IMAGES\\MAPS\\MAP_FOREST.DDS"), expected);
    EXPECT_TRUE(GamePath::fileExists(GamePath::resolve(base, "images\\maps\\MAP_forest.dds")));
}

TEST_F(GamePathTest, BaseWithBackslashesAndWrongCaseIsResolvedToo)
{
    std::string windowsBase = root.string() + "\\ui\\myskin\\";
    EXPECT_EQ(GamePath::resolve(windowsBase, "images\\maps\\map_forest.dds"), base + "Images/Maps/Map_Forest.DDS");
}

TEST_F(GamePathTest, MissingPartGivesTheUnresolvedPathWithSlashes)
{
    EXPECT_EQ(GamePath::resolve(base, "images\\maps\\nothere.dds"), base + "images/maps/nothere.dds");
    EXPECT_EQ(GamePath::resolve(base, "nofolder\\maps\\map_forest.dds"), base + "nofolder/maps/map_forest.dds");
    EXPECT_EQ(GamePath::resolve("", ""), "");
}

TEST_F(GamePathTest, EmptyRelativeResolvesTheBaseAndKeepsTheTrailingSlash)
{
    EXPECT_EQ(GamePath::resolve(root.string() + "/ui/myskin/", ""), base);
    EXPECT_EQ(GamePath::resolve(root.string() + "/ui/myskin/images", ""), base + "Images");
}

TEST_F(GamePathTest, FolderTargetKeepsItsTrailingSlash)
{
    EXPECT_EQ(GamePath::resolve(base, "images\\maps\\"), base + "Images/Maps/");
    EXPECT_TRUE(GamePath::folderExists(GamePath::resolve(base, "images\\maps\\")));
}

TEST_F(GamePathTest, SeveralCaseVariantsChooseTheSmallestNameWhateverTheListingOrder)
{
    fs::create_directories(root / "UI" / "MySkin" / "vynmap");
    fs::create_directories(root / "UI" / "MySkin" / "VynMap");
    EXPECT_EQ(GamePath::resolve(base, "VYNMAP\\"), base + "VynMap/");
}

TEST_F(GamePathTest, ExistenceTestsTellFilesFromFolders)
{
    const std::string file = base + "Images/Maps/Map_Forest.DDS";
    EXPECT_TRUE(GamePath::fileExists(file));
    EXPECT_FALSE(GamePath::folderExists(file));
    EXPECT_TRUE(GamePath::folderExists(base));
    EXPECT_FALSE(GamePath::fileExists(base));
    EXPECT_FALSE(GamePath::fileExists(""));
    EXPECT_FALSE(GamePath::folderExists(base + "none"));
}

TEST(GamePathNames, FileNameAndExtension)
{
    EXPECT_EQ(GamePath::fileName("a/b\\icons_x.xml"), "icons_x.xml");
    EXPECT_EQ(GamePath::fileName("plain"), "plain");
    EXPECT_EQ(GamePath::fileName("folder/"), "");
    EXPECT_EQ(GamePath::changeExtension("a/icons_x.xml", ".DDS"), "a/icons_x.DDS");
    EXPECT_EQ(GamePath::changeExtension("a.b/noext", ".DDS"), "a.b/noext.DDS");
    EXPECT_EQ(GamePath::changeExtension("a.b\\noext", ".DDS"), "a.b\\noext.DDS");
}

}  // namespace
