#include "support/AtomicFile.h"
#include "support/ProfileFile.h"

#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

// Owners, modes, links, FIFOs and file size limits are Linux's; PortableFilesTest.cpp has the
// checks that run on Windows too.
#ifndef _WIN32
#include "../helpers/FileSizeLimit.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
// This program's mode for a save by another user: --write-as-child page|profile PATH TEXT.
constexpr const char* kChildMode = "--write-as-child";
constexpr uid_t kNobody = 65534;
constexpr int kCannotExecute = 126;  // setpriv's statuses when the program cannot run
constexpr int kNotFound = 127;
#endif

[[maybe_unused]] std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

#ifndef _WIN32
struct stat statOf(const fs::path& path)
{
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}
#endif

[[maybe_unused]] long entries(const fs::path& folder)
{
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

#ifndef _WIN32
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

// Runs the child mode as nobody through setpriv: its exit status and output, or nothing.
std::optional<std::pair<int, std::string>> writeAsNobody(const char* kind, const fs::path& path)
{
    std::error_code ec;
    const std::string self = fs::read_symlink("/proc/self/exe", ec).string();
    int out[2];
    if (ec || ::pipe(out) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        const std::string id = std::to_string(kNobody);
        ::execlp("setpriv", "setpriv", ("--reuid=" + id).c_str(), ("--regid=" + id).c_str(), "--clear-groups", "--",
                 self.c_str(), kChildMode, kind, path.c_str(), "new", static_cast<char*>(nullptr));
        ::_exit(kNotFound);
    }
    ::close(out[1]);
    std::string output;
    char chunk[256];
    for (ssize_t got; (got = ::read(out[0], chunk, sizeof chunk)) > 0;)
        output.append(chunk, static_cast<std::size_t>(got));
    ::close(out[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == kCannotExecute || WEXITSTATUS(status) == kNotFound)
        return std::nullopt;
    return std::make_pair(WEXITSTATUS(status), output);
}

struct PermissionCase {
    const char* name;
    const char* kind;  // "page" or "profile"
    mode_t folderMode;
    mode_t fileMode;
    bool othersFile;  // the file belongs to root, the folder to nobody unless sticky
    bool saves;
};

class AtomicFilePermissions : public TempFolderTest, public ::testing::WithParamInterface<PermissionCase> {};

TEST_P(AtomicFilePermissions, SaveByNobodyFollowsTheFilesOwnMode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root: files of two users are set up, then saved as nobody through setpriv";
    const PermissionCase& row = GetParam();
    const fs::path box = folder / "box";
    const fs::path file = box / "icons_page.xml";
    fs::create_directory(box);
    writeBytes(file, "[CONFIG]\nUSER=old\n");
    const uid_t fileOwner = row.othersFile ? 0 : kNobody;
    const uid_t boxOwner = (row.folderMode & S_ISVTX) ? 0 : kNobody;
    ASSERT_EQ(::chown(file.c_str(), fileOwner, fileOwner) | ::chmod(file.c_str(), row.fileMode), 0);
    ASSERT_EQ(::chown(box.c_str(), boxOwner, boxOwner) | ::chmod(box.c_str(), row.folderMode), 0);
    ::chmod(folder.c_str(), 0755);
    const struct stat before = statOf(file);

    const auto result = writeAsNobody(row.kind, file);
    if (!result)
        GTEST_SKIP() << "setpriv could not run this test program as nobody (is its folder open to others?)";
    const struct stat after = statOf(file);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(result->first, row.saves ? 0 : 1) << result->second;
    EXPECT_EQ(readBytes(file).find("new") != std::string::npos, row.saves);
    if (!row.saves) {
        EXPECT_NE(result->second.find(std::strerror(EACCES)), std::string::npos) << result->second;
    }
    EXPECT_EQ(entries(box), 1) << "a temporary file stayed";
}

INSTANTIATE_TEST_SUITE_P(Rows, AtomicFilePermissions,
    ::testing::Values(PermissionCase{"ReadOnlyFile", "page", 0755, 0444, false, false},
                      PermissionCase{"ReadOnlyProfile", "profile", 0755, 0444, false, false},
                      PermissionCase{"ReadOnlyFolder", "page", 0555, 0644, false, true},
                      PermissionCase{"OthersFileInStickyFolder", "page", 01777, 0666, true, true},
                      PermissionCase{"OthersFileInOwnFolder", "profile", 0755, 0666, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

using AtomicFileWrite = TempFolderTest;

TEST_F(AtomicFileWrite, RootKeepsTheOwnerAndGroupOfAnotherUsersFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file another owner";
    const fs::path file = folder / "icons_page.xml";
    writeBytes(file, "old");
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    AtomicFile::write(file.string(), "new");
    EXPECT_EQ(statOf(file).st_uid, kNobody);
    EXPECT_EQ(statOf(file).st_gid, kNobody);
}

TEST_F(AtomicFileWrite, HardLinksSeeTheNewContentsOrAllKeepTheOld)
{
    constexpr rlim_t kLimit = 6000;  // a write in place past it fails part way, as on a full disk
    const fs::path file = folder / "icons_page.xml";
    const fs::path other = folder / "copy.xml";
    writeBytes(file, std::string(4000, 'o'));
    fs::create_hard_link(file, other);
    try {
        const FileSizeLimit limit(kLimit);
        AtomicFile::write(file.string(), std::string(2 * kLimit, 'n'));
        ADD_FAILURE() << "a write past the file size limit succeeded";
    } catch (const FileAccessError& error) {
        EXPECT_EQ(error.step(), FileAccessError::Step::Write);
    }
    EXPECT_EQ(readBytes(other), std::string(4000, 'o'));
    AtomicFile::write(file.string(), "new");
    EXPECT_EQ(readBytes(other), "new");
    EXPECT_EQ(statOf(file).st_ino, statOf(other).st_ino);
    EXPECT_EQ(entries(folder), 2) << "the copy of the old contents stayed";
}

struct LinkCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> links;  // link, link text; the first is written
    const char* target;  // the file the write creates
};

class AtomicFileLinks : public TempFolderTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(AtomicFileLinks, DanglingLinksAreFollowedAndStay)
{
    fs::create_directory(folder / "sub");
    for (const auto& [name, text] : GetParam().links)
        fs::create_symlink(text, folder / name);
    AtomicFile::write((folder / GetParam().links.front().first).string(), "page");
    for (const auto& [name, text] : GetParam().links)
        EXPECT_EQ(fs::read_symlink(folder / name).string(), text);
    EXPECT_EQ(readBytes(folder / GetParam().target), "page");
}

INSTANTIATE_TEST_SUITE_P(Rows, AtomicFileLinks,
    ::testing::Values(LinkCase{"OneLink", {{"start", "missing.xml"}}, "missing.xml"},
                      LinkCase{"Chain", {{"start", "middle"}, {"middle", "sub/end.xml"}}, "sub/end.xml"},
                      LinkCase{"RelativeToItsFolder", {{"start", "sub/hop"}, {"sub/hop", "../end.xml"}}, "end.xml"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AtomicFileWrite, LinkLoopsAreRefusedAndLeftAlone)
{
    fs::create_symlink("b", folder / "a");
    fs::create_symlink("a", folder / "b");
    fs::create_symlink("self", folder / "self");
    for (const char* start : {"a", "self"}) {
        std::string message;
        try {
            AtomicFile::write((folder / start).string(), "page");
        } catch (const FileAccessError& error) {
            message = error.what();
        }
        EXPECT_NE(message.find("symbolic links form a loop"), std::string::npos) << start;
    }
    EXPECT_EQ(fs::read_symlink(folder / "a"), "b");
    EXPECT_EQ(entries(folder), 3);
}
#endif

TEST_F(TempFolderTest, OnlyRegularFilesWithinTheBoundAreRead)
{
    using R = AtomicFile::ReadResult;
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder / "zero");
#endif
    fs::create_directory(folder / "sub");
    writeBytes(folder / "huge.xml", "<Page/>");
    fs::resize_file(folder / "huge.xml", AtomicFile::kMaxFileBytes + 1);  // sparse
    writeBytes(folder / "ten.xml", "0123456789");
    const struct {
        const char* name;
        std::uint64_t maxBytes;
        R expected;
    } rows[] = {
#ifndef _WIN32
                {"fifo", 1, R::Failed}, {"zero", 1, R::Failed},
#endif
                {"sub", 1, R::Failed}, {"huge.xml", AtomicFile::kMaxFileBytes, R::TooLarge},
                {"ten.xml", 9, R::TooLarge}, {"ten.xml", 10, R::Ok}, {"absent.xml", 10, R::Missing}};
    for (const auto& row : rows) {
        std::string bytes = "stale";
        EXPECT_EQ(AtomicFile::readWhole((folder / row.name).string(), bytes, row.maxBytes), row.expected) << row.name;
        EXPECT_EQ(bytes, row.expected == R::Ok ? "0123456789" : "") << row.name;
    }
}

}  // namespace

int main(int argc, char** argv)
{
#ifndef _WIN32
    if (argc == 5 && std::string(argv[1]) == kChildMode)
        return childWrite(argv[2], argv[3], argv[4]);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
