#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A property's name, value or namespace as its property holds it: a view of NUL-terminated bytes
// that reads like std::string_view and converts to std::string where one is wanted. Like a
// reference to a member, it stays valid until the property changes or goes away.
class TSimpleXMLText : public std::string_view {
public:
    constexpr TSimpleXMLText() noexcept : std::string_view("", 0) {}
    // bytes[size] must be '\0'.
    constexpr TSimpleXMLText(const char* bytes, std::size_t size) noexcept : std::string_view(bytes, size) {}

    const char* c_str() const noexcept { return data(); }
    operator std::string() const { return std::string(data(), size()); }
};

inline std::string operator+(const TSimpleXMLText& text, std::string_view more)
{
    std::string joined(text);
    joined.append(more.data(), more.size());
    return joined;
}

// The name and value of a property, each either borrowed from memory that lives as long as the
// property (the parse's arena, or the file's bytes it keeps) or held in a heap block of its own.
// A parse makes hundreds of thousands of them; a heap block and a std::string for each doubled
// the memory of a page and was a fifth of the time to read it. Two pointers and two 32-bit
// words, whose two lowest bits are flags: a parsed value is never longer than its file, and
// files above AtomicFile::kMaxFileBytes (256 MB) are refused, so 30 bits of size are plenty;
// Assign refuses longer text rather than cut it.
class TSimpleXMLNameValue {
public:
    enum Part : unsigned { kName = 0, kValue = 1 };
    static constexpr std::size_t kMaxSize = (std::size_t(1) << 30) - 1;

    TSimpleXMLNameValue() : FData{"", ""}, FWord{0, 0} {}
    // Borrows name[0 .. nameSize) and value[0 .. valueSize), each followed by a '\0', that
    // outlive this pair.
    TSimpleXMLNameValue(const char* name, std::size_t nameSize, const char* value, std::size_t valueSize)
        : FData{name, value}, FWord{BorrowedWord(nameSize), BorrowedWord(valueSize)}
    {
    }
    ~TSimpleXMLNameValue()
    {
        Release(kName);
        Release(kValue);
    }
    TSimpleXMLNameValue(const TSimpleXMLNameValue&) = delete;
    TSimpleXMLNameValue& operator=(const TSimpleXMLNameValue&) = delete;

    TSimpleXMLText Text(Part part) const { return TSimpleXMLText(FData[part], FWord[part] >> kFlagBits); }
    // Takes a copy of its own (text may be these very bytes); throws std::length_error above kMaxSize.
    void Assign(Part part, std::string_view text);
    // A mark the owner may set on the pair, kept through Assign.
    bool Marked() const { return (FWord[kName] & kMark) != 0; }
    void SetMarked() { FWord[kName] |= kMark; }

    // Where the value's pointer lies in the pair: a pair's is never null.
    static constexpr std::size_t kValuePointerOffset = sizeof(const char*);

private:
    static constexpr unsigned kFlagBits = 2;
    static constexpr std::uint32_t kOwned = 1u;
    static constexpr std::uint32_t kMark = 2u;
    static std::uint32_t BorrowedWord(std::size_t size) { return static_cast<std::uint32_t>(size << kFlagBits); }
    void Release(Part part)
    {
        if ((FWord[part] & kOwned) != 0)
            delete[] FData[part];
    }

    friend class TSimpleXMLProp;
    const char* FData[2];
    std::uint32_t FWord[2];  // size << kFlagBits | mark | owned
};
