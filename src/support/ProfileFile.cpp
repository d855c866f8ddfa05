#include "support/ProfileFile.h"

#include "support/TextUtil.h"

#include <climits>
#include <utility>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kDefaultLineEnd = "\n";  // for a file that has no line end yet
constexpr char kCommentStart = ';';
constexpr char kSectionStart = '[';
constexpr char kSectionEnd = ']';
constexpr char kKeyValueSeparator = '=';
constexpr unsigned char kUtf8ContinuationMask = 0xC0;
constexpr unsigned char kUtf8ContinuationBits = 0x80;
constexpr std::size_t kLongestUtf8Tail = 3;  // continuation bytes of one UTF-8 sequence

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Cuts a value to the longest length a read returns, without splitting a UTF-8 sequence.
std::string limitLength(std::string value)
{
    if (value.size() <= ProfileFile::kMaxValueLength)
        return value;
    std::size_t cut = ProfileFile::kMaxValueLength;
    for (std::size_t back = 0; back < kLongestUtf8Tail && cut > 0; ++back) {
        const auto byte = static_cast<unsigned char>(value[cut]);
        if ((byte & kUtf8ContinuationMask) != kUtf8ContinuationBits)
            break;
        --cut;
    }
    value.resize(cut);
    return value;
}

// The decimal integer at the start of `text`, clamped to long; false when there is none.
bool parseLeadingInteger(std::string_view text, long& result)
{
    std::size_t pos = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        ++pos;
    const std::size_t firstDigit = pos;
    constexpr long kBase = 10;
    const long limit = negative ? LONG_MIN : LONG_MAX;
    long value = 0;
    bool clamped = false;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (clamped)
            continue;
        const long digit = text[pos] - '0';
        if (negative ? value < (limit + digit) / kBase : value > (limit - digit) / kBase) {
            value = limit;
            clamped = true;
        } else {
            value = value * kBase + (negative ? -digit : digit);
        }
    }
    if (pos == firstDigit)
        return false;
    result = value;
    return true;
}

void requireWritable(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string sectionName = TrimBlanks(section);
    if (sectionName.empty() || hasLineBreak(section) || sectionName.find(kSectionEnd) != std::string::npos)
        throw ProfileError("Invalid profile section name \"" + std::string(section) + "\"");
    const std::string keyName = TrimBlanks(key);
    if (keyName.empty() || hasLineBreak(key) || keyName.find(kKeyValueSeparator) != std::string::npos ||
        keyName.front() == kCommentStart || keyName.front() == kSectionStart)
        throw ProfileError("Invalid profile key \"" + std::string(key) + "\"");
    if (hasLineBreak(value))
        throw ProfileError("A profile value cannot hold a line break (key \"" + keyName + "\")");
}

}  // namespace

ProfileFile::ProfileFile(std::string path, std::uint64_t maxBytes)
    : path_(std::move(path)), maxBytes_(maxBytes)
{
    loaded_ = AtomicFile::readWhole(path_, text_, maxBytes_) == AtomicFile::ReadResult::Ok;
    parse();
}

ProfileFile ProfileFile::fromText(std::string text)
{
    ProfileFile profile;
    profile.text_ = std::move(text);
    profile.parse();
    return profile;
}

