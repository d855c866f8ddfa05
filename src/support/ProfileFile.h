#pragma once
// Windows-style profile (INI) files: "[section]" headers and key=value lines, names compared
// without regard to case, the first match winning. Writing one value changes only its own line,
// so comments, order, unknown sections and line ends of a user's file survive byte for byte.

#include "support/AtomicFile.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A section, key or value that cannot be written as one profile line, or a file that cannot be
// read before it is rewritten.
class ProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One profile file, read when constructed; the read operations answer from that snapshot.
class ProfileFile {
public:
    // Longest value a read returns, in bytes of the file (longer values are cut).
    static constexpr std::size_t kMaxValueLength = 2047;

    // Reads `path` now. A missing or unreadable file, one that is not a regular file, and one of
    // more than `maxBytes` read as an empty profile.
    explicit ProfileFile(std::string path, std::uint64_t maxBytes = AtomicFile::kMaxFileBytes);
    // A profile parsed from text only; writeString() on it fails.
    static ProfileFile fromText(std::string text);

    const std::string& path() const { return path_; }
    bool loaded() const { return loaded_; }  // the file existed and was read
    const std::string& text() const { return text_; }

    // The value of the first `key` in the first `section`, blanks trimmed, at most
    // kMaxValueLength bytes; `defaultValue` when the section or key is absent.
    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;
    // The decimal integer at the start of the value (sign allowed, trailing text ignored, clamped
    // to the range of long); `defaultValue` when the key is absent or holds no number.
    long readInt(std::string_view section, std::string_view key, long defaultValue) const;
    bool hasSection(std::string_view section) const;
    // Keys of the first `section` in file order (lines with "=" and a non-empty key).
    std::vector<std::string> sectionKeys(std::string_view section) const;
    // Every line of the first `section` that is not blank or a ";" comment, in file order, blanks
    // trimmed from both ends unless `keepBlanks`; lines without "=" are included.
    std::vector<std::string> sectionLines(std::string_view section, bool keepBlanks = false) const;

    // Sets `key` in `section` of the file on disk (read again first, so other writers' changes
    // are kept) and refreshes this snapshot. Creates the file, section or key when missing.
    // Throws ProfileError or FileAccessError; the old file then stays as it was.
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    // Removes the line of the first `key` in `section` from the file on disk, as writeString()
    // writes; nothing changes when there is none.
    void deleteKey(std::string_view section, std::string_view key);

    // `text` with key=value set as writeString() would write it.
    static std::string withValue(const std::string& text, std::string_view section, std::string_view key,
                                 std::string_view value);
    // `text` without the line of the first `key` in `section` (with its line end).
    static std::string withoutKey(const std::string& text, std::string_view section, std::string_view key);

private:
    enum class LineKind { Blank, Comment, Section, Entry, Other };

    // One physical line of the text; `name` and `value` are trimmed.
    struct Line {
        std::size_t begin = 0;      // first byte of the content
        std::size_t length = 0;     // content bytes, without the line end
        std::size_t endLength = 0;  // 0 (end of text), 1 (LF or CR) or 2 (CR LF)
        LineKind kind = LineKind::Blank;
        std::string name;   // section name or key
        std::string value;  // value of an entry
        std::size_t valueOffset = 0;  // where the trimmed value starts within the content
    };

    // Range of lines [first, end) of one section, after its header line.
    struct SectionRange {
        std::size_t first = 0;
        std::size_t end = 0;
        bool found = false;
    };

    ProfileFile() = default;
    void parse();
    static Line classify(std::string_view content);
    SectionRange findSection(std::string_view section) const;
    const Line* findEntry(std::string_view section, std::string_view key) const;
    std::string lineEnd() const;
    std::string endOf(const Line& line) const;
    std::string_view contentOf(const Line& line) const;
    // Reads the file on disk again, changes its text by `change` and writes it (an unchanged
    // text only with `writeUnchanged`).
    template <typename Change>
    void rewrite(Change change, bool writeUnchanged);

    std::string path_;
    std::uint64_t maxBytes_ = AtomicFile::kMaxFileBytes;
    std::string text_;
    std::vector<Line> lines_;
    bool loaded_ = false;
};
