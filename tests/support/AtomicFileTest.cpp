#include "support/AtomicFile.h"
#include "support/ProfileFile.h"

#include "../helpers/FileSizeLimit.h"
#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The program's own mode for a write by another user: --write-as-child page|profile PATH TEXT.
constexpr const char* kChildMode = "--write-as-child";
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
// Exit statuses of setpriv when it cannot run the program (not found, not executable).
constexpr int kChildCannotStart = 127;
constexpr int kChildCannotExecute = 126;

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

struct stat statOf(const fs::path& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

// The write of the child mode: exit status 0 on success, else 1 with the error on stdout.
int childWrite(const std::string& kind, const std::string& path, const std::string& text)
{
    try {
        if (kind == "profile")
            ProfileFile(path).writeString("CONFIG", "USER", text);
        else
            AtomicFile::write(path, text);
    } catch (const std::exception& error) {
        std::fputs(error.what(), stdout);
        return 1;
    }
    return 0;
}

struct ChildResult {
    int status = -1;
    std::string output;
};

// Runs this program's child mode as nobody through setpriv; nothing when that cannot start.
std::optional<ChildResult> writeAsNobody(const std::string& kind, const fs::path& path, const std::string& text)
{
    std::error_code ec;
    const std::string self = fs::read_symlink("/proc/self/exe", ec).string();
    int out[2];
    if (ec || ::pipe(out) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        const std::string uid = "--reuid=" + std::to_string(kNobody);
        const std::string gid = "--regid=" + std::to_string(kNoGroup);
        ::execlp("setpriv", "setpriv", uid.c_str(), gid.c_str(), "--clear-groups", "--", self.c_str(),
                 kChildMode, kind.c_str(), path.c_str(), text.c_str(), static_cast<char*>(nullptr));
        ::_exit(kChildCannotStart);
    }
    ::close(out[1]);
    ChildResult result;
    char chunk[256];
    for (ssize_t got; (got = ::read(out[0], chunk, sizeof chunk)) > 0;)
        result.output.append(chunk, static_cast<std::size_t>(got));
    ::close(out[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == kChildCannotStart || WEXITSTATUS(status) == kChildCannotExecute)
        return std::nullopt;
    result.status = WEXITSTATUS(status);
    return result;
}

// One permission case: who owns the folder and the file, their modes, and what a save by
// nobody must do.
struct PermissionCase {
    const char* name;
    const char* kind;  // "page" or "profile"
    mode_t folderMode;
    bool folderOwnedByWriter;
    mode_t fileMode;
    bool fileOwnedByWriter;
    bool saves;
};

const PermissionCase kPermissionCases[] = {
    {"ReadOnlyFileInOwnFolder", "page", 0755, true, 0444, true, false},
    {"ReadOnlyProfileInOwnFolder", "profile", 0755, true, 0444, true, false},
    {"WritableFileInReadOnlyFolder", "page", 0555, true, 0644, true, true},
    {"OthersWritableFileInStickyFolder", "page", 01777, false, 0666, false, true},
    {"OthersWritableFileInWritableFolder", "page", 0777, true, 0666, false, true},
    {"OthersWritableProfileInReadOnlyFolder", "profile", 0555, false, 0666, false, true},
};

class AtomicFilePermissions : public TempFolderTest, public ::testing::WithParamInterface<PermissionCase> {};

TEST_P(AtomicFilePermissions, SaveByAnotherUserFollowsTheFileItsOwnMode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: files of two users are set up, then saved as nobody through setpriv";
    const PermissionCase& row = GetParam();
    const fs::path box = folder / "box";
    fs::create_directory(box);
    const fs::path file = box / "icons_page.xml";
    const std::string old = "[CONFIG]\nUSER=old\n";
    writeBytes(file, old);
    ASSERT_EQ(::chown(file.c_str(), row.fileOwnedByWriter ? kNobody : 0, row.fileOwnedByWriter ? kNoGroup : 0), 0);
    ASSERT_EQ(::chmod(file.c_str(), row.fileMode), 0);
    ASSERT_EQ(::chown(box.c_str(), row.folderOwnedByWriter ? kNobody : 0, row.folderOwnedByWriter ? kNoGroup : 0), 0);
    ASSERT_EQ(::chmod(box.c_str(), row.folderMode), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    const struct stat before = statOf(file);

    const std::optional<ChildResult> result = writeAsNobody(row.kind, file, "new");
    if (!result)
        GTEST_SKIP() << "setpriv could not run this test program as nobody (is its folder open to others?)";

    const struct stat after = statOf(file);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    if (row.saves) {
        EXPECT_EQ(result->status, 0) << result->output;
        EXPECT_NE(readBytes(file), old);
        EXPECT_NE(readBytes(file).find("new"), std::string::npos);
    } else {
        EXPECT_EQ(result->status, 1);
        EXPECT_NE(result->output.find(std::strerror(EACCES)), std::string::npos) << result->output;
        EXPECT_EQ(readBytes(file), old);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(box), fs::directory_iterator()), 1) << "a temporary file stayed";
}

INSTANTIATE_TEST_SUITE_P(Rows, AtomicFilePermissions, ::testing::ValuesIn(kPermissionCases),
                         [](const ::testing::TestParamInfo<PermissionCase>& info) { return info.param.name; });

using AtomicFileWrite = TempFolderTest;

TEST_F(AtomicFileWrite, OwnerGroupAndModeOfAnotherUsersFileAreKept)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file another owner";
    const fs::path file = folder / "icons_page.xml";
    writeBytes(file, "old");
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNoGroup), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    AtomicFile::write(file.string(), "new");
    const struct stat after = statOf(file);
    EXPECT_EQ(after.st_uid, kNobody);
    EXPECT_EQ(after.st_gid, kNoGroup);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(readBytes(file), "new");
}

