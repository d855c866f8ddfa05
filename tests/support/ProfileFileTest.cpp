#include "support/ProfileFile.h"

#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(ProfileRead, SectionsAndKeysIgnoreCaseAndTheFirstMatchWins)
{
    const ProfileFile profile = ProfileFile::fromText(
        "[Config]\r\nPath=/first/\r\npath=/second/\r\n[CONFIG]\r\nUser=later\r\nPATH=/third/\r\n");
    EXPECT_EQ(profile.readString("config", "PATH"), "/first/");
    EXPECT_EQ(profile.readString("CoNfIg", "user", "none"), "none");  // only the first section counts
    EXPECT_TRUE(profile.hasSection("cOnFiG"));
    EXPECT_FALSE(profile.hasSection("CONFIGX"));
    EXPECT_EQ(profile.readString("missing", "path", "dflt"), "dflt");
}

TEST(ProfileRead, ValuesAreTrimmedAndCutTo2047Bytes)
{
    const std::string longValue(3000, 'v');
    const ProfileFile profile = ProfileFile::fromText("[s]\n  key \t=  a value with  inner  blanks \t\nlong=" +
                                                      longValue + "\nempty=   \n");
    EXPECT_EQ(profile.readString("s", "key"), "a value with  inner  blanks");
    EXPECT_EQ(profile.readString("s", "long"), std::string(ProfileFile::kMaxValueLength, 'v'));
    EXPECT_EQ(profile.readString("s", "empty", "dflt"), "");
}

TEST(ProfileRead, CutDoesNotSplitAUtf8Sequence)
{
    // "가" is three bytes; put one across the 2047-byte limit.
    const std::string value = std::string(ProfileFile::kMaxValueLength - 1, 'a') + "\xEA\xB0\x80" + "tail";
    const ProfileFile profile = ProfileFile::fromText("[s]\nk=" + value + "\n");
    EXPECT_EQ(profile.readString("s", "k"), std::string(ProfileFile::kMaxValueLength - 1, 'a'));
}

TEST(ProfileRead, DecimalValues)
{
    const ProfileFile profile = ProfileFile::fromText(
        "[n]\nplain=42\nsigned= -17 \nplus=+5\ntrailing=12px\nnone=abc\nempty=\nhuge=99999999999999999999999\n"
        "tiny=-99999999999999999999999\n");
    EXPECT_EQ(profile.readInt("n", "plain", 0), 42);
    EXPECT_EQ(profile.readInt("n", "signed", 0), -17);
    EXPECT_EQ(profile.readInt("n", "plus", 0), 5);
    EXPECT_EQ(profile.readInt("n", "trailing", 0), 12);
    EXPECT_EQ(profile.readInt("n", "none", 7), 7);
    EXPECT_EQ(profile.readInt("n", "empty", 7), 7);
    EXPECT_EQ(profile.readInt("n", "absent", 7), 7);
    EXPECT_EQ(profile.readInt("n", "huge", 0), LONG_MAX);
    EXPECT_EQ(profile.readInt("n", "tiny", 0), LONG_MIN);
}

TEST(ProfileRead, KeysAndLinesOfASectionInFileOrder)
{
    const ProfileFile profile = ProfileFile::fromText(
        "[MapZoneDef]\n  zmap = 1,2,3,4 \n; a comment\n\namap=5,6,7,8\nno separator here\n=empty key\n"
        "[Other]\nx=1\n");
    EXPECT_EQ(profile.sectionKeys("MAPZONEDEF"), (std::vector<std::string>{"zmap", "amap"}));
    EXPECT_EQ(profile.sectionLines("mapzonedef"),
              (std::vector<std::string>{"zmap = 1,2,3,4", "amap=5,6,7,8", "no separator here", "=empty key"}));
    EXPECT_EQ(profile.sectionLines("mapzonedef", true).front(), "  zmap = 1,2,3,4 ");
    EXPECT_TRUE(profile.sectionLines("absent").empty());
    EXPECT_TRUE(profile.sectionKeys("absent").empty());
}

