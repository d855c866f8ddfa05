#include "support/XmlSpans.h"

#include "support/TextUtil.h"
#include "support/xml/SimpleXmlScan.h"
#include "support/xml/SimpleXmlText.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Fewer bytes than an element or a property takes in the game's files.
constexpr std::size_t kBytesPerElement = 128;
constexpr std::size_t kBytesPerProperty = 20;

bool isBlank(char c)
{
    return simplexml::IsBlank(static_cast<unsigned char>(c));
}

// One pass over the bytes with a stack of open elements.
class SpanScanner {
public:
    explicit SpanScanner(std::string_view bytes) : m_text(bytes) {}

    XmlSpans run()
    {
        if (m_text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
            m_pos = kUtf8Bom.size();
        // Room for the elements and properties of files as the game writes them, so that the
        // lists seldom move while they grow.
        m_spans.elements.reserve(m_text.size() / kBytesPerElement);
        m_lists.reserve(m_text.size() / kBytesPerElement);
        m_spans.properties.reserve(m_text.size() / kBytesPerProperty);
        while (m_pos < m_text.size()) {
            const std::size_t lt = simplexml::NextByte(m_text, m_pos, '<');
            if (lt == m_text.size())
                break;
            m_pos = lt;
            // The byte after the '<' tells the construct; a '<' that ends the file reads as a
            // start tag without a name.
            const char next = lt + 1 < m_text.size() ? m_text[lt + 1] : '\0';
            if (next == '!' && startsWith("<!--"))
                skipPast("-->", "a comment");
            else if (next == '!' && startsWith("<![CDATA["))
                skipPast("]]>", "a CDATA section");
            else if (next == '!')
                skipDeclaration();
            else if (next == '?')
                skipPast("?>", "a processing instruction");
            else if (next == '/')
                endTag();
            else
                startTag();
        }
        if (!m_open.empty()) {
            const XmlSpanElement& open = m_spans.elements[m_open.back()];
            fail("the file ends before <" + std::string(open.tag) + "> of "
                 + PlaceText(PlaceOfByte(m_text, open.begin)) + " is closed");
        }
        makeLists();
        return std::move(m_spans);
    }

private:
    bool startsWith(std::string_view prefix) const { return m_text.substr(m_pos, prefix.size()) == prefix; }

    [[noreturn]] void fail(const std::string& what) const
    {
        throw XmlSpansError(what, m_text, m_pos);
    }

    void skipPast(std::string_view end, const char* what)
    {
        const std::size_t at = m_text.find(end, m_pos + 2);
        if (at == std::string_view::npos)
            fail(std::string(what) + " is not closed");
        m_pos = at + end.size();
    }

    void skipDeclaration()
    {
        int brackets = 0;
        for (std::size_t i = m_pos + 2; i < m_text.size(); ++i) {
            const char c = m_text[i];
            if (c == '[')
                ++brackets;
            else if (c == ']')
                --brackets;
            else if (c == '>' && brackets <= 0) {
                m_pos = i + 1;
                return;
            }
        }
        fail("a declaration is not closed");
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    std::string_view readName()
    {
        const std::size_t begin = m_pos;
        m_pos = simplexml::MarkupNameEnd(m_text, m_pos);
        if (m_pos == begin)
            fail("a tag or property name is missing");
        return m_text.substr(begin, m_pos - begin);
    }

    void endTag()
    {
        m_pos += 2;
        const std::string_view name = readName();
        skipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != '>')
            fail("the end tag </" + std::string(name) + "> is not closed");
        ++m_pos;
        // Letter case is ignored, as the icon page reader ignores it: both readers take the same files.
        if (m_open.empty())
            fail("the end tag </" + std::string(name) + "> closes no element");
        const XmlSpanElement& open = m_spans.elements[m_open.back()];
        if (!simplexml::SameText(open.tag, name))
            fail("the end tag </" + std::string(name) + "> does not close <" + std::string(open.tag) + "> of "
                 + PlaceText(PlaceOfByte(m_text, open.begin)));
        m_spans.elements[m_open.back()].end = m_pos;
        m_open.pop_back();
    }

    // Filled where it stands in the list: a copy of it would cost more than reading it.
    void readProperty(XmlSpanProperty& property)
    {
        property.begin = m_pos;
        property.name = readName();
        skipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != '=')
            fail("property \"" + std::string(property.name) + "\" has no value");
        ++m_pos;
        skipBlanks();
        if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
            fail("the value of property \"" + std::string(property.name) + "\" is not in quotes");
        property.quote = m_text[m_pos++];
        const std::size_t close = simplexml::NextByte(m_text, m_pos, property.quote);
        if (close == m_text.size()) {
            m_pos = property.begin;
            fail("the value of property \"" + std::string(property.name) + "\" has no closing quote");
        }
        property.valueBegin = m_pos;
        property.valueEnd = close;
        property.rawValue = m_text.substr(m_pos, close - m_pos);
        m_pos = close + 1;
    }

