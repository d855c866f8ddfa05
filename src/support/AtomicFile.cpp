#include "support/AtomicFile.h"

namespace {
constexpr std::uint64_t kBytesPerMegabyte = std::uint64_t(1) << 20;
}  // namespace

// The POSIX code paths; Windows has its own in AtomicFileWindows.cpp.
#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <functional>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Permission bits asked for a new file; the process's umask narrows them as for any new file.
constexpr mode_t kNewFileMode = 0666;
// A copy of the old contents is readable by the owner only: it may hold what others may not see.
constexpr mode_t kBackupFileMode = 0600;
constexpr mode_t kPermissionBits = 07777;
// Temporary names tried before giving up (each try fails only when the name is taken).
constexpr int kTemporaryNameAttempts = 100;
// Links followed before a chain counts as a loop; the system's own path lookup stops at 40.
constexpr int kMaxLinkHops = 40;
constexpr std::size_t kReadChunkBytes = 64 * 1024;

std::string reasonOf(int error)
{
    return std::strerror(error);
}

[[noreturn]] void fail(const std::string& what, const std::string& path, int error,
                       FileAccessError::Step step = FileAccessError::Step::Create)
{
    throw FileAccessError(what + " \"" + path + "\": " + reasonOf(error), step);
}

// Closes a descriptor when the scope ends, whatever way it ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and reports the error close() gives (a delayed write error on some systems).
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// The file a write really changes: the end of the chain of symbolic links that starts at `path`.
// Each link's own text is followed, so a link whose target is missing still leads somewhere.
fs::path writeTarget(const std::string& path)
{
    fs::path current(path);
    for (int hop = 0;; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        if (hop == kMaxLinkHops)
            throw FileAccessError("Cannot write \"" + path + "\": its symbolic links form a loop");
        std::vector<char> text(static_cast<std::size_t>(info.st_size) + 1);
        const ssize_t length = ::readlink(current.c_str(), text.data(), text.size());
        if (length < 0)
            fail("Cannot follow the symbolic link", current.string(), errno);
        const fs::path next(std::string(text.data(), static_cast<std::size_t>(length)));
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
}

fs::path folderOf(const fs::path& target)
{
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// Creates a new, empty file in `folder` named after `target`; returns its descriptor and name,
// or -1 with errno set.
int createTemporary(const fs::path& folder, const fs::path& target, const char* suffix, mode_t mode,
                    std::string& temporaryName)
{
    const std::string stem = "." + target.filename().string() + "." + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryName = (folder / (stem + std::to_string(attempt) + suffix)).string();
        const int fd = ::open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool writeAll(int fd, std::string_view bytes, off_t offset = -1)
{
    while (!bytes.empty()) {
        const ssize_t written = offset < 0 ? ::write(fd, bytes.data(), bytes.size())
                                           : ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        if (offset >= 0)
            offset += written;
    }
    return true;
}

// Reads from `fd` to its end; false when reading fails or more than `maxBytes` arrive.
bool readAll(int fd, std::string& bytes, std::uint64_t maxBytes, bool& tooLarge)
{
    tooLarge = false;
    char chunk[kReadChunkBytes];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (bytes.size() + static_cast<std::uint64_t>(got) > maxBytes) {
            tooLarge = true;
            return false;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

// A big buffer is backed by large pages where the system offers them: filling 4 KB pages one
// fault at a time took longer than copying the bytes.
void adviseLargeBuffer(char* data, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kLargePage = 2 * 1024 * 1024;
    if (size < 2 * kLargePage)
        return;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kLargePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

// Reads the bytes the file had when it was looked at straight into `bytes`; the rest, if it grew,
// is read by readAll.
bool readExpected(int fd, std::string& bytes, std::size_t expected)
{
    bytes.resize(expected);
    std::size_t done = 0;
    while (done < expected) {
        const ssize_t got = ::read(fd, bytes.data() + done, expected - done);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return true;
}

bool isPermissionError(int error)
{
    return error == EACCES || error == EPERM;
}

// Flushes the folder's entries, so that a crash right after a rename cannot bring back the old
// name. Best effort: the new contents are in place either way, and some file systems refuse to
// flush a folder.
void syncFolder(const fs::path& folder)
{
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

// Writes a new file beside the target and renames it over the target. The new file gets the old
// one's owner, group and mode first. Returns false, with the target untouched, where the system
// does not allow that (no new file in the folder, no change of owner, or a sticky folder that
// keeps the file from being replaced): the caller then writes in place.
bool replaceWithNewFile(const fs::path& target, const struct stat* existing, std::string_view bytes,
                        const std::string& path, const std::function<void()>& beforeReplace)
{
    std::string temporaryName;
    Descriptor fd(createTemporary(folderOf(target), target, ".tmp", kNewFileMode, temporaryName));
    if (fd.get() < 0) {
        if (existing && isPermissionError(errno))
            return false;
        fail("Cannot create a temporary file for", target.string(), errno);
    }
    struct stat created {};
    const bool owned = !existing || (::fstat(fd.get(), &created) == 0 &&
                                     ((created.st_uid == existing->st_uid && created.st_gid == existing->st_gid) ||
                                      ::fchown(fd.get(), existing->st_uid, existing->st_gid) == 0));
    if (!owned) {
        ::unlink(temporaryName.c_str());
        return false;
    }
    // The mode is set after the owner: a change of owner clears the set-user-ID bits.
    bool ok = (!existing || ::fchmod(fd.get(), existing->st_mode & kPermissionBits) == 0) &&
              writeAll(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    int error = ok ? 0 : errno;
    const int closeError = fd.close();
    if (ok && closeError != 0) {
        ok = false;
        error = closeError;
    }
    if (!ok) {
        ::unlink(temporaryName.c_str());
        fail("Cannot write", path, error, FileAccessError::Step::Write);
    }
    try {
        beforeReplace();
    } catch (...) {
        ::unlink(temporaryName.c_str());
        throw;
    }
    if (::rename(temporaryName.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporaryName.c_str());
        if (existing && isPermissionError(error))
            return false;
        fail("Cannot replace", path, error);
    }
    syncFolder(folderOf(target));
    return true;
}

// Writes the new contents over the old ones in the file itself, so owner, group, mode and every
// hard link stay. The old contents go to a temporary file first (beside the target, or in the
// system's temporary folder when the target's folder takes no new file) and are written back if
// the write fails.
void writeInPlace(const fs::path& target, std::string_view bytes, const std::string& path,
                  const std::function<void()>& beforeReplace)
{
    beforeReplace();
    Descriptor fd(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        fail("Cannot open for writing", path, errno);
    std::string old;
    bool tooLarge = false;
    if (!readAll(fd.get(), old, AtomicFile::kMaxFileBytes, tooLarge))
        fail("Cannot read before writing", path, tooLarge ? EFBIG : errno);

    std::string backupName;
    Descriptor backup(createTemporary(folderOf(target), target, ".bak", kBackupFileMode, backupName));
    if (backup.get() < 0) {
        std::error_code ec;
        const fs::path systemTemporary = fs::temp_directory_path(ec);
        if (!ec)
            backup.reset(createTemporary(systemTemporary, target, ".bak", kBackupFileMode, backupName));
    }
    if (backup.get() < 0)
        fail("Cannot keep a copy of the old contents of", path, errno);
    if (!writeAll(backup.get(), old) || ::fsync(backup.get()) != 0 || backup.close() != 0) {
        const int error = errno;
        ::unlink(backupName.c_str());
        fail("Cannot keep a copy of the old contents of", path, error);
    }

    const auto putContents = [&fd](std::string_view contents) {
        return writeAll(fd.get(), contents, 0) && ::ftruncate(fd.get(), static_cast<off_t>(contents.size())) == 0 &&
               ::fsync(fd.get()) == 0;
    };
    if (!putContents(bytes)) {
        const int error = errno;
        // The old bytes fit where they were, so writing them back needs no new space.
        if (!putContents(old))
            throw FileAccessError("Cannot write \"" + path + "\": " + reasonOf(error) +
                                      "; its old contents are kept in \"" + backupName + "\"",
                                  FileAccessError::Step::Write);
        ::unlink(backupName.c_str());
        fail("Cannot write", path, error, FileAccessError::Step::Write);
    }
    ::unlink(backupName.c_str());
}

}  // namespace
#endif

namespace AtomicFile {

#ifndef _WIN32
ReadResult readWhole(const std::string& path, std::string& bytes, std::uint64_t maxBytes)
{
    bytes.clear();
    // Not blocking: opening a FIFO must not wait for a writer; it is refused below.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return ReadResult::Failed;
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes)
        return ReadResult::TooLarge;
    const std::size_t expected = static_cast<std::size_t>(info.st_size);
    bytes.reserve(expected);
    adviseLargeBuffer(bytes.data(), bytes.capacity());
    bool tooLarge = false;
    if (!readExpected(fd.get(), bytes, expected) || !readAll(fd.get(), bytes, maxBytes, tooLarge)) {
        bytes.clear();
        bytes.shrink_to_fit();
        return tooLarge ? ReadResult::TooLarge : ReadResult::Failed;
    }
    return ReadResult::Ok;
}
#endif

std::string tooLargeMessage(const std::string& path, std::uint64_t maxBytes)
{
    return "File \"" + path + "\" is larger than " + std::to_string(maxBytes / kBytesPerMegabyte) +
           " MB and is not read.";
}

#ifndef _WIN32
void write(const std::string& path, std::string_view bytes, const std::function<void()>& beforeReplace)
{
    // The caller's step runs once, right before the old contents change, whichever way they do.
    bool prepared = false;
    const std::function<void()> prepare = [&]() {
        if (beforeReplace && !prepared) {
            prepared = true;
            beforeReplace();
        }
    };
    const fs::path target = writeTarget(path);
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0 || !S_ISREG(existing.st_mode)) {
        replaceWithNewFile(target, nullptr, bytes, path, prepare);
        return;
    }
    // Renaming over a file ignores the file's own mode, so ask the system whether this user may
    // write it (root may; a read-only file refuses others) before anything changes.
    if (Descriptor probe(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY)); probe.get() < 0)
        fail("Cannot open for writing", path, errno);

    // Strategy: a single-link file is replaced by a complete new file (atomic: readers see the old
    // or the new contents, never a mix). A file with more hard links, or one whose owner and group
    // the new file cannot take, or whose folder takes no new file or forbids replacing it, is
    // written in place behind a copy of its old contents instead.
    if (existing.st_nlink == 1 && replaceWithNewFile(target, &existing, bytes, path, prepare))
        return;
    writeInPlace(target, bytes, path, prepare);
}
#endif

}  // namespace AtomicFile