TEST_F(AtomicFileWrite, EveryHardLinkSeesTheNewContents)
{
    const fs::path file = folder / "icons_page.xml";
    const fs::path other = folder / "copy.xml";
    writeBytes(file, "old contents");
    fs::create_hard_link(file, other);
    AtomicFile::write(file.string(), "new");
    EXPECT_EQ(readBytes(other), "new");
    EXPECT_EQ(statOf(file).st_ino, statOf(other).st_ino);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST_F(AtomicFileWrite, FailedWriteInPlaceRestoresTheOldContents)
{
    // A file size limit makes the write in place fail after part of the new bytes, as a full disk would.
    constexpr rlim_t kLimit = 6000;
    const fs::path file = folder / "icons_page.xml";
    const fs::path other = folder / "copy.xml";
    const std::string old(4000, 'o');
    writeBytes(file, old);
    fs::create_hard_link(file, other);
    bool refused = false;
    try {
        const FileSizeLimit limit(kLimit);
        AtomicFile::write(file.string(), std::string(2 * kLimit, 'n'));
    } catch (const FileAccessError& error) {
        refused = error.step() == FileAccessError::Step::Write;
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(readBytes(other), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2) << "the copy stayed";
}

// A chain of links from "start" whose last link names a missing file.
struct LinkCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> links;  // link name, link text (relative to the folder)
    const char* target;  // the file the write must create, relative to the folder
};

class AtomicFileLinks : public TempFolderTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(AtomicFileLinks, DanglingLinksAreFollowedAndStay)
{
    const LinkCase& row = GetParam();
    fs::create_directory(folder / "sub");
    for (const auto& [name, text] : row.links)
        fs::create_symlink(text, folder / name);
    AtomicFile::write((folder / row.links.front().first).string(), "page");
    for (const auto& [name, text] : row.links) {
        EXPECT_TRUE(fs::is_symlink(folder / name)) << name;
        EXPECT_EQ(fs::read_symlink(folder / name).string(), text);
    }
    EXPECT_EQ(readBytes(folder / row.target), "page");
}

INSTANTIATE_TEST_SUITE_P(Rows, AtomicFileLinks,
    ::testing::Values(LinkCase{"OneLink", {{"start", "missing.xml"}}, "missing.xml"},
                      LinkCase{"Chain", {{"start", "middle"}, {"middle", "sub/end.xml"}}, "sub/end.xml"},
                      LinkCase{"RelativeToTheLinksFolder", {{"start", "sub/hop"}, {"sub/hop", "../end.xml"}}, "end.xml"}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return info.param.name; });

TEST_F(AtomicFileWrite, LinkLoopsAreRefusedAndLeftAlone)
{
    fs::create_symlink("b", folder / "a");
    fs::create_symlink("a", folder / "b");
    fs::create_symlink("self", folder / "self");
    for (const char* start : {"a", "self"}) {
        try {
            AtomicFile::write((folder / start).string(), "page");
            ADD_FAILURE() << start << " was written";
        } catch (const FileAccessError& error) {
            EXPECT_NE(std::string(error.what()).find("loop"), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(fs::read_symlink(folder / "a"), "b");
    EXPECT_EQ(fs::read_symlink(folder / "self"), "self");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

using AtomicFileRead = TempFolderTest;

TEST_F(AtomicFileRead, OnlyRegularFilesWithinTheBoundAreRead)
{
    const fs::path fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path huge = folder / "huge.xml";
    writeBytes(huge, "<Page/>");
    fs::resize_file(huge, AtomicFile::kMaxFileBytes + 1);  // sparse: no disk space used
    writeBytes(folder / "ten.xml", "0123456789");
    fs::create_symlink("/dev/zero", folder / "zero");

    const struct {
        fs::path path;
        std::uint64_t maxBytes;
        AtomicFile::ReadResult expected;
    } rows[] = {
        {fifo, AtomicFile::kMaxFileBytes, AtomicFile::ReadResult::Failed},
        {folder / "zero", AtomicFile::kMaxFileBytes, AtomicFile::ReadResult::Failed},
        {folder, AtomicFile::kMaxFileBytes, AtomicFile::ReadResult::Failed},
        {huge, AtomicFile::kMaxFileBytes, AtomicFile::ReadResult::TooLarge},
        {folder / "ten.xml", 9, AtomicFile::ReadResult::TooLarge},
        {folder / "ten.xml", 10, AtomicFile::ReadResult::Ok},
        {folder / "absent.xml", 10, AtomicFile::ReadResult::Missing},
    };
    for (const auto& row : rows) {
        std::string bytes = "stale";
        EXPECT_EQ(AtomicFile::readWhole(row.path.string(), bytes, row.maxBytes), row.expected) << row.path;
        EXPECT_EQ(bytes, row.expected == AtomicFile::ReadResult::Ok ? "0123456789" : "") << row.path;
    }
    EXPECT_EQ(AtomicFile::tooLargeMessage("/p/icons_x.xml"), "File \"/p/icons_x.xml\" is larger than 256 MB and is not read.");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == kChildMode)
        return childWrite(argv[2], argv[3], argv[4]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
