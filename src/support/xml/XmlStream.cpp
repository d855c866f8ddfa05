#include "support/xml/XmlStream.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr int kTempNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the process umask, like any new file

// Writes every byte to a file descriptor, retrying after interruptions.
bool WriteFully(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The file the path finally names, so that replacing a symbolic link replaces its target.
std::string ResolveTarget(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return path;
    return resolved;
}

// Opens a new, uniquely named file beside target; returns the descriptor and fills tempPath.
int CreateTempBeside(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        tempPath = folder + "." + base + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

std::string TStream::ReadRemaining()
{
    std::string bytes;
    char chunk[kReadChunk];
    for (;;) {
        const std::size_t got = Read(chunk, sizeof chunk);
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    return bytes;
}

void TStream::WriteAll(std::string_view bytes)
{
    if (bytes.empty())
        return;
    if (Write(bytes.data(), bytes.size()) != bytes.size())
        throw EWriteError();
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count)
{
    const std::size_t available = FPosition < FBytes.size() ? FBytes.size() - FPosition : 0;
    const std::size_t n = count < available ? count : available;
    if (n > 0)
        std::memcpy(buffer, FBytes.data() + FPosition, n);
    FPosition += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (count == 0)
        return 0;
    if (FPosition > FBytes.size())
        FBytes.resize(FPosition, '\0');
    const std::size_t overlap = std::min(count, FBytes.size() - FPosition);
    FBytes.replace(FPosition, overlap, static_cast<const char*>(buffer), count);
    FPosition += count;
    return count;
}

void TMemoryStream::SetPosition(std::uint64_t position)
{
    FPosition = static_cast<std::size_t>(position);
}

std::string TMemoryStream::ReadRemaining()
{
    std::string bytes(Remaining());
    FPosition = std::max(FPosition, FBytes.size());
    return bytes;
}

std::string_view TMemoryStream::Remaining() const
{
    if (FPosition >= FBytes.size())
        return {};
    return std::string_view(FBytes).substr(FPosition);
}

void TMemoryStream::Clear()
{
    FBytes.clear();
    FPosition = 0;
}

TFileStream::TFileStream(const std::string& path, Mode mode)
{
    switch (mode) {
    case Mode::OpenRead:
        FFile = std::fopen(path.c_str(), "rb");
        if (FFile == nullptr)
            throw EFOpenError(path);
        break;
    case Mode::OpenReadWrite:
        FFile = std::fopen(path.c_str(), "r+b");
        if (FFile == nullptr)
            throw EFOpenError(path);
        break;
    case Mode::Create:
        FFile = std::fopen(path.c_str(), "w+b");
        if (FFile == nullptr)
            throw EFCreateError(path);
        break;
    }
}

TFileStream::~TFileStream()
{
    std::fclose(FFile);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    return std::fread(buffer, 1, count, FFile);
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count)
{
    const std::size_t written = std::fwrite(buffer, 1, count, FFile);
    // Buffered writes report their failure only when flushed.
    if (written == count && std::fflush(FFile) != 0)
        return 0;
    return written;
}

std::uint64_t TFileStream::Position() const
{
    const off_t position = ::ftello(FFile);
    return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

void TFileStream::SetPosition(std::uint64_t position)
{
    ::fseeko(FFile, static_cast<off_t>(position), SEEK_SET);
}

std::uint64_t TFileStream::Size() const
{
    struct stat info {};
    if (::fstat(::fileno(FFile), &info) != 0)
        return 0;
    return static_cast<std::uint64_t>(info.st_size);
}

std::string ReadWholeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFOpenError(path);
    std::string bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            throw EFOpenError(path);
        }
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::string target = ResolveTarget(path);
    std::string tempPath;
    const int fd = CreateTempBeside(target, tempPath);
    if (fd < 0)
        throw EFCreateError(path);

    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    bool ok = WriteFully(fd, bytes);
    // Keep the permissions the user gave the file being replaced.
    if (ok && replacing)
        ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    if (ok)
        ok = ::fsync(fd) == 0;
    if (::close(fd) != 0)
        ok = false;
    if (!ok) {
        ::unlink(tempPath.c_str());
        throw EWriteError();
    }
    if (::rename(tempPath.c_str(), target.c_str()) != 0) {
        ::unlink(tempPath.c_str());
        throw EFCreateError(path);
    }
}