    void startTag()
    {
        // Filled where it stands in the list, as the properties are.
        const int index = static_cast<int>(m_spans.elements.size());
        XmlSpanElement& element = m_spans.elements.emplace_back();
        Lists& lists = m_lists.emplace_back(Lists{m_spans.properties.size(), 0, 0});
        element.begin = m_pos;
        ++m_pos;
        element.tag = readName();
        element.tagEnd = m_pos;
        element.propsEnd = m_pos;
        element.parent = m_open.empty() ? -1 : m_open.back();
        for (;;) {
            skipBlanks();
            if (m_pos >= m_text.size())
                fail("the file ends inside the start tag <" + std::string(element.tag) + ">");
            if (m_text[m_pos] == '>') {
                ++m_pos;
                break;
            }
            if (startsWith("/>")) {
                m_pos += 2;
                element.selfClosing = true;
                break;
            }
            readProperty(m_spans.properties.emplace_back());
            ++lists.propertyCount;
            element.propsEnd = m_pos;
        }
        element.startEnd = m_pos;
        element.end = m_pos;
        if (element.parent < 0)
            m_spans.roots.push_back(index);
        else
            ++m_lists[static_cast<std::size_t>(element.parent)].childCount;
        if (!element.selfClosing)
            m_open.push_back(index);
    }

    // Points each element's lists into the result, once nothing is added to it any more: the
    // properties stand in the order read, the children are grouped by parent in document order.
    void makeLists()
    {
        std::vector<std::size_t> nextChild(m_lists.size());
        std::size_t childTotal = 0;
        for (std::size_t i = 0; i < m_lists.size(); ++i) {
            nextChild[i] = childTotal;
            childTotal += m_lists[i].childCount;
        }
        m_spans.children.resize(childTotal);
        for (std::size_t i = 0; i < m_spans.elements.size(); ++i) {
            XmlSpanElement& element = m_spans.elements[i];
            if (element.parent >= 0)
                m_spans.children[nextChild[static_cast<std::size_t>(element.parent)]++] = static_cast<int>(i);
            const Lists& lists = m_lists[i];
            element.properties = {m_spans.properties.data() + lists.firstProperty, lists.propertyCount};
        }
        for (std::size_t i = 0; i < m_spans.elements.size(); ++i) {
            // nextChild now stands one past each element's last child.
            const std::size_t count = m_lists[i].childCount;
            m_spans.elements[i].children = {m_spans.children.data() + (nextChild[i] - count), count};
        }
    }

    // Where an element's lists lie while the file is read.
    struct Lists {
        std::size_t firstProperty;
        std::size_t propertyCount;
        std::size_t childCount;
    };

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::vector<int> m_open;
    std::vector<Lists> m_lists;  // one per element
    XmlSpans m_spans;
};

bool onlyBlanks(std::string_view text)
{
    for (char c : text)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

}  // namespace

XmlSpansError::XmlSpansError(const std::string& reason, std::string_view bytes, std::size_t offset)
    : std::runtime_error(reason + " (" + PlaceText(PlaceOfByte(bytes, offset)) + ")"), m_reason(reason), m_offset(offset)
{
}

const XmlSpanProperty* XmlSpanElement::find(std::string_view name) const
{
    for (const XmlSpanProperty& property : properties)
        if (simplexml::SameText(property.name, name))
            return &property;
    return nullptr;
}

XmlSpans XmlSpans::Parse(std::string_view bytes)
{
    return SpanScanner(bytes).run();
}

LineSpan LinesOf(std::string_view bytes, std::size_t begin, std::size_t end)
{
    std::size_t lineBegin = begin;
    while (lineBegin > 0 && bytes[lineBegin - 1] != '\n' && bytes[lineBegin - 1] != '\r')
        --lineBegin;
    std::size_t lineEnd = end;
    while (lineEnd < bytes.size() && (bytes[lineEnd] == ' ' || bytes[lineEnd] == '\t'))
        ++lineEnd;
    const bool atBreak = lineEnd == bytes.size() || bytes[lineEnd] == '\n' || bytes[lineEnd] == '\r';
    if (!onlyBlanks(bytes.substr(lineBegin, begin - lineBegin)) || !atBreak)
        return {begin, end, false};
    if (lineEnd < bytes.size() && bytes[lineEnd] == '\r')
        ++lineEnd;
    if (lineEnd < bytes.size() && bytes[lineEnd] == '\n')
        ++lineEnd;
    return {lineBegin, lineEnd, true};
}

std::string_view IndentBefore(std::string_view bytes, std::size_t at)
{
    std::size_t lineBegin = at;
    while (lineBegin > 0 && (bytes[lineBegin - 1] == ' ' || bytes[lineBegin - 1] == '\t'))
        --lineBegin;
    if (lineBegin > 0 && bytes[lineBegin - 1] != '\n' && bytes[lineBegin - 1] != '\r')
        return {};
    return bytes.substr(lineBegin, at - lineBegin);
}

std::string_view LineBreakOf(std::string_view bytes)
{
    const std::size_t lf = bytes.find('\n');
    return lf != std::string_view::npos && lf > 0 && bytes[lf - 1] == '\r' ? "\r\n" : "\n";
}
