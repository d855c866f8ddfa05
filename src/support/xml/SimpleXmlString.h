#pragma once

#include <cstddef>
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

// The bytes behind a TSimpleXMLText: either borrowed from memory that lives as long as their
// owner (the parse's arena, right behind the property) or held in a heap block of their own.
// A parse makes hundreds of thousands of values; a heap block and a std::string for each
// doubled the memory of a page and was a fifth of the time to read it.
class TSimpleXMLString {
public:
    TSimpleXMLString() : FSize(0), FOwned(false) {}
    explicit TSimpleXMLString(std::string_view text) : TSimpleXMLString() { Assign(text); }
    // Borrow(bytes, size) from the start: one store, where a later Borrow reads the word back.
    TSimpleXMLString(const char* bytes, std::size_t size) : FData(bytes), FSize(size), FOwned(false) {}
    ~TSimpleXMLString() { Release(); }
    TSimpleXMLString(const TSimpleXMLString&) = delete;
    TSimpleXMLString& operator=(const TSimpleXMLString&) = delete;

    TSimpleXMLText Text() const { return TSimpleXMLText(FData, FSize); }
    bool Empty() const { return FSize == 0; }
    // Takes a copy of its own (text may be these very bytes).
    void Assign(std::string_view text);
    // Refers to bytes[0 .. size), with bytes[size] == '\0', that outlive this string.
    void Borrow(const char* bytes, std::size_t size)
    {
        Release();
        FData = bytes;
        FSize = size;
        FOwned = false;
    }

private:
    void Release()
    {
        if (FOwned)
            delete[] FData;
    }

    const char* FData = "";
    std::size_t FSize : 63;
    std::size_t FOwned : 1;
};
