#include "support/FileStamp.h"

#include "support/AtomicFile.h"
#include "support/FileSystem.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::size_t kWordBytes = sizeof(std::uint64_t);
constexpr std::size_t kLanes = 4;
constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;  // odd: each step below is a bijection
constexpr int kRotation = 31;
// FNV-1a for the bytes after the last whole stride.
constexpr std::uint64_t kHashBasis = 14695981039346656037ull;
constexpr std::uint64_t kHashPrime = 1099511628211ull;

std::uint64_t mixWord(std::uint64_t state, std::uint64_t word)
{
    const std::uint64_t mixed = (state ^ word) * kMultiplier;
    return (mixed << kRotation) | (mixed >> (64 - kRotation));
}

// Enough to tell a changed file, and cheap on many megabytes: words in four independent lanes,
// so the multiplications overlap (a byte-at-a-time hash was a tenth of the time to open a big
// page). Each step is a bijection of its lane, so a single changed word always changes the hash.
std::uint64_t hashOf(std::string_view bytes)
{
    std::uint64_t lanes[kLanes] = {kHashBasis, kHashBasis + 1, kHashBasis + 2, kHashBasis + 3};
    const std::size_t stride = kLanes * kWordBytes;
    std::size_t at = 0;
    for (; bytes.size() - at >= stride; at += stride) {
        for (std::size_t lane = 0; lane < kLanes; ++lane) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + at + lane * kWordBytes, kWordBytes);
            lanes[lane] = mixWord(lanes[lane], word);
        }
    }
    std::uint64_t hash = kHashBasis;
    for (; at < bytes.size(); ++at) {
        hash ^= static_cast<unsigned char>(bytes[at]);
        hash *= kHashPrime;
    }
    for (const std::uint64_t lane : lanes)
        hash = mixWord(hash, lane);
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
