// Telling whether a file changed on disk since it was read, a write refused when it did, and the
// folder flushed after a file is replaced.
#include "support/AtomicFile.h"
#include "support/FileStamp.h"

#include "TempFolderTest.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Every fsync of this program passes here first: the test sees which descriptors were flushed.
static std::vector<bool> g_syncedFolders;
extern "C" int fsync(int fd)
{
    struct stat info {};
    g_syncedFolders.push_back(::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode));
    return static_cast<int>(::syscall(SYS_fsync, fd));
}
#endif

namespace {

class FileStampTest : public TempFolderTest {
protected:
    std::string put(const std::string& name, const std::string& bytes)
    {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

struct StampRow {
    const char* what;
    std::string before;
    std::string after;  // what another program leaves in the file
    bool same;
};

TEST_F(FileStampTest, TellsAChangedFileFromTheOneRead)
{
    const StampRow rows[] = {
        {"untouched", "<Page/>", "<Page/>", true},
        {"one byte changed, same size", "<Page A=\"1\"/>", "<Page A=\"2\"/>", false},
        {"grown", "<Page/>", "<Page/>\r\n", false},
        {"emptied", "<Page/>", "", false},
        // Long enough that the bytes are taken a word at a time, in several lanes.
        {"long, one byte changed in the middle", std::string(100, 'a') + "b" + std::string(100, 'a'),
         std::string(100, 'a') + "c" + std::string(100, 'a'), false},
        {"long, two words swapped", "0123456789abcdef" + std::string(64, '.'), "89abcdef01234567" + std::string(64, '.'),
         false},
        {"long, untouched", std::string(1000, 'x'), std::string(1000, 'x'), true},
    };
    for (const StampRow& row : rows) {
        const std::string path = put("page.xml", row.before);
        const FileStamp read = FileStamps::of(path, row.before);
        put("page.xml", row.after);
        std::string now;
        EXPECT_EQ(FileStamps::read(path, &now).sameBytes(read), row.same) << row.what;
        EXPECT_EQ(now, row.after) << row.what;
        // Without reading: a size that moved is seen at once.
        if (row.before.size() != row.after.size())
            EXPECT_TRUE(FileStamps::mayDiffer(path, read)) << row.what;
    }
    const std::string path = put("page.xml", "same");
    EXPECT_FALSE(FileStamps::mayDiffer(path, FileStamps::read(path)));
    EXPECT_FALSE(FileStamps::read((folder / "gone.xml").string()).sameBytes(FileStamps::of("x", "")));
}

TEST_F(FileStampTest, AWriteOverAFileChangedSinceItWasReadIsRefused)
{
    const std::string path = put("page.xml", "old");
    const FileStamp read = FileStamps::of(path, "old");
    put("page.xml", "theirs");
    bool ranBefore = false;
    EXPECT_THROW(FileStamps::writeIfUnchanged(path, "mine", read, [&]() { ranBefore = true; }), FileChangedError);
    EXPECT_EQ(contents(path), "theirs");
    EXPECT_FALSE(ranBefore);

    FileStamps::writeIfUnchanged(path, "mine", FileStamps::of(path, "theirs"), [&]() { ranBefore = true; });
    EXPECT_EQ(contents(path), "mine");
    EXPECT_TRUE(ranBefore);
}

#ifndef _WIN32
TEST_F(FileStampTest, TheFolderIsFlushedAfterAFileIsReplaced)
{
    const std::string path = put("page.xml", "old");
    g_syncedFolders.clear();
    AtomicFile::write(path, "new");
    EXPECT_EQ(contents(path), "new");
    // The new file's bytes first, then the folder that now names it.
    ASSERT_EQ(g_syncedFolders.size(), 2u);
    EXPECT_FALSE(g_syncedFolders[0]);
    EXPECT_TRUE(g_syncedFolders[1]);
}
#endif

}  // namespace