TEST(ProfileRead, OddFilesAreReadWithoutACrash)
{
    std::string junk = "before any section=ignored\n[unclosed\n[ Spaced ]\nk=v\r\nbare\rcr=only\r";
    junk += std::string("nul\0key=nul\0value\n", 19);
    junk += std::string(100000, '\xFF') + "\n[bin]\n";
    for (int byte = 0; byte < 256; ++byte)
        junk += static_cast<char>(byte);
    const ProfileFile profile = ProfileFile::fromText(junk);
    EXPECT_EQ(profile.readString("", "before any section", "dflt"), "dflt");
    EXPECT_EQ(profile.readString("spaced", "k"), "v");
    EXPECT_EQ(profile.readString("spaced", "cr"), "only");
    EXPECT_EQ(profile.readString("spaced", std::string("nul\0key", 7)), std::string("nul\0value", 9));
    EXPECT_TRUE(profile.hasSection("bin"));
    EXPECT_FALSE(profile.hasSection("unclosed"));
    EXPECT_EQ(ProfileFile::fromText("\xEF\xBB\xBF[Bom]\nk=1\n").readInt("bom", "k", 0), 1);
}

TEST(ProfileEdit, ReplacingAValueKeepsEveryOtherByte)
{
    const std::string text = "; head comment\r\n[CONFIG]\r\n  User = old name  \r\nPATH=/x/\r\n\r\n[Unknown]\r\nUser=other\r\n";
    EXPECT_EQ(ProfileFile::withValue(text, "config", "USER", "new"),
              "; head comment\r\n[CONFIG]\r\n  User = new  \r\nPATH=/x/\r\n\r\n[Unknown]\r\nUser=other\r\n");
    EXPECT_EQ(ProfileFile::withValue("[s]\nk=\n", "s", "k", "v"), "[s]\nk=v\n");
}

TEST(ProfileEdit, DeletingAKeyTakesOnlyItsLine)
{
    const std::string text = "[a]\r\nk=1\r\n[s]\r\n; note\r\n K = 2 \r\nk=3\r\nz=4";
    EXPECT_EQ(ProfileFile::withoutKey(text, "S", "k"), "[a]\r\nk=1\r\n[s]\r\n; note\r\nk=3\r\nz=4");
    EXPECT_EQ(ProfileFile::withoutKey(text, "s", "z"), "[a]\r\nk=1\r\n[s]\r\n; note\r\n K = 2 \r\nk=3\r\n");
    EXPECT_EQ(ProfileFile::withoutKey(text, "s", "absent"), text);
    EXPECT_EQ(ProfileFile::withoutKey(text, "absent", "k"), text);
}

TEST(ProfileEdit, MissingKeyGoesAfterTheSectionsLastLine)
{
    EXPECT_EQ(ProfileFile::withValue("[MAPZONEDEF]\r\na=1\r\n\r\n[Next]\r\n", "mapzonedef", "b", "2"),
              "[MAPZONEDEF]\r\na=1\r\nb=2\r\n\r\n[Next]\r\n");
    EXPECT_EQ(ProfileFile::withValue("[s]", "s", "k", "v"), "[s]\nk=v\n");
    EXPECT_EQ(ProfileFile::withValue("x\r\n[s]\r\na=1", "s", "k", "v"), "x\r\n[s]\r\na=1\r\nk=v\r\n");
    // Mixed line ends: the new line copies its predecessor's end, so it cannot swallow the blank
    // line after it (a CR followed by that LF would make one CR LF).
    EXPECT_EQ(ProfileFile::withValue("x\r[s]\n\n", "s", "k", "v"), "x\r[s]\nk=v\n\n");
}

TEST(ProfileEdit, MissingSectionIsAppended)
{
    EXPECT_EQ(ProfileFile::withValue("", "CONFIG", "USER", "me"), "[CONFIG]\nUSER=me\n");
    EXPECT_EQ(ProfileFile::withValue("[a]\r\nx=1", "CONFIG", "USER", "me"), "[a]\r\nx=1\r\n\r\n[CONFIG]\r\nUSER=me\r\n");
    EXPECT_EQ(ProfileFile::withValue("[a]\nx=1\n\n", "CONFIG", "USER", "me"), "[a]\nx=1\n\n[CONFIG]\nUSER=me\n");
}

