#include "support/xml/XmlStream.h"

#include "support/AtomicFile.h"
#include "support/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
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
        FFile = FileSystem::openFile(path, "rb");
        if (FFile == nullptr)
            throw EFOpenError(path);
        break;
    case Mode::OpenReadWrite:
        FFile = FileSystem::openFile(path, "r+b");
        if (FFile == nullptr)
            throw EFOpenError(path);
        break;
    case Mode::Create:
        FFile = FileSystem::openFile(path, "w+b");
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
    return FileSystem::tell(FFile);
}

void TFileStream::SetPosition(std::uint64_t position)
{
    FileSystem::seek(FFile, position);
}

std::uint64_t TFileStream::Size() const
{
    std::uint64_t size = 0;
    return FileSystem::fileSize(FFile, size) ? size : 0;
}

std::string ReadWholeFile(const std::string& path)
{
    std::string bytes;
    if (AtomicFile::readWhole(path, bytes) != AtomicFile::ReadResult::Ok)
        throw EFOpenError(path);
    return bytes;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    try {
        AtomicFile::write(path, bytes);
    } catch (const FileAccessError& error) {
        if (error.step() == FileAccessError::Step::Write)
            throw EWriteError();
        throw EFCreateError(path);
    }
}
