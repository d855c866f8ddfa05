// What differs between Linux and Windows, run on both: non-ASCII names through every way the
// editor reads, saves and scans files; saves over an existing or read-only file; game paths with
// backslashes and other letter case; on Windows, a file that another program holds open.
// Names on disk are checked through std::filesystem's own UTF-8 conversion (u8path), not the
// editor's.

#include "support/AtomicFile.h"
#include "support/DdsImage.h"
#include "support/FileSystem.h"
#include "support/GamePath.h"
#include "support/ProfileFile.h"
#include "support/xml/SimpleXml.h"

#include "../helpers/DdsTestFile.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// "지도 폴더", "아이콘_지도.xml", "설정.INI" and "지도.dds" as UTF-8 bytes.
const std::string kKoreanFolder = "\xEC\xA7\x80\xEB\x8F\x84 \xED\x8F\xB4\xEB\x8D\x94";
const std::string kKoreanPage = "\xEC\x95\x84\xEC\x9D\xB4\xEC\xBD\x98_\xEC\xA7\x80\xEB\x8F\x84.xml";
const std::string kKoreanProfile = "\xEC\x84\xA4\xEC\xA0\x95.INI";
const std::string kKoreanMap = "\xEC\xA7\x80\xEB\x8F\x84.dds";

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long entries(const fs::path& folder)
{
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

std::string saveError(const std::string& path, const std::string& bytes)
{
    try {
        AtomicFile::write(path, bytes);
    } catch (const FileAccessError& error) {
        return error.what();
    }
    return {};
}

class PortableFiles : public TempFolderTest {
protected:
    std::string text(const fs::path& path) const { return FileSystem::toUtf8(path); }
};

TEST_F(PortableFiles, KoreanNamesGoThroughSaveReadAndTheFolderScan)
{
    const fs::path koreanFolder = folder / fs::u8path(kKoreanFolder);
    fs::create_directory(koreanFolder);
    const std::string dir = text(folder) + "/" + kKoreanFolder + "/";

    AtomicFile::write(dir + kKoreanPage, "<Page/>");
    EXPECT_EQ(readBytes(koreanFolder / fs::u8path(kKoreanPage)), "<Page/>");
    std::string bytes;
    EXPECT_EQ(AtomicFile::readWhole(dir + kKoreanPage, bytes), AtomicFile::ReadResult::Ok);
    EXPECT_EQ(bytes, "<Page/>");
    TSimpleXML page;
    page.LoadFromFile(dir + kKoreanPage);
    EXPECT_EQ(page.Root().Name(), "Page");
    page.SaveToFile(dir + kKoreanPage);
    EXPECT_EQ(entries(koreanFolder), 1);

    {
        TFileStream stream(dir + "stream.xml", TFileStream::Mode::Create);
        stream.WriteAll("0123456789");
        stream.SetPosition(4);
        EXPECT_EQ(stream.Size(), 10u);
        EXPECT_EQ(stream.ReadRemaining(), "456789");
    }
    ProfileFile(dir + kKoreanProfile).writeString("CONFIG", "USER", "me");
    EXPECT_EQ(ProfileFile(dir + kKoreanProfile).readString("config", "user"), "me");
    const std::vector<uint8_t> dds = ddstest::ddsFile(ddstest::Header{}, std::vector<uint8_t>(8, 0));
    AtomicFile::write(dir + kKoreanMap, std::string(dds.begin(), dds.end()));
    const std::optional<ImageRecord> image = DecodeDds(dir + kKoreanMap);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 4);

    std::vector<std::string> names = FileSystem::folderEntries(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"stream.xml", kKoreanProfile, kKoreanPage, kKoreanMap}));
    EXPECT_EQ(FileSystem::folderEntries(text(folder)), std::vector<std::string>{kKoreanFolder});
    EXPECT_TRUE(GamePath::folderExists(dir));
    EXPECT_TRUE(GamePath::fileExists(GamePath::resolve(text(folder), "/" + kKoreanFolder + "\\" + kKoreanPage)));
}

