#pragma once
// A light reading of a whole XML file that keeps where every element, property and value lies in
// its bytes, so that an edit can be spliced into the file and every other byte stays as it was
// (the game's UI files are written by hand: indentation, quoting and property order are theirs).
// Values stay raw (entities unresolved); text, comments, CDATA and declarations are skipped.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A file whose elements do not nest or close. The message is the reason in words, then where:
// "the value of property "Name" has no closing quote (line 3, column 14)".
class XmlSpansError : public std::runtime_error {
public:
    XmlSpansError(const std::string& reason, std::string_view bytes, std::size_t offset);
    const std::string& reason() const { return m_reason; }
    std::size_t offset() const { return m_offset; }

private:
    std::string m_reason;
    std::size_t m_offset = 0;
};

// One property of a start tag and where it lies.
struct XmlSpanProperty {
    std::string_view name;
    std::string_view rawValue;   // the bytes between the quotes
    std::size_t begin = 0;       // first byte of the name
    std::size_t valueBegin = 0;  // first byte after the opening quote
    std::size_t valueEnd = 0;    // the closing quote
    char quote = '"';
};

// Consecutive items that XmlSpans holds: an element's properties or its children.
template <class T>
class XmlSpanList {
public:
    XmlSpanList() = default;
    XmlSpanList(const T* items, std::size_t count) : m_items(items), m_count(count) {}
    const T* begin() const { return m_items; }
    const T* end() const { return m_items + m_count; }
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    const T& front() const { return m_items[0]; }
    const T& operator[](std::size_t i) const { return m_items[i]; }

private:
    const T* m_items = nullptr;
    std::size_t m_count = 0;
};

// One element: its start tag, properties, child elements and where it ends.
struct XmlSpanElement {
    std::string_view tag;
    std::size_t begin = 0;      // the '<' of the start tag
    std::size_t tagEnd = 0;     // after the tag name: where a property list starts
    std::size_t propsEnd = 0;   // after the last property (or the tag name): where one is added
    std::size_t startEnd = 0;   // one past the start tag's '>'
    std::size_t end = 0;        // one past the end tag's '>' (startEnd when self-closing)
    bool selfClosing = false;
    int parent = -1;
    XmlSpanList<XmlSpanProperty> properties;
    XmlSpanList<int> children;  // element indices in document order

    // The first property of that name, letter case ignored; null when there is none.
    const XmlSpanProperty* find(std::string_view name) const;
};

// Every element of a file in document order (a parent before its children); the views point
// into the bytes given to Parse, which must outlive the result. The lists of the elements point
// into the result itself: it moves, but is not copied.
struct XmlSpans {
    std::vector<XmlSpanElement> elements;
    std::vector<int> roots;  // top-level elements
    std::vector<XmlSpanProperty> properties;  // each element's, one after the other
    std::vector<int> children;                // each element's, one after the other

    XmlSpans() = default;
    XmlSpans(XmlSpans&&) = default;
    XmlSpans& operator=(XmlSpans&&) = default;
    XmlSpans(const XmlSpans&) = delete;
    XmlSpans& operator=(const XmlSpans&) = delete;

    // Throws XmlSpansError for an unclosed or mismatched element or a cut-off construct.
    static XmlSpans Parse(std::string_view bytes);
};

// Where the line holding [begin, end) starts and ends: from the first byte after the previous
// line break, when only blanks stand before `begin` on its line, to one past the line break after
// `end`, when only blanks follow; otherwise [begin, end) itself.
struct LineSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool wholeLines = false;
};
LineSpan LinesOf(std::string_view bytes, std::size_t begin, std::size_t end);

// The blanks before `at` on its line (the indentation of an element starting there), empty when
// anything else stands before it.
std::string_view IndentBefore(std::string_view bytes, std::size_t at);

// The line break the file uses: CR LF when its first line break is one, LF otherwise.
std::string_view LineBreakOf(std::string_view bytes);
