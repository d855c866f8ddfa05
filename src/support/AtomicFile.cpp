#include "support/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Permission bits asked for a new file; the process's umask narrows them as for any new file.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPermissionBits = 07777;
// Temporary names tried before giving up (each try fails only when the name is taken).
constexpr int kTemporaryNameAttempts = 100;
// Bytes asked for per read when the file's size is unknown or it grew.
constexpr std::size_t kReadBlock = 64 * 1024;

std::string reasonOf(int error)
{
    return std::strerror(error);
}

[[noreturn]] void fail(const std::string& what, const std::string& path, int error,
                       FileAccessError::Step step = FileAccessError::Step::Create)
{
    throw FileAccessError(what + " \"" + path + "\": " + reasonOf(error), step);
}

// The file a write really replaces: the end of a chain of symbolic links, if any.
fs::path writeTarget(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_symlink(path, ec))
        return fs::path(path);
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? fs::path(path) : resolved;
}

// Creates a new, empty temporary file beside `target`; returns its descriptor and name.
int createTemporaryBeside(const fs::path& target, std::string& temporaryName)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string stem = "." + target.filename().string() + "." + std::to_string(::getpid()) + ".";
    int lastError = 0;
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        temporaryName = (folder / (stem + std::to_string(attempt) + ".tmp")).string();
        const int fd = ::open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0)
            return fd;
        lastError = errno;
        if (lastError != EEXIST)
            break;
    }
    fail("Cannot create a temporary file for", target.string(), lastError);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

namespace AtomicFile {

ReadResult readWhole(const std::string& path, std::string& bytes)
{
    bytes.clear();
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        return ReadResult::Missing;
    if (fs::is_directory(status))
        return ReadResult::Failed;
    // Read in large blocks into a buffer sized from the file: a folder scan reads hundreds of
    // pages, and a byte-wise stream copy cost more than parsing them.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ReadResult::Failed;
    struct stat info {};
    std::size_t capacity = kReadBlock;
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        capacity = static_cast<std::size_t>(info.st_size) + 1;  // one more byte sees the end
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(filled + std::max(capacity - filled, kReadBlock));
        const ssize_t got = ::read(fd, &bytes[filled], bytes.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            bytes.clear();
            return ReadResult::Failed;
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(filled);
    return ReadResult::Ok;
}

void write(const std::string& path, std::string_view bytes, const std::function<void()>& beforeReplace)
{
    const fs::path target = writeTarget(path);
    std::string temporaryName;
    const int fd = createTemporaryBeside(target, temporaryName);

    struct stat existing {};
    const bool keepMode = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    bool ok = (!keepMode || ::fchmod(fd, existing.st_mode & kPermissionBits) == 0) && writeAll(fd, bytes) &&
              ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporaryName.c_str());
        fail("Cannot write", path, error, FileAccessError::Step::Write);
    }
    if (beforeReplace) {
        try {
            beforeReplace();
        } catch (...) {
            ::unlink(temporaryName.c_str());
            throw;
        }
    }
    if (::rename(temporaryName.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporaryName.c_str());
        fail("Cannot replace", path, error);
    }
}

}  // namespace AtomicFile