TEST_F(PortableFiles, SaveOverAnExistingFileReplacesItAndLeavesNothingElse)
{
    const fs::path file = folder / "icons_page.xml";
    std::ofstream(file, std::ios::binary) << "old contents";
#ifdef _WIN32
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
#endif
    int backups = 0;
    AtomicFile::write(text(file), "new", [&] {
        ++backups;
        EXPECT_EQ(readBytes(file), "old contents");
    });
    EXPECT_EQ(backups, 1);
    EXPECT_EQ(readBytes(file), "new");
    EXPECT_EQ(entries(folder), 1);
#ifdef _WIN32
    EXPECT_TRUE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN) << "ReplaceFileW keeps attributes";
#endif
}

TEST_F(PortableFiles, ReadOnlyFileIsRefusedAndKept)
{
#ifndef _WIN32
    if (::geteuid() == 0)
        GTEST_SKIP() << "Linux lets root write a read-only file";
#endif
    const fs::path file = folder / "icons_page.xml";
    std::ofstream(file, std::ios::binary) << "old contents";
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::string message = saveError(text(file), "new");
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
    EXPECT_EQ(readBytes(file), "old contents");
    EXPECT_EQ(entries(folder), 1);
}

TEST_F(PortableFiles, BackslashesAndOtherLetterCaseFindTheSameFile)
{
    fs::create_directory(folder / "Maps");
    std::ofstream(folder / "Maps" / "Map_Forest.DDS", std::ios::binary) << "x";
    std::string base = text(folder) + "\\";
    std::replace(base.begin(), base.end(), '/', '\\');
    const std::string resolved = GamePath::resolve(base, "maps\\MAP_FOREST.dds");
    std::string bytes;
    ASSERT_EQ(AtomicFile::readWhole(resolved, bytes), AtomicFile::ReadResult::Ok) << resolved;
    EXPECT_EQ(bytes, "x");
    AtomicFile::write(resolved, "y");
    EXPECT_EQ(readBytes(folder / "Maps" / "Map_Forest.DDS"), "y");
    EXPECT_EQ(FileSystem::folderEntries(text(folder / "Maps")), std::vector<std::string>{"Map_Forest.DDS"});
}

TEST(ProgramArguments, AreTheArgumentsAfterTheProgramName)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows reads the process's own command line";
#endif
    char program[] = "vynmap-editor";
    char option[] = "--check";
    std::string page = kKoreanPage;
    char* argv[] = {program, option, page.data(), nullptr};
    EXPECT_EQ(FileSystem::programArguments(3, argv), (std::vector<std::string>{"--check", kKoreanPage}));
    EXPECT_TRUE(FileSystem::programArguments(0, argv + 3).empty());
}

#ifdef _WIN32
// Another program's handle without delete sharing: with read sharing only the save is refused at
// once; with write sharing too the new file is written, and the replace is refused.
class HeldOpen : public PortableFiles, public ::testing::WithParamInterface<DWORD> {};

TEST_P(HeldOpen, SaveGivesAClearErrorAndLosesNothing)
{
    const fs::path file = folder / "icons_page.xml";
    std::ofstream(file, std::ios::binary) << "old contents";
    HANDLE other = ::CreateFileW(file.c_str(), GENERIC_READ, GetParam(), nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const std::string message = saveError(text(file), "new");
    ::CloseHandle(other);
    EXPECT_NE(message.find("another program has the file open"), std::string::npos) << message;
    EXPECT_EQ(readBytes(file), "old contents");
    EXPECT_EQ(entries(folder), 1);
    AtomicFile::write(text(file), "new");
    EXPECT_EQ(readBytes(file), "new");
}

INSTANTIATE_TEST_SUITE_P(Sharing, HeldOpen, ::testing::Values(DWORD(FILE_SHARE_READ),
                                                              DWORD(FILE_SHARE_READ | FILE_SHARE_WRITE)));
#endif

}  // namespace
