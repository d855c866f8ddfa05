#include "support/FileStamp.h"

#include "support/AtomicFile.h"
#include "support/FileSystem.h"

#include <filesystem>
#include <system_error>

namespace {

// FNV-1a over the bytes: enough to tell a changed file, cheap on a few megabytes.
constexpr std::uint64_t kHashBasis = 14695981039346656037ull;
constexpr std::uint64_t kHashPrime = 1099511628211ull;

std::uint64_t hashOf(std::string_view bytes)
{
    std::uint64_t hash = kHashBasis;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kHashPrime;
    }
    return hash;
}

}  // namespace

namespace FileStamps {

FileStamp of(const std::string& path, std::string_view bytes)
{
    FileStamp stamp;
    stamp.present = true;
    stamp.size = bytes.size();
    stamp.hash = hashOf(bytes);
    std::error_code error;
    const auto time = std::filesystem::last_write_time(FileSystem::toPath(path), error);
    if (!error)
        stamp.modified = static_cast<std::int64_t>(time.time_since_epoch().count());
    return stamp;
}

FileStamp read(const std::string& path, std::string* bytes)
{
    std::string text;
    if (AtomicFile::readWhole(path, text) != AtomicFile::ReadResult::Ok)
        return {};
    FileStamp stamp = of(path, text);
    if (bytes)
        *bytes = std::move(text);
    return stamp;
}

bool mayDiffer(const std::string& path, const FileStamp& wasRead)
{
    std::error_code sizeError;
    std::error_code timeError;
    const std::filesystem::path file = FileSystem::toPath(path);
    const std::uintmax_t size = std::filesystem::file_size(file, sizeError);
    const auto time = std::filesystem::last_write_time(file, timeError);
    return sizeError || timeError || !wasRead.present || size != wasRead.size
        || static_cast<std::int64_t>(time.time_since_epoch().count()) != wasRead.modified;
}

void writeIfUnchanged(const std::string& path, std::string_view bytes, const FileStamp& wasRead,
                      const std::function<void()>& beforeReplace)
{
    AtomicFile::write(path, bytes, [&]() {
        if (!read(path).sameBytes(wasRead))
            throw FileChangedError("\"" + path + "\" was changed by another program since it was read");
        if (beforeReplace)
            beforeReplace();
    });
}

}  // namespace FileStamps
