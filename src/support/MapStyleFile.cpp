#include "support/MapStyleFile.h"

#include "support/xml/SimpleXmlText.h"
#include "support/xml/UnicodeCodecs.h"

#include <cstring>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kMapStyleTag = "ImageStyle";
constexpr std::string_view kNameProperty = "Name";
constexpr std::string_view kZoneProperty = "zonerect";
const char* const kNamelessStyle = "Map style file: an ImageStyle element has no Name property";

// Depths whose elements a reader keeps: top-level elements (the styles of a fragment) and the
// children of a single root (the styles of a file with one root). Deeper elements only matter as
// the first child of one of those.
constexpr std::size_t kKeptDepths = 2;

const MapStyleProperty* findIn(const std::vector<MapStyleProperty>& properties, std::string_view name)
{
    for (const MapStyleProperty& property : properties)
        if (simplexml::SameText(property.name, name))
            return &property;
    return nullptr;
}

bool isNameEnd(char c)
{
    return simplexml::IsBlank(static_cast<unsigned char>(c)) || c == '=' || c == '/' || c == '>' || c == '<';
}

// One pass over the bytes, keeping the elements at the first two depths with the properties of
// their first child element.
class StyleScanner {
public:
    explicit StyleScanner(std::string_view bytes) : m_text(bytes) {}

    void run()
    {
        if (m_text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
            m_pos = kUtf8Bom.size();
        while (m_pos < m_text.size()) {
            const std::size_t lt = m_text.find('<', m_pos);
            if (lt == std::string_view::npos)
                break;
            m_pos = lt;
            if (startsWith("<!--"))
                skipPast("-->", "comment");
            else if (startsWith("<![CDATA["))
                skipPast("]]>", "CDATA section");
            else if (startsWith("<!"))
                skipDeclaration();
            else if (startsWith("<?"))
                skipPast("?>", "processing instruction");
            else if (startsWith("</"))
                endTag();
            else
                startTag();
        }
        if (!m_open.empty())
            fail("element \"" + m_open.back() + "\" is not closed");
    }

    std::vector<MapStyleElement> take()
    {
        // A file of one ImageStyle is that one style, not a root whose children are styles.
        const bool oneStyle = m_topLevel.size() == 1 && m_topLevel.front().tag == kMapStyleTag;
        return m_topLevel.size() > 1 || oneStyle ? std::move(m_topLevel) : std::move(m_children);
    }

private:
    bool startsWith(std::string_view prefix) const
    {
        return m_text.substr(m_pos, prefix.size()) == prefix;
    }

    [[noreturn]] void fail(const std::string& what) const
    {
        throw MapStyleError("Map style file: " + what + " (at byte " + std::to_string(m_pos) + ")");
    }

    void skipPast(std::string_view end, const char* what)
    {
        const std::size_t at = m_text.find(end, m_pos + 2);
        if (at == std::string_view::npos)
            fail(std::string("unterminated ") + what);
        m_pos = at + end.size();
    }

    // <!DOCTYPE ...> with an optional internal subset in brackets.
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
        fail("unterminated declaration");
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && simplexml::IsBlank(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
    }

    std::string readName()
    {
        const std::size_t begin = m_pos;
        while (m_pos < m_text.size() && !isNameEnd(m_text[m_pos]))
            ++m_pos;
        if (m_pos == begin)
            fail("a name is missing");
        return std::string(m_text.substr(begin, m_pos - begin));
    }

    void endTag()
    {
        m_pos += 2;
        const std::string name = readName();
        skipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != '>')
            fail("unterminated end tag");
        ++m_pos;
        if (m_open.empty() || m_open.back() != name)
            fail("end tag \"" + name + "\" does not match");
        m_open.pop_back();
    }