TEST(ProfileEdit, NamesThatCannotBeOneLineAreRefused)
{
    EXPECT_THROW(ProfileFile::withValue("", "", "k", "v"), ProfileError);
    EXPECT_THROW(ProfileFile::withValue("", "a]b", "k", "v"), ProfileError);
    EXPECT_THROW(ProfileFile::withValue("", "s", "a=b", "v"), ProfileError);
    EXPECT_THROW(ProfileFile::withValue("", "s", ";k", "v"), ProfileError);
    EXPECT_THROW(ProfileFile::withValue("", "s", "[k", "v"), ProfileError);
    EXPECT_THROW(ProfileFile::withValue("", "s", "k", "two\nlines"), ProfileError);
    EXPECT_THROW(ProfileFile::withValue("", "s\r", "k", "v"), ProfileError);
}

// Writes through real files in a fresh temporary folder.
class ProfileFileOnDisk : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        path = folder / "vynmap-editor.INI";
    }

    std::size_t entriesInFolder() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    fs::path path;
};

TEST_F(ProfileFileOnDisk, MissingFileReadsEmptyAndIsCreatedByAWrite)
{
    ProfileFile profile(path.string());
    EXPECT_FALSE(profile.loaded());
    EXPECT_EQ(profile.readString("CONFIG", "USER", "dflt"), "dflt");
    profile.writeString("CONFIG", "USER", "me");
    EXPECT_EQ(readBytes(path), "[CONFIG]\nUSER=me\n");
    EXPECT_EQ(ProfileFile(path.string()).readString("config", "user"), "me");
    EXPECT_EQ(profile.readString("config", "user"), "me");
    EXPECT_EQ(entriesInFolder(), 1u);  // no temporary file left behind
}

TEST_F(ProfileFileOnDisk, WriteRereadsTheFileAndKeepsOtherLinesAndPermissions)
{
    writeBytes(path, "[CONFIG]\r\nUSER=old\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ProfileFile profile(path.string());
    // Another writer adds a line after the snapshot was taken: it must survive.
    writeBytes(path, "; kept\r\n[CONFIG]\r\nUSER=old\r\nPOIURL=http://h/submitpoi.php\r\n");
    profile.writeString("CONFIG", "USER", "new");
    EXPECT_EQ(readBytes(path), "; kept\r\n[CONFIG]\r\nUSER=new\r\nPOIURL=http://h/submitpoi.php\r\n");
#ifndef _WIN32
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
#endif
}

TEST_F(ProfileFileOnDisk, WriteThroughASymbolicLinkKeepsTheLink)
{
#ifdef _WIN32
    GTEST_SKIP() << "links are followed on Linux only; Windows replaces the file named";
#endif
    const fs::path real = folder / "real.ini";
    writeBytes(real, "[s]\nk=1\n");
    fs::create_symlink(real, path);
    ProfileFile(path.string()).writeString("s", "k", "2");
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(readBytes(real), "[s]\nk=2\n");
}

TEST_F(ProfileFileOnDisk, FailedWritesLeaveTheOldStateAndNoTemporaryFile)
{
    // The target is a folder: it cannot be read, so nothing may replace it.
    fs::create_directories(path / "inside");
    EXPECT_THROW(ProfileFile(path.string()).writeString("s", "k", "v"), FileAccessError);
    EXPECT_TRUE(fs::is_directory(path / "inside"));

    // The folder of the target does not exist: no temporary file can be made.
    EXPECT_THROW(ProfileFile((folder / "none" / "x.ini").string()).writeString("s", "k", "v"), FileAccessError);

    // A rename that fails (onto a non-empty folder) keeps the folder and removes the temporary file.
    EXPECT_THROW(AtomicFile::write(path.string(), "new"), FileAccessError);
    EXPECT_TRUE(fs::is_directory(path / "inside"));
    EXPECT_EQ(entriesInFolder(), 1u);

    // An invalid key changes nothing on disk.
    const fs::path other = folder / "other.ini";
    writeBytes(other, "[s]\nk=1\n");
    EXPECT_THROW(ProfileFile(other.string()).writeString("s", "a=b", "v"), ProfileError);
    EXPECT_EQ(readBytes(other), "[s]\nk=1\n");
}

}  // namespace
