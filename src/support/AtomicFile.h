#pragma once
// Whole-file reads and writes of user files. A write goes to a temporary file in the target's
// folder that then replaces the target, so a failure never leaves a half-written file behind.

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

// Outcome of reading a whole file.
enum class ReadResult { Ok, Missing, Failed };

// Reads every byte of `path` into `bytes`. A directory or an unreadable file gives Failed.
ReadResult readWhole(const std::string& path, std::string& bytes);

// Replaces the contents of `path` by `bytes` atomically; a symbolic link is followed, so the link
// stays and its target changes. An existing file keeps its permission bits. Throws
// FileAccessError and leaves the old file untouched when any step fails. `beforeReplace`, when
// given, runs once the new bytes are safely on disk and before they replace the old file (to
// make a backup of it, say); when it throws, the new bytes are discarded and its exception passes.
void write(const std::string& path, std::string_view bytes, const std::function<void()>& beforeReplace = {});

}  // namespace AtomicFile