    MapStyleProperty readProperty()
    {
        MapStyleProperty property;
        property.name = readName();
        skipBlanks();
        if (m_pos >= m_text.size() || m_text[m_pos] != '=')
            fail("property \"" + property.name + "\" has no value");
        ++m_pos;
        skipBlanks();
        if (m_pos >= m_text.size() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
            fail("property \"" + property.name + "\" has no quoted value");
        const char quote = m_text[m_pos++];
        const std::size_t close = m_text.find(quote, m_pos);
        if (close == std::string_view::npos)
            fail("unterminated value");
        property.valueBegin = m_pos;
        property.valueEnd = close;
        property.value = std::string(m_text.substr(m_pos, close - m_pos));
        XmlValueDecodeInPlace(property.value);
        m_pos = close + 1;
        return property;
    }

    void startTag()
    {
        ++m_pos;
        MapStyleElement element;
        element.tag = readName();
        element.propertyInsertAt = m_pos;
        bool empty = false;
        for (;;) {
            skipBlanks();
            if (m_pos >= m_text.size())
                fail("unterminated start tag");
            if (m_text[m_pos] == '>') {
                ++m_pos;
                break;
            }
            if (startsWith("/>")) {
                m_pos += 2;
                empty = true;
                break;
            }
            element.properties.push_back(readProperty());
            element.propertyInsertAt = m_pos;
        }
        keep(std::move(element));
        if (!empty)
            m_open.push_back(m_lastTag);
    }

    void keep(MapStyleElement&& element)
    {
        const std::size_t depth = m_open.size();
        m_lastTag = element.tag;
        // The first child of a kept element lends it its properties.
        if (depth >= 1 && depth <= kKeptDepths && m_firstChildPending[depth - 1]) {
            MapStyleElement* parent = m_lastKept[depth - 1];
            parent->hasChild = true;
            parent->firstChildProperties = element.properties;
            m_firstChildPending[depth - 1] = false;
        }
        if (depth >= kKeptDepths)
            return;
        std::vector<MapStyleElement>& list = depth == 0 ? m_topLevel : m_children;
        list.push_back(std::move(element));
        m_lastKept[depth] = &list.back();
        m_firstChildPending[depth] = true;
        // A pointer into the list stays valid until the next element of the same depth is kept;
        // by then the pending first child of the previous one has been resolved or never comes.
        if (depth == 0)
            m_firstChildPending[1] = false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::vector<std::string> m_open;
    std::string m_lastTag;
    std::vector<MapStyleElement> m_topLevel;
    std::vector<MapStyleElement> m_children;
    MapStyleElement* m_lastKept[kKeptDepths] = {nullptr, nullptr};
    bool m_firstChildPending[kKeptDepths] = {false, false};
};

}  // namespace

const MapStyleProperty* MapStyleElement::find(std::string_view name) const
{
    return findIn(properties, name);
}

const MapStyleProperty* MapStyleElement::findInFirstChild(std::string_view name) const
{
    return findIn(firstChildProperties, name);
}

std::vector<MapStyleElement> ReadMapStyleElements(std::string_view bytes)
{
    StyleScanner scanner(bytes);
    scanner.run();
    return scanner.take();
}

ZoneRectEdit SetZoneRectInPlace(std::string& bytes, const std::string& mapName, const std::string& zoneText)
{
    const std::vector<MapStyleElement> styles = ReadMapStyleElements(bytes);
    // The last match, as the lookup reads it: writing another would change nothing in use.
    // A style without a name before it (anywhere, when none matches) is damage the edit refuses.
    const MapStyleElement* match = nullptr;
    bool nameless = false;
    for (const MapStyleElement& style : styles) {
        if (style.tag != kMapStyleTag)
            continue;
        const MapStyleProperty* name = style.find(kNameProperty);
        if (!name)
            nameless = true;
        else if (name->value == mapName && nameless)
            throw MapStyleError(kNamelessStyle);
        else if (name->value == mapName)
            match = &style;
    }
    if (!match && nameless)
        throw MapStyleError(kNamelessStyle);
    if (!match)
        return ZoneRectEdit::NoMatch;
    std::string encoded;
    AppendXmlValueEncoded(encoded, zoneText);
    if (const MapStyleProperty* zone = match->find(kZoneProperty)) {
        bytes.replace(zone->valueBegin, zone->valueEnd - zone->valueBegin, encoded);
        return ZoneRectEdit::Replaced;
    }
    bytes.insert(match->propertyInsertAt, " " + std::string(kZoneProperty) + "=\"" + encoded + "\"");
    return ZoneRectEdit::Added;
}
