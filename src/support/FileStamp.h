#pragma once
// What a file on disk was when the editor read it, so that a save or a return to the window can
// tell whether another program changed it since.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

// The file changed on disk between the read and a write that would have replaced it.
class FileChangedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FileStamp {
    bool present = false;  // false: no file was read (or it is gone now)
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // modification time, in the file system's ticks
    std::uint64_t hash = 0;     // of the bytes

    // The same bytes: a file whose time alone changed (touched, or written with what it held)
    // has lost nothing of anyone's and counts as the same.
    bool sameBytes(const FileStamp& other) const
    {
        return present == other.present && size == other.size && hash == other.hash;
    }
};

namespace FileStamps {

// The stamp of `bytes` just read from `path`: size and hash of the bytes, the file's time now.
FileStamp of(const std::string& path, std::string_view bytes);

// Reads `path` again and stamps it; `bytes`, when given, receives what was read. A file that
// cannot be read gives a stamp that is not present.
FileStamp read(const std::string& path, std::string* bytes = nullptr);

// Whether the file at `path` may have changed since it was stamped `wasRead`: its size or time
// differs (read from the file system only, no byte is read), or it is gone. A file that passes
// is taken as unchanged; one that does not is read (read()) to tell for sure.
bool mayDiffer(const std::string& path, const FileStamp& wasRead);

// AtomicFile::write of `bytes`, refused with FileChangedError (nothing written) when the file on
// disk is no longer the one stamped `wasRead`, checked right before the old contents change.
// `beforeReplace` runs after that check.
void writeIfUnchanged(const std::string& path, std::string_view bytes, const FileStamp& wasRead,
                      const std::function<void()>& beforeReplace = {});

}  // namespace FileStamps