void ProfileFile::parse()
{
    lines_.clear();
    std::size_t pos = text_.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0 ? kUtf8Bom.size() : 0;
    while (pos < text_.size()) {
        std::size_t end = pos;
        while (end < text_.size() && !isLineBreak(text_[end]))
            ++end;
        Line line = classify(std::string_view(text_).substr(pos, end - pos));
        line.begin = pos;
        line.length = end - pos;
        if (end < text_.size())
            line.endLength = (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n') ? 2 : 1;
        pos = end + line.endLength;
        lines_.push_back(std::move(line));
    }
}

ProfileFile::Line ProfileFile::classify(std::string_view content)
{
    Line line;
    const std::string trimmed = TrimBlanks(content);
    if (trimmed.empty())
        return line;
    if (trimmed.front() == kCommentStart) {
        line.kind = LineKind::Comment;
        return line;
    }
    const std::size_t sectionEnd = trimmed.rfind(kSectionEnd);
    if (trimmed.front() == kSectionStart && sectionEnd != std::string::npos) {
        line.kind = LineKind::Section;
        line.name = TrimBlanks(std::string_view(trimmed).substr(1, sectionEnd - 1));
        return line;
    }
    const std::size_t separator = content.find(kKeyValueSeparator);
    if (separator == std::string_view::npos) {
        line.kind = LineKind::Other;
        return line;
    }
    line.kind = LineKind::Entry;
    line.name = TrimBlanks(content.substr(0, separator));
    line.valueOffset = separator + 1;
    while (line.valueOffset < content.size() && IsBlank(content[line.valueOffset]))
        ++line.valueOffset;
    line.value = TrimBlanks(content.substr(line.valueOffset));
    return line;
}

ProfileFile::SectionRange ProfileFile::findSection(std::string_view section) const
{
    SectionRange range;
    const std::string wanted = TrimBlanks(section);
    std::size_t i = 0;
    while (i < lines_.size() && !(lines_[i].kind == LineKind::Section && EqualsNoCase(lines_[i].name, wanted)))
        ++i;
    if (i == lines_.size())
        return range;
    range.found = true;
    range.first = i + 1;
    range.end = range.first;
    while (range.end < lines_.size() && lines_[range.end].kind != LineKind::Section)
        ++range.end;
    return range;
}

const ProfileFile::Line* ProfileFile::findEntry(std::string_view section, std::string_view key) const
{
    const SectionRange range = findSection(section);
    const std::string wanted = TrimBlanks(key);
    for (std::size_t i = range.first; i < range.end; ++i) {
        if (lines_[i].kind == LineKind::Entry && EqualsNoCase(lines_[i].name, wanted))
            return &lines_[i];
    }
    return nullptr;
}

std::string_view ProfileFile::contentOf(const Line& line) const
{
    return std::string_view(text_).substr(line.begin, line.length);
}

std::string ProfileFile::endOf(const Line& line) const
{
    return text_.substr(line.begin + line.length, line.endLength);
}

std::string ProfileFile::lineEnd() const
{
    for (const Line& line : lines_) {
        if (line.endLength > 0)
            return endOf(line);
    }
    return std::string(kDefaultLineEnd);
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const
{
    const Line* entry = findEntry(section, key);
    return entry ? limitLength(entry->value) : std::string(defaultValue);
}

long ProfileFile::readInt(std::string_view section, std::string_view key, long defaultValue) const
{
    const Line* entry = findEntry(section, key);
    long value = defaultValue;
    if (entry && parseLeadingInteger(entry->value, value))
        return value;
    return defaultValue;
}

bool ProfileFile::hasSection(std::string_view section) const
{
    return findSection(section).found;
}

std::vector<std::string> ProfileFile::sectionKeys(std::string_view section) const
{
    const SectionRange range = findSection(section);
    std::vector<std::string> keys;
    for (std::size_t i = range.first; i < range.end; ++i) {
        if (lines_[i].kind == LineKind::Entry && !lines_[i].name.empty())
            keys.push_back(lines_[i].name);
    }
    return keys;
}

std::vector<std::string> ProfileFile::sectionLines(std::string_view section, bool keepBlanks) const
{
    const SectionRange range = findSection(section);
    std::vector<std::string> lines;
    for (std::size_t i = range.first; i < range.end; ++i) {
        if (lines_[i].kind != LineKind::Entry && lines_[i].kind != LineKind::Other)
            continue;
        const std::string_view content = contentOf(lines_[i]);
        lines.push_back(keepBlanks ? std::string(content) : TrimBlanks(content));
    }
    return lines;
}

std::string ProfileFile::withValue(const std::string& text, std::string_view section, std::string_view key,
                                   std::string_view value)
{
    requireWritable(section, key, value);
    const ProfileFile profile = fromText(text);
    const std::string keyName = TrimBlanks(key);
    // The file's first line end, for lines that follow a last line without one; otherwise a new
    // line copies the end of the line it follows, so it can never pair up with a neighbour's end.
    const std::string eol = profile.lineEnd();
    const std::string newEntry = keyName + kKeyValueSeparator + std::string(value);

    const SectionRange range = profile.findSection(section);
    if (range.found) {
        if (const Line* entry = profile.findEntry(section, keyName)) {
            // Only the old value's bytes change; the key's spelling and spacing stay.
            const std::size_t valueStart = entry->begin + entry->valueOffset;
            const std::size_t valueEnd = valueStart + entry->value.size();
            return text.substr(0, valueStart) + std::string(value) + text.substr(valueEnd);
        }
        // New key after the section's last non-blank line, so blank separators stay in place.
        std::size_t anchor = range.first - 1;
        for (std::size_t i = range.first; i < range.end; ++i) {
            if (profile.lines_[i].kind != LineKind::Blank)
                anchor = i;
        }
        const Line& line = profile.lines_[anchor];
        const std::size_t insertAt = line.begin + line.length + line.endLength;
        const std::string before = line.endLength == 0 ? eol : std::string();
        const std::string after = line.endLength == 0 ? eol : profile.endOf(line);
        return text.substr(0, insertAt) + before + newEntry + after + text.substr(insertAt);
    }

    std::string result = text;
    std::string appendEol = eol;
    if (!profile.lines_.empty()) {
        const Line& last = profile.lines_.back();
        if (last.endLength == 0)
            result += eol;
        else
            appendEol = profile.endOf(last);
        if (last.kind != LineKind::Blank)
            result += appendEol;
    }
    result += kSectionStart + TrimBlanks(section) + kSectionEnd + appendEol + newEntry + appendEol;
    return result;
}

template <typename Change>
void ProfileFile::rewrite(Change change, bool writeUnchanged)
{
    if (path_.empty())
        throw ProfileError("The profile has no file to write");
    std::string current;
    const AtomicFile::ReadResult read = AtomicFile::readWhole(path_, current, maxBytes_);
    if (read == AtomicFile::ReadResult::TooLarge)
        throw FileAccessError(AtomicFile::tooLargeMessage(path_, maxBytes_));
    if (read == AtomicFile::ReadResult::Failed)
        throw FileAccessError("Cannot read \"" + path_ + "\" before writing it");
    std::string updated = change(current);
    if (updated == current && !writeUnchanged)
        return;  // nothing to change: the file is not touched, nor made
    AtomicFile::write(path_, updated);
    text_ = std::move(updated);
    loaded_ = true;
    parse();
}

void ProfileFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    rewrite([&](const std::string& current) { return withValue(current, section, key, value); }, true);
}

std::string ProfileFile::withoutKey(const std::string& text, std::string_view section, std::string_view key)
{
    const ProfileFile profile = fromText(text);
    const Line* entry = profile.findEntry(section, TrimBlanks(key));
    if (!entry)
        return text;
    return text.substr(0, entry->begin) + text.substr(entry->begin + entry->length + entry->endLength);
}

void ProfileFile::deleteKey(std::string_view section, std::string_view key)
{
    rewrite([&](const std::string& current) { return withoutKey(current, section, key); }, false);
}
