#pragma once
// Whole-file reads and writes of user files. A read is bounded and takes regular files only; a
// write never leaves a half-written file behind and keeps the file's owner, group, mode and links.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

// A file could not be read or written; the message names the file and the reason.
class FileAccessError : public std::runtime_error {
public:
    // Which step failed: making the new file (or putting it in place), or writing its bytes.
    enum class Step { Create, Write };

    explicit FileAccessError(const std::string& message, Step step = Step::Create)
        : std::runtime_error(message), m_step(step) {}
    Step step() const { return m_step; }

private:
    Step m_step;
};

namespace AtomicFile {

// Largest file the editor reads or decodes: no real icon page, map style file or map image comes
// near it, and a bigger one is refused before any of it is read.
inline constexpr std::uint64_t kMaxFileBytes = std::uint64_t(256) << 20;

// Outcome of reading a whole file.
enum class ReadResult { Ok, Missing, Failed, TooLarge };

// Reads every byte of `path` into `bytes`. A directory, a FIFO, a device or an unreadable file
// gives Failed (opening never waits for a writer); a file of more than `maxBytes` gives TooLarge.
ReadResult readWhole(const std::string& path, std::string& bytes, std::uint64_t maxBytes = kMaxFileBytes);

// The message for a file that readWhole() refused as TooLarge.
std::string tooLargeMessage(const std::string& path, std::uint64_t maxBytes = kMaxFileBytes);

// Replaces the contents of `path` by `bytes`. A chain of symbolic links is followed, dangling or
// not, so the links stay and the file at its end changes; a loop is refused. A file the user may
// not write is refused even where its folder would allow replacing it. Throws FileAccessError
// and leaves the old contents in place when any step fails. `beforeReplace`, when given, runs
// once right before the old contents change (to back them up, say); when it throws, nothing has
// changed and its exception passes.
void write(const std::string& path, std::string_view bytes, const std::function<void()>& beforeReplace = {});

}  // namespace AtomicFile
