#include "support/FileSystem.h"
#include "support/GamePath.h"
#include "support/TextUtil.h"

#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// resolve() gives the letter case on disk; Windows ignores letter case, so there it keeps the
// letter case asked for, and either finds the same file.
#ifdef _WIN32
#define EXPECT_SAME_PATH(actual, expected) EXPECT_PRED2(EqualsNoCase, actual, expected)
#else
#define EXPECT_SAME_PATH(actual, expected) EXPECT_EQ(actual, expected)
#endif

// A game folder in a fresh temporary directory, with names in mixed letter case.
class GamePathTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        root = folder;
        fs::create_directories(root / "UI" / "MySkin" / "Images" / "Maps");
        std::ofstream(root / "UI" / "MySkin" / "Images" / "Maps" / "Map_Forest.DDS") << "x";
        rootText = GamePath::toSlashes(FileSystem::toUtf8(root));
        base = rootText + "/UI/MySkin/";
    }

    fs::path root;
    std::string rootText;  // with "/" on Windows too
    std::string base;
};

TEST_F(GamePathTest, ExactPathIsReturnedAsIs)
{
    EXPECT_SAME_PATH(GamePath::resolve(base, "Images/Maps/Map_Forest.DDS"), base + "Images/Maps/Map_Forest.DDS");
}

TEST_F(GamePathTest, BackslashesAndLetterCaseAreResolved)
{
    const std::string expected = base + "Images/Maps/Map_Forest.DDS";
    EXPECT_SAME_PATH(GamePath::resolve(base, "images\\maps\\map_forest.dds"), expected);
    EXPECT_SAME_PATH(GamePath::resolve(base, "IMAGES\\MAPS\\MAP_FOREST.DDS"), expected);
    EXPECT_TRUE(GamePath::fileExists(GamePath::resolve(base, "images\\maps\\MAP_forest.dds")));
}

TEST_F(GamePathTest, BaseWithBackslashesAndWrongCaseIsResolvedToo)
{
    std::string windowsBase = rootText + "\\ui\\myskin\\";
    EXPECT_SAME_PATH(GamePath::resolve(windowsBase, "images\\maps\\map_forest.dds"),
                     base + "Images/Maps/Map_Forest.DDS");
}

TEST_F(GamePathTest, MissingPartGivesTheUnresolvedPathWithSlashes)
{
    EXPECT_SAME_PATH(GamePath::resolve(base, "images\\maps\\nothere.dds"), base + "images/maps/nothere.dds");
    EXPECT_SAME_PATH(GamePath::resolve(base, "nofolder\\maps\\map_forest.dds"), base + "nofolder/maps/map_forest.dds");
    EXPECT_SAME_PATH(GamePath::resolve("", ""), "");
}

TEST_F(GamePathTest, EmptyRelativeResolvesTheBaseAndKeepsTheTrailingSlash)
{
    EXPECT_SAME_PATH(GamePath::resolve(rootText + "/ui/myskin/", ""), base);
    EXPECT_SAME_PATH(GamePath::resolve(rootText + "/ui/myskin/images", ""), base + "Images");
}

TEST_F(GamePathTest, FolderTargetKeepsItsTrailingSlash)
{
    EXPECT_SAME_PATH(GamePath::resolve(base, "images\\maps\\"), base + "Images/Maps/");
    EXPECT_TRUE(GamePath::folderExists(GamePath::resolve(base, "images\\maps\\")));
}

TEST_F(GamePathTest, SeveralCaseVariantsChooseTheSmallestNameWhateverTheListingOrder)
{
#ifdef _WIN32
    GTEST_SKIP() << "a Windows folder holds one of the names only";
#endif
    fs::create_directories(root / "UI" / "MySkin" / "vynmap");
    fs::create_directories(root / "UI" / "MySkin" / "VynMap");
    EXPECT_SAME_PATH(GamePath::resolve(base, "VYNMAP\\"), base + "VynMap/");
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
